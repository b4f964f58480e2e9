// The regular-expression compiler and matcher on arbitrary patterns and
// texts. Input: one byte of options, then the pattern and the text as
// UTF-16LE, separated by the first U+FFFF. The search must find the same
// match with and without its shortcuts.
#include "benchkit/controls/IDERegExpConst.h"
#include "benchkit/controls/IDERegExpProgram.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    TREOptions options;
    if (data[0] & 1) options.Include(reCaseInsensitive);
    TCharSet sets[2];
    if (data[0] & 2) sets[0] = TCharSet{'\t', ' '};
    if (data[0] & 4)
        for (int c = '0'; c <= 'z'; ++c)
            sets[1].Include(static_cast<unsigned char>(c));

    std::u16string all;
    for (size_t i = 1; i + 1 < size; i += 2)
        all += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    const size_t split = all.find(u'\uFFFF');
    const std::u16string pattern = all.substr(0, split);
    const std::u16string text = split == all.npos ? std::u16string() : all.substr(split + 1);

    try {
        TCompiledRE fast(pattern, options, sets), slow(pattern, options, sets);
        slow.SetUseShortcuts(false);
        fast.SetMatchLimit(200000);
        slow.SetMatchLimit(200000);
        std::vector<int> fs, fe, ss, se;
        bool f, s;
        try {
            f = fast.Match(text, fs, fe);
            s = slow.Match(text, ss, se);
        } catch (const EREError& e) {
            if (e.GetMessage() != SMatchLimit) std::abort();
            return 0;
        }
        if (f != s || fs != ss || fe != se) std::abort();
        for (size_t i = 0; f && i < fs.size(); ++i) {
            if ((fs[i] < 0) != (fe[i] < 0)) std::abort();
            if (fs[i] >= 0 && (fs[i] > fe[i] || fe[i] > static_cast<int>(text.size())))
                std::abort();
        }
    } catch (const EREError&) {
        // A pattern the syntax refuses.
    }
    return 0;
}
