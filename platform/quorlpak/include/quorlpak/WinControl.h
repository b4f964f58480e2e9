// TWinControl: a control with a window of its own. The window is created on
// demand (HandleNeeded), from CreateParams, in a window class of the
// control's class name whose procedure routes every message to the object;
// subclassing a system class (CreateSubClass) keeps that class's procedure as
// the default handler. It holds child controls (windowed and windowless),
// aligns and anchors them, keeps the tab order, paints windowless children
// and reflects notifications back to the child windows that sent them.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Control.h>
#include <quorlpak/GraphicsObjects.h>

#include <functional>
#include <memory>
#include <vector>

class TDragDockObject;

using TDockOverEvent = std::function<void(TObject* Sender, TDragDockObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDockDropEvent =
    std::function<void(TObject* Sender, TDragDockObject* Source, int X, int Y)>;
using TGetSiteInfoEvent = std::function<void(TObject* Sender, TControl* DockClient,
                                             TRect& InfluenceRect, TPoint MousePos, bool& CanDock)>;
using TUnDockEvent =
    std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;

struct TCreateParams {
    UnicodeString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSW WindowClass{};
    UnicodeString WinClassName;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    // A parentless windowed control hosted by a foreign window.
    static TWinControl* CreateParented(HWND ParentWindow);

    // --- The window ---
    // Creates the window (and its parents') when it does not exist yet.
    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // Destroys the window and lets it be made again from CreateParams.
    void RecreateWnd();
    HWND GetParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND Value);
    void SetParent(TWinControl* AParent) override;

    // --- Children ---
    int GetControlCount() const { return int(FControls.size() + FWinControls.size()); }
    // Windowless children first, then windowed ones, each in z-order (bottom first).
    TControl* GetControls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(TControl* Control) const;
    // The windowless or (with AllowWinControls) windowed child at a client point.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void Broadcast(TMessage& Message);
    void NotifyControls(UINT Msg);

    // --- Alignment ---
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return FAlignLevel != 0; }
    TBorderWidth GetBorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(TBorderWidth Value);

    // --- Focus and tab order ---
    bool Focused() const;
    virtual bool CanFocus();
    virtual void SetFocus();
    int GetTabOrder() const;
    void SetTabOrder(int Value);
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // Windowed descendants in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // --- Looks ---
    TBrush* GetBrush() const { return FBrush.get(); }
    bool GetDoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
    bool GetParentBackground() const { return FControlStyle.Contains(csParentBackground); }
    void SetParentBackground(bool Value);
    TBevelEdges GetBevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    TBevelCut GetBevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelKind GetBevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelWidth GetBevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(TBevelWidth Value);
    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool GetParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value);
    TImeMode GetImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode Value) { FImeMode = Value; }
    const TImeName& GetImeName() const { return FImeName; }
    void SetImeName(const TImeName& Value) { FImeName = Value; }

    // --- Geometry (from the window when it exists) ---
    TRect GetClientRect() override;
    TPoint GetClientOrigin() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    bool GetShowing() const override { return FShowing; }
    // Scales this control and, aligned once at the end, every child.
    void ChangeScale(int M, int D, bool IsDpiChange = false) override;

    // --- Painting ---
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    // Paints the windowless children over a DC of this window (from First on, or all).
    void PaintControls(HDC DC, TControl* First);
    // A DC on the window's client area, released with ReleaseDC.
    virtual HDC GetDeviceContext(HWND& WindowHandle);

    // --- Messages ---
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    // The entry of every message from the window: WindowProc, with exceptions
    // handed to Application->HandleException.
    void MainWndProc(TMessage& Message);
    // Calls the default procedure of the window (the subclassed system class's).
    LRESULT DefWndProcCall(UINT Msg, WPARAM WParam, LPARAM LParam);
    WNDPROC GetDefWndProc() const { return FDefWndProc; }

    // --- Docking ---
    // A dock site takes controls dragged with DragKind dkDock.
    bool GetDockSite() const { return FDockSite; }
    void SetDockSite(bool Value);
    int GetDockClientCount() const { return int(FDockClients.size()); }
    TControl* GetDockClients(int Index) const { return FDockClients.at(size_t(Index)); }
    // Whether Client may dock here, and the screen rectangle in which a drag
    // is taken as aimed at this site (the site's bounds grown by 10 pixels).
    virtual void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos,
                             bool& CanDock);
    // A dock drag over the site (X, Y in client coordinates): Accept may be
    // cleared, and the source's DockRect set to where the control would go.
    virtual void DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept);
    // A dock drag dropped here: asks CM_DOCKCLIENT, then docks the control.
    virtual void DockDrop(TDragDockObject* Source, int X, int Y);

    // --- Events ---
    TDockOverEvent OnDockOver;
    TDockDropEvent OnDockDrop;
    TGetSiteInfoEvent OnGetSiteInfo;
    TUnDockEvent OnUnDock;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

