// Loading a parameter file from arbitrary bytes, through the run-time's text
// mode as the panel reads it: never a write outside the 128-entry table.
#include "ParamFile.h"

#include <win32/crt.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* raw = std::fopen(linuxPath.c_str(), "wb");
    if (!raw) std::abort();
    std::fwrite(data, 1, size, raw);
    std::fclose(raw);

    FILE* file = crt::fopen(windowsPath.c_str(), "rt");
    if (!file) std::abort();
    // Guard cells on both sides of the table catch a write past either end.
    int32_t guarded[ParamFile::ParamCount + 2];
    for (int32_t& v : guarded)
        v = 0x5A5A5A5A;
    std::string comment;
    if (ParamFile::ReadLine(file, comment)) {
        ParamFile::CommentFromShiftJis(comment, 127);
        ParamFile::LoadValues(file, guarded + 1, [](int index) {
            if (index < 0 || index >= ParamFile::ParamCount || !ParamFile::IsLoadedIndex(index))
                std::abort();
        });
    }
    std::fclose(file);
    if (guarded[0] != 0x5A5A5A5A || guarded[ParamFile::ParamCount + 1] != 0x5A5A5A5A) std::abort();
    return 0;
}
