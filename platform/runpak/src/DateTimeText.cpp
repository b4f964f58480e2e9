// TDateTime to and from text.
#include <runpak/DateTime.h>
#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <cmath>
#include <ctime>

namespace {

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// True when fmt at i starts with word, ignoring case.
bool StartsAt(const UnicodeString& fmt, size_t i, std::u16string_view word) {
    if (fmt.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (Lower(fmt[i + k]) != word[k]) return false;
    return true;
}

UnicodeString Padded(unsigned value, size_t digits) {
    UnicodeString s = IntToStr(value);
    if (s.size() < digits) s.insert(0, digits - s.size(), u'0');
    return s;
}

// Whether the format shows a half-day marker, which makes hours 12-hour.
bool HasHalfDayMarker(const UnicodeString& fmt) {
    char16_t quote = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        char16_t c = fmt[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (StartsAt(fmt, i, u"am/pm") || StartsAt(fmt, i, u"a/p") ||
                   StartsAt(fmt, i, u"ampm")) {
            return true;
        }
    }
    return false;
}

class DateTimeWriter {
public:
    DateTimeWriter(TDateTime value, const TFormatSettings& fs) : FSettings(fs) {
        DecodeDateTime(value, FYear, FMonth, FDay, FHour, FMin, FSec, FMSec);
        FDayOfWeek = DayOfWeek(value);
    }

    void Write(const UnicodeString& fmt, int depth = 0);
    UnicodeString Result() const { return FOut; }

private:
    size_t Run(const UnicodeString& fmt, size_t i) const {
        size_t n = 0;
        while (i + n < fmt.size() && Lower(fmt[i + n]) == Lower(fmt[i]))
            ++n;
        return n;
    }

    const TFormatSettings& FSettings;
    unsigned short FYear, FMonth, FDay, FHour, FMin, FSec, FMSec;
    int FDayOfWeek;
    UnicodeString FOut;
};

void DateTimeWriter::Write(const UnicodeString& fmt, int depth) {
    if (depth > 2) return; // formats that name each other
    const bool twelveHour = HasHalfDayMarker(fmt);
    char16_t lastToken = 0;
    size_t i = 0;
    while (i < fmt.size()) {
        char16_t c = fmt[i];
        char16_t lc = Lower(c);
        if (c == u'\'' || c == u'"') {
            size_t end = fmt.find(c, i + 1);
            if (end == UnicodeString::npos) end = fmt.size();
            FOut.append(fmt, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        size_t n = Run(fmt, i);
        switch (lc) {
        case u'c':
            Write(FSettings.ShortDateFormat, depth + 1);
            if (FHour || FMin || FSec || FMSec) {
                FOut += u' ';
                Write(FSettings.LongTimeFormat, depth + 1);
            }
            n = 1;
            break;
        case u'd':
            if (n == 1)
                FOut += IntToStr(FDay);
            else if (n == 2)
                FOut += Padded(FDay, 2);
            else if (n == 3)
                FOut += FSettings.ShortDayNames[FDayOfWeek - 1];
            else if (n == 4)
                FOut += FSettings.LongDayNames[FDayOfWeek - 1];
            else if (n == 5)
                Write(FSettings.ShortDateFormat, depth + 1);
            else {
                Write(FSettings.LongDateFormat, depth + 1);
                n = 6;
            }
            break;
        case u'y':
            FOut += n <= 2 ? Padded(FYear % 100, 2) : Padded(FYear, 4);
            break;
        case u'm':
            if (lastToken == u'h' && n <= 2)
                FOut += n == 1 ? IntToStr(FMin) : Padded(FMin, 2);
            else if (n == 1)
                FOut += IntToStr(FMonth);
            else if (n == 2)
                FOut += Padded(FMonth, 2);
            else if (n == 3)
                FOut += FSettings.ShortMonthNames[FMonth - 1];
            else {
                FOut += FSettings.LongMonthNames[FMonth - 1];
                n = 4;
            }
            break;
        case u'h': {
            unsigned hour = FHour;
            if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
            if (n > 2) n = 2;
            FOut += n == 1 ? IntToStr(hour) : Padded(hour, 2);
            break;
        }
        case u'n':
            if (n > 2) n = 2;
            FOut += n == 1 ? IntToStr(FMin) : Padded(FMin, 2);
            break;
        case u's':
            if (n > 2) n = 2;
            FOut += n == 1 ? IntToStr(FSec) : Padded(FSec, 2);
            break;
        case u'z':
            if (n >= 3) {
                n = 3;
                FOut += Padded(FMSec, 3);
            } else {
                n = 1;
                FOut += IntToStr(FMSec);
            }
            break;
        case u't':
            if (n >= 2) {
                n = 2;
                Write(FSettings.LongTimeFormat, depth + 1);
            } else {
                Write(FSettings.ShortTimeFormat, depth + 1);
            }
            break;
        case u'a':
            if (StartsAt(fmt, i, u"am/pm")) {
                // The marker takes the case of its first letter as written.
                bool upper = fmt[i] == u'A';
                UnicodeString m = FHour < 12 ? u"am" : u"pm";
                FOut += upper ? UpperCase(m) : m;
                n = 5;
            } else if (StartsAt(fmt, i, u"a/p")) {
                bool upper = fmt[i] == u'A';
                FOut += FHour < 12 ? (upper ? u'A' : u'a') : (upper ? u'P' : u'p');
                n = 3;
            } else if (StartsAt(fmt, i, u"ampm")) {
                FOut += FHour < 12 ? FSettings.TimeAMString : FSettings.TimePMString;
                n = 4;
            } else {
                FOut += c;
                n = 1;
            }
            break;
        case u'/':
            FOut += FSettings.DateSeparator;
            n = 1;
            break;
        case u':':
            FOut += FSettings.TimeSeparator;
            n = 1;
            break;
        default:
            FOut += c;
            n = 1;
            break;
        }
        if (lc >= u'a' && lc <= u'z' && lc != u'a') lastToken = lc;
        i += n;
    }
}

// ---- Parsing ---------------------------------------------------------------------------

class DateTimeReader {
public:
    DateTimeReader(const UnicodeString& s, const TFormatSettings& fs) : FText(s), FSettings(fs) {}

    bool ReadDate(TDateTime& date);
    bool ReadTime(TDateTime& time);
    void SkipBlanks() {
        while (FPos < FText.size() && FText[FPos] == u' ')
            ++FPos;
    }
    bool AtEnd() const { return FPos >= FText.size(); }
    size_t Position() const { return FPos; }
    void SetPosition(size_t pos) { FPos = pos; }

private:
    bool ReadNumber(unsigned& value, size_t& digits);
    bool ReadChar(char16_t c) {
        if (FPos < FText.size() && FText[FPos] == c) {
            ++FPos;
            return true;
        }
        return false;
    }

    const UnicodeString& FText;
    const TFormatSettings& FSettings;
    size_t FPos = 0;
};

bool DateTimeReader::ReadNumber(unsigned& value, size_t& digits) {
    digits = 0;
    value = 0;
    while (FPos < FText.size() && FText[FPos] >= u'0' && FText[FPos] <= u'9') {
        if (digits >= 9) return false;
        value = value * 10 + (FText[FPos] - u'0');
        ++digits;
        ++FPos;
    }
    return digits > 0;
}

// Day, month and year in the order ShortDateFormat names them.
enum DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(const UnicodeString& fmt) {
    for (char16_t c : fmt) {
        char16_t lc = Lower(c);
        if (lc == u'y') return YMD;
        if (lc == u'm') return MDY;
        if (lc == u'd') return DMY;
    }
    return MDY;
}

bool DateTimeReader::ReadDate(TDateTime& date) {
    SkipBlanks();
    unsigned n[3] = {0, 0, 0};
    size_t len[3] = {0, 0, 0};
    if (!ReadNumber(n[0], len[0]) || !ReadChar(FSettings.DateSeparator) ||
        !ReadNumber(n[1], len[1]))
        return false;
    int count = 2;
    size_t mark = FPos;
    if (ReadChar(FSettings.DateSeparator)) {
        if (ReadNumber(n[2], len[2]))
            count = 3;
        else
            FPos = mark;
    }
    unsigned year, month, day;
    size_t yearDigits = 4;
    time_t now = ::time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    const unsigned currentYear = static_cast<unsigned>(local.tm_year + 1900);
    DateOrder order = OrderOf(FSettings.ShortDateFormat);
    if (count == 2) {
        year = currentYear;
        if (order == DMY) {
            day = n[0];
            month = n[1];
        } else {
            month = n[0];
            day = n[1];
        }
    } else if (order == YMD) {
        year = n[0], month = n[1], day = n[2], yearDigits = len[0];
    } else if (order == DMY) {
        day = n[0], month = n[1], year = n[2], yearDigits = len[2];
    } else {
        month = n[0], day = n[1], year = n[2], yearDigits = len[2];
    }
    if (year <= 99 && yearDigits <= 2) {
        // Two-digit years land in the window that ends this many years from now.
        unsigned window = FSettings.TwoDigitYearCenturyWindow;
        unsigned threshold = currentYear - window;
        year += threshold / 100 * 100;
        if (window > 0 && year < threshold) year += 100;
    }
    if (year > 9999 || month > 12 || day > 31) return false;
    return TryEncodeDate(static_cast<unsigned short>(year), static_cast<unsigned short>(month),
                         static_cast<unsigned short>(day), date);
}

bool DateTimeReader::ReadTime(TDateTime& time) {
    SkipBlanks();
    unsigned hour, min = 0, sec = 0, msec = 0;
    size_t digits;
    if (!ReadNumber(hour, digits)) return false;
    bool haveMinutes = false;
    if (ReadChar(FSettings.TimeSeparator)) {
        if (!ReadNumber(min, digits)) return false;
        haveMinutes = true;
        if (ReadChar(FSettings.TimeSeparator)) {
            if (!ReadNumber(sec, digits)) return false;
            if (ReadChar(FSettings.DecimalSeparator)) {
                if (!ReadNumber(msec, digits) || digits > 3) return false;
                for (; digits < 3; ++digits)
                    msec *= 10; // ".5" is 500 ms
            }
        }
    }
    SkipBlanks();
    // An optional half-day marker: the settings' strings, or AM/PM, A/P.
    int half = 0; // 1 = am, 2 = pm
    UnicodeString rest = FText.substr(FPos);
    const UnicodeString am[] = {FSettings.TimeAMString, u"AM", u"A"};
    const UnicodeString pm[] = {FSettings.TimePMString, u"PM", u"P"};
    for (int k = 0; k < 3 && !half; ++k) {
        if (!am[k].empty() && StartsText(am[k], rest)) {
            half = 1;
            FPos += am[k].size();
        } else if (!pm[k].empty() && StartsText(pm[k], rest)) {
            half = 2;
            FPos += pm[k].size();
        }
    }
    if (!haveMinutes && !half) return false;
    if (half) {
        if (hour == 0 || hour > 12) return false;
        if (half == 1 && hour == 12) hour = 0;
        if (half == 2 && hour < 12) hour += 12;
    }
    if (hour > 23 || min > 59 || sec > 59) return false;
    return TryEncodeTime(static_cast<unsigned short>(hour), static_cast<unsigned short>(min),
                         static_cast<unsigned short>(sec), static_cast<unsigned short>(msec), time);
}

[[noreturn]] void Invalid(const UnicodeString& s, const char16_t* what) {
    throw EConvertError(u"'" + s + u"' is not a valid " + what);
}

} // namespace

UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value,
                             const TFormatSettings& fs) {
    DateTimeWriter writer(value, fs);
    writer.Write(format.empty() ? UnicodeString(u"c") : format);
    return writer.Result();
}

UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value) {
    return FormatDateTime(format, value, FormatSettings());
}

UnicodeString DateToStr(TDateTime date, const TFormatSettings& fs) {
    return FormatDateTime(fs.ShortDateFormat, date, fs);
}
UnicodeString TimeToStr(TDateTime time, const TFormatSettings& fs) {
    return FormatDateTime(fs.LongTimeFormat, time, fs);
}
UnicodeString DateTimeToStr(TDateTime value, const TFormatSettings& fs) {
    return FormatDateTime(u"c", value, fs);
}
UnicodeString DateToStr(TDateTime date) {
    return DateToStr(date, FormatSettings());
}
UnicodeString TimeToStr(TDateTime time) {
    return TimeToStr(time, FormatSettings());
}
UnicodeString DateTimeToStr(TDateTime value) {
    return DateTimeToStr(value, FormatSettings());
}

bool TryStrToDate(const UnicodeString& s, TDateTime& value, const TFormatSettings& fs) {
    DateTimeReader reader(s, fs);
    TDateTime date;
    if (!reader.ReadDate(date)) return false;
    reader.SkipBlanks();
    if (!reader.AtEnd()) return false;
    value = date;
    return true;
}

bool TryStrToTime(const UnicodeString& s, TDateTime& value, const TFormatSettings& fs) {
    DateTimeReader reader(s, fs);
    TDateTime time;
    if (!reader.ReadTime(time)) return false;
    reader.SkipBlanks();
    if (!reader.AtEnd()) return false;
    value = time;
    return true;
}

bool TryStrToDateTime(const UnicodeString& s, TDateTime& value, const TFormatSettings& fs) {
    DateTimeReader reader(s, fs);
    TDateTime date, time;
    if (reader.ReadDate(date)) {
        reader.SkipBlanks();
        if (reader.AtEnd()) {
            value = date;
            return true;
        }
        if (!reader.ReadTime(time)) return false;
        reader.SkipBlanks();
        if (!reader.AtEnd()) return false;
        value = ComposeDateTime(date, time);
        return true;
    }
    return TryStrToTime(s, value, fs);
}

bool TryStrToDate(const UnicodeString& s, TDateTime& value) {
    return TryStrToDate(s, value, FormatSettings());
}
bool TryStrToTime(const UnicodeString& s, TDateTime& value) {
    return TryStrToTime(s, value, FormatSettings());
}
bool TryStrToDateTime(const UnicodeString& s, TDateTime& value) {
    return TryStrToDateTime(s, value, FormatSettings());
}

TDateTime StrToDate(const UnicodeString& s) {
    TDateTime value;
    if (!TryStrToDate(s, value)) Invalid(s, u"date");
    return value;
}

TDateTime StrToTime(const UnicodeString& s) {
    TDateTime value;
    if (!TryStrToTime(s, value)) Invalid(s, u"time");
    return value;
}

TDateTime StrToDateTime(const UnicodeString& s) {
    TDateTime value;
    if (!TryStrToDateTime(s, value)) Invalid(s, u"date and time");
    return value;
}

TDateTime StrToDateDef(const UnicodeString& s, TDateTime fallback) {
    TDateTime value;
    return TryStrToDate(s, value) ? value : fallback;
}

TDateTime StrToDateTimeDef(const UnicodeString& s, TDateTime fallback) {
    TDateTime value;
    return TryStrToDateTime(s, value) ? value : fallback;
}
