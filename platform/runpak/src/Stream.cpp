#include <runpak/Exceptions.h>
#include <runpak/Streams.h>

#include <algorithm>
#include <vector>

int64_t TStream::GetSize() {
    int64_t position = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

// Streams over pipes and devices may move fewer bytes than asked while more
// are coming, so both loops go on until the count is reached or nothing moves.
void TStream::ReadBuffer(void* buffer, int count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    int done = 0;
    while (done < count) {
        int moved = Read(bytes + done, count - done);
        if (moved <= 0) throw EReadError(u"Stream read error");
        done += moved;
    }
}

void TStream::WriteBuffer(const void* buffer, int count) {
    auto* bytes = static_cast<const uint8_t*>(buffer);
    int done = 0;
    while (done < count) {
        int moved = Write(bytes + done, count - done);
        if (moved <= 0) throw EWriteError(u"Stream write error");
        done += moved;
    }
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
    if (count <= 0) {
        source->SetPosition(0);
        count = source->GetSize();
    }
    constexpr int64_t kBufferSize = 0xF000;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kBufferSize)));
    int64_t left = count;
    while (left > 0) {
        int chunk = static_cast<int>(std::min(left, kBufferSize));
        source->ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        left -= chunk;
    }
    return count;
}
