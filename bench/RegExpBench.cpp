// The regular-expression matcher against std::regex (ECMAScript) and PCRE2
// (16-bit, interpreter only, no JIT) on the same patterns and texts. Each
// run finds the first match, which lies at the end of a long text, so the
// figure is the cost of searching the whole text.
#define PCRE2_CODE_UNIT_WIDTH 16
#include "benchkit/controls/IDERegExpProgram.h"

#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    const char* pattern;
    const char* needle; // appended to the text so that the search ends in a match
    // std::regex recurses once per character under ".*" and overflows the
    // stack on this text, ending the program: it is left out there.
    bool stdRegexOverflows = false;
};

const Case kCases[] = {
    {"literal", "Holmes", " Holmes"},
    {"class_plus", "[a-z]+ing", " nothing"},
    {"alternatives", "(Sherlock|Watson|Lestrade)", " Lestrade"},
    {"capitalised_pair", "[A-Z][a-z]+ [A-Z][a-z]+", " Baker Street"},
    {"must_contain", ".*zq.*end", " zq the end", true},
    {"group_repeat", "(ab|cd)+x", " ababcdx"},
    {"dot_star_anchor", "^.*Q$", "Q", true},
    {"optional_digits", "x?[0-9]+[0-9]+z", " 42z"},
    {"alternatives_plus", "(a|b|c|d|e)+z", " abcz"},
    {"identifier_call", "[A-Za-z_][A-Za-z_0-9]*\\(", " call("},
};

// Lower-case words and spaces, with a few capitals, free of every needle.
std::string MakeText(size_t length) {
    static const char* words[] = {"the",  "of",   "and",   "a",   "to",   "in",   "was",
                                  "he",   "that", "it",    "his", "her",  "with", "as",
                                  "had",  "for",  "at",    "on",  "said", "upon", "street",
                                  "door", "room", "house", "she"};
    std::mt19937 rng(12345);
    std::string text;
    while (text.size() < length) {
        const char* w = words[rng() % (sizeof words / sizeof *words)];
        text += w;
        text += rng() % 13 == 0 ? ". " : " ";
    }
    return text;
}

const std::string& BaseText() {
    static const std::string text = MakeText(64 * 1024);
    return text;
}

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// The text cut into sentences, as an editor searches line by line; only
// the last one (with the needle) matches.
std::vector<std::u16string> Lines(const Case& c) {
    const std::string text = BaseText();
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t dot; (dot = text.find(". ", start)) != text.npos; start = dot + 2)
        lines.push_back(Wide(text.substr(start, dot + 1 - start)));
    lines.push_back(Wide(text.substr(start) + c.needle));
    return lines;
}

// The patterns that must contain a literal, over lines.
const Case kLineCases[] = {
    {"lines_alternatives_plus", "(a|b|c|d|e)+z", " abcz"},
    {"lines_identifier_call", "[A-Za-z_][A-Za-z_0-9]*\\(", " call("},
};

void BM_BenchkitLines(benchmark::State& state, const Case& c) {
    const std::vector<std::u16string> lines = Lines(c);
    const TCharSet sets[2] = {};
    TCompiledRE re(Wide(c.pattern), {}, sets);
    std::vector<int> starts, ends;
    int64_t bytes = 0;
    for (auto _ : state) {
        int found = 0;
        for (const std::u16string& line : lines) {
            found += re.Match(line, starts, ends);
            bytes += static_cast<int64_t>(line.size());
        }
        if (found != 1) state.SkipWithError("not one match");
    }
    state.SetBytesProcessed(bytes);
}

void BM_Pcre2Lines(benchmark::State& state, const Case& c, bool jit) {
    const std::vector<std::u16string> lines = Lines(c);
    const std::u16string pattern = Wide(c.pattern);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     0, &error, &offset, nullptr);
    if (jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) state.SkipWithError("no JIT");
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    int64_t bytes = 0;
    for (auto _ : state) {
        int found = 0;
        for (const std::u16string& line : lines) {
            found += pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0,
                                 0, data, nullptr) >= 0;
            bytes += static_cast<int64_t>(line.size());
        }
        if (found != 1) state.SkipWithError("not one match");
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    state.SetBytesProcessed(bytes);
}

void BM_Benchkit(benchmark::State& state, const Case& c) {
    const std::u16string text = Wide(BaseText() + c.needle);
    const TCharSet sets[2] = {};
    TCompiledRE re(Wide(c.pattern), {}, sets);
    std::vector<int> starts, ends;
    for (auto _ : state) {
        const bool found = re.Match(text, starts, ends);
        if (!found) state.SkipWithError("no match");
        benchmark::DoNotOptimize(starts.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_StdRegex(benchmark::State& state, const Case& c) {
    const std::string text = BaseText() + c.needle;
    const std::regex re(c.pattern, std::regex::ECMAScript);
    std::smatch m;
    for (auto _ : state) {
        const bool found = std::regex_search(text, m, re);
        if (!found) state.SkipWithError("no match");
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_Pcre2(benchmark::State& state, const Case& c, bool jit) {
    const std::u16string text = Wide(BaseText() + c.needle);
    const std::u16string pattern = Wide(c.pattern);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     0, &error, &offset, nullptr);
    if (jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) state.SkipWithError("no JIT");
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    for (auto _ : state) {
        const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0,
                                   0, data, nullptr);
        if (rc < 0) state.SkipWithError("no match");
        benchmark::DoNotOptimize(data);
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

int Register() {
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark((std::string("benchkit/") + c.name).c_str(), BM_Benchkit, c);
        if (!c.stdRegexOverflows)
            benchmark::RegisterBenchmark((std::string("std_regex/") + c.name).c_str(), BM_StdRegex,
                                         c);
        benchmark::RegisterBenchmark((std::string("pcre2_nojit/") + c.name).c_str(), BM_Pcre2, c,
                                     false);
        benchmark::RegisterBenchmark((std::string("pcre2_jit/") + c.name).c_str(), BM_Pcre2, c,
                                     true);
    }
    for (const Case& c : kLineCases) {
        benchmark::RegisterBenchmark((std::string("benchkit/") + c.name).c_str(), BM_BenchkitLines,
                                     c);
        benchmark::RegisterBenchmark((std::string("pcre2_nojit/") + c.name).c_str(),
                                     BM_Pcre2Lines, c, false);
        benchmark::RegisterBenchmark((std::string("pcre2_jit/") + c.name).c_str(), BM_Pcre2Lines,
                                     c, true);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
