#include <runpak/DateTime.h>
#include <runpak/Exceptions.h>

#include <win32/windef.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string U8(const UnicodeString& s) {
    return UnicodeToUtf8(s);
}

struct DateCase {
    unsigned short y, m, d;
    double serial;
};

TEST(DateTimeEncode, KnownSerialNumbers) {
    const DateCase cases[] = {
        {1899, 12, 30, 0},   {1899, 12, 31, 1},   {1900, 1, 1, 2},
        {1899, 12, 29, -1},  {1970, 1, 1, 25569}, {2000, 2, 29, 36585},
        {2024, 3, 1, 45352}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d).Val(), c.serial);
        unsigned short y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST(DateTimeEncode, EveryDayOfFourHundredYearsRoundTrips) {
    // A full Gregorian cycle covers every leap-year rule.
    TDateTime start = EncodeDate(1900, 1, 1);
    unsigned short prevY = 1899, prevM = 12, prevD = 31;
    for (int i = 0; i < 146097; ++i) {
        unsigned short y, m, d;
        DecodeDate(start + i, y, m, d);
        bool nextDay = y == prevY && m == prevM && d == prevD + 1;
        bool nextMonth =
            y == prevY && m == prevM + 1 && d == 1 && prevD == DaysInAMonth(prevY, prevM);
        bool nextYear = y == prevY + 1 && m == 1 && d == 1 && prevM == 12 && prevD == 31;
        ASSERT_TRUE(nextDay || nextMonth || nextYear) << y << "-" << m << "-" << d;
        ASSERT_EQ(EncodeDate(y, m, d).Val(), start + i);
        prevY = y, prevM = m, prevD = d;
    }
}

TEST(DateTimeEncode, LeapYears) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2100, 2), 28);
    TDateTime d;
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
}

TEST(DateTimeEncode, InvalidPartsRaise) {
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    try {
        EncodeDate(2024, 2, 30);
    } catch (const EConvertError& e) {
        EXPECT_EQ(U8(e.GetMessage()), "Invalid argument to date encode");
    }
}

TEST(DateTimeEncode, TimeOfDayRoundTrips) {
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    for (unsigned short h : {0, 1, 11, 12, 23})
        for (unsigned short n : {0, 1, 30, 59})
            for (unsigned short ms : {0, 1, 500, 999}) {
                unsigned short hh, nn, ss, zz;
                DecodeTime(EncodeDate(2024, 6, 1) + EncodeTime(h, n, 59, ms), hh, nn, ss, zz);
                ASSERT_EQ(hh, h);
                ASSERT_EQ(nn, n);
                ASSERT_EQ(ss, 59);
                ASSERT_EQ(zz, ms);
            }
}

TEST(DateTimeEncode, BeforeTheEpochTheTimeStillRunsForward) {
    TDateTime v = EncodeDateTime(1899, 12, 29, 6, 0, 0, 0);
    EXPECT_DOUBLE_EQ(v, -1.25);
    unsigned short y, m, d, h, n, s, z;
    DecodeDateTime(v, y, m, d, h, n, s, z);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
}

TEST(DateTimeEncode, DayOfWeekAndMonths) {
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7); // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);   // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1); // Sunday, before the epoch
    unsigned short y, m, d;
    DecodeDate(IncMonth(EncodeDate(2024, 1, 31)), y, m, d);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 29);
    DecodeDate(IncMonth(EncodeDate(2024, 1, 15), -13), y, m, d);
    EXPECT_EQ(y, 2022);
    EXPECT_EQ(m, 12);
}

TEST(DateTimeClock, NowIsCloseToTheUnixClock) {
    TDateTime now = Now();
    EXPECT_GT(now.Val(), EncodeDate(2020, 1, 1).Val());
    EXPECT_DOUBLE_EQ(Date().Val(), std::trunc(Date().Val()));
    EXPECT_LT(Time().Val(), 1.0);
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(1700000000)), 1700000000);
    EXPECT_DOUBLE_EQ(UnixToDateTime(0), 25569);
}

TEST(DateTimeEncode, SystemTimeBothWays) {
    SYSTEMTIME st{};
    DateTimeToSystemTime(EncodeDateTime(2024, 3, 5, 14, 7, 9, 45), st);
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 5);
    EXPECT_EQ(st.wDayOfWeek, 2); // Tuesday
    EXPECT_EQ(st.wHour, 14);
    EXPECT_EQ(st.wMinute, 7);
    EXPECT_EQ(st.wSecond, 9);
    EXPECT_EQ(st.wMilliseconds, 45);
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(st), EncodeDateTime(2024, 3, 5, 14, 7, 9, 45));
    st.wMonth = 13;
    EXPECT_THROW(SystemTimeToDateTime(st), EConvertError);
}

