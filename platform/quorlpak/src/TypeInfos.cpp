#include <quorlpak/TypeInfos.h>

#define QUORLPAK_INTEGER_TYPE(name)                                                                \
    PTypeInfo TypeInfo_##name() {                                                                  \
        static const TTypeInfo info = [] {                                                         \
            TTypeInfo t;                                                                           \
            t.Kind = tkInteger;                                                                    \
            t.Name = u## #name;                                                                    \
            return t;                                                                              \
        }();                                                                                       \
        return &info;                                                                              \
    }

#define QUORLPAK_ENUM_TYPE(name, ...)                                                              \
    PTypeInfo TypeInfo_##name() {                                                                  \
        static const TTypeInfo info = MakeEnumTypeInfo(u## #name, {__VA_ARGS__});                  \
        return &info;                                                                              \
    }

#define QUORLPAK_SET_TYPE(name, element)                                                           \
    PTypeInfo TypeInfo_##name() {                                                                  \
        static const TTypeInfo info = MakeSetTypeInfo(u## #name, TypeInfo_##element());            \
        return &info;                                                                              \
    }

QUORLPAK_INTEGER_TYPE(TColor)
QUORLPAK_INTEGER_TYPE(TCursor)
QUORLPAK_INTEGER_TYPE(TFontCharset)
QUORLPAK_INTEGER_TYPE(TModalResult)
QUORLPAK_ENUM_TYPE(TFontStyle, u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut")
QUORLPAK_SET_TYPE(TFontStyles, TFontStyle)
QUORLPAK_ENUM_TYPE(TFontPitch, u"fpDefault", u"fpVariable", u"fpFixed")
QUORLPAK_ENUM_TYPE(TFontQuality, u"fqDefault", u"fqDraft", u"fqProof", u"fqNonAntialiased",
                   u"fqAntialiased", u"fqClearType", u"fqClearTypeNatural")
QUORLPAK_ENUM_TYPE(TAlign, u"alNone", u"alTop", u"alBottom", u"alLeft", u"alRight", u"alClient",
                   u"alCustom")
QUORLPAK_ENUM_TYPE(TAnchorKind, u"akLeft", u"akTop", u"akRight", u"akBottom")
QUORLPAK_SET_TYPE(TAnchors, TAnchorKind)
QUORLPAK_ENUM_TYPE(TBiDiMode, u"bdLeftToRight", u"bdRightToLeft", u"bdRightToLeftNoAlign",
                   u"bdRightToLeftReadingOnly")
QUORLPAK_ENUM_TYPE(TDragMode, u"dmManual", u"dmAutomatic")
QUORLPAK_ENUM_TYPE(TDragKind, u"dkDrag", u"dkDock")
QUORLPAK_ENUM_TYPE(TImeMode, u"imDisable", u"imClose", u"imOpen", u"imDontCare", u"imSAlpha",
                   u"imAlpha", u"imHira", u"imSKata", u"imKata", u"imChinese", u"imSHanguel",
                   u"imHanguel")
QUORLPAK_ENUM_TYPE(TBevelCut, u"bvNone", u"bvLowered", u"bvRaised", u"bvSpace")
QUORLPAK_ENUM_TYPE(TBevelKind, u"bkNone", u"bkTile", u"bkSoft", u"bkFlat")
QUORLPAK_ENUM_TYPE(TBevelEdge, u"beLeft", u"beTop", u"beRight", u"beBottom")
QUORLPAK_SET_TYPE(TBevelEdges, TBevelEdge)
QUORLPAK_ENUM_TYPE(TFormBorderStyle, u"bsNone", u"bsSingle", u"bsSizeable", u"bsDialog",
                   u"bsToolWindow", u"bsSizeToolWin")
QUORLPAK_ENUM_TYPE(TBorderIcon, u"biSystemMenu", u"biMinimize", u"biMaximize", u"biHelp")
QUORLPAK_SET_TYPE(TBorderIcons, TBorderIcon)
QUORLPAK_ENUM_TYPE(TFormStyle, u"fsNormal", u"fsMDIChild", u"fsMDIForm", u"fsStayOnTop")
QUORLPAK_ENUM_TYPE(TPosition, u"poDesigned", u"poDefault", u"poDefaultPosOnly",
                   u"poDefaultSizeOnly", u"poScreenCenter", u"poDesktopCenter", u"poMainFormCenter",
                   u"poOwnerFormCenter")
QUORLPAK_ENUM_TYPE(TWindowState, u"wsNormal", u"wsMinimized", u"wsMaximized")
