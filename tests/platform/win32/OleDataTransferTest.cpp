// The OLE data transfer calls inside one process: data objects through the
// clipboard, streams on global memory, advise holders, dropped-file blocks,
// and the drag loop between registered windows on synthetic input.
#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/ole2.h>
#include <win32/shellapi.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

template <class I> class Counted : public I {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid != IID_IUnknown && riid != IIDOf<I>()) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<I*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return --refs; } // lives on the stack
    ULONG refs = 1;
};

HGLOBAL Block(const void* bytes, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(h), bytes, size);
    GlobalUnlock(h);
    return h;
}

std::string Bytes(HGLOBAL h) {
    std::string out(static_cast<const char*>(GlobalLock(h)), GlobalSize(h));
    GlobalUnlock(h);
    return out;
}

std::string StreamBytes(IStream* stream) {
    std::string out;
    char buffer[64];
    ULONG n = 0;
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    while (stream->Read(buffer, sizeof buffer, &n) == S_OK || n > 0) {
        out.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    return out;
}

// Offers fixed bytes per format: in global memory, or (for `streamed`) only
// as a stream. Counts how often each format was rendered.
class TestData : public Counted<IDataObject> {
public:
    std::map<CLIPFORMAT, std::string> formats;
    CLIPFORMAT streamed = 0;
    std::map<CLIPFORMAT, int> rendered;

    DWORD Media(CLIPFORMAT cf) const { return cf == streamed ? TYMED_ISTREAM : TYMED_HGLOBAL; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) noexcept override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        ++rendered[f->cfFormat];
        const std::string& bytes = formats[f->cfFormat];
        *m = STGMEDIUM{};
        m->tymed = Media(f->cfFormat);
        if (m->tymed == TYMED_HGLOBAL) {
            m->hGlobal = Block(bytes.data(), bytes.size());
            return S_OK;
        }
        CreateStreamOnHGlobal(nullptr, TRUE, &m->pstm);
        m->pstm->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        return S_OK; // left at its end: readers must seek
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) noexcept override {
        if (!formats.count(f->cfFormat)) return DV_E_FORMATETC;
        return (f->tymed & Media(f->cfFormat)) ? S_OK : DV_E_TYMED;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dir, IEnumFORMATETC** e) noexcept override {
        std::vector<FORMATETC> list;
        for (auto& [cf, bytes] : formats)
            list.push_back({cf, nullptr, DVASPECT_CONTENT, -1, Media(cf)});
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), e);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
};

std::string Wide(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

std::string Get(IDataObject* data, CLIPFORMAT cf, DWORD tymed) {
    FORMATETC f{cf, nullptr, DVASPECT_CONTENT, -1, tymed};
    STGMEDIUM m{};
    if (FAILED(data->GetData(&f, &m))) return "<failed>";
    std::string out = m.tymed == TYMED_HGLOBAL ? Bytes(m.hGlobal) : StreamBytes(m.pstm);
    ReleaseStgMedium(&m);
    return out;
}

class OleClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        RegisterRecorder();
        window = MakeWindow();
        html = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(u"HTML Format"));
        native = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(u"Test Native"));
        data.formats = {{CF_UNICODETEXT, Wide(u"Caf\u00e9")}, {html, "<b>x</b>"}, {native, "tree"}};
        data.streamed = native;
    }
    void TearDown() override {
        OleSetClipboard(nullptr);
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        DestroyWindow(window);
        OleUninitialize();
    }
    HWND window = nullptr;
    CLIPFORMAT html = 0, native = 0;
    TestData data;
};

} // namespace

TEST_F(OleClipboard, ADataObjectIsRenderedForPlainReadersOnlyWhenAsked) {
    ASSERT_EQ(OleSetClipboard(&data), S_OK);
    EXPECT_EQ(OleIsCurrentClipboard(&data), S_OK);
    EXPECT_TRUE(data.rendered.empty());
    EXPECT_TRUE(IsClipboardFormatAvailable(html));
    EXPECT_TRUE(IsClipboardFormatAvailable(native));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));

    ASSERT_TRUE(OpenClipboard(window));
    EXPECT_EQ(Bytes(GetClipboardData(native)), "tree"); // the stream, as global memory
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)))),
              "Caf\xe9");
    GlobalUnlock(GetClipboardData(CF_TEXT));
    EXPECT_EQ(Bytes(GetClipboardData(html)), "<b>x</b>");
    EXPECT_EQ(Bytes(GetClipboardData(html)), "<b>x</b>");
    CloseClipboard();
    EXPECT_EQ(data.rendered[html], 1) << "a rendered format is kept";
}