TEST(FormatDateTimeTest, Tokens) {
    TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);
    struct Case {
        const char16_t* format;
        const char* expected;
    } cases[] = {
        {u"yyyy-mm-dd", "2024-03-05"},
        {u"d/m/yy", "5/3/24"},
        {u"dddd, mmmm d", "Tuesday, March 5"},
        {u"ddd mmm", "Tue Mar"},
        {u"hh:nn:ss.zzz", "14:07:09.045"},
        {u"h:n:s.z", "14:7:9.45"},
        {u"hh:mm", "14:07"}, // m after h is minutes
        {u"h:mm am/pm", "2:07 pm"},
        {u"h:mm AM/PM", "2:07 PM"},
        {u"h a/p", "2 p"},
        {u"hh ampm", "02 PM"},
        {u"'at' hh 'o''clock'", "at 14 oclock"},
        {u"\"yyyy\" yyyy", "yyyy 2024"},
        {u"ddddd", "2024/03/05"},
        {u"tt", "14:07:09"},
        {u"t", "14:07"},
        {u"c", "2024/03/05 14:07:09"},
        {u"YYYY/MM/DD", "2024/03/05"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(U8(FormatDateTime(c.format, v)), c.expected) << U8(c.format);
    EXPECT_EQ(U8(FormatDateTime(u"h am/pm", EncodeTime(0, 30, 0, 0))), "12 am");
    EXPECT_EQ(U8(FormatDateTime(u"h am/pm", EncodeTime(12, 0, 0, 0))), "12 pm");
}

TEST(FormatDateTimeTest, StandardTextsFollowTheSettings) {
    TDateTime v = EncodeDateTime(2024, 12, 31, 23, 59, 58, 0);
    EXPECT_EQ(U8(DateToStr(v)), "2024/12/31");
    EXPECT_EQ(U8(TimeToStr(v)), "23:59:58");
    EXPECT_EQ(U8(DateTimeToStr(v)), "2024/12/31 23:59:58");
    EXPECT_EQ(U8(DateTimeToStr(EncodeDate(2024, 12, 31))), "2024/12/31"); // midnight: date only
    TFormatSettings fs;
    fs.ShortDateFormat = u"dd/mm/yyyy";
    fs.DateSeparator = u'.';
    fs.TimeSeparator = u'-';
    EXPECT_EQ(U8(DateTimeToStr(v, fs)), "31.12.2024 23-59-58");
}

TEST(StrToDateTimeTest, ParsesWhatDateTimeToStrWrites) {
    TDateTime v = EncodeDateTime(2024, 2, 29, 8, 5, 3, 0);
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(v)), v);
    EXPECT_DOUBLE_EQ(StrToDate(u"2024/02/29"), EncodeDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(StrToDate(u" 2024/2/9 "), EncodeDate(2024, 2, 9));
    EXPECT_DOUBLE_EQ(StrToTime(u"8:05"), EncodeTime(8, 5, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime(u"8:05:03.5"), EncodeTime(8, 5, 3, 500));
    EXPECT_DOUBLE_EQ(StrToTime(u"8 PM"), EncodeTime(20, 0, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime(u"12:15 am"), EncodeTime(0, 15, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime(u"10:30"), EncodeTime(10, 30, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime(u"1899/12/29 06:00"), -1.25);
}

TEST(StrToDateTimeTest, OrderAndYearsFollowTheSettings) {
    TFormatSettings fs;
    fs.ShortDateFormat = u"d.m.yyyy";
    fs.DateSeparator = u'.';
    TDateTime v;
    ASSERT_TRUE(TryStrToDate(u"5.3.2024", v, fs));
    EXPECT_DOUBLE_EQ(v, EncodeDate(2024, 3, 5));
    fs.ShortDateFormat = u"m/d/yyyy";
    fs.DateSeparator = u'/';
    ASSERT_TRUE(TryStrToDate(u"3/5/2024", v, fs));
    EXPECT_DOUBLE_EQ(v, EncodeDate(2024, 3, 5));
    // Two-digit years fall within the century window around now.
    ASSERT_TRUE(TryStrToDate(u"3/5/24", v, fs));
    EXPECT_DOUBLE_EQ(v, EncodeDate(2024, 3, 5));
    ASSERT_TRUE(TryStrToDate(u"3/5/0024", v, fs));
    EXPECT_DOUBLE_EQ(v, EncodeDate(24, 3, 5));
    // Without a year: this year.
    ASSERT_TRUE(TryStrToDate(u"3/5", v, fs));
    unsigned short y, m, d, ty, tm, td;
    DecodeDate(v, y, m, d);
    DecodeDate(Date(), ty, tm, td);
    EXPECT_EQ(y, ty);
}

TEST(StrToDateTimeTest, BadTextRaises) {
    const char16_t* bad[] = {u"",
                             u"2024",
                             u"2024/13/01",
                             u"2023/02/29",
                             u"2024/01/01x",
                             u"2024-01-01",
                             u"2024/01/01 25:00",
                             u"abc",
                             u"2024/01/01 10:61"};
    for (const char16_t* s : bad) {
        TDateTime v;
        EXPECT_FALSE(TryStrToDateTime(s, v)) << U8(s);
        EXPECT_THROW(StrToDateTime(s), EConvertError) << U8(s);
    }
    EXPECT_THROW(StrToTime(u"13 PM"), EConvertError);
    EXPECT_THROW(StrToTime(u"12"), EConvertError);
    try {
        StrToDate(u"31/31/31");
    } catch (const EConvertError& e) {
        EXPECT_EQ(U8(e.GetMessage()), "'31/31/31' is not a valid date");
    }
    EXPECT_DOUBLE_EQ(StrToDateDef(u"junk", 7.0), 7.0);
}

} // namespace
