// TGradientTabSet: a one-row tab strip drawn by the gradient tab drawer into
// a memory bitmap, copied to the screen from a horizontal offset; a scroller
// at the right end shifts the strip when the tabs are wider than the control.
#pragma once
#pragma GCC visibility push(default)

#include "GDIPlus.GradientDrawer.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Buttons.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/Timer.h>
#include <runpak/Lists.h>
#include <runpak/StringList.h>

#include <memory>
#include <vector>

class TGradientTabSet;

class TTabInfo : public TObject {
public:
    int StartPos = 0;
    int Size = 0;
    int ImageIndex = -1;
    int OverlayIndex = -1;
};

// The captions; every change tells the tab set.
class TTabList : public TStringList {
public:
    explicit TTabList(TGradientTabSet* ATabSet) : FTabSet(ATabSet) {}
    void Clear() override;
    void Delete(int Index) override;
    void Assign(TPersistent* Source) override;
    void Put(int Index, const UnicodeString& S) override;

protected:
    void InsertItem(int Index, const UnicodeString& S, TObject* Object) override;
    void SetUpdateState(bool Updating) override;

private:
    TGradientTabSet* FTabSet;
};

using TTabGetHintEvent = std::function<void(TObject* Sender, int TabIndex, UnicodeString& Hint)>;
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TTabGetImageEvent = std::function<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

enum TScrollerButtonStyle { sbsLeft, sbsRight };

class TGradientButton : public TSpeedButton {
public:
    explicit TGradientButton(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TColor GetBackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value);
    TColor GetDisabledSingleColor() const { return FDisabledSingleColor; }
    void SetDisabledSingleColor(TColor Value) { FDisabledSingleColor = Value; }
    TColor GetHotSingleColor() const { return FHotSingleColor; }
    void SetHotSingleColor(TColor Value) { FHotSingleColor = Value; }
    bool GetOutline() const { return FOutline; }
    void SetOutline(bool Value);

    // The colours symbols are drawn in (derived from the background unless set).
    TColor FillColor() const;
    TColor PenColor() const;

protected:
    void PaintOutline();
    bool Pressed() const { return FState == bsDown; }

    TColor FBackgroundColor;
    TColor FDisabledSingleColor = clNone;
    TColor FHotSingleColor = clNone;
    bool FOutline = true;
};

class TScrollerButton : public TGradientButton {
public:
    TScrollerButton(TComponent* AOwner, TScrollerButtonStyle AStyle);
    ~TScrollerButton() override;
    TScrollerButtonStyle GetScrollerButtonStyle() const { return FScrollerButtonStyle; }

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

private:
    std::unique_ptr<TTimer> FDownTimer;
    TScrollerButtonStyle FScrollerButtonStyle;
};

class TTabScroller : public TCustomControl {
public:
    TTabScroller(TComponent* AOwner, int ATabHeight);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TScrollerButton* GetLeftButton() const { return FLeftButton; }
    TScrollerButton* GetRightButton() const { return FRightButton; }
    bool GetOutline() const { return FOutline; }
    void SetOutline(bool Value);
    bool GetShowScrollers() const { return FShowScrollers; }
    virtual int GetSuggestedWidth(bool ShowScrollers);
    virtual void SetShowScrollers(bool Value);
    void Dispatch(TMessage& Message) override;

protected:
    virtual bool HideWhenNoScrollbarsShown() { return true; }
    void Paint() override;

    bool FShowScrollers = false;
    TScrollerButton* FLeftButton;
    TScrollerButton* FRightButton;
    bool FOutline = true;
    int FTabHeight;
};

class TGradientTabSet : public TCustomControl {
public:
    explicit TGradientTabSet(TComponent* AOwner);
    ~TGradientTabSet() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetItems() const { return FTabList; }
    void SetItems(TStrings* Value) { FTabList->Assign(Value); }
    int GetTabIndex() const { return FTabIndex; }
    void SetTabIndex(int Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TTabColors* GetTabColors() const { return FDrawer->GetTabColors(); }
    void SetTabColors(TTabColors* Value);
    TGradientTabDrawer* GetDrawer() const { return FDrawer.get(); }
    TTabScroller* GetScroller() const { return FScroller; }
    int GetLeftOffset() const { return FLeftOffset; }
    int GetTabHeight() const { return FTabHeight; }

    void SelectNext(bool GoForward);
    int ItemAtPos(int X, int Y);
    int ItemAtPos(const TPoint& P) { return ItemAtPos(P.x, P.y); }
    TRect ItemRect(int Index);
    int FirstShownIndex();
    int LastShownIndex();
    void BeginUpdate() { FTabList->BeginUpdate(); }
    void EndUpdate() { FTabList->EndUpdate(); }
    // Marks the cached positions invalid and repaints.
    void TabsChanged();
    // The tab list's report of a change; keeps the selection on its tab.
    void TabInserted(int Index);
    void TabDeleted(int Index);
    void TabsCleared();
    void TabsAssigned();
    void UpdateStateChanged(bool Updating);

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TTabGetImageEvent OnGetImageIndex;
    TTabGetImageEvent OnGetOverlayImageIndex;
    TTabGetHintEvent OnGetHint;

protected:
    using TScrollerFactory = std::function<TTabScroller*(TGradientTabSet* Set, int TabHeight)>;
    TGradientTabSet(TComponent* AOwner, const TScrollerFactory& CreateScroller);
    virtual TTabScroller* CreateTabScroller(int TabHeight);
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void LeftButtonClick(TObject* Sender);
    void RightButtonClick(TObject* Sender);
    void UpdateTabPositions();
    void DrawToBitmap();
    void ScrollIntoView(int Index);
    int VisibleWidth();
    int ScrollStep();

    TTabList* FTabList;
    int FTabIndex = -1;
    int FTabHeight = 0;
    int FLeftOffset = 0;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::unique_ptr<TBitmap> FMemBitmap;
    std::vector<std::unique_ptr<TTabInfo>> FTabPositions;
    std::unique_ptr<TGradientTabDrawer> FDrawer;
    TTabScroller* FScroller = nullptr;
    bool FTabPositionsValid = false;
    bool FUseSystemColors = true;

private:
    void Init(const TScrollerFactory& CreateScroller);
};

#pragma GCC visibility pop
