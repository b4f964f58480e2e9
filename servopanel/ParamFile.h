// Parameter files: a comment line, then one decimal value per parameter,
// written and read through the run-time's text mode (CR LF on disk). The
// comment is Shift-JIS text.
#pragma once

#include <runpak/UString.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace ParamFile {

constexpr int ParamCount = 128;
constexpr size_t MaxCommentBytes = 128;

// The most of a line that is kept: a comment shows at most 127 characters
// and a value needs a dozen bytes, so the rest of a longer line is read past
// and dropped rather than held in memory.
constexpr size_t MaxLineBytes = 1024;

// Reads one whole line, however long, without its line feed; every byte of
// it counts, a NUL too, so that no line ever runs into the next. Keeps the
// first MaxLineBytes of it. Answers false at the end of the file when
// nothing was read.
bool ReadLine(FILE* File, std::string& Line);

// Lines 80 to 106 hold the drive's own settings: written, never loaded.
bool IsLoadedIndex(int Index);

// Reads the value lines after the comment into Table (ParamCount entries),
// converting each line with AtoL32, and calls Loaded(index) for each value
// taken. Lines beyond the table's end are read and ignored. Answers the
// number of value lines read.
int LoadValues(FILE* File, int32_t* Table, const std::function<void(int)>& Loaded);

// Writes the comment line (already in Shift-JIS) and the ParamCount value
// lines. False at the first failed write.
bool Write(FILE* File, const std::string& Comment, const int32_t* Table);

// The comment box's text as Shift-JIS: at most MaxCommentBytes, never split
// inside a character; characters the code page lacks become '?'.
std::string CommentToShiftJis(const UnicodeString& Text);
// A comment line as read, for display: Shift-JIS decoded, cut to MaxChars.
UnicodeString CommentFromShiftJis(const std::string& Line, size_t MaxChars);

} // namespace ParamFile
