// Measuring and shortening wide texts, wide message boxes and the system's
// folders.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>

#include <win32/wingdi.h>
#include <win32/winuser.h>

#include <vector>

namespace {

SIZE Measure(HDC DC, const char16_t* Text, size_t Length) {
    SIZE size{};
    if (!DC || !Text || Length == 0) return size;
    if (!GetTextExtentPoint32W(DC, Text, static_cast<int>(Length), &size)) return SIZE{};
    return size;
}

int Width(HDC DC, const UnicodeString& Text) {
    return Measure(DC, Text.c_str(), Text.size()).cx;
}

UnicodeString AskFolder(UINT (*Routine)(LPWSTR, UINT)) {
    UINT needed = Routine(nullptr, 0);
    if (needed == 0) return {};
    std::vector<char16_t> buffer(needed + 1);
    UINT length = Routine(buffer.data(), needed + 1);
    if (length == 0 || length > needed) return {};
    return UnicodeString(buffer.data(), length);
}

} // namespace

SIZE TextExtentW(PCWideChar Text, HDC DC) {
    return Text ? Measure(DC, Text, StrLenW(Text)) : SIZE{};
}

SIZE TextExtentW(const UnicodeString& Text, TFont* Font) {
    if (Text.empty() || !Font) return {};
    HDC screen = GetDC(nullptr);
    if (!screen) return {};
    HGDIOBJ old = SelectObject(screen, Font->GetHandle());
    SIZE size = Measure(screen, Text.c_str(), Text.size());
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size;
}

SIZE TextExtentW(PCWideChar Text, TCanvas* Canvas) {
    if (!Text || !*Text || !Canvas) return {};
    Canvas->Lock();
    SIZE size = Measure(Canvas->GetHandle(), Text, StrLenW(Text));
    Canvas->Unlock();
    return size;
}

SIZE TextExtentW(const UnicodeString& Text, TCanvas* Canvas) {
    return TextExtentW(Text.c_str(), Canvas);
}

bool IsTextTrueType(HDC DC) {
    TEXTMETRICW metrics{};
    return DC && GetTextMetricsW(DC, &metrics) && (metrics.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

bool IsTextTrueType(TCanvas* Canvas) {
    return Canvas && IsTextTrueType(Canvas->GetHandle());
}

SIZE TextTrueExtentsW(const UnicodeString& Text, HDC DC) {
    SIZE size = Measure(DC, Text.c_str(), Text.size());
    if (size.cx == 0 || !IsTextTrueType(DC)) return size;
    int width = 0;
    for (char16_t c : Text) {
        ABC abc{};
        if (!GetCharABCWidthsW(DC, c, c, &abc)) return size;
        width += abc.abcA + int(abc.abcB) + abc.abcC;
    }
    size.cx = width;
    return size;
}

UnicodeString ShortenStringEx(HDC DC, const UnicodeString& S, int Width, bool /*RightToLeft*/,
                              TShortenStringEllipsis EllipsisPlacement) {
    const UnicodeString dots = u"...";
    if (S.empty() || Width <= 0 || !DC) return {};
    const int ellipsis = ::Width(DC, dots);
    if (ellipsis >= Width) return {};
    switch (EllipsisPlacement) {
    case sseEnd: {
        UnicodeString rest = S;
        while (!rest.empty() && ::Width(DC, rest) + ellipsis > Width)
            rest.pop_back();
        return rest + dots;
    }
    case sseFront: {
        UnicodeString rest = S;
        while (!rest.empty() && ::Width(DC, rest) + ellipsis > Width)
            rest.erase(0, 1);
        return dots + rest;
    }
    case sseMiddle: {
        UnicodeString front = S;
        while (!front.empty() && ::Width(DC, front) > Width / 2 - ellipsis / 2)
            front.pop_back();
        UnicodeString head = front + dots;
        // The tail grows from the end of the text while the whole stays narrower.
        size_t start = S.size();
        while (start > front.size() && ::Width(DC, head + S.substr(start - 1)) < Width)
            --start;
        return head + S.substr(start);
    }
    case sseFilePathMiddle: {
        size_t slash = S.rfind(u'\\');
        UnicodeString tail = slash == UnicodeString::npos ? S : S.substr(slash);
        while (!tail.empty() && ::Width(DC, dots + tail) > Width)
            tail.erase(0, 1);
        UnicodeString front = S.substr(0, S.size() - tail.size());
        while (!front.empty() && ::Width(DC, front + dots + tail) > Width)
            front.pop_back();
        return front + dots + tail;
    }
    }
    return {};
}

int MessageBoxWide(HWND Window, const UnicodeString& ACaption, const UnicodeString& AMessage,
                   UINT uType) {
    return MessageBoxW(Window, AMessage.c_str(), ACaption.c_str(), uType);
}

void ShowWideMessage(HWND Window, const UnicodeString& ACaption, const UnicodeString& AMessage) {
    MessageBoxWide(Window, ACaption, AMessage, MB_ICONWARNING | MB_OK);
}

UnicodeString SystemDirectory() {
    return AskFolder(&GetSystemDirectoryW);
}

UnicodeString WindowsDirectory() {
    return AskFolder(&GetWindowsDirectoryW);
}
