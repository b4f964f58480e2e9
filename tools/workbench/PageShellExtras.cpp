// The shell layer's smaller pieces: owner-drawn scroll bars in their looks,
// completions of a folder's items, the command interpreter behind a pipe,
// the column settings dialog and wide edits with Japanese text.
#include "WorkbenchPage.h"

#include <benchkit/shell/IDEColumnForm.h>
#include <benchkit/shell/IDEVirtualCommandLine.h>
#include <benchkit/shell/IDEVirtualScrollbars.h>
#include <benchkit/shell/IDEVirtualShellAutoComplete.h>
#include <benchkit/shell/IDEVirtualUnicodeControls.h>
#include <quorlpak/Application.h>
#include <quorlpak/StdCtrls.h>

namespace {

TLabel* Caption(TWinControl* Sheet, int X, int Y, const UnicodeString& Text) {
    auto* label = new TLabel(Sheet);
    label->SetParent(Sheet);
    label->SetLeft(X);
    label->SetTop(Y);
    label->SetCaption(Text);
    return label;
}

void AddScrollbars(TWinControl* Sheet) {
    Caption(Sheet, 16, 8, u"Owner-drawn scroll bars");
    struct Look {
        bool flat, enabled;
        int min, max, page, position;
    } looks[] = {{false, true, 0, 100, 10, 0},
                 {true, true, 0, 100, 30, 50},
                 {false, false, 0, 100, 10, 90},
                 {false, true, 500, 600, 20, 540}};
    int x = 16;
    for (const Look& look : looks) {
        auto* bar = new TOwnerDrawScrollbar(Sheet);
        bar->SetParent(Sheet);
        bar->SetBounds(x, 30, 0, 220);
        bar->SetFlat(look.flat);
        bar->SetEnabled(look.enabled);
        bar->SetRange(look.min, look.max);
        bar->SetPageSize(look.page);
        bar->SetPosition(look.position);
        x += 32;
    }
}

TListBox* Completions = nullptr;
TVirtualShellAutoComplete* Source = nullptr;

void AddAutoComplete(TWinControl* Sheet) {
    Caption(Sheet, 160, 8, u"Completions of the root folder");
    Completions = new TListBox(Sheet);
    Completions->SetParent(Sheet);
    Completions->SetBounds(160, 30, 300, 220);
    Source = new TVirtualShellAutoComplete(Sheet);
    Source->SetContents({accCurrentDir, accFileSysDirs, accFileSysFiles, accSortList});
}

TLabel* PipeOutput = nullptr;
TCommandLinePipe* Pipe = nullptr;

void AddPipe(TWinControl* Sheet) {
    Caption(Sheet, 480, 8, u"Command interpreter behind a pipe");
    PipeOutput = Caption(Sheet, 480, 30, u"(not started)");
    PipeOutput->SetWordWrap(true);
    PipeOutput->SetAutoSize(false);
    PipeOutput->SetBounds(480, 30, 300, 120);
    Pipe = new TCommandLinePipe(Sheet);
    auto* columns = new TButton(Sheet);
    columns->SetParent(Sheet);
    columns->SetBounds(480, 170, 160, 28);
    columns->SetCaption(u"Column settings...");
    columns->OnClick = [](TObject*) {
        auto* dialog = new TFormColumnSettings(Application);
        const char16_t* titles[] = {u"Name", u"Size", u"Type", u"Modified", u"Attributes"};
        for (int i = 0; i < 5; ++i)
            dialog->AddColumn(titles[i], i < 4, 120 - i * 10, i);
        dialog->ShowModal();
        delete dialog;
    };
}

void AddWideEdits(TWinControl* Sheet) {
    Caption(Sheet, 480, 210, u"Wide edits");
    const char16_t* texts[] = {u"日本語のファイル名.txt", u"Ünïcödé 名前 — テスト"};
    for (int i = 0; i < 2; ++i) {
        auto* edit = new TWideEdit(Sheet);
        edit->SetParent(Sheet);
        edit->SetBounds(480, 230 + i * 30, 300, 24);
        edit->SetText(texts[i]);
    }
}

void Build(TWinControl* Sheet) {
    AddScrollbars(Sheet);
    AddWideEdits(Sheet);
    AddAutoComplete(Sheet);
    AddPipe(Sheet);
}

void Exercise(TWinControl*) {
    Source->SetCurrentDir(u"C:\\");
    Source->Refresh();
    Completions->GetItems()->Assign(Source->GetStrings());
    Pipe->Initialize();
    Pipe->DOSCommand(u"echo Hello from the command interpreter; uname -s\n");
    UnicodeString text;
    // The interpreter answers within a moment; the page polls as a timer would.
    for (int i = 0; i < 200000 && text.find(u'\n', text.find(u'\n') + 1) == UnicodeString::npos;
         ++i) {
        text += Pipe->ReadResult();
        PumpWorkbench();
    }
    PipeOutput->SetCaption(text);
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage ShellExtrasPage = {"shellextras", u"Shell extras", Build, Exercise};
