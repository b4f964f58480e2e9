// The drive's reply reader on arbitrary bytes: every line it hands out is
// NUL-terminated within its buffer and at most 15 characters long, and the
// number conversion of each line never overflows.
#include "ReplyLine.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReplyLine line;
    line.Clear();
    for (size_t i = 0; i < size; ++i) {
        bool ended = line.Feed(data[i]);
        if (line.Length() > TReplyLine::MaxLength) std::abort();
        if (std::strlen(line.Text()) > line.Length()) std::abort();
        if (ended) {
            volatile int value = AtoL32(line.Text());
            (void)value;
            line.Clear();
        }
    }
    return 0;
}
