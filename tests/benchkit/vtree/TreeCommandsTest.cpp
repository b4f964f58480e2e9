// The tree's window geometry and simple property setters, its framework
// (non-OLE) drag and drop, and the standard edit actions on its nodes.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/ActnList.h>
#include <quorlpak/DragObjects.h>
#include <runpak/StringList.h>
#include <win32/ole2.h>

namespace {

class TreeCommands : public VirtualTreeTest {
protected:
    void TearDown() override {
        OleSetClipboard(nullptr);
        VirtualTreeTest::TearDown();
    }
    // A string tree of Count top nodes on Form, at Left.
    static TVirtualStringTree* StringTree(TForm* Form, int Left, uint32_t Count) {
        auto* tree = new TVirtualStringTree(Form);
        tree->SetParent(Form);
        tree->SetBounds(Left, 0, 140, 150);
        tree->OnGetText = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TQOZTextType,
                             UnicodeString& Text) { Text = u"node"; };
        tree->SetRootNodeCount(Count);
        tree->HandleNeeded();
        return tree;
    }
    static TForm* Form() {
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(150);
        form->Show();
        return form;
    }
};

TEST_F(TreeCommands, BorderDimensionsFollowTheWindowFrame) {
    TTestTree* tree = MakeWindowedTree();
    const int edgeX = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
    const int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
    const struct {
        LONG style, exStyle;
        TSize expected;
    } cases[] = {
        {0, 0, {0, 0}},
        {WS_BORDER, 0, {-1, -1}},
        {0, WS_EX_CLIENTEDGE, {-edgeX, -edgeY}},
        {WS_BORDER | WS_THICKFRAME, WS_EX_CLIENTEDGE, {-1 - frameX - edgeX, -1 - frameY - edgeY}},
    };
    HWND window = tree->GetHandle();
    const LONG keep = GetWindowLongW(window, GWL_STYLE) & ~(WS_BORDER | WS_THICKFRAME);
    for (const auto& c : cases) {
        SetWindowLongW(window, GWL_STYLE, keep | c.style);
        SetWindowLongW(window, GWL_EXSTYLE, c.exStyle);
        EXPECT_EQ(tree->GetBorderDimensions(), c.expected) << c.style << " " << c.exStyle;
    }
    EXPECT_EQ(MakeTree()->GetBorderDimensions(), TSize(0, 0)) << "no window, no frame";
}

TEST_F(TreeCommands, BottomSpaceWidensTheScrollRangeAtOnceAndAlignmentRepaints) {
    TVirtualStringTree* tree = StringTree(Form(), 0, 20);
    Pump();
    SCROLLINFO before{sizeof(SCROLLINFO), SIF_RANGE};
    GetScrollInfo(tree->GetHandle(), SB_VERT, &before);
    tree->SetBottomSpace(40);
    SCROLLINFO after{sizeof(SCROLLINFO), SIF_RANGE};
    GetScrollInfo(tree->GetHandle(), SB_VERT, &after);
    EXPECT_EQ(after.nMax, before.nMax + 40);

    Pump();
    RECT r;
    tree->SetAlignment(taLeftJustify);
    EXPECT_FALSE(GetUpdateRect(tree->GetHandle(), &r, FALSE)) << "unchanged: no repaint";
    tree->SetAlignment(taCenter);
    EXPECT_TRUE(GetUpdateRect(tree->GetHandle(), &r, FALSE));
    EXPECT_EQ(tree->GetControlsAlignment(), taCenter);
}

TEST_F(TreeCommands, AFrameworkDragDropsOnTheNodeUnderTheMouse) {
    TForm* form = Form();
    TVirtualStringTree* source = StringTree(form, 0, 3);
    TVirtualStringTree* target = StringTree(form, 150, 3);
    Pump();
    source->SetDragType(dtQUORL);
    std::vector<TDragState> states;
    target->OnDragOver = [&](TBaseVirtualTree*, TObject* Source, TShiftState, TDragState State,
                             TPoint, TDropMode, uint32_t&, bool& Accept) {
        states.push_back(State);
        Accept = Source == source;
    };
    PVirtualNode droppedOn = nullptr;
    TObject* droppedFrom = nullptr;
    IDataObject* droppedData = reinterpret_cast<IDataObject*>(1);
    size_t formats = 99;
    target->OnDragDrop = [&](TBaseVirtualTree* Sender, TObject* Source, IDataObject* Data,
                             const TFormatArray& Formats, TShiftState, TPoint, uint32_t&,
                             TDropMode) {
        droppedOn = Sender->GetDropTargetNode();
        droppedFrom = Source;
        droppedData = Data;
        formats = Formats.size();
    };
    TObject* endedOn = nullptr;
    source->OnEndDrag = [&](TObject*, TObject* Target, int, int) { endedOn = Target; };
    const TRect row = target->GetDisplayRect(NodeAt(target, {1}), NoColumn, true);
    const int y = (row.top + row.bottom) / 2;
    TestSeams::MouseDown(TestSeams::ClientPoint(source->GetHandle(), 20, 5));
    Pump();
    TestSeams::MouseMove(TestSeams::ClientPoint(target->GetHandle(), row.left + 2, y));
    TestSeams::MouseMove(TestSeams::ClientPoint(target->GetHandle(), row.left + 4, y));
    TestSeams::MouseUp(TestSeams::ClientPoint(target->GetHandle(), row.left + 4, y));
    source->BeginDrag(false);
    Pump();

    EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragMove}));
    EXPECT_EQ(droppedOn, NodeAt(target, {1}));
    EXPECT_EQ(droppedFrom, source) << "the dragged control stands as source";
    EXPECT_EQ(droppedData, nullptr);
    EXPECT_EQ(formats, 0u);
    EXPECT_EQ(endedOn, target);
    EXPECT_EQ(target->GetDropTargetNode(), nullptr);
    for (TVirtualTreeState state : {tsQUORLDragPending, tsQUORLDragging, tsLeftButtonDown}) {
        EXPECT_FALSE(source->HasState(state)) << int(state);
        EXPECT_FALSE(target->HasState(state)) << int(state);
    }
}

