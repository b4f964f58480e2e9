// Tree streams: exact layouts, round trips with user data, older versions,
// damaged input (which must leave the tree as it was), and transfers
// between trees that go through the stream.
#include "VirtualTreeTestSupport.h"

#include <runpak/Streams.h>

#include <cstring>
#include <sstream>

namespace {

class TreeStreams : public VirtualTreeTest {
protected:
    // A tree whose nodes carry an int the application streams when non-zero.
    TTestTree* MakeDataTree() {
        TTestTree* tree = MakeTree();
        tree->SetNodeDataSize(sizeof(int));
        tree->OnSaveNode = [tree](TBaseVirtualTree*, PVirtualNode node, TStream* s) {
            if (int v = *tree->GetNodeData<int>(node)) s->WriteBuffer(&v, sizeof v);
        };
        tree->OnLoadNode = [tree](TBaseVirtualTree*, PVirtualNode node, TStream* s) {
            s->ReadBuffer(tree->GetNodeData<int>(node), sizeof(int));
        };
        return tree;
    }
    // Three levels: 0 (data 1, expanded) with 0.0 (data 2, checked, selected)
    // and 0.1 (hidden, children 0.1.0, 0.1.1 collapsed); 1 (data 3).
    TTestTree* MakeSample() {
        TTestTree* tree = MakeDataTree();
        TVTSelectionOptions sel = tree->GetTreeOptions()->GetSelectionOptions();
        tree->GetTreeOptions()->SetSelectionOptions(sel + TVTSelectionOptions{toMultiSelect});
        tree->SetRootNodeCount(2);
        PVirtualNode a = NodeAt(tree, {0});
        tree->InitNode(a);
        *tree->GetNodeData<int>(a) = 1;
        tree->SetChildCount(a, 2);
        tree->SetExpanded(a, true);
        PVirtualNode a0 = NodeAt(tree, {0, 0});
        tree->InitNode(a0);
        *tree->GetNodeData<int>(a0) = 2;
        tree->SetCheckType(a0, ctCheckBox);
        tree->SetCheckState(a0, csCheckedNormal);
        tree->SetSelected(a0, true);
        PVirtualNode a1 = NodeAt(tree, {0, 1});
        tree->InitNode(a1);
        tree->SetChildCount(a1, 2);
        tree->SetVisible(a1, false);
        tree->InitNode(NodeAt(tree, {0, 1, 0}));
        tree->InitNode(NodeAt(tree, {0, 1, 1}));
        tree->InitNode(NodeAt(tree, {1}));
        *tree->GetNodeData<int>(NodeAt(tree, {1})) = 3;
        return tree;
    }
    // Structure, flags and data of every node, one line each.
    static std::string Describe(TTestTree* Tree) {
        std::ostringstream out;
        for (PVirtualNode run = Tree->GetFirstNoInit(); run; run = Tree->GetNextNoInit(run)) {
            out << Tree->GetNodeLevel(run) << ':' << run->Index << " n" << run->ChildCount
                << " h" << run->NodeHeight << " s" << std::hex
                << (run->States - TVirtualNodeStates{vsAllChildrenHidden}).ToInt() << std::dec
                << " c" << int(run->CheckType) << '/' << int(run->CheckState);
            if (Tree->GetNodeDataSize() >= 4) out << " d" << *Tree->GetNodeData<int>(run);
            out << '\n';
        }
        out << "total " << Tree->GetRootNode()->TotalCount << " height "
            << Tree->GetRootNode()->TotalHeight << " visible " << Tree->GetVisibleCount()
            << " selected " << Tree->GetSelectedCount();
        return out.str();
    }
    static TBytes Save(TTestTree* Tree, PVirtualNode Node = nullptr) {
        TBytesStream stream;
        Tree->SaveToStream(&stream, Node);
        return stream.GetBytes();
    }
};

TEST_F(TreeStreams, AnEmptyTreeIsTheMagicAndACountOfNothing) {
    TTestTree* tree = MakeTree();
    const TBytes bytes = Save(tree);
    ASSERT_EQ(bytes.size(), 16u);
    const uint8_t expected[16] = {0x45, 0x20, 'V', 0, 'T', 0, '2', 0, ' ', 0, 0x46, 0x20, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), expected, 16), 0);
    TTestTree* other = MakeTree();
    std::vector<PVirtualNode> copied;
    other->OnNodeCopied = [&](TBaseVirtualTree*, PVirtualNode node) { copied.push_back(node); };
    TBytesStream stream(bytes);
    other->LoadFromStream(&stream);
    EXPECT_EQ(other->GetRootNodeCount(), 0u);
    EXPECT_EQ(copied, std::vector<PVirtualNode>{nullptr});
}

