// The general data object and the shell's clipboard format classes: round
// trips of every format, and blocks from outside that lie about their sizes.
#include "ShellUnitFixture.h"

#include "benchkit/shell/IDEVirtualDataObject.h"

#include <win32/ole2.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class DataObjectTest : public ShellUnitTest {
protected:
    void SetUp() override {
        ShellUnitTest::SetUp();
        InitializeIDEVirtualDataObject();
        object_ = new TVirtualDataObject;
        object_->AddRef();
    }
    void TearDown() override {
        object_->Release();
        ShellUnitTest::TearDown();
    }
    PItemIDList Pidl(const UnicodeString& name) {
        return SHSimpleIDListFromPath(temp_.Windows(name).c_str());
    }
    std::vector<BYTE> Bytes(PItemIDList pidl) {
        auto* at = reinterpret_cast<const BYTE*>(pidl);
        return std::vector<BYTE>(at, at + ILGetSize(pidl));
    }

    TVirtualDataObject* object_ = nullptr;
};

FORMATETC Format(CLIPFORMAT id, DWORD aspect = DVASPECT_CONTENT, DWORD tymed = TYMED_HGLOBAL) {
    return FORMATETC{id, nullptr, aspect, -1, tymed};
}

TEST_F(DataObjectTest, QueryAndSetFollowTheStoredDescriptions) {
    FORMATETC text = Format(CF_UNICODETEXT);
    EXPECT_EQ(object_->QueryGetData(&text), E_UNEXPECTED); // nothing stored
    ASSERT_TRUE(object_->SaveGlobalBlock(CF_UNICODETEXT, "first", 6));
    ASSERT_TRUE(object_->SaveGlobalBlock(CF_UNICODETEXT, "second", 7)); // replaces
    EXPECT_EQ(object_->GetFormats().size(), 1u);
    struct {
        FORMATETC asked;
        HRESULT answer;
    } cases[] = {
        {Format(CF_UNICODETEXT), S_OK},
        {Format(CF_UNICODETEXT, DVASPECT_ICON), DV_E_DVASPECT},
        {Format(CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_ISTREAM), DV_E_TYMED},
        {Format(CF_HDROP), DV_E_FORMATETC},
    };
    for (auto& c : cases)
        EXPECT_EQ(object_->QueryGetData(&c.asked), c.answer) << c.asked.cfFormat;
    void* block = nullptr;
    size_t size = 0;
    ASSERT_TRUE(object_->LoadGlobalBlock(CF_UNICODETEXT, block, size));
    EXPECT_EQ(size, 7u);
    EXPECT_STREQ(static_cast<const char*>(block), "second");
    std::free(block);
    EXPECT_FALSE(object_->LoadGlobalBlock(CF_HDROP, block, size));
}

