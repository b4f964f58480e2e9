// The shell clipboard format classes and the checks that every block from
// outside passes before it is read.
#include "benchkit/shell/IDEVirtualDataObject.h"

#include <win32/ole2.h>
#include <win32/shellapi.h>
#include <win32/winbase.h>
#include <win32/winnls.h>
#include <win32/winuser.h>

#include <cstring>

CLIPFORMAT CF_SHELLIDLIST = 0;
CLIPFORMAT CF_LOGICALPERFORMEDDROPEFFECT = 0;
CLIPFORMAT CF_PREFERREDDROPEFFECT = 0;
CLIPFORMAT CF_FILECONTENTS = 0;
CLIPFORMAT CF_FILEDESCRIPTORA = 0;
CLIPFORMAT CF_FILEDESCRIPTORW = 0;

namespace {

uint32_t Read32(const BYTE* At) {
    uint32_t value;
    std::memcpy(&value, At, 4);
    return value;
}

uint16_t Read16(const BYTE* At) {
    uint16_t value;
    std::memcpy(&value, At, 2);
    return value;
}

// The end of a well-formed id list starting at Offset, or 0.
size_t ListEnd(const BYTE* Block, size_t Size, size_t Offset) {
    size_t at = Offset;
    for (;;) {
        if (at > Size || Size - at < 2) return 0;
        uint16_t cb = Read16(Block + at);
        if (cb == 0) return at + 2;
        if (cb < 2 || cb > Size - at) return 0;
        at += cb;
    }
}

} // namespace

size_t CIDABlockSize(const void* Block, size_t Size) {
    const auto* bytes = static_cast<const BYTE*>(Block);
    if (!bytes || Size < 8) return 0;
    uint64_t count = Read32(bytes);
    uint64_t header = 4 + 4 * (count + 1);
    if (header > Size) return 0;
    size_t end = static_cast<size_t>(header);
    for (uint64_t slot = 0; slot <= count; ++slot) {
        uint32_t offset = Read32(bytes + 4 + 4 * slot);
        if (offset < header) return 0;
        size_t listEnd = ListEnd(bytes, Size, offset);
        if (listEnd == 0) return 0;
        end = std::max(end, listEnd);
    }
    return end;
}

size_t DropFilesBlockSize(const void* Block, size_t Size) {
    const auto* bytes = static_cast<const BYTE*>(Block);
    if (!bytes || Size < sizeof(DROPFILES)) return 0;
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    size_t unit = header.fWide ? 2 : 1;
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles > Size) return 0;
    // Names end at an empty one; the block must hold its terminator.
    size_t at = header.pFiles;
    bool nameEmpty = true;
    while (Size - at >= unit) {
        bool terminator = unit == 2 ? Read16(bytes + at) == 0 : bytes[at] == 0;
        at += unit;
        if (terminator) {
            if (nameEmpty) return at;
            nameEmpty = true;
        } else {
            nameEmpty = false;
        }
    }
    return 0;
}

// ---- the base ---------------------------------------------------------------------------------

void TClipboardFormat::GetFormatEtc(FORMATETC& Format) {
    std::memset(&Format, 0, sizeof Format);
}

void TClipboardFormat::FillFormatEtc(FORMATETC& Format, CLIPFORMAT Id) {
    std::memset(&Format, 0, sizeof Format);
    Format.cfFormat = Id;
    Format.ptd = nullptr;
    Format.dwAspect = DVASPECT_CONTENT;
    Format.lindex = -1;
    Format.tymed = TYMED_HGLOBAL;
}

namespace {

bool CopyChecked(HGLOBAL Memory, size_t (*Valid)(const void*, size_t), std::vector<BYTE>& Copy) {
    if (!Memory) return false;
    SIZE_T size = GlobalSize(Memory);
    const void* data = GlobalLock(Memory);
    if (!data) return false;
    size_t used = Valid(data, size);
    if (used) Copy.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + used);
    GlobalUnlock(Memory);
    return used != 0;
}

HGLOBAL GlobalCopy(const std::vector<BYTE>& Bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, Bytes.size());
    if (!memory) return nullptr;
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(data, Bytes.data(), Bytes.size());
    GlobalUnlock(memory);
    return memory;
}

} // namespace

bool TClipboardFormat::LoadBlock(IDataObject* DataObject, size_t (*Valid)(const void*, size_t),
                                 std::vector<BYTE>& Copy) {
    if (!DataObject) return false;
    FORMATETC format;
    GetFormatEtc(format);
    STGMEDIUM medium{};
    if (FAILED(DataObject->GetData(&format, &medium))) return false;
    bool ok = medium.tymed == TYMED_HGLOBAL && CopyChecked(medium.hGlobal, Valid, Copy);
    ReleaseStgMedium(&medium);
    return ok;
}