TEST_F(OleClipboard, OleGetClipboardReadsTheObjectWhileItIsThereAndItsDataAfterAFlush) {
    ASSERT_EQ(OleSetClipboard(&data), S_OK);
    EXPECT_EQ(data.refs, 2u);
    IDataObject* view = nullptr;
    ASSERT_EQ(OleGetClipboard(&view), S_OK);
    EXPECT_EQ(Get(view, native, TYMED_ISTREAM), "tree");
    EXPECT_EQ(Get(view, html, TYMED_HGLOBAL), "<b>x</b>");

    ASSERT_EQ(OleFlushClipboard(), S_OK);
    EXPECT_EQ(data.refs, 1u) << "the flushed object is let go";
    EXPECT_EQ(OleIsCurrentClipboard(&data), S_FALSE);
    EXPECT_EQ(Get(view, native, TYMED_HGLOBAL), "tree");
    EXPECT_EQ(Get(view, native, TYMED_ISTREAM), "tree");
    EXPECT_EQ(Get(view, html, TYMED_HGLOBAL), "<b>x</b>");
    EXPECT_EQ(Get(view, CF_UNICODETEXT, TYMED_HGLOBAL), Wide(u"Caf\u00e9"));

    FORMATETC f{};
    std::vector<CLIPFORMAT> offered;
    IEnumFORMATETC* e = nullptr;
    ASSERT_EQ(view->EnumFormatEtc(DATADIR_GET, &e), S_OK);
    while (e->Next(1, &f, nullptr) == S_OK)
        offered.push_back(f.cfFormat);
    e->Release();
    for (CLIPFORMAT cf : {CLIPFORMAT(CF_UNICODETEXT), html, native, CLIPFORMAT(CF_TEXT)})
        EXPECT_NE(std::find(offered.begin(), offered.end(), cf), offered.end()) << cf;
    view->Release();
}

TEST_F(OleClipboard, ClearingTakesOnlyWhatThisObjectPutThere) {
    ASSERT_EQ(OleSetClipboard(&data), S_OK);
    ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
    EXPECT_EQ(data.refs, 1u);
    EXPECT_FALSE(IsClipboardFormatAvailable(html));

    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    const std::string text = "kept";
    SetClipboardData(CF_TEXT, Block(text.c_str(), text.size() + 1));
    CloseClipboard();
    ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << "another owner's text stays";

    // Someone else emptying the clipboard releases the object too.
    ASSERT_EQ(OleSetClipboard(&data), S_OK);
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(data.refs, 1u);
    EXPECT_EQ(OleIsCurrentClipboard(&data), S_FALSE);
}

TEST(OleStream, AStreamOnGlobalMemoryGrowsSeeksAndSharesItsBlockWithClones) {
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    std::string big(10000, 'x');
    big[9999] = 'z';
    ULONG n = 0;
    ASSERT_EQ(stream->Write(big.data(), static_cast<ULONG>(big.size()), &n), S_OK);
    EXPECT_EQ(n, big.size());
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, big.size());

    LARGE_INTEGER back{};
    back.QuadPart = -1;
    ULARGE_INTEGER at{};
    ASSERT_EQ(stream->Seek(back, STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 9999u);
    char c = 0;
    EXPECT_EQ(stream->Read(&c, 1, &n), S_OK);
    EXPECT_EQ(c, 'z');
    EXPECT_EQ(stream->Read(&c, 1, &n), S_FALSE) << "at the end";
    EXPECT_EQ(n, 0u);
    back.QuadPart = -20000;
    EXPECT_NE(stream->Seek(back, STREAM_SEEK_CUR, nullptr), S_OK) << "before the start";

    IStream* clone = nullptr;
    ASSERT_EQ(stream->Clone(&clone), S_OK);
    clone->Write("!", 1, nullptr); // the clone starts at the original's position
    HGLOBAL block = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream, &block), S_OK);
    EXPECT_EQ(static_cast<const char*>(GlobalLock(block))[10000], '!');
    GlobalUnlock(block);
    clone->Release();
    stream->Release();

    // A given block: its size is the stream's, and it outlives the stream.
    HGLOBAL mine = Block("abc", 3);
    ASSERT_EQ(CreateStreamOnHGlobal(mine, FALSE, &stream), S_OK);
    EXPECT_EQ(StreamBytes(stream), "abc");
    stream->Release();
    EXPECT_EQ(Bytes(mine), "abc");
    GlobalFree(mine);
}

namespace {

class TestSink : public Counted<IAdviseSink> {
public:
    std::vector<std::string> seen;
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM* m) noexcept override {
        seen.push_back(m->tymed == TYMED_HGLOBAL ? Bytes(m->hGlobal) : "<no data>");
    }
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) noexcept override {}
    void STDMETHODCALLTYPE OnRename(IMoniker*) noexcept override {}
    void STDMETHODCALLTYPE OnSave() noexcept override {}
    void STDMETHODCALLTYPE OnClose() noexcept override {}
};

} // namespace

