// The framework's string routines: search and edit, trimming, case mapping
// and comparison, number and boolean conversion, float text, and path text.
//
// Positions are 1-based and count UTF-16 code units, as the framework counts
// characters. "Ansi" routines are the locale-aware ones: full Unicode case
// mapping instead of ASCII-only.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Format.h>
#include <runpak/FormatSettings.h>
#include <runpak/Set.h>
#include <runpak/UString.h>

#include <cstdint>

// ---- Search and edit ---------------------------------------------------------

// Position of the first sub in s (1-based), or 0 when absent or sub is empty.
int Pos(const UnicodeString& sub, const UnicodeString& s);
// As Pos, starting at offset (1-based); 0 when offset is out of range.
int PosEx(const UnicodeString& sub, const UnicodeString& s, int offset = 1);
// count characters from index (1-based). Index below 1 counts from 1, a
// negative count copies nothing, and the copy stops at the end of s.
UnicodeString Copy(const UnicodeString& s, int index, int count);
// Copy from index to the end.
UnicodeString Copy(const UnicodeString& s, int index);
// Removes count characters at index; out-of-range parts are ignored.
void Delete(UnicodeString& s, int index, int count);
// Inserts source before index; an index past the end appends, below 1 prepends.
void Insert(const UnicodeString& source, UnicodeString& s, int index);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag, 2>;
constexpr TReplaceFlag rfReplaceAll = TReplaceFlag::rfReplaceAll;
constexpr TReplaceFlag rfIgnoreCase = TReplaceFlag::rfIgnoreCase;
// Replaces the first (or every, with rfReplaceAll) occurrence of oldPattern;
// rfIgnoreCase matches with Unicode case folding.
UnicodeString StringReplace(const UnicodeString& s, const UnicodeString& oldPattern,
                            const UnicodeString& newPattern, TReplaceFlags flags = {});

UnicodeString StringOfChar(char16_t ch, int count);
UnicodeString DupeString(const UnicodeString& s, int count);

// ---- Trimming: characters up to and including the blank ---------------------

UnicodeString Trim(const UnicodeString& s);
UnicodeString TrimLeft(const UnicodeString& s);
UnicodeString TrimRight(const UnicodeString& s);

// ---- Case mapping -----------------------------------------------------------

// ASCII letters only; every other character is kept.
UnicodeString UpperCase(const UnicodeString& s);
UnicodeString LowerCase(const UnicodeString& s);
// Every letter with a simple Unicode case mapping. The length never changes
// ('ß' stays 'ß'); callers rely on positions surviving the mapping.
UnicodeString AnsiUpperCase(const UnicodeString& s);
UnicodeString AnsiLowerCase(const UnicodeString& s);
char16_t UpCase(char16_t ch); // ASCII only

// ---- Comparison: < 0, 0 or > 0 ------------------------------------------------

// Ordinal, by UTF-16 code unit.
int CompareStr(const UnicodeString& a, const UnicodeString& b);
// Ordinal after folding ASCII letters to upper case (so '_' sorts after letters).
int CompareText(const UnicodeString& a, const UnicodeString& b);
// Locale-aware order: letters compare without regard to case first
// ("a" < "B" < "c"); strings that differ only in case order lower case
// first ("a" < "A"). Code points otherwise compare by value; there are no
// further linguistic rules (accents are distinct letters).
int AnsiCompareStr(const UnicodeString& a, const UnicodeString& b);
// Ordinal on code points after full Unicode upper-casing.
int AnsiCompareText(const UnicodeString& a, const UnicodeString& b);
bool SameStr(const UnicodeString& a, const UnicodeString& b);
bool SameText(const UnicodeString& a, const UnicodeString& b);
bool AnsiSameStr(const UnicodeString& a, const UnicodeString& b);
bool AnsiSameText(const UnicodeString& a, const UnicodeString& b);

