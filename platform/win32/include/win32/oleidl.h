// Uniform data transfer and drag and drop: FORMATETC and STGMEDIUM, the data
// object and its enumerators, advise sinks and holders, drop sources and drop
// targets, with their result codes. The calls that work with them are in
// <win32/ole2.h>.
#pragma once
#pragma GCC visibility push(default)

#include <win32/objidl.h>

typedef WORD CLIPFORMAT;

struct IStorage;
struct IMoniker;

typedef struct _POINTL {
    LONG x;
    LONG y;
} POINTL;

// A device description; the layer renders for the screen only, so a
// FORMATETC naming a device is refused with DV_E_DVTARGETDEVICE.
typedef struct tagDVTARGETDEVICE {
    DWORD tdSize;
    WORD tdDriverNameOffset;
    WORD tdDeviceNameOffset;
    WORD tdPortNameOffset;
    WORD tdExtDevmodeOffset;
    BYTE tdData[1];
} DVTARGETDEVICE;

typedef enum tagDVASPECT {
    DVASPECT_CONTENT = 1,
    DVASPECT_THUMBNAIL = 2,
    DVASPECT_ICON = 4,
    DVASPECT_DOCPRINT = 8
} DVASPECT;

typedef enum tagTYMED {
    TYMED_NULL = 0,
    TYMED_HGLOBAL = 1,
    TYMED_FILE = 2,
    TYMED_ISTREAM = 4,
    TYMED_ISTORAGE = 8,
    TYMED_GDI = 16,
    TYMED_MFPICT = 32,
    TYMED_ENHMF = 64
} TYMED;

typedef struct tagFORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd; // task-allocator block or null
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed; // TYMED_* bits: the media the caller accepts
} FORMATETC, *LPFORMATETC;

// A medium and who frees it: with pUnkForRelease set, ReleaseStgMedium only
// releases that object; without it, the medium itself is freed.
typedef struct tagSTGMEDIUM {
    DWORD tymed;
    union {
        HBITMAP hBitmap;
        HANDLE hMetaFilePict;
        HANDLE hEnhMetaFile;
        HGLOBAL hGlobal;
        LPOLESTR lpszFileName;
        IStream* pstm;
        IStorage* pstg;
    };
    IUnknown* pUnkForRelease;
} STGMEDIUM, *LPSTGMEDIUM;

typedef enum tagDATADIR { DATADIR_GET = 1, DATADIR_SET = 2 } DATADIR;

typedef enum tagADVF {
    ADVF_NODATA = 1,
    ADVF_PRIMEFIRST = 2,
    ADVF_ONLYONCE = 4,
    ADVF_DATAONSTOP = 64,
    ADVFCACHE_NOHANDLER = 8,
    ADVFCACHE_FORCEBUILTIN = 16,
    ADVFCACHE_ONSAVE = 32
} ADVF;

// Key state bits of drag and drop (the MK_* of mouse messages, plus Alt).
#define MK_ALT 0x0020

#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4
#define DROPEFFECT_SCROLL 0x80000000
typedef DWORD DROPEFFECT;

#define OLE_E_ADVISENOTSUPPORTED ((HRESULT)0x80040003L)
#define OLE_E_NOCONNECTION ((HRESULT)0x80040004L)
#define OLE_E_NOTRUNNING ((HRESULT)0x80040005L)
#define OLE_S_USEREG ((HRESULT)0x00040000L)
#define DV_E_FORMATETC ((HRESULT)0x80040064L)
#define DV_E_DVTARGETDEVICE ((HRESULT)0x80040065L)
#define DV_E_STGMEDIUM ((HRESULT)0x80040066L)
#define DV_E_STATDATA ((HRESULT)0x80040067L)
#define DV_E_LINDEX ((HRESULT)0x80040068L)
#define DV_E_TYMED ((HRESULT)0x80040069L)
#define DV_E_CLIPFORMAT ((HRESULT)0x8004006AL)
#define DV_E_DVASPECT ((HRESULT)0x8004006BL)
#define DATA_S_SAMEFORMATETC ((HRESULT)0x00040130L)
#define DRAGDROP_S_DROP ((HRESULT)0x00040100L)
#define DRAGDROP_S_CANCEL ((HRESULT)0x00040101L)
#define DRAGDROP_S_USEDEFAULTCURSORS ((HRESULT)0x00040102L)
#define DRAGDROP_E_NOTREGISTERED ((HRESULT)0x80040100L)
#define DRAGDROP_E_ALREADYREGISTERED ((HRESULT)0x80040101L)
#define DRAGDROP_E_INVALIDHWND ((HRESULT)0x80040102L)
#define CLIPBRD_E_CANT_OPEN ((HRESULT)0x800401D0L)
#define CLIPBRD_E_CANT_EMPTY ((HRESULT)0x800401D1L)
#define CLIPBRD_E_CANT_SET ((HRESULT)0x800401D2L)
#define CLIPBRD_E_BAD_DATA ((HRESULT)0x800401D3L)
#define CLIPBRD_E_CANT_CLOSE ((HRESULT)0x800401D4L)

struct IAdviseSink;

typedef struct tagSTATDATA {
    FORMATETC formatetc;
    DWORD advf;
    IAdviseSink* pAdvSink; // counted
    DWORD dwConnection;
} STATDATA;

