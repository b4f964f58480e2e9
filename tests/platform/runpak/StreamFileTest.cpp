#include <runpak/Exceptions.h>
#include <runpak/Streams.h>
#include <win32/fileapi.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <string>

#include "StreamTestFolder.h"

using TFileStreamTest = TStreamTestFolder;

TEST_F(TFileStreamTest, CreateWritesAFileThatOpenReads) {
    {
        TFileStream stream(WindowsPath("data.bin"), fmCreate);
        EXPECT_EQ(stream.GetFileName(), WindowsPath("data.bin"));
        stream.WriteBuffer("0123456789", 10);
        EXPECT_EQ(stream.GetSize(), 10);
        EXPECT_EQ(stream.GetPosition(), 10);
    }
    EXPECT_EQ(ReadLinuxFile("data.bin"), "0123456789");

    TFileStream stream(WindowsPath("data.bin"), fmOpenRead);
    EXPECT_EQ(stream.GetSize(), 10);
    EXPECT_EQ(stream.Seek(-4, soEnd), 6);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 4);
    EXPECT_STREQ(buffer, "6789");
    EXPECT_THROW(stream.ReadBuffer(buffer, 1), EReadError);
    // A read-only stream writes nothing.
    EXPECT_EQ(stream.Write("x", 1), 0);
    EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
}

TEST_F(TFileStreamTest, CreateReplacesAndExclusiveCreateRefusesAnExistingFile) {
    WriteLinuxFile("old.txt", "old content");
    { TFileStream stream(WindowsPath("old.txt"), fmCreate); }
    EXPECT_EQ(ReadLinuxFile("old.txt"), "");

    try {
        TFileStream stream(WindowsPath("old.txt"), fmCreate | fmExclusive);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"", 0), 0u) << e.what();
    }
}

TEST_F(TFileStreamTest, OpenReadWriteSeeksAndResizes) {
    WriteLinuxFile("rw.bin", "abcdefgh");
    {
        TFileStream stream(WindowsPath("rw.bin"), fmOpenReadWrite | fmShareExclusive);
        stream.SetPosition(2);
        stream.WriteBuffer("XY", 2);
        EXPECT_EQ(stream.Seek(1, soCurrent), 5);
        stream.SetSize(6);
        EXPECT_EQ(stream.GetSize(), 6);
        stream.Seek(0, soEnd);
        stream.WriteBuffer("!", 1);
    }
    EXPECT_EQ(ReadLinuxFile("rw.bin"), "abXYef!");

    {
        TFileStream stream(WindowsPath("rw.bin"), fmOpenWrite);
        stream.WriteBuffer("W", 1);
        char c;
        EXPECT_EQ(stream.Read(&c, 1), 0);
    }
    EXPECT_EQ(ReadLinuxFile("rw.bin"), "WbXYef!");
}

TEST_F(TFileStreamTest, MissingFileRaisesOpenErrorWithTheSystemText) {
    UnicodeString name = WindowsPath("missing.txt");
    try {
        TFileStream stream(name, fmOpenRead);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot open file \"" + name +
                                      u"\". The system cannot find the file specified.");
    }
    EXPECT_THROW(TFileStream(WindowsPath("no\\such\\folder.txt"), fmCreate), EFCreateError);
}

TEST_F(TFileStreamTest, ShareModesDecideWhoElseMayOpen) {
    WriteLinuxFile("shared.txt", "x");
    UnicodeString name = WindowsPath("shared.txt");
    struct Case {
        uint16_t first;
        uint16_t second;
        bool allowed;
    };
    const Case cases[] = {
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenReadWrite | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {fmOpenReadWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
        {fmOpenReadWrite | fmShareDenyRead, fmOpenWrite | fmShareDenyNone, true},
        // The compatibility mode shares nothing.
        {fmOpenRead, fmOpenRead | fmShareDenyNone, false},
        {fmCreate | fmShareDenyWrite, fmOpenRead | fmShareDenyNone, true},
        {fmCreate, fmOpenRead | fmShareDenyNone, false},
    };
    for (const Case& c : cases) {
        TFileStream first(name, c.first);
        bool opened = true;
        try {
            TFileStream second(name, c.second);
        } catch (const EFOpenError& e) {
            opened = false;
            EXPECT_NE(std::string(e.what()).find("being used by another process"),
                      std::string::npos)
                << e.what();
        }
        EXPECT_EQ(opened, c.allowed) << std::hex << c.first << " then " << c.second;
    }
    // Once the first stream is gone, the file opens again.
    { TFileStream first(name, fmOpenRead | fmShareExclusive); }
    TFileStream again(name, fmOpenRead | fmShareExclusive);
}

TEST_F(TFileStreamTest, HandleStreamLeavesTheHandleOpen) {
    HANDLE file = CreateFileW(WindowsPath("handle.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    {
        THandleStream stream(file);
        EXPECT_EQ(stream.GetHandle(), file);
        stream.WriteBuffer("handle", 6);
    }
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 6);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(TFileStreamTest, MemoryStreamFilesAndCopyFromAFile) {
    TMemoryStream memory;
    memory.WriteBuffer("memory content", 14);
    memory.SaveToFile(WindowsPath("memory.bin"));
    EXPECT_EQ(ReadLinuxFile("memory.bin"), "memory content");

    TMemoryStream loaded;
    loaded.LoadFromFile(WindowsPath("memory.bin"));
    EXPECT_EQ(std::string(static_cast<char*>(loaded.GetMemory()), 14), "memory content");

    TFileStream file(WindowsPath("memory.bin"), fmOpenRead | fmShareDenyWrite);
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(&file, 0), 14);
    EXPECT_EQ(std::string(static_cast<char*>(copy.GetMemory()), 14), "memory content");

    EXPECT_THROW(loaded.LoadFromFile(WindowsPath("absent.bin")), EFOpenError);
}
