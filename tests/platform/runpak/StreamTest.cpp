#include <runpak/Exceptions.h>
#include <runpak/Streams.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

std::string Content(TCustomMemoryStream& stream) {
    return std::string(static_cast<const char*>(stream.GetMemory()),
                       static_cast<size_t>(stream.GetSize()));
}

// Hands out at most a few bytes per call, as a pipe may.
class TTrickleStream : public TMemoryStream {
public:
    int Read(void* buffer, int count) override {
        return TMemoryStream::Read(buffer, std::min(count, 3));
    }
    int Write(const void* buffer, int count) override {
        return TMemoryStream::Write(buffer, std::min(count, 3));
    }
};

} // namespace

TEST(TMemoryStream, WriteReadSeekAndSize) {
    TMemoryStream stream;
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.Write("hello world", 11), 11);
    EXPECT_EQ(stream.GetPosition(), 11);
    EXPECT_EQ(stream.GetSize(), 11);

    EXPECT_EQ(stream.Seek(-5, soEnd), 6);
    char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, 16), 5);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(stream.Read(buffer, 16), 0);

    EXPECT_EQ(stream.Seek(-6, soCurrent), 5);
    stream.Write("_", 1);
    EXPECT_EQ(Content(stream), "hello_world");
    stream.SetPosition(0);
    EXPECT_EQ(stream.Write("HELLO", 5), 5);
    EXPECT_EQ(Content(stream), "HELLO_world");
}

TEST(TMemoryStream, SizeChangesTrimAndZeroFill) {
    TMemoryStream stream;
    stream.Write("abcdefgh", 8);
    stream.SetSize(3);
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_EQ(Content(stream), "abc");
    // Growing again must not bring the old bytes back.
    stream.SetSize(6);
    EXPECT_EQ(Content(stream), std::string("abc\0\0\0", 6));
    EXPECT_EQ(stream.GetPosition(), 3);

    // A write past the end leaves a zeroed gap.
    stream.SetSize(2);
    stream.Seek(4, soBeginning);
    stream.Write("Z", 1);
    EXPECT_EQ(Content(stream), std::string("ab\0\0Z", 5));

    stream.Clear();
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_EQ(stream.GetCapacity(), 0);
}

TEST(TMemoryStream, PositionOutsideTheContentMovesNothing) {
    TMemoryStream stream;
    stream.Write("abc", 3);
    char buffer[4];
    stream.SetPosition(10);
    EXPECT_EQ(stream.GetSize(), 3);
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    stream.SetPosition(-1);
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_EQ(stream.Write("x", 1), 0);
    EXPECT_EQ(stream.Read(buffer, -1), 0);
    EXPECT_EQ(Content(stream), "abc");
}

TEST(TMemoryStream, GrowsGeometrically) {
    TMemoryStream stream;
    int reallocations = 0;
    void* memory = nullptr;
    for (int i = 0; i < 100000; ++i) {
        stream.Write("x", 1);
        if (stream.GetMemory() != memory) ++reallocations;
        memory = stream.GetMemory();
    }
    EXPECT_EQ(stream.GetSize(), 100000);
    EXPECT_LT(reallocations, 40);
}

