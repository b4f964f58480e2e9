// The property list box: an owner-drawn list of the host's property editors
// in two columns (name and value) with a movable divider; rows with
// sub-properties expand in place, their children inserted one level deeper.
#pragma once
#pragma GCC visibility push(default)

#include <designpak/PropertyEditors.h>
#include <quorlpak/Colors.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/Font.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Component.h>

#include <functional>

class TCustomPropListBox;

// One row: one property editor at a nesting level.
class TPropItem : public TPersistent {
public:
    TPropItem(IProperty* AProp, int ALevel, TColor AColor, bool AReference,
              TCustomPropListBox* AListBox, TPropItem* AParent);

    // Also remembers whether the row had sub-properties.
    TPropertyAttributes GetAttributes();
    bool GetAutoFill();
    UnicodeString GetPropName();
    // The names from the top row down, joined by ".".
    UnicodeString GetPropPath();
    UnicodeString GetPropValue();
    // Has sub-properties, is no reference cycle, and the list allows it.
    bool GetIsExpandable();
    // The type's name, empty without a type record.
    UnicodeString GetTypeName();
    void Revert();
    bool IsOverExpandBox(int X, int Y);

    IProperty* GetProp() const { return FProp.Get(); }
    int GetItemLevel() const { return FLevel; }
    bool GetIsExpanded() const { return FExpanded; }
    bool GetWasExpandable() const { return FWasExpandable; }
    bool GetDirty() const { return FDirty; }
    void SetDirty(bool Value) { FDirty = Value; }
    TColor GetColor() const { return FColor; }
    bool GetReference() const { return FReference; }
    TCustomPropListBox* GetListBox() const { return FListBox; }
    TPropItem* GetParent() const { return FParent; }

private:
    friend class TCustomPropListBox;
    TCustomPropListBox* FListBox;
    TPropItem* FParent;
    InterfacePtr<IProperty> FProp;
    int FLevel;
    bool FExpanded = false;
    bool FWasExpandable = false;
    bool FDirty = false;
    TColor FColor;
    bool FReference;
};

using TAllowExpansionEvent = std::function<void(TObject* Sender, IProperty* Prop, bool& Result)>;
using TGetPropertiesEvent = std::function<void(TObject* Sender, const TGetPropProc& GetPropProc)>;
using TGetSubPropertiesEvent =
    std::function<void(TObject* Sender, IProperty* Prop, const TGetPropProc& GetPropProc)>;

// Posted to the list to have the host refresh dirty rows.
constexpr UINT WM_PROPBOX_UPDATEDIRTY = 0xB06F;

// The rows of a list in virtual mode: each line's object is its row, freed
// with the line.
class TPropBoxStrings : public TStringList {
public:
    TPropBoxStrings() : TStringList(true) {}
};

class TCustomPropListBox : public TCustomListBox {
public:
    explicit TCustomPropListBox(TComponent* AOwner);
    ~TCustomPropListBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Rows ------------------------------------------------------------------------------
    virtual void Reset();
    // A TGetPropProc: inserts Prop at the current insertion point.
    void AddProperty(IProperty* Prop);
    void InsertItem(int Index, IProperty* Prop, int Level);
    // Expands a collapsed row, collapses an expanded one.
    void AdjustItem(int Index);
    int GetCount() const { return FRows->GetCount(); }
    // The rows kept by the control rather than in the list's window, which
    // then only knows how many there are.
    bool GetUseVirtualList() const { return FVirtualRows != nullptr; }
    void SetUseVirtualList(bool Value);
    TPropItem* GetPropItem(int Index) const;
    int GetPropItemIndex(TPropItem* Item) const;
    TPropItem* CurItem();
    bool Populated();
    int FindItem(const UnicodeString& Name);
    int SetSelectedPropertyPath(const UnicodeString& PropPath);
    // Names in priority order; the best row found is selected.
    int SetSelectedProperty(const std::vector<UnicodeString>& PropNames);
    void PostUpdateMsg();

    // --- Geometry and painting --------------------------------------------------------------
    int ItemLevelOffset(int Level) const;
    int CalcNewMiddle(int Value);
    int GetMiddle() const { return FMiddle; }
    void SetMiddle(int Value);
    virtual void DrawPropItem(int Index, TPropItem* Item, TCanvas* Canvas, const TRect& Rect,
                              bool Selected, bool ReadOnlySelected);

