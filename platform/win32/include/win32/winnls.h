#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>
#include <win32/winerror.h>

// Code pages and locales. The layer's ANSI code page is 1252 unless the
// environment variable WINLAYER_ACP names another supported one (932, say).
// Supported: 1252, 28591 (Latin-1), 20127 (ASCII), 437 (the OEM page beside
// 1252), 932 (Shift-JIS) and 65001 (UTF-8).

typedef const char* LPCCH;
typedef const WCHAR* LPCWCH;
typedef DWORD LCTYPE;

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_COMPOSITECHECK 0x00000200
#define WC_NO_BEST_FIT_CHARS 0x00000400

// Lengths are in bytes / characters; -1 means NUL-terminated (the NUL is
// converted and counted). An output size of 0 asks for the size needed.
// Bytes that are not valid in the code page become U+FFFD (U+30FB for 932),
// or fail with ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount,
                        LPWSTR wideChar, int wideCharCount);
// Characters the code page lacks become defaultChar (the code page's default,
// '?', when NULL) and set *usedDefaultChar. For UTF-8 both must be NULL.
// Each character outside the code page (a surrogate pair counts as one)
// becomes one default character.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wideChar, int wideCharCount,
                        LPSTR multiByte, int multiByteCount, LPCCH defaultChar,
                        LPBOOL usedDefaultChar);

#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2
typedef struct _cpinfo {
    UINT MaxCharSize;
    BYTE DefaultChar[MAX_DEFAULTCHAR];
    BYTE LeadByte[MAX_LEADBYTES]; // pairs of first and last lead byte, ended by 0, 0
} CPINFO, *LPCPINFO;

UINT GetACP();
UINT GetOEMCP();
BOOL IsValidCodePage(UINT codePage);
BOOL GetCPInfo(UINT codePage, LPCPINFO info);
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
BOOL IsDBCSLeadByte(BYTE testChar); // in the ANSI code page

// --- Locales ----------------------------------------------------------------------
#define LANG_NEUTRAL 0x00
#define LANG_INVARIANT 0x7f
#define LANG_ENGLISH 0x09
#define LANG_GERMAN 0x07
#define LANG_FRENCH 0x0c
#define LANG_JAPANESE 0x11
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#define SORT_DEFAULT 0x0
#define MAKELANGID(p, s) ((WORD)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#define MAKELCID(lgid, srtid) ((DWORD)((((DWORD)((WORD)(srtid))) << 16) | ((DWORD)((WORD)(lgid)))))
#define LANGIDFROMLCID(lcid) ((WORD)(lcid))

#define LOCALE_NEUTRAL 0x0000
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_INVARIANT 0x007f

#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_RETURN_NUMBER 0x20000000
#define LOCALE_ILANGUAGE 0x00000001
#define LOCALE_SLIST 0x0000000C
#define LOCALE_SDECIMAL 0x0000000E
#define LOCALE_STHOUSAND 0x0000000F
#define LOCALE_IDEFAULTCODEPAGE 0x0000000B
#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004
#define LOCALE_SENGLANGUAGE 0x00001001
#define LOCALE_SENGCOUNTRY 0x00001002
#define LOCALE_SISO639LANGNAME 0x00000059
#define LOCALE_SISO3166CTRYNAME 0x0000005A

// The user's and the system's locale: English (US), or Japanese when the ANSI
// code page is 932.
LCID GetUserDefaultLCID();
LCID GetSystemDefaultLCID();
LCID GetThreadLocale();
LANGID GetUserDefaultLangID();
LANGID GetSystemDefaultLangID();
// Answers the characters written, NUL included (or needed, when size is 0).
// With LOCALE_RETURN_NUMBER a numeric item is written as a DWORD.
int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int size);

#pragma GCC visibility pop
