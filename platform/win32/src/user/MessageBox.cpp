// MessageBoxW: a window of our own with the text, an icon and push buttons,
// run as a real modal loop. The owner is disabled while the box is open; the
// loop keeps retrieving and dispatching the thread's messages, so timers fire
// and posted messages arrive inside it. Enter, Escape, Tab, the arrows,
// mnemonics and clicks on the buttons end it. In tests a script answers it.
#include "../Clock.h"
#include "NonClient.h"
#include "UserState.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>
#include <win32/winnls.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

using namespace win32::user;

namespace {

constexpr LPCWSTR kBoxClass = u"WinLayerMessageBox";
constexpr LPCWSTR kButtonClass = u"WinLayerMessageBoxButton";
constexpr WORD kClicked = 0; // BN_CLICKED
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kMaxTextWidth = 420;

struct Seams {
    std::mutex lock;
    TestSeams::MessageBoxScript script;
    std::vector<TestSeams::MessageBoxRecord> log;
};

Seams& Seam() {
    static auto* seams = new Seams;
    return *seams;
}

struct Button {
    int id;
    const char16_t* text;
};

std::vector<Button> ButtonsOf(UINT type) {
    std::vector<Button> buttons;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
        break;
    case MB_YESNO:
        buttons = {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}};
        break;
    case MB_CANCELTRYCONTINUE:
        buttons = {{IDCANCEL, u"Cancel"}, {IDTRYAGAIN, u"&Try Again"}, {IDCONTINUE, u"&Continue"}};
        break;
    default:
        buttons = {{IDOK, u"OK"}};
        break;
    }
    if (type & MB_HELP) buttons.push_back({IDHELP, u"Help"});
    return buttons;
}

int DefaultButton(UINT type, const std::vector<Button>& buttons) {
    const size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0].id;
}

// What Escape and the close box answer: Cancel where there is one, OK for a
// lone OK; a Yes/No or Abort/Retry/Ignore question must be answered.
int EscapeAnswer(const std::vector<Button>& buttons) {
    for (const Button& b : buttons)
        if (b.id == IDCANCEL) return IDCANCEL;
    if (buttons.front().id == IDOK && (buttons.size() == 1 || buttons[1].id == IDHELP)) return IDOK;
    return 0;
}

char16_t MnemonicOf(const char16_t* text) {
    for (const char16_t* p = text; *p; ++p)
        if (*p == u'&' && p[1] && p[1] != u'&')
            return (p[1] >= u'a' && p[1] <= u'z') ? static_cast<char16_t>(p[1] - 32) : p[1];
    return 0;
}

struct BoxState {
    std::u16string text;
    UINT type = 0;
    std::vector<Button> buttons;
    RECT textRect{};
    int result = 0;
    bool done = false;
    HWND focus = nullptr; // the button with the focus, which Enter presses
};

BoxState* StateOf(HWND box) {
    return reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, GWLP_USERDATA));
}

void End(HWND box, int id) {
    BoxState* s = StateOf(box);
    if (!s || s->done) return;
    if (id == IDHELP) {
        // Help does not end the box: the owner hears of it.
        if (HWND owner = GetWindow(box, GW_OWNER)) PostMessageW(owner, WM_HELP, 0, 0);
        return;
    }
    s->result = id;
    s->done = true;
}

// --- The icon ------------------------------------------------------------------------

