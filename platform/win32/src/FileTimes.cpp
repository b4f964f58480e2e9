// FILETIME and SYSTEMTIME conversions and the wall clock.
#include "FileApiSupport.h"
#include "FileStat.h"

#include <win32/fileapi.h>

#include <ctime>

using namespace win32;

namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = 864000000000LL;
constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The time zone's offset from UTC now, in ticks; Windows applies today's
// offset to every file time, so the two local conversions are exact inverses.
int64_t CurrentBiasTicks() {
    tzset(); // pick up a changed TZ
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return static_cast<int64_t>(local.tm_gmtoff) * kTicksPerSecond;
}

BOOL Shift(const FILETIME* from, LPFILETIME to, int64_t ticks) {
    if (!from || !to) return Fail(ERROR_INVALID_PARAMETER);
    int64_t value = static_cast<int64_t>(FileTimeTicks(*from));
    int64_t shifted;
    if (value < 0 || __builtin_add_overflow(value, ticks, &shifted) || shifted < 0)
        return Fail(ERROR_INVALID_PARAMETER);
    *to = FileTimeFromTicks(static_cast<uint64_t>(shifted));
    return TRUE;
}

FILETIME Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTimeFromUnix(now.tv_sec, static_cast<uint32_t>(now.tv_nsec));
}

} // namespace

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
    if (!fileTime || !systemTime) return Fail(ERROR_INVALID_PARAMETER);
    uint64_t ticks = FileTimeTicks(*fileTime);
    if (ticks > static_cast<uint64_t>(INT64_MAX)) return Fail(ERROR_INVALID_PARAMETER);
    int64_t days = static_cast<int64_t>(ticks / kTicksPerDay);
    int64_t rest = static_cast<int64_t>(ticks % kTicksPerDay);
    int64_t year;
    unsigned month, day;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month);
    systemTime->wDay = static_cast<WORD>(day);
    systemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    systemTime->wHour = static_cast<WORD>(rest / (3600 * kTicksPerSecond));
    systemTime->wMinute = static_cast<WORD>(rest / (60 * kTicksPerSecond) % 60);
    systemTime->wSecond = static_cast<WORD>(rest / kTicksPerSecond % 60);
    systemTime->wMilliseconds = static_cast<WORD>(rest / kTicksPerMillisecond % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
    if (!systemTime || !fileTime) return Fail(ERROR_INVALID_PARAMETER);
    const SYSTEMTIME& t = *systemTime;
    bool valid = t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 &&
                 t.wDay >= 1 && t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 &&
                 t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
    if (!valid) return Fail(ERROR_INVALID_PARAMETER);
    int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kDaysFrom1601To1970;
    int64_t seconds = (int64_t(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond;
    int64_t ticks =
        days * kTicksPerDay + seconds * kTicksPerSecond + t.wMilliseconds * kTicksPerMillisecond;
    *fileTime = FileTimeFromTicks(static_cast<uint64_t>(ticks));
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
    return Shift(fileTime, localFileTime, CurrentBiasTicks());
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime) {
    return Shift(localFileTime, fileTime, -CurrentBiasTicks());
}

LONG CompareFileTime(const FILETIME* fileTime1, const FILETIME* fileTime2) {
    uint64_t a = FileTimeTicks(*fileTime1), b = FileTimeTicks(*fileTime2);
    return a < b ? -1 : a > b ? 1 : 0;
}

void GetSystemTime(LPSYSTEMTIME systemTime) {
    FILETIME now = Now();
    FileTimeToSystemTime(&now, systemTime);
}

void GetLocalTime(LPSYSTEMTIME systemTime) {
    if (!systemTime) return;
    tzset();
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    systemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
    systemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
    systemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    systemTime->wDay = static_cast<WORD>(local.tm_mday);
    systemTime->wHour = static_cast<WORD>(local.tm_hour);
    systemTime->wMinute = static_cast<WORD>(local.tm_min);
    systemTime->wSecond = static_cast<WORD>(local.tm_sec);
    systemTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

void GetSystemTimeAsFileTime(LPFILETIME systemTimeAsFileTime) {
    if (systemTimeAsFileTime) *systemTimeAsFileTime = Now();
}
