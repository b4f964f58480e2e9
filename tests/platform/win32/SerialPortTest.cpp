#include <win32/TestSeams.h>
#include <win32/commapi.h>
#include <win32/fileapi.h>
#include <win32/winbase.h>
#include <win32/winreg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Devices() { return std::string(std::getenv("WINLAYER_HOME")) + "/devices"; }

// A pseudo-terminal mapped as COMn in the devices folder.
struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    std::string link;
    explicit Pty(int com) {
        char name[256];
        EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
        // Keep the slave open so the line does not hang up between the test's steps.
        GetFileAttributesW(u"C:\\"); // creates the devices folder
        link = Devices() + "/com" + std::to_string(com);
        unlink(link.c_str());
        EXPECT_EQ(symlink(path.c_str(), link.c_str()), 0);
    }
    ~Pty() {
        unlink(link.c_str());
        if (master >= 0) close(master);
        if (slave >= 0) close(slave);
    }
    std::string ReadMaster() {
        std::string out;
        char buf[256];
        fcntl(master, F_SETFL, O_NONBLOCK);
        for (int tries = 0; tries < 200; ++tries) {
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) out.append(buf, static_cast<size_t>(n));
            else if (!out.empty()) break;
            else usleep(1000);
        }
        return out;
    }
};

HANDLE OpenCom(const char16_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<std::pair<std::u16string, std::u16string>> SerialComm() {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key))
        return out;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256], data[64];
        DWORD nameLen = 256, dataLen = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataLen) != ERROR_SUCCESS)
            break;
        out.push_back({name, data});
    }
    RegCloseKey(key);
    return out;
}

} // namespace

TEST(SerialPort, OpensATtyExclusivelyAndAppliesTheLineSettings) {
    Pty pty(3);
    HANDLE port = OpenCom(u"COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(OpenCom(u"COM3"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(port, &dcb));
    dcb.BaudRate = 38400;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    ASSERT_TRUE(SetCommState(port, &dcb));
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B38400));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    DCB back{};
    ASSERT_TRUE(GetCommState(port, &back));
    EXPECT_EQ(back.BaudRate, 38400u);

    dcb.ByteSize = 9;
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(port);
    port = OpenCom(u"COM3"); // free again once closed
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
    CloseHandle(port);
}

