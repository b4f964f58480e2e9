// TStrings: editing, searching, names and values, text forms and streams.
#include <runpak/Exceptions.h>
#include <runpak/Streams.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include "StringsUpdate.h"

#include <algorithm>
#include <cstdio>

void TStrings::Error(const char* messageFormat, int data) {
    char text[128];
    std::snprintf(text, sizeof text, messageFormat, data);
    throw EStringListError(Utf8ToUnicode(text));
}

int TStrings::CompareStrings(const UnicodeString& s1, const UnicodeString& s2) const {
    return AnsiCompareText(s1, s2);
}

// --- Editing ---------------------------------------------------------------

void TStrings::Put(int index, const UnicodeString& s) {
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

int TStrings::Add(const UnicodeString& s) {
    int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const UnicodeString& s, TObject* object) {
    int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const UnicodeString& s, TObject* object) {
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(TStrings* strings) {
    runpak::Updating(*this, [&] {
        for (int i = 0; i < strings->GetCount(); ++i)
            AddObject(strings->Get(i), strings->GetObject(i));
    });
}

TClass TStrings::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TStrings>(u"TStrings", TPersistent::StaticClass()));
    return &meta;
}

void TStrings::Assign(TPersistent* persistent) {
    auto* source = dynamic_cast<TStrings*>(persistent);
    if (!source) {
        TPersistent::Assign(persistent);
        return;
    }
    if (source == this) return;
    runpak::Updating(*this, [&] {
        Clear();
        FDelimiter = source->FDelimiter;
        FQuoteChar = source->FQuoteChar;
        FNameValueSeparator = source->FNameValueSeparator;
        FStrictDelimiter = source->FStrictDelimiter;
        FLineBreak = source->FLineBreak;
        AddStrings(source);
    });
}

void TStrings::Exchange(int index1, int index2) {
    runpak::Updating(*this, [&] {
        UnicodeString s = Get(index1);
        TObject* object = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, object);
    });
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    runpak::Updating(*this, [&] {
        UnicodeString s = Get(curIndex);
        TObject* object = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    });
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return; // unbalanced: nothing to close
    --FUpdateCount;
    if (FUpdateCount == 0) SetUpdateState(false);
}

// --- Searching -------------------------------------------------------------