bool StartsStr(const UnicodeString& subText, const UnicodeString& text);
bool EndsStr(const UnicodeString& subText, const UnicodeString& text);
bool ContainsStr(const UnicodeString& text, const UnicodeString& subText);
// Case-insensitive (Unicode) variants.
bool StartsText(const UnicodeString& subText, const UnicodeString& text);
bool EndsText(const UnicodeString& subText, const UnicodeString& text);
bool ContainsText(const UnicodeString& text, const UnicodeString& subText);
// Case-insensitive Pos.
int AnsiPosText(const UnicodeString& sub, const UnicodeString& s);

// ---- Quoting ------------------------------------------------------------------

// Encloses s in single quotes, doubling embedded ones: it's -> 'it''s'.
UnicodeString QuotedStr(const UnicodeString& s);
UnicodeString AnsiQuotedStr(const UnicodeString& s, char16_t quote);
// The reverse: strips quote and undoubles embedded ones. Text that does not
// start with quote comes back unchanged; a missing closing quote ends the text.
UnicodeString AnsiDequotedStr(const UnicodeString& s, char16_t quote);

// ---- Integers -------------------------------------------------------------------

UnicodeString IntToStr(int value);
UnicodeString IntToStr(long value);
UnicodeString IntToStr(long long value);
UnicodeString IntToStr(unsigned value);
UnicodeString IntToStr(unsigned long value);
UnicodeString IntToStr(unsigned long long value);
UnicodeString UIntToStr(unsigned long long value);
// Upper-case hex, at least digits wide. Negative values show their
// two's complement in the width of their type (IntToHex(-1, 2) = "FFFFFFFF").
UnicodeString IntToHex(int value, int digits);
UnicodeString IntToHex(long value, int digits);
UnicodeString IntToHex(long long value, int digits);
UnicodeString IntToHex(unsigned value, int digits);
UnicodeString IntToHex(unsigned long value, int digits);
UnicodeString IntToHex(unsigned long long value, int digits);

// Text to integer. Accepted: leading blanks, an optional sign, decimal
// digits, or hex after "$", "0x" or "x". Trailing text, trailing blanks,
// an empty string and values out of range are rejected. Hex may use all
// bits of the type: StrToInt("$FFFFFFFF") = -1.
// Failures raise EConvertError "'<s>' is not a valid integer value".
int StrToInt(const UnicodeString& s);
int StrToIntDef(const UnicodeString& s, int fallback);
bool TryStrToInt(const UnicodeString& s, int& value);
int64_t StrToInt64(const UnicodeString& s);
int64_t StrToInt64Def(const UnicodeString& s, int64_t fallback);
bool TryStrToInt64(const UnicodeString& s, int64_t& value);
unsigned StrToUInt(const UnicodeString& s);
unsigned StrToUIntDef(const UnicodeString& s, unsigned fallback);
bool TryStrToUInt(const UnicodeString& s, unsigned& value);
uint64_t StrToUInt64(const UnicodeString& s);
bool TryStrToUInt64(const UnicodeString& s, uint64_t& value);

// ---- Booleans -------------------------------------------------------------------

// "True"/"False" with useBoolStrs, else "-1"/"0".
UnicodeString BoolToStr(bool value, bool useBoolStrs = false);
// "True"/"False" (any case), or a number: zero is false, anything else true.
// Failures raise EConvertError "'<s>' is not a valid boolean value".
bool StrToBool(const UnicodeString& s);
bool StrToBoolDef(const UnicodeString& s, bool fallback);
bool TryStrToBool(const UnicodeString& s, bool& value);

