// Loading a parameter file made from arbitrary bytes, through the run-time's
// text mode as the panel reads it: every value lands on its own parameter,
// and nothing is written outside the 128-entry table.
#include "ParamFile.h"

#include <win32/crt.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string linuxPath;
std::string windowsPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/paramfile-fuzz-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    setenv("WINLAYER_HOME", folder, 1);
    linuxPath = std::string(folder) + "/input.txt";
    windowsPath = "C:" + linuxPath;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    return 0;
}

namespace {

// The value the k-th value line carries: distinct for every line, so that a
// value that lands on another parameter shows.
int32_t ValueOf(int k) {
    return k * 1009 - 50000;
}

// Bytes of the input as the rest of a line: no line ends, and no Ctrl+Z,
// which ends text input.
std::string LineBytes(const uint8_t* data, size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i)
        if (data[i] != '\r' && data[i] != '\n' && data[i] != 0x1A) bytes += static_cast<char>(data[i]);
    return bytes;
}

} // namespace

// The input's lines become a parameter file: its first line the comment,
// each further one a value line whose number is known, followed by the
// line's bytes after a separator (a NUL or a letter), so that whatever the
// bytes are, every value must land on its own parameter.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\n') continue;
        lines.push_back(LineBytes(data + start, i - start));
        start = i + 1;
    }
    std::string file = lines[0] + "\r\n";
    int valueLines = static_cast<int>(lines.size()) - 1;
    for (int k = 0; k < valueLines; ++k) {
        const std::string& rest = lines[k + 1];
        char separator = rest.size() % 2 ? '\0' : 'x';
        file += std::to_string(ValueOf(k)) + separator + rest + "\r\n";
    }
    FILE* raw = std::fopen(linuxPath.c_str(), "wb");
    if (!raw) std::abort();
    std::fwrite(file.data(), 1, file.size(), raw);
    std::fclose(raw);

    FILE* text = crt::fopen(windowsPath.c_str(), "rt");
    if (!text) std::abort();
    // Guard cells on both sides of the table catch a write past either end.
    int32_t guarded[ParamFile::ParamCount + 2];
    for (int32_t& v : guarded)
        v = 0x5A5A5A5A;
    std::string comment;
    if (!ParamFile::ReadLine(text, comment)) std::abort();
    if (comment != lines[0].substr(0, ParamFile::MaxLineBytes)) std::abort();
    ParamFile::CommentFromShiftJis(comment, 127);
    int expectedIndex = 0;
    int count = ParamFile::LoadValues(text, guarded + 1, [&](int index) {
        while (expectedIndex < ParamFile::ParamCount && !ParamFile::IsLoadedIndex(expectedIndex))
            ++expectedIndex;
        if (index != expectedIndex++) std::abort();
        if (guarded[1 + index] != ValueOf(index)) std::abort();
    });
    std::fclose(text);
    if (count != valueLines) std::abort();
    if (guarded[0] != 0x5A5A5A5A || guarded[ParamFile::ParamCount + 1] != 0x5A5A5A5A) std::abort();
    return 0;
}
