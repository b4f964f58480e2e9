// TPIDLManager, TPIDLList and the bound list comparisons.
#include "benchkit/shell/IDEVirtualPIDLTools.h"

#include <runpak/Exceptions.h>

#include <cstring>
#include <memory>

TShellILIsEqual ShellILIsEqual = nullptr;
TShellILIsParent ShellILIsParent = nullptr;

namespace {

TPIDLManager* PrivatePIDLMgr = nullptr; // made by the unit's start-up

uint16_t ReadCB(const void* at) {
    uint16_t cb;
    std::memcpy(&cb, at, sizeof cb);
    return cb;
}

void WriteCB(void* at, uint16_t cb) {
    std::memcpy(at, &cb, sizeof cb);
}

PItemIDList Advance(PItemIDList p, size_t bytes) {
    return reinterpret_cast<PItemIDList>(reinterpret_cast<uint8_t*>(p) + bytes);
}

// True when the item chain of `bytes` ends in its terminator exactly at the
// end of the data, every count lying inside it.
bool ValidChain(const uint8_t* bytes, size_t size) {
    size_t at = 0;
    while (at + 2 <= size) {
        uint16_t cb = ReadCB(bytes + at);
        if (cb == 0) return at + 2 == size;
        if (cb < 2 || cb > size - at - 2) return false; // room for a terminator after it
        at += cb;
    }
    return false;
}

} // namespace

LPCSTR ShellOrdinal(WORD Ordinal) {
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(Ordinal));
}

void LoadShell32Functions() {
    HMODULE shell32 = GetModuleHandleW(u"shell32.dll");
    if (!shell32) return;
    ShellILIsEqual = BindRoutine<TShellILIsEqual>(shell32, ShellOrdinal(21));
    ShellILIsParent = BindRoutine<TShellILIsParent>(shell32, ShellOrdinal(23));
}

namespace IDEVirtualPIDLTools {

bool ILIsEqual(PItemIDList PIDL1, PItemIDList PIDL2) {
    if (!ShellILIsEqual) LoadShell32Functions();
    if (!PIDL1 || !PIDL2 || !ShellILIsEqual) return false;
    return ShellILIsEqual(PIDL1, PIDL2) != FALSE;
}

bool ILIsParent(PItemIDList PIDL1, PItemIDList PIDL2, bool ImmediateParent) {
    if (!ShellILIsParent) LoadShell32Functions();
    if (!PIDL1 || !PIDL2 || !ShellILIsParent) return false;
    return ShellILIsParent(PIDL1, PIDL2, ImmediateParent ? TRUE : FALSE) != FALSE;
}

} // namespace IDEVirtualPIDLTools

PItemIDList GetMyDocumentsVirtualFolder() {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return nullptr;
    UnicodeString name = u"::{450d8fba-ad25-11d0-98a8-0800361b1103}";
    PIDLIST_RELATIVE pidl = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, &pidl, nullptr)))
        pidl = nullptr;
    desktop->Release();
    return pidl;
}

// ---- TPIDLManager ---------------------------------------------------------------

TPIDLManager::TPIDLManager() {
    if (SHGetMalloc(&FMalloc) == E_FAIL || !FMalloc) throw EOutOfMemory(u"Out of memory");
}

TPIDLManager::~TPIDLManager() {
    if (FMalloc) FMalloc->Release();
}

PWideChar TPIDLManager::AllocStrGlobal(const UnicodeString& S) {
    size_t bytes = (S.size() + 1) * sizeof(char16_t);
    auto* block = static_cast<PWideChar>(FMalloc->Alloc(bytes));
    if (block) std::memcpy(block, S.c_str(), bytes);
    return block;
}

PItemIDList TPIDLManager::AppendPIDL(PItemIDList Dest, PItemIDList Src) {
    int destBytes = Dest ? PIDLSize(Dest) - 2 : 0;
    // Without a source the terminator is ours, so the result is always a list.
    int srcBytes = Src ? PIDLSize(Src) : 2;
    auto* result = static_cast<uint8_t*>(FMalloc->Alloc(destBytes + srcBytes));
    if (!result) return nullptr;
    if (destBytes > 0) std::memcpy(result, Dest, destBytes);
    if (Src)
        std::memcpy(result + destBytes, Src, srcBytes);
    else
        WriteCB(result + destBytes, 0);
    return reinterpret_cast<PItemIDList>(result);
}

PItemIDList TPIDLManager::CopyPIDL(PItemIDList APIDL) {
    if (!APIDL) return nullptr;
    int size = PIDLSize(APIDL);
    void* copy = FMalloc->Alloc(size);
    if (copy) std::memcpy(copy, APIDL, size);
    return static_cast<PItemIDList>(copy);
}

