// TWideStringList: a list of wide strings with objects, sorted or not, that
// loads and saves UTF-16 files.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

namespace {

int CompareItems(const UnicodeString& a, const UnicodeString& b) { return AnsiCompareText(a, b); }

int DefaultCompare(TWideStringList* List, int Index1, int Index2) {
    return CompareItems(List->GetStrings(Index1), List->GetStrings(Index2));
}

} // namespace

TWideStringList::~TWideStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    Clear();
}

void TWideStringList::Error(const char16_t* Msg, int Data) {
    throw EStringListError(Msg, {Data});
}

void TWideStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= FCount) {
        throw EStringListError(u"List index out of bounds (%d)", {Index});
    }
}

void TWideStringList::Changed() {
    if (OnChange) OnChange(this);
}

void TWideStringList::Changing() {
    if (OnChanging) OnChanging(this);
}

void TWideStringList::SetUpdateState(bool Updating) {
    if (Updating) Changing();
    else Changed();
}

UnicodeString TWideStringList::Get(int Index) {
    CheckIndex(Index);
    return FList[Index].FString;
}

TObject* TWideStringList::GetObject(int Index) {
    CheckIndex(Index);
    return FList[Index].FObject;
}

void TWideStringList::Put(int Index, const UnicodeString& S) {
    if (FSorted) Error(u"Operation not allowed on sorted list", 0);
    CheckIndex(Index);
    Changing();
    FList[Index].FString = S;
    Changed();
}

void TWideStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FList[Index].FObject = AObject;
    Changed();
}

void TWideStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < FCount) Error(u"List capacity out of bounds (%d)", NewCapacity);
    FList.resize(static_cast<size_t>(NewCapacity));
    FCapacity = NewCapacity;
}

void TWideStringList::Grow() {
    int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    SetCapacity(FCapacity + delta);
}

bool TWideStringList::Find(const UnicodeString& S, int& Index) {
    bool found = false;
    int lo = 0, hi = FCount - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareItems(FList[mid].FString, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            // Keep going left so that a match is the first of equal items.
            hi = mid - 1;
            if (c == 0) found = true;
        }
    }
    Index = lo;
    return found;
}

int TWideStringList::Add(const UnicodeString& S) { return AddObject(S, nullptr); }

int TWideStringList::AddObject(const UnicodeString& S, TObject* AObject) {
    int index = FCount;
    if (FSorted && Find(S, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) Error(u"String list does not allow duplicates", 0);
    }
    InsertItem(index, S, AObject);
    return index;
}

void TWideStringList::AddStrings(TWideStringList* Strings) {
    for (int i = 0; i < Strings->GetCount(); ++i)
        AddObject(Strings->GetStrings(i), Strings->GetObjects(i));
}

void TWideStringList::AddStrings(TStrings* Strings) {
    for (int i = 0; i < Strings->GetCount(); ++i)
        AddObject(Strings->GetStrings(i), Strings->GetObjects(i));
}

void TWideStringList::Insert(int Index, const UnicodeString& S) {
    if (FSorted) Error(u"Operation not allowed on sorted list", 0);
    if (Index < 0 || Index > FCount) Error(u"List index out of bounds (%d)", Index);
    InsertItem(Index, S, nullptr);
}

void TWideStringList::InsertItem(int Index, const UnicodeString& S, TObject* AObject) {
    Changing();
    if (FCount == FCapacity) Grow();
    for (int i = FCount; i > Index; --i) FList[i] = std::move(FList[i - 1]);
    FList[Index] = {S, AObject};
    ++FCount;
    Changed();
}

void TWideStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    if (FOwnsObjects) delete FList[Index].FObject;
    for (int i = Index; i < FCount - 1; ++i) FList[i] = std::move(FList[i + 1]);
    --FCount;
    FList[FCount] = {};
    Changed();
}

void TWideStringList::Clear() {
    if (FCount == 0) return;
    Changing();
    while (FCount > 0) {
        --FCount;
        if (FOwnsObjects) delete FList[FCount].FObject;
        FList[FCount] = {};
    }
    SetCapacity(0);
    Changed();
}

void TWideStringList::ExchangeItems(int Index1, int Index2) { std::swap(FList[Index1], FList[Index2]); }

void TWideStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    ExchangeItems(Index1, Index2);
    Changed();
}

int TWideStringList::IndexOf(const UnicodeString& S) {
    if (FSorted) {
        int index;
        return Find(S, index) ? index : -1;
    }
    for (int i = 0; i < FCount; ++i)
        if (CompareItems(FList[i].FString, S) == 0) return i;
    return -1;
}

int TWideStringList::IndexOfName(const UnicodeString& Name) {
    for (int i = 0; i < FCount; ++i)
        if (FList[i].FString.find(u'=') != UnicodeString::npos &&
            CompareItems(GetNames(i), Name) == 0)
            return i;
    return -1;
}

int TWideStringList::IndexOfObject(TObject* AObject) {
    for (int i = 0; i < FCount; ++i)
        if (FList[i].FObject == AObject) return i;
    return -1;
}

