// The clipboard format registry, the tree's data object and enumerator,
// clipboard cut, copy and paste between and within trees, pastes of
// serialised data from elsewhere, the drop target and drops between trees.
#include "VirtualTreeTestSupport.h"

#include <runpak/Streams.h>
#include <win32/ole2.h>

#include <cstring>

namespace {

class DataTransfer : public VirtualTreeTest {
protected:
    // A string tree of Count top nodes named by Names; the names travel as captions.
    TVirtualStringTree* MakeStringTree(std::vector<UnicodeString> Names) {
        auto* tree = new TVirtualStringTree(Application);
        auto* names = new std::vector<UnicodeString>(std::move(Names));
        owned.emplace_back(names);
        tree->SetNodeDataSize(sizeof(int));
        tree->OnGetText = [tree, names](TBaseVirtualTree*, PVirtualNode node, TColumnIndex,
                                        TQOZTextType, UnicodeString& text) {
            const int index = *tree->GetNodeData<int>(node);
            text = index >= 0 && size_t(index) < names->size() ? (*names)[size_t(index)] : u"?";
        };
        // Pasted nodes take their text from the caption that came with them.
        tree->OnNewText = [tree, names](TBaseVirtualTree*, PVirtualNode node, TColumnIndex,
                                        const UnicodeString& text) {
            names->push_back(text);
            *tree->GetNodeData<int>(node) = int(names->size() - 1);
        };
        tree->SetRootNodeCount(uint32_t(names->size()));
        int i = 0;
        for (PVirtualNode run = tree->GetFirstNoInit(); run; run = run->NextSibling)
            *tree->GetNodeData<int>(run) = i++;
        TStringList all;
        EnumerateVTClipboardFormats(TVirtualStringTree::StaticClass(), &all);
        for (int f = 0; f < all.GetCount(); ++f)
            tree->GetClipboardFormats()->Add(all.GetStrings(f));
        return tree;
    }
    static std::vector<UnicodeString> Texts(TVirtualStringTree* Tree) {
        std::vector<UnicodeString> texts;
        for (PVirtualNode run = Tree->GetFirstNoInit(); run; run = Tree->GetNextNoInit(run))
            texts.push_back(Tree->GetText(run, NoColumn));
        return texts;
    }
    static UnicodeString ClipboardUnicode() {
        UnicodeString text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const char16_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    void TearDown() override {
        OleSetClipboard(nullptr);
        VirtualTreeTest::TearDown();
    }
    std::vector<std::unique_ptr<std::vector<UnicodeString>>> owned;
};

TEST_F(DataTransfer, TheRegistryOrdersByPriorityAndFindsTheLaterName) {
    TClipboardFormatList list;
    TClipboardFormatEntry entry;
    entry.TreeClass = TBaseVirtualTree::StaticClass();
    entry.Description = u"Late";
    entry.Priority = 100;
    entry.FormatEtc.cfFormat = 0xC101;
    list.Add(entry);
    entry.Description = u"Early";
    entry.Priority = 50;
    entry.FormatEtc.cfFormat = 0xC102;
    list.Add(entry);
    entry.Description = u"late";
    entry.Priority = 60;
    entry.FormatEtc.cfFormat = 0xC103;
    list.Add(entry);
    std::vector<FORMATETC> formats;
    list.EnumerateFormats(TVirtualStringTree::StaticClass(), formats);
    ASSERT_EQ(formats.size(), 3u);
    EXPECT_EQ(formats[0].cfFormat, 0xC102);
    EXPECT_EQ(list.FindFormat(u"LATE")->FormatEtc.cfFormat, 0xC101);
    list.EnumerateFormats(TCustomVirtualDrawTree::StaticClass(), formats);
    EXPECT_EQ(formats.size(), 3u) << "formats of the base class reach every tree";
}

TEST_F(DataTransfer, StandardAndRegisteredFormatsAreDescribedByName) {
    MakeTree();
    EXPECT_EQ(GetVTClipboardFormatDescription(CF_UNICODETEXT), u"Unicode text");
    EXPECT_EQ(GetVTClipboardFormatDescription(CF_CSV), u"CSV");
    const uint16_t again = RegisterVTClipboardFormat(u"CSV", TVirtualStringTree::StaticClass(), 90);
    EXPECT_EQ(again, CF_CSV);
    std::vector<FORMATETC> base, strings;
    EnumerateVTClipboardFormats(TBaseVirtualTree::StaticClass(), base);
    EnumerateVTClipboardFormats(TVirtualStringTree::StaticClass(), strings);
    ASSERT_FALSE(base.empty());
    EXPECT_EQ(base.front().cfFormat, CF_VIRTUALTREE);
    EXPECT_EQ(strings.front().cfFormat, CF_VIRTUALTREE);
    EXPECT_GT(strings.size(), base.size());
    for (const FORMATETC& f : base) EXPECT_NE(f.cfFormat, CF_UNICODETEXT);
}

TEST_F(DataTransfer, TheDataObjectAnswersQueriesAndItsEnumeratorCounts) {
    TVirtualStringTree* tree = MakeStringTree({u"a", u"b"});
    tree->GetClipboardFormats()->Clear();
    for (const char16_t* name : {u"Virtual Tree Data", u"CSV", u"Unicode text"})
        tree->GetClipboardFormats()->Add(name);
    InterfacePtr<IDataObject> data(new TVTDataObject(tree, false));
    FORMATETC query{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    EXPECT_EQ(data->QueryGetData(&query), DV_E_TYMED);
    query.tymed = TYMED_HGLOBAL;
    EXPECT_EQ(data->QueryGetData(&query), S_OK);
    query.dwAspect = DVASPECT_ICON;
    EXPECT_EQ(data->QueryGetData(&query), DV_E_DVASPECT);
    query = FORMATETC{CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_TRUE(FAILED(data->QueryGetData(&query)));

    InterfacePtr<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Out()), S_OK);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, formats.Out()), OLE_S_USEREG);
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Out()), S_OK);
    EXPECT_EQ(formats->Skip(4), S_FALSE);
    EXPECT_EQ(formats->Skip(2), S_OK);
    FORMATETC got[2];
    ULONG fetched = 9;
    EXPECT_EQ(formats->Next(2, got, &fetched), S_FALSE) << "one of two asked for is left";
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT);
    EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    formats->Reset();
    InterfacePtr<IEnumFORMATETC> clone;
    ASSERT_EQ(formats->Clone(clone.Out()), S_OK);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_VIRTUALTREE);
}

