#include <quorlpak/InputDialogs.h>

#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/StdCtrls.h>

#include <memory>

bool InputQuery(const UnicodeString& ACaption, const UnicodeString& APrompt, UnicodeString& Value) {
    auto form = std::make_unique<TForm>(Application);
    form->AfterConstruction();
    form->SetName(u"InputQueryForm");
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    form->SetCaption(ACaption);
    form->SetClientWidth(260);
    form->SetClientHeight(100);

    auto* prompt = new TLabel(form.get());
    prompt->SetParent(form.get());
    prompt->SetBounds(8, 8, 244, 16);
    prompt->SetCaption(APrompt);

    auto* edit = new TEdit(form.get());
    edit->SetName(u"Edit");
    edit->SetParent(form.get());
    edit->SetBounds(8, 28, 244, 22);
    edit->SetText(Value);

    auto button = [&](const char16_t* name, const char16_t* caption, TModalResult result,
                      int left) {
        auto* b = new TButton(form.get());
        b->SetName(name);
        b->SetParent(form.get());
        b->SetBounds(left, 64, 75, 25);
        b->SetCaption(caption);
        b->SetModalResult(result);
        return b;
    };
    button(u"OKButton", u"OK", mrOk, 96)->SetDefault(true);
    button(u"CancelButton", u"Cancel", mrCancel, 177)->SetCancel(true);
    form->SetActiveControl(edit);
    edit->SelectAll();

    if (form->ShowModal() != mrOk) return false;
    Value = edit->GetText();
    return true;
}
