// The tree's header and its columns: TVTHeader owns TVirtualTreeColumns of
// TVirtualTreeColumn. A column's index is its place in the collection and
// never changes by dragging; its position is its place on screen. The header
// lives in the tree window's non-client strip above the client area, handles
// its own mouse messages, keeps widths within limits and writes itself to a
// stream of fixed-width fields.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeTypes.h"

#include <quorlpak/ControlTypes.h>
#include <quorlpak/Graphics.h>
#include <quorlpak/Messages.h>
#include <runpak/Collection.h>
#include <runpak/Streams.h>
#include <win32/windows.h>

#include <vector>

class TBaseVirtualTree;
class TFiler;
class TReader;
class TWriter;
class TFont;
class TCustomImageList;
class TVTDragImage;
class TPopupMenu;

enum TVTHeaderOption {
    hoAutoResize,
    hoColumnResize,
    hoDblClickResize,
    hoDrag,
    hoHotTrack,
    hoOwnerDraw,
    hoRestrictDrag,
    hoShowHint,
    hoShowImages,
    hoShowSortGlyphs,
    hoVisible,
    hoAutoSpring
};
using TVTHeaderOptions = TPackedSet<TVTHeaderOption, uint16_t>;

enum THeaderState { hsAutoSizing, hsDragging, hsDragPending, hsLoading, hsTracking, hsTrackPending };
using THeaderStates = TPackedSet<THeaderState, uint8_t>;

enum TVTHeaderStyle { hsThickButtons, hsFlatButtons, hsPlates, hsXPStyle };
enum TSortDirection { sdAscending, sdDescending };
enum TVTHeaderColumnLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TVirtualTreeColumnStyle { vsText, vsOwnerDraw };

enum TVTColumnOption {
    coAllowClick,
    coDraggable,
    coEnabled,
    coParentBidiMode,
    coParentColor,
    coResizable,
    coShowDropMark,
    coVisible,
    coAutoSpring,
    coFixed
};
using TVTColumnOptions = TPackedSet<TVTColumnOption, uint16_t>;

constexpr TVTColumnOptions DefaultColumnOptions = TVTColumnOptions::FromInt(0xFF);
constexpr TVTHeaderOptions DefaultHeaderOptions{hoColumnResize, hoDrag};

// What the advanced header drawing gets for one column (or the background).
struct THeaderPaintInfo {
    TCanvas* TargetCanvas = nullptr;
    TVirtualTreeColumn* Column = nullptr;
    TRect PaintRectangle{};
    TRect TextRectangle{};
    bool IsHoverIndex = false;
    bool IsDownIndex = false;
    bool IsEnabled = false;
    bool ShowHeaderGlyph = false;
    bool ShowSortGlyph = false;
    bool ShowRightBorder = false;
    TVTDropMarkMode DropMark = dmmNone;
    TPoint GlyphPos{};
    TPoint SortGlyphPos{};
};

class TVirtualTreeColumns;
class TVTHeader;

class TVirtualTreeColumn : public TCollectionItem {
public:
    explicit TVirtualTreeColumn(TCollection* Collection);
    ~TVirtualTreeColumn() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Assign(TPersistent* Source) override;
    virtual bool Equals(TVirtualTreeColumn* Other) const;
    // The column's rectangle in the header (unscrolled, header-relative).
    virtual TRect GetRect() const;
    void GetAbsoluteBounds(int& Left, int& Right) const;
    // Left edge as shown: fixed columns do not scroll.
    int GetLeft() const;
    void LoadFromStream(TStream* Stream, int Version);
    void SaveToStream(TStream* Stream) const;
    void RestoreLastWidth();
    void ParentBiDiModeChanged();
    void ParentColorChanged();
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    UnicodeString GetDisplayName() const override;
    TVirtualTreeColumns* Owner() const;
    // Text and Hint travel in forms as "WideText" and "WideHint".
    void DefineProperties(TFiler* Filer) override;

    // Places image, text and sort glyph inside Client (see the header's layout rules).
    virtual void ComputeHeaderLayout(HDC DC, const TRect& Client, bool UseHeaderGlyph,
                                     bool UseSortGlyph, TPoint& HeaderGlyphPos,
                                     TPoint& SortGlyphPos, TRect& TextBounds);

