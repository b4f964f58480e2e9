// Menus on the screen: the menu bar in a window's frame, pop-up menu windows
// (class "#32768"), and the modal loop that tracks them with the mouse and
// the keyboard, sends the menu notifications and delivers the chosen command.
// In tests a script answers pop-up menus (TestSeams::ScriptPopupMenus).
#include "MenuData.h"
#include "NonClient.h"
#include "UserState.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

using namespace win32::user;

namespace {

constexpr int kBorder = 3;       // the raised frame of a pop-up and its inner gap
constexpr int kSeparator = 9;    // height of a separator
constexpr int kArrowColumn = 16; // room for the sub-menu arrow
constexpr int kBarPadding = 6;   // each side of a menu bar label

// --- Seams -------------------------------------------------------------------------------

struct Seams {
    std::mutex lock;
    TestSeams::PopupMenuScript script;
    std::vector<TestSeams::PopupMenuRecord> log;
};

Seams& Seam() {
    static auto* seams = new Seams;
    return *seams;
}

// --- Measuring and drawing ------------------------------------------------------------

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// A DC on the screen with the menu font, for measuring.
class MeasureDC {
public:
    MeasureDC() : dc_(CreateCompatibleDC(nullptr)) { old_ = SelectObject(dc_, MessageFont()); }
    ~MeasureDC() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    MeasureDC(const MeasureDC&) = delete;
    MeasureDC& operator=(const MeasureDC&) = delete;
    // Width of a label as DrawText shows it ('&' marks are not drawn).
    int Width(const std::u16string& text, bool bold = false) {
        if (text.empty()) return 0;
        HGDIOBJ before = bold ? SelectObject(dc_, BoldMessageFont()) : nullptr;
        RECT r{0, 0, 0, 0};
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_SINGLELINE | DT_CALCRECT);
        if (before) SelectObject(dc_, before);
        return r.right - r.left;
    }
    int Height() {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_, &tm);
        return tm.tmHeight;
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

struct PopupLayout {
    std::vector<RECT> items; // client coordinates of the pop-up window
    int textLeft = 0;
    int acceleratorRight = 0;
    SIZE size{};
};

PopupLayout LayoutPopup(const std::vector<MenuItem>& items) {
    MeasureDC measure;
    const int itemHeight = std::max(measure.Height() + 5, GetSystemMetrics(SM_CYMENU) - 1);
    const int check = GetSystemMetrics(SM_CXMENUCHECK) + 6;
    int label = 0, accelerator = 0;
    for (const MenuItem& item : items) {
        if (item.Separator()) continue;
        label = std::max(label, measure.Width(item.Label(), (item.state & MFS_DEFAULT) != 0));
        accelerator = std::max(accelerator, measure.Width(item.Accelerator()));
    }
    PopupLayout l;
    l.textLeft = kBorder + check;
    const int width =
        l.textLeft + label + (accelerator ? 12 + accelerator : 0) + kArrowColumn + kBorder;
    l.acceleratorRight = width - kBorder - kArrowColumn;
    int y = kBorder;
    for (const MenuItem& item : items) {
        const int h = item.Separator() ? kSeparator : itemHeight;
        l.items.push_back({kBorder, y, width - kBorder, y + h});
        y += h;
    }
    l.size = {std::max(width, 2 * kBorder + 40), y + kBorder};
    return l;
}

// A check mark, bullet or arrow (DFC_MENU draws them black on white) in black
// on light items and in white on highlighted ones.
void DrawMark(HDC dc, const RECT& r, UINT kind, bool onHighlight) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    RECT box{0, 0, w, h};
    DrawFrameControl(mem, &box, DFC_MENU, kind);
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, onHighlight ? MERGEPAINT : SRCAND);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

