#include "ShellUnitFixture.h"

#include <runpak/Exceptions.h>
#include <runpak/Streams.h>

#include <memory>

namespace {

class PIDLManagerTest : public ShellUnitTest {
protected:
    TPIDLManager mgr_;
    PItemIDList Raw(const std::vector<std::string>& items) { return MakeRawPIDL(items); }
};

struct ShapeCase {
    const char* name;
    std::vector<std::string> items;
    int size;
    int count;
    bool desktop;
    std::vector<std::string> last; // CopyLastID's items
};

class PIDLShapeTest : public PIDLManagerTest, public testing::WithParamInterface<ShapeCase> {};

TEST_P(PIDLShapeTest, SizeCountLastAndStrip) {
    const ShapeCase& c = GetParam();
    PItemIDList pidl = Raw(c.items);
    EXPECT_EQ(mgr_.PIDLSize(pidl), c.size);
    EXPECT_EQ(mgr_.IDCount(pidl), c.count);
    EXPECT_EQ(mgr_.IsDesktopFolder(pidl), c.desktop);

    PItemIDList last = mgr_.CopyLastID(pidl);
    PItemIDList expected = Raw(c.last);
    EXPECT_EQ(PIDLBytes(mgr_, last), PIDLBytes(mgr_, expected));

    // Stripping cuts before the last item; the two-output form lets the caller undo it.
    std::vector<uint8_t> before = PIDLBytes(mgr_, pidl);
    uint16_t cb = 0;
    PItemIDList lastID = nullptr;
    EXPECT_EQ(mgr_.StripLastID(pidl, cb, lastID), pidl);
    EXPECT_EQ(mgr_.IDCount(pidl), c.count > 0 ? c.count - 1 : 0);
    if (c.count > 0) {
        ASSERT_NE(lastID, nullptr);
        std::memcpy(lastID, &cb, sizeof cb);
    } else {
        EXPECT_EQ(lastID, nullptr);
    }
    EXPECT_EQ(PIDLBytes(mgr_, pidl), before);

    mgr_.FreePIDL(expected);
    mgr_.FreePIDL(last);
    mgr_.FreePIDL(pidl);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PIDLShapeTest,
    testing::Values(ShapeCase{"Desktop", {}, 2, 0, true, {}},
                    ShapeCase{"OneItem", {"abc"}, 7, 1, false, {"abc"}},
                    ShapeCase{"ThreeItems", {"a", "bcd", "ef"}, 14, 3, false, {"ef"}},
                    ShapeCase{"EmptyPayloads", {"", ""}, 6, 2, false, {""}}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

TEST_F(PIDLManagerTest, NilListsAnswerNothing) {
    EXPECT_EQ(mgr_.PIDLSize(nullptr), 0);
    EXPECT_EQ(mgr_.IDCount(nullptr), 0);
    EXPECT_FALSE(mgr_.IsDesktopFolder(nullptr));
    EXPECT_EQ(mgr_.CopyPIDL(nullptr), nullptr);
    EXPECT_EQ(mgr_.GetPointerToLastID(nullptr), nullptr);
    EXPECT_EQ(mgr_.StripLastID(nullptr), nullptr);
    EXPECT_FALSE(mgr_.IsSubPIDL(nullptr, nullptr));
    mgr_.FreePIDL(nullptr);
}

struct AppendCase {
    const char* name;
    bool destNil;
    std::vector<std::string> dest;
    bool srcNil;
    std::vector<std::string> src;
    std::vector<std::string> result;
};

class PIDLAppendTest : public PIDLManagerTest, public testing::WithParamInterface<AppendCase> {};

TEST_P(PIDLAppendTest, JoinsAndAlwaysTerminates) {
    const AppendCase& c = GetParam();
    PItemIDList dest = c.destNil ? nullptr : Raw(c.dest);
    PItemIDList src = c.srcNil ? nullptr : Raw(c.src);
    PItemIDList joined = mgr_.AppendPIDL(dest, src);
    PItemIDList expected = Raw(c.result);
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(PIDLBytes(mgr_, joined), PIDLBytes(mgr_, expected));
    // The block ends exactly at the terminator: the allocator agrees on its size.
    IMalloc* malloc = mgr_.GetMalloc();
    EXPECT_EQ(malloc->GetSize(joined), static_cast<SIZE_T>(mgr_.PIDLSize(joined)));
    for (PItemIDList p : {dest, src, joined, expected})
        mgr_.FreePIDL(p);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PIDLAppendTest,
    testing::Values(AppendCase{"Both", false, {"ab"}, false, {"cd", "e"}, {"ab", "cd", "e"}},
                    AppendCase{"DesktopDest", false, {}, false, {"x"}, {"x"}},
                    AppendCase{"NilDest", true, {}, false, {"x", "y"}, {"x", "y"}},
                    AppendCase{"NilSource", false, {"ab", "c"}, true, {}, {"ab", "c"}},
                    AppendCase{"NilBoth", true, {}, true, {}, {}},
                    AppendCase{"DesktopSource", false, {"ab"}, false, {}, {"ab"}}),
    [](const testing::TestParamInfo<AppendCase>& info) { return std::string(info.param.name); });

TEST_F(PIDLManagerTest, ParsePIDLGivesEveryLevelOrEveryItem) {
    PItemIDList pidl = Raw({"a", "bb", "ccc"});
    std::vector<uint8_t> before = PIDLBytes(mgr_, pidl);
    TPIDLList absolute, single;
    mgr_.ParsePIDL(pidl, &absolute, true);
    mgr_.ParsePIDL(pidl, &single, false);
    ASSERT_EQ(absolute.GetCount(), 3);
    ASSERT_EQ(single.GetCount(), 3);
    const std::vector<std::vector<std::string>> levels = {{"a"}, {"a", "bb"}, {"a", "bb", "ccc"}};
    const std::vector<std::vector<std::string>> items = {{"a"}, {"bb"}, {"ccc"}};
    for (int i = 0; i < 3; ++i) {
        PItemIDList a = Raw(levels[i]), s = Raw(items[i]);
        EXPECT_EQ(PIDLBytes(mgr_, absolute.GetPIDL(i)), PIDLBytes(mgr_, a)) << i;
        EXPECT_EQ(PIDLBytes(mgr_, single.GetPIDL(i)), PIDLBytes(mgr_, s)) << i;
        mgr_.FreePIDL(a);
        mgr_.FreePIDL(s);
    }
    EXPECT_EQ(PIDLBytes(mgr_, pidl), before);
    mgr_.ParsePIDL(nullptr, &absolute, true);
    mgr_.ParsePIDL(pidl, nullptr, true);
    EXPECT_EQ(absolute.GetCount(), 3);
    mgr_.FreePIDL(pidl);
}

TEST_F(PIDLManagerTest, SubListsAndEqualityLeaveTheFullListUnchanged) {
    PItemIDList full = Raw({"a", "bb", "ccc"});
    PItemIDList head = Raw({"a", "bb"});
    PItemIDList other = Raw({"a", "xx"});
    PItemIDList desktop = Raw({});
    std::vector<uint8_t> before = PIDLBytes(mgr_, full);
    EXPECT_TRUE(mgr_.IsSubPIDL(full, full));
    EXPECT_TRUE(mgr_.IsSubPIDL(full, head));
    EXPECT_TRUE(mgr_.IsSubPIDL(full, desktop));
    EXPECT_FALSE(mgr_.IsSubPIDL(full, other));
    EXPECT_FALSE(mgr_.IsSubPIDL(head, full));
    EXPECT_EQ(PIDLBytes(mgr_, full), before);
    EXPECT_TRUE(mgr_.EqualPIDL(head, head));
    EXPECT_FALSE(mgr_.EqualPIDL(head, other));
    EXPECT_FALSE(mgr_.EqualPIDL(head, nullptr));
    EXPECT_TRUE(IDEVirtualPIDLTools::ILIsParent(head, full, true));
    EXPECT_FALSE(IDEVirtualPIDLTools::ILIsParent(desktop, full, true));
    EXPECT_TRUE(IDEVirtualPIDLTools::ILIsParent(desktop, full, false));
    for (PItemIDList p : {full, head, other, desktop})
        mgr_.FreePIDL(p);
}

TEST_F(PIDLManagerTest, StringPackingRoundTrips) {
    for (const std::vector<std::string>& items :
         std::vector<std::vector<std::string>>{{}, {"odd"}, {"a", "bb", "ccc"}}) {
        PItemIDList pidl = Raw(items);
        UnicodeString packed = mgr_.PIDLToString(pidl);
        PItemIDList back = mgr_.StringToPIDL(packed);
        EXPECT_EQ(PIDLBytes(mgr_, back), PIDLBytes(mgr_, pidl));
        mgr_.FreePIDL(back);
        mgr_.FreePIDL(pidl);
    }
}

TEST_F(PIDLManagerTest, AllocStrGlobalAndFreeAndNil) {
    PWideChar text = mgr_.AllocStrGlobal(u"h\u00e9llo");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(UnicodeString(text), u"h\u00e9llo");
    mgr_.FreeOLEStr(text);
    PItemIDList pidl = Raw({"x"});
    mgr_.FreeAndNilPIDL(pidl);
    EXPECT_EQ(pidl, nullptr);
}

// ---- streams -------------------------------------------------------------------------------

TEST_F(PIDLManagerTest, StreamRoundTripsAListAndNil) {
    PItemIDList pidl = Raw({"a", "bcd"});
    TMemoryStream stream;
    mgr_.SaveToStream(&stream, pidl);
    mgr_.SaveToStream(&stream, nullptr);
    EXPECT_EQ(stream.GetSize(), 4 + 10 + 4); // items of cb 3 and 5, the terminator
    stream.SetPosition(0);
    PItemIDList back = mgr_.LoadFromStream(&stream);
    EXPECT_EQ(PIDLBytes(mgr_, back), PIDLBytes(mgr_, pidl));
    EXPECT_EQ(mgr_.LoadFromStream(&stream), nullptr);
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
    mgr_.FreePIDL(back);
    mgr_.FreePIDL(pidl);
}

struct CorruptCase {
    const char* name;
    std::vector<uint8_t> bytes;
};

class PIDLCorruptStreamTest : public PIDLManagerTest,
                              public testing::WithParamInterface<CorruptCase> {};

TEST_P(PIDLCorruptStreamTest, RaisesAStreamErrorAndAllocatesNothing) {
    const std::vector<uint8_t>& bytes = GetParam().bytes;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SetPosition(0);
    size_t live = TestSeams::LiveTaskAllocations();
    EXPECT_THROW(mgr_.LoadFromStream(&stream), EReadError);
    EXPECT_LE(stream.GetPosition(), stream.GetSize());
    EXPECT_EQ(TestSeams::LiveTaskAllocations(), live);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PIDLCorruptStreamTest,
    testing::Values(CorruptCase{"ShortCount", {5, 0}},
                    CorruptCase{"CountPastTheEnd", {9, 0, 0, 0, 3, 0, 'a', 0, 0}},
                    CorruptCase{"HugeCount", {0xFF, 0xFF, 0xFF, 0x7F, 0, 0}},
                    CorruptCase{"NegativeCount", {0xFE, 0xFF, 0xFF, 0xFF, 0, 0}},
                    CorruptCase{"CountOfOne", {1, 0, 0, 0, 0}},
                    CorruptCase{"NoTerminator", {4, 0, 0, 0, 4, 0, 'a', 'b'}},
                    CorruptCase{"ItemRunsPastTheData", {5, 0, 0, 0, 0x40, 0, 'a', 0, 0}},
                    CorruptCase{"ItemCountBelowTwo", {6, 0, 0, 0, 1, 0, 'a', 'b', 0, 0}},
                    CorruptCase{"BytesAfterTheTerminator", {6, 0, 0, 0, 0, 0, 'x', 'y'}}),
    [](const testing::TestParamInfo<CorruptCase>& info) { return std::string(info.param.name); });

TEST_F(PIDLManagerTest, FilesRoundTripAndMissingFilesRaise) {
    PItemIDList pidl = Raw({"file", "d"});
    UnicodeString path = temp_.Windows(u"one.pidl");
    mgr_.SaveToFile(path, 0xFF00, pidl);
    PItemIDList back = mgr_.LoadFromFile(path);
    EXPECT_EQ(PIDLBytes(mgr_, back), PIDLBytes(mgr_, pidl));
    EXPECT_THROW(mgr_.LoadFromFile(temp_.Windows(u"missing.pidl")), EStreamError);
    temp_.Write("cut.pidl", temp_.Read("one.pidl").substr(0, 7));
    EXPECT_THROW(mgr_.LoadFromFile(temp_.Windows(u"cut.pidl")), EReadError);
    mgr_.FreePIDL(back);
    mgr_.FreePIDL(pidl);
}

// ---- TPIDLList ------------------------------------------------------------------------------

TEST_F(PIDLManagerTest, ListStreamsItsItemsAndFindsTheFirstMatch) {
    TPIDLList list;
    list.Add(Raw({"a"}));
    list.Add(Raw({"b", "c"}));
    list.Add(Raw({"a"}));
    PItemIDList a = Raw({"a"});
    EXPECT_EQ(list.FindPIDL(a), 0);
    TMemoryStream stream;
    ASSERT_TRUE(list.SaveToStream(&stream));
    stream.SetPosition(0);
    TPIDLList back;
    ASSERT_TRUE(back.LoadFromStream(&stream));
    ASSERT_EQ(back.GetCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PIDLBytes(mgr_, back.GetPIDL(i)), PIDLBytes(mgr_, list.GetPIDL(i)));
    TPIDLList copies;
    list.CloneList(&copies);
    EXPECT_EQ(copies.GetCount(), 3);
    EXPECT_NE(copies.GetPIDL(1), list.GetPIDL(1));
    mgr_.FreePIDL(a);
}

TEST_F(PIDLManagerTest, ListLoadOfCorruptDataAnswersFalseKeepingWhatItRead) {
    TPIDLList list;
    list.Add(Raw({"a"}));
    list.Add(Raw({"bb"}));
    TMemoryStream stream;
    ASSERT_TRUE(list.SaveToStream(&stream));
    // Second list truncated: the first is kept.
    TMemoryStream cut;
    cut.WriteBuffer(stream.GetMemory(), static_cast<int>(stream.GetSize() - 3));
    cut.SetPosition(0);
    TPIDLList partial;
    EXPECT_FALSE(partial.LoadFromStream(&cut));
    EXPECT_EQ(partial.GetCount(), 1);

    // An item count far beyond the data is refused before anything is read.
    const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0x0F, 0, 0, 0, 0};
    TMemoryStream lie;
    lie.WriteBuffer(huge, sizeof huge);
    lie.SetPosition(0);
    TPIDLList none;
    EXPECT_FALSE(none.LoadFromStream(&lie));
    EXPECT_EQ(none.GetCount(), 0);
}

TEST_F(PIDLManagerTest, ListFilesAndSharedLists) {
    UnicodeString path = temp_.Windows(u"list.pidls");
    {
        TPIDLList list;
        list.Add(Raw({"x", "yz"}));
        EXPECT_TRUE(list.SaveToFile(path));
    }
    TPIDLList back;
    EXPECT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.GetCount(), 1);
    EXPECT_FALSE(back.LoadFromFile(temp_.Windows(u"none.pidls")));

    // A list that shares its lists leaves them to their owner.
    PItemIDList owned = Raw({"q"});
    {
        TPIDLList shared;
        shared.SetSharePIDLs(true);
        shared.Add(owned);
    }
    mgr_.FreePIDL(owned);
}

TEST_F(PIDLManagerTest, DocumentsAsAVirtualItem) {
    PItemIDList docs = GetMyDocumentsVirtualFolder();
    ASSERT_NE(docs, nullptr);
    PItemIDList byCsidl = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &byCsidl), S_OK);
    EXPECT_TRUE(mgr_.EqualPIDL(docs, byCsidl));
    mgr_.FreePIDL(byCsidl);
    mgr_.FreePIDL(docs);
}

} // namespace