PItemIDList TPIDLManager::CopyLastID(PItemIDList IDList) {
    if (!IDList) return nullptr;
    return CopyPIDL(GetPointerToLastID(IDList));
}

bool TPIDLManager::EqualPIDL(PItemIDList PIDL1, PItemIDList PIDL2) {
    return IDEVirtualPIDLTools::ILIsEqual(PIDL1, PIDL2);
}

void TPIDLManager::FreeOLEStr(void* OLEStr) {
    FMalloc->Free(OLEStr);
}

void TPIDLManager::FreePIDL(PItemIDList PIDL) {
    if (PIDL) FMalloc->Free(PIDL);
}

void TPIDLManager::FreeAndNilPIDL(PItemIDList& PIDL) {
    PItemIDList old = PIDL;
    PIDL = nullptr;
    FreePIDL(old);
}

PItemIDList TPIDLManager::GetPointerToLastID(PItemIDList IDList) {
    if (!IDList || ReadCB(IDList) == 0) return IDList;
    PItemIDList last = IDList;
    PItemIDList next = NextID(IDList);
    while (ReadCB(next) != 0) {
        last = next;
        next = NextID(next);
    }
    return last;
}

int TPIDLManager::IDCount(PItemIDList APIDL) {
    int count = 0;
    if (!APIDL) return 0;
    for (PItemIDList p = APIDL; ReadCB(p) != 0; p = NextID(p))
        ++count;
    return count;
}

bool TPIDLManager::IsDesktopFolder(PItemIDList APIDL) {
    return APIDL && ReadCB(APIDL) == 0;
}

bool TPIDLManager::IsSubPIDL(PItemIDList FullPIDL, PItemIDList SubPIDL) {
    if (!FullPIDL || !SubPIDL) return false;
    int count = IDCount(SubPIDL);
    if (IDCount(FullPIDL) < count) return false;
    PItemIDList cut = FullPIDL;
    for (int i = 0; i < count; ++i)
        cut = NextID(cut);
    uint16_t saved = ReadCB(cut);
    WriteCB(cut, 0);
    bool equal = IDEVirtualPIDLTools::ILIsEqual(FullPIDL, SubPIDL);
    WriteCB(cut, saved);
    return equal;
}

PItemIDList TPIDLManager::NextID(PItemIDList APIDL) {
    return Advance(APIDL, ReadCB(APIDL));
}

void TPIDLManager::ParsePIDL(PItemIDList AbsolutePIDL, TPIDLList* PIDLList, bool AllAbsolutePIDLs) {
    if (!AbsolutePIDL || !PIDLList) return;
    PItemIDList start = AbsolutePIDL;
    PItemIDList cursor = AbsolutePIDL;
    while (ReadCB(cursor) != 0) {
        cursor = NextID(cursor);
        uint16_t saved = ReadCB(cursor);
        WriteCB(cursor, 0);
        PItemIDList copy = CopyPIDL(start);
        WriteCB(cursor, saved);
        if (copy) PIDLList->Add(copy);
        if (!AllAbsolutePIDLs) start = cursor;
    }
}

int TPIDLManager::PIDLSize(PItemIDList APIDL) {
    if (!APIDL) return 0;
    int size = 2;
    for (PItemIDList p = APIDL; ReadCB(p) != 0; p = NextID(p))
        size += ReadCB(p);
    return size;
}

UnicodeString TPIDLManager::PIDLToString(PItemIDList APIDL) {
    int size = PIDLSize(APIDL);
    UnicodeString text(static_cast<size_t>(size), u'\0');
    if (size > 0) std::memcpy(text.data(), APIDL, size);
    return text;
}

PItemIDList TPIDLManager::StringToPIDL(const UnicodeString& PIDLStr) {
    if (PIDLStr.empty()) return nullptr;
    void* pidl = FMalloc->Alloc(PIDLStr.size());
    if (pidl) std::memcpy(pidl, PIDLStr.data(), PIDLStr.size());
    return static_cast<PItemIDList>(pidl);
}

PItemIDList TPIDLManager::StripLastID(PItemIDList IDList) {
    uint16_t cb;
    PItemIDList last;
    return StripLastID(IDList, cb, last);
}

PItemIDList TPIDLManager::StripLastID(PItemIDList IDList, uint16_t& Last_CB, PItemIDList& LastID) {
    Last_CB = 0;
    LastID = nullptr;
    if (!IDList) return nullptr;
    if (ReadCB(IDList) == 0) return IDList;
    LastID = GetPointerToLastID(IDList);
    Last_CB = ReadCB(LastID);
    WriteCB(LastID, 0);
    return IDList;
}

