#include "IDEDockBar.h"

#include "IDEDockForm.h"

#include <quorlpak/ActnList.h>
#include <quorlpak/Application.h>
#include <quorlpak/DragObjects.h>
#include <quorlpak/Messages.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <climits>

namespace {

// Posted by a docking drag that ends over the bar: the pull of the docked
// band goes on with the button that is still down.
constexpr UINT kTrackDockedBand = WM_APP + 0x2D1;

bool IsHorizontal(TControl* Control) {
    return Control->GetAlign() != alLeft && Control->GetAlign() != alRight;
}

} // namespace

// --- TDockCoolBar -----------------------------------------------------------------------------------

TClass TDockCoolBar::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TDockCoolBar>(u"TDockCoolBar", TCoolBar::StaticClass()));
    return &meta;
}

TDockCoolBar::TDockCoolBar(TComponent* AOwner) : TCoolBar(AOwner) {
    SetAutoSize(true);
    SetDockSite(true);
    SetShowText(false);
}

void TDockCoolBar::GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos,
                               bool& CanDock) {
    TCoolBar::GetSiteInfo(Client, InfluenceRect, MousePos, CanDock);
    CanDock = CanDock && dynamic_cast<TDockToolBar*>(Client) != nullptr;
}

void TDockCoolBar::DockOver(TDragDockObject* Source, int X, int Y, TDragState State,
                            bool& Accept) {
    TCoolBar::DockOver(Source, X, Y, State, Accept);
    if (!Accept || State != dsDragEnter) return;
    TControl* control = Source->GetControl();
    if (!control->GetFloating()) return;
    // Dropped here at once; the bar's own band pull takes over from the drag.
    control->EndDrag(true);
    PostMessageW(GetHandle(), kTrackDockedBand, 0, reinterpret_cast<LPARAM>(control));
}

void TDockCoolBar::CMControlChange(TMessage& Message) {
    auto* bar = dynamic_cast<TDockToolBar*>(reinterpret_cast<TControl*>(Message.WParam));
    if (!bar || !Message.LParam) {
        TCoolBar::CMControlChange(Message);
        return;
    }
    FBands->BeginUpdate();
    TCoolBar::CMControlChange(Message);
    bar->SetHostDockSite(this);
    if (!GetComponentState().Contains(csLoading)) {
        if (TCoolBand* band = FBands->FindBand(bar)) {
            if (IsHorizontal(bar)) {
                int w = INT_MAX;
                int h = 0;
                bar->CanAutoSize(w, h);
                band->SetMinWidth(w);
                band->SetMinHeight(h);
            } else {
                int w = 0;
                int h = INT_MAX;
                bar->CanAutoSize(w, h);
                band->SetMinWidth(h);
                band->SetMinHeight(w);
            }
            band->SetBreak(false);
        }
    }
    FBands->EndUpdate();
}

void TDockCoolBar::StartTracking(TPoint P) {
    FTrackBand = BandAt(P);
    if (!FTrackBand) return;
    ::SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
    FTrackDrag = P;
    FTrackDelta = TPoint(-2, 0);
    if (TControl* control = FTrackBand->GetControl())
        FTrackDelta = TPoint(-2, control->GetTop() - P.y);
    SetCapture(GetHandle());
}

