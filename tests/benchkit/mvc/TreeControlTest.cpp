// The tree control: its own model, delegation, read-only writes and
// in-place edits of text-and-index items.
#include "PeerTestSupport.h"

#include "benchkit/mvc/IDETreeControl.h"

#include <quorlpak/Messages.h>
#include <runpak/Filer.h>
#include <runpak/StringList.h>
#include <win32/ole2.h>
#include <win32/shellapi.h>
#include <win32/shlobj.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

class TreeControlTest : public PeerTest {
protected:
    void SetUp() override {
        PeerTest::SetUp();
        Tree = new TTreeControl(Form);
        Tree->SetParent(Form);
        Pump();
    }
    TTreeControl* Tree = nullptr;
};

InterfacePtr<IInterface> Item(const char16_t* text, int index) {
    return InterfacePtr<IInterface>(static_cast<IPair*>(new TTextIndexObject(text, index)));
}

TEST_F(TreeControlTest, StartsWithItsOwnModelAndRefusesItself) {
    EXPECT_EQ(Tree->GetWidth(), 121);
    EXPECT_EQ(Tree->GetHeight(), 97);
    ASSERT_TRUE(Tree->GetModel());
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    ASSERT_TRUE(root);
    Pump();
    EXPECT_EQ(Tree->GetLineCount(), 1);
    try {
        Tree->SetModel(static_cast<IGraphModel*>(Tree));
        FAIL() << "accepted itself";
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Recursive model");
    }
}

TEST_F(TreeControlTest, ReadOnlyControlIgnoresWrites) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    EXPECT_TRUE(Tree->AddChild(root.Get(), Item(u"a", 1).Get()));
    Tree->SetReadOnly(true);
    EXPECT_FALSE(Tree->AddChild(root.Get(), Item(u"b", 2).Get()));
    EXPECT_FALSE(Tree->CanModify(root.Get()));
    EXPECT_EQ(root->GetChildren()->GetCount(), 1);
}

TEST_F(TreeControlTest, EditsKeepTheIndexOfTextAndIndexItems) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    InterfacePtr<IGraphLocation> a = Tree->AddChild(root.Get(), Item(u"a", 7).Get());
    Tree->Expand(root.Get());
    Pump();
    for (const char16_t* text : {u"first", u"second"}) {
        Tree->StartEdit(a.Get());
        ASSERT_TRUE(Tree->IsEditing());
        auto* field = dynamic_cast<TTextField*>(Tree->GetEditor()->GetComponent());
        ASSERT_NE(field, nullptr);
        field->SetText(text);
        Tree->EndEdit(true);
        Pump(); // the end-edit message
        InterfacePtr<IInterface> data = Tree->Get(a.Get());
        EXPECT_EQ(InterfaceCast<IStringObject>(data.Get())->GetString(), text);
        EXPECT_EQ(InterfaceCast<IIndexObject>(data.Get())->GetIndex(), 7);
    }
}

} // namespace

namespace {

TEST_F(TreeControlTest, AChildlessRowOpensOnlyOnceItHasChildren) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    Tree->Expand(root.Get()); // nothing to open yet
    EXPECT_FALSE(Tree->IsExpanded(root.Get()));
    InterfacePtr<IGraphLocation> group = Tree->AddChild(root.Get(), Item(u"g", 0).Get());
    Tree->AddChild(group.Get(), Item(u"x", 0).Get());
    Tree->Expand(root.Get());
    Tree->Expand(group.Get());
    EXPECT_TRUE(Tree->IsExpanded(group.Get()));
    Pump();
    EXPECT_EQ(Tree->GetLineCount(), 3);
}

} // namespace

#include <quorlpak/Bitmap.h>
#include <quorlpak/ImgList.h>

