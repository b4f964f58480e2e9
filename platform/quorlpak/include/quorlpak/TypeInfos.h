// Type records of the enumerations, sets and numeric types that the classes
// of this library publish, for streaming and the object inspector.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/TypeInfo.h>

PTypeInfo TypeInfo_TColor();
PTypeInfo TypeInfo_TCursor();
PTypeInfo TypeInfo_TFontStyle();
PTypeInfo TypeInfo_TFontStyles();
PTypeInfo TypeInfo_TFontPitch();
PTypeInfo TypeInfo_TFontQuality();
PTypeInfo TypeInfo_TFontCharset();
PTypeInfo TypeInfo_TAlign();
PTypeInfo TypeInfo_TAnchorKind();
PTypeInfo TypeInfo_TAnchors();
PTypeInfo TypeInfo_TBiDiMode();
PTypeInfo TypeInfo_TDragMode();
PTypeInfo TypeInfo_TDragKind();
PTypeInfo TypeInfo_TImeMode();
PTypeInfo TypeInfo_TBevelCut();
PTypeInfo TypeInfo_TBevelKind();
PTypeInfo TypeInfo_TBevelEdge();
PTypeInfo TypeInfo_TBevelEdges();
PTypeInfo TypeInfo_TFormBorderStyle();
PTypeInfo TypeInfo_TBorderIcon();
PTypeInfo TypeInfo_TBorderIcons();
PTypeInfo TypeInfo_TFormStyle();
PTypeInfo TypeInfo_TPosition();
PTypeInfo TypeInfo_TWindowState();
PTypeInfo TypeInfo_TModalResult();

#pragma GCC visibility pop
