// Small helpers shared by the sources of the file API.
#pragma once

#include <win32/winbase.h>

#include <string_view>

namespace win32 {

inline std::u16string_view WideView(LPCWSTR text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

// Sets the last error and answers FALSE, for the BOOL calls.
inline BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Windows' convention for text answers: when the text and its terminator fit,
// copy them and answer the length without the terminator; otherwise answer the
// size needed, terminator included, and copy nothing.
inline DWORD CopyOut(std::u16string_view text, LPWSTR buffer, DWORD bufferLength) {
    if (!buffer || bufferLength < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    return static_cast<DWORD>(text.size());
}

// Whether a Windows path holds wildcards, which no file's name may hold (the
// "\\?\" and "\\.\" prefixes aside).
inline bool PathHasWildcards(std::u16string_view path) {
    if (path.size() >= 4 && path[0] == u'\\' && path[1] == u'\\' && (path[2] == u'?' || path[2] == u'.') &&
        path[3] == u'\\')
        path.remove_prefix(4);
    return path.find_first_of(u"*?") != std::u16string_view::npos;
}

} // namespace win32