    // --- Properties ------------------------------------------------------------------------
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TBiDiMode GetBiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    const UnicodeString& GetHint() const { return FHint; }
    void SetHint(const UnicodeString& Value) { FHint = Value; }
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TVTHeaderColumnLayout GetLayout() const { return FLayout; }
    void SetLayout(TVTHeaderColumnLayout Value);
    int GetMargin() const { return FMargin; }
    void SetMargin(int Value);
    int GetMaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    TVTColumnOptions GetOptions() const { return FOptions; }
    void SetOptions(TVTColumnOptions Value);
    TColumnPosition GetPosition() const { return FPosition; }
    void SetPosition(TColumnPosition Value);
    int GetSpacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TVirtualTreeColumnStyle GetStyle() const { return FStyle; }
    void SetStyle(TVirtualTreeColumnStyle Value);
    int GetTag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    const UnicodeString& GetText() const { return FText; }
    void SetText(const UnicodeString& Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    int GetLastWidth() const { return FLastWidth; }
    float GetSpringRest() const { return FSpringRest; }

protected:
    friend class TVirtualTreeColumns;
    friend class TVTHeader;
    friend class TBaseVirtualTree;
    void ChangeWidth(int NewWidth);
    TBaseVirtualTree* Tree() const;
    TVTHeader* Header() const;
    bool TreeLoading() const;

    UnicodeString FText;
    UnicodeString FHint;
    int FLeft = 0;
    int FWidth = 50;
    TColumnPosition FPosition = 0;
    int FMinWidth = 10;
    int FMaxWidth = 10000;
    TVirtualTreeColumnStyle FStyle = vsText;
    int FImageIndex = -1;
    float FSpringRest = 0;
    int FSpacing = 4;
    int FMargin = 4;
    TVTHeaderColumnLayout FLayout = blGlyphLeft;
    TAlignment FAlignment = taLeftJustify;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TVTColumnOptions FOptions = DefaultColumnOptions;
    int FTag = 0;
    TColor FColor = clWindow;
    int FLastWidth = 50;
};

class TVirtualTreeColumns : public TCollection {
public:
    explicit TVirtualTreeColumns(TVTHeader* AOwner);
    ~TVirtualTreeColumns() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TVirtualTreeColumn* Add() { return static_cast<TVirtualTreeColumn*>(TCollection::Add()); }
    TVirtualTreeColumn* GetItem(TColumnIndex Index) const {
        return static_cast<TVirtualTreeColumn*>(GetItems(Index));
    }
    TVirtualTreeColumn* operator[](TColumnIndex Index) const { return GetItem(Index); }
    TVTHeader* GetHeader() const { return FHeader; }
    TPersistent* GetOwner() const override;

    void Assign(TPersistent* Source) override;
    void Clear();
    void AnimatedResize(TColumnIndex Column, int NewWidth);
    // The column under P (header-relative x, any y inside the tree); InvalidColumn outside.
    virtual TColumnIndex ColumnFromPosition(TPoint P, bool Relative = true) const;
    // The column at a display position; NoColumn beyond the array.
    virtual TColumnIndex ColumnFromPosition(TColumnPosition PositionIndex) const;
    bool Equals(TVirtualTreeColumns* Other) const;
    // Column NoColumn gives 0 to the client width.
    void GetColumnBounds(TColumnIndex Column, int& Left, int& Right) const;
    TColumnIndex GetColumnAndBounds(TPoint P, int& ColumnLeft, int& ColumnRight,
                                    bool Relative = true) const;
    TColumnIndex GetFirstVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetLastVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetNextColumn(TColumnIndex Column) const;
    TColumnIndex GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false) const;
    TColumnIndex GetPreviousColumn(TColumnIndex Column) const;
    TColumnIndex GetPreviousVisibleColumn(TColumnIndex Column,
                                          bool ConsiderAllowFocus = false) const;
    std::vector<TVirtualTreeColumn*> GetVisibleColumns() const;
    int GetVisibleFixedWidth() const;
    bool IsValidColumn(TColumnIndex Column) const {
        return Column >= 0 && Column < GetCount();
    }
    void LoadFromStream(TStream* Stream, int Version);
    void SaveToStream(TStream* Stream) const;
    virtual void PaintHeader(HDC DC, const TRect& R, int HOffset);
    int TotalWidth() const;
    const std::vector<TColumnIndex>& GetPositionToIndex() const { return FPositionToIndex; }

    void AdjustAutoSize(TColumnIndex CurrentIndex, bool Force = false);
    void AdjustDownColumn(TPoint P);
    bool AdjustHoverColumn(TPoint P);
    void AdjustPosition(TVirtualTreeColumn* Column, TColumnPosition Position);
    void FixPositions();
    void HandleClick(TPoint P, TMouseButton Button, bool Force, bool DblClick);
    void IndexChanged(int OldIndex, int NewIndex);
    void InitializePositionArray();
    void ReorderColumns(bool RTL);
    void UpdatePositions(bool Force = false);
    void DrawButtonText(HDC DC, const UnicodeString& Caption, TRect Bounds, bool Enabled,
                        bool Hot, UINT DrawFormat);
    void DrawXPButton(HDC DC, const TRect& ButtonR, bool DrawSplitter, bool Down, bool Hover);

