// The version frame of persisted explorer objects.
#include "benchkit/shell/IDEVirtualShellUtilities.h"

namespace {

constexpr uint32_t kOpenExclusive = fmOpenRead | fmShareExclusive;  // 0x0010
constexpr uint32_t kCreateExclusive = fmCreate | fmShareExclusive; // 0xFF10

void ReadVersion(TStream* S, int& version) {
    int32_t v = 0;
    S->ReadBuffer(&v, sizeof v);
    version = v;
}

void WriteVersion(TStream* S, int version) {
    int32_t v = version;
    S->WriteBuffer(&v, sizeof v);
}

} // namespace

void TStreamableClass::LoadFromStream(TStream* S, int Version, bool ReadVerFromStream) {
    if (ReadVerFromStream) ReadVersion(S, FStreamVersion);
    else FStreamVersion = Version;
}

void TStreamableClass::SaveToStream(TStream* S, int Version, bool WriteVerToStream) {
    if (WriteVerToStream) WriteVersion(S, Version);
    FStreamVersion = Version;
}

void TStreamableClass::LoadFromFile(const UnicodeString& FileName, int Version,
                                    bool ReadVerFromStream) {
    TWideFileStream stream(FileName, kOpenExclusive);
    LoadFromStream(&stream, Version, ReadVerFromStream);
}

void TStreamableClass::SaveToFile(const UnicodeString& FileName, int Version,
                                  bool WriteVerToStream) {
    TWideFileStream stream(FileName, kCreateExclusive);
    SaveToStream(&stream, Version, WriteVerToStream);
}

void TStreamableList::LoadFromStream(TStream* S, int Version, bool ReadVerFromStream) {
    Clear();
    if (ReadVerFromStream) ReadVersion(S, FStreamVersion);
    else FStreamVersion = Version;
}

void TStreamableList::SaveToStream(TStream* S, int Version, bool WriteVerToStream) {
    if (WriteVerToStream) WriteVersion(S, Version);
    FStreamVersion = Version;
}

void TStreamableList::LoadFromFile(const UnicodeString& FileName, int, bool) {
    TWideFileStream stream(FileName, kOpenExclusive);
    LoadFromStream(&stream, 0, false);
}

void TStreamableList::SaveToFile(const UnicodeString& FileName, int, bool) {
    TWideFileStream stream(FileName, kCreateExclusive);
    SaveToStream(&stream, 0, false);
}