TEST(SerialPort, MovesBytesBothWaysAndReportsQueues) {
    Pty pty(4);
    HANDLE port = OpenCom(u"\\\\.\\COM4");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS t{500, 0, 500, 0, 500};
    ASSERT_TRUE(SetCommTimeouts(port, &t));
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(port, "12=5\r", 5, &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(pty.ReadMaster(), "12=5\r");

    ASSERT_EQ(write(pty.master, ".\r", 2), 2);
    COMSTAT stat{};
    DWORD errors = 0;
    for (int i = 0; i < 1000 && stat.cbInQue < 2; ++i) ClearCommError(port, &errors, &stat);
    EXPECT_EQ(stat.cbInQue, 2u);
    char buf[4] = {};
    ASSERT_TRUE(ReadFile(port, buf, 2, &done, nullptr));
    EXPECT_EQ(std::string(buf, done), ".\r");
    EXPECT_TRUE(PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
    CloseHandle(port);
}

TEST(SerialPort, AVanishedDeviceFailsTheQueueQuery) {
    Pty pty(5);
    HANDLE port = OpenCom(u"COM5");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    close(pty.master); // the far end goes away, as when an adapter is pulled
    pty.master = -1;
    close(pty.slave);
    pty.slave = -1;
    COMSTAT stat{};
    DWORD errors = 0;
    EXPECT_FALSE(ClearCommError(port, &errors, &stat));
    CloseHandle(port);
}

TEST(SerialPort, MissingPortsFailToOpen) {
    EXPECT_EQ(OpenCom(u"COM77"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(SerialPort, TheRegistryListsThePortsOfTheDevicesFolderInOrder) {
    Pty a(2), b(11);
    TestSeams::ReloadRegistry();
    auto ports = SerialComm();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].second, u"COM2");
    EXPECT_EQ(ports[1].second, u"COM11");
}

TEST(SerialPort, AnEmptyDevicesFolderIsFilledFromTheMachinesSerialDevices) {
    std::string scan = std::string(std::getenv("WINLAYER_HOME")) + "/dev";
    mkdir(scan.c_str(), 0755);
    for (const char* name : {"ttyUSB1", "ttyACM0", "ttyUSB0", "null"})
        close(open((scan + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644));
    TestSeams::SetSerialScanFolder(scan);
    TestSeams::ReloadRegistry();
    auto ports = SerialComm();
    ASSERT_EQ(ports.size(), 3u);
    // USB adapters first, in name order; the value name is the device's Windows path.
    EXPECT_EQ(ports[0].second, u"COM1");
    EXPECT_TRUE(ports[0].first.ends_with(u"\\dev\\ttyACM0"));
    EXPECT_EQ(ports[2].second, u"COM3");
    char target[512] = {};
    ASSERT_GT(readlink((Devices() + "/com2").c_str(), target, sizeof target), 0);
    EXPECT_EQ(std::string(target), scan + "/ttyUSB0");
}

TEST(FakeSerialPeer, AnswersLinesOnTheManualClockAndLogsWhatThePortDid) {
    TestSeams::UseManualClock(1000);
    auto peer = TestSeams::InstallFakeSerialPort(1);
    peer->SetResponder([](const std::string& line) -> std::optional<std::string> {
        if (line == "21") return "150\r";
        return std::nullopt; // silence
    }, 30);
    HANDLE port = OpenCom(u"COM1");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(peer->IsOpen());
    COMMTIMEOUTS t{500, 0, 500, 0, 500};
    SetCommTimeouts(port, &t);
    DWORD done;
    WriteFile(port, "21\r", 3, &done, nullptr);
    const DWORD start = GetTickCount();
    COMSTAT stat{};
    DWORD errors;
    while (stat.cbInQue < 4) ASSERT_TRUE(ClearCommError(port, &errors, &stat));
    EXPECT_EQ(GetTickCount() - start, 30u); // polling let exactly the scripted delay pass
    char buf[8];
    ReadFile(port, buf, 4, &done, nullptr);
    EXPECT_EQ(std::string(buf, done), "150\r");
    EXPECT_EQ(peer->Written(), "21\r");
    ASSERT_EQ(peer->Timeouts().size(), 1u);
    EXPECT_EQ(peer->Timeouts()[0].ReadTotalTimeoutConstant, 500u);

    auto ports = SerialComm();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].second, u"COM1");

    peer->Fail(TestSeams::SerialCall::WriteFile, ERROR_GEN_FAILURE, 1);
    EXPECT_FALSE(WriteFile(port, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_TRUE(WriteFile(port, "x", 1, &done, nullptr));
    peer->Unplug();
    EXPECT_FALSE(ClearCommError(port, &errors, &stat));
    CloseHandle(port);
    EXPECT_FALSE(peer->IsOpen());
    TestSeams::RemoveFakeSerialPorts();
    TestSeams::UseRealClock();
}

// A sender asks for the queues before every byte (after setting its time-outs)
// while nothing can have come back; a wait there would put a pause between
// bytes. Only a caller that asks again without using the port is polling for
// input and may wait.
TEST(FakeSerialPeer, AQueueQueryWaitsOnlyWhenAskedAgainWithThePortUnused) {
    TestSeams::UseManualClock(1000);
    auto peer = TestSeams::InstallFakeSerialPort(1);
    HANDLE port = OpenCom(u"COM1");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    COMSTAT stat{};
    DWORD errors, done;
    char buf[4];
    COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 500};
    const struct {
        const char* use;
        std::function<BOOL()> call;
    } uses[] = {
        {"WriteFile", [&] { return WriteFile(port, "x", 1, &done, nullptr); }},
        {"ReadFile", [&] { return ReadFile(port, buf, 1, &done, nullptr); }},
        {"SetCommTimeouts", [&] { return SetCommTimeouts(port, &t); }},
        {"PurgeComm", [&] { return PurgeComm(port, PURGE_RXCLEAR); }},
    };
    ASSERT_TRUE(SetCommTimeouts(port, &t));
    for (const auto& use : uses) {
        ASSERT_TRUE(ClearCommError(port, &errors, &stat));
        ASSERT_TRUE(use.call()) << use.use;
        const DWORD before = GetTickCount();
        ASSERT_TRUE(ClearCommError(port, &errors, &stat));
        EXPECT_EQ(GetTickCount(), before) << use.use;
    }
    const DWORD before = GetTickCount();
    ASSERT_TRUE(ClearCommError(port, &errors, &stat));
    EXPECT_GT(GetTickCount(), before); // the repeated empty query let time pass
    CloseHandle(port);
    TestSeams::RemoveFakeSerialPorts();
    TestSeams::UseRealClock();
}

TEST(ShellAdminQuery, AnswersThroughTheShellLibraryByOrdinal) {
    HMODULE shell = LoadLibraryW(u"SHELL32.DLL");
    ASSERT_TRUE(shell);
    FARPROC found = GetProcAddress(shell, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(680)));
    auto query = reinterpret_cast<BOOL (*)()>(reinterpret_cast<void*>(found));
    ASSERT_TRUE(query);
    TestSeams::SetAdministrator(true);
    EXPECT_TRUE(query());
    TestSeams::SetAdministrator(false);
    EXPECT_FALSE(query());
    TestSeams::SetAdministrator(std::nullopt);
    if (geteuid() == 0) {
        EXPECT_TRUE(query()); // root is an administrator
    }
    EXPECT_FALSE(GetProcAddress(shell, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(681))));
    FreeLibrary(shell);
}
