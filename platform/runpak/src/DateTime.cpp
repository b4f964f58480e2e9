// Encoding, decoding and the clock of TDateTime.
#include <runpak/DateTime.h>
#include <runpak/Exceptions.h>

#include <win32/windef.h>

#include <cmath>
#include <ctime>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

// TDateTime 0 is 1899-12-30, which is day -25569 of the Unix count.
constexpr long long kUnixDateDelta = 25569;

// Splits a value into its day number (relative to 1899-12-30) and the
// milliseconds since that day's midnight.
void SplitValue(double value, long long& days, long long& msecs) {
    days = static_cast<long long>(std::trunc(value));
    msecs = std::llround(std::fabs(value - std::trunc(value)) * MSecsPerDay);
    if (msecs >= MSecsPerDay) {
        msecs -= MSecsPerDay;
        ++days;
    }
}

} // namespace

bool IsLeapYear(unsigned year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned short DaysInAMonth(unsigned year, unsigned month) {
    static const unsigned short kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(unsigned short year, unsigned short month, unsigned short day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInAMonth(year, month))
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) + kUnixDateDelta);
    return true;
}

TDateTime EncodeDate(unsigned short year, unsigned short month, unsigned short day) {
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError(u"Invalid argument to date encode");
    return date;
}

bool TryEncodeTime(unsigned short hour, unsigned short min, unsigned short sec, unsigned short msec,
                   TDateTime& time) {
    if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
    long long ms = ((hour * 60LL + min) * 60 + sec) * 1000 + msec;
    time = static_cast<double>(ms) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(unsigned short hour, unsigned short min, unsigned short sec,
                     unsigned short msec) {
    TDateTime time;
    if (!TryEncodeTime(hour, min, sec, msec, time))
        throw EConvertError(u"Invalid argument to time encode");
    return time;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    // Before the epoch the time still runs forward from midnight, so it
    // moves the (negative) value towards zero.
    double d = std::trunc(date.Val());
    double t = std::fabs(time.Val() - std::trunc(time.Val()));
    return d < 0 ? d - t : d + t;
}

TDateTime EncodeDateTime(unsigned short year, unsigned short month, unsigned short day,
                         unsigned short hour, unsigned short min, unsigned short sec,
                         unsigned short msec) {
    return ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDate(TDateTime date, unsigned short& year, unsigned short& month, unsigned short& day) {
    long long days, msecs;
    SplitValue(date.Val(), days, msecs);
    long long y;
    unsigned m, d;
    CivilFromDays(days - kUnixDateDelta, y, m, d);
    year = static_cast<unsigned short>(y < 0 ? 0 : y > 65535 ? 65535 : y);
    month = static_cast<unsigned short>(m);
    day = static_cast<unsigned short>(d);
}

void DecodeTime(TDateTime time, unsigned short& hour, unsigned short& min, unsigned short& sec,
                unsigned short& msec) {
    long long days, ms;
    SplitValue(time.Val(), days, ms);
    hour = static_cast<unsigned short>(ms / 3600000);
    min = static_cast<unsigned short>(ms / 60000 % 60);
    sec = static_cast<unsigned short>(ms / 1000 % 60);
    msec = static_cast<unsigned short>(ms % 1000);
}

void DecodeDateTime(TDateTime value, unsigned short& year, unsigned short& month,
                    unsigned short& day, unsigned short& hour, unsigned short& min,
                    unsigned short& sec, unsigned short& msec) {
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);
}

int DayOfWeek(TDateTime date) {
    long long days, msecs;
    SplitValue(date.Val(), days, msecs);
    // 1899-12-30 was a Saturday (7).
    long long dow = ((days + 6) % 7 + 7) % 7; // 0 = Sunday
    return static_cast<int>(dow) + 1;
}

TDateTime DateOf(TDateTime value) {
    long long days, msecs;
    SplitValue(value.Val(), days, msecs);
    return static_cast<double>(days);
}

TDateTime TimeOf(TDateTime value) {
    long long days, msecs;
    SplitValue(value.Val(), days, msecs);
    return static_cast<double>(msecs) / MSecsPerDay;
}

TDateTime IncMonth(TDateTime date, int months) {
    unsigned short y, m, d;
    DecodeDate(date, y, m, d);
    long long total = static_cast<long long>(y) * 12 + (m - 1) + months;
    long long year = total / 12;
    unsigned month = static_cast<unsigned>(total % 12) + 1;
    if (year < 1 || year > 9999) throw EConvertError(u"Invalid argument to date encode");
    unsigned short day = d;
    if (day > DaysInAMonth(static_cast<unsigned>(year), month))
        day = DaysInAMonth(static_cast<unsigned>(year), month);
    return ComposeDateTime(
        EncodeDate(static_cast<unsigned short>(year), static_cast<unsigned short>(month), day),
        TimeOf(date));
}

TDateTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return ComposeDateTime(
        EncodeDate(static_cast<unsigned short>(local.tm_year + 1900),
                   static_cast<unsigned short>(local.tm_mon + 1),
                   static_cast<unsigned short>(local.tm_mday)),
        EncodeTime(static_cast<unsigned short>(local.tm_hour),
                   static_cast<unsigned short>(local.tm_min),
                   static_cast<unsigned short>(local.tm_sec > 59 ? 59 : local.tm_sec),
                   static_cast<unsigned short>(ts.tv_nsec / 1000000)));
}

TDateTime Date() {
    return DateOf(Now());
}
TDateTime Time() {
    return TimeOf(Now());
}

TDateTime UnixToDateTime(int64_t seconds) {
    long long days =
        seconds >= 0 ? seconds / SecsPerDay : -((-seconds + SecsPerDay - 1) / SecsPerDay);
    long long rest = seconds - days * SecsPerDay;
    return ComposeDateTime(static_cast<double>(days + kUnixDateDelta),
                           static_cast<double>(rest) / SecsPerDay);
}

int64_t DateTimeToUnix(TDateTime value) {
    long long days, msecs;
    SplitValue(value.Val(), days, msecs);
    return (days - kUnixDateDelta) * SecsPerDay + msecs / 1000;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
    return ComposeDateTime(EncodeDate(st.wYear, st.wMonth, st.wDay),
                           EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

void DateTimeToSystemTime(TDateTime value, SYSTEMTIME& st) {
    DecodeDateTime(value, st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                   st.wMilliseconds);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1); // 0 = Sunday
}
