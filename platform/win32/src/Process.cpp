// The process: exit, environment, command line, version and system facts.
#include "Paths.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>
#include <win32/winnls.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <unistd.h>

extern char** environ;

namespace {

struct ExitHook {
    std::mutex lock;
    std::function<void(UINT)> hook;
};

ExitHook& TheExitHook() {
    static auto* hook = new ExitHook;
    return *hook;
}

// setenv and getenv must not overlap; the layer's own calls take this lock.
std::mutex& EnvironmentLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::string ToUtf8(const std::u16string& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::u16string FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(size, u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

bool SameNameIgnoringCase(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 0x20;
        if (y >= 'a' && y <= 'z') y -= 0x20;
        if (x != y) return false;
    }
    return true;
}

// A variable's value; names match exactly first, then ignoring ASCII case as
// Windows does. Expects EnvironmentLock() held.
bool Lookup(const std::string& name, std::string& value) {
    if (const char* exact = std::getenv(name.c_str())) {
        value = exact;
        return true;
    }
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals && static_cast<size_t>(equals - *entry) == name.size() &&
            SameNameIgnoringCase(*entry, name.c_str(), name.size())) {
            value = equals + 1;
            return true;
        }
    }
    // Programs start "the command interpreter" by this name; here that is
    // the POSIX shell, under its Windows name.
    if (name.size() == 7 && SameNameIgnoringCase(name.c_str(), "COMSPEC", 7)) {
        value = ToUtf8(win32::ToWindowsPath("/bin/sh"));
        return !value.empty();
    }
    return false;
}

// Copies a text with its NUL; the length without the NUL, or the size needed
// (NUL included) when it does not fit.
DWORD CopyOut(const std::u16string& text, LPWSTR buffer, DWORD size) {
    if (!buffer || size < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(text.size());
}

// Windows' rules for quoting an argument on a command line.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string CommandLine() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string line;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        if (!line.empty()) line += ' ';
        line += Quote(raw.substr(start, end - start));
        start = end + 1;
    }
    return line;
}

UINT errorMode = 0;

} // namespace

namespace TestSeams {
void SetExitHook(std::function<void(UINT)> hook) {
    ExitHook& h = TheExitHook();
    std::lock_guard<std::mutex> guard(h.lock);
    h.hook = std::move(hook);
}
} // namespace TestSeams

void ExitProcess(UINT exitCode) {
    std::function<void(UINT)> hook;
    {
        ExitHook& h = TheExitHook();
        std::lock_guard<std::mutex> guard(h.lock);
        hook = h.hook;
    }
    if (hook) {
        hook(exitCode);
        throw TestSeams::ProcessExited{exitCode};
    }
    std::fflush(nullptr); // what the program printed is not lost
    _exit(static_cast<int>(exitCode));
}

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string value;
    {
        std::lock_guard<std::mutex> guard(EnvironmentLock());
        if (!Lookup(ToUtf8(name), value)) {
            SetLastError(ERROR_ENVVAR_NOT_FOUND);
            return 0;
        }
    }
    SetLastError(ERROR_SUCCESS); // an empty value answers 0 too
    return CopyOut(FromUtf8(value), buffer, size);
}

BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value) {
    if (!name || !*name ||
        std::char_traits<char16_t>::find(name, std::char_traits<char16_t>::length(name), u'=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string key = ToUtf8(name);
    std::lock_guard<std::mutex> guard(EnvironmentLock());
    int result = value ? setenv(key.c_str(), ToUtf8(value).c_str(), 1) : unsetenv(key.c_str());
    if (result != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

// %NAME% becomes the variable's value; unknown names and a lone % stay as written.
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size) {
    if (!source) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string in(source), out;
    std::lock_guard<std::mutex> guard(EnvironmentLock());
    size_t at = 0;
    while (at < in.size()) {
        size_t open = in.find(u'%', at);
        size_t close = open == std::u16string::npos ? open : in.find(u'%', open + 1);
        if (close == std::u16string::npos) {
            out += in.substr(at);
            break;
        }
        out += in.substr(at, open - at);
        std::string value;
        if (close > open + 1 && Lookup(ToUtf8(in.substr(open + 1, close - open - 1)), value)) {
            out += FromUtf8(value);
            at = close + 1;
        } else {
            // Not a variable: keep the first % and look again from the second.
            out += u'%';
            at = open + 1;
        }
    }
    DWORD needed = static_cast<DWORD>(out.size() + 1);
    if (destination && size >= needed)
        std::memcpy(destination, out.c_str(), needed * sizeof(WCHAR));
    return needed;
}

LPSTR GetCommandLineA() {
    static std::string* line = new std::string(CommandLine());
    return line->data();
}

LPWSTR GetCommandLineW() {
    static std::u16string* line = new std::u16string(FromUtf8(GetCommandLineA()));
    return line->data();
}

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DWORD size = info->dwOSVersionInfoSize;
    std::memset(info, 0, size);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 19045;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    if (size == sizeof(OSVERSIONINFOEXW))
        reinterpret_cast<LPOSVERSIONINFOEXW>(info)->wProductType = VER_NT_WORKSTATION;
    return TRUE;
}

DWORD GetVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(&info);
    return info.dwBuildNumber << 16 | info.dwMinorVersion << 8 | info.dwMajorVersion;
}

void GetSystemInfo(LPSYSTEM_INFO info) {
    if (!info) return;
    *info = SYSTEM_INFO{};
#if defined(__aarch64__)
    info->u.s.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
#elif defined(__x86_64__)
    info->u.s.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    info->dwProcessorType = PROCESSOR_AMD_X8664;
#else
    info->u.s.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    info->dwProcessorType = PROCESSOR_INTEL_PENTIUM;
#endif
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
    info->dwActiveProcessorMask = info->dwNumberOfProcessors >= 64
                                      ? ~DWORD_PTR{0}
                                      : (DWORD_PTR{1} << info->dwNumberOfProcessors) - 1;
    info->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
    info->dwAllocationGranularity = 65536;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFF);
}

void OutputDebugStringW(LPCWSTR text) {
    if (!text || !std::getenv("WINLAYER_DEBUGSTRINGS")) return;
    std::string line = ToUtf8(text);
    std::fprintf(stderr, "%s", line.c_str());
}

void OutputDebugStringA(LPCSTR text) {
    if (!text || !std::getenv("WINLAYER_DEBUGSTRINGS")) return;
    std::fprintf(stderr, "%s", text);
}

UINT SetErrorMode(UINT mode) {
    return __atomic_exchange_n(&errorMode, mode, __ATOMIC_SEQ_CST);
}

UINT GetErrorMode() {
    return __atomic_load_n(&errorMode, __ATOMIC_SEQ_CST);
}