void DrawGlyph(HDC dc, const RECT& r, const char16_t* glyph, COLORREF color) {
    HFONT font = CreateFontW(-22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                             0, u"Times New Roman");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT box = r;
    DrawTextW(dc, glyph, 1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

void DrawIcon(HDC dc, UINT icon, int x, int y) {
    if (!icon) return;
    const RECT r{x, y, x + kIconSize, y + kIconSize};
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    auto filled = [&](COLORREF fill, auto draw) {
        HBRUSH brush = CreateSolidBrush(fill);
        HGDIOBJ old = SelectObject(dc, brush);
        draw();
        SelectObject(dc, old);
        DeleteObject(brush);
    };
    switch (icon) {
    case MB_ICONHAND: {
        filled(RGB(255, 0, 0),
               [&] { Ellipse(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1); });
        HPEN white = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
        SelectObject(dc, white);
        MoveToEx(dc, x + 10, y + 10, nullptr);
        LineTo(dc, x + 22, y + 22);
        MoveToEx(dc, x + 22, y + 10, nullptr);
        LineTo(dc, x + 10, y + 22);
        SelectObject(dc, pen);
        DeleteObject(white);
        break;
    }
    case MB_ICONEXCLAMATION: {
        const POINT triangle[3] = {{x + 16, y + 1}, {x + 31, y + 30}, {x + 1, y + 30}};
        filled(RGB(255, 255, 0), [&] { Polygon(dc, triangle, 3); });
        DrawGlyph(dc, {r.left, r.top + 6, r.right, r.bottom}, u"!", RGB(0, 0, 0));
        break;
    }
    case MB_ICONQUESTION:
    case MB_ICONASTERISK:
        filled(RGB(255, 255, 255),
               [&] { Ellipse(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1); });
        DrawGlyph(dc, r, icon == MB_ICONQUESTION ? u"?" : u"i", RGB(0, 0, 255));
        break;
    default:
        break;
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

// --- The push buttons --------------------------------------------------------------
// GWLP_USERDATA: bit 0 pressed, bit 1 the mouse is being tracked.

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto flags = [&] { return GetWindowLongPtrW(hwnd, GWLP_USERDATA); };
    auto setFlags = [&](LONG_PTR f) {
        if (f == flags()) return;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, f);
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    };
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        const bool focused = GetFocus() == hwnd;
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        if (focused) {
            // The focused button is the default one: a dark frame around it.
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&r, -1, -1);
        }
        const bool pressed = flags() & 1;
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        WCHAR text[64];
        const int n = GetWindowTextW(hwnd, text, 64);
        HGDIOBJ old = SelectObject(dc, MessageFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT label = r;
        if (pressed) OffsetRect(&label, 1, 1);
        DrawTextW(dc, text, n, &label, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        SelectObject(dc, old);
        if (focused) {
            RECT focus = r;
            InflateRect(&focus, -3, -3);
            DrawFocusRect(dc, &focus);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
        if (BoxState* s = StateOf(GetParent(hwnd))) s->focus = hwnd;
        [[fallthrough]];
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        SetCapture(hwnd);
        setFlags(3);
        return 0;
    case WM_MOUSEMOVE:
        if (flags() & 2) {
            RECT r;
            GetClientRect(hwnd, &r);
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            setFlags(PtInRect(&r, p) ? 3 : 2);
        }
        return 0;
    case WM_LBUTTONUP: {
        const bool click = flags() == 3;
        setFlags(0);
        if (GetCapture() == hwnd) ReleaseCapture();
        if (click)
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), kClicked),
                         reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    case WM_CAPTURECHANGED:
        setFlags(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// --- The box -------------------------------------------------------------------------

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BoxState* s = StateOf(hwnd);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (s) {
            DrawIcon(dc, s->type & MB_ICONMASK, kMargin, kMargin);
            HGDIOBJ old = SelectObject(dc, MessageFont());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            RECT r = s->textRect;
            DrawTextW(dc, s->text.c_str(), static_cast<int>(s->text.size()), &r,
                      DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX |
                          ((s->type & MB_RIGHT) ? DT_RIGHT : DT_LEFT));
            SelectObject(dc, old);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == kClicked) End(hwnd, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        if (s)
            if (int id = EscapeAnswer(s->buttons)) End(hwnd, id);
        return 0;
    case WM_SETFOCUS:
        if (s && s->focus) SetFocus(s->focus);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && s && s->focus) SetFocus(s->focus);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// Keyboard input for the box or its buttons, as a dialog handles it. True when used.
bool BoxKey(HWND box, const MSG& m) {
    if (m.hwnd != box && !IsChild(box, m.hwnd)) return false;
    if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
    BoxState* s = StateOf(box);
    if (!s || (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN)) return true;
    std::vector<HWND> buttons;
    for (const Button& b : s->buttons)
        buttons.push_back(GetDlgItem(box, b.id));
    auto at = std::find(buttons.begin(), buttons.end(), GetFocus());
    const int index = at == buttons.end() ? 0 : static_cast<int>(at - buttons.begin());
    const int n = static_cast<int>(buttons.size());
    auto focusBy = [&](int step) {
        SetFocus(buttons[static_cast<size_t>((index + step + n) % n)]);
    };
    switch (m.wParam) {
    case VK_RETURN:
    case VK_SPACE:
        End(box, s->buttons[static_cast<size_t>(index)].id);
        return true;
    case VK_ESCAPE:
        if (int id = EscapeAnswer(s->buttons)) End(box, id);
        return true;
    case VK_TAB:
        focusBy((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1);
        return true;
    case VK_LEFT:
    case VK_UP:
        focusBy(-1);
        return true;
    case VK_RIGHT:
    case VK_DOWN:
        focusBy(1);
        return true;
    default:
        break;
    }
    for (const Button& b : s->buttons)
        if (MnemonicOf(b.text) == static_cast<char16_t>(m.wParam)) End(box, b.id);
    return true;
}

// Handles one retrieved message inside the box's loop; false on WM_QUIT.
bool Handle(HWND box, MSG& m) {
    if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam)); // for the caller's loop
        return false;
    }
    if (BoxKey(box, m)) return true;
    TranslateMessage(&m);
    DispatchMessageW(&m);
    return true;
}

// The earliest due time of this thread's timers.
uint64_t NextTimerDue() {
    auto q = CurrentQueue();
    std::lock_guard<std::mutex> guard(q->lock);
    uint64_t due = win32::kForever;
    for (const Timer& t : q->timers)
        due = std::min(due, t.due);
    return due;
}

// Keeps the box open for `ms` of the clock, pumping everything; on the manual
// clock, time moves from one timer to the next so that each tick is delivered.
bool RunFor(HWND box, BoxState& s, uint64_t ms) {
    const uint64_t deadline = win32::NowMs() + ms;
    MSG m;
    for (;;) {
        while (!s.done && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!Handle(box, m)) return false;
        const uint64_t now = win32::NowMs();
        if (s.done || now >= deadline || !IsWindow(box)) return true;
        const uint64_t next = std::min(deadline, std::max(NextTimerDue(), now + 1));
        if (TestSeams::ClockIsManual())
            TestSeams::AdvanceClock(next - now);
        else
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(next - now), QS_ALLINPUT, 0);
    }
}

// The loop on input alone, until a button ends the box.
bool RunInteractive(HWND box, BoxState& s) {
    MSG m;
    while (!s.done && IsWindow(box)) {
        GetMessageW(&m, nullptr, 0, 0);
        if (!Handle(box, m)) return false;
    }
    return true;
}

std::string Utf8(const std::u16string& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// Lays the box out and creates it with its buttons, hidden.
HWND CreateBox(HWND owner, const std::u16string& caption, BoxState& s) {
    EnsureLayerClass(kBoxClass, BoxProc, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    EnsureLayerClass(kButtonClass, ButtonProc, CS_DBLCLKS, nullptr);

    HDC measure = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(measure, MessageFont());
    RECT text{0, 0, kMaxTextWidth, 0};
    DrawTextW(measure, s.text.c_str(), static_cast<int>(s.text.size()), &text,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    int buttonWidth = kButtonWidth;
    for (const Button& b : s.buttons) {
        RECT r{0, 0, 0, 0};
        DrawTextW(measure, b.text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        buttonWidth = std::max<int>(buttonWidth, r.right + 16);
    }
    SelectObject(measure, old);
    DeleteDC(measure);

    const bool icon = (s.type & MB_ICONMASK) != 0;
    const int textLeft = kMargin + (icon ? kIconSize + kMargin : 0);
    const int textHeight = text.bottom - text.top;
    const int textTop =
        kMargin + (icon && textHeight < kIconSize ? (kIconSize - textHeight) / 2 : 0);
    s.textRect = {textLeft, textTop, textLeft + (text.right - text.left), textTop + textHeight};
    const int n = static_cast<int>(s.buttons.size());
    const int row = n * buttonWidth + (n - 1) * kButtonGap;
    const int width = std::max<int>({s.textRect.right + kMargin, row + 2 * kMargin, 120});
    const int buttonsTop =
        std::max<int>(s.textRect.bottom, icon ? kMargin + kIconSize : 0) + kMargin + 2;
    RECT frame{0, 0, width, buttonsTop + kButtonHeight + kMargin};
    const DWORD style = WS_POPUP | WS_CAPTION | (EscapeAnswer(s.buttons) ? WS_SYSMENU : 0);
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT |
                          ((s.type & MB_TOPMOST) ? WS_EX_TOPMOST : 0);
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int cx = frame.right - frame.left, cy = frame.bottom - frame.top;

    // Centred on the owner, else on the screen; kept on the screen.
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &around);
    int x = (around.left + around.right - cx) / 2, y = (around.top + around.bottom - cy) / 2;
    x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - cx));
    y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - cy));

    HWND box = CreateWindowExW(exStyle, kBoxClass, caption.c_str(), style, x, y, cx, cy, owner,
                               nullptr, nullptr, nullptr);
    if (!box) return nullptr;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
    int bx = (width - row) / 2;
    for (const Button& b : s.buttons) {
        CreateWindowExW(0, kButtonClass, b.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, bx, buttonsTop,
                        buttonWidth, kButtonHeight, box,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), nullptr, nullptr);
        bx += buttonWidth + kButtonGap;
    }
    s.focus = GetDlgItem(box, DefaultButton(s.type, s.buttons));
    return box;
}