TEST(TStream, ReadBufferRaisesOnAShortRead) {
    TMemoryStream stream;
    stream.Write("abcd", 4);
    stream.SetPosition(1);
    char buffer[8];
    try {
        stream.ReadBuffer(buffer, 4);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    stream.SetPosition(1);
    stream.ReadBuffer(buffer, 3);
    EXPECT_EQ(std::string(buffer, 3), "bcd");
    stream.ReadBuffer(buffer, 0);
}

TEST(TStream, BufferCallsCollectPartialTransfers) {
    TTrickleStream stream;
    stream.WriteBuffer("0123456789", 10);
    EXPECT_EQ(stream.GetSize(), 10);
    stream.SetPosition(0);
    char buffer[10];
    stream.ReadBuffer(buffer, 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
}

TEST(TStream, WriteBufferRaisesWhenNothingIsWritten) {
    char block[4] = {};
    TReadOnlyMemoryStream fixed(block, sizeof block);
    EXPECT_THROW(fixed.WriteBuffer("x", 1), EStreamError);

    // A stream that accepts nothing.
    struct TFullStream : TMemoryStream {
        int Write(const void*, int) override { return 0; }
    } full;
    try {
        full.WriteBuffer("x", 1);
        FAIL() << "no error";
    } catch (const EWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
}

TEST(TStream, CopyFromCopiesCountOrTheWholeSource) {
    TMemoryStream source;
    std::string data(200000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    source.Write(data.data(), static_cast<int>(data.size()));

    TMemoryStream whole;
    whole.Write("head", 4);
    EXPECT_EQ(whole.CopyFrom(&source, 0), 200000);
    EXPECT_EQ(Content(whole), "head" + data);

    TMemoryStream part;
    source.SetPosition(10);
    EXPECT_EQ(part.CopyFrom(&source, 5), 5);
    EXPECT_EQ(Content(part), data.substr(10, 5));
    EXPECT_EQ(source.GetPosition(), 15);

    source.SetPosition(source.GetSize() - 2);
    EXPECT_THROW(part.CopyFrom(&source, 3), EReadError);
}

TEST(TMemoryStream, LoadFromAndSaveToStream) {
    TStringStream source(u"payload");
    source.SetPosition(3);
    TMemoryStream copy;
    copy.Write("old content", 11);
    copy.LoadFromStream(&source);
    EXPECT_EQ(Content(copy), "payload");
    EXPECT_EQ(copy.GetPosition(), 0);

    TMemoryStream target;
    target.Write(">", 1);
    copy.SaveToStream(&target);
    EXPECT_EQ(Content(target), ">payload");
}

TEST(TBytesStream, GivesAndTakesBytes) {
    TBytesStream stream(TBytes{1, 2, 3});
    EXPECT_EQ(stream.GetSize(), 3);
    EXPECT_EQ(stream.GetPosition(), 0);
    stream.Seek(0, soEnd);
    uint8_t four = 4;
    stream.Write(&four, 1);
    EXPECT_EQ(stream.GetBytes(), (TBytes{1, 2, 3, 4}));
    stream.SetSize(2);
    EXPECT_EQ(stream.GetBytes(), (TBytes{1, 2}));
}

TEST(TStringStream, HoldsTextInItsEncoding) {
    const UnicodeString text = u"日本語 é";
    struct Case {
        TTextEncoding encoding;
        std::string bytes;
    };
    const Case cases[] = {
        {teUTF8, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xC3\xA9"},
        {teUTF16LE, std::string("\xE5\x65\x2C\x67\x9E\x8A\x20\x00\xE9\x00", 10)},
        {teUTF16BE, std::string("\x65\xE5\x67\x2C\x8A\x9E\x00\x20\x00\xE9", 10)},
    };
    for (const Case& c : cases) {
        TStringStream stream(text, c.encoding);
        EXPECT_EQ(Content(stream), c.bytes) << c.encoding;
        EXPECT_EQ(stream.GetDataString(), text) << c.encoding;
    }

    TStringStream stream(u"", teUTF8);
    stream.WriteString(u"ab");
    stream.WriteString(u"ü");
    EXPECT_EQ(stream.GetDataString(), u"abü");
    stream.SetPosition(1);
    EXPECT_EQ(stream.ReadString(100), u"bü");
    EXPECT_EQ(stream.ReadString(1), u"");
}

TEST(TReadOnlyMemoryStream, ReadsCallerMemoryAndRefusesChanges) {
    const char block[] = "read me";
    TReadOnlyMemoryStream stream(block, 7);
    EXPECT_EQ(stream.GetMemory(), block);
    EXPECT_EQ(stream.GetSize(), 7);
    char buffer[8] = {};
    stream.Seek(5, soBeginning);
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_STREQ(buffer, "me");
    EXPECT_THROW(stream.Write("x", 1), EStreamError);
    EXPECT_THROW(stream.SetSize(2), EStreamError);
    EXPECT_STREQ(block, "read me");
    EXPECT_EQ(stream.GetSize(), 7);
}
