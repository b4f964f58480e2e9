// The trees' clipboard format registry, the data object a tree hands out and
// its format enumerator.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <runpak/Object.h>
#include <runpak/UString.h>
#include <win32/ole2.h>

#include <cstdint>
#include <vector>

class TBaseVirtualTree;
class TStrings;

struct TClipboardFormatEntry {
    UnicodeString Description; // the format's name, also the key of look-ups
    TClass TreeClass = nullptr; // this class and its descendants render it
    uint32_t Priority = 0;      // lower first
    FORMATETC FormatEtc{};
};

// Every registered format, by ascending priority. Look-ups search from the
// end and compare descriptions without regard to case.
class TClipboardFormatList {
public:
    void Add(const TClipboardFormatEntry& Entry);
    void Clear();
    // The formats TreeClass may render; with AllowedFormats only those whose
    // description it lists.
    void EnumerateFormats(TClass TreeClass, std::vector<FORMATETC>& Formats,
                          const TStrings* AllowedFormats = nullptr) const;
    const TClipboardFormatEntry* FindFormat(const UnicodeString& Description) const;
    TClass FindFormat(const UnicodeString& Description, uint16_t& FormatId) const;
    TClass FindFormat(uint16_t FormatId, UnicodeString& Description) const;
    const std::vector<TClipboardFormatEntry>& GetEntries() const { return FEntries; }

private:
    std::vector<TClipboardFormatEntry> FEntries;
};

// The registry, made on first use and freed when the unit shuts down.
TClipboardFormatList* ClipboardFormats();
void FreeClipboardFormats();

// Registers the name with the system and answers the format id.
uint16_t RegisterVTClipboardFormat(const UnicodeString& Description, TClass TreeClass,
                                   uint32_t Priority, DWORD Tymed = TYMED_HGLOBAL,
                                   DVTARGETDEVICE* TargetDevice = nullptr,
                                   DWORD Aspect = DVASPECT_CONTENT, LONG Index = -1);
// An existing format; the standard ones are described by their own names.
void RegisterVTClipboardFormat(uint16_t Format, TClass TreeClass, uint32_t Priority);
void EnumerateVTClipboardFormats(TClass TreeClass, std::vector<FORMATETC>& Formats);
void EnumerateVTClipboardFormats(TClass TreeClass, TStrings* List);
UnicodeString GetVTClipboardFormatDescription(uint16_t Format);

// In a namespace of its own: the shell's data object has an enumerator of
// the same name in the same library.
namespace vtree {
class TEnumFormatEtc : public TInterfacedObject, public IEnumFORMATETC {
public:
    TEnumFormatEtc(TBaseVirtualTree* Tree, std::vector<FORMATETC> Formats);
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    // S_OK only when every record asked for came back.
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) noexcept override;
    HRESULT Skip(ULONG celt) noexcept override;
    HRESULT Reset() noexcept override;
    HRESULT Clone(IEnumFORMATETC** ppenum) noexcept override;

private:
    TBaseVirtualTree* FTree;
    std::vector<FORMATETC> FFormatEtcArray;
    size_t FCurrentIndex = 0;
};
} // namespace vtree

class TVTDataObject : public TInterfacedObject, public IDataObject {
public:
    // Bytes of the tree reference record: the process id, then the tree.
    static constexpr size_t TreeReferenceSize = 4 + sizeof(void*);

    TVTDataObject(TBaseVirtualTree* AOwner, bool ForClipboard);
    ~TVTDataObject() override;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) noexcept override;
    HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) noexcept override;
    HRESULT QueryGetData(FORMATETC* pformatetc) noexcept override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) noexcept override;
    HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) noexcept override;
    HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) noexcept override;
    HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                    DWORD* pdwConnection) noexcept override;
    HRESULT DUnadvise(DWORD dwConnection) noexcept override;
    HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept override;

    TBaseVirtualTree* GetOwner() const { return FOwner; }
    bool GetForClipboard() const { return FForClipboard; }
    const std::vector<FORMATETC>& GetFormatEtcArray() const { return FFormatEtcArray; }

    static bool EqualFormatEtc(const FORMATETC& A, const FORMATETC& B);
    static HGLOBAL HGlobalClone(HGLOBAL Source);
    static HGLOBAL RenderTreeReference(TBaseVirtualTree* Tree);

protected:
    friend class TBaseVirtualTree; // lets a tree that goes away detach itself
    int FindFormatEtc(const FORMATETC& Test) const;
    STGMEDIUM* FindInternalStgMedium(uint16_t Format);
    HRESULT StgMediumIncRef(const STGMEDIUM& Source, STGMEDIUM& Destination, bool CopyInMedium,
                            IDataObject* DataObject);
    static IUnknown* CanonicalIUnknown(IUnknown* Test);

    struct TInternalStgMedium {
        uint16_t Format;
        STGMEDIUM Medium;
    };
    TBaseVirtualTree* FOwner;
    bool FForClipboard;
    std::vector<FORMATETC> FFormatEtcArray;
    std::vector<TInternalStgMedium> FInternalStgMediumArray;
    InterfacePtr<IDataAdviseHolder> FAdviseHolder;
};

// The tree's OLE drop target and drop source: forwards the system's calls to
// the tree, and ends the drag when the buttons say so.
class TVTDragManager : public TInterfacedObject, public IDropSource, public IDropTarget {
public:
    explicit TVTDragManager(TBaseVirtualTree* AOwner);
    ~TVTDragManager() override;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    // The data object of the drag in progress, else a new one of the tree.
    IDataObject* GetDataObject();
    void ForgetDataObject() { FDataObject.Reset(); }
    TBaseVirtualTree* GetDragSource() const { return FDragSource; }
    void SetDragSource(TBaseVirtualTree* Value) { FDragSource = Value; }
    bool GetIsDropTarget() const { return FIsDropTarget; }
    // No shell helper draws drag images in this layer: the trees draw their own.
    bool GetDropTargetHelperSupported() const { return false; }
    // Ends what a helper showed for the target; nothing without one.
    void ForceDragLeave() {}
    bool GetFullDragging() const { return FFullDragging; }

    HRESULT DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                      DWORD* pdwEffect) noexcept override;
    HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) noexcept override;
    HRESULT DragLeave() noexcept override;
    HRESULT Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                 DWORD* pdwEffect) noexcept override;
    HRESULT GiveFeedback(DWORD dwEffect) noexcept override;
    HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) noexcept override;

private:
    TBaseVirtualTree* FOwner;
    TBaseVirtualTree* FDragSource = nullptr;
    bool FIsDropTarget = false;
    bool FFullDragging = false;
    InterfacePtr<IDataObject> FDataObject;
};

#pragma GCC visibility pop