void TDockCoolBar::StopTracking() {
    if (!FTrackBand) return;
    FTrackBand = nullptr;
    if (GetCapture() == GetHandle()) ReleaseCapture();
    ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void TDockCoolBar::FloatControl(TControl* Control, int X, int Y) {
    const TPoint target(X + FTrackDelta.x, Y + FTrackDelta.y);
    SendMessageW(GetHandle(), WM_LBUTTONUP, 0, 0);
    // The floating window gets a sensible size: the bar's, from the target point.
    Control->ManualFloat(TRect(target.x, target.y, target.x + GetWidth(), target.y + GetHeight()));
    if (TWinControl* form = Control->GetHostDockSite(); form && Control->GetFloating()) {
        const TPoint client = form->ClientToScreen(TPoint(0, 0));
        const TPoint frame(client.x - form->GetLeft(), client.y - form->GetTop());

        form->SetBounds(target.x - frame.x, target.y - frame.y, form->GetWidth(),
                        form->GetHeight());
    }
    NoteDockDragStart(TPoint(X, Y));
    Control->BeginDrag(true, -1);
}

void TDockCoolBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DOCKCLIENT: {
        auto* source = reinterpret_cast<TDragDockObject*>(Message.WParam);
        if (source && source->GetControl()) source->GetControl()->SetHostDockSite(this);
        Message.Result = 0;
        return;
    }
    case CM_UNDOCKCLIENT:
        Message.Result = 0;
        return;
    case kTrackDockedBand: {
        auto* control = reinterpret_cast<TControl*>(Message.LParam);
        if (FBands->FindBand(control) && (GetKeyState(VK_LBUTTON) < 0))
            StartTracking(TPoint(control->GetLeft(), control->GetTop()));
        return;
    }
    case WM_LBUTTONDOWN:
        TCoolBar::Dispatch(Message);
        StartTracking(TPoint(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))));
        return;
    case WM_MOUSEMOVE: {
        TCoolBar::Dispatch(Message);
        if (!FTrackBand || !FTrackBand->GetControl()) return;
        const TPoint p(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
        const bool left = (Message.WParam & MK_LBUTTON) != 0;
        const bool ctrl = (Message.WParam & MK_CONTROL) != 0 || GetKeyState(VK_CONTROL) < 0;
        const int h = FTrackBand->GetHeight();
        const bool beyond = p.x < -h || p.y < -h || p.x > GetClientWidth() + h ||
                            p.y > GetClientHeight() + h;
        if ((left && ctrl) || beyond) {
            const TPoint screen = ClientToScreen(p);
            FloatControl(FTrackBand->GetControl(), screen.x, screen.y);
        }
        return;
    }
    case WM_KEYDOWN:
        if (Message.WParam == VK_CONTROL && FTrackBand && FTrackBand->GetControl()) {
            const DWORD pos = GetMessagePos();
            FloatControl(FTrackBand->GetControl(), short(LOWORD(pos)), short(HIWORD(pos)));
            return;
        }
        break;
    case WM_LBUTTONUP:
        TCoolBar::Dispatch(Message);
        StopTracking();
        return;
    case WM_CANCELMODE:
        StopTracking();
        break;
    default:
        break;
    }
    TCoolBar::Dispatch(Message);
}

// --- TDockToolBar -----------------------------------------------------------------------------------

TClass TDockToolBar::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TDockToolBar>(u"TDockToolBar", TToolBar::StaticClass()));
    return &meta;
}

TDockToolBar::TDockToolBar(TComponent* AOwner) : TToolBar(AOwner) {
    SetAlign(alNone);
    SetAllowTextButtons(true);
    SetAutoSize(false);
    SetDrawingStyle(TTBDrawingStyle::dsNormal);
    SetEdgeBorders({});
    SetDragKind(dkDock);
    SetFlat(true);
    SetWrapable(false);
}

void TDockToolBar::Loaded() {
    for (int i = 0; i < GetControlCount(); ++i) GetControls(i)->SetHostDockSite(this);
    TToolBar::Loaded();
}

TWinControl* TDockToolBar::CreateFloatingDockSite() {
    auto* form = new TXToolDockForm(Application);
    form->AfterConstruction();
    return form;
}

void TDockToolBar::Dock(TWinControl* NewDockSite, const TRect& ARect) {
    TToolBar::Dock(NewDockSite, ARect);
    if (GetFloating()) {
        SetAutoSize(true);
        SetWrapable(true);
        SetDragMode(dmAutomatic);
        // The floating window wraps the bar.
        NewDockSite->SetClientWidth(GetWidth());
        NewDockSite->SetClientHeight(GetHeight());
    } else {
        SetHeight(0);
        SetWrapable(false);
        SetAutoSize(false);
        SetDragMode(dmManual);
        if (auto* cool = dynamic_cast<TCoolBar*>(NewDockSite)) cool->UpdateBands();
    }
}

void TDockToolBar::ForceLayout() {
    if (HandleAllocated() && !GetComponentState().Contains(csLoading) && !GetFloating() &&
        !GetAutoSize()) {
        SetAutoSize(true);
        SetAutoSize(false);
    }
}

void TDockToolBar::DoAddDockClient(TControl* Client, const TRect& ARect) {
    TToolBar::DoAddDockClient(Client, ARect);
    ForceLayout();
}

void TDockToolBar::DoRemoveDockClient(TControl* Client) {
    TToolBar::DoRemoveDockClient(Client);
    ForceLayout();
}

int TDockToolBar::GetZButtonCount() const {
    return GetButtonCount();
}

int TDockToolBar::GetZButtonLeft(int Index) const {
    return GetButtons(Index)->GetLeft();
}

int TDockToolBar::GetZButtonTop(int Index) const {
    return GetButtons(Index)->GetTop();
}

UnicodeString TDockToolBar::GetZButtonName(int Index) const {
    TBasicAction* action = GetButtons(Index)->GetAction();
    return action ? action->GetName() : UnicodeString();
}

int TDockToolBar::GetZButtonIndex(const UnicodeString& Name) const {
    for (int i = 0; i < GetButtonCount(); ++i) {
        TBasicAction* action = GetButtons(i)->GetAction();
        if (action && action->GetName() == Name) return i;
    }
    return -1;
}
