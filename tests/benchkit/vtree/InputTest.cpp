// The tree in the user's hands: hit testing, clicks, keys, in-place editing
// and incremental search, driven through the layer's synthetic input on the
// manual clock.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Forms.h>

#include <map>
#include <string>

namespace {

// Top level "alpha", "beta", "bravo", "charlie"; "alpha" has "a0", "a1".
class Input : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TVirtualStringTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 300, 200);
        tree->SetBorderStyle(bsNone);
        tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex,
                                 TQOZTextType, UnicodeString& text) { text = Text[node]; };
        tree->OnNewText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex,
                                 const UnicodeString& text) { Text[node] = text; };
        tree->SetRootNodeCount(4);
        tree->SetChildCount(NodeAt(tree, {0}), 2);
        const std::pair<std::vector<uint32_t>, const char16_t*> names[] = {
            {{0}, u"alpha"}, {{0, 0}, u"a0"},   {{0, 1}, u"a1"},
            {{1}, u"beta"},  {{2}, u"bravo"}, {{3}, u"charlie"}};
        for (const auto& [path, text] : names)
            Text[NodeAt(tree, path)] = text;
        tree->HandleNeeded();
        tree->SetFocus();
        Pump();
    }
    PVirtualNode N(std::vector<uint32_t> path) { return NodeAt(tree, path); }
    // Client point of the middle of a node's text.
    POINT OnText(PVirtualNode node) {
        const TRect r = tree->GetDisplayRect(node, NoColumn, true);
        return TestSeams::ClientPoint(tree->GetHandle(), (r.left + r.right) / 2,
                                      (r.top + r.bottom) / 2);
    }
    void Click(PVirtualNode node, std::initializer_list<int> keys = {}) {
        for (int k : keys)
            TestSeams::KeyDown(k);
        TestSeams::Click(OnText(node));
        for (int k : keys)
            TestSeams::KeyUp(k);
        Pump();
    }
    void Keys(std::initializer_list<int> modifiers, int key) {
        for (int k : modifiers)
            TestSeams::KeyDown(k);
        TestSeams::KeyPress(key);
        for (int k : modifiers)
            TestSeams::KeyUp(k);
        Pump();
    }
    std::vector<PVirtualNode> Selected() {
        std::vector<PVirtualNode> nodes;
        for (PVirtualNode n = tree->GetFirst(); n; n = tree->GetNext(n))
            if (tree->GetSelected(n)) nodes.push_back(n);
        return nodes;
    }

    TForm* form = nullptr;
    TVirtualStringTree* tree = nullptr;
    std::map<PVirtualNode, UnicodeString> Text;
};

