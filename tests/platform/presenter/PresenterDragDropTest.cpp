// The desktop's drag and drop: another X program (XdndPeer) drags files and
// text onto the layer's windows, and a drag of the layer that leaves its
// windows drops on the other program's window, or is refused there.
#include "PresenterTestSupport.h"
#include "XdndPeer.h"

#include <win32/ole2.h>
#include <win32/shellapi.h>
#include <win32/shlobj.h>

#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

HGLOBAL Block(const std::string& bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

std::string Wide(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

std::u16string WideOf(HGLOBAL h) {
    std::u16string text(static_cast<const char16_t*>(GlobalLock(h)));
    GlobalUnlock(h);
    return text;
}

// The first file of a CF_HDROP block.
std::u16string FirstFile(HDROP drop) {
    WCHAR name[MAX_PATH] = {};
    DragQueryFileW(drop, 0, name, MAX_PATH);
    return name;
}

template <class I> class OnStack : public I {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        *ppv = riid == IID_IUnknown || riid == IIDOf<I>() ? static_cast<I*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
};

// Takes the effect it is told to, and reads files, text and id lists on the drop.
class Target : public OnStack<IDropTarget> {
public:
    DWORD answer = DROPEFFECT_COPY;
    std::vector<std::string> calls;
    std::u16string file, text, idListFile;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL pt,
                                        DWORD* effect) noexcept override {
        calls.push_back("enter");
        at = pt;
        *effect &= answer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) noexcept override {
        *effect &= answer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override {
        calls.push_back("leave");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL,
                                   DWORD* effect) noexcept override {
        calls.push_back("drop");
        STGMEDIUM m{};
        FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (data->GetData(&f, &m) == S_OK) {
            file = FirstFile(static_cast<HDROP>(m.hGlobal));
            ReleaseStgMedium(&m);
        }
        f.cfFormat = CF_UNICODETEXT;
        if (data->GetData(&f, &m) == S_OK) {
            text = WideOf(m.hGlobal);
            ReleaseStgMedium(&m);
        }
        f.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
        if (data->GetData(&f, &m) == S_OK) {
            const auto* ids = static_cast<const CIDA*>(GlobalLock(m.hGlobal));
            const auto* base = reinterpret_cast<const BYTE*>(ids);
            PIDLIST_ABSOLUTE full =
                ILCombine(reinterpret_cast<PCIDLIST_ABSOLUTE>(base + ids->aoffset[0]),
                          reinterpret_cast<PCUIDLIST_RELATIVE>(base + ids->aoffset[1]));
            WCHAR path[MAX_PATH] = {};
            if (full && SHGetPathFromIDListW(full, path)) idListFile = path;
            ILFree(full);
            GlobalUnlock(m.hGlobal);
            ReleaseStgMedium(&m);
        }
        *effect &= answer;
        return S_OK;
    }
    POINTL at{};
};

// Text and one file, as a tree of the program offers its nodes; or the file
// as a shell item alone, as the shell's own views offer theirs.
class Data : public OnStack<IDataObject> {
public:
    Data(std::u16string text, std::u16string file, bool shellItem)
        : text_(std::move(text)), file_(std::move(file)),
          idList_(static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST))),
          formats_(shellItem ? std::vector<CLIPFORMAT>{idList_}
                             : std::vector<CLIPFORMAT>{CF_UNICODETEXT, CF_HDROP}) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) noexcept override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        *m = STGMEDIUM{};
        m->tymed = TYMED_HGLOBAL;
        if (f->cfFormat == CF_UNICODETEXT) {
            m->hGlobal = Block(Wide(text_));
        } else if (f->cfFormat == idList_) {
            // The desktop as the parent, the file's absolute list as the item.
            PIDLIST_ABSOLUTE item = ILCreateFromPathW(file_.c_str());
            const UINT head[3] = {1, 3 * sizeof(UINT), 3 * sizeof(UINT) + 2};
            std::string block(reinterpret_cast<const char*>(head), sizeof head);
            block += std::string(2, '\0');
            block.append(reinterpret_cast<const char*>(item), ILGetSize(item));
            ILFree(item);
            m->hGlobal = Block(block);
        } else {
            DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
            std::string block(reinterpret_cast<const char*>(&header), sizeof header);
            block += Wide(file_) + std::string(2, '\0');
            m->hGlobal = Block(block);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) noexcept override {
        const bool offered =
            std::find(formats_.begin(), formats_.end(), f->cfFormat) != formats_.end();
        return offered && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** e) noexcept override {
        std::vector<FORMATETC> list;
        for (CLIPFORMAT cf : formats_)
            list.push_back({cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), e);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    std::u16string text_, file_;
    CLIPFORMAT idList_;
    std::vector<CLIPFORMAT> formats_;
};