TEST(OleAdviseHolder, SinksHearChangesAsTheirFlagsAsk) {
    TestData data;
    data.formats = {{CF_TEXT, "v1"}};
    IDataAdviseHolder* holder = nullptr;
    ASSERT_EQ(CreateDataAdviseHolder(&holder), S_OK);
    FORMATETC f{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    TestSink primed, bare, once;
    DWORD a = 0, b = 0, c = 0;
    ASSERT_EQ(holder->Advise(&data, &f, ADVF_PRIMEFIRST, &primed, &a), S_OK);
    ASSERT_EQ(holder->Advise(&data, &f, ADVF_NODATA, &bare, &b), S_OK);
    ASSERT_EQ(holder->Advise(&data, &f, ADVF_ONLYONCE, &once, &c), S_OK);
    EXPECT_EQ(primed.seen, std::vector<std::string>{"v1"});
    data.formats[CF_TEXT] = "v2";
    holder->SendOnDataChange(&data, 0, 0);
    holder->SendOnDataChange(&data, 0, 0);
    EXPECT_EQ(primed.seen, (std::vector<std::string>{"v1", "v2", "v2"}));
    EXPECT_EQ(bare.seen, (std::vector<std::string>{"<no data>", "<no data>"}));
    EXPECT_EQ(once.seen, std::vector<std::string>{"v2"});
    EXPECT_EQ(once.refs, 1u);
    EXPECT_EQ(holder->Unadvise(c), OLE_E_NOCONNECTION);
    EXPECT_EQ(holder->Unadvise(a), S_OK);
    holder->Release();
    EXPECT_EQ(primed.refs, 1u);
    EXPECT_EQ(bare.refs, 1u);
}

namespace {

// A DROPFILES block: the names in wide or 8-bit characters.
HGLOBAL DropBlock(const std::vector<std::u16string>& names, bool wide, POINT pt = {}) {
    std::string tail;
    for (const auto& name : names) {
        if (wide)
            tail += std::string(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * 2);
        else
            tail += std::string(name.begin(), name.end()) + '\0';
    }
    tail += wide ? std::string(2, '\0') : std::string(1, '\0');
    DROPFILES header{sizeof(DROPFILES), pt, FALSE, wide ? TRUE : FALSE};
    std::string all(reinterpret_cast<const char*>(&header), sizeof header);
    return Block((all + tail).data(), all.size() + tail.size());
}

} // namespace

TEST(DroppedFiles, NamesAreReadWideOrNarrowAndCutToTheBuffer) {
    for (bool wide : {true, false}) {
        SCOPED_TRACE(wide);
        HDROP drop = reinterpret_cast<HDROP>(
            DropBlock({u"C:\\home\\a.txt", u"C:\\tmp\\b"}, wide, POINT{7, 9}));
        EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
        EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 13u);
        WCHAR name[MAX_PATH];
        EXPECT_EQ(DragQueryFileW(drop, 1, name, MAX_PATH), 8u);
        EXPECT_EQ(std::u16string(name), u"C:\\tmp\\b");
        EXPECT_EQ(DragQueryFileW(drop, 1, name, 4), 3u);
        EXPECT_EQ(std::u16string(name), u"C:\\");
        EXPECT_EQ(DragQueryFileW(drop, 2, name, MAX_PATH), 0u);
        char narrow[MAX_PATH];
        EXPECT_EQ(DragQueryFileA(drop, 0, narrow, MAX_PATH), 13u);
        EXPECT_STREQ(narrow, "C:\\home\\a.txt");
        POINT pt{};
        EXPECT_TRUE(DragQueryPoint(drop, &pt));
        EXPECT_EQ(pt.x, 7);
        EXPECT_EQ(pt.y, 9);
        DragFinish(drop);
    }
}

TEST(DroppedFiles, ABlockThatLiesAboutItsNamesYieldsNoneRatherThanReadingPastIt) {
    const struct {
        const char* what;
        DWORD offset;
        std::string tail;
    } cases[] = {
        {"offset beyond the block", 4000, std::string("a\0\0", 3)},
        {"names without terminator", sizeof(DROPFILES), "abc"},
        {"header cut short", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes;
        if (c.offset) {
            DROPFILES header{c.offset, {}, FALSE, FALSE};
            bytes.assign(reinterpret_cast<const char*>(&header), sizeof header);
        } else {
            bytes = "short";
        }
        bytes += c.tail;
        HDROP drop = reinterpret_cast<HDROP>(Block(bytes.data(), bytes.size()));
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        EXPECT_LE(count, 1u);
        WCHAR name[8];
        if (count) EXPECT_EQ(DragQueryFileW(drop, 0, name, 8), 3u);
        DragFinish(drop);
    }
}