void TWideStringList::QuickSort(int L, int R, TWideStringListSortCompare SCompare) {
    while (L < R) {
        int i = L, j = R, p = (L + R) / 2;
        do {
            while (SCompare(this, i, p) < 0) ++i;
            while (SCompare(this, j, p) > 0) --j;
            if (i <= j) {
                ExchangeItems(i, j);
                if (p == i) p = j;
                else if (p == j) p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (L < j) QuickSort(L, j, SCompare);
        L = i;
    }
}

void TWideStringList::CustomSort(TWideStringListSortCompare Compare) {
    if (FSorted || FCount < 2) return;
    Changing();
    QuickSort(0, FCount - 1, Compare);
    Changed();
}

void TWideStringList::Sort() { CustomSort(DefaultCompare); }

void TWideStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

UnicodeString TWideStringList::GetNames(int Index) {
    UnicodeString s = Get(Index);
    size_t eq = s.find(u'=');
    return eq == UnicodeString::npos ? UnicodeString() : s.substr(0, eq);
}

UnicodeString TWideStringList::GetValues(const UnicodeString& Name) {
    int i = IndexOfName(Name);
    return i < 0 ? UnicodeString() : FList[i].FString.substr(Name.size() + 1);
}

void TWideStringList::SetValues(const UnicodeString& Name, const UnicodeString& Value) {
    int i = IndexOfName(Name);
    if (Value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0) {
        Add(Name + u"=" + Value);
        return;
    }
    // Sorted lists refuse Put; the name, and so the order, stays the same.
    Changing();
    FList[i].FString = Name + u"=" + Value;
    Changed();
}

UnicodeString TWideStringList::GetValueFromIndex(int Index) {
    UnicodeString s = Get(Index);
    size_t eq = s.find(u'=');
    return eq == UnicodeString::npos ? UnicodeString() : s.substr(eq + 1);
}

void TWideStringList::SetValueFromIndex(int Index, const UnicodeString& Value) {
    if (Value.empty()) {
        Delete(Index);
        return;
    }
    UnicodeString name = GetNames(Index);
    CheckIndex(Index);
    Changing();
    FList[Index].FString = name + u"=" + Value;
    Changed();
}

UnicodeString TWideStringList::GetText() {
    UnicodeString out;
    for (int i = 0; i < FCount; ++i) out += FList[i].FString + u"\r\n";
    return out;
}

void TWideStringList::SetText(const UnicodeString& Value) {
    SetUpdateState(true);
    Clear();
    size_t i = 0, n = Value.size();
    while (i < n) {
        size_t start = i;
        while (i < n && !(Value[i] == u'\r' || Value[i] == u'\n' || Value[i] == u'\v' ||
                          Value[i] == u'\f' || Value[i] == u'\u2028' || Value[i] == u'\u2029'))
            ++i;
        Add(Value.substr(start, i - start));
        if (i < n) {
            if (Value[i] == u'\r' && i + 1 < n && Value[i + 1] == u'\n') ++i;
            ++i;
        }
    }
    SetUpdateState(false);
}

UnicodeString TWideStringList::GetCommaText() {
    if (FCount == 1 && FList[0].FString.empty()) return u"\"\"";
    UnicodeString out;
    for (int i = 0; i < FCount; ++i) {
        const UnicodeString& s = FList[i].FString;
        bool quote = false;
        for (char16_t c : s)
            if (c <= u' ' || c == u'"' || c == u',') quote = true;
        if (i > 0) out += u',';
        out += quote ? WideQuotedStr(s, u'"') : s;
    }
    return out;
}

void TWideStringList::SetCommaText(const UnicodeString& Value) {
    SetUpdateState(true);
    Clear();
    PCWideChar p = Value.c_str();
    while (*p >= 1 && *p <= u' ') ++p;
    while (*p) {
        UnicodeString item;
        if (*p == u'"') {
            item = WideExtractQuotedStr(p, u'"');
        } else {
            PCWideChar start = p;
            while (*p > u' ' && *p != u',') ++p;
            item.assign(start, p);
        }
        Add(item);
        while (*p >= 1 && *p <= u' ') ++p;
        if (*p == u',') {
            ++p;
            while (*p >= 1 && *p <= u' ') ++p;
        }
    }
    SetUpdateState(false);
}

void TWideStringList::Assign(TPersistent* Source) {
    if (auto* wide = dynamic_cast<TWideStringList*>(Source)) {
        SetUpdateState(true);
        Clear();
        AddStrings(wide);
        SetUpdateState(false);
        return;
    }
    TPersistent::Assign(Source);
}

void TWideStringList::Assign(TStrings* Source) {
    SetUpdateState(true);
    Clear();
    AddStrings(Source);
    SetUpdateState(false);
}

void TWideStringList::AssignTo(TStrings* Dest) const {
    Dest->Clear();
    for (int i = 0; i < FCount; ++i) Dest->AddObject(FList[i].FString, FList[i].FObject);
}

void TWideStringList::LoadFromStream(TStream* Stream) {
    int64_t size = Stream->GetSize() - Stream->GetPosition();
    uint8_t bom[2] = {0, 0};
    int got = size >= 2 ? Stream->Read(bom, 2) : 0;
    bool little = got == 2 && bom[0] == 0xFF && bom[1] == 0xFE;
    bool big = got == 2 && bom[0] == 0xFE && bom[1] == 0xFF;
    if (!little && !big) Stream->Seek(-got, soCurrent);
    size = Stream->GetSize() - Stream->GetPosition();
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0) Stream->ReadBuffer(bytes.data(), static_cast<int>(size));
    UnicodeString text;
    if (little || big) {
        text.assign(bytes.size() / 2, u'\0'); // a stray odd byte is dropped
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
        if (big) StrSwapByteOrder(text.data());
    } else {
        text = runpak::DecodeText(bytes, teAnsi);
    }
    SetText(text);
}

void TWideStringList::SaveToStream(TStream* Stream) {
    UnicodeString text = GetText();
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TWideStringList::LoadFromFile(const UnicodeString& FileName) {
    try {
        TWideFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
        LoadFromStream(&stream);
    } catch (const EFCreateError&) {
        EOSError error(SysErrorMessage(GetLastError()));
        error.ErrorCode = GetLastError();
        throw error;
    }
}

void TWideStringList::SaveToFile(const UnicodeString& FileName) {
    TWideFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}
