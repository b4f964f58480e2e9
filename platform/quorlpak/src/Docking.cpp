// Docking: controls dragged (or moved by the program) between dock sites and
// floating dock windows. A dock drag shows a frame that follows the mouse:
// the rectangle the control would take in the site under the mouse, or its
// floating window's rectangle where no site takes it. Holding Ctrl keeps a
// drag from docking.
#include <quorlpak/Application.h>
#include <quorlpak/Control.h>
#include <quorlpak/DockForm.h>
#include <quorlpak/DragObjects.h>
#include <quorlpak/Messages.h>
#include <quorlpak/WinControl.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include "DragOrigin.h"

#include <algorithm>
#include <optional>
#include <cstdlib>
#include <vector>

namespace {

std::vector<TWinControl*>& DockSites() {
    static thread_local std::vector<TWinControl*> sites;
    return sites;
}

bool IsInside(TControl* Control, TControl* Container) {
    for (TControl* run = Control; run; run = run->GetParent())
        if (run == Container) return true;
    return false;
}

TRect ScreenBounds(TControl* Control) {
    const TPoint origin = Control->ClientToScreen(TPoint(0, 0));
    TRect client = Control->GetClientRect();
    return Bounds(origin.x, origin.y, client.Width(), client.Height());
}

// --- The drag image: a frame of four thin windows -------------------------------------------------

const char16_t* const kFrameClass = u"QuorlpakDockFrame";
constexpr int kFrameWidth = 3;

class TDockFrame {
public:
    TDockFrame() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
            wc.lpszClassName = kFrameClass;
            RegisterClassW(&wc);
            registered = true;
        }
        for (HWND& edge : FEdges)
            edge = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                                   kFrameClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }
    ~TDockFrame() {
        for (HWND edge : FEdges)
            if (edge) DestroyWindow(edge);
    }
    void Show(const TRect& R) {
        if (R == FShown) return;
        FShown = R;
        const TRect edges[4] = {
            TRect(R.left, R.top, R.right, R.top + kFrameWidth),
            TRect(R.left, R.bottom - kFrameWidth, R.right, R.bottom),
            TRect(R.left, R.top, R.left + kFrameWidth, R.bottom),
            TRect(R.right - kFrameWidth, R.top, R.right, R.bottom),
        };
        for (int i = 0; i < 4; ++i) {
            if (!FEdges[i]) continue;
            SetWindowPos(FEdges[i], HWND_TOPMOST, edges[i].left, edges[i].top,
                         std::max(0, int(edges[i].Width())), std::max(0, int(edges[i].Height())),
                         SWP_NOACTIVATE);
            if (!IsWindowVisible(FEdges[i])) ShowWindow(FEdges[i], SW_SHOWNOACTIVATE);
        }
    }
    TRect Shown() const { return FShown; }

private:
    HWND FEdges[4]{};
    TRect FShown{};
};

TDockFrame* activeFrame = nullptr;
std::optional<TPoint> noteStart;

// Whether the site lets Client leave it for the floating window.
bool UnDockAllowed(TWinControl* Site, TControl* Client) {
    bool allow = true;
    if (Site->OnUnDock) Site->OnUnDock(Site, Client, nullptr, allow);
    return allow;
}

} // namespace

void NoteDockDragStart(TPoint Screen) {
    noteStart = Screen;
}

void RegisterDockSite(TWinControl* Site, bool Register) {
    auto& sites = DockSites();
    sites.erase(std::remove(sites.begin(), sites.end(), Site), sites.end());
    if (Register) sites.push_back(Site);
}

// --- TControl ----------------------------------------------------------------------------------------

void TControl::SetHostDockSite(TWinControl* Value) {
    if (FHostDockSite == Value) return;
    TWinControl* old = FHostDockSite;
    FHostDockSite = Value;
    if (old) old->DoRemoveDockClient(this);
    if (Value) Value->DoAddDockClient(this, GetBoundsRect());
}

bool TControl::GetFloating() const {
    return FHostDockSite && FParent == FHostDockSite &&
           dynamic_cast<TCustomDockForm*>(FHostDockSite) != nullptr;
}

TWinControl* TControl::CreateFloatingDockSite() {
    auto* form = new TToolDockForm(Application);
    form->AfterConstruction();
    return form;
}