TEST_F(DataObjectTest, EnumeratorWalksACopyOfTheFormats) {
    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(object_->EnumFormatEtc(DATADIR_GET, &formats), E_UNEXPECTED);
    object_->SaveGlobalBlock(CF_UNICODETEXT, "a", 2);
    object_->SaveGlobalBlock(CF_HDROP, "b", 2);
    EXPECT_EQ(object_->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    ASSERT_EQ(object_->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC got[3];
    ULONG fetched = 0;
    EXPECT_EQ(formats->Skip(2), S_FALSE); // exactly the rest: refused, position kept
    EXPECT_EQ(formats->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT);
    EXPECT_EQ(got[1].cfFormat, CF_HDROP);
    formats->Reset();
    EXPECT_EQ(formats->Skip(1), S_OK);
    IEnumFORMATETC* clone = nullptr;
    ASSERT_EQ(formats->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
    clone->Release();
    formats->Release();
}

TEST_F(DataObjectTest, ShellIDListRoundTrip) {
    auto child = [this](const UnicodeString& name) {
        PItemIDList full = Pidl(name);
        PItemIDList last = ILClone(ILFindLastID(full));
        ILFree(full);
        return last;
    };
    TPIDLList list;
    list.Add(Pidl(u""));
    list.Add(child(u"one"));
    list.Add(child(u"two"));
    TShellIDList ids;
    ids.AssignPIDLs(&list);
    ASSERT_EQ(ids.PIDLCount(), 2);
    // Through a data object, as another program would hand it over.
    ASSERT_TRUE(object_->SaveGlobalBlock(CF_SHELLIDLIST, ids.GetCIDA(), ids.GetCIDASize()));
    TShellIDList back;
    ASSERT_TRUE(back.LoadFromDataObject(object_));
    ASSERT_EQ(back.PIDLCount(), 2);
    for (int i = 0; i < 2; ++i) {
        PItemIDList relative = back.RelativePIDL(i);
        EXPECT_EQ(Bytes(relative), Bytes(list.GetPIDL(i + 1)));
        ILFree(relative);
    }
    PItemIDList absolute = back.AbsolutePIDL(1);
    PItemIDList expected = Pidl(u"two");
    EXPECT_TRUE(ILIsEqual(absolute, expected));
    ILFree(absolute);
    ILFree(expected);
    EXPECT_EQ(back.RelativePIDL(2), nullptr);
    EXPECT_EQ(back.RelativePIDL(-1), nullptr);
    TPIDLList relatives;
    back.RelativePIDLs(&relatives);
    EXPECT_EQ(relatives.GetCount(), 3);
}

TEST_F(DataObjectTest, HDropRoundTripAndAnsiBlocks) {
    std::vector<UnicodeString> names{u"C:\\a.txt", u"C:\\b c\\d", u"C:\\\u00e9"};
    THDrop drop;
    drop.AssignFiles(names);
    ASSERT_TRUE(drop.SaveToDataObject(object_));
    THDrop back;
    ASSERT_TRUE(back.LoadFromDataObject(object_));
    EXPECT_EQ(back.FileCount(), 3);
    std::vector<UnicodeString> read;
    back.FileNames(read);
    EXPECT_EQ(read, names);
    EXPECT_EQ(back.FileName(3), u"");
    // An 8-bit block, as older programs write it.
    std::vector<BYTE> ansi(sizeof(DROPFILES), 0);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(ansi.data(), &header, sizeof header);
    for (const char* name : {"C:\\x", "C:\\yy"})
        ansi.insert(ansi.end(), name, name + std::strlen(name) + 1);
    ansi.push_back(0);
    ASSERT_TRUE(back.SetDropFiles(ansi.data(), ansi.size()));
    EXPECT_EQ(back.FileCount(), 2);
    EXPECT_EQ(back.FileName(1), u"C:\\yy");
}

TEST_F(DataObjectTest, DropEffectsRoundTrip) {
    for (TPerformedDropEffect effect : {effectNone, effectCopy, effectMove, effectLink}) {
        TPreferredDropEffect out;
        out.SetAction(effect);
        ASSERT_TRUE(out.SaveToDataObject(object_));
        TPreferredDropEffect in;
        ASSERT_TRUE(in.LoadFromDataObject(object_));
        EXPECT_EQ(in.GetAction(), effect);
        TLogicalPerformedDropEffect other; // another format: not there
        EXPECT_FALSE(other.LoadFromDataObject(object_));
    }
}

// Blocks that lie about their sizes are refused whole, and the copy made
// before stays.
TEST_F(DataObjectTest, MalformedBlocksAreRefused) {
    auto u32 = [](std::vector<BYTE>& b, uint32_t v) {
        BYTE raw[4];
        std::memcpy(raw, &v, 4);
        b.insert(b.end(), raw, raw + 4);
    };
    auto emptyList = [](std::vector<BYTE>& b) { b.insert(b.end(), {0, 0}); };
    auto item = [](std::vector<BYTE>& b, uint16_t cb) {
        b.push_back(static_cast<BYTE>(cb));
        b.push_back(static_cast<BYTE>(cb >> 8));
        b.insert(b.end(), cb > 2 ? cb - 2 : 0, 'x');
    };
    std::vector<std::pair<const char*, std::vector<BYTE>>> cidas;
    {
        std::vector<BYTE> b;
        u32(b, 1000000); // a count the block cannot hold
        u32(b, 8);
        emptyList(b);
        cidas.push_back({"huge count", b});
    }
    {
        std::vector<BYTE> b;
        u32(b, 0);
        u32(b, 400); // offset past the end
        cidas.push_back({"offset past end", b});
    }
    {
        std::vector<BYTE> b;
        u32(b, 0);
        u32(b, 0); // offset into the header
        emptyList(b);
        cidas.push_back({"offset into header", b});
    }
    {
        std::vector<BYTE> b;
        u32(b, 0);
        u32(b, 8);
        b.insert(b.end(), {40, 0, 'x', 'x', 0, 0}); // an item longer than the block
        cidas.push_back({"item past end", b});
    }
    {
        std::vector<BYTE> b;
        u32(b, 0);
        u32(b, 8);
        item(b, 4); // no terminator
        cidas.push_back({"no terminator", b});
    }
    TShellIDList ids;
    std::vector<BYTE> good;
    u32(good, 0);
    u32(good, 8);
    emptyList(good);
    ASSERT_TRUE(ids.SetCIDA(good.data(), good.size()));
    for (const auto& [name, block] : cidas) {
        EXPECT_FALSE(ids.SetCIDA(block.data(), block.size())) << name;
        EXPECT_EQ(ids.GetCIDASize(), good.size()) << name;
        ASSERT_TRUE(object_->SaveGlobalBlock(CF_SHELLIDLIST, block.data(), block.size()));
        TShellIDList loaded;
        EXPECT_FALSE(loaded.LoadFromDataObject(object_)) << name;
    }

    auto dropBlock = [](uint32_t pFiles, bool wide, const std::vector<BYTE>& names) {
        std::vector<BYTE> b(sizeof(DROPFILES), 0);
        DROPFILES header{};
        header.pFiles = pFiles;
        header.fWide = wide;
        std::memcpy(b.data(), &header, sizeof header);
        b.insert(b.end(), names.begin(), names.end());
        return b;
    };
    std::vector<std::pair<const char*, std::vector<BYTE>>> drops{
        {"list past end", dropBlock(4000, true, {'a', 0, 0, 0, 0, 0})},
        {"list inside header", dropBlock(4, true, {'a', 0, 0, 0, 0, 0})},
        {"no final terminator", dropBlock(20, true, {'a', 0, 0, 0, 'b', 0})},
        {"odd byte at the end", dropBlock(20, true, {'a', 0, 0, 0, 0})},
        {"8-bit without terminator", dropBlock(20, false, {'a', 'b'})},
        {"short header", std::vector<BYTE>(12, 0)},
    };
    for (const auto& [name, block] : drops) {
        THDrop drop;
        EXPECT_FALSE(drop.SetDropFiles(block.data(), block.size())) << name;
        EXPECT_EQ(drop.FileCount(), 0) << name;
        ASSERT_TRUE(object_->SaveGlobalBlock(CF_HDROP, block.data(), block.size()));
        EXPECT_FALSE(drop.LoadFromDataObject(object_)) << name;
    }
}

} // namespace