bool TClipboardFormat::LoadClipboardBlock(bool AlreadyOpen,
                                          size_t (*Valid)(const void*, size_t),
                                          std::vector<BYTE>& Copy) {
    if (!AlreadyOpen && !OpenClipboard(nullptr)) return false;
    FORMATETC format;
    GetFormatEtc(format);
    bool ok = CopyChecked(GetClipboardData(format.cfFormat), Valid, Copy);
    if (!AlreadyOpen) CloseClipboard();
    return ok;
}

bool TClipboardFormat::SaveBlock(IDataObject* DataObject, const std::vector<BYTE>& Bytes) {
    if (!DataObject || Bytes.empty()) return false;
    FORMATETC format;
    GetFormatEtc(format);
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalCopy(Bytes);
    if (!medium.hGlobal) return false;
    if (FAILED(DataObject->SetData(&format, &medium, TRUE))) {
        GlobalFree(medium.hGlobal);
        return false;
    }
    return true;
}

bool TClipboardFormat::SaveClipboardBlock(bool AlreadyOpen, const std::vector<BYTE>& Bytes) {
    if (Bytes.empty()) return false;
    if (!AlreadyOpen && !OpenClipboard(nullptr)) return false;
    FORMATETC format;
    GetFormatEtc(format);
    HGLOBAL memory = GlobalCopy(Bytes);
    bool ok = memory && SetClipboardData(format.cfFormat, memory);
    if (memory && !ok) GlobalFree(memory);
    if (!AlreadyOpen) CloseClipboard();
    return ok;
}

// ---- item-list array ---------------------------------------------------------------------------

void TShellIDList::GetFormatEtc(FORMATETC& Format) {
    FillFormatEtc(Format, CF_SHELLIDLIST);
}

bool TShellIDList::LoadFromDataObject(IDataObject* DataObject) {
    return LoadBlock(DataObject, CIDABlockSize, FCIDA);
}

bool TShellIDList::LoadFromClipboard(bool ClipboardAlreadyOpen) {
    return LoadClipboardBlock(ClipboardAlreadyOpen, CIDABlockSize, FCIDA);
}

bool TShellIDList::SetCIDA(const void* Block, size_t Size) {
    size_t used = CIDABlockSize(Block, Size);
    if (!used) return false;
    FCIDA.assign(static_cast<const BYTE*>(Block), static_cast<const BYTE*>(Block) + used);
    return true;
}

int TShellIDList::PIDLCount() const {
    return FCIDA.size() >= 4 ? static_cast<int>(Read32(FCIDA.data())) : 0;
}

PCUIDLIST_RELATIVE TShellIDList::At(UINT Slot) const {
    return reinterpret_cast<PCUIDLIST_RELATIVE>(FCIDA.data() + Read32(FCIDA.data() + 4 + 4 * Slot));
}

PItemIDList TShellIDList::ParentPIDL() const {
    return FCIDA.empty() ? nullptr : ILClone(At(0));
}

PItemIDList TShellIDList::RelativePIDL(int Index) const {
    if (Index < 0 || Index >= PIDLCount()) return nullptr;
    return ILClone(At(static_cast<UINT>(Index) + 1));
}

PItemIDList TShellIDList::AbsolutePIDL(int Index) const {
    if (Index < 0 || Index >= PIDLCount()) return nullptr;
    return ILCombine(At(0), At(static_cast<UINT>(Index) + 1));
}

// ---- dropped files -----------------------------------------------------------------------------

void THDrop::GetFormatEtc(FORMATETC& Format) {
    FillFormatEtc(Format, CF_HDROP);
}

bool THDrop::LoadFromDataObject(IDataObject* DataObject) {
    FCounted = false;
    return LoadBlock(DataObject, DropFilesBlockSize, FDropFiles);
}

bool THDrop::LoadFromClipboard(bool ClipboardAlreadyOpen) {
    FCounted = false;
    return LoadClipboardBlock(ClipboardAlreadyOpen, DropFilesBlockSize, FDropFiles);
}

bool THDrop::SaveToDataObject(IDataObject* DataObject) {
    return SaveBlock(DataObject, FDropFiles);
}

bool THDrop::SaveToClipboard(bool ClipboardAlreadyOpen) {
    return SaveClipboardBlock(ClipboardAlreadyOpen, FDropFiles);
}

bool THDrop::SetDropFiles(const void* Block, size_t Size) {
    size_t used = DropFilesBlockSize(Block, Size);
    if (!used) return false;
    FDropFiles.assign(static_cast<const BYTE*>(Block), static_cast<const BYTE*>(Block) + used);
    FCounted = false;
    return true;
}