// Runs one step of the user's hand each time the drag loop asks; drops when
// the button is up.
class Source : public OnStack<IDropSource> {
public:
    std::vector<std::function<void()>> script;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) noexcept override {
        if (step < script.size()) script[step++]();
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) noexcept override {
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
    size_t step = 0;
};

class DesktopDragDrop : public PresenterTest {
protected:
    void SetUp() override {
        PresenterTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        OleInitialize(nullptr);
        char folder[] = "/tmp/xdnd-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        dir = folder;
        path = dir + "/a b\xC3\xA9.txt"; // a space and a non-ASCII letter travel escaped
        std::ofstream(path) << "x";
        window = MakeWindow(u"Drops", 100, 100, 300, 200);
        ASSERT_NE(XOf(window), 0u);
    }
    void TearDown() override {
        if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
        PresenterTest::TearDown();
        OleUninitialize();
    }

    // The file's name as the layer's programs see it.
    std::u16string WindowsName() const {
        std::u16string name = u"C:";
        for (char c : dir)
            name.push_back(c == '/' ? u'\\' : static_cast<char16_t>(c));
        return name + u"\\a b\u00E9.txt";
    }
    std::string Uri() const { return "file://" + dir + "/a%20b%C3%A9.txt\r\n"; }

    // Lets the peer drag while this thread handles what reaches its windows.
    void PumpUntilDone(XdndPeer& peer) {
        while (!peer.Done()) {
            MSG m;
            if (GetMessageW(&m, nullptr, 0, 0) <= 0) break;
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        peer.Wait();
    }
    void WakeWhenDone(XdndPeer& peer) {
        const DWORD thread = GetCurrentThreadId();
        peer.onDone = [thread] { PostThreadMessageW(thread, WM_NULL, 0, 0); };
    }

    void Press(POINT at) {
        XTestFakeMotionEvent(x, 0, at.x, at.y, CurrentTime);
        XTestFakeButtonEvent(x, 1, True, CurrentTime);
        XSync(x, False);
        Settle();
    }
    std::function<void()> MoveTo(POINT at) {
        return [this, at] {
            XTestFakeMotionEvent(x, 0, at.x, at.y, CurrentTime);
            XSync(x, False);
        };
    }
    std::function<void()> ReleaseButton() {
        return [this] {
            XTestFakeButtonEvent(x, 1, False, CurrentTime);
            XSync(x, False);
        };
    }

    std::string dir, path;
    HWND window = nullptr;
};

} // namespace

TEST_F(DesktopDragDrop, AnotherProgramDropsFilesAndTextOnARegisteredWindow) {
    Target target;
    ASSERT_EQ(RegisterDragDrop(window, &target), S_OK);
    XdndPeer peer(server.Name());
    WakeWhenDone(peer);
    peer.DragOnto(XOf(window), {250, 200},
                  {{"text/uri-list", Uri()}, {"UTF8_STRING", "h\xC3\xA9llo\nworld"}},
                  "XdndActionCopy");
    PumpUntilDone(peer);

    ASSERT_FALSE(peer.seen.timedOut);
    EXPECT_EQ(peer.seen.statuses, std::vector<std::string>{"accept XdndActionCopy"});
    EXPECT_EQ(peer.seen.finished, "accept XdndActionCopy");
    EXPECT_EQ(target.calls, (std::vector<std::string>{"enter", "drop"}));
    EXPECT_EQ(target.at.x, 250) << "the drop point in the layer's screen coordinates";
    EXPECT_EQ(target.at.y, 200);
    EXPECT_EQ(target.file, WindowsName());
    EXPECT_EQ(target.idListFile, WindowsName()) << "files also come as the shell's id lists";
    EXPECT_EQ(target.text, u"h\u00E9llo\r\nworld");
    RevokeDragDrop(window);
}