void TControl::DoDock(TWinControl* NewDockSite, TRect& ARect) {
    if (NewDockSite && dynamic_cast<TCustomDockForm*>(NewDockSite))
        ARect = Bounds(0, 0, ARect.Width(), ARect.Height());
    SetBounds(ARect.left, ARect.top, ARect.Width(), ARect.Height());
}

void TControl::Dock(TWinControl* NewDockSite, const TRect& ARect) {
    TWinControl* old = FHostDockSite;
    TRect r = ARect;
    if (old && old != NewDockSite) {
        old->Perform(CM_UNDOCKCLIENT, reinterpret_cast<WPARAM>(NewDockSite),
                     reinterpret_cast<LPARAM>(this));
    }
    DoDock(NewDockSite, r);
    SetHostDockSite(NewDockSite);
    if (FParent != NewDockSite) {
        SetParent(NewDockSite);
        // The old site may have laid the control out again as it left: a floating
        // window's control takes its place once more.
        if (dynamic_cast<TCustomDockForm*>(NewDockSite)) SetBounds(r.left, r.top, r.Width(), r.Height());
    }
}

bool TControl::ManualFloat(const TRect& ScreenPos) {
    TWinControl* site = CreateFloatingDockSite();
    if (!site) return false;
    site->HandleNeeded();
    site->SetClientWidth(ScreenPos.Width());
    site->SetClientHeight(ScreenPos.Height());
    // The client area goes to ScreenPos: the frame lies around it.
    const TPoint client = site->ClientToScreen(TPoint(0, 0));
    site->SetBounds(ScreenPos.left - (client.x - site->GetLeft()),
                    ScreenPos.top - (client.y - site->GetTop()), site->GetWidth(),
                    site->GetHeight());
    Dock(site, Bounds(0, 0, ScreenPos.Width(), ScreenPos.Height()));
    SetVisible(true);
    if (auto* form = dynamic_cast<TCustomForm*>(site))
        form->Show();
    else
        site->Show();
    return true;
}

bool TControl::ManualDock(TWinControl* NewDockSite, TControl* DropControl, TAlign ControlSide) {
    if (!NewDockSite) {
        const TPoint origin = ClientToScreen(TPoint(0, 0));
        return ManualFloat(Bounds(origin.x, origin.y, FWidth, FHeight));
    }
    TDragDockObject source(this);
    const TPoint origin = NewDockSite->ClientToScreen(TPoint(0, 0));
    source.SetDockRect(Bounds(origin.x, origin.y, FWidth, FHeight));
    source.SetFloating(false);
    source.SetDropOnControl(DropControl);
    source.SetDropAlign(ControlSide);
    NewDockSite->DockDrop(&source, 0, 0);
    return FHostDockSite == NewDockSite;
}

// --- TWinControl -------------------------------------------------------------------------------------

void TWinControl::SetDockSite(bool Value) {
    if (FDockSite == Value) return;
    FDockSite = Value;
    RegisterDockSite(this, Value);
}

void TWinControl::GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos,
                              bool& CanDock) {
    const TRect bounds = ScreenBounds(this);
    InfluenceRect = TRect(bounds.left - 10, bounds.top - 10, bounds.right + 10, bounds.bottom + 10);
    if (OnGetSiteInfo) OnGetSiteInfo(this, Client, InfluenceRect, MousePos, CanDock);
}

void TWinControl::DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept) {
    if (OnDockOver) OnDockOver(this, Source, X, Y, State, Accept);
}

void TWinControl::DockDrop(TDragDockObject* Source, int X, int Y) {
    TPoint pos(X, Y);
    if (static_cast<LONG_PTR>(Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(Source),
                                      reinterpret_cast<LPARAM>(&pos))) < 0)
        return;
    TControl* control = Source->GetControl();
    const TRect screen = Source->GetDockRect();
    const TPoint topLeft = ScreenToClient(TPoint(screen.left, screen.top));
    control->Dock(this, Bounds(topLeft.x, topLeft.y, control->GetWidth(), control->GetHeight()));
    control->SetVisible(true);
    if (OnDockDrop) OnDockDrop(this, Source, X, Y);
    Realign();
}

