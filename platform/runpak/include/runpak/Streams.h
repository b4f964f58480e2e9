// Streams: the abstract TStream, streams over memory, over a Windows file
// handle and over a named file.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Object.h>
#include <runpak/TextEncoding.h>
#include <win32/windef.h>

#include <cstdint>
#include <vector>

using TBytes = std::vector<uint8_t>;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File modes of TFileStream: one access mode or'ed with one share mode.
// fmCreate replaces or creates the file and opens it for reading and writing.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmExclusive = 0x0004; // with fmCreate: fail when the file exists
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
public:
    // Read and Write move up to count bytes and answer how many moved.
    virtual int Read(void* buffer, int count) = 0;
    virtual int Write(const void* buffer, int count) = 0;
    // Answers the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    // Move exactly count bytes or raise EReadError "Stream read error" /
    // EWriteError "Stream write error".
    void ReadBuffer(void* buffer, int count);
    void WriteBuffer(const void* buffer, int count);
    // Copies count bytes from the source's position; count 0 (or less) copies
    // the whole source from its start. Answers the bytes copied.
    int64_t CopyFrom(TStream* source, int64_t count);

    int64_t GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    virtual int64_t GetSize();
    // Streams of a fixed size ignore it.
    virtual void SetSize(int64_t newSize) {}
};

// A stream over one block of memory. The position may lie past the end:
// reads there find nothing.
class TCustomMemoryStream : public TStream {
public:
    int Read(void* buffer, int count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return FSize; }

    void SaveToStream(TStream* stream);
    void SaveToFile(const UnicodeString& fileName);
    // The stream's bytes, valid until its size changes.
    void* GetMemory() const { return FMemory; }

protected:
    void SetPointer(void* memory, int64_t size) {
        FMemory = memory;
        FSize = size;
    }

    void* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// A memory stream that grows as it is written. Bytes it grows by are zero.
class TMemoryStream : public TCustomMemoryStream {
public:
    int Write(const void* buffer, int count) override;
    void SetSize(int64_t newSize) override;

    // Empties the stream and frees its memory.
    void Clear();
    // Replaces the content with the whole of stream (read from its start).
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const UnicodeString& fileName);

    int64_t GetCapacity() const { return static_cast<int64_t>(FData.size()); }
    // Never below the size.
    void SetCapacity(int64_t newCapacity);

protected:
    // Makes room for size bytes, growing by half again so that a run of
    // small writes costs linear time.
    void Reserve(int64_t size);
    void SetData(TBytes data);

    TBytes FData; // sized to the capacity
};

// A memory stream whose content can be taken or given as bytes.
class TBytesStream : public TMemoryStream {
public:
    explicit TBytesStream(TBytes bytes = {}) { SetData(std::move(bytes)); }
    // A copy of the stream's Size bytes.
    TBytes GetBytes() const;
};

// A memory stream of text in an encoding (UTF-8 unless told otherwise).
// No byte-order mark is written or expected.
class TStringStream : public TBytesStream {
public:
    explicit TStringStream(const UnicodeString& text = {}, TTextEncoding encoding = teUTF8);
    explicit TStringStream(TBytes bytes, TTextEncoding encoding = teUTF8)
        : TBytesStream(std::move(bytes)), FEncoding(encoding) {}

    // The whole content as text.
    UnicodeString GetDataString() const;
    TTextEncoding GetEncoding() const { return FEncoding; }
    // Reads count bytes (or up to the end) from the position, as text.
    UnicodeString ReadString(int count);
    void WriteString(const UnicodeString& text);

private:
    TTextEncoding FEncoding;
};

// A stream over memory that belongs to the caller and may not change:
// writing or resizing raises EStreamError.
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
    TReadOnlyMemoryStream(const void* memory, int64_t size) {
        SetPointer(const_cast<void*>(memory), size);
    }
    int Write(const void* buffer, int count) override;
    void SetSize(int64_t newSize) override;
};

// A stream over an open Windows file handle, which it does not close.
class THandleStream : public TStream {
public:
    explicit THandleStream(HANDLE handle) : FHandle(handle) {}
    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Moves the end of the file; failure raises EOSError.
    void SetSize(int64_t newSize) override;
    HANDLE GetHandle() const { return FHandle; }

protected:
    HANDLE FHandle;
};

// A stream over a named file (a Windows path), closed when the stream goes.
// Failure to create raises EFCreateError, to open EFOpenError, each with the
// file name and the system's text for the error.
class TFileStream : public THandleStream {
public:
    TFileStream(const UnicodeString& fileName, uint16_t mode, uint32_t rights = 0);
    ~TFileStream() override;
    const UnicodeString& GetFileName() const { return FFileName; }

private:
    UnicodeString FFileName;
};

#pragma GCC visibility pop
