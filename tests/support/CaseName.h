// Names for the cases of parameterised tests, so that a run lists
// "Table/RegExpMatch.Matches/star_after_group_3" rather than a bare index,
// and a filter can pick a case by what it is.
//
//   INSTANTIATE_TEST_SUITE_P(Table, RegExpMatch, testing::ValuesIn(kCases), CaseName());
//
// A case with a `name` member is named by it; any other case by how
// GoogleTest prints it (give its type a PrintTo when the default would dump
// bytes). The case's index follows, so two cases never share a name.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

// The letters and digits of text in order; every other run of bytes becomes
// one '_'. Names stay short enough to read in a list.
inline std::string CaseIdentifier(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    std::string out;
    bool gap = false;
    for (unsigned char c : text) {
        const bool keep =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!keep) {
            gap = !out.empty();
            continue;
        }
        if (out.size() >= kLongest) break;
        if (gap) out += '_';
        gap = false;
        out += static_cast<char>(c);
    }
    return out;
}

inline std::string CaseIdentifier(std::u16string_view text) {
    std::string ascii;
    for (char16_t c : text)
        ascii += c < 0x80 ? static_cast<char>(c) : ' ';
    return CaseIdentifier(std::string_view(ascii));
}

struct CaseName {
    template <class T> std::string operator()(const testing::TestParamInfo<T>& info) const {
        std::string text;
        if constexpr (requires { CaseIdentifier(info.param.name); })
            text = CaseIdentifier(info.param.name);
        else
            text = CaseIdentifier(testing::PrintToString(info.param));
        return text.empty() ? std::to_string(info.index) : text + "_" + std::to_string(info.index);
    }
};
