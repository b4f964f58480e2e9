// Item id lists (PIDLs): the one place where they are allocated, copied, cut,
// joined, compared and streamed. Every list goes to and comes from the shell's
// task allocator, through a TPIDLManager.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Lists.h>
#include <runpak/Streams.h>
#include <win32/shlobj.h>

#include <cstdint>

using PItemIDList = LPITEMIDLIST;

// The shell library's list comparisons, exported by ordinal only (21 and 23);
// nil until bound.
using TShellILIsEqual = BOOL (*)(PCIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE);
using TShellILIsParent = BOOL (*)(PCIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE, BOOL);
extern TShellILIsEqual ShellILIsEqual;
extern TShellILIsParent ShellILIsParent;

// GetProcAddress's name argument for an export by ordinal.
LPCSTR ShellOrdinal(WORD Ordinal);

// GetProcAddress typed as the routine it binds; nil when it is missing.
template <class TRoutine> TRoutine BindRoutine(HMODULE Module, LPCSTR Name) {
    return Module
               ? reinterpret_cast<TRoutine>(reinterpret_cast<void*>(GetProcAddress(Module, Name)))
               : nullptr;
}

// Binds ShellILIsEqual and ShellILIsParent from the already loaded shell
// library; leaves them nil when the library or the routine is missing.
void LoadShell32Functions();

// The unit's own comparisons (the platform's routines of the same names are
// global): false for nil lists or when the shell routine cannot be bound.
namespace IDEVirtualPIDLTools {
bool ILIsEqual(PItemIDList PIDL1, PItemIDList PIDL2);
bool ILIsParent(PItemIDList PIDL1, PItemIDList PIDL2, bool ImmediateParent);
} // namespace IDEVirtualPIDLTools

// The absolute list of the documents folder as a virtual item, or nil. The
// caller frees it.
PItemIDList GetMyDocumentsVirtualFolder();

class TPIDLList;

class TPIDLManager : public TObject {
public:
    // Raises EOutOfMemory when the shell has no task allocator.
    TPIDLManager();
    ~TPIDLManager() override;
    TPIDLManager(const TPIDLManager&) = delete;
    TPIDLManager& operator=(const TPIDLManager&) = delete;

    // A task-allocator copy of S with its terminating zero; nil on failure.
    PWideChar AllocStrGlobal(const UnicodeString& S);
    // New list: Dest's items followed by Src's; always terminated.
    PItemIDList AppendPIDL(PItemIDList Dest, PItemIDList Src);
    PItemIDList CopyPIDL(PItemIDList APIDL);
    PItemIDList CopyLastID(PItemIDList IDList);
    bool EqualPIDL(PItemIDList PIDL1, PItemIDList PIDL2);
    void FreeOLEStr(void* OLEStr);
    void FreePIDL(PItemIDList PIDL);
    void FreeAndNilPIDL(PItemIDList& PIDL);
    PItemIDList GetPointerToLastID(PItemIDList IDList);
    int IDCount(PItemIDList APIDL);
    bool IsDesktopFolder(PItemIDList APIDL);
    // Full is written to (and restored) during the call.
    bool IsSubPIDL(PItemIDList FullPIDL, PItemIDList SubPIDL);
    PItemIDList NextID(PItemIDList APIDL);
    // Appends one new list per item of AbsolutePIDL: the absolute list of
    // every level, or each single item.
    void ParsePIDL(PItemIDList AbsolutePIDL, TPIDLList* PIDLList, bool AllAbsolutePIDLs);
    int PIDLSize(PItemIDList APIDL);
    UnicodeString PIDLToString(PItemIDList APIDL);
    PItemIDList StringToPIDL(const UnicodeString& PIDLStr);
    PItemIDList StripLastID(PItemIDList IDList);
    PItemIDList StripLastID(PItemIDList IDList, uint16_t& Last_CB, PItemIDList& LastID);

    // One list: a signed 32-bit byte count, then the list with its
    // terminator (0 and nothing for nil). Loading checks the count and the
    // item chain against the data and raises EReadError for corrupt or
    // truncated input, reading nothing past the stream's end.
    PItemIDList LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream, PItemIDList AppendPIDL);
    PItemIDList LoadFromFile(const UnicodeString& FileName);
    void SaveToFile(const UnicodeString& FileName, uint32_t FileMode, PItemIDList AppendPIDL);

    IMalloc* GetMalloc() const { return FMalloc; }

private:
    IMalloc* FMalloc = nullptr;
};

// A list of PIDLs that owns them unless SharePIDLs is set. Stream layout: a
// signed 32-bit count, then each PIDL as TPIDLManager streams it.
class TPIDLList : public TList {
public:
    TPIDLList() = default;
    ~TPIDLList() override;

    virtual void Clear();
    void CloneList(TPIDLList* PIDLList);
    int CopyAdd(PItemIDList PIDL);
    int FindPIDL(PItemIDList TestPIDL);
    PItemIDList GetPIDL(int Index) const { return static_cast<PItemIDList>(GetItems(Index)); }
    TPIDLManager* GetPIDLMgr();
    bool GetSharePIDLs() const { return FSharePIDLs; }
    void SetSharePIDLs(bool Value) { FSharePIDLs = Value; }

    // False on any failure (corrupt data, short stream, missing file); the
    // items read before the failure stay in the list.
    virtual bool LoadFromStream(TStream* Stream);
    virtual bool SaveToStream(TStream* Stream);
    bool LoadFromFile(const UnicodeString& FileName);
    bool SaveToFile(const UnicodeString& FileName);

private:
    bool FSharePIDLs = false;
    TPIDLManager* FPIDLMgr = nullptr;
    bool FDestroying = false;
};

// Start-up and shut-down of the unit: its private manager.
void InitializeIDEVirtualPIDLTools();
void FinalizeIDEVirtualPIDLTools();

#pragma GCC visibility pop