void THDrop::AssignFiles(std::vector<UnicodeString>& List, bool ClearList) {
    std::vector<BYTE> block(sizeof(DROPFILES), 0);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    auto put = [&block](char16_t unit) {
        block.push_back(static_cast<BYTE>(unit & 0xFF));
        block.push_back(static_cast<BYTE>(unit >> 8));
    };
    for (const UnicodeString& name : List) {
        for (char16_t unit : name)
            if (unit) put(unit);
        put(0);
    }
    put(0);
    if (List.empty()) put(0); // an empty list still needs its empty name
    FDropFiles = std::move(block);
    FCounted = false;
    if (ClearList) List.clear();
}

int THDrop::FileCount() const {
    if (!FCounted) {
        FNames.clear();
        if (!FDropFiles.empty()) {
            DROPFILES header;
            std::memcpy(&header, FDropFiles.data(), sizeof header);
            const BYTE* bytes = FDropFiles.data();
            size_t size = FDropFiles.size(), at = header.pFiles;
            // The copy was checked when it was made: every name is terminated.
            if (header.fWide) {
                for (;;) {
                    UnicodeString name;
                    while (at + 2 <= size && Read16(bytes + at) != 0) {
                        name.push_back(static_cast<char16_t>(Read16(bytes + at)));
                        at += 2;
                    }
                    at += 2;
                    if (name.empty()) break;
                    FNames.push_back(name);
                }
            } else {
                for (;;) {
                    size_t start = at;
                    while (at < size && bytes[at] != 0)
                        ++at;
                    if (at == start) break;
                    int length = static_cast<int>(at - start);
                    int wide = MultiByteToWideChar(CP_ACP, 0,
                                                   reinterpret_cast<LPCCH>(bytes + start), length,
                                                   nullptr, 0);
                    UnicodeString name(static_cast<size_t>(std::max(wide, 0)), u'\0');
                    if (wide > 0)
                        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCCH>(bytes + start),
                                            length, name.data(), wide);
                    FNames.push_back(name);
                    ++at;
                }
            }
        }
        FCounted = true;
    }
    return static_cast<int>(FNames.size());
}

UnicodeString THDrop::FileName(int Index) const {
    if (Index < 0 || Index >= FileCount()) return UnicodeString();
    return FNames[Index];
}

void THDrop::FileNames(std::vector<UnicodeString>& List) const {
    for (int i = 0; i < FileCount(); ++i)
        List.push_back(FNames[i]);
}

HGLOBAL THDrop::GetHDropStruct() const {
    return FDropFiles.empty() ? nullptr : GlobalCopy(FDropFiles);
}

// ---- drop effects ------------------------------------------------------------------------------

void TLogicalPerformedDropEffect::GetFormatEtc(FORMATETC& Format) {
    FillFormatEtc(Format, CF_LOGICALPERFORMEDDROPEFFECT);
}

void TPreferredDropEffect::GetFormatEtc(FORMATETC& Format) {
    FillFormatEtc(Format, CF_PREFERREDDROPEFFECT);
}

namespace {

size_t EffectSize(const void* Block, size_t Size) {
    return Block && Size >= 4 ? 4 : 0;
}

} // namespace

bool TLogicalPerformedDropEffect::LoadFromDataObject(IDataObject* DataObject) {
    std::vector<BYTE> block;
    if (!LoadBlock(DataObject, EffectSize, block)) return false;
    switch (Read32(block.data())) {
    case DROPEFFECT_COPY: FAction = effectCopy; break;
    case DROPEFFECT_MOVE: FAction = effectMove; break;
    case DROPEFFECT_LINK: FAction = effectLink; break;
    default: FAction = effectNone; break;
    }
    return true;
}

bool TLogicalPerformedDropEffect::SaveToDataObject(IDataObject* DataObject) {
    static const uint32_t effects[] = {DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_MOVE,
                                       DROPEFFECT_LINK};
    std::vector<BYTE> block(4);
    std::memcpy(block.data(), &effects[FAction], 4);
    return SaveBlock(DataObject, block);
}

// ---- the unit ------------------------------------------------------------------------------------

void InitializeIDEVirtualDataObject() {
    CF_SHELLIDLIST = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
    CF_LOGICALPERFORMEDDROPEFFECT =
        static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_LOGICALPERFORMEDDROPEFFECT));
    CF_PREFERREDDROPEFFECT =
        static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT));
    CF_FILECONTENTS = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_FILECONTENTS));
    CF_FILEDESCRIPTORA = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_FILEDESCRIPTORA));
    CF_FILEDESCRIPTORW = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_FILEDESCRIPTORW));
}

void FinalizeIDEVirtualDataObject() {}