    // --- Properties -------------------------------------------------------------------------
    IPropListBoxSelection* GetSelection() const { return FSelection.Get(); }
    void SetSelection(IPropListBoxSelection* Value);
    const UnicodeString& GetFilter() const { return FFilter; }
    void SetFilter(const UnicodeString& Value);
    bool GetIndentSecondLevel() const { return FIndentSecondLevel; }
    void SetIndentSecondLevel(bool Value);
    bool GetShowGutter() const { return FShowGutter; }
    void SetShowGutter(bool Value) { FShowGutter = Value, Invalidate(); }
    bool GetShowGridLines() const { return FShowGridLines; }
    void SetShowGridLines(bool Value) { FShowGridLines = Value, Invalidate(); }
    TColor GetBackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value);
    TColor GetPropNameColor() const { return FPropNameColor; }
    TColor GetPropValueColor() const { return FPropValueColor; }
    TColor GetReferenceColor() const { return FReferenceColor; }
    TColor GetSubPropColor() const { return FSubPropColor; }
    TColor GetReadOnlyColor() const { return FReadOnlyColor; }
    TColor GetNonDefaultColor() const { return FNonDefaultColor; }
    TFontStyles GetNonDefaultFontStyle() const { return FNonDefaultFontStyle; }
    void SetNonDefaultFontStyle(TFontStyles Value);

    TAllowExpansionEvent OnAllowExpansion;
    TGetPropertiesEvent OnGetProperties;
    TGetSubPropertiesEvent OnGetSubProperties;
    TNotifyEvent OnUpdateDirtyData;
    TNotifyEvent OnAfterReset;
    TNotifyEvent OnBeforeReset;

    void Dispatch(TMessage& Message) override;

protected:
    virtual bool IsItemReadOnly(TPropItem*) { return false; }
    virtual void BeforeReset();
    virtual void AfterReset();
    virtual void BeforeAdjustItem(int) {}
    virtual void AfterAdjustItem(int) {}
    virtual void ResizeControls() {}
    // The row's own mouse handling (its editor's mouse-tracking interface)
    // comes first; true when it took the event.
    bool ItemMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    bool ItemMouseMove(TShiftState Shift, int X, int Y);
    bool ItemMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    bool ItemHintShow(THintInfo& HintInfo);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // Recomputes the divider for the current width.
    void FixDividerLine();
    void DeleteRow(int Index);
    void ClearRows();
    bool Expandable(TPropItem* Item);

    // The list box's own items, or the virtual rows.
    TStrings* FRows;
    TPropBoxStrings* FVirtualRows = nullptr;
    // The virtual rows' count told to the list, its selection kept.
    void SyncVirtualCount();
    TCanvas* FCanvas;
    int FMiddle = 0;
    int FAddIndex = 0;
    int FAddLevel = 0;
    TPropItem* FParentItem = nullptr;
    bool FRefSubProps = false;
    InterfacePtr<IPropListBoxSelection> FSelection;
    int FOldWidth = -1;
    int FOldMiddle = 0;
    TColor FHighlightColor = clHighlight;
    TColor FHighlightFontColor = clHighlightText;
    TColor FGutterColor = clActiveBorder;
    TColor FGutterEdgeColor = clHighlight;
    TColor FBackgroundColor = clWindow;
    TColor FPropValueColor = clNavy;
    TColor FPropNameColor = clBtnText;
    TColor FEditBackgroundColor = clWindow;
    TColor FEditValueColor = clWindowText;
    TColor FCategoryColor = clPurple;
    TColor FReferenceColor = clMaroon;
    TColor FSubPropColor = clGreen;
    TColor FReadOnlyColor = clBtnText;
    TColor FNonDefaultColor = clNavy;
    TFontStyles FNonDefaultFontStyle;
    bool FShowGutter = true;
    bool FShowGridLines = true;
    bool FIndentSecondLevel = true;
    UnicodeString FFilter;
    int FMouseTrackItem = -1;
    bool FHintTaken = false; // the row's editor gave the last hint
    bool FCaptured = false;
};

class TPropListBox : public TCustomPropListBox {
public:
    using TCustomPropListBox::TCustomPropListBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// The text of the message shown when a row cannot be expanded.
extern const char16_t* const SUnableToExpand;

#pragma GCC visibility pop
