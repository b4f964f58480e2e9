// TColorBox and TColorListBox: owner-drawn lists of colours.
#include <quorlpak/ColorBox.h>
#include <quorlpak/Messages.h>

#include "PublishControls.h"
#include "StdSupport.h"

#include <algorithm>

PTypeInfo TypeInfo_TColorBoxStyles() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TColorBoxStyles",
        {u"cbStandardColors", u"cbExtendedColors", u"cbSystemColors", u"cbIncludeNone",
         u"cbIncludeDefault", u"cbCustomColor", u"cbPrettyNames", u"cbCustomColors"});
    return &info;
}

PTypeInfo TypeInfo_TColorBoxStyle() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TColorBoxStyle", TypeInfo_TColorBoxStyles());
    return &info;
}

namespace {

const TColorBoxStyle kDefaultStyle{cbStandardColors, cbExtendedColors, cbSystemColors};

constexpr TColor kStandard[] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                clBlue,  clFuchsia, clAqua,   clWhite};
constexpr TColor kExtended[] = {clMoneyGreen, clSkyBlue, clCream, clMedGray};

// "clActiveBorder" as "Active Border", "cl3DDkShadow" as "3D Dk Shadow".
UnicodeString PrettyName(const UnicodeString& Ident) {
    UnicodeString name = Ident.substr(0, 2) == u"cl" ? Ident.substr(2) : Ident;
    UnicodeString out;
    auto upper = [](char16_t c) { return c >= u'A' && c <= u'Z'; };
    auto lower = [](char16_t c) { return c >= u'a' && c <= u'z'; };
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        const bool wordStart = i > 0 && upper(c) &&
                               (lower(name[i - 1]) ||
                                (upper(name[i - 1]) && i + 1 < name.size() && lower(name[i + 1])));
        if (wordStart) out += u' ';
        out += c;
    }
    return out;
}

UnicodeString NameOf(TColor Color, bool Pretty) {
    UnicodeString ident;
    if (!ColorToIdent(Color, ident)) ident = ColorToString(Color);
    return Pretty ? PrettyName(ident) : ident;
}

int IndexOfColor(const std::vector<TColor>& Colors, TColor Color) {
    auto it = std::find(Colors.begin(), Colors.end(), Color);
    return it == Colors.end() ? -1 : static_cast<int>(it - Colors.begin());
}

TClassBuilder<TColorBox> ColorBoxDescription() {
    using T = TColorBox;
    TClassBuilder<T> b(u"TColorBox", TCustomColorBox::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"DefaultColorColor", TypeInfo_TColor, &T::GetDefaultColorColor,
               &T::SetDefaultColorColor)
        .Default(clBlack)
        .Property(u"NoneColorColor", TypeInfo_TColor, &T::GetNoneColorColor, &T::SetNoneColorColor)
        .Default(clBlack)
        .Property(u"Style", TypeInfo_TColorBoxStyle, &T::GetStyle, &T::SetStyle)
        .Default(static_cast<int>(kDefaultStyle.ToInt()))
        .Property(u"DropDownCount", IntegerTypeInfo, &T::GetDropDownCount, &T::SetDropDownCount)
        .Default(8)
        // After the style, so that the colour is found among the items.
        .Property(u"Selected", TypeInfo_TColor, &T::GetSelected, &T::SetSelected)
        .Default(clBlack)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnChange))
        .Event(u"OnCloseUp", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnCloseUp))
        .Event(u"OnDropDown", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnDropDown))
        .Event(u"OnSelect", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnSelect));
    return b;
}

TClassBuilder<TColorListBox> ColorListBoxDescription() {
    using T = TColorListBox;
    TClassBuilder<T> b(u"TColorListBox", TCustomColorListBox::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"DefaultColorColor", TypeInfo_TColor, &T::GetDefaultColorColor,
               &T::SetDefaultColorColor)
        .Default(clBlack)
        .Property(u"NoneColorColor", TypeInfo_TColor, &T::GetNoneColorColor, &T::SetNoneColorColor)
        .Default(clBlack)
        .Property(u"Style", TypeInfo_TColorBoxStyle, &T::GetStyle, &T::SetStyle)
        .Default(static_cast<int>(kDefaultStyle.ToInt()))
        .Property(u"ItemHeight", IntegerTypeInfo, &T::GetItemHeight, &T::SetItemHeight)
        .Default(16)
        .Property(u"Selected", TypeInfo_TColor, &T::GetSelected, &T::SetSelected)
        .Default(clBlack);
    return b;
}

} // namespace