TEST_F(TreeStreams, NodeRecordsHaveTheirExactSizes) {
    TTestTree* tree = MakeDataTree();
    tree->SetRootNodeCount(1);
    EXPECT_EQ(Save(tree).size(), 16u + 8 + 25);
    tree->OnSaveNode = [](TBaseVirtualTree*, PVirtualNode, TStream* s) { s->WriteBuffer("12345", 5); };
    EXPECT_EQ(Save(tree).size(), 16u + 8 + 25 + 8 + 5);
}

TEST_F(TreeStreams, RoundTripsStructureFlagsDataAndSelection) {
    TTestTree* source = MakeSample();
    const std::string before = Describe(source);
    TTestTree* target = MakeSample();
    target->Clear();
    TBytesStream stream(Save(source));
    target->LoadFromStream(&stream);
    EXPECT_EQ(Describe(target), before);
    EXPECT_TRUE(TreeIsConsistent(target));
    EXPECT_TRUE(target->GetSelected(NodeAt(target, {0, 0})));

    // Without several selected nodes allowed, nothing arrives selected.
    TTestTree* single = MakeDataTree();
    stream.SetPosition(0);
    single->LoadFromStream(&stream);
    EXPECT_EQ(single->GetSelectedCount(), 0u);
    EXPECT_FALSE(NodeAt(single, {0, 0})->States.Contains(vsSelected));
    EXPECT_TRUE(TreeIsConsistent(single));
}

TEST_F(TreeStreams, ACollapsedNodeKeepsItsChildrenAndHeight) {
    TTestTree* source = MakeSample();
    source->SetExpanded(NodeAt(source, {0}), false);
    TTestTree* target = MakeDataTree();
    TBytesStream stream(Save(source));
    target->LoadFromStream(&stream);
    EXPECT_EQ(NodeAt(target, {0})->ChildCount, 2u);
    EXPECT_FALSE(NodeAt(target, {0})->States.Contains(vsExpanded));
    EXPECT_EQ(NodeAt(target, {0})->TotalHeight, NodeAt(target, {0})->NodeHeight);
    EXPECT_TRUE(TreeIsConsistent(target));
}

TEST_F(TreeStreams, AddFromStreamAppendsUnderTheTarget) {
    TTestTree* source = MakeSample();
    TTestTree* target = MakeSample();
    std::vector<PVirtualNode> copied;
    target->OnNodeCopied = [&](TBaseVirtualTree*, PVirtualNode node) { copied.push_back(node); };
    TBytesStream stream(Save(source, NodeAt(source, {0})));
    target->AddFromStream(&stream, NodeAt(target, {1}));
    EXPECT_EQ(NodeAt(target, {1})->ChildCount, 1u);
    EXPECT_EQ(*target->GetNodeData<int>(NodeAt(target, {1, 0, 0})), 2);
    EXPECT_EQ(copied, std::vector<PVirtualNode>{NodeAt(target, {1})});
    EXPECT_TRUE(TreeIsConsistent(target));
}

TEST_F(TreeStreams, AHandlerThatReadsLessDoesNotDisturbTheNextNodes) {
    TTestTree* source = MakeSample();
    source->OnSaveNode = [source](TBaseVirtualTree*, PVirtualNode node, TStream* s) {
        const int v = *source->GetNodeData<int>(node);
        if (v) s->WriteBuffer("abcdefgh", 8);
    };
    TTestTree* target = MakeDataTree();
    int loads = 0;
    target->OnLoadNode = [&](TBaseVirtualTree*, PVirtualNode, TStream* s) {
        char c;
        s->ReadBuffer(&c, 1);
        ++loads;
    };
    TBytesStream stream(Save(source));
    target->LoadFromStream(&stream);
    EXPECT_EQ(loads, 3);
    EXPECT_EQ(target->GetRootNodeCount(), 2u);
    EXPECT_EQ(target->GetRootNode()->TotalCount, 7u);
}

// A version 1 stream: no count, 12-byte records with one state byte.
TBytes VersionOneStream(char16_t Fourth) {
    TBytes b = {0x45, 0x20, 'V', 0, 'T', 0, '1', 0, uint8_t(Fourth), 0, 0x46, 0x20};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    for (uint8_t states : {uint8_t(0x01), uint8_t(0x81)}) {
        put32(1);
        put32(8 + 12);
        put32(2);
        put32(12);
        put32(0);  // children
        put32(20); // height
        b.insert(b.end(), {states, 50, 0, 0});
    }
    return b;
}