// Rows are 18 pixels; indent 18 with the root shown, margin 4.
TEST_F(Input, HitTestTable) {
    const int width = tree->GetDisplayRect(N({1}), NoColumn, true).right -
                      tree->GetDisplayRect(N({1}), NoColumn, true).left;
    struct Case {
        const char* name;
        int x, y;
        std::vector<uint32_t> node; // empty: none
        std::vector<THitPosition> positions;
    };
    const Case cases[] = {
        {"left of everything", -1, 5, {}, {hiToLeft}},
        {"above", 5, -1, {}, {hiAbove}},
        {"button of a parent", 5, 5, {0}, {hiOnItem, hiOnItemButton}},
        {"indent of a leaf", 5, 18 * 1 + 5, {1}, {hiOnItem}},
        {"margin", 18 + 2, 18 + 5, {1}, {hiOnItem}},
        {"label", 18 + 4 + width / 2, 18 + 5, {1}, {hiOnItem, hiOnItemLabel}},
        {"right of the label", 18 + 4 + width + 20, 18 + 5, {1}, {hiOnItem, hiOnItemRight}},
        {"below the last row", 50, 150, {}, {hiNowhere}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        THitInfo hit;
        tree->GetHitTestInfoAt(c.x, c.y, true, hit);
        EXPECT_EQ(hit.HitNode, c.node.empty() ? nullptr : N(c.node));
        THitPositions expected;
        for (THitPosition p : c.positions)
            expected.Include(p);
        EXPECT_EQ(hit.HitPositions.ToInt(), expected.ToInt());
    }
}

TEST_F(Input, ClicksSelectAndExtend) {
    tree->GetTreeOptions()->SetSelectionOptions({toMultiSelect});
    Click(N({1}));
    EXPECT_EQ(tree->GetFocusedNode(), N({1}));
    EXPECT_EQ(Selected(), std::vector<PVirtualNode>{N({1})});
    Click(N({3}), {VK_SHIFT});
    EXPECT_EQ(Selected(), (std::vector<PVirtualNode>{N({1}), N({2}), N({3})}));
    Click(N({2}), {VK_CONTROL});
    EXPECT_EQ(Selected(), (std::vector<PVirtualNode>{N({1}), N({3})}));
    // A plain press on a selected node keeps only that one once released.
    Click(N({3}));
    EXPECT_EQ(Selected(), std::vector<PVirtualNode>{N({3})});
}

TEST_F(Input, ButtonAndDoubleClickToggle) {
    const TRect row = tree->GetDisplayRect(N({0}), NoColumn, false);
    TestSeams::Click(TestSeams::ClientPoint(tree->GetHandle(), 5, row.top + 5));
    Pump();
    EXPECT_TRUE(tree->GetExpanded(N({0})));
    Advance(1000); // no double click
    TestSeams::Click(OnText(N({0})));
    TestSeams::Click(OnText(N({0})));
    Pump();
    EXPECT_FALSE(tree->GetExpanded(N({0})));
}

TEST_F(Input, KeyboardNavigationTable) {
    tree->GetTreeOptions()->SetSelectionOptions({toMultiSelect});
    tree->SetExpanded(N({0}), true);
    // Visible order: alpha, a0, a1, beta, bravo, charlie.
    struct Case {
        const char* name;
        std::vector<uint32_t> start; // empty: nothing focused
        std::initializer_list<int> modifiers;
        int key;
        std::vector<uint32_t> focused;
        size_t selected;
    };
    const Case cases[] = {
        {"down", {1}, {}, VK_DOWN, {2}, 1},
        {"up", {1}, {}, VK_UP, {0, 1}, 1},
        {"up at the top", {0}, {}, VK_UP, {0}, 1},
        {"home", {2}, {}, VK_HOME, {0}, 1},
        {"end", {0}, {}, VK_END, {3}, 1},
        {"page down from nothing", {}, {}, VK_NEXT, {3}, 1},
        {"left goes to the parent", {0, 1}, {}, VK_LEFT, {0}, 1},
        {"left collapses", {0}, {}, VK_LEFT, {0}, 1},
        {"right goes to the child", {0}, {}, VK_RIGHT, {0, 0}, 1},
        {"shift down extends", {1}, {VK_SHIFT}, VK_DOWN, {2}, 2},
        {"shift end extends", {1}, {VK_SHIFT}, VK_END, {3}, 3},
        {"back goes to the parent", {0, 0}, {}, VK_BACK, {0}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree->SetExpanded(N({0}), true);
        tree->ClearSelection();
        tree->SetFocusedNode(c.start.empty() ? nullptr : N(c.start));
        if (!c.start.empty()) tree->SetSelected(N(c.start), true);
        tree->ResetRangeAnchor();
        Keys(c.modifiers, c.key);
        EXPECT_EQ(tree->GetFocusedNode(), N(c.focused));
        EXPECT_EQ(tree->GetSelectedCount(), c.selected);
    }
    tree->SetFocusedNode(N({1}));
    Keys({VK_CONTROL}, 'A');
    EXPECT_EQ(tree->GetSelectedCount(), 6u);
}

TEST_F(Input, ExpandCollapseKeys) {
    tree->SetFocusedNode(N({0}));
    Keys({}, VK_ADD);
    EXPECT_TRUE(tree->GetExpanded(N({0})));
    Keys({}, VK_SUBTRACT);
    EXPECT_FALSE(tree->GetExpanded(N({0})));
    Keys({}, VK_MULTIPLY);
    EXPECT_TRUE(tree->GetExpanded(N({0})));
    Keys({}, VK_DIVIDE);
    EXPECT_FALSE(tree->GetExpanded(N({0})));
}

TEST_F(Input, KeyActionRefusalStopsEveryKey) {
    tree->SetFocusedNode(N({1}));
    tree->OnKeyAction = [](TBaseVirtualTree*, uint16_t&, TShiftState&, bool& doDefault) {
        doDefault = false;
    };
    for (int key : {VK_DOWN, VK_END, VK_ADD, VK_F2})
        Keys({}, key);
    EXPECT_EQ(tree->GetFocusedNode(), N({1}));
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(Input, SpaceChecksOnReleaseAndNotWhenDisabled) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toCheckSupport);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    tree->SetCheckType(N({1}), ctCheckBox);
    tree->SetFocusedNode(N({1}));
    TestSeams::KeyDown(VK_SPACE);
    Pump();
    EXPECT_EQ(tree->GetCheckState(N({1})), csUncheckedPressed);
    TestSeams::KeyUp(VK_SPACE);
    Pump();
    EXPECT_EQ(tree->GetCheckState(N({1})), csCheckedNormal);

    tree->SetDisabled(N({1}), true);
    Keys({}, VK_SPACE);
    EXPECT_EQ(tree->GetCheckState(N({1})), csCheckedNormal);
}

TEST_F(Input, F2EditsAndEnterWritesBack) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toEditable);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    tree->SetFocusedNode(N({1}));
    Keys({}, VK_F2);
    ASSERT_TRUE(tree->IsEditing());
    TestSeams::TypeText(u"gamma");
    Pump();
    Keys({}, VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Text[N({1})], u"gamma");
    EXPECT_TRUE(tree->Focused());
}