protected:
    friend class TControl;
    friend class TCustomForm;
    friend LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);

    // --- The window's life ---
    virtual void CreateParams(TCreateParams& Params);
    // Swaps in a system class (L"Edit", L"Button", ...) keeping its procedure
    // as the default handler.
    void CreateSubClass(TCreateParams& Params, const char16_t* ControlClassName);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void CreateHandle();
    virtual void DestroyHandle();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    void UpdateBounds();
    void UpdateShowing();
    void UpdateControlState();
    // The window that a new child window goes behind (z-order), or null.
    HWND PrecedingWindow(TWinControl* Control) const;
    // True while CreateParams is asked only for styles, to measure the
    // client area before the window exists; it must not create windows then.
    bool MeasuringOnly() const { return FStylesOnly; }

    // --- Layout ---
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);
    void AlignControl(TControl* AControl);
    virtual void ControlsAligned() {}

    // --- Painting ---
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& Message);

    // --- Keys ---
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char16_t& Key);
    bool DoKeyDown(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    virtual void DoEnter();
    virtual void DoExit();
    // Removes the focus from this control (and its children) in its form.
    void RemoveFocus(bool Removing);
    void SelectFirst();

    void SetZOrder(bool TopMost) override;
    void Loaded() override;
    void InvalidateControl(bool IsVisible, bool IsOpaque) override;

    // --- Docking ---
    virtual void DoAddDockClient(TControl* Client, const TRect& ARect);
    virtual void DoRemoveDockClient(TControl* Client);
    // Client leaves for NewTarget (null: floating); false keeps it here.
    virtual bool DoUnDock(TWinControl* NewTarget, TControl* Client);

    // --- Message handlers ---
    void WMPaint(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMWindowPosChanged(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMCommand(TMessage& Message);
    void WMNotify(TMessage& Message);
    void WMCtlColor(TMessage& Message);
    void WMDrawItem(TMessage& Message);
    void WMMeasureItem(TMessage& Message);
    void WMScroll(TMessage& Message);
    void WMNCDestroy(TMessage& Message);
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    void WMChar(TMessage& Message);
    void WMMouseLeave(TMessage& Message);
    void CNKeyDown(TMessage& Message);
    void CNChar(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMVisibleChanged(TMessage& Message);
    void CMShowingChanged(TMessage& Message);
    void CMRecreateWnd(TMessage& Message);
    void CMInvalidate(TMessage& Message);
    void CMEnter(TMessage& Message);
    void CMExit(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void CMDialogChar(TMessage& Message);
    void CMBorderChanged(TMessage& Message);

    // --- State ---
    HWND FHandle = nullptr;
    HWND FParentWindow = nullptr;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;       // windowless children
    std::vector<TWinControl*> FWinControls; // windowed children
    std::vector<TWinControl*> FTabList;     // windowed children in tab order
    std::unique_ptr<TBrush> FBrush;
    int FAlignLevel = 0;
    TBorderWidth FBorderWidth = 0;
    bool FShowing = false;
    bool FTabStop = false;
    bool FDoubleBuffered = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    TBevelWidth FBevelWidth = 1;
    TImeMode FImeMode = imDontCare;
    TImeName FImeName;
    std::vector<TControl*> FDockClients;
    bool FDockSite = false;

private:
    void Insert(TControl* AControl);
    void Remove(TControl* AControl);
    bool IsControlMouseMsg(TMessage& Message);
    bool DoControlMsg(HWND ControlHandle, TMessage& Message);
    void TrackMouseLeave();
    // CreateParams asked only for styles (to measure without a window): it
    // must not make the parent's window.
    TCreateParams StyleParams();
    bool FStylesOnly = false;
};

// The control behind a window made by this library, or null.
TWinControl* FindControl(HWND Handle);
// True for a window made by a control of this library.
bool IsQuorlpakWindow(HWND Handle);
// The control of ours whose window lies under a screen point, or null.
TWinControl* FindWinControlAt(const TPoint& Pos);
// The window procedure every control window starts with; it binds the
// window to the control being created and then routes to it.
LRESULT CALLBACK InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

#pragma GCC visibility pop
