// The shell's clipboard formats, one small class each: the item-list array
// (CIDA), dropped files (DROPFILES) and the two drop-effect formats. Blocks
// that come from another program are untrusted: every offset and length is
// checked against the medium's real size before anything is read.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <runpak/Object.h>
#include <runpak/UString.h>
#include <win32/oleidl.h>
#include <win32/shlobj.h>

#include <cstddef>
#include <functional>
#include <vector>

class TPIDLList;
using PItemIDList = LPITEMIDLIST;

// Registered at start-up; 0 before.
extern CLIPFORMAT CF_SHELLIDLIST;
extern CLIPFORMAT CF_LOGICALPERFORMEDDROPEFFECT;
extern CLIPFORMAT CF_PREFERREDDROPEFFECT;
extern CLIPFORMAT CF_FILECONTENTS;
extern CLIPFORMAT CF_FILEDESCRIPTORA;
extern CLIPFORMAT CF_FILEDESCRIPTORW;

// ---- the general data object --------------------------------------------------------

struct TDataObjectInfo {
    FORMATETC FormatEtc;
    STGMEDIUM StgMedium;
    bool OwnedByDataObject;
};
using TDataObjectInfoArray = std::vector<TDataObjectInfo>;
using TFormatEtcArray = std::vector<FORMATETC>;

using TGetDataEvent = std::function<void(TObject* Sender, const FORMATETC& FormatEtcIn,
                                         STGMEDIUM& Medium, bool& Handled)>;
using TQueryGetDataEvent = std::function<void(TObject* Sender, const FORMATETC& FormatEtcIn,
                                              bool& FormatAvailable, bool& Handled)>;

struct IVirtualDataObject : virtual IDataObject {
    static constexpr InterfaceID<IVirtualDataObject> IID_{
        "{E274AC17-CCB4-417C-A866-9D83DD7576C0}"};
    virtual bool AssignDragImage(HBITMAP Image, POINT HotSpot, COLORREF TransparentColor) = 0;
    virtual bool SaveGlobalBlock(CLIPFORMAT Format, const void* Block, size_t Size) = 0;
    // A new block of the medium's size (malloc); the caller frees it.
    virtual bool LoadGlobalBlock(CLIPFORMAT Format, void*& Block, size_t& Size) = 0;

protected:
    ~IVirtualDataObject() = default;
};

// Stores whatever formats are put into it; its media belong to it.
class TVirtualDataObject : public TInterfacedObject, public IVirtualDataObject {
public:
    TVirtualDataObject() = default;
    ~TVirtualDataObject() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    HRESULT GetData(FORMATETC* FormatEtcIn, STGMEDIUM* Medium) noexcept override;
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* FormatEtc) noexcept override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* In, FORMATETC* Out) noexcept override;
    HRESULT SetData(FORMATETC* FormatEtc, STGMEDIUM* Medium, BOOL DoRelease) noexcept override;
    HRESULT EnumFormatEtc(DWORD Direction, IEnumFORMATETC** EnumFormatEtc) noexcept override;
    HRESULT DAdvise(FORMATETC* FormatEtc, DWORD advf, IAdviseSink* AdvSink,
                    DWORD* Connection) noexcept override;
    HRESULT DUnadvise(DWORD Connection) noexcept override;
    HRESULT EnumDAdvise(IEnumSTATDATA** EnumAdvise) noexcept override;

    // The shell's drag-image service does not exist here: always false.
    bool AssignDragImage(HBITMAP Image, POINT HotSpot, COLORREF TransparentColor) override;
    bool SaveGlobalBlock(CLIPFORMAT Format, const void* Block, size_t Size) override;
    bool LoadGlobalBlock(CLIPFORMAT Format, void*& Block, size_t& Size) override;

    // Data made on request for formats not stored; false in the base.
    virtual bool GetUserData(const FORMATETC& Format, STGMEDIUM& Medium) { return false; }

    const TDataObjectInfoArray& GetFormats() const { return FFormats; }

    TGetDataEvent OnGetData;
    TQueryGetDataEvent OnQueryGetData;

protected:
    HRESULT StgMediumIncRef(const STGMEDIUM& In, STGMEDIUM& Out, bool CopyInMedium);

private:
    IDataAdviseHolder* FAdviseHolder = nullptr;
    TDataObjectInfoArray FFormats;
};

class TEnumFormatEtc : public TInterfacedObject, public IEnumFORMATETC {
public:
    explicit TEnumFormatEtc(TFormatEtcArray Formats, int Index = 0)
        : FInternalIndex(Index), FFormats(std::move(Formats)) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    HRESULT Next(ULONG Count, FORMATETC* Items, ULONG* Fetched) noexcept override;
    HRESULT Skip(ULONG Count) noexcept override;
    HRESULT Reset() noexcept override;
    HRESULT Clone(IEnumFORMATETC** Enum) noexcept override;

private:
    int FInternalIndex;
    TFormatEtcArray FFormats;
};

