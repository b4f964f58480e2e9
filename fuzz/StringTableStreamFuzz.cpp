// The string-table stream loader on arbitrary bytes: it either loads, and
// what it saves loads back the same, or it raises EReadError and keeps the
// table as it was.
#include "benchkit/controls/Collections.h"

#include <runpak/Streams.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TStringHashTable table(size % 2 == 0);
    table.Add(u"sentinel", u"kept");
    TBytesStream stream(TBytes(data, data + size));
    try {
        table.LoadFromStream(&stream);
    } catch (const EReadError&) {
        if (table.GetCount() != 1 || table[u"sentinel"] != u"kept") std::abort();
        return 0;
    }
    TBytesStream saved;
    table.SaveToStream(&saved);
    saved.SetPosition(0);
    TWideStringHashTable again(true);
    again.LoadFromStream(&saved);
    if (again.GetCount() > table.GetCount()) std::abort();
    for (const auto& pair : table)
        if (table[pair.Key] != pair.Value) std::abort();
    return 0;
}