// A label in its state's colours; grayed labels are embossed off the highlight.
void DrawLabel(HDC dc, const std::u16string& text, RECT r, UINT format, bool grayed, bool hot) {
    if (text.empty()) return;
    SetBkMode(dc, TRANSPARENT);
    const int n = static_cast<int>(text.size());
    if (grayed && !hot) {
        RECT shadow = r;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, text.c_str(), n, &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else if (grayed) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
    DrawTextW(dc, text.c_str(), n, &r, format);
}

void DrawPopup(HDC dc, const std::vector<MenuItem>& items, const PopupLayout& l, int hot) {
    RECT all{0, 0, l.size.cx, l.size.cy};
    FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
    DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
    HGDIOBJ oldFont = SelectObject(dc, MessageFont());
    for (size_t i = 0; i < items.size() && i < l.items.size(); ++i) {
        const MenuItem& item = items[i];
        RECT r = l.items[i];
        if (item.Separator()) {
            RECT line{r.left, r.top + kSeparator / 2 - 1, r.right, r.top + kSeparator / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        const bool isHot = static_cast<int>(i) == hot || (item.state & MFS_HILITE);
        if (isHot) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        if (item.state & MFS_CHECKED) {
            RECT mark{r.left, r.top, l.textLeft, r.bottom};
            DrawMark(dc, mark, (item.type & MFT_RADIOCHECK) ? DFCS_MENUBULLET : DFCS_MENUCHECK,
                     isHot);
        }
        SelectObject(dc, (item.state & MFS_DEFAULT) ? BoldMessageFont() : MessageFont());
        RECT text{l.textLeft, r.top, l.acceleratorRight, r.bottom};
        DrawLabel(dc, item.Label(), text, DT_SINGLELINE | DT_VCENTER | DT_LEFT, item.Grayed(),
                  isHot);
        DrawLabel(dc, item.Accelerator(), text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT,
                  item.Grayed(), isHot);
        if (item.sub) {
            RECT arrow{r.right - kArrowColumn, r.top, r.right, r.bottom};
            DrawMark(dc, arrow, DFCS_MENUARROW, isHot);
        }
    }
    SelectObject(dc, oldFont);
}

std::vector<RECT> LayoutBar(const std::vector<MenuItem>& items, const RECT& bar) {
    MeasureDC measure;
    std::vector<RECT> rects;
    int x = bar.left;
    for (const MenuItem& item : items) {
        const int w = item.Separator() ? 0 : measure.Width(item.Label()) + 2 * kBarPadding;
        rects.push_back({x, bar.top, x + w, bar.bottom});
        x += w;
    }
    return rects;
}

// The bar's item rectangles, window coordinates.
bool BarLayout(HWND hwnd, HMENU& menu, std::vector<MenuItem>& items, std::vector<RECT>& rects) {
    NonClientLayout l;
    if (!GetNonClientLayout(hwnd, l) || Empty(l.menuBar) || !MenuItems(l.menu, items)) return false;
    menu = l.menu;
    rects = LayoutBar(items, l.menuBar);
    return true;
}

// --- Tracking -----------------------------------------------------------------------------

struct Level {
    HMENU menu = nullptr;
    HWND wnd = nullptr;
    std::vector<MenuItem> items;
    PopupLayout layout;
    int hot = -1;
};

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class Tracker {
public:
    Tracker(HWND owner, UINT flags) : owner_(owner), flags_(flags) {}

    // Opens a pop-up menu at a screen point (TrackPopupMenu).
    bool OpenPopup(HMENU menu, POINT at, const RECT* exclude) {
        Notify(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
        return OpenLevel(menu, [&](SIZE size) { return PlaceAtPoint(at, size, exclude); });
    }

    // Opens a menu bar's item (a click on the bar, or moving along it).
    void OpenBarItem(HWND window, int item) {
        CloseLevelsFrom(0);
        barWindow_ = window;
        barItem_ = item;
        HMENU bar = nullptr;
        std::vector<MenuItem> items;
        std::vector<RECT> rects;
        if (!BarLayout(window, bar, items, rects) || item < 0 ||
            static_cast<size_t>(item) >= items.size()) {
            Cancel();
            return;
        }
        bar_ = bar;
        SetBarPressed(item);
        const MenuItem& it = items[static_cast<size_t>(item)];
        UINT flags = it.type | it.state | MF_HILITE | (it.sub ? MF_POPUP : 0);
        Notify(WM_MENUSELECT, MAKEWPARAM(it.sub ? item : it.id, flags),
               reinterpret_cast<LPARAM>(bar));
        if (!it.sub) {
            if (!it.Grayed())
                Choose(it.id); // a command right on the bar
            else
                Cancel();
            return;
        }
        Notify(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(it.sub), MAKELPARAM(item, FALSE));
        POINT origin = WindowOrigin(window);
        RECT r = rects[static_cast<size_t>(item)];
        OffsetRect(&r, origin.x, origin.y);
        OpenLevel(it.sub, [&](SIZE size) { return PlaceBelow(r, size); });
    }

    // Answers the menu from the script, or runs the loop on input.
    void Run(bool scripted) {
        if (done_) return;
        if (!scripted) {
            Loop();
            return;
        }
        TestSeams::PopupMenuRecord record;
        record.menu = levels_.empty() ? nullptr : levels_[0].menu;
        record.owner = owner_;
        record.popup = levels_.empty() ? nullptr : levels_[0].wnd;
        record.at = at_;
        record.flags = flags_;
        TestSeams::PopupMenuScript script;
        {
            std::lock_guard<std::mutex> guard(Seam().lock);
            script = Seam().script;
        }
        if (!script) {
            std::fprintf(stderr, "Pop-up menu with no script to answer it and no display: "
                                 "set TestSeams::ScriptPopupMenus in the test.\n");
            std::abort();
        }
        TestSeams::PopupMenuAnswer answer = script(record);
        if (answer.interactive)
            Loop();
        else
            ChooseByScript(answer.command);
        record.command = chosen_;
        std::lock_guard<std::mutex> guard(Seam().lock);
        Seam().log.push_back(record);
    }

    // Closes everything and sends the closing notifications; the chosen command.
    UINT Finish(bool fromBar) {
        CloseLevelsFrom(0);
        if (GetCapture() == captureWindow_ && captureWindow_) ReleaseCapture();
        if (captureWindow_ && IsWindow(captureWindow_)) DestroyWindow(captureWindow_);
        if (fromBar) SetBarPressed(-1);
        Notify(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        return chosen_;
    }

    void Cancel() {
        chosen_ = 0;
        done_ = true;
    }
    bool Done() const { return done_; }
    Level* LevelOf(HWND wnd) {
        for (Level& l : levels_)
            if (l.wnd == wnd) return &l;
        return nullptr;
    }
    const std::vector<Level>& Levels() const { return levels_; }
    void SetAt(POINT at) { at_ = at; }
    void RequestEnd() { endRequested_ = true; }

private:
    template <class Place> bool OpenLevel(HMENU menu, Place place) {
        Level level;
        level.menu = menu;
        // Read the items after WM_INITMENUPOPUP: the owner may fill the menu then.
        if (!MenuItems(menu, level.items)) return false;
        level.layout = LayoutPopup(level.items);
        const POINT pos = place(level.layout.size);
        EnsureLayerClass(u"#32768", PopupProc, CS_SAVEBITS | CS_DBLCLKS, nullptr);
        level.wnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, u"#32768", u"", WS_POPUP,
                                    pos.x, pos.y, level.layout.size.cx, level.layout.size.cy,
                                    owner_, nullptr, nullptr, nullptr);
        if (!level.wnd) return false;
        SetWindowLongPtrW(level.wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        levels_.push_back(std::move(level));
        ShowWindow(levels_.back().wnd, SW_SHOWNA);
        UpdateWindow(levels_.back().wnd);
        EnsureCapture();
        return true;
    }

    // The mouse goes to the menus for the whole loop: to a hidden window of
    // the loop, so that closing pop-ups never drops the capture.
    void EnsureCapture() {
        if (!captureWindow_) {
            captureWindow_ = CreateWindowExW(WS_EX_TOOLWINDOW, u"#32768", u"", WS_POPUP, 0, 0, 0, 0,
                                             owner_, nullptr, nullptr, nullptr);
        }
        if (captureWindow_ && GetCapture() != captureWindow_) SetCapture(captureWindow_);
    }

    POINT PlaceAtPoint(POINT at, SIZE size, const RECT* exclude) {
        at_ = at;
        POINT p = at;
        if (flags_ & TPM_CENTERALIGN)
            p.x -= size.cx / 2;
        else if (flags_ & TPM_RIGHTALIGN)
            p.x -= size.cx;
        if (flags_ & TPM_VCENTERALIGN)
            p.y -= size.cy / 2;
        else if (flags_ & TPM_BOTTOMALIGN)
            p.y -= size.cy;
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        if (p.x + size.cx > w) p.x = std::max<LONG>(0, (exclude ? exclude->left : at.x) - size.cx);
        if (p.y + size.cy > h) p.y = std::max<LONG>(0, (exclude ? exclude->top : at.y) - size.cy);
        p.x = std::max<LONG>(0, p.x);
        p.y = std::max<LONG>(0, p.y);
        return p;
    }

    POINT PlaceBelow(const RECT& item, SIZE size) {
        at_ = {item.left, item.bottom};
        POINT p{item.left, item.bottom};
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        if (p.x + size.cx > w) p.x = std::max<LONG>(0, w - size.cx);
        if (p.y + size.cy > h) p.y = std::max<LONG>(0, item.top - size.cy);
        return p;
    }

    POINT PlaceBeside(const RECT& item, SIZE size) {
        POINT p{item.right - kBorder, item.top - kBorder};
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        if (p.x + size.cx > w) p.x = std::max<LONG>(0, item.left - size.cx + kBorder);
        if (p.y + size.cy > h) p.y = std::max<LONG>(0, h - size.cy);
        return p;
    }

    void Notify(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (!(flags_ & TPM_NONOTIFY) && owner_) SendMessageW(owner_, msg, wParam, lParam);
    }

    void SetBarPressed(int item) {
        if (!barWindow_) return;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            if (!Find(barWindow_)) return;
            ExtrasOf(barWindow_).hotMenuItem = item;
        }
        DrawMenuBar(barWindow_);
    }

    void CloseLevelsFrom(size_t first) {
        while (levels_.size() > first) {
            Level level = std::move(levels_.back());
            levels_.pop_back();
            if (level.wnd) DestroyWindow(level.wnd);
            Notify(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(level.menu), 0);
        }
    }

    void Repaint(const Level& level) {
        if (!level.wnd) return;
        InvalidateRect(level.wnd, nullptr, FALSE);
        UpdateWindow(level.wnd);
    }

    // Highlights item `index` of level `at` (-1 for none), closing deeper levels.
    void Select(size_t at, int index, bool byMouse) {
        CloseLevelsFrom(at + 1);
        Level& level = levels_[at];
        if (level.hot == index) return;
        level.hot = index;
        Repaint(level);
        if (index < 0) return;
        const MenuItem& item = level.items[static_cast<size_t>(index)];
        UINT flags = item.type | item.state | MF_HILITE | (item.sub ? MF_POPUP : 0) |
                     (byMouse ? MF_MOUSESELECT : 0);
        Notify(WM_MENUSELECT, MAKEWPARAM(item.sub ? index : item.id, flags),
               reinterpret_cast<LPARAM>(level.menu));
    }

    // Opens the sub-menu of the hot item of level `at`.
    void OpenSub(size_t at, bool selectFirst) {
        Level& level = levels_[at];
        if (level.hot < 0) return;
        const MenuItem item = level.items[static_cast<size_t>(level.hot)];
        if (!item.sub || item.Grayed()) return;
        if (levels_.size() > at + 1 && levels_[at + 1].menu == item.sub) return;
        CloseLevelsFrom(at + 1);
        Notify(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(item.sub), MAKELPARAM(level.hot, FALSE));
        RECT r = level.layout.items[static_cast<size_t>(level.hot)];
        POINT origin = WindowOrigin(level.wnd);
        OffsetRect(&r, origin.x, origin.y);
        if (!OpenLevel(item.sub, [&](SIZE size) { return PlaceBeside(r, size); })) return;
        if (selectFirst) Step(levels_.size() - 1, +1);
    }

    // Moves the highlight of a level to the next item that is not a separator.
    void Step(size_t at, int direction) {
        const Level& level = levels_[at];
        const int n = static_cast<int>(level.items.size());
        int i = level.hot;
        for (int tries = 0; tries < n; ++tries) {
            i = (i < 0 && direction < 0) ? n - 1 : (i + direction + n) % n;
            if (!level.items[static_cast<size_t>(i)].Separator()) {
                Select(at, i, false);
                return;
            }
        }
    }

    void Choose(UINT id) {
        chosen_ = id;
        done_ = true;
    }

    // Enter on the hot item, or a mnemonic: open its sub-menu or choose it.
    void Activate(size_t at) {
        const Level& level = levels_[at];
        if (level.hot < 0) return;
        const MenuItem& item = level.items[static_cast<size_t>(level.hot)];
        if (item.sub)
            OpenSub(at, true);
        else if (item.Grayed())
            Cancel();
        else
            Choose(item.id);
    }

    void SwitchBar(int direction) {
        std::vector<MenuItem> items;
        std::vector<RECT> rects;
        HMENU bar = nullptr;
        if (!BarLayout(barWindow_, bar, items, rects) || items.empty()) return;
        const int n = static_cast<int>(items.size());
        OpenBarItem(barWindow_, ((barItem_ + direction) % n + n) % n);
    }

    void Key(UINT vk) {
        const size_t top = levels_.size() - 1;
        switch (vk) {
        case VK_UP:
            Step(top, -1);
            return;
        case VK_DOWN:
            Step(top, +1);
            return;
        case VK_RIGHT: {
            const Level& level = levels_[top];
            const bool sub = level.hot >= 0 && level.items[static_cast<size_t>(level.hot)].sub;
            if (sub)
                OpenSub(top, true);
            else if (barWindow_)
                SwitchBar(+1);
            return;
        }
        case VK_LEFT:
            if (top > 0)
                CloseLevelsFrom(top);
            else if (barWindow_)
                SwitchBar(-1);
            return;
        case VK_RETURN:
            Activate(top);
            return;
        case VK_ESCAPE:
            if (top > 0)
                CloseLevelsFrom(top);
            else
                Cancel();
            return;
        case VK_MENU:
        case VK_F10:
            Cancel();
            return;
        default:
            break;
        }
        // A mnemonic: the only item with it is activated; several take turns.
        std::vector<int> matches;
        const Level& level = levels_[top];
        for (size_t i = 0; i < level.items.size(); ++i)
            if (!level.items[i].Separator() &&
                Mnemonic(level.items[i].Label()) == static_cast<char16_t>(vk))
                matches.push_back(static_cast<int>(i));
        if (matches.empty()) return;
        auto next = std::upper_bound(matches.begin(), matches.end(), level.hot);
        Select(top, next == matches.end() ? matches.front() : *next, false);
        if (matches.size() == 1) Activate(top);
    }

    // The level and item under a screen point: level index or -1, item or -1.
    std::pair<int, int> HitAt(POINT screen) {
        for (int at = static_cast<int>(levels_.size()) - 1; at >= 0; --at) {
            const Level& level = levels_[static_cast<size_t>(at)];
            RECT r;
            GetWindowRect(level.wnd, &r);
            if (!PtInRect(&r, screen)) continue;
            POINT p{screen.x - r.left, screen.y - r.top};
            for (size_t i = 0; i < level.layout.items.size(); ++i)
                if (PtInRect(&level.layout.items[i], p) && !level.items[i].Separator())
                    return {at, static_cast<int>(i)};
            return {at, -1};
        }
        return {-1, -1};
    }

    int BarItemAt(POINT screen) {
        if (!barWindow_) return -1;
        POINT origin = WindowOrigin(barWindow_);
        return MenuBarItemAt(barWindow_, {screen.x - origin.x, screen.y - origin.y});
    }

    void Mouse(const MSG& m) {
        POINT screen{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        const bool client = m.message < WM_NCMOUSEMOVE || m.message > WM_NCMBUTTONDBLCLK;
        if (client) ClientToScreen(m.hwnd, &screen);
        UINT msg = m.message;
        if (!client) msg = msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
        auto [at, item] = HitAt(screen);
        const bool right = msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP;
        switch (msg) {
        case WM_MOUSEMOVE:
            if (at >= 0) {
                if (item >= 0 || static_cast<size_t>(at) + 1 == levels_.size())
                    Select(at, item, true);
                if (item >= 0) OpenSub(at, false);
            } else if (int bar = BarItemAt(screen); bar >= 0 && bar != barItem_) {
                OpenBarItem(barWindow_, bar);
            }
            return;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            if (at >= 0) {
                if (item >= 0) {
                    Select(at, item, true);
                    OpenSub(at, false);
                }
                return;
            }
            if (int bar = BarItemAt(screen); bar >= 0) {
                if (bar == barItem_)
                    Cancel(); // a second click on the open item closes it
                else
                    OpenBarItem(barWindow_, bar);
                return;
            }
            Cancel(); // a click anywhere else ends the menu
            return;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            if (right && !(flags_ & TPM_RIGHTBUTTON)) return;
            if (at < 0 || item < 0) return;
            const MenuItem& it = levels_[static_cast<size_t>(at)].items[static_cast<size_t>(item)];
            if (!it.sub && !it.Grayed()) Choose(it.id);
            return;
        }
        default:
            return;
        }
    }

    void Loop() {
        MSG m;
        while (!done_ && !levels_.empty()) {
            if (endRequested_) {
                Cancel();
                break;
            }
            if (!GetMessageW(&m, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(m.wParam));
                Cancel();
                break;
            }
            if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
                (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK)) {
                Mouse(m);
            } else if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
                Key(static_cast<UINT>(m.wParam));
            } else if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) {
                // Characters and key releases belong to the menu too.
            } else {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
            if (!done_ && GetCapture() != captureWindow_) Cancel(); // someone took the mouse
        }
    }

    // Whether a command can be reached in a menu: enabled, through enabled sub-menus.
    static bool Reaches(HMENU menu, UINT id, int depth = 0) {
        std::vector<MenuItem> items;
        if (depth > 32 || !MenuItems(menu, items)) return false;
        for (const MenuItem& item : items) {
            if (item.Separator() || item.Grayed()) continue;
            if (item.sub ? Reaches(item.sub, id, depth + 1) : item.id == id) return true;
        }
        return false;
    }

    // Walks to a command as a user would: highlights and opens each sub-menu on the way.
    void ChooseByScript(UINT id) {
        while (!done_ && !levels_.empty() && id != 0) {
            const size_t top = levels_.size() - 1;
            const std::vector<MenuItem> items = levels_[top].items;
            int next = -1;
            for (size_t i = 0; i < items.size() && next < 0; ++i) {
                const MenuItem& item = items[i];
                if (item.Separator() || item.Grayed()) continue;
                if (item.sub ? Reaches(item.sub, id) : item.id == id) next = static_cast<int>(i);
            }
            if (next < 0) break;
            Select(top, next, false);
            if (!items[static_cast<size_t>(next)].sub) {
                Choose(id);
                return;
            }
            const size_t before = levels_.size();
            OpenSub(top, false);
            if (levels_.size() == before) break;
        }
        Cancel();
    }

    HWND owner_;
    UINT flags_;
    std::vector<Level> levels_;
    HWND captureWindow_ = nullptr;
    HWND barWindow_ = nullptr;
    HMENU bar_ = nullptr;
    int barItem_ = -1;
    POINT at_{};
    bool done_ = false;
    std::atomic<bool> endRequested_{false}; // EndMenu may come from another thread
    UINT chosen_ = 0;
};

std::mutex trackersLock;
std::vector<Tracker*> trackers; // open menus, innermost last

struct Registered {
    Tracker* t;
    explicit Registered(Tracker* t) : t(t) {
        std::lock_guard<std::mutex> guard(trackersLock);
        trackers.push_back(t);
    }
    ~Registered() {
        std::lock_guard<std::mutex> guard(trackersLock);
        trackers.erase(std::remove(trackers.begin(), trackers.end(), t), trackers.end());
    }
};

bool Tracking() {
    std::lock_guard<std::mutex> guard(trackersLock);
    return !trackers.empty();
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        auto* tracker = reinterpret_cast<Tracker*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (tracker)
            if (const Level* level = tracker->LevelOf(hwnd))
                DrawPopup(dc, level->items, level->layout, level->hot);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool Scripted() {
    return !InteractiveDisplay();
}

} // namespace

namespace win32::user {

void DrawMenuBarIn(HDC dc, HMENU menu, const RECT& rect, int pressedItem) {
    FillRect(dc, &rect, GetSysColorBrush(COLOR_MENU));
    std::vector<MenuItem> items;
    if (!MenuItems(menu, items)) return;
    const std::vector<RECT> rects = LayoutBar(items, rect);
    HGDIOBJ oldFont = SelectObject(dc, MessageFont());
    for (size_t i = 0; i < items.size(); ++i) {
        RECT r = rects[i];
        if (Empty(r) || r.left >= rect.right) continue;
        const bool pressed = static_cast<int>(i) == pressedItem || (items[i].state & MFS_HILITE);
        if (pressed) {
            RECT edge = r;
            DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
            OffsetRect(&r, 1, 1);
        }
        DrawLabel(dc, items[i].Label(), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER,
                  items[i].Grayed(), false);
    }
    SelectObject(dc, oldFont);
}

int MenuBarItemAt(HWND hwnd, POINT windowPoint) {
    HMENU menu = nullptr;
    std::vector<MenuItem> items;
    std::vector<RECT> rects;
    if (!BarLayout(hwnd, menu, items, rects)) return -1;
    for (size_t i = 0; i < rects.size(); ++i)
        if (!items[i].Separator() && PtInRect(&rects[i], windowPoint)) return static_cast<int>(i);
    return -1;
}

void TrackMenuBar(HWND hwnd, int item) {
    if (Tracking()) return;
    HMENU bar = GetMenu(hwnd);
    if (!bar) return;
    Tracker tracker(hwnd, 0);
    Registered registered(&tracker);
    SendMessageW(hwnd, WM_ENTERMENULOOP, FALSE, 0);
    SendMessageW(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    tracker.OpenBarItem(hwnd, item);
    tracker.Run(Scripted() && !tracker.Levels().empty());
    UINT chosen = tracker.Finish(true);
    SendMessageW(hwnd, WM_EXITMENULOOP, FALSE, 0);
    if (chosen && IsWindow(hwnd)) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

} // namespace win32::user

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (owner && !IsWindow(owner)) return FALSE;
    if (Tracking() && !(flags & TPM_RECURSE)) {
        SetLastError(ERROR_INVALID_PARAMETER); // one menu at a time
        return FALSE;
    }
    Tracker tracker(owner, flags);
    Registered registered(&tracker);
    const bool notify = !(flags & TPM_NONOTIFY) && owner;
    if (notify) SendMessageW(owner, WM_ENTERMENULOOP, TRUE, 0);
    tracker.SetAt({x, y});
    const RECT* exclude =
        params && params->cbSize == sizeof(TPMPARAMS) ? &params->rcExclude : nullptr;
    if (tracker.OpenPopup(menu, {x, y}, exclude))
        tracker.Run(Scripted());
    else
        tracker.Cancel();
    const UINT chosen = tracker.Finish(false);
    if (notify) SendMessageW(owner, WM_EXITMENULOOP, TRUE, 0);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen && owner && !(flags & TPM_NONOTIFY))
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu() {
    std::lock_guard<std::mutex> guard(trackersLock);
    if (trackers.empty()) return FALSE;
    for (Tracker* t : trackers)
        t->RequestEnd();
    PostMessageW(nullptr, WM_NULL, 0, 0); // wakes the loop
    return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
    NonClientLayout l;
    if (!GetNonClientLayout(hwnd, l) || !l.menu) return FALSE;
    if (Empty(l.menuBar) || !IsWindowVisible(hwnd)) return TRUE;
    int pressed = -1;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (WindowExtras* e = FindExtras(hwnd)) pressed = e->hotMenuItem;
    }
    HDC dc = GetWindowDC(hwnd);
    DrawMenuBarIn(dc, l.menu, l.menuBar, pressed);
    ReleaseDC(hwnd, dc);
    return TRUE;
}

BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect) {
    if (!rect) return FALSE;
    if (hwnd && GetMenu(hwnd) == menu) {
        HMENU bar = nullptr;
        std::vector<MenuItem> items;
        std::vector<RECT> rects;
        if (!BarLayout(hwnd, bar, items, rects) || item >= rects.size()) return FALSE;
        *rect = rects[item];
        POINT o = WindowOrigin(hwnd);
        OffsetRect(rect, o.x, o.y);
        return TRUE;
    }
    std::lock_guard<std::mutex> guard(trackersLock);
    for (Tracker* t : trackers)
        for (const Level& level : t->Levels()) {
            if (level.menu != menu || item >= level.layout.items.size()) continue;
            *rect = level.layout.items[item];
            POINT o = WindowOrigin(level.wnd);
            OffsetRect(rect, o.x, o.y);
            return TRUE;
        }
    return FALSE;
}

namespace TestSeams {

void ScriptPopupMenus(PopupMenuScript script) {
    std::lock_guard<std::mutex> guard(Seam().lock);
    Seam().script = std::move(script);
    Seam().log.clear();
}

std::vector<PopupMenuRecord> PopupMenus() {
    std::lock_guard<std::mutex> guard(Seam().lock);
    return Seam().log;
}

} // namespace TestSeams
