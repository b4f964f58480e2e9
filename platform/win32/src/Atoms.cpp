#include "AtomTable.h"

#include <win32/winbase.h>
#include <win32/winnls.h>

namespace win32 {
namespace {

constexpr size_t kMaxAtomName = 255;

// Case folding for names: ASCII and Latin-1 letters.
std::u16string Key(const std::u16string& name) {
    std::u16string key = name;
    for (char16_t& c : key) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 0x20);
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
            c = static_cast<char16_t>(c - 0x20);
    }
    return key;
}

// Whether a name gives an integer atom (MAKEINTATOM(n) or "#n"); its value,
// which may still be out of range (0 or 0xC000 and up), or 0 when too large.
ATOM IntegerAtom(LPCWSTR name, bool& isInteger) {
    isInteger = false;
    if (IS_INTRESOURCE(name)) {
        isInteger = true;
        return LOWORD(name);
    }
    if (name[0] != u'#' || name[1] == 0) return 0;
    unsigned long value = 0;
    for (LPCWSTR p = name + 1; *p; ++p) {
        if (*p < u'0' || *p > u'9') return 0;
        value = value * 10 + (*p - u'0');
        if (value > 0xFFFF) value = 0x10000; // stays out of range
    }
    isInteger = true;
    return value <= 0xFFFF ? static_cast<ATOM>(value) : 0;
}

bool CheckInteger(ATOM atom) {
    if (atom == 0 || atom >= MAXINTATOM) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

bool CheckName(LPCWSTR name) {
    if (!name || !*name || std::char_traits<char16_t>::length(name) > kMaxAtomName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

} // namespace

ATOM AtomTable::Add(LPCWSTR name) {
    bool isInteger;
    ATOM integer = name ? IntegerAtom(name, isInteger) : 0;
    if (name && isInteger) return CheckInteger(integer) ? integer : 0;
    if (!CheckName(name)) return 0;
    std::lock_guard<std::mutex> guard(lock);
    std::u16string key = Key(name);
    auto found = byKey.find(key);
    if (found != byKey.end()) {
        ++entries[found->second].references;
        return found->second;
    }
    if (entries.size() >= 0x10000 - MAXINTATOM) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    while (entries.count(next))
        next = next == 0xFFFF ? MAXINTATOM : next + 1;
    ATOM atom = next;
    next = next == 0xFFFF ? MAXINTATOM : next + 1;
    entries[atom] = Entry{name, 1};
    byKey[key] = atom;
    return atom;
}

ATOM AtomTable::Find(LPCWSTR name) const {
    bool isInteger;
    ATOM integer = name ? IntegerAtom(name, isInteger) : 0;
    if (name && isInteger) return CheckInteger(integer) ? integer : 0;
    if (!CheckName(name)) return 0;
    std::lock_guard<std::mutex> guard(lock);
    auto found = byKey.find(Key(name));
    if (found == byKey.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return found->second;
}

bool AtomTable::Delete(ATOM atom) {
    if (atom != 0 && atom < MAXINTATOM) return true;
    std::lock_guard<std::mutex> guard(lock);
    auto it = entries.find(atom);
    if (it == entries.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (--it->second.references == 0) {
        byKey.erase(Key(it->second.name));
        entries.erase(it);
    }
    return true;
}

UINT AtomTable::GetName(ATOM atom, LPWSTR buffer, int size) const {
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::u16string name;
    if (atom != 0 && atom < MAXINTATOM) {
        std::string digits = "#" + std::to_string(atom);
        name.assign(digits.begin(), digits.end());
    } else {
        std::lock_guard<std::mutex> guard(lock);
        auto it = entries.find(atom);
        if (it == entries.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        name = it->second.name;
    }
    size_t count = std::min(name.size(), static_cast<size_t>(size - 1));
    name.copy(buffer, count);
    buffer[count] = 0;
    return static_cast<UINT>(count);
}

AtomTable& GlobalAtoms() {
    static auto* table = new AtomTable;
    return *table;
}

namespace {

AtomTable& LocalAtoms() {
    static auto* table = new AtomTable;
    return *table;
}

std::u16string Widen(LPCSTR text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 0) return u"";
    std::u16string wide(size, u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.pop_back();
    return wide;
}

} // namespace
} // namespace win32

using win32::GlobalAtoms;

ATOM GlobalAddAtomW(LPCWSTR name) {
    return GlobalAtoms().Add(name);
}

ATOM GlobalAddAtomA(LPCSTR name) {
    if (!name || IS_INTRESOURCE(name)) return GlobalAtoms().Add(reinterpret_cast<LPCWSTR>(name));
    return GlobalAtoms().Add(win32::Widen(name).c_str());
}

ATOM GlobalFindAtomW(LPCWSTR name) {
    return GlobalAtoms().Find(name);
}

ATOM GlobalFindAtomA(LPCSTR name) {
    if (!name || IS_INTRESOURCE(name)) return GlobalAtoms().Find(reinterpret_cast<LPCWSTR>(name));
    return GlobalAtoms().Find(win32::Widen(name).c_str());
}

ATOM GlobalDeleteAtom(ATOM atom) {
    return GlobalAtoms().Delete(atom) ? 0 : atom;
}

UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int size) {
    return GlobalAtoms().GetName(atom, buffer, size);
}

ATOM AddAtomW(LPCWSTR name) {
    return win32::LocalAtoms().Add(name);
}
ATOM FindAtomW(LPCWSTR name) {
    return win32::LocalAtoms().Find(name);
}
ATOM DeleteAtom(ATOM atom) {
    return win32::LocalAtoms().Delete(atom) ? 0 : atom;
}
UINT GetAtomNameW(ATOM atom, LPWSTR buffer, int size) {
    return win32::LocalAtoms().GetName(atom, buffer, size);
}
