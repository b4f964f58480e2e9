// TControl: construction, parent, bounds, properties, text and painting.
// The mouse and message routing is in ControlMessages.cpp.
#include "Geometry.h"

#include <quorlpak/Application.h>
#include <quorlpak/Control.h>

#include "DragOrigin.h"
#include <quorlpak/DragObjects.h>
#include <quorlpak/Form.h>
#include <quorlpak/TypeInfos.h>
#include <quorlpak/WinControl.h>

#include <runpak/Exceptions.h>
#include <win32/winbase.h>

#include <algorithm>
#include <cstring>

TClass TControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TControl>(u"TControl", TComponent::StaticClass())
            .Property(u"Left", IntegerTypeInfo, &TControl::GetLeft, &TControl::SetLeft)
            .Property(u"Top", IntegerTypeInfo, &TControl::GetTop, &TControl::SetTop)
            .Property(u"Width", IntegerTypeInfo, &TControl::GetWidth, &TControl::SetWidth)
            .Property(u"Height", IntegerTypeInfo, &TControl::GetHeight, &TControl::SetHeight));
    return &meta;
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(new TFont), FConstraints(new TSizeConstraints(this)) {
    FWindowProc = [this](TMessage& Message) { WndProc(Message); };
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FFont->SetOwner(this);
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    FConstraints->OnChange = [this](TObject*) { DoConstraintsChange(); };
}

TControl::~TControl() {
    if (Application) Application->ControlDestroyed(this);
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    // The host forgets its client (a floating window left empty goes).
    if (FHostDockSite) {
        TWinControl* host = FHostDockSite;
        FHostDockSite = nullptr;
        host->DoRemoveDockClient(this);
    }
    if (FParent) SetParent(nullptr);
    delete FConstraints;
    delete FFont;
}

// --- Parent ----------------------------------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) return;
    if (AParent == static_cast<TControl*>(this))
        throw EInvalidOperation(u"A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        UpdateAnchorRules();
    }
}

TComponent* TControl::GetParentComponent() const {
    return FParent;
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* parent = dynamic_cast<TWinControl*>(Value)) SetParent(parent);
}

TCustomForm* TControl::GetParentForm(bool TopForm) const {
    const TControl* control = this;
    while (control->FParent && (TopForm || !dynamic_cast<const TCustomForm*>(control)))
        control = control->FParent;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

// --- Bounds -------------------------------------------------------------------------------------

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
    bool resize = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
    return resize;
}

void TControl::ConstrainedResize(int& NewWidth, int& NewHeight) {
    FConstraints->Apply(NewWidth, NewHeight);
}

bool TControl::CheckNewSize(int& NewWidth, int& NewHeight) {
    int w = NewWidth, h = NewHeight;
    if (!CanResize(w, h)) return false;
    ConstrainedResize(w, h);
    NewWidth = std::max(w, 0);
    NewHeight = std::max(h, 0);
    return true;
}

using quorlpak::ClampGeometry;

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    ALeft = ClampGeometry(ALeft);
    ATop = ClampGeometry(ATop);
    AWidth = ClampGeometry(AWidth);
    AHeight = ClampGeometry(AHeight);
    if (!CheckNewSize(AWidth, AHeight)) return;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    InvalidateControl(FVisible, false);
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdateAnchorRules();
    Invalidate();
    RequestAlign();
    if (!GetComponentState().Contains(csLoading)) Resize();
}

void TControl::UpdateBoundsRect(const TRect& R) {
    FLeft = R.left;
    FTop = R.top;
    FWidth = R.Width();
    FHeight = R.Height();
    UpdateAnchorRules();
}

TRect TControl::GetClientRect() {
    return TRect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int Value) {
    TRect client = GetClientRect();
    SetBounds(FLeft, FTop, ClampGeometry(int64_t(FWidth) - client.Width() + Value), FHeight);
}

void TControl::SetClientHeight(int Value) {
    TRect client = GetClientRect();
    SetBounds(FLeft, FTop, FWidth, ClampGeometry(int64_t(FHeight) - client.Height() + Value));
}