void TWinControl::DoAddDockClient(TControl* Client, const TRect&) {
    if (std::find(FDockClients.begin(), FDockClients.end(), Client) == FDockClients.end())
        FDockClients.push_back(Client);
}

void TWinControl::DoRemoveDockClient(TControl* Client) {
    FDockClients.erase(std::remove(FDockClients.begin(), FDockClients.end(), Client),
                       FDockClients.end());
}

bool TWinControl::DoUnDock(TWinControl* NewTarget, TControl* Client) {
    bool allow = true;
    if (OnUnDock) OnUnDock(this, Client, NewTarget, allow);
    return allow;
}

// --- The dock drag -----------------------------------------------------------------------------------

TDragOutcome RunDockDrag(TDragDockObject* Source, bool Immediate, int Threshold) {
    TDragOutcome outcome;
    TControl* control = Source->GetControl();
    TWinControl* owner = nullptr;
    for (TControl* run = control; run && !owner; run = run->GetParent())
        if (auto* windowed = dynamic_cast<TWinControl*>(run))
            if (windowed->HandleAllocated()) owner = windowed;
    if (!owner) return outcome;
    outcome.Ran = true;
    HWND capture = owner->GetHandle();
    SetCapture(capture);

    // An immediate drag starts where its caller says the mouse was, or at the cursor.
    TPoint start = quorlpak::DragOrigin();
    if (Immediate) {
        POINT cursor{};
        GetCursorPos(&cursor);
        start = noteStart ? *noteStart : TPoint(cursor.x, cursor.y);
    }
    noteStart.reset();
    const int threshold = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;
    // Where the pointer holds the control; a floating control is held by its window.
    TControl* held = control->GetFloating() ? static_cast<TControl*>(control->GetHostDockSite())
                                            : control;
    const TPoint heldOrigin = held == control ? control->ClientToScreen(TPoint(0, 0))
                                              : TPoint(held->GetLeft(), held->GetTop());
    if (Source->GetGrabOffset() == TPoint(0, 0))
        Source->SetGrabOffset(TPoint(start.x - heldOrigin.x, start.y - heldOrigin.y));

    TDockFrame frame;
    activeFrame = &frame;
    TWinControl* target = nullptr;
    bool accepted = false;
    auto findSite = [&](TPoint P) -> TWinControl* {
        if (GetKeyState(VK_CONTROL) < 0) return nullptr; // Ctrl: no docking
        auto sites = DockSites();
        for (auto it = sites.rbegin(); it != sites.rend(); ++it) {
            TWinControl* site = *it;
            // Not into itself, nor back into the window it floats in.
            if (IsInside(site, control) ||
                (site == control->GetHostDockSite() && control->GetFloating()))
                continue;
            if (!site->GetShowing()) continue;
            TRect influence;
            bool canDock = true;
            site->GetSiteInfo(control, influence, P, canDock);
            if (canDock && influence.Contains(P)) return site;
        }
        return nullptr;
    };
    auto moveTo = [&](TPoint P) {
        Source->SetDragPos(P);
        TWinControl* now = findSite(P);
        const TPoint corner(P.x - Source->GetGrabOffset().x, P.y - Source->GetGrabOffset().y);
        if (now) {
            const TPoint origin = now->ClientToScreen(TPoint(0, 0));
            const TPoint client = now->ScreenToClient(P);
            Source->SetDockRect(
                Bounds(std::max<LONG>(corner.x, origin.x), std::max<LONG>(corner.y, origin.y),
                       control->GetWidth(), control->GetHeight()));
            bool accept = true;
            now->DockOver(Source, client.x, client.y, now == target ? dsDragMove : dsDragEnter,
                          accept);
            if (!accept) now = nullptr;
        }
        if (target && target != now) {
            bool ignore = true;
            const TPoint client = target->ScreenToClient(P);
            target->DockOver(Source, client.x, client.y, dsDragLeave, ignore);
        }
        target = now;
        accepted = now != nullptr;
        Source->SetDragTarget(target);
        Source->SetFloating(!accepted);
        if (!accepted) Source->SetDockRect(Bounds(corner.x, corner.y, held->GetWidth(), held->GetHeight()));
        frame.Show(Source->GetDockRect());
    };
    outcome.Started = Immediate;
    quorlpak::NoteEndDrag(false);
    bool dropped = false;
    // A site may end the drag from its DockOver (EndDrag): a drop asked there lands on it.
    auto endedInside = [&] {
        if (control->Dragging()) return false;
        dropped = outcome.Started && target && quorlpak::EndDragDropped();
        return true;
    };
    if (Immediate) moveTo(start);

    TPoint last = start;
    MSG msg;
    for (;;) {
        if (endedInside()) break;
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
            ClientToScreen(msg.hwnd, &p);
            last = TPoint(p.x, p.y);
            if (!outcome.Started && (std::abs(last.x - start.x) >= threshold ||
                                     std::abs(last.y - start.y) >= threshold))
                outcome.Started = true;
            if (outcome.Started) moveTo(last);
            if (endedInside()) break;
            continue;
        }
        if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP) {
            POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
            ClientToScreen(msg.hwnd, &p);
            last = TPoint(p.x, p.y);
            if (outcome.Started) moveTo(last);
            dropped = outcome.Started;
            break;
        }
        if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_CANCELMODE)
            break;
        if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_CONTROL) {
            // Ctrl decides between docking and floating at once.
            if (outcome.Started) moveTo(last);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetCapture() != capture || !control->Dragging()) break;
    }
    if (GetCapture() == capture) ReleaseCapture();
    activeFrame = nullptr;

    if (!dropped) {
        if (target) {
            bool ignore = true;
            const TPoint client = target->ScreenToClient(last);
            target->DockOver(Source, client.x, client.y, dsDragLeave, ignore);
        }
        outcome.Point = last;
        return outcome;
    }
    Source->SetDragPos(last);
    if (target) {
        const TPoint client = target->ScreenToClient(last);
        target->DockDrop(Source, client.x, client.y);
        outcome.Target = target;
        outcome.Point = client;
        return outcome;
    }
    // Nobody takes it: it floats where the frame was.
    const TRect r = Source->GetDockRect();

    if (control->GetFloating()) {
        TWinControl* form = control->GetHostDockSite();
        form->SetBounds(r.left, r.top, form->GetWidth(), form->GetHeight());
    } else if (TWinControl* host = control->GetHostDockSite(); !host || UnDockAllowed(host, control)) {
        control->ManualFloat(Bounds(r.left, r.top, control->GetWidth(), control->GetHeight()));
    }
    outcome.Point = last;
    return outcome;
}

