// Tables keyed by strings and wide strings, and the stream format of the
// two string-to-string tables.
#include "benchkit/controls/Collections.h"

#include <runpak/Streams.h>

#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace benchkit::collections {

uintptr_t NewStringWord(std::u16string_view Text) {
    void* block = ::operator new(sizeof(std::u16string_view) + Text.size() * sizeof(char16_t));
    char16_t* chars = reinterpret_cast<char16_t*>(static_cast<std::u16string_view*>(block) + 1);
    if (!Text.empty()) std::memcpy(chars, Text.data(), Text.size() * sizeof(char16_t));
    return reinterpret_cast<uintptr_t>(new (block) std::u16string_view(chars, Text.size()));
}

void FreeStringWord(uintptr_t Word) {
    if (Word) ::operator delete(reinterpret_cast<void*>(Word));
}

} // namespace benchkit::collections

using benchkit::collections::StringOfWord;

namespace {

bool SameStrWords(uintptr_t a, uintptr_t b) {
    return StringOfWord(a) == StringOfWord(b);
}
bool SameTextWords(uintptr_t a, uintptr_t b) {
    return AnsiSameTextView(StringOfWord(a), StringOfWord(b));
}
bool WideSameTextWords(uintptr_t a, uintptr_t b) {
    return WideSameTextView(StringOfWord(a), StringOfWord(b));
}

// ---- Stream format: records of (length, UTF-16LE characters) x 2 ----------

const char16_t SCorruptStream[] = u"Hash table stream is corrupt or truncated";

using TStringPairs = std::vector<std::pair<UnicodeString, UnicodeString>>;

class TRecordReader {
public:
    explicit TRecordReader(TStream* stream)
        : FStream(stream), FPos(stream->GetPosition()), FSize(stream->GetSize()) {}

    bool AtEnd() const { return FPos >= FSize; }

    // One length and its characters; raises on a length the stream cannot hold.
    UnicodeString ReadString() {
        uint8_t bytes[4];
        Read(bytes, 4);
        const int32_t length = static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                    static_cast<uint32_t>(bytes[3]) << 24);
        if (length < 0 || 2 * static_cast<int64_t>(length) > FSize - FPos)
            throw EReadError(SCorruptStream);
        std::vector<uint8_t> raw(2 * static_cast<size_t>(length));
        Read(raw.data(), static_cast<int64_t>(raw.size()));
        UnicodeString text(length, u'\0');
        for (int32_t i = 0; i < length; ++i)
            text[i] = static_cast<char16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
        return text;
    }

private:
    void Read(uint8_t* buffer, int64_t count) {
        if (count > FSize - FPos) throw EReadError(SCorruptStream);
        while (count > 0) {
            const int chunk = static_cast<int>(std::min<int64_t>(count, 1 << 30));
            FStream->ReadBuffer(buffer, chunk);
            buffer += chunk;
            count -= chunk;
            FPos += chunk;
        }
    }

    TStream* FStream;
    int64_t FPos;
    int64_t FSize;
};

// Reads every record up to the end of the stream before the table is
// touched, so that a bad stream leaves the table as it was.
TStringPairs ReadPairs(TStream* Stream) {
    const int64_t start = Stream->GetPosition();
    TStringPairs pairs;
    try {
        TRecordReader reader(Stream);
        while (!reader.AtEnd()) {
            UnicodeString key = reader.ReadString();
            UnicodeString value = reader.ReadString();
            pairs.emplace_back(std::move(key), std::move(value));
        }
    } catch (const EReadError&) {
        Stream->SetPosition(start);
        throw EReadError(SCorruptStream);
    }
    return pairs;
}

void WriteString(std::vector<uint8_t>& out, std::u16string_view text) {
    const uint32_t length = static_cast<uint32_t>(text.size());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(length >> shift));
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