PItemIDList TPIDLManager::LoadFromStream(TStream* Stream) {
    int32_t count = 0;
    Stream->ReadBuffer(&count, sizeof count);
    if (count == 0) return nullptr;
    int64_t left = Stream->GetSize() - Stream->GetPosition();
    if (count < 2 || count > left)
        throw EReadError(u"Item id list stream corrupt: a list of %d bytes with %d left",
                         {count, static_cast<int>(left < 0 ? 0 : left)});
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[count]);
    Stream->ReadBuffer(bytes.get(), count);
    if (!ValidChain(bytes.get(), static_cast<size_t>(count)))
        throw EReadError(u"Item id list stream corrupt: the items do not fit their byte count");
    void* pidl = FMalloc->Alloc(count);
    if (!pidl) throw EOutOfMemory(u"Out of memory");
    std::memcpy(pidl, bytes.get(), count);
    return static_cast<PItemIDList>(pidl);
}

void TPIDLManager::SaveToStream(TStream* Stream, PItemIDList AppendPIDL) {
    int32_t size = PIDLSize(AppendPIDL);
    Stream->WriteBuffer(&size, sizeof size);
    if (size > 0) Stream->WriteBuffer(AppendPIDL, size);
}

PItemIDList TPIDLManager::LoadFromFile(const UnicodeString& FileName) {
    TWideFileStream stream(FileName, 0);
    return LoadFromStream(&stream);
}

void TPIDLManager::SaveToFile(const UnicodeString& FileName, uint32_t FileMode,
                              PItemIDList AppendPIDL) {
    TWideFileStream stream(FileName, FileMode);
    SaveToStream(&stream, AppendPIDL);
}

// ---- TPIDLList ----------------------------------------------------------------------

TPIDLList::~TPIDLList() {
    // The owned lists go back to the allocator before the manager does.
    FDestroying = true;
    Clear();
    delete FPIDLMgr;
    FPIDLMgr = nullptr;
}

TPIDLManager* TPIDLList::GetPIDLMgr() {
    if (!FPIDLMgr) FPIDLMgr = new TPIDLManager;
    return FPIDLMgr;
}

void TPIDLList::Clear() {
    if (!FSharePIDLs && GetCount() > 0) {
        TPIDLManager* manager = GetPIDLMgr();
        for (int i = 0; i < GetCount(); ++i)
            manager->FreePIDL(GetPIDL(i));
    }
    TList::Clear();
}

void TPIDLList::CloneList(TPIDLList* PIDLList) {
    if (!PIDLList) return;
    for (int i = 0; i < GetCount(); ++i)
        PIDLList->CopyAdd(GetPIDL(i));
}

int TPIDLList::CopyAdd(PItemIDList PIDL) {
    return Add(GetPIDLMgr()->CopyPIDL(PIDL));
}

int TPIDLList::FindPIDL(PItemIDList TestPIDL) {
    for (int i = 0; i < GetCount(); ++i)
        if (GetPIDLMgr()->EqualPIDL(TestPIDL, GetPIDL(i))) return i;
    return -1;
}

bool TPIDLList::LoadFromStream(TStream* Stream) {
    try {
        int32_t count = 0;
        Stream->ReadBuffer(&count, sizeof count);
        // Each list takes at least its 4-byte count: a larger count is corrupt.
        int64_t left = Stream->GetSize() - Stream->GetPosition();
        if (count < 0 || count > left / 4) return false;
        TPIDLManager* manager = GetPIDLMgr();
        for (int32_t i = 0; i < count; ++i)
            Add(manager->LoadFromStream(Stream));
        return true;
    } catch (...) {
        return false;
    }
}

bool TPIDLList::SaveToStream(TStream* Stream) {
    try {
        int32_t count = GetCount();
        Stream->WriteBuffer(&count, sizeof count);
        TPIDLManager* manager = GetPIDLMgr();
        for (int i = 0; i < GetCount(); ++i)
            manager->SaveToStream(Stream, GetPIDL(i));
        return true;
    } catch (...) {
        return false;
    }
}

bool TPIDLList::LoadFromFile(const UnicodeString& FileName) {
    try {
        TWideFileStream stream(FileName, 0x0010);
        return LoadFromStream(&stream);
    } catch (...) {
        return false;
    }
}

bool TPIDLList::SaveToFile(const UnicodeString& FileName) {
    try {
        TWideFileStream stream(FileName, 0xFF10);
        return SaveToStream(&stream);
    } catch (...) {
        return false;
    }
}

// ---- unit start-up -------------------------------------------------------------------

void InitializeIDEVirtualPIDLTools() {
    if (!PrivatePIDLMgr) PrivatePIDLMgr = new TPIDLManager;
}

void FinalizeIDEVirtualPIDLTools() {
    delete PrivatePIDLMgr;
    PrivatePIDLMgr = nullptr;
}