TEST_F(Input, EscapeCancelsAndUnchangedTextIsNotWritten) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toEditable);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    int written = 0;
    tree->OnNewText = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex, const UnicodeString&) {
        ++written;
    };
    int cancelled = 0;
    tree->OnEditCancelled = [&](TBaseVirtualTree*, TColumnIndex) { ++cancelled; };
    ASSERT_TRUE(tree->EditNode(N({1}), NoColumn));
    TestSeams::TypeText(u"x");
    Pump();
    Keys({}, VK_ESCAPE);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(cancelled, 1);
    ASSERT_TRUE(tree->EditNode(N({1}), NoColumn));
    EXPECT_TRUE(tree->EndEditNode());
    EXPECT_EQ(written, 0);
}

TEST_F(Input, EditNodeRefusedWhenDisabledOrReadOnly) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toEditable);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    int created = 0;
    tree->OnCreateEditor = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVTEditLinkRef&) {
        ++created;
    };
    tree->SetDisabled(N({1}), true);
    EXPECT_FALSE(tree->EditNode(N({1}), NoColumn));
    misc.Include(toReadOnly);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    EXPECT_FALSE(tree->EditNode(N({2}), NoColumn));
    EXPECT_EQ(created, 0);
}

// An editor whose answers and failures the test chooses.
class TScriptedLink : public TInterfacedObject, public IVTEditLink {
public:
    enum Step { sPrepare, sBegin, sEnd, sCancel };
    std::map<Step, bool> Answer{{sPrepare, true}, {sBegin, true}, {sEnd, true}, {sCancel, true}};
    std::map<Step, bool> Raise;
    std::vector<std::string>* Log = nullptr;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IVTEditLink>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    bool Do(Step s, const char* name) {
        Log->push_back(name);
        if (Raise[s]) throw Exception(u"editor failed");
        return Answer[s];
    }
    bool BeginEdit() override { return Do(sBegin, "begin"); }
    bool CancelEdit() override { return Do(sCancel, "cancel"); }
    bool EndEdit() override { return Do(sEnd, "end"); }
    bool PrepareEdit(TBaseVirtualTree*, PVirtualNode, TColumnIndex) override {
        return Do(sPrepare, "prepare");
    }
    TRect GetBounds() override { return Bounds; }
    void ProcessMessage(TMessage&) override {}
    void SetBounds(TRect R) override {
        Log->push_back("bounds");
        Bounds = R;
    }
    TRect Bounds{};
};

TEST_F(Input, ScriptedEditorAtEveryStep) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toEditable);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    struct Case {
        const char* name;
        TScriptedLink::Step step;
        bool raise;
        bool editingAfterStart;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"prepare refuses", TScriptedLink::sPrepare, false, false, {"prepare"}},
        {"begin refuses", TScriptedLink::sBegin, false, false, {"prepare", "bounds", "begin"}},
        {"prepare raises", TScriptedLink::sPrepare, true, false, {"prepare"}},
        {"begin raises", TScriptedLink::sBegin, true, false, {"prepare", "bounds", "begin"}},
        {"end refuses", TScriptedLink::sEnd, false, true, {"prepare", "bounds", "begin", "end"}},
        {"end raises", TScriptedLink::sEnd, true, true, {"prepare", "bounds", "begin", "end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        TScriptedLink* link = nullptr;
        tree->OnCreateEditor = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex,
                                   TVTEditLinkRef& out) {
            link = new TScriptedLink;
            link->Log = &log;
            if (c.raise)
                link->Raise[c.step] = true;
            else
                link->Answer[c.step] = false;
            out = TVTEditLinkRef(link);
        };
        tree->SetFocusedNode(nullptr);
        if (c.raise && (c.step == TScriptedLink::sPrepare || c.step == TScriptedLink::sBegin))
            EXPECT_THROW(tree->EditNode(N({1}), NoColumn), Exception);
        else
            tree->EditNode(N({1}), NoColumn);
        EXPECT_EQ(tree->IsEditing(), c.editingAfterStart);
        EXPECT_EQ(tree->GetEditLink() != nullptr, c.editingAfterStart);
        if (c.editingAfterStart) {
            int after = 0;
            tree->OnAfterEndEditing = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex) {
                ++after;
            };
            if (c.raise)
                EXPECT_THROW(tree->EndEditNode(), Exception);
            else
                EXPECT_FALSE(tree->EndEditNode());
            EXPECT_EQ(after, 1);
            EXPECT_TRUE(tree->IsEditing()); // the edit goes on
            link->Raise.clear();
            link->Answer[TScriptedLink::sEnd] = true;
            EXPECT_TRUE(tree->EndEditNode());
            EXPECT_FALSE(tree->IsEditing());
            tree->OnAfterEndEditing = nullptr;
            log.pop_back();
        }
        EXPECT_EQ(log, c.log);
    }
}

