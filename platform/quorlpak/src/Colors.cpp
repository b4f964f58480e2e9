#include <quorlpak/Colors.h>

#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/Strings.h>
#include <win32/winuser.h>

#include <iterator>

namespace {

struct ColorName {
    TColor Color;
    const char16_t* Name;
};

constexpr ColorName kColorNames[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
};

} // namespace

COLORREF ColorToRGB(TColor Color) {
    if (Color < 0) return GetSysColor(Color & 0xFF);
    return static_cast<COLORREF>(Color);
}

bool ColorToIdent(TColor Color, UnicodeString& Ident) {
    for (const ColorName& c : kColorNames)
        if (c.Color == Color) {
            Ident = c.Name;
            return true;
        }
    return false;
}

bool IdentToColor(const UnicodeString& Ident, TColor& Color) {
    for (const ColorName& c : kColorNames)
        if (SameText(Ident, c.Name)) {
            Color = c.Color;
            return true;
        }
    return false;
}

UnicodeString ColorToString(TColor Color) {
    UnicodeString name;
    if (ColorToIdent(Color, name)) return name;
    return Format(u"$%.8x", static_cast<int>(Color));
}

TColor StringToColor(const UnicodeString& S) {
    TColor color;
    if (IdentToColor(S, color)) return color;
    return static_cast<TColor>(StrToInt(S));
}
