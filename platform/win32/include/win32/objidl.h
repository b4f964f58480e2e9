// Structured storage streams: ISequentialStream, IStream and their records.
#pragma once
#pragma GCC visibility push(default)

#include <win32/unknwn.h>
#include <win32/windef.h>
#include <win32/winerror.h>

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

typedef enum tagSTGTY {
    STGTY_STORAGE = 1,
    STGTY_STREAM = 2,
    STGTY_LOCKBYTES = 3,
    STGTY_PROPERTY = 4
} STGTY;

typedef enum tagSTREAM_SEEK {
    STREAM_SEEK_SET = 0,
    STREAM_SEEK_CUR = 1,
    STREAM_SEEK_END = 2
} STREAM_SEEK;

typedef enum tagSTATFLAG {
    STATFLAG_DEFAULT = 0,
    STATFLAG_NONAME = 1,
    STATFLAG_NOOPEN = 2
} STATFLAG;

typedef enum tagLOCKTYPE { LOCK_WRITE = 1, LOCK_EXCLUSIVE = 2, LOCK_ONLYONCE = 4 } LOCKTYPE;

typedef enum tagSTGC {
    STGC_DEFAULT = 0,
    STGC_OVERWRITE = 1,
    STGC_ONLYIFCURRENT = 2,
    STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4,
    STGC_CONSOLIDATE = 8
} STGC;

#define STGM_READ 0x00000000L
#define STGM_WRITE 0x00000001L
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_DENY_NONE 0x00000040L
#define STGM_SHARE_DENY_READ 0x00000030L
#define STGM_SHARE_DENY_WRITE 0x00000020L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_CREATE 0x00001000L

// What Stat tells about a stream or storage. pwcsName, when filled, is
// allocated with CoTaskMemAlloc and freed by the caller.
typedef struct tagSTATSTG {
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
} STATSTG;

struct ISequentialStream : virtual IUnknown {
    static constexpr InterfaceID<ISequentialStream> IID_{"{0C733A30-2A1C-11CE-ADE5-00AA0044773D}"};

    // S_OK when cb bytes moved; S_FALSE when fewer could be read (the end).
    virtual HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb,
                                            ULONG* pcbWritten) noexcept = 0;

protected:
    ~ISequentialStream() = default;
};

struct IStream : virtual ISequentialStream {
    static constexpr InterfaceID<IStream> IID_{"{0000000C-0000-0000-C000-000000000046}"};

    virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                           ULARGE_INTEGER* plibNewPosition) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb,
                                             ULARGE_INTEGER* pcbRead,
                                             ULARGE_INTEGER* pcbWritten) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Revert() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                                 DWORD dwLockType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                                   DWORD dwLockType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) noexcept = 0;

protected:
    ~IStream() = default;
};
typedef IStream* LPSTREAM;

inline constexpr IID IID_ISequentialStream = IIDOf<ISequentialStream>();
inline constexpr IID IID_IStream = IIDOf<IStream>();

// The data transfer interfaces build on the streams above.
#include <win32/oleidl.h>

#pragma GCC visibility pop
