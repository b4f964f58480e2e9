// What the disassembly view has been told by its host, per address and per
// source position, so that painting does not ask the host again.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Object.h>
#include <runpak/Set.h>
#include <runpak/UString.h>

#include <cstdint>
#include <unordered_map>

// A source line as the host numbers it. FileIndex 0: no source line there.
struct TCPUSourcePos {
    uint32_t FileIndex;
    uint32_t LineNum;
    // Opaque to the views and handed back to the host as it came; the host
    // calls it Param or SymTabNo.
    union {
        uint32_t Param;
        uint32_t SymTabNo;
    };

    friend bool operator==(const TCPUSourcePos& A, const TCPUSourcePos& B) {
        return A.FileIndex == B.FileIndex && A.LineNum == B.LineNum && A.Param == B.Param;
    }
};

TCPUSourcePos MakeCPUSourcePos(uint32_t FileIndex, uint32_t LineNum, uint32_t Param);

class TDisassemblyCache : public TObject {
public:
    enum TCachedValue { cvAsm, cvAddlAsm, cvSourcePos, cvLabel, cvNextAddr, cvPrevAddr };
    using TCachedValues = TSet<TCachedValue, 8>;

    struct TCacheEntry {
        TCachedValues CachedValues;
        UnicodeString AsmCode;
        int64_t NextAddr = 0;
        int64_t PrevAddr = 0;
        UnicodeString AddlAsmCode; // lines joined by line feeds
        int32_t AddlAsmCount = 0;
        TCPUSourcePos SourcePos = {};
        int64_t SourcePosFirstStat = 0;
        int32_t SourcePosLineSize = 0;
        UnicodeString LabelCode;
    };

    enum TSourcePosCachedValue { spcvFileName, spcvAddress };
    using TSourcePosCachedValues = TSet<TSourcePosCachedValue, 8>;

    struct TSourcePosCacheEntry {
        TSourcePosCachedValues CachedValues;
        UnicodeString FileName;
        int64_t Address = 0;
        int32_t LineSize = 0;
    };

    void Clear();

    // Deposits are ignored while caching is disabled.
    void DepositAsmCode(int64_t Address, const UnicodeString& AsmCode, int64_t NextAddr);
    void DepositNextAddr(int64_t Address, int64_t NextAddr);
    void DepositPrevAddr(int64_t Address, int64_t PrevAddr);
    void DepositAddlAsmCode(int64_t Address, const UnicodeString& AddlAsmCode,
                            int32_t AddlAsmCount);
    void DepositSourcePos(int64_t Address, const TCPUSourcePos& SourcePos, int64_t FirstStat,
                          int32_t LineSize);
    void DepositLabelCode(int64_t Address, const UnicodeString& LabelCode);
    void DepositFileName(const TCPUSourcePos& SourcePos, const UnicodeString& FileName);
    void DepositAddress(const TCPUSourcePos& SourcePos, int64_t Address, int32_t LineSize);

    // True and the value when it was deposited. Text outputs are emptied
    // first; other outputs are left alone on a miss.
    bool FetchAsmCode(int64_t Address, UnicodeString& AsmCode, int64_t& NextAddress) const;
    bool FetchNextAddr(int64_t Address, int64_t& NextAddr) const;
    bool FetchPrevAddr(int64_t Address, int64_t& PrevAddr) const;
    bool FetchAddlAsmCode(int64_t Address, UnicodeString& AddlAsmCode, int32_t& AddlAsmCount) const;
    bool FetchSourcePos(int64_t Address, TCPUSourcePos& SourcePos, int64_t& FirstStat,
                        int32_t& LineSize) const;
    bool FetchLabelCode(int64_t Address, UnicodeString& LabelCode) const;
    bool FetchFileName(const TCPUSourcePos& SourcePos, UnicodeString& FileName) const;
    bool FetchAddress(const TCPUSourcePos& SourcePos, int64_t& Address, int32_t& LineSize) const;

    // The view empties the cache when it switches caching off.
    bool GetDisableCaching() const { return FDisableCaching; }
    void SetDisableCaching(bool Value) { FDisableCaching = Value; }

private:
    struct TSourcePosHash {
        size_t operator()(const TCPUSourcePos& Pos) const;
    };

    // The entry when it holds the value, else null.
    const TCacheEntry* FindEntry(int64_t Address, TCachedValue Value) const;
    const TSourcePosCacheEntry* FindEntry(const TCPUSourcePos& SourcePos,
                                          TSourcePosCachedValue Value) const;

    std::unordered_map<int64_t, TCacheEntry> FCache;
    std::unordered_map<TCPUSourcePos, TSourcePosCacheEntry, TSourcePosHash> FSourcePosCache;
    bool FDisableCaching = false;
};

#pragma GCC visibility pop