// --- The floating windows ------------------------------------------------------------------------------

TClass TCustomDockForm::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomDockForm>(u"TCustomDockForm", TCustomForm::StaticClass()));
    return &meta;
}

TClass TToolDockForm::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TToolDockForm>(u"TToolDockForm", TCustomDockForm::StaticClass()));
    return &meta;
}

TCustomDockForm::TCustomDockForm(TComponent* AOwner) : TCustomForm(AOwner) {
    SetPosition(poDesigned); // it goes where the floated control is put
    SetBorderStyle(bsSizeToolWin);
    SetDockSite(true);
}

TToolDockForm::TToolDockForm(TComponent* AOwner) : TCustomDockForm(AOwner) {
    SetBorderStyle(bsToolWindow);
}

void TCustomDockForm::DoAddDockClient(TControl* Client, const TRect& ARect) {
    TCustomForm::DoAddDockClient(Client, ARect);
    SetCaption(Client->GetCaption());
}

void TCustomDockForm::DoRemoveDockClient(TControl* Client) {
    TCustomForm::DoRemoveDockClient(Client);
    // Empty, the floating window has no more reason to be.
    if (FDockClients.empty() && !GetComponentState().Contains(csDestroying)) {
        Hide();
        ReleaseForm();
    }
}

void TCustomDockForm::Dispatch(TMessage& Message) {
    // Pulling the caption drags the docked control: it may dock elsewhere.
    if (Message.Msg == WM_NCLBUTTONDOWN && Message.WParam == HTCAPTION && !FDockClients.empty() &&
        FDockClients.front()->GetDragKind() == dkDock) {
        NoteDockDragStart(TPoint(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))));
        FDockClients.front()->BeginDrag(true);
        return;
    }
    TCustomForm::Dispatch(Message);
}
