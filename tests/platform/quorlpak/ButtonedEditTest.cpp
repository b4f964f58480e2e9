// The edit with image buttons: clicks and drop-down menus, images by state,
// text kept clear of the buttons, and the grey prompt of an empty edit.
#include "StdControlsTestSupport.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/ButtonedEdit.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>

namespace {

using ButtonedEditTest = StdControlsTest;

// An image list of solid 10 x 10 squares in the given colours.
TImageList* SolidImages(TComponent* owner, std::initializer_list<TColor> colours) {
    auto* images = new TImageList(owner);
    images->SetSize(10, 10);
    for (TColor c : colours) {
        TBitmap bitmap;
        bitmap.SetSize(10, 10);
        bitmap.GetCanvas()->GetBrush()->SetColor(c);
        bitmap.GetCanvas()->FillRect(TRect(0, 0, 10, 10));
        images->AddMasked(&bitmap, clFuchsia);
    }
    return images;
}

TEST_F(ButtonedEditTest, ButtonsClickShowStatesAndKeepTheTextClear) {
    auto* edit = Make<TButtonedEdit>(10, 10, 150, 22);
    edit->SetImages(SolidImages(form, {clRed, clGreen, clBlue}));
    TEditButton* left = edit->GetLeftButton();
    TEditButton* right = edit->GetRightButton();
    left->SetVisible(true);
    left->SetImageIndex(0);
    right->SetVisible(true);
    right->SetImageIndex(1);
    right->SetHotImageIndex(2);
    Pump();
    std::vector<const char*> clicks;
    edit->OnLeftButtonClick = [&](TObject* Sender) {
        EXPECT_EQ(Sender, edit);
        clicks.push_back("left");
    };
    edit->OnRightButtonClick = [&](TObject*) { clicks.push_back("right"); };

    TCustomControl* lg = left->GetGlyph();
    TCustomControl* rg = right->GetGlyph();
    ASSERT_TRUE(lg && rg);
    EXPECT_EQ(lg->GetLeft(), 0);
    EXPECT_EQ(rg->GetLeft() + rg->GetWidth(), edit->GetClientWidth());
    const LRESULT margins = SendMessageW(edit->GetHandle(), EM_GETMARGINS, 0, 0);
    EXPECT_EQ(LOWORD(margins), lg->GetWidth());
    EXPECT_EQ(HIWORD(margins), rg->GetWidth());
    EXPECT_EQ(Pixels(lg->GetHandle(), RECT{5, 8, 6, 9})[0], RGB(255, 0, 0));

    TestSeams::Click(TestSeams::ClientPoint(lg->GetHandle(), 5, 5));
    Pump();
    TestSeams::AdvanceClock(1000);
    EXPECT_EQ(right->CurrentImageIndex(), 1);
    TestSeams::MouseMove(TestSeams::ClientPoint(rg->GetHandle(), 5, 5));
    Pump();
    EXPECT_EQ(right->CurrentImageIndex(), 2); // hot
    TestSeams::Click(TestSeams::ClientPoint(rg->GetHandle(), 5, 5));
    Pump();
    EXPECT_EQ(clicks, (std::vector<const char*>{"left", "right"}));

    // Hidden buttons give their room back; a disabled one does not click.
    right->SetEnabled(false);
    right->Click();
    EXPECT_EQ(clicks.size(), 2u);
    left->SetVisible(false);
    EXPECT_FALSE(lg->GetVisible());
    EXPECT_EQ(LOWORD(SendMessageW(edit->GetHandle(), EM_GETMARGINS, 0, 0)), 0);
}

TEST_F(ButtonedEditTest, DropDownMenuOpensUnderTheButton) {
    auto* edit = Make<TButtonedEdit>(10, 10, 150, 22);
    edit->SetImages(SolidImages(form, {clRed}));
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(menu);
    item->SetCaption(u"Match case");
    menu->GetItems()->Add(item);
    int opened = 0;
    menu->OnPopup = [&](TObject*) { ++opened; };
    edit->GetLeftButton()->SetVisible(true);
    edit->GetLeftButton()->SetDropDownMenu(menu);
    int clicks = 0;
    edit->OnLeftButtonClick = [&](TObject*) { ++clicks; };
    TestSeams::ScriptPopupMenus([](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{};
    });
    edit->GetLeftButton()->Click();
    EXPECT_EQ(opened, 1);
    ASSERT_FALSE(TestSeams::PopupMenus().empty());
    const POINT under = TestSeams::ClientPoint(edit->GetLeftButton()->GetGlyph()->GetHandle(), 0,
                                               edit->GetLeftButton()->GetGlyph()->GetHeight());
    EXPECT_EQ(TestSeams::PopupMenus().back().at.x, under.x);
    EXPECT_EQ(TestSeams::PopupMenus().back().at.y, under.y);
    TestSeams::ScriptPopupMenus(nullptr);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(menu->GetPopupComponent(), edit);
    delete menu;
    EXPECT_EQ(edit->GetLeftButton()->GetDropDownMenu(), nullptr);
    edit->GetLeftButton()->Click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonedEditTest, TextHintShowsOnlyWhileEmptyAndUnfocused) {
    auto* edit = Make<TButtonedEdit>(10, 10, 150, 22);
    auto* other = Make<TEdit>(10, 50, 50, 22);
    edit->GetFont()->SetHeight(-14);
    edit->SetTextHint(u"Search");
    Focus(other);
    edit->Repaint();
    auto grey = [&] {
        RECT r{0, 0, edit->GetClientWidth(), edit->GetClientHeight()};
        int count = 0;
        for (COLORREF c : Pixels(edit->GetHandle(), r))
            if (c != RGB(255, 255, 255) && c != RGB(0, 0, 0)) ++count; // not the caret
        return count;
    };
    EXPECT_GT(grey(), 10);
    Focus(edit);
    edit->Repaint();
    EXPECT_EQ(grey(), 0);
}

} // namespace