TPoint TControl::GetClientOrigin() {
    if (!FParent) throw EInvalidOperation(u"Control '" + GetName() + u"' has no parent window");
    TPoint origin = FParent->GetClientOrigin();
    return {origin.x + FLeft, origin.y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& Point) {
    TPoint origin = GetClientOrigin();
    return {Point.x + origin.x, Point.y + origin.y};
}

TPoint TControl::ScreenToClient(const TPoint& Point) {
    TPoint origin = GetClientOrigin();
    return {Point.x - origin.x, Point.y - origin.y};
}

TPoint TControl::ClientToParent(const TPoint& Point, TWinControl* AParent) {
    if (!AParent) AParent = FParent;
    if (!AParent) throw EInvalidOperation(u"Control '" + GetName() + u"' has no parent window");
    TPoint p = Point;
    for (TControl* c = this; c != AParent; c = c->FParent) {
        if (!c->FParent) throw EInvalidOperation(u"The control is not a child of that parent");
        p.x += c->FLeft;
        p.y += c->FTop;
    }
    return p;
}

TPoint TControl::ParentToClient(const TPoint& Point, TWinControl* AParent) {
    TPoint offset = ClientToParent(TPoint(0, 0), AParent);
    return {Point.x - offset.x, Point.y - offset.y};
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::DoConstraintsChange() {
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

// --- Layout --------------------------------------------------------------------------------------

void TControl::SetAlign(TAlign Value) {
    if (FAlign == Value) return;
    TAlign old = FAlign;
    FAlign = Value;
    // Aligned to an edge: anchored to the edges it touches.
    switch (Value) {
    case alTop:
        FAnchors = {akLeft, akTop, akRight};
        break;
    case alBottom:
        FAnchors = {akLeft, akRight, akBottom};
        break;
    case alLeft:
        FAnchors = {akLeft, akTop, akBottom};
        break;
    case alRight:
        FAnchors = {akTop, akRight, akBottom};
        break;
    case alClient:
        FAnchors = {akLeft, akTop, akRight, akBottom};
        break;
    default:
        if (old != alNone) FAnchors = {akLeft, akTop};
    }
    RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
    if (FAnchors == Value) return;
    FAnchors = Value;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
    if (FAnchorMove || GetComponentState().Contains(csLoading)) return;
    if (FAnchors == TAnchors{akLeft, akTop}) {
        FOriginalParentSize = TPoint(0, 0);
        return;
    }
    if (FAnchors.Contains(akRight))
        FAnchorRules.x = FAnchors.Contains(akLeft) ? FWidth : FLeft;
    else
        FAnchorRules.x = FLeft + FWidth / 2;
    if (FAnchors.Contains(akBottom))
        FAnchorRules.y = FAnchors.Contains(akTop) ? FHeight : FTop;
    else
        FAnchorRules.y = FTop + FHeight / 2;
    if (FParent) FOriginalParentSize = FParent->GetClientRect().BottomRight();
}

void TControl::RequestAlign() {
    if (FParent) FParent->AlignControl(this);
}

// --- Visibility and state
// -------------------------------------------------------------------------

void TControl::SetVisible(bool Value) {
    if (FVisible == Value) return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::Show() {
    SetVisible(true);
}
void TControl::Hide() {
    SetVisible(false);
}

bool TControl::GetShowing() const {
    return FVisible && FParent && FParent->GetShowing();
}

void TControl::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED);
}

// --- Text
// ----------------------------------------------------------------------------------------------

int TControl::GetTextLen() {
    return static_cast<int>(Perform(WM_GETTEXTLENGTH));
}

int TControl::GetTextBuf(char16_t* Buffer, int BufSize) {
    return static_cast<int>(
        Perform(WM_GETTEXT, static_cast<WPARAM>(BufSize), reinterpret_cast<LPARAM>(Buffer)));
}

void TControl::SetTextBuf(const char16_t* Buffer) {
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer));
    Perform(CM_TEXTCHANGED);
}

UnicodeString TControl::GetText() {
    int len = GetTextLen();
    if (len <= 0) return {};
    UnicodeString text(static_cast<size_t>(len) + 1, u'\0');
    int got = GetTextBuf(text.data(), len + 1);
    text.resize(static_cast<size_t>(std::clamp(got, 0, len)));
    return text;
}

void TControl::SetText(const UnicodeString& Value) {
    if (GetText() != Value) SetTextBuf(Value.c_str());
}

void TControl::SetName(const UnicodeString& NewName) {
    // A control whose text is still its name follows a rename, as a new
    // button shows "Button1".
    auto* owner = dynamic_cast<TControl*>(GetOwner());
    bool changeText = FControlStyle.Contains(csSetCaption) &&
                      !GetComponentState().Contains(csLoading) && GetName() == GetText() &&
                      (!owner || !owner->GetComponentState().Contains(csLoading));
    TComponent::SetName(NewName);
    if (changeText) SetText(NewName);
}

// --- Looks
// -----------------------------------------------------------------------------------------------

