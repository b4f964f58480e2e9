#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

HANDLE Open(const std::u16string& path, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

std::string ReadAll(HANDLE file, DWORD max = 4096) {
    std::string buffer(max, '\0');
    DWORD read = 0;
    if (!ReadFile(file, buffer.data(), max, &read, nullptr)) return "<failed>";
    buffer.resize(read);
    return buffer;
}

bool WriteText(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

struct DispositionCase {
    const char* name;
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD lastError;      // after the call, success or not
    const char* contents; // of the file afterwards; null when it must not exist
};

void PrintTo(const DispositionCase& c, std::ostream* out) {
    *out << c.name;
}

class CreationDisposition : public testing::TestWithParam<DispositionCase> {};

TEST_P(CreationDisposition, OpensCreatesOrTruncatesAsWindowsDoes) {
    const DispositionCase& c = GetParam();
    TempFolder folder;
    if (c.exists) folder.Write("f.txt", "old");

    SetLastError(12345);
    HANDLE file = Open(folder.Windows(u"f.txt"), GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(GetLastError(), c.lastError);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    if (file != INVALID_HANDLE_VALUE) {
        EXPECT_TRUE(CloseHandle(file));
    }
    EXPECT_EQ(folder.Exists("f.txt"), c.contents != nullptr);
    if (c.contents) {
        EXPECT_EQ(folder.Read("f.txt"), c.contents);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CreationDisposition,
    testing::Values(
        DispositionCase{"CreateNewOverExisting", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        DispositionCase{"CreateNewFresh", CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        DispositionCase{"CreateAlwaysReplaces", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS,
                        ""},
        DispositionCase{"CreateAlwaysFresh", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        DispositionCase{"OpenExisting", OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
        DispositionCase{"OpenExistingMissing", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
                        nullptr},
        DispositionCase{"OpenAlwaysExisting", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        DispositionCase{"OpenAlwaysFresh", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        DispositionCase{"TruncateExisting", TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
        DispositionCase{"TruncateMissing", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
                        nullptr},
        DispositionCase{"InvalidDisposition", 0, true, false, ERROR_INVALID_PARAMETER, "old"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CreateFile, TellsAMissingFolderFromAMissingFile) {
    TempFolder folder;
    EXPECT_EQ(Open(folder.Windows(u"none\\f.txt"), GENERIC_READ, 0, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Open(folder.Windows(u"none\\f.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Open(u"Q:\\f.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(CreateFile, OpensAFolderOnlyWithBackupSemantics) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Linux("sub"));
    EXPECT_EQ(Open(folder.Windows(u"sub"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    HANDLE dir = Open(folder.Windows(u"sub"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(dir, INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION info;
    ASSERT_TRUE(GetFileInformationByHandle(dir, &info));
    EXPECT_TRUE(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    char byte;
    DWORD read;
    EXPECT_FALSE(ReadFile(dir, &byte, 1, &read, nullptr));
    CloseHandle(dir);

    EXPECT_EQ(Open(folder.Windows(u"sub"), GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
}

TEST(CreateFile, ReadOnlyFilesRefuseWritingEvenToRoot) {
    TempFolder folder;
    folder.Write("ro.txt", "keep");
    chmod(folder.Linux("ro.txt").c_str(), 0444);
    for (DWORD disposition : {OPEN_EXISTING, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
        EXPECT_EQ(Open(folder.Windows(u"ro.txt"), GENERIC_WRITE, 0, disposition),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(folder.Read("ro.txt"), "keep");
    HANDLE file = Open(folder.Windows(u"ro.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(file), "keep");
    CloseHandle(file);
}

TEST(CreateFile, CreatesReadOnlyFilesFromTheAttribute) {
    TempFolder folder;
    HANDLE file =
        Open(folder.Windows(u"new.txt"), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteText(file, "data")); // the creating handle may still write
    CloseHandle(file);
    EXPECT_EQ(GetFileAttributesW(folder.Windows(u"new.txt").c_str()), FILE_ATTRIBUTE_READONLY);
}

struct SharingCase {
    const char* name;
    DWORD firstAccess, firstShare;
    DWORD secondAccess, secondShare;
    bool secondOpens;
};

void PrintTo(const SharingCase& c, std::ostream* out) {
    *out << c.name;
}

class SharingModes : public testing::TestWithParam<SharingCase> {};

TEST_P(SharingModes, ConflictingOpensFailWithASharingViolation) {
    const SharingCase& c = GetParam();
    TempFolder folder;
    folder.Write("f.txt", "x");
    std::u16string path = folder.Windows(u"f.txt");
    HANDLE first = Open(path, c.firstAccess, c.firstShare, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = Open(path, c.secondAccess, c.secondShare, OPEN_EXISTING);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second == INVALID_HANDLE_VALUE) {
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    } else {
        CloseHandle(second);
    }
    // Once the first open is gone the second always succeeds.
    CloseHandle(first);
    second = Open(path, c.secondAccess, c.secondShare, OPEN_EXISTING);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    CloseHandle(second);
}

constexpr DWORD kRW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareRW = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

INSTANTIATE_TEST_SUITE_P(
    Files, SharingModes,
    testing::Values(SharingCase{"ReadersSharingReads", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ,
                                FILE_SHARE_READ, true},
                    SharingCase{"WriterWhenReadsOnlyShared", GENERIC_READ, FILE_SHARE_READ,
                                GENERIC_WRITE, kShareAll, false},
                    SharingCase{"AnythingAfterExclusive", kRW, 0, GENERIC_READ, kShareAll, false},
                    SharingCase{"ReaderNotSharingTheWriter", GENERIC_WRITE, kShareRW, GENERIC_READ,
                                FILE_SHARE_READ, false},
                    SharingCase{"ReaderSharingTheWriter", GENERIC_WRITE, kShareRW, GENERIC_READ,
                                kShareRW, true},
                    SharingCase{"AttributesOnlyBesideExclusive", 0, 0, kRW, 0, true},
                    SharingCase{"ExclusiveBesideAttributesOnly", kRW, 0, 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sharing, ReplacingAFileOthersReadIsRefusedAndLosesNothing) {
    TempFolder folder;
    folder.Write("f.txt", "precious");
    HANDLE reader = Open(folder.Windows(u"f.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(folder.Windows(u"f.txt"), GENERIC_READ, FILE_SHARE_READ, CREATE_ALWAYS),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(folder.Read("f.txt"), "precious");
    CloseHandle(reader);
}

TEST(Sharing, FollowsTheFileNotTheNameAndLastsWhileAnyHandleDoes) {
    TempFolder folder;
    folder.Write("f.txt", "x");
    std::filesystem::create_hard_link(folder.Linux("f.txt"), folder.Linux("link.txt"));
    HANDLE first = Open(folder.Windows(u"f.txt"), kRW, 0, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), first, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    CloseHandle(first);
    EXPECT_EQ(Open(folder.Windows(u"link.txt"), GENERIC_READ, kShareAll, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(copy);
    HANDLE again = Open(folder.Windows(u"link.txt"), GENERIC_READ, kShareAll, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST(Sharing, DeletingAndRenamingNeedTheDeleteShare) {
    TempFolder folder;
    folder.Write("f.txt", "x");
    HANDLE open = Open(folder.Windows(u"f.txt"), GENERIC_READ, kShareRW, OPEN_EXISTING);
    EXPECT_FALSE(DeleteFileW(folder.Windows(u"f.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileW(folder.Windows(u"f.txt").c_str(), folder.Windows(u"g.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(open);

    open = Open(folder.Windows(u"f.txt"), GENERIC_READ, kShareAll, OPEN_EXISTING);
    EXPECT_TRUE(DeleteFileW(folder.Windows(u"f.txt").c_str()));
    EXPECT_FALSE(folder.Exists("f.txt"));
    CloseHandle(open);
}

class FileIo : public testing::Test {
protected:
    void SetUp() override {
        file = Open(folder.Windows(u"io.bin"), kRW, 0, CREATE_ALWAYS);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { CloseHandle(file); }

    LONGLONG Position() {
        LARGE_INTEGER zero{}, now{};
        SetFilePointerEx(file, zero, &now, FILE_CURRENT);
        return now.QuadPart;
    }

    TempFolder folder;
    HANDLE file = INVALID_HANDLE_VALUE;
};

TEST_F(FileIo, ReadsWhatWasWrittenWhereThePointerIs) {
    ASSERT_TRUE(WriteText(file, "hello world"));
    EXPECT_EQ(Position(), 11);
    EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
    EXPECT_EQ(ReadAll(file, 5), "world");
    // At the end a read succeeds with nothing.
    EXPECT_EQ(ReadAll(file), "");
    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_CURRENT), 0u);
    EXPECT_EQ(ReadAll(file, 5), "hello");
    EXPECT_EQ(folder.Read("io.bin"), "hello world");
}

TEST_F(FileIo, RefusesSeeksBeforeTheStartAndKeepsThePointer) {
    ASSERT_TRUE(WriteText(file, "abc"));
    LARGE_INTEGER back;
    back.QuadPart = -4;
    EXPECT_FALSE(SetFilePointerEx(file, back, nullptr, FILE_CURRENT));
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(Position(), 3);
    EXPECT_FALSE(SetFilePointerEx(file, back, nullptr, 7));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileIo, WritingPastTheEndFillsWithZerosAndSizesFollow) {
    ASSERT_TRUE(WriteText(file, "ab"));
    SetFilePointer(file, 5, nullptr, FILE_BEGIN);
    ASSERT_TRUE(WriteText(file, "z"));
    EXPECT_EQ(folder.Read("io.bin"), std::string("ab\0\0\0z", 6));
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(file, &high), 6u);
    EXPECT_EQ(high, 0u);
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 6);
}

TEST_F(FileIo, SetEndOfFileCutsOrExtendsAtThePointer) {
    ASSERT_TRUE(WriteText(file, "0123456789"));
    SetFilePointer(file, 4, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(folder.Read("io.bin"), "0123");

    // Beyond 4 GiB through the high half of SetFilePointer.
    LONG high = 1;
    SetLastError(77);
    EXPECT_EQ(SetFilePointer(file, 16, &high, FILE_BEGIN), 16u);
    EXPECT_EQ(high, 1);
    EXPECT_EQ(GetLastError(), NO_ERROR);
    ASSERT_TRUE(SetEndOfFile(file));
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 16u);
    EXPECT_EQ(sizeHigh, 1u);
}

TEST_F(FileIo, OverlappedOffsetsReadAndWriteInPlace) {
    ASSERT_TRUE(WriteText(file, "0123456789"));
    OVERLAPPED at{};
    at.Offset = 3;
    char buffer[4] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, 4, &read, &at));
    EXPECT_EQ(std::string(buffer, read), "3456");
    EXPECT_EQ(at.InternalHigh, 4u);

    at.Offset = 10;
    EXPECT_FALSE(ReadFile(file, buffer, 4, &read, &at));
    EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);
    EXPECT_EQ(read, 0u);

    at.Offset = 1;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "XY", 2, &written, &at));
    EXPECT_EQ(folder.Read("io.bin"), "0XY3456789");
}

TEST(FileIoAccess, HandlesOnlyDoWhatTheyWereOpenedFor) {
    TempFolder folder;
    folder.Write("f.txt", "data");
    HANDLE reader = Open(folder.Windows(u"f.txt"), GENERIC_READ, kShareAll, OPEN_EXISTING);
    HANDLE writer = Open(folder.Windows(u"f.txt"), GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    HANDLE query = Open(folder.Windows(u"f.txt"), 0, kShareAll, OPEN_EXISTING);
    char byte = 'x';
    DWORD count = 0;
    EXPECT_FALSE(WriteFile(reader, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ReadFile(writer, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetEndOfFile(reader));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ReadFile(query, &byte, 1, &count, nullptr));
    LARGE_INTEGER size;
    EXPECT_TRUE(GetFileSizeEx(query, &size));
    EXPECT_EQ(size.QuadPart, 4);
    EXPECT_EQ(folder.Read("f.txt"), "data");
    for (HANDLE h : {reader, writer, query})
        CloseHandle(h);
}

TEST(FileIoAccess, InvalidHandlesFail) {
    char byte;
    DWORD count = 5;
    HANDLE bogus = reinterpret_cast<HANDLE>(0x7777);
    EXPECT_FALSE(ReadFile(bogus, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(bogus, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileType(bogus), static_cast<DWORD>(FILE_TYPE_UNKNOWN));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(CreateFile, DeleteOnCloseRemovesTheFileWithTheLastHandle) {
    TempFolder folder;
    HANDLE file = Open(folder.Windows(u"temp.bin"), kRW, FILE_SHARE_DELETE, CREATE_NEW,
                       FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteText(file, "scratch"));
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(folder.Exists("temp.bin"));
    CloseHandle(file);
    EXPECT_FALSE(folder.Exists("temp.bin"));
}

TEST(CreateFile, ReportsFileTypesAndIdentity) {
    TempFolder folder;
    folder.Write("f.txt", "12345");
    HANDLE file = Open(folder.Windows(u"f.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_EQ(GetFileType(file), static_cast<DWORD>(FILE_TYPE_DISK));
    BY_HANDLE_FILE_INFORMATION info;
    ASSERT_TRUE(GetFileInformationByHandle(file, &info));
    struct stat st;
    stat(folder.Linux("f.txt").c_str(), &st);
    EXPECT_EQ(info.nFileSizeLow, 5u);
    EXPECT_EQ(info.nNumberOfLinks, 1u);
    EXPECT_EQ(info.nFileIndexLow, static_cast<DWORD>(st.st_ino));
    EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    CloseHandle(file);

    HANDLE null = Open(u"C:\\dev\\null", GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    ASSERT_NE(null, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(null), static_cast<DWORD>(FILE_TYPE_CHAR));
    CloseHandle(null);
}

TEST(CreateFile, OpensBothEndsOfAFifoWithoutWaiting) {
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.Linux("fifo").c_str(), 0666), 0);
    HANDLE reader = Open(folder.Windows(u"fifo"), GENERIC_READ, kShareAll, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE writer = Open(folder.Windows(u"fifo"), GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(reader), static_cast<DWORD>(FILE_TYPE_PIPE));
    ASSERT_TRUE(WriteText(writer, "through"));
    EXPECT_EQ(ReadAll(reader, 64), "through");
    CloseHandle(writer);
    CloseHandle(reader);
}

TEST(CreateFile, DevicePathsGoToTheDeviceOpener) {
    // With no serial port mapped, a device name fails to open and never
    // falls through to a file of that name.
    TempFolder folder;
    CurrentDirectoryGuard restore;
    std::filesystem::current_path(folder.Linux());
    EXPECT_EQ(Open(u"COM1", kRW, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(u"\\\\.\\COM10", kRW, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(folder.Exists("COM1"));
}

} // namespace
