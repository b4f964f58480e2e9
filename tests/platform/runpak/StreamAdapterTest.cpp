#include <runpak/Exceptions.h>
#include <runpak/StreamAdapter.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

LARGE_INTEGER Move(int64_t offset) {
    LARGE_INTEGER value;
    value.QuadPart = offset;
    return value;
}

ULARGE_INTEGER Size(uint64_t size) {
    ULARGE_INTEGER value;
    value.QuadPart = size;
    return value;
}

std::string Content(TCustomMemoryStream& stream) {
    return std::string(static_cast<const char*>(stream.GetMemory()),
                       static_cast<size_t>(stream.GetSize()));
}

// A memory stream that reports its end.
class TTrackedStream : public TMemoryStream {
public:
    explicit TTrackedStream(bool& deleted) : FDeleted(deleted) {}
    ~TTrackedStream() override { FDeleted = true; }

private:
    bool& FDeleted;
};

// A stream whose every call raises, as a broken device would.
class TBrokenStream : public TStream {
public:
    int Read(void*, int) override { throw EReadError(u"broken"); }
    int Write(const void*, int) override { throw EWriteError(u"broken"); }
    int64_t Seek(int64_t, TSeekOrigin) override { throw EStreamError(u"broken"); }
};

} // namespace

TEST(TStreamAdapter, ReadsWritesAndSeeksTheStream) {
    TMemoryStream stream;
    InterfacePtr<IStream> adapter(new TStreamAdapter(&stream));

    ULONG moved = 0;
    EXPECT_EQ(adapter->Write("hello world", 11, &moved), S_OK);
    EXPECT_EQ(moved, 11u);
    EXPECT_EQ(Content(stream), "hello world");

    ULARGE_INTEGER position;
    EXPECT_EQ(adapter->Seek(Move(-5), STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 6u);
    char buffer[16] = {};
    EXPECT_EQ(adapter->Read(buffer, 16, &moved), S_OK);
    EXPECT_EQ(moved, 5u);
    EXPECT_STREQ(buffer, "world");
    // At the end: success with nothing read.
    EXPECT_EQ(adapter->Read(buffer, 4, &moved), S_OK);
    EXPECT_EQ(moved, 0u);

    EXPECT_EQ(adapter->Seek(Move(-6), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 5u);
    EXPECT_EQ(adapter->Seek(Move(0), STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(adapter->Read(buffer, 5, nullptr), S_OK);
    EXPECT_EQ(std::string(buffer, 5), "hello");

    EXPECT_EQ(adapter->SetSize(Size(4)), S_OK);
    EXPECT_EQ(Content(stream), "hell");
    EXPECT_EQ(adapter->Commit(STGC_DEFAULT), S_OK);
}

TEST(TStreamAdapter, StatTellsTypeAndSize) {
    TStringStream stream(u"twelve bytes");
    InterfacePtr<IStream> adapter(new TStreamAdapter(&stream));
    STATSTG stat;
    std::memset(&stat, 0xCC, sizeof stat);
    EXPECT_EQ(adapter->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(stat.cbSize.QuadPart, 12u);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(adapter->Stat(nullptr, STATFLAG_NONAME), STG_E_INVALIDPOINTER);
}

TEST(TStreamAdapter, BadRequestsFailWithoutMoving) {
    TStringStream stream(u"abc");
    InterfacePtr<IStream> adapter(new TStreamAdapter(&stream));
    stream.SetPosition(2);
    ULARGE_INTEGER position;
    EXPECT_EQ(adapter->Seek(Move(-5), STREAM_SEEK_CUR, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(adapter->Seek(Move(0), 3, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream.GetPosition(), 2);
    EXPECT_EQ(adapter->Read(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);
    EXPECT_EQ(adapter->Write(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);
    IStream* clone = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(adapter->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(adapter->LockRegion(Size(0), Size(1), LOCK_WRITE), STG_E_INVALIDFUNCTION);
}

TEST(TStreamAdapter, ExceptionsOfTheStreamBecomeErrorCodes) {
    const char block[] = "fixed";
    TReadOnlyMemoryStream fixed(block, 5);
    InterfacePtr<IStream> adapter(new TStreamAdapter(&fixed));
    ULONG moved = 7;
    EXPECT_EQ(adapter->Write("x", 1, &moved), STG_E_CANTSAVE);
    EXPECT_EQ(moved, 0u);
    EXPECT_TRUE(FAILED(adapter->SetSize(Size(1))));

    TBrokenStream broken;
    InterfacePtr<IStream> failing(new TStreamAdapter(&broken));
    char buffer[4];
    EXPECT_EQ(failing->Read(buffer, 4, &moved), STG_E_READFAULT);
    EXPECT_TRUE(FAILED(failing->Seek(Move(0), STREAM_SEEK_SET, nullptr)));
    STATSTG stat;
    EXPECT_TRUE(FAILED(failing->Stat(&stat, STATFLAG_NONAME)));
}

TEST(TStreamAdapter, AnswersForItsInterfaces) {
    TMemoryStream stream;
    InterfacePtr<IStream> adapter(new TStreamAdapter(&stream));
    void* found = nullptr;
    EXPECT_EQ(adapter->QueryInterface(IID_ISequentialStream, &found), S_OK);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(static_cast<ISequentialStream*>(found)->Write("x", 1, nullptr), S_OK);
    static_cast<ISequentialStream*>(found)->Release();
    EXPECT_EQ(adapter->QueryInterface(IID_IUnknown, &found), S_OK);
    static_cast<IUnknown*>(found)->Release();
    EXPECT_EQ(adapter->QueryInterface(IID_IClassFactory, &found), E_NOINTERFACE);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(stream.GetSize(), 1);
}

TEST(TStreamAdapter, AnOwnedStreamGoesWithTheLastReference) {
    bool deleted = false;
    {
        InterfacePtr<IStream> adapter(new TStreamAdapter(new TTrackedStream(deleted), soOwned));
        InterfacePtr<IStream> second = adapter;
        adapter.Reset();
        EXPECT_FALSE(deleted);
    }
    EXPECT_TRUE(deleted);

    deleted = false;
    TTrackedStream kept(deleted);
    { InterfacePtr<IStream> adapter(new TStreamAdapter(&kept)); }
    EXPECT_FALSE(deleted);
}

TEST(TStreamAdapter, CopyToAnotherStream) {
    TStringStream source(u"0123456789");
    TMemoryStream target;
    InterfacePtr<IStream> from(new TStreamAdapter(&source));
    InterfacePtr<IStream> to(new TStreamAdapter(&target));
    source.SetPosition(2);
    ULARGE_INTEGER read, written;
    EXPECT_EQ(from->CopyTo(to.Get(), Size(5), &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 5u);
    EXPECT_EQ(written.QuadPart, 5u);
    EXPECT_EQ(Content(target), "23456");
    // Asking for more than there is copies up to the end.
    EXPECT_EQ(from->CopyTo(to.Get(), Size(100), &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 3u);
    EXPECT_EQ(Content(target), "23456789");
    EXPECT_EQ(from->CopyTo(nullptr, Size(1), &read, &written), STG_E_INVALIDPOINTER);
}

TEST(TOleStream, ReadsAnIStreamToItsEnd) {
    TStringStream source(u"records");
    InterfacePtr<IStream> adapter(new TStreamAdapter(&source));
    TOleStream stream(adapter.Get());
    EXPECT_EQ(stream.GetSize(), 7);
    char buffer[8] = {};
    stream.ReadBuffer(buffer, 3);
    EXPECT_STREQ(buffer, "rec");
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_THROW(stream.ReadBuffer(buffer, 5), EReadError);

    stream.Seek(0, soEnd);
    stream.WriteBuffer("!", 1);
    stream.SetSize(5);
    EXPECT_EQ(source.GetDataString(), u"recor");
    EXPECT_EQ(stream.GetIStream(), adapter.Get());
}

TEST(TOleStream, FailuresOfTheIStreamRaise) {
    TBrokenStream broken;
    InterfacePtr<IStream> adapter(new TStreamAdapter(&broken));
    TOleStream stream(adapter.Get());
    char buffer[4];
    try {
        stream.Read(buffer, 4);
        FAIL() << "no error";
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Stream read failed (HRESULT $8003001E)");
    }
    EXPECT_THROW(stream.Seek(0, soBeginning), EStreamError);
}