    TColumnIndex FHoverIndex = NoColumn;
    TColumnIndex FDownIndex = NoColumn;
    TColumnIndex FTrackIndex = NoColumn;
    TColumnIndex FClickIndex = NoColumn;
    TColumnIndex FDropTarget = NoColumn;
    TColumnIndex FDragIndex = NoColumn;
    bool FDropBefore = false;

protected:
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
    void Update(TCollectionItem* Item) override;

private:
    friend class TVirtualTreeColumn;
    friend class TVTHeader;
    TVTHeader* FHeader;
    TBitmap* FHeaderBitmap = nullptr;
    std::vector<TColumnIndex> FPositionToIndex;
    bool FNeedPositionsFix = false;
    bool FClearing = false;
};

class TVTHeader : public TPersistent {
public:
    explicit TVTHeader(TBaseVirtualTree* AOwner);
    ~TVTHeader() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Assign(TPersistent* Source) override;
    void AutoFitColumns(bool Animated = true);
    // P in tree client coordinates (the header strip lies above y 0).
    virtual bool InHeader(TPoint P) const;
    void Invalidate(TVirtualTreeColumn* Column, bool ExpandToBorder = false);
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream) const;
    void RestoreColumns();
    // Messages go here before the tree's own handling; true when handled.
    virtual bool HandleMessage(TMessage& Message);
    virtual bool DetermineSplitterIndex(TPoint P);
    void DragTo(TPoint P);
    void PrepareDrag(TPoint P, TPoint Start);
    // Hides and drops the dragged column's picture.
    void EndDragImage();
    bool HandleHeaderMouseMove(TMessage& Message);
    virtual void RecalculateHeader();
    void UpdateMainColumn();
    void UpdateSpringColumns();
    static TShiftState GetShiftState();
    virtual void ChangeScale(int M, int D);
    virtual bool CanWriteColumns() const { return true; }
    // The columns as the tree's form property "Columns" (a collection).
    void ReadColumns(TReader* Reader);
    void WriteColumns(TWriter* Writer);
    TPersistent* GetOwner() const override;

    TBaseVirtualTree* Treeview() const { return FOwner; }
    TVirtualTreeColumns* GetColumns() const { return FColumns; }
    void SetColumns(TVirtualTreeColumns* Value) { FColumns->Assign(Value); }
    // True when columns exist (the tree then paints and hit-tests per column).
    bool UseColumns() const { return FColumns->GetCount() > 0; }

    // --- Properties ------------------------------------------------------------------------
    TColumnIndex GetAutoSizeIndex() const { return FAutoSizeIndex; }
    void SetAutoSizeIndex(TColumnIndex Value);
    TColor GetBackground() const { return FBackground; }
    void SetBackground(TColor Value);
    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* Value);
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TColumnIndex GetMainColumn() const;
    void SetMainColumn(TColumnIndex Value);
    TVTHeaderOptions GetOptions() const { return FOptions; }
    void SetOptions(TVTHeaderOptions Value);
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
    TColumnIndex GetSortColumn() const { return FSortColumn; }
    void SetSortColumn(TColumnIndex Value);
    TSortDirection GetSortDirection() const { return FSortDirection; }
    void SetSortDirection(TSortDirection Value);
    TVTHeaderStyle GetStyle() const { return FStyle; }
    void SetStyle(TVTHeaderStyle Value);
    THeaderStates GetStates() const { return FStates; }
    // The picture of a column dragged to a new place.
    TVTDragImage* GetDragImage() const { return FDragImage; }

    // The tree's font changed (parent-font notice).
    void ParentFontChanged();
    // The tree's bidi mode changed: columns that follow it take it.
    void ParentBiDiModeChanged();

protected:
    friend class TVirtualTreeColumns;
    friend class TVirtualTreeColumn;
    void FontChanged(TObject* Sender);

    TBaseVirtualTree* FOwner;
    TVirtualTreeColumns* FColumns = nullptr;
    int FHeight = 17;
    TFont* FFont = nullptr;
    bool FParentFont = false;
    TVTHeaderOptions FOptions = DefaultHeaderOptions;
    THeaderStates FStates;
    TColor FBackground = clBtnFace;
    TColumnIndex FAutoSizeIndex = 0;
    TColumnIndex FMainColumn = NoColumn;
    TColumnIndex FSortColumn = NoColumn;
    TSortDirection FSortDirection = sdAscending;
    TVTHeaderStyle FStyle = hsThickButtons;
    TCustomImageList* FImages = nullptr;
    TPopupMenu* FPopupMenu = nullptr;
    TVTDragImage* FDragImage = nullptr;
    int FLastWidth = 0;
    int FTrackPos = 0;
    TPoint FTrackStart{};
    TPoint FDragStart{};
};

#pragma GCC visibility pop