TEST_F(TreeStreams, VersionOneLoadsUntilTheDataEnds) {
    for (char16_t fourth : {u' ', u'x'}) {
        TTestTree* tree = MakeTree();
        TVTSelectionOptions sel = tree->GetTreeOptions()->GetSelectionOptions();
        tree->GetTreeOptions()->SetSelectionOptions(sel + TVTSelectionOptions{toMultiSelect});
        TBytesStream stream(VersionOneStream(fourth));
        tree->LoadFromStream(&stream);
        ASSERT_EQ(tree->GetRootNodeCount(), 2u);
        EXPECT_TRUE(NodeAt(tree, {0})->States.Contains(vsVisible));
        EXPECT_EQ(NodeAt(tree, {0})->NodeHeight, 20);
        EXPECT_TRUE(tree->GetSelected(NodeAt(tree, {1})));
        EXPECT_TRUE(TreeIsConsistent(tree));
    }
}

// Damaged streams, each raising its error and leaving no node behind.
struct TDamage {
    const char* Name;
    size_t Offset; // where the bytes are written (SIZE_MAX: the stream is cut to Size)
    std::vector<uint8_t> Bytes;
    size_t Size;
    int Code;
};

void PrintTo(const TDamage& d, std::ostream* os) {
    *os << d.Name;
}

// The sample's stream starts: magic 0..11, count 12..15, node header 16..23,
// base header 24..31, base record 32..48 (child count at 32).
const TDamage Damages[] = {
    {"ShorterThanTheMagic", SIZE_MAX, {}, 11, hcTFStreamTooSmall},
    {"WrongMagic", 2, {'X'}, 0, hcTFWrongStreamFormat},
    {"UnknownVersion", 6, {'3'}, 0, hcTFWrongStreamVersion},
    {"CountBeyondTheData", 12, {0xFF, 0xFF, 0, 0}, 0, hcTFStreamTooSmall},
    {"NoNodeChunk", 16, {7}, 0, hcTFCorruptStream1},
    {"NodeLongerThanTheStream", 20, {0xFF, 0xFF, 0xFF, 0x0F}, 0, hcTFCorruptStream2},
    {"NegativeNodeSize", 20, {0xFF, 0xFF, 0xFF, 0xFF}, 0, hcTFCorruptStream2},
    {"NegativeChunkSize", 28, {0xFF, 0xFF, 0xFF, 0xFF}, 0, hcTFCorruptStream2},
    {"HugeChildCount", 32, {0xFF, 0xFF, 0xFF, 0xFF}, 0, hcTFCorruptStream2},
    {"OneChildTooMany", 32, {3}, 0, hcTFCorruptStream1},
    {"BaseChunkTooShortForItsRecord", 28, {4, 0, 0, 0}, 0, hcTFCorruptStream2},
};

class DamagedStream : public TreeStreams, public testing::WithParamInterface<TDamage> {};

TEST_P(DamagedStream, RaisesAndLeavesTheTreeAsItWas) {
    const TDamage& d = GetParam();
    TTestTree* source = MakeSample();
    TBytes bytes = Save(source);
    if (d.Offset == SIZE_MAX)
        bytes.resize(d.Size);
    else
        std::copy(d.Bytes.begin(), d.Bytes.end(), bytes.begin() + long(d.Offset));

    TTestTree* loaded = MakeDataTree();
    TBytesStream stream(bytes);
    try {
        loaded->LoadFromStream(&stream);
        ADD_FAILURE() << "no error";
    } catch (const EVirtualTreeError& e) {
        EXPECT_EQ(e.ErrorCode, d.Code);
    }
    EXPECT_EQ(loaded->GetRootNodeCount(), 0u);
    EXPECT_EQ(loaded->GetRootNode()->TotalCount, 1u);
    EXPECT_TRUE(TreeIsConsistent(loaded));
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedStream, testing::ValuesIn(Damages),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TreeStreams, EveryTruncationFailsCleanlyInLoadAndAdd) {
    TTestTree* source = MakeSample();
    const TBytes whole = Save(source);
    TTestTree* target = MakeSample();
    const std::string before = Describe(target);
    for (size_t size = 16; size < whole.size(); ++size) {
        TBytesStream cut(TBytes(whole.begin(), whole.begin() + long(size)));
        EXPECT_THROW(target->AddFromStream(&cut, NodeAt(target, {0, 0})), EVirtualTreeError)
            << size;
        ASSERT_EQ(Describe(target), before) << size;
        ASSERT_TRUE(TreeIsConsistent(target)) << size;
        cut.SetPosition(0);
        TTestTree* loaded = MakeDataTree();
        EXPECT_THROW(loaded->LoadFromStream(&cut), EVirtualTreeError) << size;
        EXPECT_EQ(loaded->GetRootNodeCount(), 0u) << size;
        ASSERT_TRUE(TreeIsConsistent(loaded)) << size;
        delete loaded;
    }
}

