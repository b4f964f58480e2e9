#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using win32::LinuxPath;
using win32::NameToLinux;
using win32::NameToWindows;
using win32::ResolvePath;
using win32::ToLinuxPath;
using win32::ToWindowsPath;

namespace {

class PathConversion : public testing::Test {
protected:
    void SetUp() override { std::filesystem::current_path(folder.Linux()); }

    TempFolder folder;
    CurrentDirectoryGuard restoreCurrentDirectory;
};

struct WindowsToLinuxCase {
    std::u16string windows;
    std::string linux; // "$" stands for the current directory
};

TEST_F(PathConversion, WindowsPathsResolveToLinux) {
    const WindowsToLinuxCase cases[] = {
        {u"C:\\", "/"},
        {u"c:\\home\\me", "/home/me"},
        {u"C:/home/me", "/home/me"},
        {u"C:\\home/me\\\\notes.txt", "/home/me/notes.txt"},
        {u"C:\\a\\.\\b\\..\\c", "/a/c"},
        {u"C:\\..\\..\\x", "/x"},
        {u"C:\\Case\\KEPT", "/Case/KEPT"},
        {u"C:\\dir\\", "/dir/"},
        {u"\\\\?\\C:\\x\\y", "/x/y"},
        {u"\\\\.\\C:\\x", "/x"},
        {u"\\top\\f", "/top/f"},
        {u"sub\\f.txt", "$/sub/f.txt"},
        {u".\\f.txt", "$/f.txt"},
        {u"C:rel", "$/rel"},
        {u"..\\up", "$/../up"},
    };
    std::string cwd = folder.Linux();
    for (const auto& c : cases) {
        std::string expected = c.linux;
        if (expected.starts_with("$"))
            expected = win32::NormaliseLinuxPath(cwd + expected.substr(1));
        EXPECT_EQ(ToLinuxPath(c.windows), expected)
            << std::string(c.windows.begin(), c.windows.end());
    }
}

TEST_F(PathConversion, MalformedOrUnknownPathsFailWithTheirError) {
    const std::pair<std::u16string, DWORD> cases[] = {
        {u"", ERROR_PATH_NOT_FOUND},
        {u"\\\\server\\share\\x", ERROR_BAD_NETPATH},
        {u"\\\\?\\UNC\\server\\share", ERROR_BAD_NETPATH},
        {u"Q:\\nowhere", ERROR_PATH_NOT_FOUND},
        {u"C:\\bad\xD800name", ERROR_INVALID_NAME},
    };
    for (const auto& [windows, error] : cases) {
        LinuxPath resolved = ResolvePath(windows);
        EXPECT_EQ(resolved.error, error) << std::string(windows.begin(), windows.end());
        EXPECT_EQ(ToLinuxPath(windows), "");
    }
}

TEST_F(PathConversion, DeviceNamesResolveThroughTheDevicesFolder) {
    std::filesystem::create_symlink("/dev/ttyS9", win32::DevicesFolder() + "/com10");
    std::filesystem::create_symlink("/dev/ttyUSB0", win32::DevicesFolder() + "/com3");

    LinuxPath port10 = ResolvePath(u"\\\\.\\COM10");
    EXPECT_EQ(port10.error, ERROR_SUCCESS);
    EXPECT_EQ(port10.device, u"COM10");
    EXPECT_EQ(port10.path, "/dev/ttyS9");

    for (std::u16string name : {u"COM3", u"com3", u"COM3:", u"\\\\.\\com3"}) {
        LinuxPath port3 = ResolvePath(name);
        EXPECT_EQ(port3.device, u"COM3");
        EXPECT_EQ(port3.path, "/dev/ttyUSB0");
    }
    EXPECT_EQ(win32::ResolveDevice(u"COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(win32::ResolveDevice(u"COM4"), "");
    EXPECT_EQ(win32::ResolveDevice(u"../c:"), "");

    LinuxPath missing = ResolvePath(u"\\\\.\\COM11");
    EXPECT_EQ(missing.device, u"COM11");
    EXPECT_EQ(missing.error, ERROR_FILE_NOT_FOUND);

    // Only COM1..COM9 stand alone as devices; "COM10" is a file name, as on Windows.
    LinuxPath file = ResolvePath(u"COM10");
    EXPECT_TRUE(file.device.empty());
    EXPECT_EQ(file.path, folder.Linux("COM10"));
}

TEST_F(PathConversion, LinuxPathsTakeTheDriveWithTheLongestTarget) {
    std::filesystem::create_directories(folder.Linux("data/x"));
    DriveGuard d('d', folder.Linux("data"));

    EXPECT_EQ(ToWindowsPath("/"), u"C:\\");
    EXPECT_EQ(ToWindowsPath("/home/me/a.txt"), u"C:\\home\\me\\a.txt");
    EXPECT_EQ(ToWindowsPath(folder.Linux("data")), u"D:\\");
    EXPECT_EQ(ToWindowsPath(folder.Linux("data/x/y.txt")), u"D:\\x\\y.txt");
    EXPECT_EQ(ToWindowsPath(folder.Linux("database")).substr(0, 3), u"C:\\"); // not inside data
    EXPECT_EQ(ToWindowsPath("data/x"), u"D:\\x");                             // relative
    EXPECT_EQ(ToLinuxPath(u"D:\\x\\y.txt"), folder.Linux("data/x/y.txt"));
    EXPECT_EQ(ToLinuxPath(u"d:"), folder.Linux("data")); // current directory is not on D:
}

// The mappings are kept between conversions; a change to the devices folder
// must still show in the very next one, and a vanished folder comes back.
TEST_F(PathConversion, ChangedDrivesShowAtOnce) {
    std::filesystem::create_directories(folder.Linux("one"));
    std::filesystem::create_directories(folder.Linux("two"));
    const std::string link = win32::DevicesFolder() + "/d:";
    std::filesystem::create_symlink(folder.Linux("one"), link);
    EXPECT_EQ(ToLinuxPath(u"D:\\x"), folder.Linux("one") + "/x");
    std::filesystem::remove(link);
    std::filesystem::create_symlink(folder.Linux("two"), link);
    EXPECT_EQ(ToLinuxPath(u"D:\\x"), folder.Linux("two") + "/x");
    std::filesystem::remove(link);
    EXPECT_EQ(ResolvePath(u"D:\\x").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    std::filesystem::remove_all(win32::DevicesPath());
    EXPECT_EQ(ToLinuxPath(u"C:\\tmp"), "/tmp");
    EXPECT_TRUE(std::filesystem::is_symlink(win32::DevicesPath() + "/c:"));
}

TEST_F(PathConversion, DriveCIsCreatedWhenMissing) {
    std::filesystem::remove(win32::DevicesFolder() + "/c:");
    auto drives = win32::DriveMappings();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].letter, u'C');
    EXPECT_EQ(drives[0].target, "/");
    EXPECT_TRUE(std::filesystem::is_symlink(win32::DevicesFolder() + "/c:"));
}

TEST(NameConversion, EveryLinuxNameSurvivesTheRoundTrip) {
    const std::string names[] = {
        "plain.txt",
        "caf\xC3\xA9",            // UTF-8
        "smile \xF0\x9F\x98\x80", // outside the BMP
        "bad\xFF\xFE",            // not UTF-8
        "\x80lead",               // stray continuation byte
        "\xC0\xAF",               // overlong "/"
        "\xED\xB2\x80",           // an encoded surrogate
        "back\\slash",            // a backslash inside a name
        "stand-in \xEF\x81\x9C",  // the backslash stand-in itself
        "trunc\xE2\x82",          // cut-off sequence
    };
    for (const std::string& name : names) {
        std::string back;
        ASSERT_TRUE(NameToLinux(NameToWindows(name), back));
        EXPECT_EQ(back, name);
    }
}

TEST(NameConversion, UsesByteEscapesAndTheBackslashStandIn) {
    EXPECT_EQ(NameToWindows("caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(NameToWindows("a\xFF"
                            "b"),
              u"a\xDCFF"
              u"b");
    EXPECT_EQ(NameToWindows("a\\b"), u"a\xF05C"
                                     u"b");
    EXPECT_EQ(NameToWindows("\xF0\x9F\x98\x80"), u"\U0001F600");

    std::string linux;
    EXPECT_TRUE(NameToLinux(u"x\xDC80\xDCFF", linux));
    EXPECT_EQ(linux, "x\x80\xFF");
    EXPECT_FALSE(NameToLinux(u"lone\xD800", linux));  // high surrogate alone
    EXPECT_FALSE(NameToLinux(u"ascii\xDC41", linux)); // no escape for ASCII bytes
    EXPECT_FALSE(NameToLinux(std::u16string(u"nul\0x", 5), linux));
}

TEST_F(PathConversion, WholePathsWithForeignBytesRoundTrip) {
    std::string linux = folder.Linux("odd\xFF") + "/inner\\name";
    std::u16string windows = ToWindowsPath(linux);
    EXPECT_NE(windows.find(u"odd\xDCFF\\inner\xF05Cname"), std::u16string::npos);
    EXPECT_EQ(ToLinuxPath(windows), linux);
}

} // namespace