struct IEnumFORMATETC : virtual IUnknown {
    static constexpr InterfaceID<IEnumFORMATETC> IID_{"{00000103-0000-0000-C000-000000000046}"};

    // Each FORMATETC handed out owns a copy of its ptd (CoTaskMemFree it).
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* rgelt,
                                           ULONG* pceltFetched) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** ppenum) noexcept = 0;

protected:
    ~IEnumFORMATETC() = default;
};
typedef IEnumFORMATETC* LPENUMFORMATETC;

struct IEnumSTATDATA : virtual IUnknown {
    static constexpr InterfaceID<IEnumSTATDATA> IID_{"{00000105-0000-0000-C000-000000000046}"};

    // Each STATDATA handed out holds a reference on its sink.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, STATDATA* rgelt,
                                           ULONG* pceltFetched) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumSTATDATA** ppenum) noexcept = 0;

protected:
    ~IEnumSTATDATA() = default;
};
typedef IEnumSTATDATA* LPENUMSTATDATA;

struct IAdviseSink : virtual IUnknown {
    static constexpr InterfaceID<IAdviseSink> IID_{"{0000010F-0000-0000-C000-000000000046}"};

    virtual void STDMETHODCALLTYPE OnDataChange(FORMATETC* pFormatetc,
                                                STGMEDIUM* pStgmed) noexcept = 0;
    virtual void STDMETHODCALLTYPE OnViewChange(DWORD dwAspect, LONG lindex) noexcept = 0;
    virtual void STDMETHODCALLTYPE OnRename(IMoniker* pmk) noexcept = 0;
    virtual void STDMETHODCALLTYPE OnSave() noexcept = 0;
    virtual void STDMETHODCALLTYPE OnClose() noexcept = 0;

protected:
    ~IAdviseSink() = default;
};
typedef IAdviseSink* LPADVISESINK;

struct IDataObject : virtual IUnknown {
    static constexpr InterfaceID<IDataObject> IID_{"{0000010E-0000-0000-C000-000000000046}"};

    // The caller owns the medium filled in and frees it with ReleaseStgMedium.
    virtual HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn,
                                              STGMEDIUM* pmedium) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc,
                                                  STGMEDIUM* pmedium) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn,
                                                            FORMATETC* pformatetcOut) noexcept = 0;
    // With fRelease the object takes the medium over; without, it copies.
    virtual HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium,
                                              BOOL fRelease) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection,
                                                    IEnumFORMATETC** ppenumFormatEtc) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf,
                                              IAdviseSink* pAdvSink,
                                              DWORD* pdwConnection) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept = 0;

protected:
    ~IDataObject() = default;
};
typedef IDataObject* LPDATAOBJECT;

struct IDataAdviseHolder : virtual IUnknown {
    static constexpr InterfaceID<IDataAdviseHolder> IID_{"{00000110-0000-0000-C000-000000000046}"};

    virtual HRESULT STDMETHODCALLTYPE Advise(IDataObject* pDataObject, FORMATETC* pFetc,
                                             DWORD advf, IAdviseSink* pAdvise,
                                             DWORD* pdwConnection) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SendOnDataChange(IDataObject* pDataObject, DWORD dwReserved,
                                                       DWORD advf) noexcept = 0;

protected:
    ~IDataAdviseHolder() = default;
};
typedef IDataAdviseHolder* LPDATAADVISEHOLDER;

struct IDropSource : virtual IUnknown {
    static constexpr InterfaceID<IDropSource> IID_{"{00000121-0000-0000-C000-000000000046}"};

    // S_OK goes on, DRAGDROP_S_DROP drops, DRAGDROP_S_CANCEL cancels.
    virtual HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed,
                                                        DWORD grfKeyState) noexcept = 0;
    // DRAGDROP_S_USEDEFAULTCURSORS lets the drag loop set the cursor.
    virtual HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD dwEffect) noexcept = 0;

protected:
    ~IDropSource() = default;
};
typedef IDropSource* LPDROPSOURCE;

struct IDropTarget : virtual IUnknown {
    static constexpr InterfaceID<IDropTarget> IID_{"{00000122-0000-0000-C000-000000000046}"};

    // pt is in screen coordinates; *pdwEffect comes in as the effects the
    // source allows and goes out as the one the target would take.
    virtual HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                DWORD* pdwEffect) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt,
                                               DWORD* pdwEffect) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DragLeave() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                           DWORD* pdwEffect) noexcept = 0;

protected:
    ~IDropTarget() = default;
};
typedef IDropTarget* LPDROPTARGET;

inline constexpr IID IID_IEnumFORMATETC = IIDOf<IEnumFORMATETC>();
inline constexpr IID IID_IEnumSTATDATA = IIDOf<IEnumSTATDATA>();
inline constexpr IID IID_IAdviseSink = IIDOf<IAdviseSink>();
inline constexpr IID IID_IDataObject = IIDOf<IDataObject>();
inline constexpr IID IID_IDataAdviseHolder = IIDOf<IDataAdviseHolder>();
inline constexpr IID IID_IDropSource = IIDOf<IDropSource>();
inline constexpr IID IID_IDropTarget = IIDOf<IDropTarget>();

#pragma GCC visibility pop
