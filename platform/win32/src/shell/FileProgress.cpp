// The progress window of SHFileOperationW, made of the layer's own window,
// a static text and a push button; the bar is painted by the window itself.
#include "FileProgress.h"

#include "../Paths.h"

#include <win32/FileOperationSeams.h>
#include <win32/winuser.h>

#include <mutex>

namespace win32 {
namespace {

constexpr unsigned kShowAfterMs = 1000;
constexpr int kWidth = 380, kHeight = 140;
const char16_t kClassName[] = u"LayerFileOperationProgress";

struct Seam {
    std::mutex lock;
    TestSeams::FileProgressScript script;
    unsigned showAfterMs = kShowAfterMs;
};

Seam& TheSeam() {
    static Seam* seam = new Seam;
    return *seam;
}

RECT BarRect() {
    return RECT{12, 44, kWidth - 12, 60};
}

} // namespace

LRESULT CALLBACK FileProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* progress = reinterpret_cast<FileProgress*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (progress && LOWORD(wParam) == IDCANCEL) progress->cancelled_ = true;
        return 0;
    case WM_CLOSE:
        if (progress) progress->cancelled_ = true;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT bar = BarRect();
        FrameRect(dc, &bar, GetSysColorBrush(COLOR_BTNSHADOW));
        if (progress && progress->total_ > 0) {
            RECT done = bar;
            InflateRect(&done, -1, -1);
            done.right = done.left + (done.right - done.left) *
                                         std::min(progress->done_, progress->total_) /
                                         progress->total_;
            FillRect(dc, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

FileProgress::FileProgress(HWND owner, const std::u16string& caption, bool silent, bool simple,
                           int total)
    : owner_(owner), caption_(caption), silent_(silent), simple_(simple), total_(total),
      started_(GetTickCount()) {}

FileProgress::~FileProgress() {
    if (window_) DestroyWindow(window_);
}

void FileProgress::Show() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        WNDCLASSW type{};
        type.lpfnWndProc = FileProgressProc;
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        type.lpszClassName = kClassName;
        RegisterClassW(&type);
    });
    RECT area{};
    if (!owner_ || !GetWindowRect(owner_, &area))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int x = (area.left + area.right - kWidth) / 2, y = (area.top + area.bottom - kHeight) / 2;
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, caption_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, kWidth, kHeight, owner_,
                              nullptr, nullptr, nullptr);
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    text_ = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_PATHELLIPSIS,
                            12, 12, kWidth - 24, 20, window_, nullptr, nullptr, nullptr);
    cancel_ = CreateWindowExW(0, u"BUTTON", u"Cancel",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kWidth - 100,
                              kHeight - 70, 88, 26, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), nullptr,
                              nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

bool FileProgress::Update(const std::string& path) {
    if (silent_ || cancelled_) return !cancelled_;
    TestSeams::FileProgressScript script;
    unsigned delay = kShowAfterMs;
    {
        Seam& seam = TheSeam();
        std::lock_guard guard(seam.lock);
        script = seam.script;
        delay = seam.showAfterMs;
    }
    if (!window_ && GetTickCount() - started_ >= delay) Show();
    if (!window_) return true;
    std::u16string shown = simple_ ? std::u16string() : ToWindowsPath(path);
    SetWindowTextW(text_, shown.c_str());
    InvalidateRect(window_, nullptr, TRUE);
    if (script) {
        TestSeams::FileProgressRecord record{window_, caption_, shown, done_, total_};
        if (script(record)) PostMessageW(cancel_, BM_CLICK, 0, 0);
    }
    // Only the window's own messages: the caller's windows wait for the operation.
    MSG message;
    while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return !cancelled_;
}

bool FileProgress::Step(const std::string& path) {
    done_ = steps_++; // the items before this one are done
    return Update(path);
}

bool FileProgress::Working(const std::string& path) {
    return Update(path);
}

} // namespace win32

namespace TestSeams {

void ScriptFileProgress(FileProgressScript script, unsigned showAfterMs) {
    win32::Seam& seam = win32::TheSeam();
    std::lock_guard guard(seam.lock);
    seam.showAfterMs = script ? showAfterMs : win32::kShowAfterMs;
    seam.script = std::move(script);
}

} // namespace TestSeams
