// The drag loop between registered windows of one program, on synthetic
// input queued before the drag starts.
#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/ole2.h>
#include <win32/shellapi.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
}

// Drops when the left button is up, cancels on Esc. The user's input comes
// while the loop runs: each time the loop asks, the next step of the script
// is injected, and the loop then waits for it.
class Source : public Counted<IDropSource> {
public:
    std::vector<std::function<void()>> script;

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) noexcept override {
        if (step < script.size()) script[step++]();
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) noexcept override {
        feedback.push_back(effect);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
    std::vector<DWORD> feedback;
    size_t step = 0;
};

// Takes a copy with Ctrl, a link with Ctrl+Shift or Alt, else a move.
class Target : public Counted<IDropTarget> {
public:
    explicit Target(const char* name) : name_(name) {}
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL pt,
                                        DWORD* effect) noexcept override {
        return Note("enter", keys, pt, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) noexcept override {
        return Note("over", keys, pt, effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override {
        Calls().push_back(std::string("leave ") + name_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt,
                                   DWORD* effect) noexcept override {
        FORMATETC f{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM m{};
        if (SUCCEEDED(data->GetData(&f, &m))) {
            dropped = static_cast<const char*>(GlobalLock(m.hGlobal));
            GlobalUnlock(m.hGlobal);
            ReleaseStgMedium(&m);
        }
        return Note("drop", keys, pt, effect);
    }
    POINTL last{};
    std::string dropped;

private:
    HRESULT Note(const char* what, DWORD keys, POINTL pt, DWORD* effect) {
        Calls().push_back(std::string(what) + " " + name_);
        last = pt;
        const bool ctrl = keys & MK_CONTROL, shift = keys & MK_SHIFT;
        *effect = (ctrl && shift) || (keys & MK_ALT) ? DROPEFFECT_LINK
                  : ctrl                             ? DROPEFFECT_COPY
                                                     : DROPEFFECT_MOVE;
        return S_OK;
    }
    const char* name_;
};

HGLOBAL Block(const void* bytes, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(h), bytes, size);
    GlobalUnlock(h);
    return h;
}

// Offers one format in global memory.
class Data : public Counted<IDataObject> {
public:
    Data(CLIPFORMAT cf, std::string bytes) : cf_(cf), bytes_(std::move(bytes)) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) noexcept override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        *m = STGMEDIUM{};
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = Block(bytes_.data(), bytes_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) noexcept override {
        return f->cfFormat == cf_ && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** e) noexcept override {
        FORMATETC f{cf_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &f, e);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    CLIPFORMAT cf_;
    std::string bytes_;
};

class DragDrop : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        RegisterRecorder();
        top = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 100, 100, 500, 300);
        left = MakeWindow(WS_CHILD | WS_VISIBLE, top, 10, 10, 150, 100);
        right = MakeWindow(WS_CHILD | WS_VISIBLE, top, 200, 10, 150, 100);
        files = MakeWindow(WS_CHILD | WS_VISIBLE, top, 10, 150, 150, 60);
        ASSERT_EQ(RegisterDragDrop(left, &leftTarget), S_OK);
        ASSERT_EQ(RegisterDragDrop(right, &rightTarget), S_OK);
        Calls().clear();
    }
    void TearDown() override {
        DestroyWindow(top);
        Pump();
        OleUninitialize();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    // Presses the left button in the left window, as a drag starts.
    void Press() {
        TestSeams::MouseDown(TestSeams::ClientPoint(left, 20, 20));
        Pump();
    }
    HRESULT Drag(std::vector<std::function<void()>> script,
                 DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                 IDataObject* what = nullptr) {
        source.script = std::move(script);
        source.step = 0;
        source.feedback.clear();
        effect = 0xDEAD;
        return DoDragDrop(what ? what : &data, &source, allowed, &effect);
    }
    static std::function<void()> Move(HWND hwnd, int x, int y) {
        return [=] { TestSeams::MouseMove(TestSeams::ClientPoint(hwnd, x, y)); };
    }
    static std::function<void()> Release(HWND hwnd, int x, int y) {
        return [=] { TestSeams::MouseUp(TestSeams::ClientPoint(hwnd, x, y)); };
    }
    static std::function<void()> Key(int vk, bool down = true) {
        return [=] { down ? TestSeams::KeyDown(vk) : TestSeams::KeyUp(vk); };
    }

    HWND top = nullptr, left = nullptr, right = nullptr, files = nullptr;
    Target leftTarget{"L"}, rightTarget{"R"};
    Source source;
    Data data{CF_TEXT, std::string("moved", 6)};
    DWORD effect = 0;
};

} // namespace

TEST_F(DragDrop, TheCursorLeavesOneTargetEntersTheNextAndDropsThere) {
    Press();
    EXPECT_EQ(Drag({Move(left, 30, 30), Move(right, 40, 50), Move(right, 41, 52),
                    Release(right, 41, 52)}),
              DRAGDROP_S_DROP);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"enter L", "over L", "leave L", "enter R",
                                                 "over R", "drop R"}));
    const POINT at = TestSeams::ClientPoint(right, 41, 52);
    EXPECT_EQ(rightTarget.last.x, at.x);
    EXPECT_EQ(rightTarget.last.y, at.y);
    EXPECT_EQ(rightTarget.dropped, "moved");
    EXPECT_EQ(source.feedback.size(), 4u);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(data.refs, 1u);
    EXPECT_EQ(source.refs, 1u);
    EXPECT_EQ(rightTarget.refs, 2u) << "only the registration holds it";
}

