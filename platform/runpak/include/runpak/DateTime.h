// Dates and times as the framework keeps them: days since 1899-12-30 in a
// double, the fraction being the time of day (0.5 = noon). Before that
// epoch the whole part counts back and the fraction still counts forward
// from midnight, as the magnitude (-1.25 = 1899-12-29 06:00).
#pragma once
#pragma GCC visibility push(default)

#include <runpak/FormatSettings.h>
#include <runpak/UString.h>

#include <cstdint>

struct _SYSTEMTIME; // <win32/windef.h>

// A double with a type of its own, so that a Variant or an overload can
// tell a date from a number. Converts to and from double freely.
class TDateTime {
public:
    constexpr TDateTime() = default;
    constexpr TDateTime(double value) : FValue(value) {}
    constexpr operator double() const { return FValue; }
    constexpr double Val() const { return FValue; }

    TDateTime& operator+=(double days) {
        FValue += days;
        return *this;
    }
    TDateTime& operator-=(double days) {
        FValue -= days;
        return *this;
    }

private:
    double FValue = 0;
};

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = 24 * 60;
constexpr int SecsPerDay = 24 * 60 * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;
// Days between 0001-01-01 and 1899-12-30 (the framework's DateDelta).
constexpr int DateDelta = 693594;

bool IsLeapYear(unsigned year);
// Days in month (1..12) of year; 0 for an invalid month.
unsigned short DaysInAMonth(unsigned year, unsigned month);

// Year 1..9999; invalid parts raise EConvertError "Invalid argument to date encode".
TDateTime EncodeDate(unsigned short year, unsigned short month, unsigned short day);
bool TryEncodeDate(unsigned short year, unsigned short month, unsigned short day, TDateTime& date);
// Invalid parts raise EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(unsigned short hour, unsigned short min, unsigned short sec,
                     unsigned short msec);
bool TryEncodeTime(unsigned short hour, unsigned short min, unsigned short sec, unsigned short msec,
                   TDateTime& time);
TDateTime EncodeDateTime(unsigned short year, unsigned short month, unsigned short day,
                         unsigned short hour, unsigned short min, unsigned short sec,
                         unsigned short msec);
void DecodeDate(TDateTime date, unsigned short& year, unsigned short& month, unsigned short& day);
void DecodeTime(TDateTime time, unsigned short& hour, unsigned short& min, unsigned short& sec,
                unsigned short& msec);
void DecodeDateTime(TDateTime value, unsigned short& year, unsigned short& month,
                    unsigned short& day, unsigned short& hour, unsigned short& min,
                    unsigned short& sec, unsigned short& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime date);
// The date part and the time part of a value.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
// Date plus time, with the time counted forward from midnight before the epoch too.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
TDateTime IncMonth(TDateTime date, int months = 1);

// Local wall-clock time.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Between the Windows SYSTEMTIME record and TDateTime. SystemTimeToDateTime
// raises EConvertError on an invalid date or time.
TDateTime SystemTimeToDateTime(const _SYSTEMTIME& systemTime);
void DateTimeToSystemTime(TDateTime value, _SYSTEMTIME& systemTime);

// Seconds since 1970-01-01 UTC to and from a TDateTime (no time zone applied).
TDateTime UnixToDateTime(int64_t seconds);
int64_t DateTimeToUnix(TDateTime value);

// Format tokens (letters in any case):
//   c       short date, then long time unless the time is midnight
//   d dd    day without / with leading zero;  ddd dddd  short / long day name
//   ddddd   short date format;  dddddd  long date format
//   m mm    month without / with leading zero (minutes right after h or hh)
//   mmm mmmm short / long month name
//   yy yyyy two / four-digit year
//   h hh    hour (12-hour when the format holds am/pm, a/p or ampm)
//   n nn    minute;  s ss  second;  z zzz  millisecond
//   t tt    short / long time format
//   am/pm a/p ampm   the half-day marker;  /  date separator;  :  time separator
//   'text' "text"    literal text
UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value);
UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value,
                             const TFormatSettings& settings);
UnicodeString DateToStr(TDateTime date);
UnicodeString TimeToStr(TDateTime time);
UnicodeString DateTimeToStr(TDateTime value);
UnicodeString DateToStr(TDateTime date, const TFormatSettings& settings);
UnicodeString TimeToStr(TDateTime time, const TFormatSettings& settings);
UnicodeString DateTimeToStr(TDateTime value, const TFormatSettings& settings);

// Parsing follows the order of day, month and year in ShortDateFormat and
// the date and time separators; a missing year is this year, a two-digit
// year falls in the settings' century window. Times are h[:n[:s[.zzz]]]
// with an optional AM/PM marker. Failures raise EConvertError
// "'<s>' is not a valid date" (time, date and time).
TDateTime StrToDate(const UnicodeString& s);
TDateTime StrToTime(const UnicodeString& s);
TDateTime StrToDateTime(const UnicodeString& s);
TDateTime StrToDateDef(const UnicodeString& s, TDateTime fallback);
TDateTime StrToDateTimeDef(const UnicodeString& s, TDateTime fallback);
bool TryStrToDate(const UnicodeString& s, TDateTime& value);
bool TryStrToTime(const UnicodeString& s, TDateTime& value);
bool TryStrToDateTime(const UnicodeString& s, TDateTime& value);
bool TryStrToDate(const UnicodeString& s, TDateTime& value, const TFormatSettings& settings);
bool TryStrToTime(const UnicodeString& s, TDateTime& value, const TFormatSettings& settings);
bool TryStrToDateTime(const UnicodeString& s, TDateTime& value, const TFormatSettings& settings);

#pragma GCC visibility pop
