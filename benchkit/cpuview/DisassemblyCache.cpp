#include "benchkit/cpuview/DisassemblyCache.h"

TCPUSourcePos MakeCPUSourcePos(uint32_t FileIndex, uint32_t LineNum, uint32_t Param) {
    TCPUSourcePos pos;
    pos.FileIndex = FileIndex;
    pos.LineNum = LineNum;
    pos.Param = Param;
    return pos;
}

size_t TDisassemblyCache::TSourcePosHash::operator()(const TCPUSourcePos& Pos) const {
    uint64_t h = Pos.FileIndex;
    h = h * 0x9E3779B97F4A7C15ull ^ Pos.LineNum;
    h = h * 0x9E3779B97F4A7C15ull ^ Pos.Param;
    return static_cast<size_t>(h ^ (h >> 29));
}

void TDisassemblyCache::Clear() {
    FCache.clear();
    FSourcePosCache.clear();
}

// ---- Deposits: read the entry (or a fresh one), add the value, store it back.

void TDisassemblyCache::DepositAsmCode(int64_t Address, const UnicodeString& AsmCode,
                                       int64_t NextAddr) {
    if (FDisableCaching) return;
    TCacheEntry& e = FCache[Address];
    e.CachedValues << cvAsm << cvNextAddr;
    e.AsmCode = AsmCode;
    e.NextAddr = NextAddr;
}

void TDisassemblyCache::DepositNextAddr(int64_t Address, int64_t NextAddr) {
    if (FDisableCaching) return;
    TCacheEntry& e = FCache[Address];
    e.CachedValues << cvNextAddr;
    e.NextAddr = NextAddr;
}

void TDisassemblyCache::DepositPrevAddr(int64_t Address, int64_t PrevAddr) {
    if (FDisableCaching) return;
    TCacheEntry& e = FCache[Address];
    e.CachedValues << cvPrevAddr;
    e.PrevAddr = PrevAddr;
}

void TDisassemblyCache::DepositAddlAsmCode(int64_t Address, const UnicodeString& AddlAsmCode,
                                           int32_t AddlAsmCount) {
    if (FDisableCaching) return;
    TCacheEntry& e = FCache[Address];
    e.CachedValues << cvAddlAsm;
    e.AddlAsmCode = AddlAsmCode;
    e.AddlAsmCount = AddlAsmCount;
}

void TDisassemblyCache::DepositSourcePos(int64_t Address, const TCPUSourcePos& SourcePos,
                                         int64_t FirstStat, int32_t LineSize) {
    if (FDisableCaching) return;
    TCacheEntry& e = FCache[Address];
    e.CachedValues << cvSourcePos;
    e.SourcePos = SourcePos;
    e.SourcePosFirstStat = FirstStat;
    e.SourcePosLineSize = LineSize;
}

void TDisassemblyCache::DepositLabelCode(int64_t Address, const UnicodeString& LabelCode) {
    if (FDisableCaching) return;
    TCacheEntry& e = FCache[Address];
    e.CachedValues << cvLabel;
    e.LabelCode = LabelCode;
}

void TDisassemblyCache::DepositFileName(const TCPUSourcePos& SourcePos,
                                        const UnicodeString& FileName) {
    if (FDisableCaching) return;
    TSourcePosCacheEntry& e = FSourcePosCache[SourcePos];
    e.CachedValues << spcvFileName;
    e.FileName = FileName;
}

void TDisassemblyCache::DepositAddress(const TCPUSourcePos& SourcePos, int64_t Address,
                                       int32_t LineSize) {
    if (FDisableCaching) return;
    TSourcePosCacheEntry& e = FSourcePosCache[SourcePos];
    e.CachedValues << spcvAddress;
    e.Address = Address;
    e.LineSize = LineSize;
}

// ---- Fetches ----------------------------------------------------------------

const TDisassemblyCache::TCacheEntry* TDisassemblyCache::FindEntry(int64_t Address,
                                                                   TCachedValue Value) const {
    const auto it = FCache.find(Address);
    if (it == FCache.end() || !it->second.CachedValues.Contains(Value)) return nullptr;
    return &it->second;
}

const TDisassemblyCache::TSourcePosCacheEntry*
TDisassemblyCache::FindEntry(const TCPUSourcePos& SourcePos, TSourcePosCachedValue Value) const {
    const auto it = FSourcePosCache.find(SourcePos);
    if (it == FSourcePosCache.end() || !it->second.CachedValues.Contains(Value)) return nullptr;
    return &it->second;
}

bool TDisassemblyCache::FetchAsmCode(int64_t Address, UnicodeString& AsmCode,
                                     int64_t& NextAddress) const {
    AsmCode.clear();
    const TCacheEntry* e = FindEntry(Address, cvAsm);
    if (!e) return false;
    AsmCode = e->AsmCode;
    if (e->CachedValues.Contains(cvNextAddr)) NextAddress = e->NextAddr;
    return true;
}

bool TDisassemblyCache::FetchNextAddr(int64_t Address, int64_t& NextAddr) const {
    const TCacheEntry* e = FindEntry(Address, cvNextAddr);
    if (!e) return false;
    NextAddr = e->NextAddr;
    return true;
}

bool TDisassemblyCache::FetchPrevAddr(int64_t Address, int64_t& PrevAddr) const {
    const TCacheEntry* e = FindEntry(Address, cvPrevAddr);
    if (!e) return false;
    PrevAddr = e->PrevAddr;
    return true;
}

bool TDisassemblyCache::FetchAddlAsmCode(int64_t Address, UnicodeString& AddlAsmCode,
                                         int32_t& AddlAsmCount) const {
    AddlAsmCode.clear();
    const TCacheEntry* e = FindEntry(Address, cvAddlAsm);
    if (!e) return false;
    AddlAsmCode = e->AddlAsmCode;
    AddlAsmCount = e->AddlAsmCount;
    return true;
}

bool TDisassemblyCache::FetchSourcePos(int64_t Address, TCPUSourcePos& SourcePos,
                                       int64_t& FirstStat, int32_t& LineSize) const {
    const TCacheEntry* e = FindEntry(Address, cvSourcePos);
    if (!e) return false;
    SourcePos = e->SourcePos;
    FirstStat = e->SourcePosFirstStat;
    LineSize = e->SourcePosLineSize;
    return true;
}

bool TDisassemblyCache::FetchLabelCode(int64_t Address, UnicodeString& LabelCode) const {
    LabelCode.clear();
    const TCacheEntry* e = FindEntry(Address, cvLabel);
    if (!e) return false;
    LabelCode = e->LabelCode;
    return true;
}

bool TDisassemblyCache::FetchFileName(const TCPUSourcePos& SourcePos,
                                      UnicodeString& FileName) const {
    FileName.clear();
    const TSourcePosCacheEntry* e = FindEntry(SourcePos, spcvFileName);
    if (!e) return false;
    FileName = e->FileName;
    return true;
}

bool TDisassemblyCache::FetchAddress(const TCPUSourcePos& SourcePos, int64_t& Address,
                                     int32_t& LineSize) const {
    const TSourcePosCacheEntry* e = FindEntry(SourcePos, spcvAddress);
    if (!e) return false;
    Address = e->Address;
    LineSize = e->LineSize;
    return true;
}
