// Small helpers the standard controls share.
#pragma once

#include <quorlpak/Font.h>
#include <quorlpak/Types.h>

#include <win32/windows.h>

namespace quorlpak {

// The size DrawText gives Text in Font (DT_CALCRECT with Flags; Width bounds
// word-wrapped text). Measured on a memory DC, so no window is needed.
TSize MeasureText(TFont* Font, const UnicodeString& Text, UINT Flags = DT_SINGLELINE,
                  int Width = 0);
// The height of a line of Font.
int FontHeight(TFont* Font);

} // namespace quorlpak
