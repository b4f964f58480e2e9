#include "FileBytes.h"

#include <runpak/Exceptions.h>
#include <win32/windows.h>

namespace quorlpak {

std::vector<uint8_t> ReadWholeFile(const UnicodeString& FileName) {
    HANDLE file = CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EFOpenError(u"Cannot open file \"" + FileName + u"\"");
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const UnicodeString& FileName, const std::vector<uint8_t>& Bytes) {
    HANDLE file = CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFCreateError(u"Cannot create file \"" + FileName + u"\"");
    DWORD written = 0;
    bool ok = Bytes.empty() ||
              (WriteFile(file, Bytes.data(), static_cast<DWORD>(Bytes.size()), &written, nullptr) &&
               written == Bytes.size());
    CloseHandle(file);
    if (!ok) throw EWriteError(u"Stream write error");
}

} // namespace quorlpak
