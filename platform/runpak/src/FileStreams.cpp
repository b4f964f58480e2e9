#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/Streams.h>
#include <runpak/Strings.h>
#include <win32/fileapi.h>
#include <win32/winbase.h>

// --- THandleStream ---------------------------------------------------------

int THandleStream::Read(void* buffer, int count) {
    if (count <= 0) return 0;
    DWORD moved = 0;
    if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &moved, nullptr)) return 0;
    return static_cast<int>(moved);
}

int THandleStream::Write(const void* buffer, int count) {
    if (count <= 0) return 0;
    DWORD moved = 0;
    if (!WriteFile(FHandle, buffer, static_cast<DWORD>(count), &moved, nullptr)) return 0;
    return static_cast<int>(moved);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(FHandle, distance, &position, kMethods[origin])) return -1;
    return position.QuadPart;
}

void THandleStream::SetSize(int64_t newSize) {
    Seek(newSize, soBeginning);
    if (SetEndOfFile(FHandle)) return;
    DWORD code = GetLastError();
    EOSError error(
        Format(u"System Error.  Code: %d.\r\n%s", static_cast<int>(code), SysErrorMessage(code)));
    error.ErrorCode = code;
    throw error;
}

// --- TFileStream -----------------------------------------------------------

// The share part of a file mode, as CreateFileW takes it. The compatibility
// mode shares nothing, as exclusive does.
static DWORD ShareMode(uint16_t mode) {
    switch (mode & 0x00F0) {
    case fmShareDenyWrite:
        return FILE_SHARE_READ;
    case fmShareDenyRead:
        return FILE_SHARE_WRITE;
    case fmShareDenyNone:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

static DWORD AccessMode(uint16_t mode) {
    switch (mode & 0x0003) {
    case fmOpenWrite:
        return GENERIC_WRITE;
    case fmOpenReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

TFileStream::TFileStream(const UnicodeString& fileName, uint16_t mode, uint32_t rights)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(fileName) {
    if ((mode & fmCreate) == fmCreate) {
        DWORD disposition = (mode & fmExclusive) ? CREATE_NEW : CREATE_ALWAYS;
        FHandle = CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, ShareMode(mode),
                              nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (FHandle == INVALID_HANDLE_VALUE)
            throw EFCreateError(Format(u"Cannot create file \"%s\". %s", fileName,
                                       SysErrorMessage(GetLastError())));
        return;
    }
    FHandle = CreateFileW(fileName.c_str(), AccessMode(mode), ShareMode(mode), nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
        throw EFOpenError(
            Format(u"Cannot open file \"%s\". %s", fileName, SysErrorMessage(GetLastError())));
}

TFileStream::~TFileStream() {
    if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

// --- File forms of the memory stream and the string list -------------------

void TCustomMemoryStream::SaveToFile(const UnicodeString& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(&stream);
}

void TMemoryStream::LoadFromFile(const UnicodeString& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}