int TStrings::IndexOf(const UnicodeString& s) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const UnicodeString& name) const {
    for (int i = 0; i < GetCount(); ++i) {
        UnicodeString s = Get(i);
        size_t separator = s.find(FNameValueSeparator);
        if (separator != UnicodeString::npos && CompareStrings(s.substr(0, separator), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* object) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

bool TStrings::Equals(TStrings* strings) const {
    if (GetCount() != strings->GetCount()) return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != strings->Get(i)) return false;
    return true;
}

// --- Names and values ------------------------------------------------------

UnicodeString TStrings::GetNames(int index) const {
    UnicodeString s = Get(index);
    size_t separator = s.find(FNameValueSeparator);
    return separator == UnicodeString::npos ? UnicodeString() : s.substr(0, separator);
}

UnicodeString TStrings::GetValueFromIndex(int index) const {
    if (index < 0) return {};
    UnicodeString s = Get(index);
    size_t separator = s.find(FNameValueSeparator);
    return separator == UnicodeString::npos ? UnicodeString() : s.substr(separator + 1);
}

void TStrings::SetValueFromIndex(int index, const UnicodeString& value) {
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    if (index < 0) index = Add(u"");
    Put(index, GetNames(index) + FNameValueSeparator + value);
}

UnicodeString TStrings::GetValues(const UnicodeString& name) const {
    return GetValueFromIndex(IndexOfName(name));
}

void TStrings::SetValues(const UnicodeString& name, const UnicodeString& value) {
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    if (index < 0) index = Add(u"");
    Put(index, name + FNameValueSeparator + value);
}

// --- Text ------------------------------------------------------------------

UnicodeString TStrings::GetTextStr() const {
    UnicodeString text;
    for (int i = 0; i < GetCount(); ++i) {
        text += Get(i);
        text += FLineBreak;
    }
    return text;
}

void TStrings::SetTextStr(const UnicodeString& text) {
    runpak::Updating(*this, [&] {
        Clear();
        size_t start = 0;
        const size_t length = text.size();
        if (FLineBreak == u"\r\n") {
            while (start < length) {
                size_t end = text.find_first_of(u"\r\n", start);
                if (end == UnicodeString::npos) end = length;
                Add(text.substr(start, end - start));
                start = end;
                if (start < length && text[start] == u'\r') ++start;
                if (start < length && text[start] == u'\n') ++start;
            }
        } else if (!FLineBreak.empty()) {
            while (start < length) {
                size_t end = text.find(FLineBreak, start);
                if (end == UnicodeString::npos) end = length;
                Add(text.substr(start, end - start));
                start = end == length ? length : end + FLineBreak.size();
            }
        } else if (length > 0) {
            Add(text);
        }
    });
}

// --- Delimited text --------------------------------------------------------

static bool IsBlank(char16_t ch) {
    return ch <= u' ';
}

namespace {
struct TDelimiting {
    char16_t Delimiter;
    char16_t QuoteChar;
    bool Strict;
};
} // namespace

static UnicodeString JoinDelimited(const TStrings& strings, const TDelimiting& how) {
    const int count = strings.GetCount();
    if (count == 1 && strings.Get(0).empty()) return UnicodeString(2, how.QuoteChar);
    UnicodeString text;
    for (int i = 0; i < count; ++i) {
        UnicodeString s = strings.Get(i);
        bool quote = false;
        for (char16_t ch : s)
            if (ch == how.QuoteChar || ch == how.Delimiter || (!how.Strict && IsBlank(ch)))
                quote = true;
        if (i > 0) text += how.Delimiter;
        text += quote ? AnsiQuotedStr(s, how.QuoteChar) : s;
    }
    return text;
}

static void SplitDelimited(TStrings& strings, const UnicodeString& text, const TDelimiting& how) {
    runpak::Updating(strings, [&] {
        strings.Clear();
        const size_t length = text.size();
        size_t p = 0;
        auto skipBlanks = [&] {
            if (!how.Strict)
                while (p < length && IsBlank(text[p]))
                    ++p;
        };
        skipBlanks();
        while (p < length) {
            UnicodeString item;
            if (text[p] == how.QuoteChar) {
                // A quoted item ends at a single quote; doubled quotes stand for one.
                ++p;
                while (p < length) {
                    if (text[p] == how.QuoteChar) {
                        if (p + 1 < length && text[p + 1] == how.QuoteChar) {
                            item += how.QuoteChar;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    item += text[p++];
                }
            } else {
                size_t start = p;
                while (p < length && text[p] != how.Delimiter && (how.Strict || !IsBlank(text[p])))
                    ++p;
                item = text.substr(start, p - start);
            }
            strings.Add(item);
            skipBlanks();
            if (p < length && text[p] == how.Delimiter) {
                ++p;
                // A delimiter at the very end stands before one more, empty item.
                if (p == length) strings.Add(u"");
                skipBlanks();
            }
        }
    });
}

UnicodeString TStrings::GetDelimitedText() const {
    return JoinDelimited(*this, {FDelimiter, FQuoteChar, FStrictDelimiter});
}

void TStrings::SetDelimitedText(const UnicodeString& text) {
    SplitDelimited(*this, text, {FDelimiter, FQuoteChar, FStrictDelimiter});
}

UnicodeString TStrings::GetCommaText() const {
    return JoinDelimited(*this, {u',', u'"', false});
}

void TStrings::SetCommaText(const UnicodeString& text) {
    SplitDelimited(*this, text, {u',', u'"', false});
}

// --- Streams ---------------------------------------------------------------

static std::string ReadRest(TStream* stream) {
    int64_t size = stream->GetSize() - stream->GetPosition();
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        int chunk = static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 30));
        stream->ReadBuffer(bytes.data() + done, chunk);
        done += chunk;
    }
    return bytes;
}

void TStrings::LoadFromStream(TStream* stream) {
    std::string bytes = ReadRest(stream);
    size_t preamble = 0;
    TTextEncoding encoding = runpak::DetectTextEncoding(bytes, preamble);
    SetTextStr(runpak::DecodeText(std::string_view(bytes).substr(preamble), encoding));
}

void TStrings::LoadFromStream(TStream* stream, TTextEncoding encoding) {
    std::string bytes = ReadRest(stream);
    std::string preamble = runpak::TextPreamble(encoding);
    std::string_view text(bytes);
    if (!preamble.empty() && text.substr(0, preamble.size()) == preamble)
        text.remove_prefix(preamble.size());
    SetTextStr(runpak::DecodeText(text, encoding));
}

void TStrings::SaveToStream(TStream* stream, TTextEncoding encoding) {
    std::string bytes = encoding == teUTF16LE || encoding == teUTF16BE
                            ? runpak::TextPreamble(encoding)
                            : std::string();
    bytes += runpak::EncodeText(GetTextStr(), encoding);
    TReadOnlyMemoryStream source(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream->CopyFrom(&source, static_cast<int64_t>(bytes.size()));
}

// Files are opened for reading while others may read but not write, and
// replaced when saved.
void TStrings::LoadFromFile(const UnicodeString& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::LoadFromFile(const UnicodeString& fileName, TTextEncoding encoding) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream, encoding);
}

void TStrings::SaveToFile(const UnicodeString& fileName, TTextEncoding encoding) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(&stream, encoding);
}
