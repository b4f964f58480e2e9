// Dropped-file blocks (CF_HDROP): reading the names and the drop point, and
// the window style that asks for WM_DROPFILES. Blocks come from other code
// and other programs, so every read stays inside the block's size.
#include <win32/shellapi.h>
#include <win32/winbase.h>
#include <win32/winnls.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The names of a block, as UTF-16; empty for a block that is not one.
std::vector<std::u16string> Names(HDROP drop, DROPFILES* headerOut = nullptr) {
    std::vector<std::u16string> names;
    HGLOBAL block = reinterpret_cast<HGLOBAL>(drop);
    const SIZE_T size = GlobalSize(block);
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(block));
    if (!bytes) return names;
    if (size >= sizeof(DROPFILES)) {
        DROPFILES header;
        std::memcpy(&header, bytes, sizeof header);
        if (headerOut) *headerOut = header;
        SIZE_T at = header.pFiles;
        if (header.fWide) {
            while (at + sizeof(char16_t) <= size) {
                std::u16string name;
                char16_t c;
                for (; at + sizeof c <= size; at += sizeof c) {
                    std::memcpy(&c, bytes + at, sizeof c);
                    if (!c) break;
                    name.push_back(c);
                }
                if (name.empty()) break; // the list's own terminator, or the end
                names.push_back(std::move(name));
                at += sizeof(char16_t);
            }
        } else {
            while (at < size) {
                const char* start = reinterpret_cast<const char*>(bytes + at);
                const size_t n = strnlen(start, size - at);
                if (n == 0) break;
                const int wide = MultiByteToWideChar(CP_ACP, 0, start, static_cast<int>(n), nullptr, 0);
                std::u16string name(static_cast<size_t>(std::max(wide, 0)), u'\0');
                if (wide > 0)
                    MultiByteToWideChar(CP_ACP, 0, start, static_cast<int>(n), name.data(), wide);
                names.push_back(std::move(name));
                at += n + 1;
            }
        }
    }
    GlobalUnlock(block);
    return names;
}

} // namespace

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
    const std::vector<std::u16string> names = Names(hDrop);
    if (iFile == 0xFFFFFFFF) return static_cast<UINT>(names.size());
    if (iFile >= names.size()) return 0;
    const std::u16string& name = names[iFile];
    if (!lpszFile) return static_cast<UINT>(name.size());
    if (cch == 0) return 0;
    const size_t n = std::min<size_t>(name.size(), cch - 1);
    std::copy_n(name.data(), n, lpszFile);
    lpszFile[n] = u'\0';
    return static_cast<UINT>(n);
}

UINT DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    const std::vector<std::u16string> names = Names(hDrop);
    if (iFile == 0xFFFFFFFF) return static_cast<UINT>(names.size());
    if (iFile >= names.size()) return 0;
    const std::u16string& name = names[iFile];
    const int need = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(need, 0)), '\0');
    if (need > 0)
        WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), bytes.data(),
                            need, nullptr, nullptr);
    if (!lpszFile) return static_cast<UINT>(bytes.size());
    if (cch == 0) return 0;
    const size_t n = std::min<size_t>(bytes.size(), cch - 1);
    std::memcpy(lpszFile, bytes.data(), n);
    lpszFile[n] = '\0';
    return static_cast<UINT>(n);
}

BOOL DragQueryPoint(HDROP hDrop, POINT* ppt) {
    DROPFILES header{};
    HGLOBAL block = reinterpret_cast<HGLOBAL>(hDrop);
    if (!ppt || GlobalSize(block) < sizeof header) return FALSE;
    const void* bytes = GlobalLock(block);
    if (!bytes) return FALSE;
    std::memcpy(&header, bytes, sizeof header);
    GlobalUnlock(block);
    *ppt = header.pt;
    return header.fNC ? FALSE : TRUE;
}

void DragFinish(HDROP hDrop) {
    if (hDrop) GlobalFree(reinterpret_cast<HGLOBAL>(hDrop));
}

void DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    if (!IsWindow(hWnd)) return;
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
    const LONG_PTR wanted = fAccept ? style | WS_EX_ACCEPTFILES : style & ~WS_EX_ACCEPTFILES;
    if (wanted != style) SetWindowLongPtrW(hWnd, GWL_EXSTYLE, wanted);
}
