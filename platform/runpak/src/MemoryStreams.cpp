#include <runpak/Exceptions.h>
#include <runpak/Streams.h>

#include <algorithm>
#include <cstring>
#include <limits>

// --- TCustomMemoryStream ---------------------------------------------------

int TCustomMemoryStream::Read(void* buffer, int count) {
    if (count <= 0 || FPosition < 0 || FPosition >= FSize) return 0;
    int64_t moved = std::min<int64_t>(count, FSize - FPosition);
    std::memcpy(buffer, static_cast<uint8_t*>(FMemory) + FPosition, static_cast<size_t>(moved));
    FPosition += moved;
    return static_cast<int>(moved);
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    switch (origin) {
    case soBeginning:
        FPosition = offset;
        break;
    case soCurrent:
        FPosition += offset;
        break;
    case soEnd:
        FPosition = FSize + offset;
        break;
    }
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
    // WriteBuffer moves int counts; a huge stream goes in pieces.
    int64_t done = 0;
    while (done < FSize) {
        int chunk = static_cast<int>(std::min<int64_t>(FSize - done, 1 << 30));
        stream->WriteBuffer(static_cast<uint8_t*>(FMemory) + done, chunk);
        done += chunk;
    }
}

// --- TMemoryStream ---------------------------------------------------------

void TMemoryStream::SetData(TBytes data) {
    FData = std::move(data);
    SetPointer(FData.data(), static_cast<int64_t>(FData.size()));
    FPosition = 0;
}

void TMemoryStream::SetCapacity(int64_t newCapacity) {
    newCapacity = std::max(newCapacity, FSize);
    FData.resize(static_cast<size_t>(newCapacity));
    if (FData.capacity() > FData.size() * 2) FData.shrink_to_fit();
    FMemory = FData.empty() ? nullptr : FData.data();
}

void TMemoryStream::Reserve(int64_t size) {
    if (size <= GetCapacity()) return;
    int64_t grown = GetCapacity() + GetCapacity() / 2;
    // Whole 16-byte blocks: small streams do not reallocate on every byte.
    SetCapacity((std::max(size, grown) + 15) & ~int64_t(15));
}

void TMemoryStream::SetSize(int64_t newSize) {
    newSize = std::max<int64_t>(newSize, 0);
    Reserve(newSize);
    // Bytes past the old end may hold data from before a shrink.
    if (newSize > FSize) std::memset(FData.data() + FSize, 0, static_cast<size_t>(newSize - FSize));
    FSize = newSize;
    if (FPosition > newSize) FPosition = newSize;
}

int TMemoryStream::Write(const void* buffer, int count) {
    if (count <= 0 || FPosition < 0) return 0;
    if (FPosition > std::numeric_limits<int64_t>::max() - count) return 0;
    int64_t end = FPosition + count;
    if (end > FSize) {
        int64_t position = FPosition;
        SetSize(end); // zero-fills a gap left by seeking past the end
        FPosition = position;
    }
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

void TMemoryStream::Clear() {
    SetData({});
}

void TMemoryStream::LoadFromStream(TStream* stream) {
    stream->SetPosition(0);
    int64_t size = stream->GetSize();
    SetSize(size);
    int64_t done = 0;
    while (done < size) {
        int chunk = static_cast<int>(std::min<int64_t>(size - done, 1 << 30));
        stream->ReadBuffer(FData.data() + done, chunk);
        done += chunk;
    }
    FPosition = 0;
}

// --- TBytesStream and TStringStream ----------------------------------------

TBytes TBytesStream::GetBytes() const {
    return TBytes(FData.begin(), FData.begin() + static_cast<ptrdiff_t>(FSize));
}

TStringStream::TStringStream(const UnicodeString& text, TTextEncoding encoding)
    : FEncoding(encoding) {
    std::string bytes = runpak::EncodeText(text, encoding);
    SetData(TBytes(bytes.begin(), bytes.end()));
}

UnicodeString TStringStream::GetDataString() const {
    return runpak::DecodeText(
        std::string_view(reinterpret_cast<const char*>(FData.data()), static_cast<size_t>(FSize)),
        FEncoding);
}

UnicodeString TStringStream::ReadString(int count) {
    if (FPosition < 0 || FPosition >= FSize || count <= 0) return {};
    int64_t length = std::min<int64_t>(count, FSize - FPosition);
    std::string_view bytes(reinterpret_cast<const char*>(FData.data() + FPosition),
                           static_cast<size_t>(length));
    FPosition += length;
    return runpak::DecodeText(bytes, FEncoding);
}

void TStringStream::WriteString(const UnicodeString& text) {
    std::string bytes = runpak::EncodeText(text, FEncoding);
    WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

// --- TReadOnlyMemoryStream -------------------------------------------------

int TReadOnlyMemoryStream::Write(const void* buffer, int count) {
    throw EStreamError(u"Cannot write to a read-only memory stream");
}

void TReadOnlyMemoryStream::SetSize(int64_t newSize) {
    throw EStreamError(u"Cannot change the size of a read-only memory stream");
}
