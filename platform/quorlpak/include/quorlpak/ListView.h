// TListView over the system list view: items (TListItems of TListItem, each
// with a caption, sub-items, images and data), report columns (TListColumns),
// four view styles, in-place editing, sorting and custom draw.
//
// The items live here and the window asks for their texts and images as it
// paints them, so changing an item only repaints it. With OwnerData the list
// holds no items at all: Items->SetCount gives the window a count, and each
// item it shows is filled by OnData into one temporary TListItem; OnDataFind
// answers searches and OnDataHint tells which range is about to be shown.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/WinControl.h>
#include <runpak/Collection.h>
#include <runpak/Set.h>
#include <win32/commctrl.h>

#include <functional>
#include <memory>
#include <vector>

class TCustomListView;
class TListItems;
class TStringList;
class TStrings;

// The list view's enumerations live in their own namespace: other units have
// enumerators and types of the same names (item states, scroll directions).
namespace ComCtrls {
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = TSet<TItemState, 8>;
enum TItemChange { ctText, ctImage, ctState };
enum TItemRequest { irText, irImage, irParam, irState, irIndent };
using TItemRequests = TSet<TItemRequest, 8>;
enum TSortType { stNone, stData, stText, stBoth };
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem {
    cdsSelected,
    cdsGrayed,
    cdsDisabled,
    cdsChecked,
    cdsFocused,
    cdsDefault,
    cdsHot,
    cdsMarked,
    cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateItem, 16>;
} // namespace ComCtrls

class TListItem : public TPersistent {
public:
    explicit TListItem(TListItems* AOwner);
    ~TListItem() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value);
    TStrings* GetSubItems() const;
    void SetSubItems(TStrings* Value);
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    // The state image (0: none, n: image n - 1 of StateImages).
    int GetStateIndex() const { return FStateIndex; }
    void SetStateIndex(int Value);
    int GetIndent() const { return FIndent; }
    void SetIndent(int Value);
    void* GetData() const { return FData; }
    void SetData(void* Value) { FData = Value; }

    bool GetSelected() const { return GetState(ComCtrls::isSelected); }
    void SetSelected(bool Value) { SetState(ComCtrls::isSelected, Value); }
    bool GetFocused() const { return GetState(ComCtrls::isFocused); }
    void SetFocused(bool Value) { SetState(ComCtrls::isFocused, Value); }
    bool GetCut() const { return GetState(ComCtrls::isCut); }
    void SetCut(bool Value) { SetState(ComCtrls::isCut, Value); }
    bool GetDropTarget() const { return GetState(ComCtrls::isDropHilited); }
    void SetDropTarget(bool Value) { SetState(ComCtrls::isDropHilited, Value); }

    int GetIndex() const;
    TListItems* GetListItems() const { return FOwner; }
    TPersistent* GetOwner() const override;
    TCustomListView* GetListView() const;

    void Delete();
    // Starts editing the caption in place; false when the list refuses.
    bool EditCaption();
    void CancelEdit();
    void MakeVisible(bool PartialOK);
    // Repaints the item.
    void Update();
    TRect DisplayRect(ComCtrls::TDisplayCode Code) const;
    TPoint GetPosition() const;

    void Assign(TPersistent* Source) override;

private:
    friend class TListItems;
    friend class TCustomListView;
    bool GetState(ComCtrls::TItemState Which) const;
    void SetState(ComCtrls::TItemState Which, bool Value);
    void SubItemsChanged();

    TListItems* FOwner;
    UnicodeString FCaption;
    std::unique_ptr<TStringList> FSubItems;
    int FImageIndex = -1;
    int FStateIndex = -1;
    int FIndent = 0;
    void* FData = nullptr;
    // The states while there is no window, and the owner-data item's index.
    ComCtrls::TItemStates FStates;
    int FTempIndex = -1;
};

class TListItems : public TPersistent {
public:
    explicit TListItems(TCustomListView* AOwner);
    ~TListItems() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TListItem* Add();
    TListItem* Insert(int Index);
    // Adds Item (taking it over) at Index, or at the end for -1.
    TListItem* AddItem(TListItem* Item, int Index = -1);
    void Delete(int Index);
    void Clear();
    void BeginUpdate();
    void EndUpdate();

    int GetCount() const;
    // Only in owner-data mode: the number of items the window shows.
    void SetCount(int Value);
    // With owner data: the one temporary item, filled for Index by OnData.
    TListItem* GetItem(int Index);
    TListItem* operator[](int Index) { return GetItem(Index); }
    int IndexOf(const TListItem* Value) const;
    TCustomListView* GetListView() const { return FOwner; }
    TPersistent* GetOwner() const override;

    void Assign(TPersistent* Source) override;

private:
    friend class TListItem;
    friend class TCustomListView;
    void Remove(TListItem* Item);
    void InsertIntoWindow(TListItem* Item, int Index);

