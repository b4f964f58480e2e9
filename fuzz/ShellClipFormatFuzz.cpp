// Item-list arrays and dropped-file blocks from another program, on arbitrary
// bytes: a block is either refused or every name and list read from it lies
// inside the bytes that were given (the sanitizers see any read past them).
#include "benchkit/shell/IDEVirtualDataObject.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past the end is a sanitizer report.
    std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(block.get(), data, size);

    THDrop drop;
    size_t dropSize = DropFilesBlockSize(block.get(), size);
    if (drop.SetDropFiles(block.get(), size) != (dropSize != 0)) std::abort();
    if (dropSize > size) std::abort();
    for (int i = 0; i <= drop.FileCount(); ++i)
        (void)drop.FileName(i);

    TShellIDList ids;
    size_t cidaSize = CIDABlockSize(block.get(), size);
    if (ids.SetCIDA(block.get(), size) != (cidaSize != 0)) std::abort();
    if (cidaSize > size) std::abort();
    if (cidaSize) {
        int count = ids.PIDLCount();
        // Reading every list of a huge count would only measure allocation.
        for (int i = -1; i <= count && i < 64; ++i) {
            if (PItemIDList p = ids.RelativePIDL(i)) ILFree(p);
            if (PItemIDList p = ids.AbsolutePIDL(i)) ILFree(p);
        }
        if (PItemIDList p = ids.ParentPIDL()) ILFree(p);
    }
    return 0;
}
