// Colour choosers: TColorBox (a drop-down list) and TColorListBox (a list)
// of colours, each item a swatch and a name. Style picks the groups listed:
// the 16 standard colours, 4 extended ones, the system colours, and "None"
// and "Default" entries; with cbPrettyNames the names read "Active Border"
// rather than "clActiveBorder".
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Canvas.h>
#include <quorlpak/StdCtrls.h>

#include <runpak/Set.h>

#include <vector>

// cbCustomColor and cbCustomColors are accepted for descriptions but add no
// items: there is no colour dialog to ask for a custom colour.
enum TColorBoxStyles {
    cbStandardColors,
    cbExtendedColors,
    cbSystemColors,
    cbIncludeNone,
    cbIncludeDefault,
    cbCustomColor,
    cbPrettyNames,
    cbCustomColors
};
using TColorBoxStyle = TSet<TColorBoxStyles, 8>;
PTypeInfo TypeInfo_TColorBoxStyles();
PTypeInfo TypeInfo_TColorBoxStyle();

// Selected's answer with nothing selected; setting it selects nothing.
constexpr TColor NoColorSelected = static_cast<TColor>(0xFF000000);

namespace quorlpak {
// The colours and names a colour chooser of Style lists, in order.
void ColorBoxItems(TColorBoxStyle Style, std::vector<TColor>& Colors,
                   std::vector<UnicodeString>& Names);
// Swatch and name of one item, on a canvas set up for the item's state.
void DrawColorItem(TCanvas* Canvas, const TRect& Rect, TColor Color, const UnicodeString& Name,
                   TColor NoneColor, TColor DefaultColor);
} // namespace quorlpak

class TCustomColorBox : public TCustomComboBox {
public:
    explicit TCustomColorBox(TComponent* AOwner);
    ~TCustomColorBox() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TColorBoxStyle GetStyle() const { return FColorStyle; }
    void SetStyle(TColorBoxStyle Value);
    TColor GetSelected();
    void SetSelected(TColor Value);
    int GetCount() const { return static_cast<int>(FColors.size()); }
    TColor GetColors(int Index) const;
    UnicodeString GetColorNames(int Index) const;
    TColor GetNoneColorColor() const { return FNoneColorColor; }
    void SetNoneColorColor(TColor Value) { FNoneColorColor = Value; }
    TColor GetDefaultColorColor() const { return FDefaultColorColor; }
    void SetDefaultColorColor(TColor Value) { FDefaultColorColor = Value; }

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void PopulateList();

private:
    TColorBoxStyle FColorStyle;
    std::vector<TColor> FColors;
    TColor FNoneColorColor = clBlack;
    TColor FDefaultColorColor = clBlack;
    TControlCanvas* FCanvas = nullptr;
};

class TColorBox : public TCustomColorBox {
public:
    using TCustomColorBox::TCustomColorBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

class TCustomColorListBox : public TCustomListBox {
public:
    explicit TCustomColorListBox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TColorBoxStyle GetStyle() const { return FColorStyle; }
    void SetStyle(TColorBoxStyle Value);
    TColor GetSelected();
    void SetSelected(TColor Value);
    int GetCount() const { return static_cast<int>(FColors.size()); }
    TColor GetColors(int Index) const;
    UnicodeString GetColorNames(int Index) const;
    TColor GetNoneColorColor() const { return FNoneColorColor; }
    void SetNoneColorColor(TColor Value) { FNoneColorColor = Value; }
    TColor GetDefaultColorColor() const { return FDefaultColorColor; }
    void SetDefaultColorColor(TColor Value) { FDefaultColorColor = Value; }

protected:
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void PopulateList();

private:
    TColorBoxStyle FColorStyle;
    std::vector<TColor> FColors;
    TColor FNoneColorColor = clBlack;
    TColor FDefaultColorColor = clBlack;
};

class TColorListBox : public TCustomColorListBox {
public:
    using TCustomColorListBox::TCustomColorListBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// Registers TColorBox and TColorListBox for streaming.
void RegisterColorBoxClasses();

#pragma GCC visibility pop
