// One reply line of the drive as it arrives byte by byte: at most 15
// characters are kept; a longer line keeps its first 15 and drops the rest up
// to its carriage return, so that the overflow never runs into the next reply.
#pragma once

#include <cstddef>

class TReplyLine {
public:
    static constexpr size_t MaxLength = 15;

    void Clear();
    // Takes one received byte; answers true when it ended the line (a
    // carriage return). The text is then complete and NUL-terminated.
    bool Feed(unsigned char Byte);

    const char* Text() const { return FText; }
    size_t Length() const { return FLength; }
    // Whether characters beyond MaxLength were dropped from this line.
    bool Truncated() const { return FTruncated; }

private:
    char FText[MaxLength + 1] = {};
    size_t FLength = 0;
    bool FTruncated = false;
};

// The C run-time's atol as the drive's replies and parameter files need it:
// leading blanks, an optional sign, decimal digits; anything else ends the
// number, no digits give 0. Values beyond 32 bits saturate instead of
// overflowing.
int AtoL32(const char* Text);
