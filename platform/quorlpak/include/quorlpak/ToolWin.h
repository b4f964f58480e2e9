// Tool bars, cool bars and control bars.
//
// TToolBar lays its TToolButton children out in a row (wrapping with
// Wrapable) and, with AutoSize, takes the size of its buttons. TCoolBar holds
// one band per child control, in rows (a band with Break starts a row); each
// band shows a grip and its control, no smaller than the band's minimum size.
// TControlBar lets the user drag its child controls about by their grips.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>

#include <vector>

class TBasicAction;
class TCustomImageList;
class TChangeLink;
class TPopupMenu;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsSeparator };
enum class TTBDrawingStyle { dsNormal, dsGradient };
enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder, 4>;

class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBasicAction* GetAction() const { return FAction; }
    void SetAction(TBasicAction* Value);
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TToolButtonStyle GetStyle() const { return FStyle; }
    void SetStyle(TToolButtonStyle Value);
    bool GetDown() const { return FDown; }
    void SetDown(bool Value);
    // The position among the tool bar's buttons, or -1.
    int GetIndex() const;
    void Click() override;
    // The menu the button drops down below itself.
    TPopupMenu* GetDropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    // Drops the menu down when the button has one; false when it has none.
    bool CheckMenuDropdown();

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TToolBar* ToolBar() const;

    TBasicAction* FAction = nullptr;
    TPopupMenu* FDropdownMenu = nullptr;
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FHot = false;
    bool FPressed = false;
};

class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetButtonCount() const { return int(FButtons.size()); }
    TToolButton* GetButtons(int Index) const { return FButtons.at(size_t(Index)); }
    int GetButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    int GetButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool GetShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool Value);
    bool GetAllowTextButtons() const { return FAllowTextButtons; }
    void SetAllowTextButtons(bool Value);
    bool GetWrapable() const { return FWrapable; }
    void SetWrapable(bool Value);
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    TEdgeBorders GetEdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders Value);
    TTBDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TTBDrawingStyle Value);
    // The size that shows every button, starting from the proposed one (a
    // horizontal bar fits NewWidth, a vertical one NewHeight); true when it differs.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    // The rectangle a button takes (client coordinates).
    TRect ButtonRect(int Index) const;
    // Lays the buttons out again (and resizes the bar with AutoSize).
    void UpdateButtons();

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void Resize() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool IsVertical() const;
    // Places the buttons within Width (or Height when vertical); answers the extent used.
    TSize LayoutButtons(int Limit, bool Apply);

    friend class TToolButton;
    std::vector<TToolButton*> FButtons;
    TCustomImageList* FImages = nullptr;
    TChangeLink* FImageChangeLink;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    TEdgeBorders FEdgeBorders{ebTop};
    TTBDrawingStyle FDrawingStyle = TTBDrawingStyle::dsNormal;
    bool FShowCaptions = false;
    bool FAllowTextButtons = false;
    bool FWrapable = true;
    bool FAutoSize = false;
    bool FFlat = true;
    bool FUpdating = false;
};

class TCoolBar;

class TCoolBand : public TPersistent {
public:
    explicit TCoolBand(TCoolBar* AOwner) : FCoolBar(AOwner) {}

    TControl* GetControl() const { return FControl; }
    void SetControl(TControl* Value);
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int GetMinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    bool GetBreak() const { return FBreak; }
    void SetBreak(bool Value);
    const UnicodeString& GetText() const { return FText; }
    void SetText(const UnicodeString& Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    // Where the band lies in the cool bar (client coordinates), grip included.
    TRect GetBandRect() const { return FRect; }
    int GetHeight() const { return FRect.Height(); }
    int GetIndex() const;

private:
    friend class TCoolBar;
    void Changed();
    TCoolBar* FCoolBar;
    TControl* FControl = nullptr;
    UnicodeString FText;
    TRect FRect{};
    int FMinWidth = 0;
    int FMinHeight = 25;
    bool FBreak = true;
    bool FVisible = true;
};

class TCoolBands {
public:
    explicit TCoolBands(TCoolBar* AOwner) : FCoolBar(AOwner) {}
    ~TCoolBands();
    int GetCount() const { return int(FItems.size()); }
    TCoolBand* GetItems(int Index) const { return FItems.at(size_t(Index)); }
    TCoolBand* Add();
    void Delete(int Index);
    TCoolBand* FindBand(TControl* AControl) const;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

private:
    TCoolBar* FCoolBar;
    std::vector<TCoolBand*> FItems;
    int FUpdateCount = 0;
};

class TCoolBar : public TCustomControl {
public:
    explicit TCoolBar(TComponent* AOwner);
    ~TCoolBar() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCoolBands* GetBands() const { return FBands; }
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool GetShowText() const { return FShowText; }
    void SetShowText(bool Value);
    // The band at a client point, or null.
    TCoolBand* BandAt(TPoint P) const;
    // Lays the bands out again (and, with AutoSize, fits the bar's height to them).
    void UpdateBands();

    void Dispatch(TMessage& Message) override;

    static constexpr int GripWidth = 10;

protected:
    void Paint() override;
    void Resize() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // A child control came or went: its band is made or dropped.
    virtual void CMControlChange(TMessage& Message);

    TCoolBands* FBands;
    bool FAutoSize = false;
    bool FShowText = true;
    bool FLayingOut = false;
};

// A bar whose child controls the user moves by their grips.
class TControlBar : public TCustomControl {
public:
    explicit TControlBar(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    static constexpr int GripWidth = 9;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Starts moving AControl from the client point (X, Y); answers whether it started.
    virtual bool DragControl(TControl* AControl, int X, int Y, bool KeepCapture);
    // The control whose grip lies under a client point, or null.
    TControl* GripAt(int X, int Y);

    TControl* FDragControl = nullptr;
    TPoint FDragOffset{};
};

#pragma GCC visibility pop