    TCustomListView* FOwner;
    std::vector<TListItem*> FItems; // owned
    int FCount = 0;                 // owner data
    std::unique_ptr<TListItem> FTemp;
    int FUpdateCount = 0;
};

class TListColumn : public TCollectionItem {
public:
    explicit TListColumn(TCollection* Collection);
    ~TListColumn() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value);
    // The window's width when it has one (the user may have dragged it).
    int GetWidth() const;
    void SetWidth(int Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    int GetTag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }

    UnicodeString GetDisplayName() const override;
    void Assign(TPersistent* Source) override;

private:
    friend class TCustomListView;
    TCustomListView* ListView() const;
    void DoChange();

    UnicodeString FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    int FImageIndex = -1;
    bool FAutoSize = false;
    int FTag = 0;
};

class TListColumns : public TCollection {
public:
    explicit TListColumns(TCustomListView* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TListColumn* Add();
    TListColumn* GetItems(int Index) const;
    TListColumn* operator[](int Index) const { return GetItems(Index); }
    TCustomListView* GetListView() const { return FOwner; }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    TCustomListView* FOwner;
};

using TLVNotifyEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVChangeEvent =
    std::function<void(TObject* Sender, TListItem* Item, ComCtrls::TItemChange Change)>;
using TLVChangingEvent = std::function<void(TObject* Sender, TListItem* Item,
                                            ComCtrls::TItemChange Change, bool& AllowChange)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, UnicodeString& S)>;
using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataFindEvent =
    std::function<void(TObject* Sender, ComCtrls::TItemFind Find, const UnicodeString& FindString,
                       const TPoint& FindPosition, void* FindData, int StartIndex,
                       ComCtrls::TSearchDirection Direction, bool Wrap, int& Index)>;
using TLVOwnerDataHintEvent = std::function<void(TObject* Sender, int StartIndex, int EndIndex)>;
using TLVOwnerDataStateChangeEvent =
    std::function<void(TObject* Sender, int StartIndex, int EndIndex,
                       ComCtrls::TItemStates OldState, ComCtrls::TItemStates NewState)>;
using TLVCompareEvent = std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2,
                                           int Data, int& Compare)>;
using TLVCustomDrawEvent =
    std::function<void(TCustomListView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TLVCustomDrawItemEvent = std::function<void(
    TCustomListView* Sender, TListItem* Item, ComCtrls::TCustomDrawState State, bool& DefaultDraw)>;
using TLVCustomDrawSubItemEvent =
    std::function<void(TCustomListView* Sender, TListItem* Item, int SubItem,
                       ComCtrls::TCustomDrawState State, bool& DefaultDraw)>;
// The comparison of CustomSort: negative, zero or positive as with strcmp.
using TLVCompare = int (*)(TListItem* Item1, TListItem* Item2, intptr_t Data);

class TCustomListView : public TWinControl {
public:
    explicit TCustomListView(TComponent* AOwner);
    ~TCustomListView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TListItems* GetItems() const { return FListItems.get(); }
    void SetItems(TListItems* Value);
    TListColumns* GetColumns() const { return FListColumns.get(); }
    void SetColumns(TListColumns* Value);
    TListColumn* Column(int Index) const { return FListColumns->GetItems(Index); }

    ComCtrls::TViewStyle GetViewStyle() const { return FViewStyle; }
    virtual void SetViewStyle(ComCtrls::TViewStyle Value);
    bool GetOwnerData() const { return FOwnerData; }
    void SetOwnerData(bool Value);
    bool GetHideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool GetRowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value);
    bool GetGridLines() const { return FGridLines; }
    void SetGridLines(bool Value);
    bool GetShowColumnHeaders() const { return FShowColumnHeaders; }
    void SetShowColumnHeaders(bool Value);
    bool GetColumnClick() const { return FColumnClick; }
    void SetColumnClick(bool Value);
    ComCtrls::TSortType GetSortType() const { return FSortType; }
    void SetSortType(ComCtrls::TSortType Value);
    TCustomImageList* GetLargeImages() const { return FLargeImages; }
    void SetLargeImages(TCustomImageList* Value);
    TCustomImageList* GetSmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* Value);
    TCustomImageList* GetStateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);

    // The first selected item (the temporary item with owner data), or null.
    TListItem* GetSelected();
    void SetSelected(TListItem* Value);
    TListItem* GetItemFocused();
    void SetItemFocused(TListItem* Value);
    int GetItemIndex();
    void SetItemIndex(int Value);
    int GetSelCount();
    TListItem* GetTopItem();
    int GetVisibleRowCount();
    // The next item from StartItem (null: from the top) in a direction with the states asked.
    TListItem* GetNextItem(TListItem* StartItem, ComCtrls::TSearchDirection Direction,
                           ComCtrls::TItemStates States);
    TListItem* GetItemAt(int X, int Y);
    TListItem* FindCaption(int StartIndex, const UnicodeString& Value, bool Partial, bool Inclusive,
                           bool Wrap);
    TListItem* FindData(int StartIndex, void* Value, bool Inclusive, bool Wrap);
    void Scroll(int DX, int DY);
    bool IsEditing() const;
    void Clear();
    void ClearSelection();
    void SelectAll();
    // Sorts by OnCompare (or by caption without one).
    bool AlphaSort();
    bool CustomSort(TLVCompare SortProc, intptr_t Data);
    void UpdateItems(int FirstIndex, int LastIndex);
    TCanvas* GetCanvas() const { return FCanvas.get(); }

    void Dispatch(TMessage& Message) override;

    TLVChangeEvent OnChange;
    TLVChangingEvent OnChanging;
    TLVSelectItemEvent OnSelectItem;
    TLVColumnClickEvent OnColumnClick;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;
    TLVOwnerDataEvent OnData;
    TLVOwnerDataFindEvent OnDataFind;
    TLVOwnerDataHintEvent OnDataHint;
    TLVOwnerDataStateChangeEvent OnDataStateChange;
    TLVCompareEvent OnCompare;
    TLVNotifyEvent OnDeletion;
    TLVNotifyEvent OnInsert;
    TLVNotifyEvent OnGetImageIndex;
    TLVCustomDrawEvent OnCustomDraw;
    TLVCustomDrawItemEvent OnCustomDrawItem;
    TLVCustomDrawSubItemEvent OnCustomDrawSubItem;

