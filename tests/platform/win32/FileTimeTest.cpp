#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

FILETIME Ticks(ULONGLONG ticks) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return t;
}

ULONGLONG Ticks(const FILETIME& t) {
    return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                WORD ms = 0) {
    SYSTEMTIME t{};
    t.wYear = year, t.wMonth = month, t.wDay = day;
    t.wHour = hour, t.wMinute = minute, t.wSecond = second, t.wMilliseconds = ms;
    return t;
}

constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;

struct KnownTime {
    ULONGLONG ticks;
    SYSTEMTIME time;
    WORD dayOfWeek;
};

TEST(FileTimes, ConvertKnownInstants) {
    const KnownTime cases[] = {
        {0, Date(1601, 1, 1), 1},
        {kUnixEpoch, Date(1970, 1, 1), 4},
        {kUnixEpoch + 951827696789ULL * 10000ULL, Date(2000, 2, 29, 12, 34, 56, 789), 2},
        {kUnixEpoch + 4102444799ULL * 10000000ULL, Date(2099, 12, 31, 23, 59, 59), 4},
    };
    for (const KnownTime& c : cases) {
        FILETIME ft = Ticks(c.ticks);
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        EXPECT_EQ(st.wYear, c.time.wYear);
        EXPECT_EQ(st.wMonth, c.time.wMonth);
        EXPECT_EQ(st.wDay, c.time.wDay);
        EXPECT_EQ(st.wHour, c.time.wHour);
        EXPECT_EQ(st.wMinute, c.time.wMinute);
        EXPECT_EQ(st.wSecond, c.time.wSecond);
        EXPECT_EQ(st.wMilliseconds, c.time.wMilliseconds);
        EXPECT_EQ(st.wDayOfWeek, c.dayOfWeek);

        FILETIME back{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &back));
        EXPECT_EQ(Ticks(back), c.ticks);
    }
}

TEST(FileTimes, AgreeWithTheCLibraryAcrossTheYears) {
    for (time_t seconds = -11644473600LL + 86399; seconds < 32503680000LL;
         seconds += 86400 * 367 + 3671) {
        // kUnixEpoch is 11644473600 seconds after 1601.
        FILETIME ft = Ticks(static_cast<ULONGLONG>(seconds + 11644473600LL) * 10000000ULL);
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        tm utc{};
        gmtime_r(&seconds, &utc);
        ASSERT_EQ(st.wYear, utc.tm_year + 1900) << seconds;
        ASSERT_EQ(st.wMonth, utc.tm_mon + 1) << seconds;
        ASSERT_EQ(st.wDay, utc.tm_mday) << seconds;
        ASSERT_EQ(st.wDayOfWeek, utc.tm_wday) << seconds;
        ASSERT_EQ(st.wHour * 3600 + st.wMinute * 60 + st.wSecond,
                  utc.tm_hour * 3600 + utc.tm_min * 60 + utc.tm_sec);
    }
}