void WritePairs(TStream* Stream, const TCustomHashTable* Table, TStrEnumerator keys,
                TStrEnumerator values) {
    std::vector<uint8_t> record;
    while (keys.MoveNext() && values.MoveNext()) {
        record.clear();
        WriteString(record, keys.GetCurrent());
        WriteString(record, values.GetCurrent());
        for (size_t done = 0; done < record.size();) {
            const int chunk = static_cast<int>(std::min<size_t>(record.size() - done, 1 << 30));
            Stream->WriteBuffer(record.data() + done, chunk);
            done += chunk;
        }
    }
}

} // namespace

// ---- Key classes ------------------------------------------------------------

TCustomStringHashTable::TCustomStringHashTable(bool CaseSensitive, uint32_t InitialCapacity,
                                               double LoadFactor)
    : TKeyedHashTable(InitialCapacity, LoadFactor), FCaseSensitive(CaseSensitive),
      FHashProc(CaseSensitive ? HashStringCaseSensitive : HashStringIgnoreCase) {
    FCompareProc = CaseSensitive ? SameStrWords : SameTextWords;
}

TCustomWideStringHashTable::TCustomWideStringHashTable(bool CaseSensitive, uint32_t InitialCapacity,
                                                       double LoadFactor)
    : TKeyedHashTable(InitialCapacity, LoadFactor), FCaseSensitive(CaseSensitive),
      FHashProc(CaseSensitive ? HashWideString : HashWideStringIgnoreCase) {
    FCompareProc = CaseSensitive ? SameStrWords : WideSameTextWords;
}

// ---- String values ------------------------------------------------------------

TStringHashTable::TStringHashTable(bool CaseSensitive, uint32_t InitialCapacity, double LoadFactor)
    : THashTableOf(CaseSensitive, InitialCapacity, LoadFactor) {
    FCompareValuesProc = CaseSensitive ? SameStrWords : SameTextWords;
}

void TStringHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TStringHashTable>(Dest);
}

void TStringHashTable::LoadFromStream(TStream* Stream) {
    TStringPairs pairs = ReadPairs(Stream);
    Clear();
    for (const auto& [key, value] : pairs)
        Add(key, value);
}

void TStringHashTable::SaveToStream(TStream* Stream) {
    WritePairs(Stream, this, TStrEnumerator(this, THashEntryEnumerator::eoKey),
               TStrEnumerator(this, THashEntryEnumerator::eoValue));
}

TWideStringHashTable::TWideStringHashTable(bool CaseSensitive, uint32_t InitialCapacity,
                                           double LoadFactor)
    : THashTableOf(CaseSensitive, InitialCapacity, LoadFactor) {
    FCompareValuesProc = CaseSensitive ? SameStrWords : WideSameTextWords;
}

void TWideStringHashTable::AssignTo(TCustomHashTable* Dest) {
    AssignAs<TWideStringHashTable>(Dest);
}

void TWideStringHashTable::LoadFromStream(TStream* Stream) {
    TStringPairs pairs = ReadPairs(Stream);
    Clear();
    for (const auto& [key, value] : pairs)
        Add(key, value);
}

void TWideStringHashTable::SaveToStream(TStream* Stream) {
    WritePairs(Stream, this, TStrEnumerator(this, THashEntryEnumerator::eoKey),
               TStrEnumerator(this, THashEntryEnumerator::eoValue));
}

// ---- Object values ------------------------------------------------------------

TStringObjHashTable::TStringObjHashTable(bool CaseSensitive, TObjectOwnershipKind OwnershipKind,
                                         uint32_t InitialCapacity, double LoadFactor)
    : TObjectValuesTable(OwnershipKind, CaseSensitive, InitialCapacity, LoadFactor) {}

void TStringObjHashTable::AssignTo(TCustomHashTable* Dest) {
    auto* dest = dynamic_cast<TStringObjHashTable*>(Dest);
    if (!dest) AssignError(this, Dest);
    CopyToUnowned(dest);
}

TWideStringObjHashTable::TWideStringObjHashTable(bool CaseSensitive,
                                                 TObjectOwnershipKind OwnershipKind,
                                                 uint32_t InitialCapacity, double LoadFactor)
    : TObjectValuesTable(OwnershipKind, CaseSensitive, InitialCapacity, LoadFactor) {}
