// The header control: sections handed to the header window, their edges, and
// a divider the user drags giving the section its new width.
#include "StdControlsTestSupport.h"

#include <quorlpak/HeaderControl.h>
#include <win32/commctrl.h>

namespace {

class HeaderControlTest : public StdControlsTest {
protected:
    void SetUp() override {
        StdControlsTest::SetUp();
        header = new THeaderControl(form);
        header->SetParent(form);
        for (auto [text, width] : {std::pair{u"Name", 80}, {u"Size", 60}, {u"Date", 90}}) {
            THeaderSection* section = header->GetSections()->Add();
            section->SetText(text);
            section->SetWidth(width);
        }
        Pump();
    }
    RECT ItemRect(int index) const {
        RECT r{};
        SendMessageW(header->GetHandle(), HDM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    THeaderControl* header = nullptr;
};

TEST_F(HeaderControlTest, SectionsAreTheWindowsItemsWithTheirEdges) {
    HWND hwnd = header->GetHandle();
    EXPECT_EQ(header->GetTop(), 0); // along the top
    ASSERT_EQ(SendMessageW(hwnd, HDM_GETITEMCOUNT, 0, 0), 3);
    for (int i = 0; i < 3; ++i) {
        THeaderSection* section = header->GetSections()->GetItems(i);
        EXPECT_EQ(ItemRect(i).left, section->GetLeft()) << i;
        EXPECT_EQ(ItemRect(i).right, section->GetRight()) << i;
    }
    EXPECT_EQ(header->GetSections()->GetItems(2)->GetLeft(), 140);

    header->GetSections()->GetItems(0)->SetWidth(100);
    header->GetSections()->GetItems(1)->SetText(u"Bytes");
    EXPECT_EQ(ItemRect(2).left, 160);
    char16_t text[32] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(hwnd, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::u16string(text), u"Bytes");

    header->GetSections()->Delete(0);
    EXPECT_EQ(SendMessageW(hwnd, HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ItemRect(1).left, 60);
    header->RecreateWnd();
    Pump();
    EXPECT_EQ(SendMessageW(header->GetHandle(), HDM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(HeaderControlTest, DraggingADividerGivesTheSectionItsWidth) {
    int resized = 0;
    header->OnSectionResize = [&](THeaderControl*, THeaderSection*) { ++resized; };
    const int y = header->GetHeight() / 2;
    TestSeams::MouseDown(header->ClientToScreen(TPoint(80, y)));
    Pump();
    TestSeams::MouseMove(header->ClientToScreen(TPoint(110, y)));
    Pump();
    TestSeams::MouseUp(header->ClientToScreen(TPoint(110, y)));
    Pump();
    EXPECT_EQ(header->GetSections()->GetItems(0)->GetWidth(), 110);
    EXPECT_EQ(header->GetSections()->GetItems(1)->GetLeft(), 110);
    EXPECT_GE(resized, 1);
}

} // namespace
