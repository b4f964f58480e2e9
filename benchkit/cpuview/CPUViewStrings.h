// The texts of the CPU views that a translation would replace.
#pragma once
#pragma GCC visibility push(default)

inline constexpr const char16_t* SUnknownFile = u"<unknown file>";
inline constexpr const char16_t* SRegStateValid = u"Valid";
inline constexpr const char16_t* SRegStateZero = u"Zero ";
inline constexpr const char16_t* SRegStateSpecial = u"Spec.";
inline constexpr const char16_t* SRegStateEmpty = u"Empty";
inline constexpr const char16_t* SInvalidDataColumnCount = u"Invalid Data column count";

#pragma GCC visibility pop