TEST_F(DataTransfer, DataSetIntoTheObjectIsOfferedAndHandedBack) {
    TVirtualStringTree* tree = MakeStringTree({u"a"});
    InterfacePtr<IDataObject> data(new TVTDataObject(tree, false));
    const UINT format = RegisterClipboardFormatW(u"Test private data");
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
    std::memcpy(GlobalLock(block), "xyz", 3);
    GlobalUnlock(block);
    FORMATETC f{CLIPFORMAT(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    ASSERT_EQ(data->SetData(&f, &medium, FALSE), S_OK);
    GlobalFree(block);
    STGMEDIUM out{};
    ASSERT_EQ(data->GetData(&f, &out), S_OK);
    EXPECT_EQ(std::memcmp(GlobalLock(out.hGlobal), "xyz", 3), 0);
    GlobalUnlock(out.hGlobal);
    ReleaseStgMedium(&out);
    EXPECT_EQ(data->GetDataHere(&f, &out), E_NOTIMPL);
}

TEST_F(DataTransfer, CopyAndPasteBetweenTreesCarriesTheNodesAndText) {
    TVirtualStringTree* a = MakeStringTree({u"one", u"two", u"three"});
    TVirtualStringTree* b = MakeStringTree({u"x"});
    a->SetSelected(NodeAt(a, {0}), true);
    a->SetFocusedNode(NodeAt(a, {0}));
    a->CopyToClipBoard();
    EXPECT_TRUE(a->HasState(tsCopyPending));
    EXPECT_TRUE(NodeAt(a, {0})->States.Contains(vsCutOrCopy));
    EXPECT_EQ(ClipboardUnicode(), u"one\r\n");
    EXPECT_TRUE(b->PasteFromClipboard());
    EXPECT_EQ(Texts(b), (std::vector<UnicodeString>{u"x", u"one"}));
    EXPECT_EQ(Texts(a).size(), 3u) << "a copy leaves the source alone";
    EXPECT_TRUE(TreeIsConsistent(b));
}

TEST_F(DataTransfer, CutAndPasteMovesTheNodesAndEndsTheCut) {
    TVirtualStringTree* a = MakeStringTree({u"one", u"two", u"three"});
    TVirtualStringTree* b = MakeStringTree({u"x"});
    TVTSelectionOptions sel = a->GetTreeOptions()->GetSelectionOptions();
    a->GetTreeOptions()->SetSelectionOptions(sel + TVTSelectionOptions{toMultiSelect});
    a->SetSelected(NodeAt(a, {0}), true);
    a->SetSelected(NodeAt(a, {2}), true);
    a->CutToClipBoard();
    EXPECT_TRUE(a->HasState(tsCutPending));
    b->SetFocusedNode(NodeAt(b, {0}));
    EXPECT_TRUE(b->PasteFromClipboard());
    EXPECT_EQ(Texts(a), (std::vector<UnicodeString>{u"two"}));
    EXPECT_EQ(Texts(b), (std::vector<UnicodeString>{u"x", u"one", u"three"}));
    EXPECT_FALSE(a->HasState(tsCutPending));
    EXPECT_TRUE(TreeIsConsistent(a));
    EXPECT_TRUE(TreeIsConsistent(b));

    // Within one tree: the cut node moves under the focused one.
    a->SetRootNodeCount(0);
    TVirtualStringTree* c = MakeStringTree({u"p", u"q"});
    c->SetSelected(NodeAt(c, {0}), true);
    c->CutToClipBoard();
    c->SetFocusedNode(NodeAt(c, {1}));
    EXPECT_TRUE(c->PasteFromClipboard());
    EXPECT_FALSE(c->HasState(tsCutPending));
    EXPECT_EQ(Texts(c), (std::vector<UnicodeString>{u"q", u"p"}));
    EXPECT_EQ(c->GetNodeLevel(NodeAt(c, {0, 0})), 1u);
}

TEST_F(DataTransfer, NothingSelectedCopiesNothing) {
    TVirtualStringTree* a = MakeStringTree({u"one"});
    a->CopyToClipBoard();
    a->CutToClipBoard();
    EXPECT_FALSE(a->HasState(tsCopyPending));
    EXPECT_FALSE(a->HasState(tsCutPending));
}

TEST_F(DataTransfer, ClipboardDataOutlivesClearingOrFreeingTheSourceTree) {
    TVirtualStringTree* a = MakeStringTree({u"one", u"two"});
    a->SetSelected(NodeAt(a, {1}), true);
    a->CopyToClipBoard();
    a->Clear();
    EXPECT_FALSE(a->HasState(tsCopyPending));
    EXPECT_EQ(ClipboardUnicode(), u"two\r\n");
    TVirtualStringTree* b = MakeStringTree({});
    EXPECT_TRUE(b->PasteFromClipboard());
    EXPECT_EQ(Texts(b), (std::vector<UnicodeString>{u"two"}));

    b->SetSelected(NodeAt(b, {0}), true);
    b->CopyToClipBoard();
    delete b;
    TVirtualStringTree* c = MakeStringTree({});
    EXPECT_TRUE(c->PasteFromClipboard());
    EXPECT_EQ(Texts(c), (std::vector<UnicodeString>{u"two"}));
}

// Native data put on the clipboard by another process: no tree reference,
// only the size and the node records.
void PutNativeRecords(const TBytes& Records, uint32_t DeclaredSize) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Records.size() + 4);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    std::memcpy(bytes, &DeclaredSize, 4);
    if (!Records.empty()) std::memcpy(bytes + 4, Records.data(), Records.size());
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_VIRTUALTREE, block);
    CloseClipboard();
}

