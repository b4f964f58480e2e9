// Messages of the regular-expression engine.
#pragma once
#pragma GCC visibility push(default)

inline constexpr char16_t SErrorNotFound[] = u"No match found for regular expression";
inline constexpr char16_t SErrorInvalidParameter[] = u"Invalid parameter";
inline constexpr char16_t SErrorOutOfMemory[] = u"Out of memory";
inline constexpr char16_t SErrorTooManySubExps[] = u"Too many sub-expressions";
inline constexpr char16_t SErrorUnmatchedParens[] = u"Unmatched \"(\"";
inline constexpr char16_t SErrorInvalidRepeat[] = u"Invalid use of a repeat";
inline constexpr char16_t SErrorNestedRepeat[] = u"Nested repeats not allowed";
inline constexpr char16_t SErrorInvalidRange[] = u"Invalid range specifier";
inline constexpr char16_t SErrorUnmatchedBracket[] = u"Unmatched \"[\"";
inline constexpr char16_t SErrorTrailingBackslash[] = u"Trailing \"\\\" not allowed";
inline constexpr char16_t SErrorInternal[] = u"*** internal RE error ***";
// Groups opened inside more than MaxREGroupNesting groups.
inline constexpr char16_t SErrorNestedTooDeep[] = u"Sub-expressions nested too deeply";
// Raised only when a tool has bounded the matcher's work.
inline constexpr char16_t SMatchLimit[] = u"Regular expression match limit exceeded";

#pragma GCC visibility pop
