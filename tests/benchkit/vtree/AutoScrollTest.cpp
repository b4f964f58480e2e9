// Scrolling by itself near the edges: a rubber band pulled past the tree
// scrolls it on the scroll timer, and a drag resting at an edge of a drop
// target scrolls it once the delay has passed.
#include "VirtualTreeTestSupport.h"

#include "benchkit/vtree/VirtualTreeDataObject.h"

namespace {

class AutoScroll : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TVirtualStringTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 200, 150);
        tree->OnGetText = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TQOZTextType,
                             UnicodeString& Text) { Text = u"node"; };
        TCustomVirtualTreeOptions* options = tree->GetTreeOptions();
        options->SetAutoOptions(options->GetAutoOptions() + TVTAutoOptions{toAutoScroll});
        options->SetSelectionOptions(options->GetSelectionOptions() +
                                     TVTSelectionOptions{toMultiSelect});
        tree->SetRootNodeCount(100);
        tree->HandleNeeded();
        tree->SetFocus();
        Pump();
    }
    POINT At(int X, int Y) { return TestSeams::ClientPoint(tree->GetHandle(), X, Y); }

    TVirtualStringTree* tree = nullptr;
};

TEST_F(AutoScroll, ARubberBandPulledPastTheBottomScrollsOnTheTimerAndSelectsWhatItCovers) {
    const int height = tree->GetClientHeight();
    TestSeams::MouseDown(At(150, 5));
    Pump();
    TestSeams::MouseMove(At(10, 60));
    Pump();
    ASSERT_TRUE(tree->HasState(tsDrawSelecting));
    const uint32_t before = tree->GetSelectedCount();

    // Beyond the tree the delay is the timer's only.
    TestSeams::MouseMove(At(10, height + 10));
    Pump();
    EXPECT_TRUE(tree->HasState(tsScrollPending));
    Advance(tree->GetAutoScrollDelay() - 1);
    EXPECT_EQ(tree->GetOffsetY(), 0);
    Advance(1);
    EXPECT_TRUE(tree->HasState(tsScrolling));
    const int first = tree->GetOffsetY();
    EXPECT_LT(first, 0);
    Advance(10); // the shortest interval a timer has
    EXPECT_LT(tree->GetOffsetY(), first);
    EXPECT_GT(tree->GetSelectedCount(), before);

    TestSeams::MouseUp(At(10, height + 10));
    Pump();
    EXPECT_FALSE(tree->HasState(tsScrolling));
    EXPECT_FALSE(tree->HasState(tsScrollPending));
    const int stopped = tree->GetOffsetY();
    Advance(50);
    EXPECT_EQ(tree->GetOffsetY(), stopped);
}

TEST_F(AutoScroll, ADragOverTheTreeScrollsOnlyAfterRestingAtAnEdgeThatCanScroll) {
    const int height = tree->GetClientHeight();
    const int step = int(tree->GetScrollBarOptions()->GetVerticalIncrement());
    const struct {
        const char* name;
        int startOffset;
        int y;
        int moved; // by the second DragOver at the same point
    } cases[] = {
        {"bottom edge", 0, height - 5, -step},
        {"top edge", -100, 5, step},
        {"top edge with nothing above", 0, 5, 0},
        {"middle", -100, height / 2, 0},
    };
    InterfacePtr<IDataObject> data(tree->GetDragManager()->GetDataObject());
    IDropTarget* target = tree->GetDragManager();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree->SetOffsetY(c.startOffset);
        Pump();
        const POINT p = At(50, c.y);
        DWORD effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{p.x, p.y}, &effect), S_OK);
        effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->DragOver(MK_LBUTTON, POINTL{p.x, p.y}, &effect), S_OK);
        EXPECT_EQ(tree->GetOffsetY(), c.startOffset) << "passing over an edge does not scroll";
        EXPECT_EQ(effect & DROPEFFECT_SCROLL, 0u);
        Advance(tree->GetAutoScrollDelay());
        effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->DragOver(MK_LBUTTON, POINTL{p.x, p.y}, &effect), S_OK);
        EXPECT_EQ(tree->GetOffsetY(), c.startOffset + c.moved);
        EXPECT_EQ((effect & DROPEFFECT_SCROLL) != 0, c.moved != 0);
        target->DragLeave();
    }
}

} // namespace