TEST_F(Input, MissingEditLinkRaises) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toEditable);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    tree->OnCreateEditor = [](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVTEditLinkRef&) {};
    EXPECT_THROW(tree->EditNode(N({1}), NoColumn), EVirtualTreeError);
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(Input, IncrementalSearchTypesCyclesAndTimesOut) {
    tree->SetIncrementalSearch(isAll);
    tree->SetFocusedNode(N({0}));
    TestSeams::TypeText(u"b");
    Pump();
    EXPECT_EQ(tree->GetFocusedNode(), N({1}));
    EXPECT_TRUE(tree->GetSelected(N({1})));
    TestSeams::TypeText(u"r");
    Pump();
    EXPECT_EQ(tree->GetFocusedNode(), N({2}));
    EXPECT_EQ(tree->GetSearchBuffer(), u"br");

    Advance(tree->GetIncrementalSearchTimeout() + 10);
    EXPECT_TRUE(tree->GetSearchBuffer().empty());
    // The same letter again cycles through the nodes that begin with it.
    TestSeams::TypeText(u"b");
    Pump();
    EXPECT_EQ(tree->GetFocusedNode(), N({1}));
    TestSeams::TypeText(u"b");
    Pump();
    EXPECT_EQ(tree->GetFocusedNode(), N({2}));

    // No match: the focus stays.
    Advance(tree->GetIncrementalSearchTimeout() + 10);
    TestSeams::TypeText(u"z");
    Pump();
    EXPECT_EQ(tree->GetFocusedNode(), N({2}));
}

TEST_F(Input, BackspaceWithOneCharacterOnlyRestartsTheTimeout) {
    tree->SetIncrementalSearch(isAll);
    tree->SetFocusedNode(N({0}));
    TestSeams::TypeText(u"c");
    Pump();
    ASSERT_EQ(tree->GetFocusedNode(), N({3}));
    Advance(tree->GetIncrementalSearchTimeout() - 10);
    Keys({}, VK_BACK);
    EXPECT_EQ(tree->GetFocusedNode(), N({3}));
    Advance(20);
    EXPECT_EQ(tree->GetSearchBuffer(), u"c");
}

TEST_F(Input, EditDelayStartsEditingOnTheManualClock) {
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    misc.Include(toEditable);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    Click(N({1}));
    Advance(1000); // not a double click
    Click(N({1}));
    EXPECT_FALSE(tree->IsEditing());
    Advance(tree->GetEditDelay() + 10);
    EXPECT_TRUE(tree->IsEditing());
    tree->CancelEditNode();
}

TEST_F(Input, TooltipOnlyForCutText) {
    tree->SetHintMode(hmTooltip);
    tree->SetShowHint(true);
    Text[N({1})] = u"a very long text that the narrow window has to cut off at its edge";
    tree->InvalidateNode(N({1})); // the cached width goes with the old text
    tree->SetWidth(120);
    Pump();
    auto ask = [&](PVirtualNode node) {
        THintInfo info;
        const TRect r = tree->GetDisplayRect(node, NoColumn, true);
        info.CursorPos = TPoint(std::min<LONG>(r.left + 5, 100), (r.top + r.bottom) / 2);
        return tree->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    };
    EXPECT_TRUE(ask(N({1})));
    tree->Perform(CM_MOUSELEAVE);
    EXPECT_FALSE(ask(N({2})));
}

} // namespace
