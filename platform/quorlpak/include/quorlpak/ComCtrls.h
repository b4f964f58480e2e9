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
#include <win32/commctrl.h>

#include <functional>
#include <memory>
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

// ============================================================================================
// Tree view: TTreeNode, TTreeNodes and TCustomTreeView over the system tree view
// ============================================================================================
// The nodes are the tree's model: they keep their text, images, data and
// children whether or not the window exists, and a new window is filled from
// them (expanded and selected nodes included). Each window item carries its
// node in its lParam. The user's changes arrive as notifications and go
// through the overridable Can*/Change/Expand/Edit operations and their events;
// the same operations run when code expands or selects a node.

class TTreeNode;
class TTreeNodes;
class TCustomTreeView;
class TCustomImageList;
class TChangeLink;
class TTimer;

// What lies at a point of a control (GetHitTestInfoAt).
enum THitTest {
    htAbove,
    htBelow,
    htNowhere,
    htOnItem,
    htOnButton,
    htOnIcon,
    htOnIndent,
    htOnLabel,
    htOnRight,
    htOnStateIcon,
    htToLeft,
    htToRight
};
using THitTests = TSet<THitTest, 16>;

// Where a new node goes relative to another.
enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, UnicodeString& S)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2,
                                           int Data, int& Compare)>;
// Orders two nodes for CustomSort: negative, zero or positive.
using TTVCompare = int (*)(TTreeNode* Node1, TTreeNode* Node2, LPARAM Data);

class TTreeNode : public TObject {
public:
    explicit TTreeNode(TTreeNodes* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    // Frees the children first; the node leaves its parent and the window.
    ~TTreeNode() override;

    TTreeNodes* GetOwner() const { return FOwner; }
    TCustomTreeView* GetTreeView() const;
    HTREEITEM GetItemId() const { return FItemId; }

    UnicodeString GetText() const { return FText; }
    void SetText(const UnicodeString& Value);
    void* GetData() const { return FData; }
    void SetData(void* Value) { FData = Value; }
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int GetSelectedIndex() const { return FSelectedIndex; }
    void SetSelectedIndex(int Value);
    // The overlay image (0-based overlay number, -1 none) and the state image (-1 none).
    int GetOverlayIndex() const { return FOverlayIndex; }
    void SetOverlayIndex(int Value);
    int GetStateIndex() const { return FStateIndex; }
    void SetStateIndex(int Value);
    // A node shows a button when it has children or says it has.
    bool GetHasChildren() const;
    void SetHasChildren(bool Value);
    bool GetExpanded() const;
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    bool GetSelected() const;
    void SetSelected(bool Value);
    bool GetFocused() const;
    bool GetCut() const { return FCut; }
    void SetCut(bool Value);
    bool GetDropTarget() const;
    void SetDropTarget(bool Value);
    bool GetDeleting() const { return FDeleting; }

    // --- Family ---
    // Null for a top-level node.
    TTreeNode* GetParent() const;
    int GetCount() const { return static_cast<int>(FChildren.size()); }
    TTreeNode* GetItem(int Index) const;
    int GetIndex() const;
    int GetLevel() const;
    int GetAbsoluteIndex() const;
    TTreeNode* getFirstChild() const;
    TTreeNode* GetLastChild() const;
    TTreeNode* getNextSibling() const;
    TTreeNode* getPrevSibling() const;
    TTreeNode* GetNextChild(TTreeNode* Value) const;
    TTreeNode* GetPrevChild(TTreeNode* Value) const;
    // Depth first, through every node.
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    // Through the nodes whose ancestors are all expanded.
    TTreeNode* GetNextVisible() const;
    TTreeNode* GetPrevVisible() const;
    bool IsVisible() const;
    bool HasAsParent(TTreeNode* Value) const;

    void Delete();
    void DeleteChildren();
    // Starts editing the label in place (false when refused or no window).
    bool EditText();
    void EndEdit(bool Cancel);
    // The node's row (or its label) in client coordinates; empty when not shown.
    TRect DisplayRect(bool TextOnly) const;
    void MakeVisible();
    bool AlphaSort(bool ARecurse = false);
    bool CustomSort(TTVCompare SortProc, LPARAM Data, bool ARecurse = false);

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    void SortChildren(const std::function<int(TTreeNode*, TTreeNode*)>& Compare, bool Recurse);
    void UpdateItem(UINT Mask);
    UINT ItemState() const;

    TTreeNodes* FOwner = nullptr;
    TTreeNode* FParent = nullptr; // the owner's invisible root for top-level nodes
    std::vector<TTreeNode*> FChildren;
    HTREEITEM FItemId = nullptr;
    UnicodeString FText;
    void* FData = nullptr;
    int FImageIndex = -1;
    int FSelectedIndex = -1;
    int FOverlayIndex = -1;
    int FStateIndex = -1;
    bool FHasChildren = false;
    bool FExpanded = false; // kept while there is no window
    bool FCut = false;
    bool FDeleting = false;
};

class TTreeNodes : public TObject {
public:
    explicit TTreeNodes(TCustomTreeView* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    ~TTreeNodes() override;

    TCustomTreeView* GetOwner() const { return FOwner; }
    // Every node, depth first.
    int GetCount() const;
    TTreeNode* GetItem(int Index) const;
    TTreeNode* GetFirstNode() const;
    // The node of a window item, or null.
    TTreeNode* GetNode(HTREEITEM ItemId) const;

    // Sibling's siblings (top level when Sibling is null), last or first.
    TTreeNode* Add(TTreeNode* Sibling, const UnicodeString& S);
    TTreeNode* AddObject(TTreeNode* Sibling, const UnicodeString& S, void* Ptr);
    TTreeNode* AddFirst(TTreeNode* Sibling, const UnicodeString& S);
    TTreeNode* AddObjectFirst(TTreeNode* Sibling, const UnicodeString& S, void* Ptr);
    // Children of Parent (top level when null), last or first.
    TTreeNode* AddChild(TTreeNode* Parent, const UnicodeString& S);
    TTreeNode* AddChildObject(TTreeNode* Parent, const UnicodeString& S, void* Ptr);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const UnicodeString& S);
    TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const UnicodeString& S, void* Ptr);
    // Before Sibling (last at the top level when null).
    TTreeNode* Insert(TTreeNode* Sibling, const UnicodeString& S);
    TTreeNode* InsertObject(TTreeNode* Sibling, const UnicodeString& S, void* Ptr);
    TTreeNode* AddNode(TTreeNode* Relative, const UnicodeString& S, void* Ptr,
                       TNodeAttachMode Method);
    void Delete(TTreeNode* Node);
    void Clear();
    // Holds the window's painting until the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    void InsertItem(TTreeNode* Node, HTREEITEM After);
    void CreateItems(TTreeNode* Parent);

