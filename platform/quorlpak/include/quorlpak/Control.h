// TControl: the base of every visual control, windowed or not. It owns the
// bounds, visibility, text, colour, font and the mouse behaviour, and routes
// every message through WindowProc -> WndProc -> Dispatch -> DefaultHandler.
//
// Messages: Perform(Msg) calls WindowProc (by default WndProc). WndProc does
// the framework's preprocessing and calls Dispatch, which handles the
// messages this class knows and passes the rest to DefaultHandler.
// Subclasses override Dispatch for their own message handlers (falling back
// to the base's Dispatch) and WndProc to see messages first.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Colors.h>
#include <quorlpak/ControlTypes.h>
#include <quorlpak/Font.h>
#include <quorlpak/Messages.h>
#include <quorlpak/SizeConstraints.h>
#include <quorlpak/Types.h>
#include <runpak/Component.h>

#include <functional>

class TWinControl;
class TPopupMenu;
class THintWindow;
class TCustomForm;

using TWndMethod = std::function<void(TMessage& Message)>;

using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent =
    std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
class TDragObject;
// DragObject starts null; an application that sets it drags its own object
// (which it keeps alive until the drag has ended) instead of the control.
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
// Source is the dragged control, or the application's drag object.
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;

// What a control says about the hint it is about to show (CM_HINTSHOW).
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;
    TPoint CursorPos;
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    UnicodeString HintStr;
    void* HintData = nullptr;
    // The hint window class the control wants (null: the application's).
    THintWindow* (*HintWindowClass)(TComponent* AOwner) = nullptr;
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Parent (the control it lies on; not the owner) ---
    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    // A control can always lie on a parent: the reader gives it the one it is
    // read into (before it has any), and the writer nests it there.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    // --- Bounds, in the parent's client coordinates (screen for forms) ---
    int GetLeft() const { return FLeft; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    int GetTop() const { return FTop; }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.left, R.top, R.Width(), R.Height()); }
    virtual TRect GetClientRect();
    int GetClientWidth() { return GetClientRect().Width(); }
    void SetClientWidth(int Value);
    int GetClientHeight() { return GetClientRect().Height(); }
    void SetClientHeight(int Value);
    // The screen position of the client area's top left corner.
    virtual TPoint GetClientOrigin();
    TPoint ClientToScreen(const TPoint& Point);
    TPoint ScreenToClient(const TPoint& Point);
    TPoint ClientToParent(const TPoint& Point, TWinControl* AParent = nullptr);
    TPoint ParentToClient(const TPoint& Point, TWinControl* AParent = nullptr);

    // --- Layout ---
    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign Value);
    TAnchors GetAnchors() const { return FAnchors; }
    void SetAnchors(TAnchors Value);
    TSizeConstraints* GetConstraints() const { return FConstraints; }
    void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
    // Records where the control sits relative to its parent's edges, for anchors.
    void UpdateAnchorRules();

    // --- Visibility and state ---
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    void Show();
    void Hide();
    // Visible, and every parent up to a form showing.
    virtual bool GetShowing() const;
    virtual bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState GetControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }

    // --- Text: through WM_GETTEXT/WM_SETTEXT, so windows keep their own ---
    UnicodeString GetText();
    void SetText(const UnicodeString& Value);
    UnicodeString GetCaption() { return GetText(); }
    void SetCaption(const UnicodeString& Value) { SetText(Value); }
    int GetTextLen();
    // Copies at most BufSize - 1 characters and a terminator; answers the count.
    int GetTextBuf(char16_t* Buffer, int BufSize);
    void SetTextBuf(const char16_t* Buffer);

    // --- Looks ---
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TBiDiMode GetBiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool GetParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    bool IsRightToLeft() const;
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    bool UseRightToLeftScrollBar() const {
        return FBiDiMode != bdLeftToRight && FBiDiMode != bdRightToLeftNoAlign;
    }

    // --- Hints and menus ---
    const UnicodeString& GetHint() const { return FHint; }
    void SetHint(const UnicodeString& Value) { FHint = Value; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool GetParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
    int GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    // --- Dragging (the minimum: state and events) ---
    TDragMode GetDragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TDragKind GetDragKind() const { return FDragKind; }
    void SetDragKind(TDragKind Value) { FDragKind = Value; }
    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // With DragKind dkDock the drag docks the control where it is dropped
    // (or floats it where no dock site takes it).
    void BeginDrag(bool Immediate, int Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const { return FDragging; }

    // --- Docking ---
    // The dock site the control lies in (its floating window while it floats), or null.
    TWinControl* GetHostDockSite() const { return FHostDockSite; }
    void SetHostDockSite(TWinControl* Value);
    // The control lies in a floating dock window made for it.
    bool GetFloating() const;
    // Docks into NewDockSite as a drop at its top left corner would; null floats the
    // control where it is on the screen.
    bool ManualDock(TWinControl* NewDockSite, TControl* DropControl = nullptr,
                    TAlign ControlSide = alNone);
    // Floats the control in a new floating dock window whose client area is
    // ScreenPos (screen coordinates); the control takes the client area.
    bool ManualFloat(const TRect& ScreenPos);
    // Leaves the old host and goes into NewDockSite at ARect (NewDockSite's client
    // coordinates; for a floating window, the client area it gets).
    virtual void Dock(TWinControl* NewDockSite, const TRect& ARect);
    // The floating window made for the control (the floating dock-site class);
    // by default a tool-window dock form.
    virtual TWinControl* CreateFloatingDockSite();

    // --- Messages ---
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    const TWndMethod& GetWindowProc() const { return FWindowProc; }
    // Replaces the first stop of every message (restore by saving the old one).
    void SetWindowProc(TWndMethod Value) { FWindowProc = std::move(Value); }
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // --- Painting ---
    virtual void Invalidate();
    // Paints what is invalid now. Repaint calls it, so overrides see every repaint.
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }

    // --- Mouse capture for this control (windowless ones through their parent) ---
    bool GetMouseCapture() const;
    void SetMouseCapture(bool Value);

    // --- Other ---
    // A control whose text is its name follows a rename (csSetCaption).
    void SetName(const UnicodeString& NewName) override;
    virtual void Click();
    // Scales bounds and font by M/D (the form's DPI or font change).
    virtual void ChangeScale(int M, int D, bool IsDpiChange = false);
    bool GetIsControl() const { return FIsControl; }
    void SetIsControl(bool Value) { FIsControl = Value; }
    // The form the control lies on (its own, for a form), or null.
    TCustomForm* GetParentForm(bool TopForm = true) const;

    // --- Events ---
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TContextPopupEvent OnContextPopup;
    TCanResizeEvent OnCanResize;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    // A control takes drops of the framework's drags only with OnDragOver set.
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

protected:
    friend class TWinControl;

    // --- Overridable behaviour ---
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void Resize();
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    virtual void ConstrainedResize(int& NewWidth, int& NewHeight);
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    // The framework's drag over this control (X, Y in client coordinates):
    // whether it would take the drop. Without OnDragOver it takes nothing.
    virtual bool DragOver(TObject* Source, int X, int Y, TDragState State);
    virtual void DragDrop(TObject* Source, int X, int Y);
    void CMDrag(TMessage& Message);
    // Places the control for a dock into NewDockSite (ARect may be adjusted).
    virtual void DoDock(TWinControl* NewDockSite, TRect& ARect);
    virtual void RequestAlign();
    virtual void SetZOrder(bool TopMost);
    virtual void VisibleChanging() {}
    virtual void UpdateBoundsRect(const TRect& R);
    virtual void InvalidateControl(bool IsVisible, bool IsOpaque);
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Tells the windowed children (and, for some messages, graphic ones too).
    void SendCancelMode(TControl* Sender);
    bool CheckNewSize(int& NewWidth, int& NewHeight);

    // --- Message handlers reached through Dispatch ---
    void WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void WMMouseUp(TMessage& Message, TMouseButton Button);
    void WMMouseMove(TMessage& Message);
    void WMMouseWheel(TMessage& Message);
    void WMContextMenu(TMessage& Message);
    void WMCancelMode(TMessage& Message);
    void CMMouseWheel(TMessage& Message);
    void CMParentFontChanged(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);
    void CMParentShowHintChanged(TMessage& Message);
    void CMParentBiDiModeChanged(TMessage& Message);
    void CMHintShow(TMessage& Message);

    // --- State ---
    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    UnicodeString FText;
    TFont* FFont;
    TColor FColor = clWindow;
    TControlStyle FControlStyle;
    TControlState FControlState;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FParentColor = true;
    bool FParentShowHint = true;
    bool FShowHint = false;
    bool FParentBiDiMode = true;
    bool FIsControl = false;
    bool FDragging = false;
    bool FAnchorMove = false; // set while the parent positions the control for anchors
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    TPoint FAnchorRules;
    TPoint FOriginalParentSize;
    TSizeConstraints* FConstraints;
    TCursor FCursor = crDefault;
    TCursor FDragCursor = -12; // crDrag
    TDragMode FDragMode = dmManual;
    TDragKind FDragKind = dkDrag;
    TBiDiMode FBiDiMode = bdLeftToRight;
    UnicodeString FHint;
    TPopupMenu* FPopupMenu = nullptr;
    int FHelpContext = 0;
    TWndMethod FWindowProc;
    TWinControl* FHostDockSite = nullptr;

private:
    void FontChanged();
    void DoConstraintsChange();
};

// The control that has the mouse captured, windowless ones included.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

#pragma GCC visibility pop
