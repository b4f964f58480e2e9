// The settings that shape numbers, money and dates in text: separators,
// currency and the date and time formats.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/UString.h>

struct TFormatSettings {
    UnicodeString CurrencyString = u"$";
    // Placement of the currency string: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    unsigned char CurrencyFormat = 0;
    // Negative amounts: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$",
    // 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1",
    // 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    unsigned char NegCurrFormat = 0;
    unsigned char CurrencyDecimals = 2;
    char16_t ThousandSeparator = u',';
    char16_t DecimalSeparator = u'.';
    char16_t DateSeparator = u'/';
    char16_t TimeSeparator = u':';
    char16_t ListSeparator = u',';
    UnicodeString ShortDateFormat = u"yyyy/mm/dd";
    UnicodeString LongDateFormat = u"dddd, mmmm d, yyyy";
    UnicodeString TimeAMString = u"AM";
    UnicodeString TimePMString = u"PM";
    UnicodeString ShortTimeFormat = u"hh:nn";
    UnicodeString LongTimeFormat = u"hh:nn:ss";
    UnicodeString ShortMonthNames[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    UnicodeString LongMonthNames[12] = {u"January",   u"February", u"March",    u"April",
                                        u"May",       u"June",     u"July",     u"August",
                                        u"September", u"October",  u"November", u"December"};
    UnicodeString ShortDayNames[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    UnicodeString LongDayNames[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};
    // Two-digit years fall within this many years before now (0: the current century).
    unsigned short TwoDigitYearCenturyWindow = 50;
};

// The process-wide settings that routines without a settings argument use.
// A function rather than a global object so that nothing is built at load
// time; the object is created on first use and lives to the end of the process.
// Change it at start-up, before other threads format text.
TFormatSettings& FormatSettings();

#pragma GCC visibility pop