// The bytes a well-formed block occupies within its first Size bytes, or 0
// when it is malformed (an offset or a list running past Size, no final
// terminator, a count the block cannot hold).
size_t CIDABlockSize(const void* Block, size_t Size);
size_t DropFilesBlockSize(const void* Block, size_t Size);

class TClipboardFormat : public TObject {
public:
    // A zeroed description in the base; descendants fill content aspect,
    // index -1 and global memory.
    virtual void GetFormatEtc(FORMATETC& Format);
    virtual bool LoadFromClipboard(bool ClipboardAlreadyOpen) { return false; }
    virtual bool LoadFromDataObject(IDataObject* DataObject) = 0;
    virtual bool SaveToClipboard(bool ClipboardAlreadyOpen) { return false; }
    virtual bool SaveToDataObject(IDataObject* DataObject) = 0;

protected:
    void FillFormatEtc(FORMATETC& Format, CLIPFORMAT Id);
    // The medium's block, checked by Valid, copied into Copy.
    bool LoadBlock(IDataObject* DataObject, size_t (*Valid)(const void*, size_t),
                   std::vector<BYTE>& Copy);
    bool LoadClipboardBlock(bool AlreadyOpen, size_t (*Valid)(const void*, size_t),
                            std::vector<BYTE>& Copy);
    // Stores Bytes as moveable, zeroed global memory with Release true.
    bool SaveBlock(IDataObject* DataObject, const std::vector<BYTE>& Bytes);
    bool SaveClipboardBlock(bool AlreadyOpen, const std::vector<BYTE>& Bytes);
};

class TShellIDList : public TClipboardFormat {
public:
    void GetFormatEtc(FORMATETC& Format) override;
    bool LoadFromClipboard(bool ClipboardAlreadyOpen) override;
    bool LoadFromDataObject(IDataObject* DataObject) override;
    bool SaveToDataObject(IDataObject*) override { return false; }

    // Copies a CIDA of Size bytes; false (and the old copy kept) when malformed.
    bool SetCIDA(const void* Block, size_t Size);
    // The parent's absolute list first, then the children.
    void AssignPIDLs(TPIDLList* List);
    int PIDLCount() const;
    // New copies (task allocator); nil outside 0..PIDLCount-1.
    PItemIDList ParentPIDL() const;
    PItemIDList RelativePIDL(int Index) const;
    PItemIDList AbsolutePIDL(int Index) const;
    void AbsolutePIDLs(TPIDLList* List) const;
    void RelativePIDLs(TPIDLList* List) const;
    size_t GetCIDASize() const { return FCIDA.size(); }
    const BYTE* GetCIDA() const { return FCIDA.empty() ? nullptr : FCIDA.data(); }

private:
    PCUIDLIST_RELATIVE At(UINT Slot) const;
    std::vector<BYTE> FCIDA;
};

class THDrop : public TClipboardFormat {
public:
    void GetFormatEtc(FORMATETC& Format) override;
    bool LoadFromClipboard(bool ClipboardAlreadyOpen) override;
    bool LoadFromDataObject(IDataObject* DataObject) override;
    bool SaveToClipboard(bool ClipboardAlreadyOpen) override;
    bool SaveToDataObject(IDataObject* DataObject) override;

    bool SetDropFiles(const void* Block, size_t Size);
    // Builds a wide block from the names (emptying the list first when asked).
    void AssignFiles(std::vector<UnicodeString>& List, bool ClearList = false);
    int FileCount() const;
    UnicodeString FileName(int Index) const;
    UnicodeString FileNameA(int Index) const { return FileName(Index); }
    UnicodeString FileNameW(int Index) const { return FileName(Index); }
    void FileNames(std::vector<UnicodeString>& List) const;
    size_t GetStructureSize() const { return FDropFiles.size(); }
    // A global copy of the block, or nil when there is none; the caller frees it.
    HGLOBAL GetHDropStruct() const;

private:
    std::vector<BYTE> FDropFiles;
    mutable std::vector<UnicodeString> FNames; // parsed once
    mutable bool FCounted = false;
};

enum TPerformedDropEffect { effectNone, effectCopy, effectMove, effectLink };

class TLogicalPerformedDropEffect : public TClipboardFormat {
public:
    void GetFormatEtc(FORMATETC& Format) override;
    bool LoadFromDataObject(IDataObject* DataObject) override;
    bool SaveToDataObject(IDataObject* DataObject) override;

    TPerformedDropEffect GetAction() const { return FAction; }
    void SetAction(TPerformedDropEffect Value) { FAction = Value; }

private:
    TPerformedDropEffect FAction = effectNone;
};

class TPreferredDropEffect : public TLogicalPerformedDropEffect {
public:
    void GetFormatEtc(FORMATETC& Format) override;
};

void InitializeIDEVirtualDataObject();
void FinalizeIDEVirtualDataObject();

#pragma GCC visibility pop