TEST_F(TreeStreams, FilesRoundTrip) {
    TTestTree* source = MakeSample();
    char dir[] = "/tmp/treestreamXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const UnicodeString path = u"C:" + Utf8ToUnicode(dir) + u"\\tree.vt";
    source->SaveToFile(path);
    TTestTree* target = MakeDataTree();
    TVTSelectionOptions sel = target->GetTreeOptions()->GetSelectionOptions();
    target->GetTreeOptions()->SetSelectionOptions(sel + TVTSelectionOptions{toMultiSelect});
    target->LoadFromFile(path);
    EXPECT_EQ(Describe(target), Describe(source));
    std::remove((std::string(dir) + "/tree.vt").c_str());
    rmdir(dir);
}

// --- Transfers between trees -----------------------------------------------------------------

class Transfers : public TreeStreams {
protected:
    // One top node that says it has two children, made on demand, with data 10, 11, 12.
    TTestTree* MakeLazySource() {
        TTestTree* tree = MakeDataTree();
        tree->OnInitNode = [tree](TBaseVirtualTree*, PVirtualNode parent, PVirtualNode node,
                                  TVirtualNodeInitStates& states) {
            *tree->GetNodeData<int>(node) = parent ? 11 + int(node->Index) : 10;
            if (!parent) states.Include(ivsHasChildren);
        };
        tree->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& count) { count = 2; };
        tree->SetRootNodeCount(1);
        return tree;
    }
};

TEST_F(Transfers, CopyAndMoveInitialiseWhatTheyWriteAndCarryTheData) {
    for (bool move : {false, true}) {
        TTestTree* source = MakeLazySource();
        TTestTree* target = MakeDataTree();
        if (move)
            source->MoveTo(NodeAt(source, {0}), target, amAddChildLast, false);
        else
            source->CopyTo(NodeAt(source, {0}), target, amAddChildLast, false);
        EXPECT_EQ(target->GetRootNode()->TotalCount, 4u) << "move " << move;
        EXPECT_EQ(*target->GetNodeData<int>(NodeAt(target, {0})), 10);
        EXPECT_EQ(*target->GetNodeData<int>(NodeAt(target, {0, 1})), 12);
        EXPECT_EQ(source->GetRootNodeCount(), move ? 0u : 1u);
        EXPECT_TRUE(TreeIsConsistent(target));
        EXPECT_TRUE(TreeIsConsistent(source));
    }
}

TEST_F(Transfers, ChildrenOnlyKeepsTheOrderInEveryMode) {
    for (TVTNodeAttachMode mode : {amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast}) {
        TTestTree* source = MakeLazySource();
        TTestTree* target = MakeDataTree();
        target->SetRootNodeCount(1);
        *target->GetNodeData<int>(NodeAt(target, {0})) = 99;
        source->CopyTo(NodeAt(source, {0}), NodeAt(target, {0}), mode, true);
        std::vector<int> order;
        for (PVirtualNode run = target->GetFirstNoInit(); run; run = target->GetNextNoInit(run))
            if (*target->GetNodeData<int>(run) != 99) order.push_back(*target->GetNodeData<int>(run));
        EXPECT_EQ(order, (std::vector<int>{11, 12})) << "mode " << mode;
        EXPECT_TRUE(TreeIsConsistent(target));
    }
}

TEST_F(Transfers, DeletingChildrenThatDoNotExistKeepsTheButton) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(1);
    PVirtualNode node = NodeAt(tree, {0});
    tree->SetHasChildren(node, true);
    tree->DeleteChildren(node, true);
    EXPECT_TRUE(node->States.Contains(vsHasChildren));
    tree->Clear();
    const bool rootHas = tree->GetRootNode()->States.Contains(vsHasChildren);
    tree->GetRootNode()->States.Include(vsHasChildren);
    tree->Clear();
    EXPECT_TRUE(tree->GetRootNode()->States.Contains(vsHasChildren)) << "was " << rootHas;
}

TEST_F(Transfers, StringTreeCaptionsTravelWithTheNodes) {
    auto* source = new TVirtualStringTree(Application);
    std::vector<UnicodeString> texts = {u"alpha", u"\u00e9t\u00e9"};
    source->OnGetText = [&](TBaseVirtualTree*, PVirtualNode node, TColumnIndex, TQOZTextType,
                            UnicodeString& text) { text = texts[node->Index]; };
    source->SetRootNodeCount(2);
    auto* target = new TVirtualStringTree(Application);
    std::vector<UnicodeString> received;
    target->OnNewText = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex,
                            const UnicodeString& text) { received.push_back(text); };
    TBytesStream stream;
    source->SaveToStream(&stream);
    stream.SetPosition(0);
    target->LoadFromStream(&stream);
    EXPECT_EQ(received, texts);
}

} // namespace