namespace quorlpak {

void ColorBoxItems(TColorBoxStyle Style, std::vector<TColor>& Colors,
                   std::vector<UnicodeString>& Names) {
    Colors.clear();
    Names.clear();
    const bool pretty = Style.Contains(cbPrettyNames);
    auto add = [&](TColor c, const UnicodeString& name) {
        Colors.push_back(c);
        Names.push_back(name);
    };
    if (Style.Contains(cbIncludeNone)) add(clNone, pretty ? u"None" : u"clNone");
    if (Style.Contains(cbIncludeDefault)) add(clDefault, pretty ? u"Default" : u"clDefault");
    if (Style.Contains(cbStandardColors))
        for (TColor c : kStandard)
            add(c, NameOf(c, pretty));
    if (Style.Contains(cbExtendedColors))
        for (TColor c : kExtended)
            add(c, NameOf(c, pretty));
    if (Style.Contains(cbSystemColors))
        for (int i = 0; i <= 30; ++i) {
            const TColor c = clSystemColor | i;
            UnicodeString ident;
            if (ColorToIdent(c, ident)) add(c, pretty ? PrettyName(ident) : ident);
        }
}

void DrawColorItem(TCanvas* Canvas, const TRect& Rect, TColor Color, const UnicodeString& Name,
                   TColor NoneColor, TColor DefaultColor) {
    Canvas->FillRect(Rect);
    const TColor text = Canvas->GetFont()->GetColor();
    const TColor back = Canvas->GetBrush()->GetColor();
    const int side = std::max(0, Rect.bottom - Rect.top - 4);
    TRect swatch(Rect.left + 2, Rect.top + 2, Rect.left + 2 + side, Rect.top + 2 + side);
    Canvas->GetBrush()->SetColor(Color == clNone      ? NoneColor
                                 : Color == clDefault ? DefaultColor
                                                      : Color);
    Canvas->GetPen()->SetColor(clBlack);
    Canvas->Rectangle(swatch);
    Canvas->GetBrush()->SetColor(back);
    Canvas->GetFont()->SetColor(text);
    const TRect textRect(swatch.right + 2, Rect.top, Rect.right, Rect.bottom);
    const int y = Rect.top + (Rect.bottom - Rect.top - Canvas->TextHeight(Name)) / 2;
    Canvas->TextRect(textRect, textRect.left + 2, y, Name);
}

} // namespace quorlpak

// --- TColorBox ------------------------------------------------------------------------------

TClass TCustomColorBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomColorBox>(u"TCustomColorBox", TCustomComboBox::StaticClass()));
    return &meta;
}

TClass TColorBox::StaticClass() {
    static const TMetaClass meta(ColorBoxDescription());
    return &meta;
}

TCustomColorBox::TCustomColorBox(TComponent* AOwner)
    : TCustomComboBox(AOwner), FColorStyle(kDefaultStyle) {
    FStyle = csOwnerDrawFixed;
    FWidth = 145;
    PopulateList();
}

TCustomColorBox::~TCustomColorBox() {
    delete FCanvas;
}

void TCustomColorBox::CreateParams(TCreateParams& Params) {
    TCustomComboBox::CreateParams(Params);
    Params.Style &= ~DWORD(CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST);
    Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
}

namespace {

// Fills a colour box's or colour list's items (and its colours) for Style.
void FillColorItems(TColorBoxStyle Style, std::vector<TColor>& Colors, TStrings* Items) {
    std::vector<UnicodeString> names;
    quorlpak::ColorBoxItems(Style, Colors, names);
    Items->BeginUpdate();
    Items->Clear();
    for (const UnicodeString& name : names)
        Items->Add(name);
    Items->EndUpdate();
}

} // namespace

void TCustomColorBox::PopulateList() {
    const TColor selected = GetSelected();
    FillColorItems(FColorStyle, FColors, FItems);
    SetSelected(selected);
}

void TCustomColorBox::SetStyle(TColorBoxStyle Value) {
    if (FColorStyle == Value) return;
    FColorStyle = Value;
    PopulateList();
}

