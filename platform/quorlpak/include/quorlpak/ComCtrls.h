// TPageControl and TTabSheet: pages of controls behind a row of tabs that the
// page control draws itself. The sheets are the page control's windowed
// children; only the active sheet shows, filling the display area under the
// tabs. A click on a tab asks OnChanging, switches and fires OnChange.
//
// Streaming: sheets are children of the page control (their PageControl is
// set from the parent they are read into) and controls are children of the
// sheets:
//   TPageControl PageControl1 {
//       ActivePage = TabSheet1
//       TTabSheet TabSheet1 { Caption = "Page1"
//           TButton Button1 { ... }
//       }
//   }
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <runpak/TypeInfo.h>

#include <functional>
#include <vector>

class TPageControl;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TPageControl* GetPageControl() const { return FPageControl; }
    // Moves the sheet to another page control (appended), or out of any (null).
    void SetPageControl(TPageControl* Value);
    // Lying on a page control makes the sheet its last page.
    void SetParent(TWinControl* AParent) override;
    // The sheet's place among its page control's pages; -1 without one.
    int GetPageIndex() const;
    void SetPageIndex(int Value);
    // A sheet whose tab is hidden is never active.
    bool GetTabVisible() const { return FTabVisible; }
    void SetTabVisible(bool Value);
    // The sheet's place among the visible tabs; -1 when its tab is hidden.
    int GetTabIndex() const;
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    bool GetHighlighted() const { return FHighlighted; }
    void SetHighlighted(bool Value);

    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void Dispatch(TMessage& Message) override;

protected:
    friend class TPageControl;
    void CreateParams(TCreateParams& Params) override;
    virtual void DoShow();
    virtual void DoHide();

private:
    TPageControl* FPageControl = nullptr;
    int FImageIndex = -1;
    bool FTabVisible = true;
    bool FHighlighted = false;
};

class TPageControl : public TCustomControl {
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Pages ---
    int GetPageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* GetPages(int Index) const;
    TTabSheet* GetActivePage() const { return FActivePage; }
    // Shows the page (null: none), without asking OnChanging. A page of
    // another page control is ignored.
    void SetActivePage(TTabSheet* Page);
    int GetActivePageIndex() const;
    void SetActivePageIndex(int Value);
    // The next (or previous) page after CurPage, wrapping; null when none.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
    // Moves to the next page as a user would: OnChanging may refuse, OnChange follows.
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);

    // --- Tabs (visible ones, in page order) ---
    int GetTabCount() const;
    int GetTabIndex() const;
    void SetTabIndex(int Value);
    // The client rectangle of a visible tab; empty for a bad index.
    TRect TabRect(int TabIndex);
    // The visible tab at a client point, or -1.
    int IndexOfTabAt(int X, int Y);
    // The area the sheets fill.
    TRect GetDisplayRect();
    int GetTabHeight() const { return FTabHeight; }
    void SetTabHeight(int Value);
    int GetTabWidth() const { return FTabWidth; }
    // 0: each tab as wide as its caption.
    void SetTabWidth(int Value);
    TTabPosition GetTabPosition() const { return FTabPosition; }
    // Only tabs on top are drawn; the others are kept for descriptions.
    void SetTabPosition(TTabPosition Value) { FTabPosition = Value; }
    TTabStyle GetStyle() const { return FStyle; }
    void SetStyle(TTabStyle Value);
    bool GetHotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value) { FHotTrack = Value; }

    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;
    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

protected:
    friend class TTabSheet;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void AdjustClientRect(TRect& Rect) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual bool CanChange();
    virtual void Change();
    // A user's switch: asks CanChange, shows the page, then Change.
    bool ChangeActivePage(TTabSheet* Page);

private:
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void MovePage(TTabSheet* Page, int NewIndex);
    void ShowPage(TTabSheet* Page);
    void UpdateSheets();
    std::vector<TRect> TabRects();

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabSheet* FNewActivePage = nullptr; // named while loading, shown in Loaded
    int FTabHeight = 0;
    int FTabWidth = 0;
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    bool FHotTrack = false;
};

// Makes TPageControl and TTabSheet findable by name for streaming.
void RegisterComCtrlClasses();

PTypeInfo TypeInfo_TTabPosition();
PTypeInfo TypeInfo_TTabStyle();

#pragma GCC visibility pop

// --- List view -------------------------------------------------------------------------------
// TListView with TListItems, TListItem, TListColumns and TListColumn.
#include <quorlpak/ListView.h>
