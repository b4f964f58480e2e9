// An atom table: reference-counted, case-insensitive names mapped to 16-bit
// values from 0xC000 up; values below 0xC000 are integer atoms, which need no
// entry. The global atom table is one of these; other areas may keep their
// own (registered window messages, clipboard formats).
#pragma once

#include <win32/windef.h>

#include <map>
#include <mutex>
#include <string>

namespace win32 {

class AtomTable {
public:
    // All answer 0 with the last error set when they fail.
    ATOM Add(LPCWSTR name); // a name or MAKEINTATOM(n); "#123" is the integer atom 123
    ATOM Find(LPCWSTR name) const;
    bool Delete(ATOM atom); // integer atoms always delete
    // The name ("#123" for integer atoms), truncated to fit; its length.
    UINT GetName(ATOM atom, LPWSTR buffer, int size) const;

private:
    struct Entry {
        std::u16string name; // as first added
        int references = 0;
    };
    mutable std::mutex lock;
    std::map<ATOM, Entry> entries;
    std::map<std::u16string, ATOM> byKey; // upper-cased names
    ATOM next = 0xC000;
};

AtomTable& GlobalAtoms();

} // namespace win32