namespace {

TEST_F(TreeControlTest, ImagesWidenTheItemAndGoWithTheirList) {
    auto* images = new TImageList(Form);
    images->SetSize(16, 16);
    TBitmap picture;
    picture.SetSize(16, 16);
    images->Add(&picture, nullptr);
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    Pump();
    const int plain = Tree->GetViewState(root.Get())->FItemRect.Width;
    Tree->SetImages(images);
    Tree->Refresh();
    Pump();
    EXPECT_EQ(Tree->GetViewState(root.Get())->FItemRect.Width, plain + 16 + 4);
    delete images; // the control hears of it and drops the icons
    EXPECT_EQ(Tree->GetImages(), nullptr);
    Tree->Refresh();
    Pump();
    EXPECT_EQ(Tree->GetViewState(root.Get())->FItemRect.Width, plain);
}

// A dropped-files block as the shell hands it over: wide names.
HGLOBAL DropBlock(const std::vector<std::u16string>& names) {
    std::string bytes(sizeof(DROPFILES), '\0');
    DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
    std::memcpy(bytes.data(), &header, sizeof header);
    for (const auto& name : names)
        bytes.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * 2);
    bytes.append(2, '\0');
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

TEST_F(TreeControlTest, DroppedFilesReachTheHandlerAsAList) {
    Tree->SetEnableDropFiles(true);
    EXPECT_TRUE(GetWindowLongW(Tree->GetHandle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    std::vector<UnicodeString> got;
    // Without a handler the message is left to the window's default.
    // The last name is longer than the usual 4096-character buffer.
    const std::vector<std::u16string> names = {u"C:\\a.txt", u"C:\\tmp\\b",
                                               u"C:\\" + std::u16string(5000, u'x')};
    HGLOBAL unhandled = DropBlock(names);
    Tree->Perform(WM_DROPFILES, reinterpret_cast<WPARAM>(unhandled), 0);
    DragFinish(reinterpret_cast<HDROP>(unhandled));
    Tree->OnDropFiles = [&](TObject* sender, TStrings* files) {
        EXPECT_EQ(sender, Tree);
        for (int i = 0; i < files->GetCount(); ++i)
            got.push_back(files->Get(i));
    };
    Tree->Perform(WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(names)), 0);
    EXPECT_EQ(got, std::vector<UnicodeString>(names.begin(), names.end()));
    Tree->SetEnableDropFiles(false);
    EXPECT_FALSE(GetWindowLongW(Tree->GetHandle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(TreeControlTest, HintsShowOnlyItemsTheViewCutsOffAndTheHandlerHasTheLastWord) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    InterfacePtr<IGraphLocation> shortItem = Tree->AddChild(root.Get(), Item(u"a", 1).Get());
    InterfacePtr<IGraphLocation> longItem = Tree->AddChild(
        root.Get(), Item(u"an item whose text runs far past the right edge", 2).Get());
    Tree->Expand(root.Get());
    Pump();
    const auto hint = [&](IGraphLocation* at, THintInfo& info) {
        const TRectangle& r = Tree->GetViewState(at)->FItemRect;
        info = THintInfo();
        info.CursorPos = TPoint(r.Left + 2, r.Top + 2);
        return Tree->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    };
    THintInfo info;
    EXPECT_TRUE(hint(shortItem.Get(), info));
    EXPECT_EQ(info.HintStr, u"");
    EXPECT_TRUE(hint(longItem.Get(), info));
    EXPECT_EQ(info.HintStr, u"an item whose text runs far past the right edge");
    EXPECT_EQ(info.HideTimeout, INT_MAX);
    ASSERT_NE(info.HintWindowClass, nullptr);
    const TPoint corner = Tree->ClientToScreen(info.CursorRect.TopLeft());
    EXPECT_EQ(info.HintPos, TPoint(corner.x + 19, corner.y - 2));

    Tree->OnHintShow = [](TObject*, THintInfo&, bool& canShow) { canShow = false; };
    EXPECT_FALSE(hint(longItem.Get(), info));
    int pause = 500;
    Tree->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    EXPECT_EQ(pause, 0);
}

// A control dragged onto the tree: the view hears the drag as events, and
// the published OnDragOver and OnDragDrop decide and take the drop.
TEST_F(TreeControlTest, AFrameworkDragReachesOnDragOverAndOnDragDrop) {
    Tree->SetBounds(150, 10, 121, 97);
    auto* source = new TTreeControl(Form);
    source->SetParent(Form);
    source->SetBounds(10, 10, 121, 97);
    Pump();
    std::vector<std::string> events;
    InterfacePtr<TEventLog> log(new TEventLog(&events));
    Tree->AddDragListener(log.Get());
    std::vector<TDragState> states;
    Tree->OnDragOver = [&](TObject* Sender, TObject* Source, int, int, TDragState State,
                           bool& Accept) {
        states.push_back(State);
        Accept = Sender == Tree && Source == source;
    };
    TPoint droppedAt{-1, -1};
    Tree->OnDragDrop = [&](TObject*, TObject*, int X, int Y) { droppedAt = TPoint{X, Y}; };
    TObject* endedOn = nullptr;
    source->OnEndDrag = [&](TObject*, TObject* Target, int, int) { endedOn = Target; };
    TestSeams::MouseDown(TestSeams::ClientPoint(source->GetHandle(), 20, 20));
    Pump();
    TestSeams::MouseMove(TestSeams::ClientPoint(Tree->GetHandle(), 30, 30));
    TestSeams::MouseMove(TestSeams::ClientPoint(Tree->GetHandle(), 32, 31));
    TestSeams::MouseUp(TestSeams::ClientPoint(Tree->GetHandle(), 32, 31));
    source->BeginDrag(false);
    Pump();
    EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragMove}));
    EXPECT_EQ(droppedAt, TPoint(32, 31));
    EXPECT_EQ(endedOn, Tree);
    auto heard = [&](const char* id) {
        return std::any_of(events.begin(), events.end(),
                           [&](const std::string& e) { return e.find(id) != std::string::npos; });
    };
    EXPECT_TRUE(heard("2000")) << "entered";
    EXPECT_TRUE(heard("2003")) << "dropped";
    Tree->RemoveDragListener(log.Get());
}

TEST_F(TreeControlTest, ViewSettingsStreamByName) {
    Tree->SetName(u"Tree1");
    Tree->SetVgap(3);
    Tree->SetHIndent(25);
    Tree->SetStyle(tvsArrows); // (the arrow style sets a box size of its own)
    Tree->SetBoxSize(Dimension(11, 7));
    Tree->SetMultiSelect(false);
    Tree->SetEnableDropFiles(true);
    const UnicodeString text = ComponentToObjectText(Tree);
    for (const char16_t* line : {u"VertGap = 3", u"Indent = 25", u"BoxWidth = 11", u"BoxHeight = 7",
                                 u"MultiSelect = false", u"Style = tvsArrows",
                                 u"EnableDropFiles = true", u"ShowRoot = true"})
        EXPECT_NE(text.find(line), UnicodeString::npos) << UnicodeToUtf8(line);

    auto* copy = new TTreeControl(Form);
    copy->SetParent(Form);
    ObjectTextToComponent(text, copy);
    EXPECT_EQ(copy->GetVgap(), 3);
    EXPECT_EQ(copy->GetHIndent(), 25);
    EXPECT_EQ(copy->GetBoxSize(), Dimension(11, 7));
    EXPECT_FALSE(copy->GetMultiSelect());
    EXPECT_EQ(copy->GetStyle(), tvsArrows);
    EXPECT_TRUE(copy->GetEnableDropFiles());
}

} // namespace