    TCustomTreeView* FOwner;
    std::unique_ptr<TTreeNode> FRoot; // invisible; its children are the top-level nodes
    int FUpdateCount = 0;
};

class TCustomTreeView : public TWinControl {
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TTreeNodes* GetItems() const { return FTreeNodes.get(); }
    TTreeNode* GetSelected() const;
    // Selects as a user would: OnChanging may refuse, OnChange follows.
    void SetSelected(TTreeNode* Value);
    TTreeNode* GetTopItem() const;
    void SetTopItem(TTreeNode* Value);
    TTreeNode* GetDropTarget() const;
    void SetDropTarget(TTreeNode* Value);

    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* GetStateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);
    int GetIndent() const;
    void SetIndent(int Value);
    bool GetShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool Value);
    bool GetShowLines() const { return FShowLines; }
    void SetShowLines(bool Value);
    // Lines and buttons for the top-level nodes too.
    bool GetShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetHideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool GetRowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value);
    // A right click selects the node under the mouse before the context menu.
    bool GetRightClickSelect() const { return FRightClickSelect; }
    void SetRightClickSelect(bool Value) { FRightClickSelect = Value; }
    // Milliseconds between a selection change and OnChange (0: at once).
    int GetChangeDelay() const { return FChangeDelay; }
    void SetChangeDelay(int Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    bool AlphaSort(bool ARecurse = true);
    bool CustomSort(TTVCompare SortProc, LPARAM Data, bool ARecurse = true);
    void FullExpand();
    void FullCollapse();
    TTreeNode* GetNodeAt(int X, int Y);
    THitTests GetHitTestInfoAt(int X, int Y);
    bool IsEditing();

    void Dispatch(TMessage& Message) override;

    TTVChangedEvent OnChange;
    TTVChangingEvent OnChanging;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVExpandedEvent OnDeletion;
    TTVExpandedEvent OnAddition;
    TTVExpandedEvent OnGetImageIndex;
    TTVExpandedEvent OnGetSelectedIndex;
    TTVCompareEvent OnCompare;

protected:
    friend class TTreeNode;
    friend class TTreeNodes;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual TTreeNode* CreateNode();
    virtual bool CanChange(TTreeNode* Node);
    virtual void Change(TTreeNode* Node);
    virtual bool CanExpand(TTreeNode* Node);
    virtual void Expand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual void Collapse(TTreeNode* Node);
    virtual bool CanEdit(TTreeNode* Node);
    // After an edit in place with the new text (OnEdited may change it).
    virtual void Edit(const TVITEMW& Item);
    virtual void Added(TTreeNode* Node);
    virtual void Delete(TTreeNode* Node);
    // Run before a node's image (or selected image) is drawn.
    virtual void GetImageIndex(TTreeNode* Node);
    virtual void GetSelectedIndex(TTreeNode* Node);
    // Gives the window an image list (TVSIL_NORMAL or TVSIL_STATE).
    virtual void SetImageList(HIMAGELIST Value, int Flags);

private:
    void ImageListChange(TObject* Sender);
    void ChangeTimerFired(TObject* Sender);
    void SetStyleBit(bool& Field, bool Value);
    TTreeNode* NodeOf(HTREEITEM Item) const;
    LRESULT Notify(NMHDR* Header);

    std::unique_ptr<TTreeNodes> FTreeNodes;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::unique_ptr<TChangeLink> FStateChangeLink;
    std::unique_ptr<TTimer> FChangeTimer;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    TTreeNode* FSelected = nullptr; // kept while there is no window
    TTreeNode* FTopItem = nullptr;  // kept while there is no window
    TTreeNode* FDropTarget = nullptr;
    int FIndent = 19;
    int FChangeDelay = 0;
    int FManualNotify = 0; // code's own expansions and selections: the events run once
    bool FShowButtons = true;
    bool FShowLines = true;
    bool FShowRoot = true;
    bool FReadOnly = false;
    bool FHideSelection = true;
    bool FRowSelect = false;
    bool FRightClickSelect = false;
    bool FRecreating = false;
    bool FDestroying = false;
    TBorderStyle FBorderStyle = bsSingle;
};