TEST_F(DragDrop, ModifierKeysChooseTheEffectWithinWhatTheSourceAllows) {
    const struct {
        std::vector<int> keys;
        DWORD allowed;
        HRESULT result;
        DWORD effect;
        const char* last;
    } cases[] = {
        {{}, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, DRAGDROP_S_DROP, DROPEFFECT_MOVE,
         "drop R"},
        {{VK_CONTROL}, DROPEFFECT_COPY | DROPEFFECT_MOVE, DRAGDROP_S_DROP, DROPEFFECT_COPY, "drop R"},
        {{VK_CONTROL, VK_SHIFT}, DROPEFFECT_LINK, DRAGDROP_S_DROP, DROPEFFECT_LINK, "drop R"},
        {{VK_MENU}, DROPEFFECT_LINK | DROPEFFECT_COPY, DRAGDROP_S_DROP, DROPEFFECT_LINK, "drop R"},
        // The target's move is not allowed: the drop is refused, the target left.
        {{}, DROPEFFECT_COPY, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, "leave R"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.effect);
        Calls().clear();
        Press();
        std::vector<std::function<void()>> script{Move(right, 40, 50)};
        for (int vk : c.keys)
            script.push_back(Key(vk));
        script.push_back(Release(right, 40, 50));
        EXPECT_EQ(Drag(script, c.allowed), c.result);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(Calls().back(), c.last);
        for (int vk : c.keys)
            TestSeams::KeyUp(vk);
        Pump();
    }
}

// While the mouse rests the target is asked again, about every 50 ms, so
// that it can scroll or open what lies under the mouse.
TEST_F(DragDrop, ATargetUnderARestingMouseIsAskedAgainAtAPace) {
    TestSeams::UseManualClock(100000);
    auto wait = [](unsigned ms) { return [ms] { TestSeams::AdvanceClock(ms); }; };
    Press();
    EXPECT_EQ(Drag({Move(right, 40, 50), wait(50), wait(50), Release(right, 40, 50)}),
              DRAGDROP_S_DROP);
    TestSeams::UseRealClock();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"enter L", "leave L", "enter R", "over R",
                                                 "over R", "drop R"}));
}

TEST_F(DragDrop, EscapeOrADropOverNoTargetCancels) {
    Press();
    EXPECT_EQ(Drag({Move(right, 40, 50), Key(VK_ESCAPE)}), DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(Calls().back(), "leave R");
    TestSeams::KeyUp(VK_ESCAPE);
    TestSeams::MouseUp(TestSeams::ClientPoint(right, 40, 50));
    Pump();

    Calls().clear();
    Press();
    // The parent has no target.
    EXPECT_EQ(Drag({Move(top, 450, 20), Release(top, 450, 20)}), DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"enter L", "leave L"}));
}

TEST_F(DragDrop, AWindowThatOnlyAcceptsFilesGetsThemAsDropFiles) {
    DragAcceptFiles(files, TRUE);
    const std::u16string name = u"C:\\tmp\\a.txt";
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
    std::memcpy(block.data(), &header, sizeof header);
    block.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * 2);
    block.append(2, '\0');
    Data fileData(CF_HDROP, block);

    std::u16string got;
    POINT at{};
    Hook() = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
        if (hwnd != files || msg != WM_DROPFILES) return false;
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        WCHAR buffer[MAX_PATH];
        if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1 &&
            DragQueryFileW(drop, 0, buffer, MAX_PATH))
            got = buffer;
        DragQueryPoint(drop, &at);
        DragFinish(drop);
        return true;
    };
    Press();
    EXPECT_EQ(Drag({Move(files, 12, 13), Release(files, 12, 13)},
                   DROPEFFECT_COPY | DROPEFFECT_MOVE, &fileData),
              DRAGDROP_S_DROP);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    Pump();
    EXPECT_EQ(got, name);
    EXPECT_EQ(at.x, 12);
    EXPECT_EQ(at.y, 13);

    // Text is not files: the same window takes no part in its drag.
    Calls().clear();
    Press();
    EXPECT_EQ(Drag({Move(files, 12, 13), Release(files, 12, 13)}), DRAGDROP_S_CANCEL);
}

TEST_F(DragDrop, RegistrationIsOncePerWindowAndEndsWithTheWindow) {
    EXPECT_EQ(RegisterDragDrop(left, &rightTarget), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RegisterDragDrop(left, nullptr), E_INVALIDARG);
    EXPECT_EQ(RegisterDragDrop(reinterpret_cast<HWND>(0x7777), &rightTarget),
              DRAGDROP_E_INVALIDHWND);
    EXPECT_EQ(RevokeDragDrop(files), DRAGDROP_E_NOTREGISTERED);
    EXPECT_NE(GetPropW(left, u"OleDropTargetInterface"), nullptr);

    EXPECT_EQ(RevokeDragDrop(left), S_OK);
    EXPECT_EQ(leftTarget.refs, 1u);
    EXPECT_EQ(GetPropW(left, u"OleDropTargetInterface"), nullptr);

    DestroyWindow(right);
    EXPECT_EQ(rightTarget.refs, 1u) << "a destroyed window lets its target go";
}