// ---- Floating point ---------------------------------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format with 15 significant digits: "1.5", "1E20", "-0.001", "1E-5".
// Not-a-number and infinities read "NAN", "INF" and "-INF".
UnicodeString FloatToStr(long double value);
UnicodeString FloatToStr(long double value, const TFormatSettings& settings);
// precision = significant digits; digits = decimals (ffFixed, ffNumber,
// ffCurrency), minimum exponent digits (ffExponent, ffGeneral).
UnicodeString FloatToStrF(long double value, TFloatFormat format, int precision, int digits);
UnicodeString FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                          const TFormatSettings& settings);
// Picture formats: '0' digit, '#' optional digit, '.' decimal point, ','
// thousand separators, "E+00"/"E-00" scientific, quoted or other text
// copied; up to three sections "positive;negative;zero".
UnicodeString FormatFloat(const UnicodeString& format, long double value);
UnicodeString FormatFloat(const UnicodeString& format, long double value,
                          const TFormatSettings& settings);
UnicodeString CurrToStr(long double value);
UnicodeString CurrToStrF(long double value, TFloatFormat format, int digits);

// Text to float: blanks around, sign, digits with the decimal separator,
// optional exponent; "INF", "-INF" and "NAN" as FloatToStr writes them.
// Failures raise EConvertError "'<s>' is not a valid floating point value".
long double StrToFloat(const UnicodeString& s);
long double StrToFloat(const UnicodeString& s, const TFormatSettings& settings);
long double StrToFloatDef(const UnicodeString& s, long double fallback);
bool TryStrToFloat(const UnicodeString& s, long double& value);
bool TryStrToFloat(const UnicodeString& s, double& value);
bool TryStrToFloat(const UnicodeString& s, long double& value, const TFormatSettings& settings);

// ---- Paths: '\' separates folders and ':' ends a drive, as the system's ---------
// ---- Windows paths have it; the routines only look at the text. -----------------

constexpr char16_t PathDelim = u'\\';
constexpr char16_t DriveDelim = u':';
constexpr char16_t PathSep = u';';

UnicodeString ChangeFileExt(const UnicodeString& fileName, const UnicodeString& extension);
// Drive and folders with the trailing delimiter: "C:\a\b.txt" -> "C:\a\".
UnicodeString ExtractFilePath(const UnicodeString& fileName);
// Drive and folders without the trailing delimiter, except at a root: "C:\".
UnicodeString ExtractFileDir(const UnicodeString& fileName);
UnicodeString ExtractFileName(const UnicodeString& fileName);
// The extension with its dot ("C:\a\b.txt" -> ".txt"), or empty.
UnicodeString ExtractFileExt(const UnicodeString& fileName);
// "C:" for drive paths, "\\server\share" for network paths, else empty.
UnicodeString ExtractFileDrive(const UnicodeString& fileName);
UnicodeString IncludeTrailingPathDelimiter(const UnicodeString& s);
UnicodeString IncludeTrailingBackslash(const UnicodeString& s);
UnicodeString ExcludeTrailingPathDelimiter(const UnicodeString& s);
UnicodeString ExcludeTrailingBackslash(const UnicodeString& s);
// Case-insensitive file-name comparison, as the system's file names behave.
int AnsiCompareFileName(const UnicodeString& a, const UnicodeString& b);
bool SameFileName(const UnicodeString& a, const UnicodeString& b);

// The last character of s, or 0 for an empty string.
char16_t AnsiLastChar(const UnicodeString& s);
// Position (1-based) of the last character of s that occurs in delimiters, or 0.
int LastDelimiter(const UnicodeString& delimiters, const UnicodeString& s);
// True when s[index] (1-based) is one of delimiters.
bool IsDelimiter(const UnicodeString& delimiters, const UnicodeString& s, int index);
bool IsPathDelimiter(const UnicodeString& s, int index);

// Breaks line into lines of at most maxCol characters at blanks, tabs and
// hyphens, joined with breakStr ("\r\n" by default). Quoted text is not broken.
UnicodeString WrapText(const UnicodeString& line, int maxCol = 45);
UnicodeString WrapText(const UnicodeString& line, const UnicodeString& breakStr,
                       const UnicodeString& breakChars, int maxCol);

// The text of a Windows error code ("Access is denied." for 5), or an
// empty string for codes the layer does not know.
UnicodeString SysErrorMessage(unsigned code);

#pragma GCC visibility pop