// An application that makes its own drag object: the target hears that
// object as the source, and the source tree knows it for the drag's length.
TEST_F(TreeCommands, AFrameworkDragCarriesTheApplicationsDragObject) {
    TForm* form = Form();
    TVirtualStringTree* source = StringTree(form, 0, 3);
    TVirtualStringTree* target = StringTree(form, 150, 3);
    Pump();
    source->SetDragType(dtQUORL);
    class TNodesDragObject : public TDragObject {} own;
    source->OnStartDrag = [&](TObject*, TDragObject*& DragObject) { DragObject = &own; };
    std::vector<TObject*> heard;
    bool sourceKnew = false;
    target->OnDragOver = [&](TBaseVirtualTree*, TObject* Source, TShiftState, TDragState, TPoint,
                             TDropMode, uint32_t&, bool& Accept) {
        heard.push_back(Source);
        sourceKnew = source->HasState(tsUserDragObject);
        Accept = true;
    };
    TObject* droppedFrom = nullptr;
    target->OnDragDrop = [&](TBaseVirtualTree*, TObject* Source, IDataObject*, const TFormatArray&,
                             TShiftState, TPoint, uint32_t&, TDropMode) { droppedFrom = Source; };
    TestSeams::MouseDown(TestSeams::ClientPoint(source->GetHandle(), 20, 5));
    Pump();
    TestSeams::MouseMove(TestSeams::ClientPoint(target->GetHandle(), 20, 10));
    TestSeams::MouseMove(TestSeams::ClientPoint(target->GetHandle(), 22, 10));
    TestSeams::MouseUp(TestSeams::ClientPoint(target->GetHandle(), 22, 10));
    source->BeginDrag(false);
    Pump();
    EXPECT_EQ(heard, (std::vector<TObject*>{&own, &own}));
    EXPECT_TRUE(sourceKnew);
    EXPECT_EQ(droppedFrom, &own);
    EXPECT_FALSE(source->HasState(tsUserDragObject));
}

TEST_F(TreeCommands, EditActionsWorkOnTheSelectedNodes) {
    TVirtualStringTree* tree = StringTree(Form(), 0, 3);
    TStringList all;
    EnumerateVTClipboardFormats(TVirtualStringTree::StaticClass(), &all);
    for (int f = 0; f < all.GetCount(); ++f)
        tree->GetClipboardFormats()->Add(all.GetStrings(f));
    TVTSelectionOptions selection = tree->GetTreeOptions()->GetSelectionOptions();
    tree->GetTreeOptions()->SetSelectionOptions(selection + TVTSelectionOptions{toMultiSelect});
    tree->SetFocus();
    Pump();
    TEditCopy copy(nullptr);
    TEditCut cut(nullptr);
    TEditPaste paste(nullptr);
    TEditDelete erase(nullptr);
    TEditSelectAll selectAll(nullptr);

    // Without a selection only paste and select all are possible.
    const std::pair<TCustomAction*, bool> empty[] = {
        {&copy, false}, {&cut, false}, {&erase, false}, {&paste, true}, {&selectAll, true}};
    for (auto [action, enabled] : empty) {
        EXPECT_TRUE(action->Update());
        EXPECT_EQ(action->GetEnabled(), enabled);
    }

    EXPECT_TRUE(selectAll.Execute());
    EXPECT_EQ(tree->GetSelectedCount(), 3u);
    EXPECT_TRUE(copy.Update());
    EXPECT_TRUE(copy.GetEnabled());
    EXPECT_TRUE(copy.Execute());
    EXPECT_TRUE(tree->HasState(tsCopyPending));

    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    tree->GetTreeOptions()->SetMiscOptions(misc + TVTMiscOptions{toReadOnly});
    EXPECT_TRUE(erase.Update());
    EXPECT_FALSE(erase.Execute()) << "a read-only tree keeps its nodes";
    EXPECT_EQ(tree->GetRootNodeCount(), 3u);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    tree->SetSelected(NodeAt(tree, {0}), false);
    EXPECT_TRUE(erase.Update());
    EXPECT_TRUE(erase.Execute());
    EXPECT_EQ(tree->GetRootNodeCount(), 1u);
    EXPECT_TRUE(TreeIsConsistent(tree));
}

} // namespace