// The windows the box makes wait: its owner, or for MB_TASKMODAL without an
// owner every enabled top-level window of the thread.
std::vector<HWND> WindowsToDisable(HWND owner, UINT type) {
    std::vector<HWND> out;
    if (owner) {
        if (IsWindowEnabled(owner)) out.push_back(owner);
        return out;
    }
    if (!(type & MB_TASKMODAL)) return out;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM list) {
            if (IsWindowEnabled(hwnd) && IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

} // namespace

int MessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD) {
    if (owner && !IsWindow(owner)) return 0;
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    BoxState state;
    state.text = text ? text : u"";
    state.type = type;
    state.buttons = ButtonsOf(type);
    const std::u16string title = caption ? caption : u"Error";

    TestSeams::MessageBoxScript script;
    {
        std::lock_guard<std::mutex> guard(Seam().lock);
        script = Seam().script;
    }
    if (!script && !InteractiveDisplay()) {
        std::fprintf(stderr,
                     "Message box \"%s\": \"%s\" with no script to answer it and no display: "
                     "set TestSeams::ScriptMessageBoxes in the test.\n",
                     Utf8(title).c_str(), Utf8(state.text).c_str());
        std::abort();
    }

    const HWND previousActive = GetActiveWindow();
    const std::vector<HWND> disabled = WindowsToDisable(owner, type);
    HWND box = CreateBox(owner, title, state);
    if (!box) return 0;
    for (HWND w : disabled)
        EnableWindow(w, FALSE);
    ShowWindow(box, SW_SHOW);
    RedrawWindow(box, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!(type & MB_NOFOCUS) && state.focus) SetFocus(state.focus);

    TestSeams::MessageBoxRecord record{owner, box, state.text, title, type, 0};
    bool ended = true;
    if (script) {
        const TestSeams::MessageBoxAnswer answer = script(record);
        if (answer.result == 0) {
            ended = RunInteractive(box, state);
        } else {
            ended = RunFor(box, state, answer.elapseMs);
            if (ended && !state.done) state.result = answer.result;
        }
    } else {
        ended = RunInteractive(box, state);
    }
    const int result = ended ? state.result : 0;

    // The owner comes back before the box goes, so that activation returns to it.
    for (HWND w : disabled)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (IsWindow(box)) {
        SetWindowLongPtrW(box, GWLP_USERDATA, 0);
        DestroyWindow(box);
    }
    HWND back = owner ? owner : previousActive;
    if (back && IsWindow(back)) SetActiveWindow(back);

    if (script) {
        record.box = nullptr;
        record.result = result;
        std::lock_guard<std::mutex> guard(Seam().lock);
        Seam().log.push_back(record);
    }
    return result;
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return MessageBoxExW(owner, text, caption, type, 0);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    auto wide = [](LPCSTR s) -> std::u16string {
        if (!s) return {};
        const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
        std::u16string out(static_cast<size_t>(std::max(n, 1)), u'\0');
        MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
        out.resize(static_cast<size_t>(std::max(n - 1, 0)));
        return out;
    };
    const std::u16string t = wide(text), c = wide(caption);
    return MessageBoxW(owner, text ? t.c_str() : nullptr, caption ? c.c_str() : nullptr, type);
}

BOOL MessageBeep(UINT) {
    return TRUE;
}

namespace TestSeams {

void ScriptMessageBoxes(MessageBoxScript script) {
    std::lock_guard<std::mutex> guard(Seam().lock);
    Seam().script = std::move(script);
    Seam().log.clear();
}

void AnswerMessageBoxes(std::vector<int> answers) {
    auto queue = std::make_shared<std::deque<int>>(answers.begin(), answers.end());
    ScriptMessageBoxes([queue](const MessageBoxRecord& r) {
        if (queue->empty()) {
            std::fprintf(stderr, "Message box \"%s\": more boxes than scripted answers.\n",
                         Utf8(r.text).c_str());
            std::abort();
        }
        MessageBoxAnswer answer{queue->front(), 0};
        queue->pop_front();
        return answer;
    });
}

std::vector<MessageBoxRecord> MessageBoxes() {
    std::lock_guard<std::mutex> guard(Seam().lock);
    return Seam().log;
}

} // namespace TestSeams