TEST(FileTimes, RejectInvalidSystemTimes) {
    const SYSTEMTIME invalid[] = {
        Date(2023, 13, 1),
        Date(2023, 0, 1),
        Date(2023, 2, 29),
        Date(1900, 2, 29),
        Date(2023, 4, 31),
        Date(2023, 1, 0),
        Date(1600, 12, 31),
        Date(2023, 1, 1, 24),
        Date(2023, 1, 1, 0, 60),
        Date(2023, 1, 1, 0, 0, 60),
        Date(2023, 1, 1, 0, 0, 0, 1000),
    };
    for (const SYSTEMTIME& t : invalid) {
        FILETIME ft{};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&t, &ft)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    SYSTEMTIME leap = Date(2000, 2, 29);
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&leap, &ft));

    FILETIME tooLarge = Ticks(0x8000000000000000ULL);
    SYSTEMTIME st{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &st));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FileTimes, LocalTimesShiftByTheZoneOffset) {
    const char* saved = std::getenv("TZ");
    std::string savedValue = saved ? saved : "";
    setenv("TZ", "XST-3", 1); // three hours east of UTC, no daylight saving

    FILETIME utc = Ticks(kUnixEpoch), local{}, back{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(Ticks(local), kUnixEpoch + 3ULL * 3600 * 10000000);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Ticks(back), kUnixEpoch);

    FILETIME start = Ticks(0);
    EXPECT_FALSE(LocalFileTimeToFileTime(&start, &back)); // before 1601
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    SYSTEMTIME nowUtc{}, nowLocal{};
    GetSystemTime(&nowUtc);
    GetLocalTime(&nowLocal);
    int difference = (nowLocal.wHour - nowUtc.wHour + 24) % 24;
    EXPECT_TRUE(difference == 3 || (difference == 4 && nowLocal.wMinute == 0)) << difference;

    if (saved)
        setenv("TZ", savedValue.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(FileTimes, CompareOrdersByBothHalves) {
    FILETIME a = Ticks(0x100000000ULL), b = Ticks(0xFFFFFFFFULL), c = Ticks(0x100000000ULL);
    EXPECT_EQ(CompareFileTime(&a, &b), 1);
    EXPECT_EQ(CompareFileTime(&b, &a), -1);
    EXPECT_EQ(CompareFileTime(&a, &c), 0);
}

TEST(FileTimes, TheWallClockIsTheSystemsOwn) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULONGLONG seconds = (Ticks(now) - kUnixEpoch) / 10000000ULL;
    ULONGLONG expected = static_cast<ULONGLONG>(time(nullptr));
    EXPECT_LE(seconds > expected ? seconds - expected : expected - seconds, 2u);

    SYSTEMTIME st{};
    GetSystemTime(&st);
    FILETIME fromSystem{};
    ASSERT_TRUE(SystemTimeToFileTime(&st, &fromSystem));
    ULONGLONG gap = Ticks(fromSystem) > Ticks(now) ? Ticks(fromSystem) - Ticks(now)
                                                   : Ticks(now) - Ticks(fromSystem);
    EXPECT_LT(gap, 2ULL * 10000000ULL);
}

TEST(FileTimes, SetFileTimeRoundTripsThroughGetFileTimeAndFind) {
    TempFolder folder;
    HANDLE file = CreateFileW(folder.Windows(u"t.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME when = Date(2021, 6, 15, 8, 30, 0, 250);
    FILETIME write{}, access{};
    SystemTimeToFileTime(&when, &write);
    write = Ticks(Ticks(write) + 1234); // keep 100 ns precision
    access = Ticks(Ticks(write) - 10000000ULL * 3600);
    ASSERT_TRUE(SetFileTime(file, nullptr, &access, &write));

    FILETIME gotCreation{}, gotAccess{}, gotWrite{};
    ASSERT_TRUE(GetFileTime(file, &gotCreation, &gotAccess, &gotWrite));
    EXPECT_EQ(Ticks(gotWrite), Ticks(write));
    EXPECT_EQ(Ticks(gotAccess), Ticks(access));
    EXPECT_NE(Ticks(gotCreation), 0u);

    // A zero time leaves that time as it was.
    FILETIME zero{};
    FILETIME later = Ticks(Ticks(write) + 10000000ULL);
    ASSERT_TRUE(SetFileTime(file, nullptr, &zero, &later));
    ASSERT_TRUE(GetFileTime(file, nullptr, &gotAccess, &gotWrite));
    EXPECT_EQ(Ticks(gotAccess), Ticks(access));
    EXPECT_EQ(Ticks(gotWrite), Ticks(later));
    CloseHandle(file);

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(folder.Windows(u"t.bin").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Ticks(data.ftLastWriteTime), Ticks(later));
    FindClose(find);

    HANDLE reader = CreateFileW(folder.Windows(u"t.bin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(SetFileTime(reader, nullptr, nullptr, &write));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(reader);
}

} // namespace