TEST_F(DataTransfer, PastesFromElsewhereReadTheRecordsAndRefuseDamage) {
    TVirtualStringTree* source = MakeStringTree({u"far", u"away"});
    TBytesStream stream;
    source->SaveToStream(&stream);
    const TBytes saved = stream.GetBytes();
    const TBytes records(saved.begin() + 16, saved.end());
    TVirtualStringTree* target = MakeStringTree({u"here"});

    PutNativeRecords(records, uint32_t(records.size()));
    EXPECT_TRUE(target->PasteFromClipboard());
    EXPECT_EQ(Texts(target), (std::vector<UnicodeString>{u"here", u"far", u"away"}));

    // A size beyond the block, and records cut in the middle: nothing is added.
    for (const auto& [bytes, declared] :
         {std::pair{records, uint32_t(records.size() + 100)},
          std::pair{TBytes(records.begin(), records.end() - 5), uint32_t(records.size() - 5)}}) {
        PutNativeRecords(bytes, declared);
        EXPECT_THROW(target->PasteFromClipboard(), EVirtualTreeError);
        EXPECT_EQ(Texts(target).size(), 3u);
        EXPECT_TRUE(TreeIsConsistent(target));
    }
}

TEST_F(DataTransfer, AReferenceFromAnotherProcessNamesNoTree) {
    TVirtualStringTree* tree = MakeStringTree({u"a"});
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, TVTDataObject::TreeReferenceSize);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    const uint32_t otherProcess = GetCurrentProcessId() + 1;
    std::memcpy(bytes, &otherProcess, 4);
    std::memcpy(bytes + 4, &tree, sizeof tree);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_VTREFERENCE, block);
    CloseClipboard();
    InterfacePtr<IDataObject> data;
    ASSERT_EQ(OleGetClipboard(data.Out()), S_OK);
    EXPECT_EQ(tree->GetTreeFromDataObject(data.Get()), nullptr);

    InterfacePtr<IDataObject> own(new TVTDataObject(tree, false));
    EXPECT_EQ(tree->GetTreeFromDataObject(own.Get()), tree);
}

