#include "StdSupport.h"

namespace quorlpak {

TSize MeasureText(TFont* Font, const UnicodeString& Text, UINT Flags, int Width) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    RECT r{0, 0, Width, 0};
    DrawTextW(dc, Text.c_str(), int(Text.size()), &r, Flags | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    return TSize{r.right - r.left, r.bottom - r.top};
}

int FontHeight(TFont* Font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    return tm.tmHeight;
}

} // namespace quorlpak
