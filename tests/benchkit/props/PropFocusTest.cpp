// A field asking for the focus: the first bound windowed control that can
// take it does, and the links after it leave the focus alone.
#include "PropTestSupport.h"

#include <quorlpak/Controls.h>
#include <quorlpak/Forms.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <memory>

namespace {

class TFocusBox : public TCustomControl {
public:
    explicit TFocusBox(TComponent* AOwner) : TCustomControl(AOwner) {
        SetBounds(0, 0, 40, 20);
        SetTabStop(true);
    }
};

class PropFocusTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(100000);
        InitializeQuorlpak();
    }
    void TearDown() override {
        FinalizeQuorlpak();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        TestSeams::UseRealClock();
    }
};

TEST_F(PropFocusTest, TheFirstFocusableBoundControlTakesTheFocus) {
    auto* form = new TForm(Application);
    form->AfterConstruction();
    form->Show();
    Application->ProcessMessages();
    auto* hidden = new TFocusBox(form);
    hidden->SetParent(form);
    hidden->SetVisible(false);
    auto* first = new TFocusBox(form);
    first->SetParent(form);
    auto* second = new TFocusBox(form);
    second->SetParent(form);
    second->SetFocus();

    TIniPropSet set(nullptr);
    auto* field = new TIntegerPropField(&set);
    field->SetFieldName(u"Width");
    field->SetPropSet(&set);
    TFieldPropLink hiddenLink(hidden), firstLink(first), secondLink(second);
    for (TFieldPropLink* link : {&hiddenLink, &firstLink, &secondLink}) {
        link->SetPropSet(&set);
        link->SetFieldName(u"Width");
    }
    field->FocusControl();
    Application->ProcessMessages();
    EXPECT_TRUE(first->Focused());
    EXPECT_FALSE(second->Focused());
    delete form;
}

} // namespace
