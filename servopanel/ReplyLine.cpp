#include "ReplyLine.h"

#include <cstdint>

void TReplyLine::Clear() {
    FLength = 0;
    FTruncated = false;
    FText[0] = '\0';
}

bool TReplyLine::Feed(unsigned char Byte) {
    if (Byte == '\r') {
        FText[FLength] = '\0';
        return true;
    }
    if (FLength < MaxLength) {
        FText[FLength++] = static_cast<char>(Byte);
        FText[FLength] = '\0';
    } else {
        FTruncated = true;
    }
    return false;
}

int AtoL32(const char* Text) {
    const char* p = Text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int>(value);
}
