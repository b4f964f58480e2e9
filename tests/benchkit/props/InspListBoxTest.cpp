// The inspector list editing a live button: typing and Enter, Escape, the
// value list, refused writes, and the desktop lock.
#include "benchkit/props/IDEInspListBox.h"

#include <quorlpak/Application.h>
#include <quorlpak/Bitmap.h>
#include <quorlpak/Colors.h>
#include <quorlpak/Forms.h>
#include <runpak/Exceptions.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

namespace {

class InspListBoxTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        InitializeQuorlpak();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(400);
        form->SetClientHeight(500);
        button = new TButton(form);
        button->SetParent(form);
        button->SetName(u"Button1");
        button->SetCaption(u"Before");
        list = new TInspListBox(form);
        list->SetParent(form);
        list->SetBounds(0, 40, 300, 440);
        form->Show();
        Application->ProcessMessages();
        list->SetSelection(CreatePropertySelection({button}).Get());
    }
    void TearDown() override {
        delete form;
        SetDesktopLocked(false);
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }
    void Select(const char16_t* name) {
        const int row = list->FindItem(name);
        ASSERT_GE(row, 0);
        list->SelectItem(row);
    }
    void Type(char16_t key) { list->GetEdit()->Perform(WM_CHAR, key, 0); }

    TForm* form = nullptr;
    TButton* button = nullptr;
    TInspListBox* list = nullptr;
};

TEST_F(InspListBoxTest, EnterWritesTheEditedTextAndEscapeWritesTheOldOneBack) {
    Select(u"Caption");
    EXPECT_EQ(list->GetEdit()->GetText(), u"Before");
    list->GetEdit()->SetText(u"After");
    Type(u'\r');
    EXPECT_EQ(button->GetCaption(), u"After");

    list->GetEdit()->SetText(u"Typed");
    list->GetEdit()->SetModified(true);
    Type(0x1B);
    EXPECT_EQ(list->GetEdit()->GetText(), u"After");
    EXPECT_EQ(button->GetCaption(), u"After");
}

TEST_F(InspListBoxTest, ValueListOffersTheEditorsValuesAndAcceptWritesTheChoice) {
    Select(u"Visible");
    EXPECT_TRUE(list->GetListButton()->GetVisible());
    list->GetListButton()->DropDown();
    ASSERT_TRUE(list->GetListButton()->GetDropped());
    ASSERT_EQ(list->GetListButton()->GetItemCount(), 2);
    EXPECT_EQ(list->GetListButton()->GetItemIndex(), 1); // True, the current value
    list->GetListButton()->SetItemIndex(0);
    list->GetListButton()->CloseUp(true);
    EXPECT_FALSE(button->GetVisible());
    EXPECT_EQ(list->GetEdit()->GetText(), u"False");
}

TEST_F(InspListBoxTest, ValueListButtonShowsTheArrowGlyphTransparently) {
    Select(u"Visible");
    TListButton* b = list->GetListButton();
    ASSERT_NE(b->GetGlyph(), nullptr);
    ASSERT_EQ(b->GetGlyph()->GetWidth(), 7);
    ASSERT_EQ(b->GetGlyph()->GetHeight(), 4);
    b->Repaint();
    const int x = (b->GetClientWidth() - 7) / 2, y = (b->GetClientHeight() - 4) / 2;
    HDC dc = GetDC(b->GetHandle());
    EXPECT_EQ(GetPixel(dc, x + 3, y + 3), COLORREF(0));                // the arrow's tip
    EXPECT_EQ(GetPixel(dc, x, y + 3), COLORREF(ColorToRGB(clBtnFace))); // beside it, the face
    ReleaseDC(b->GetHandle(), dc);
}

TEST_F(InspListBoxTest, RefusedAndFailingWritesKeepTheValue) {
    Select(u"Left");
    button->SetLeft(3);
    list->GetEdit()->SetText(u"not a number");
    std::vector<UnicodeString> shown;
    Application->OnException = [&](TObject*, Exception* e) { shown.push_back(e->GetMessage()); };
    EXPECT_FALSE(list->SetPropValue(false, true));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(list->GetEdit()->GetText(), u"3");
    list->GetEdit()->SetText(u"oops");
    EXPECT_THROW(list->SetPropValue(false, false), Exception);

    list->SetReadOnly(true);
    list->SetReadOnlyMsg(u"Read only here");
    list->GetEdit()->SetText(u"9");
    EXPECT_THROW(list->SetPropValue(false, true), Exception);
    EXPECT_EQ(button->GetLeft(), 3);
    Application->OnException = nullptr;
}

TEST_F(InspListBoxTest, LockedDesktopLeavesTheRowsAlone) {
    const int rows = list->GetCount();
    SetDesktopLocked(true);
    list->SetFilter(u"Caption");
    EXPECT_EQ(list->GetCount(), rows);
    SetDesktopLocked(false);
    list->Reset();
    EXPECT_EQ(list->GetCount(), 1);
}

TEST_F(InspListBoxTest, AnswersAsThePropertyHost) {
    InterfacePtr<IPropertyHost20> host;
    ASSERT_TRUE(Supports(static_cast<TObject*>(list), host));
    EXPECT_EQ(host->GetDropDownWidth(), list->GetClientWidth() - list->GetMiddle());
}

} // namespace