protected:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    friend class TListColumns;

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Owner data: fill Item (its index is Item->GetIndex()) for the requests.
    virtual bool OwnerDataFetch(TListItem* Item, ComCtrls::TItemRequests Request);
    virtual int OwnerDataFind(ComCtrls::TItemFind Find, const UnicodeString& FindString,
                              const TPoint& FindPosition, void* FindData, int StartIndex,
                              ComCtrls::TSearchDirection Direction, bool Wrap);
    virtual bool OwnerDataHint(int StartIndex, int EndIndex);
    virtual bool OwnerDataStateChange(int StartIndex, int EndIndex, ComCtrls::TItemStates OldState,
                                      ComCtrls::TItemStates NewState);
    virtual bool CanEdit(TListItem* Item);
    // The edit ended with a text: OnEdited may change it; the item takes it.
    virtual void Edit(const LVITEMW& Item);
    virtual bool CanChange(TListItem* Item, int Change);
    virtual void Change(TListItem* Item, int Change);
    virtual void DoSelectItem(TListItem* Item, bool Selected);
    virtual void ColClick(TListColumn* Column);
    virtual void Delete(TListItem* Item);
    virtual void InsertItem(TListItem* Item);
    virtual int GetImageIndex(TListItem* Item);
    virtual bool IsCustomDrawn() const;
    virtual bool CustomDraw(const TRect& ARect, ComCtrls::TCustomDrawStage Stage);
    virtual bool CustomDrawItem(TListItem* Item, ComCtrls::TCustomDrawState State,
                                ComCtrls::TCustomDrawStage Stage);
    virtual bool CustomDrawSubItem(TListItem* Item, int SubItem, ComCtrls::TCustomDrawState State,
                                   ComCtrls::TCustomDrawStage Stage);

    // The item a window index stands for (the temporary one with owner data).
    TListItem* ItemOfIndex(int Index);

private:
    void CNNotify(TMessage& Message);
    void GetDispInfo(NMLVDISPINFOW& Info);
    LRESULT DoCustomDraw(NMLVCUSTOMDRAW& Draw);
    void CopyColumnsToWindow();
    void CopyItemsToWindow();
    void SetColumnInWindow(int Index);
    void UpdateExtendedStyles();
    void SetImageList(TCustomImageList*& Field, TCustomImageList* Value, int Slot);
    void ImageListChange(TObject* Sender);
    void StyleChanged();
    DWORD ViewStyleBits() const;

    std::unique_ptr<TListItems> FListItems;
    std::unique_ptr<TListColumns> FListColumns;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::unique_ptr<TCanvas> FCanvas;
    TCustomImageList* FLargeImages = nullptr;
    TCustomImageList* FSmallImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    ComCtrls::TViewStyle FViewStyle = ComCtrls::vsIcon;
    ComCtrls::TSortType FSortType = ComCtrls::stNone;
    bool FOwnerData = false;
    bool FHideSelection = true;
    bool FReadOnly = false;
    bool FMultiSelect = false;
    bool FRowSelect = false;
    bool FGridLines = false;
    bool FShowColumnHeaders = true;
    bool FColumnClick = true;
    bool FDeletingAll = false;
    LRESULT FCustomDrawItemResult = 0;
};

class TListView : public TCustomListView {
public:
    using TCustomListView::TCustomListView;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