TColor TCustomColorBox::GetSelected() {
    const int index = GetItemIndex();
    return index >= 0 && index < GetCount() ? FColors[size_t(index)] : NoColorSelected;
}

void TCustomColorBox::SetSelected(TColor Value) {
    SetItemIndex(Value == NoColorSelected ? -1 : IndexOfColor(FColors, Value));
}

TColor TCustomColorBox::GetColors(int Index) const {
    return Index >= 0 && Index < GetCount() ? FColors[size_t(Index)] : NoColorSelected;
}

UnicodeString TCustomColorBox::GetColorNames(int Index) const {
    return Index >= 0 && Index < FItems->GetCount() ? FItems->Get(Index) : UnicodeString();
}

void TCustomColorBox::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_MEASUREITEM) {
        if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))
            mis->itemHeight = static_cast<UINT>(std::max(16, quorlpak::FontHeight(FFont) + 2));
        Message.Result = 1;
        return;
    }
    if (Message.Msg == CN_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        Message.Result = 1;
        if (!dis) return;
        if (!FCanvas) {
            FCanvas = new TControlCanvas;
            FCanvas->SetControl(this);
        }
        FCanvas->SetHandle(dis->hDC);
        FCanvas->SetFont(GetFont());
        FCanvas->GetBrush()->SetColor(TControl::GetColor());
        if (dis->itemState & ODS_SELECTED) {
            FCanvas->GetBrush()->SetColor(clHighlight);
            FCanvas->GetFont()->SetColor(clHighlightText);
        }
        const TRect rect(dis->rcItem);
        const int index = static_cast<int>(dis->itemID);
        if (index >= 0 && index < GetCount())
            quorlpak::DrawColorItem(FCanvas, rect, FColors[size_t(index)], FItems->Get(index),
                                    FNoneColorColor, FDefaultColorColor);
        else
            FCanvas->FillRect(rect);
        if (dis->itemState & ODS_FOCUS) FCanvas->DrawFocusRect(rect);
        FCanvas->SetHandle(nullptr);
        return;
    }
    TCustomComboBox::Dispatch(Message);
}

// --- TColorListBox ----------------------------------------------------------------------------

TClass TCustomColorListBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomColorListBox>(u"TCustomColorListBox", TCustomListBox::StaticClass()));
    return &meta;
}

TClass TColorListBox::StaticClass() {
    static const TMetaClass meta(ColorListBoxDescription());
    return &meta;
}

TCustomColorListBox::TCustomColorListBox(TComponent* AOwner)
    : TCustomListBox(AOwner), FColorStyle(kDefaultStyle) {
    FStyle = lbOwnerDrawFixed;
    FItemHeight = 16;
    PopulateList();
}

void TCustomColorListBox::PopulateList() {
    const TColor selected = GetSelected();
    FillColorItems(FColorStyle, FColors, FItems);
    SetSelected(selected);
}

void TCustomColorListBox::SetStyle(TColorBoxStyle Value) {
    if (FColorStyle == Value) return;
    FColorStyle = Value;
    PopulateList();
}

TColor TCustomColorListBox::GetSelected() {
    const int index = GetItemIndex();
    return index >= 0 && index < GetCount() ? FColors[size_t(index)] : NoColorSelected;
}

void TCustomColorListBox::SetSelected(TColor Value) {
    SetItemIndex(Value == NoColorSelected ? -1 : IndexOfColor(FColors, Value));
}

TColor TCustomColorListBox::GetColors(int Index) const {
    return Index >= 0 && Index < GetCount() ? FColors[size_t(Index)] : NoColorSelected;
}

UnicodeString TCustomColorListBox::GetColorNames(int Index) const {
    return Index >= 0 && Index < FItems->GetCount() ? FItems->Get(Index) : UnicodeString();
}

void TCustomColorListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        TCustomListBox::DrawItem(Index, Rect, State);
        return;
    }
    if (Index < 0 || Index >= GetCount()) {
        GetCanvas()->FillRect(Rect);
        return;
    }
    quorlpak::DrawColorItem(GetCanvas(), Rect, FColors[size_t(Index)], FItems->Get(Index),
                            FNoneColorColor, FDefaultColorColor);
}

void RegisterColorBoxClasses() {
    RegisterClasses({TColorBox::StaticClass(), TColorListBox::StaticClass()});
}
