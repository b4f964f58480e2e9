// A virtual list box: the window holds only the count, the text comes from
// OnData when an item is drawn, and the selection survives a new count while
// it is still in range.
#include "StdControlsTestSupport.h"

#include <runpak/Strings.h>

#include <algorithm>

namespace {

TEST_F(StdControlsTest, VirtualListAsksForWhatItDraws) {
    auto* list = Make<TListBox>(10, 10, 150, 120);
    list->SetStyle(lbVirtual);
    std::vector<int> asked;
    list->OnData = [&](TWinControl*, int Index, UnicodeString& Data) {
        asked.push_back(Index);
        Data = u"Row " + IntToStr(Index);
    };
    list->SetCount(1000);
    EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCOUNT, 0, 0), 1000);
    EXPECT_TRUE(GetWindowLongW(list->GetHandle(), GWL_STYLE) & LBS_NODATA);
    list->Invalidate();
    list->Update();
    // Only the rows in view are asked for.
    ASSERT_FALSE(asked.empty());
    EXPECT_LT(*std::max_element(asked.begin(), asked.end()), 20);
    list->SetItemIndex(600);
    EXPECT_EQ(list->GetItemIndex(), 600);
    list->SetCount(700);
    EXPECT_EQ(list->GetItemIndex(), 600);
    list->SetCount(10);
    EXPECT_EQ(list->GetItemIndex(), -1);
    EXPECT_EQ(list->GetCount(), 10);
    // The count survives a new window.
    list->SetBorderStyle(bsNone);
    EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCOUNT, 0, 0), 10);
}

} // namespace