TEST_F(DataTransfer, AcceptingDropsRegistersADropTargetWithTheLayer) {
    TTestTree* tree = MakeWindowedTree();
    EXPECT_NE(GetPropW(tree->GetHandle(), u"OleDropTargetInterface"), nullptr);
    TVTMiscOptions misc = tree->GetTreeOptions()->GetMiscOptions();
    tree->GetTreeOptions()->SetMiscOptions(misc - TVTMiscOptions{toAcceptOLEDrop});
    EXPECT_EQ(GetPropW(tree->GetHandle(), u"OleDropTargetInterface"), nullptr);
    tree->GetTreeOptions()->SetMiscOptions(misc);
    EXPECT_NE(GetPropW(tree->GetHandle(), u"OleDropTargetInterface"), nullptr);
}

TEST_F(DataTransfer, ADropFromAnotherTreeInsertsTheDraggedNodes) {
    TVirtualStringTree* a = MakeStringTree({u"one", u"two"});
    TVirtualStringTree* b = MakeStringTree({u"x"});
    auto* form = new TForm(Application);
    form->AfterConstruction();
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    form->Show();
    b->SetParent(form);
    b->SetBounds(0, 0, 300, 200);
    b->HandleNeeded();
    Pump();
    a->SetSelected(NodeAt(a, {1}), true);
    std::vector<TDragState> states;
    b->OnDragOver = [&](TBaseVirtualTree*, TObject* source, TShiftState, TDragState state, TPoint,
                        TDropMode, uint32_t&, bool& accept) {
        states.push_back(state);
        accept = source == a;
    };
    b->OnDragDrop = [&](TBaseVirtualTree* sender, TObject* source, IDataObject* data,
                        const TFormatArray& formats, TShiftState, TPoint, uint32_t& effect,
                        TDropMode mode) {
        EXPECT_NE(std::find(formats.begin(), formats.end(), CF_VIRTUALTREE), formats.end());
        EXPECT_NE(mode, dmNowhere);
        auto* target = static_cast<TBaseVirtualTree*>(sender);
        target->ProcessOLEData(static_cast<TBaseVirtualTree*>(source), data,
                               target->GetDropTargetNode(), amAddChildLast, false);
        effect = DROPEFFECT_COPY;
    };
    InterfacePtr<IDataObject> data(a->GetDragManager()->GetDataObject());
    IDropTarget* target = b->GetDragManager();
    POINT p{40, 5};
    ClientToScreen(b->GetHandle(), &p);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{p.x, p.y}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(b->GetDropTargetNode(), NodeAt(b, {0}));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragOver(MK_LBUTTON | MK_SHIFT, POINTL{p.x, p.y}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE)) << "shift asks for a move";
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{p.x, p.y}, &effect), S_OK);
    EXPECT_EQ(Texts(b), (std::vector<UnicodeString>{u"x", u"two"}));
    EXPECT_EQ(b->GetNodeLevel(NodeAt(b, {0, 0})), 1u);
    EXPECT_EQ(b->GetDropTargetNode(), nullptr);
    EXPECT_EQ(states.front(), dsDragEnter);
    EXPECT_TRUE(TreeIsConsistent(b));
}

} // namespace