void TControl::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::FontChanged() {
    FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    if (FParent && !GetComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetParentColor(bool Value) {
    if (FParentColor == Value) return;
    FParentColor = Value;
    if (FParent && !GetComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetShowHint(bool Value) {
    if (FShowHint == Value) return;
    FShowHint = Value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
    if (FParentShowHint == Value) return;
    FParentShowHint = Value;
    if (FParent && !GetComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
    if (FBiDiMode == Value) return;
    FBiDiMode = Value;
    FParentBiDiMode = false;
    Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool Value) {
    if (FParentBiDiMode == Value) return;
    FParentBiDiMode = Value;
    if (FParent && !GetComponentState().Contains(csReading)) Perform(CM_PARENTBIDIMODECHANGED);
}

bool TControl::IsRightToLeft() const {
    return FBiDiMode != bdLeftToRight;
}

// --- Painting
// ---------------------------------------------------------------------------------------------

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    if (!IsVisible || !FParent || !FParent->HandleAllocated()) return;
    RECT r = GetBoundsRect();
    bool erase = !(IsOpaque || FParent->GetControlStyle().Contains(csOpaque));
    InvalidateRect(FParent->GetHandle(), &r, erase);
}

void TControl::Invalidate() {
    InvalidateControl(FVisible, FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
    if (FControlStyle.Contains(csOpaque)) {
        HWND parent = FParent->GetHandle();
        HDC dc = GetDC(parent);
        IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
        FParent->PaintControls(dc, this);
        ReleaseDC(parent, dc);
    } else {
        Invalidate();
        Update();
    }
}

void TControl::SetZOrder(bool TopMost) {
    if (!FParent) return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (TopMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    Invalidate();
}

// --- Dragging
// ------------------------------------------------------------------------------------------------

void TControl::BeginDrag(bool Immediate, int Threshold) {
    if (FDragging) return;
    FDragging = true;
    TDragObject* supplied = nullptr;
    DoStartDrag(supplied);
    TDragOutcome outcome;
    if (FDragKind == dkDock) {
        TDragDockObject object(this);
        outcome = RunDockDrag(&object, Immediate, Threshold);
    } else {
        TDragControlObject object(this);
        outcome = RunControlDrag(this, supplied ? supplied : &object, Immediate, Threshold);
    }
    // Without a window to hold the mouse the drag waits for EndDrag.
    if (!outcome.Ran || !FDragging) return;
    FDragging = false;
    DoEndDrag(outcome.Target, outcome.Point.x, outcome.Point.y);
}

void TControl::EndDrag(bool Drop) {
    if (!FDragging) return;
    quorlpak::NoteEndDrag(Drop);
    FDragging = false;
    DoEndDrag(nullptr, 0, 0);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

bool TControl::DragOver(TObject* Source, int X, int Y, TDragState State) {
    bool accept = false;
    if (OnDragOver) {
        accept = true;
        OnDragOver(this, Source, X, Y, State, accept);
    }
    return accept;
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

// The framework's drag: a dragged control stands for itself, any other
// object for itself. Docking is the docking sites' business.
void TControl::CMDrag(TMessage& Message) {
    auto* record = reinterpret_cast<TDragRec*>(Message.LParam);
    Message.Result = 0;
    if (!record || !record->Source || dynamic_cast<TDragDockObject*>(record->Source)) return;
    TObject* source = record->Source;
    if (auto* control = dynamic_cast<TBaseDragControlObject*>(record->Source))
        source = control->GetControl();
    const TPoint at = ScreenToClient(record->Pos);
    switch (TDragMessage(Message.WParam)) {
    case dmDragEnter:
        Message.Result = DragOver(source, at.x, at.y, dsDragEnter);
        return;
    case dmDragMove:
        Message.Result = DragOver(source, at.x, at.y, dsDragMove);
        return;
    case dmDragLeave:
        DragOver(source, at.x, at.y, dsDragLeave);
        return;
    case dmDragDrop:
        DragDrop(source, at.x, at.y);
        return;
    default:
        return;
    }
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

// --- Streaming and scaling
// ------------------------------------------------------------------------------------

void TControl::Loaded() {
    TComponent::Loaded();
    if (FParent) {
        if (FParentFont) Perform(CM_PARENTFONTCHANGED);
        if (FParentColor) Perform(CM_PARENTCOLORCHANGED);
        if (FParentShowHint) Perform(CM_PARENTSHOWHINTCHANGED);
        if (FParentBiDiMode) Perform(CM_PARENTBIDIMODECHANGED);
    }
    UpdateAnchorRules();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
}

void TControl::ChangeScale(int M, int D, bool IsDpiChange) {
    if (M == D || D == 0) return;
    int left = MulDiv(FLeft, M, D), top = MulDiv(FTop, M, D);
    int right = MulDiv(FLeft + FWidth, M, D), bottom = MulDiv(FTop + FHeight, M, D);
    if (!FParentFont) FFont->SetHeight(MulDiv(FFont->GetHeight(), M, D));
    SetBounds(left, top, right - left, bottom - top);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