class TTreeView : public TCustomTreeView {
public:
    using TCustomTreeView::TCustomTreeView;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- TUpDown ------------------------------------------------------------------------------
// Arrow buttons over the system up-down control, stepping Position between
// Min and Max by Increment. With an Associate (usually an edit) the position
// shows in it, the buttons sit on its edge, its arrow keys step (ArrowKeys)
// and its text, typed by the user, is read back as the position.
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
enum TUpDownDirection { updNone, updUp, updDown };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TUDChangingEventEx = std::function<void(TObject* Sender, bool& AllowChange, int NewValue,
                                              TUpDownDirection Direction)>;

PTypeInfo TypeInfo_TUDAlignButton();
PTypeInfo TypeInfo_TUDOrientation();

class TCustomUpDown : public TWinControl {
public:
    explicit TCustomUpDown(TComponent* AOwner);
    ~TCustomUpDown() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TWinControl* GetAssociate() const { return FAssociate; }
    void SetAssociate(TWinControl* Value);
    TUDAlignButton GetAlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton Value);
    bool GetArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool Value);
    int GetIncrement() const { return FIncrement; }
    void SetIncrement(int Value);
    int GetMin() const { return FMin; }
    void SetMin(int Value);
    int GetMax() const { return FMax; }
    void SetMax(int Value);
    TUDOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation Value);
    // With a window, read from it (and so from the associate's text).
    int GetPosition();
    void SetPosition(int Value);
    bool GetThousands() const { return FThousands; }
    void SetThousands(bool Value);
    bool GetWrap() const { return FWrap; }
    void SetWrap(bool Value);

    void Dispatch(TMessage& Message) override;
    // The control's own click stays beside the button click below.
    using TWinControl::Click;

    TUDChangingEvent OnChanging;
    TUDChangingEventEx OnChangingEx;
    TUDClickEvent OnClick;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Asked before every step the user makes; false refuses it.
    virtual bool CanChange();
    virtual bool DoCanChange(int NewVal, int Delta);
    virtual void Click(TUDBtnType Button);

    TWinControl* FAssociate = nullptr;
    TUDAlignButton FAlignButton = udRight;
    TUDOrientation FOrientation = udVertical;
    int FMin = 0;
    int FMax = 100;
    int FIncrement = 1;
    int FPosition = 0;
    bool FArrowKeys = true;
    bool FThousands = true;
    bool FWrap = false;

private:
    void UpdateBuddy();
    int FLastDelta = 0;
};

class TUpDown : public TCustomUpDown {
public:
    using TCustomUpDown::TCustomUpDown;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};
// --- TComboBoxEx -----------------------------------------------------------------------------
#include <quorlpak/ComboBoxEx.h>

#pragma GCC visibility pop

// --- List view -------------------------------------------------------------------------------
// TListView with TListItems, TListItem, TListColumns and TListColumn.
#include <quorlpak/ListView.h>

// --- Status bar and header control ---------------------------------------------------------------
#include <quorlpak/HeaderControl.h>
#include <quorlpak/StatusBar.h>