// Whether another program's drop is taken: by the target's answer, or for
// a window that only takes files, by whether files come.
TEST_F(DesktopDragDrop, TheWindowUnderThePointerDecidesWhetherTheDropIsTaken) {
    struct Case {
        const char* name;
        bool registered; // else the window only accepts files (DragAcceptFiles)
        DWORD answer;
        bool files;
        const char* status;
        const char* finished;
    } cases[] = {
        {"target refuses", true, DROPEFFECT_NONE, true, "refuse", ""},
        {"target takes a move", true, DROPEFFECT_MOVE, true, "accept XdndActionMove",
         "accept XdndActionMove"},
        {"files window, files", false, 0, true, "accept XdndActionCopy", "accept XdndActionCopy"},
        {"files window, text only", false, 0, false, "refuse", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target target;
        target.answer = c.answer;
        if (c.registered) ASSERT_EQ(RegisterDragDrop(window, &target), S_OK);
        DragAcceptFiles(window, !c.registered);
        log.clear();
        XdndPeer peer(server.Name());
        WakeWhenDone(peer);
        std::map<std::string, std::string> offer{{"UTF8_STRING", "text"}};
        if (c.files) offer["text/uri-list"] = Uri();
        // The peer proposes a copy and lists copy and move as allowed.
        peer.DragOnto(XOf(window), {200, 150}, offer, "XdndActionCopy");
        PumpUntilDone(peer);
        Settle();
        ASSERT_FALSE(peer.seen.timedOut);
        EXPECT_EQ(peer.seen.statuses, std::vector<std::string>{c.status});
        EXPECT_EQ(peer.seen.finished, c.finished);
        if (c.registered && !c.answer) {
            EXPECT_EQ(target.calls, (std::vector<std::string>{"enter", "leave"}));
        }
        const auto dropped = Messages(window, WM_DROPFILES);
        if (!c.registered && c.files) {
            ASSERT_EQ(dropped.size(), 1u);
            const HDROP drop = reinterpret_cast<HDROP>(dropped[0].wParam);
            EXPECT_EQ(FirstFile(drop), WindowsName());
            POINT pt{};
            DragQueryPoint(drop, &pt);
            POINT origin{0, 0};
            ClientToScreen(window, &origin);
            EXPECT_EQ(pt.x, 200 - origin.x) << "the point in client coordinates";
            DragFinish(drop);
        } else {
            EXPECT_TRUE(dropped.empty());
        }
        if (c.registered) RevokeDragDrop(window);
    }
}

// A drag of the layer leaves its window for another program's; that
// program reads what it wants of the offer through the XdndSelection.
TEST_F(DesktopDragDrop, ADragLeavingTheProgramDropsOnAnotherProgramOrIsRefused) {
    const std::u16string text = u"caf\u00E9\r\nbar";
    struct Case {
        const char* action; // what the other program answers; "" refuses
        const char* want;
        bool shellItem; // the data is the file as a shell item, nothing else
        HRESULT result;
        DWORD effect;
        std::string data;
    } cases[] = {
        {"XdndActionCopy", "text/uri-list", false, DRAGDROP_S_DROP, DROPEFFECT_COPY, Uri()},
        {"XdndActionCopy", "UTF8_STRING", false, DRAGDROP_S_DROP, DROPEFFECT_COPY,
         "caf\xC3\xA9\nbar"},
        {"XdndActionCopy", "text/uri-list", true, DRAGDROP_S_DROP, DROPEFFECT_COPY, Uri()},
        {"", "UTF8_STRING", false, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + c.want + (c.shellItem ? " shell item" : ""));
        XdndPeer peer(server.Name());
        const ::Window other = peer.ShowTarget({600, 100, 800, 300}, c.action, c.want);
        ASSERT_NE(other, 0u);
        Press({150, 150});
        Data data(text, WindowsName(), c.shellItem);
        Source source;
        source.script = {MoveTo({700, 200}), ReleaseButton()};
        DWORD effect = 0xDEAD;
        const HRESULT hr = DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        peer.Wait();
        ASSERT_FALSE(peer.seen.timedOut);
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(effect, c.effect);
        for (const char* type : {"UTF8_STRING", "text/uri-list"}) {
            if (c.shellItem && type == std::string("UTF8_STRING")) continue;
            EXPECT_NE(std::find(peer.seen.entered.begin(), peer.seen.entered.end(), type),
                      peer.seen.entered.end())
                << type;
        }
        EXPECT_EQ(peer.seen.dropped, *c.action != 0);
        EXPECT_EQ(peer.seen.left, *c.action == 0) << "a refused drop leaves the other program";
        EXPECT_EQ(peer.seen.data, c.data);
        Settle();
    }
}
