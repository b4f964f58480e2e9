// URL monikers, the in-process part: pluggable protocols registered for a
// scheme as a temporary namespace of this process, and the client calls that
// open a URL through them.
//
// A protocol object implements IInternetProtocol (and usually
// IInternetProtocolInfo); the client gives it a sink that hears progress,
// data and the result, and pulls the data with Read:
//
//   Start(url, sink, bindInfo, 0, 0)   -> S_OK, or E_PENDING while data is on its way
//   LockRequest(0)
//   Read(...) until S_FALSE            (sink.ReportData tells when more is there)
//   Terminate(0); UnlockRequest()
#pragma once
#pragma GCC visibility push(default)

#include <win32/objbase.h>
#include <win32/objidl.h>
#include <win32/unknwn.h>
#include <win32/windef.h>
#include <win32/winerror.h>

typedef ULONG_PTR HANDLE_PTR;

// Start flags.
#define PI_PARSE_URL 0x00000001
#define PI_FILTER_MODE 0x00000002
#define PI_FORCE_ASYNC 0x00000004
#define PI_USE_WORKERTHREAD 0x00000008
#define PI_MIMEVERIFICATION 0x00000010
#define PI_CLSIDLOOKUP 0x00000020
#define PI_DATAPROGRESS 0x00000040
#define PI_SYNCHRONOUS 0x00000080
#define PI_APARTMENTTHREADED 0x00000100
#define PI_CLASSINSTALL 0x00000200

// ReportData flags.
#define BSCF_FIRSTDATANOTIFICATION 0x00000001
#define BSCF_INTERMEDIATEDATANOTIFICATION 0x00000002
#define BSCF_LASTDATANOTIFICATION 0x00000004
#define BSCF_DATAFULLYAVAILABLE 0x00000008
#define BSCF_AVAILABLEDATASIZEUNKNOWN 0x00000010

// ReportProgress status codes.
enum BINDSTATUS {
    BINDSTATUS_FINDINGRESOURCE = 1,
    BINDSTATUS_CONNECTING = 2,
    BINDSTATUS_REDIRECTING = 3,
    BINDSTATUS_BEGINDOWNLOADDATA = 4,
    BINDSTATUS_DOWNLOADINGDATA = 5,
    BINDSTATUS_ENDDOWNLOADDATA = 6,
    BINDSTATUS_BEGINDOWNLOADCOMPONENTS = 7,
    BINDSTATUS_INSTALLINGCOMPONENTS = 8,
    BINDSTATUS_ENDDOWNLOADCOMPONENTS = 9,
    BINDSTATUS_USINGCACHEDCOPY = 10,
    BINDSTATUS_SENDINGREQUEST = 11,
    BINDSTATUS_CLASSIDAVAILABLE = 12,
    BINDSTATUS_MIMETYPEAVAILABLE = 13,
    BINDSTATUS_CACHEFILENAMEAVAILABLE = 14
};

typedef enum _tagPARSEACTION {
    PARSE_CANONICALIZE = 1,
    PARSE_FRIENDLY = 2,
    PARSE_SECURITY_URL = 3,
    PARSE_ROOTDOCUMENT = 4,
    PARSE_DOCUMENT = 5,
    PARSE_ANCHOR = 6,
    PARSE_ENCODE = 7,
    PARSE_DECODE = 8,
    PARSE_PATH_FROM_URL = 9,
    PARSE_URL_FROM_PATH = 10,
    PARSE_MIME = 11,
    PARSE_SERVER = 12,
    PARSE_SCHEMA = 13,
    PARSE_SITE = 14,
    PARSE_DOMAIN = 15,
    PARSE_LOCATION = 16,
    PARSE_SECURITY_DOMAIN = 17,
    PARSE_ESCAPE = 18,
    PARSE_UNESCAPE = 19
} PARSEACTION;

typedef enum _tagQUERYOPTION {
    QUERY_EXPIRATION_DATE = 1,
    QUERY_TIME_OF_LAST_CHANGE = 2,
    QUERY_CONTENT_ENCODING = 3,
    QUERY_CONTENT_TYPE = 4,
    QUERY_REFRESH = 5,
    QUERY_RECOMBINE = 6,
    QUERY_CAN_NAVIGATE = 7,
    QUERY_USES_NETWORK = 8,
    QUERY_IS_CACHED = 9,
    QUERY_IS_INSTALLEDENTRY = 10,
    QUERY_IS_CACHED_OR_MAPPED = 11,
    QUERY_USES_CACHE = 12,
    QUERY_IS_SECURE = 13,
    QUERY_IS_SAFE = 14
} QUERYOPTION;

// What Switch hands to Continue on the protocol's own thread.
typedef struct _tagPROTOCOLDATA {
    DWORD grfFlags;
    DWORD dwState;
    LPVOID pData;
    ULONG cbData;
} PROTOCOLDATA;

// How a request wants its data: the verb and options of this process's binds.
typedef struct _tagBINDINFO {
    ULONG cbSize;
    LPWSTR szExtraInfo;
    DWORD grfBindInfoF;
    DWORD dwBindVerb;
    LPWSTR szCustomVerb;
    DWORD cbstgmedData;
    DWORD dwOptions;
    DWORD dwOptionsFlags;
    DWORD dwCodePage;
    IID iid;
    IUnknown* pUnk;
    DWORD dwReserved;
} BINDINFO;

#define BINDVERB_GET 0x00000000
#define BINDF_ASYNCHRONOUS 0x00000001
#define BINDF_PULLDATA 0x00000080

struct IInternetProtocol;

struct IInternetProtocolSink : virtual IUnknown {
    static constexpr InterfaceID<IInternetProtocolSink> IID_{"{79EAC9E5-BAF9-11CE-8C82-00AA004BA90B}"};

    virtual HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA* pProtocolData) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ReportProgress(ULONG ulStatusCode,
                                                     LPCWSTR szStatusText) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ReportData(DWORD grfBSCF, ULONG ulProgress,
                                                 ULONG ulProgressMax) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ReportResult(HRESULT hrResult, DWORD dwError,
                                                   LPCWSTR szResult) noexcept = 0;

protected:
    ~IInternetProtocolSink() = default;
};

struct IInternetBindInfo : virtual IUnknown {
    static constexpr InterfaceID<IInternetBindInfo> IID_{"{79EAC9E1-BAF9-11CE-8C82-00AA004BA90B}"};

    virtual HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) noexcept = 0;
    // Strings are allocated with CoTaskMemAlloc and freed by the caller.
    virtual HRESULT STDMETHODCALLTYPE GetBindString(ULONG ulStringType, LPOLESTR* ppwzStr,
                                                    ULONG cEl, ULONG* pcElFetched) noexcept = 0;

protected:
    ~IInternetBindInfo() = default;
};

struct IInternetProtocolRoot : virtual IUnknown {
    static constexpr InterfaceID<IInternetProtocolRoot> IID_{"{79EAC9E3-BAF9-11CE-8C82-00AA004BA90B}"};

    virtual HRESULT STDMETHODCALLTYPE Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink,
                                            IInternetBindInfo* pOIBindInfo, DWORD grfPI,
                                            HANDLE_PTR dwReserved) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA* pProtocolData) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Abort(HRESULT hrReason, DWORD dwOptions) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Terminate(DWORD dwOptions) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Suspend() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Resume() noexcept = 0;

protected:
    ~IInternetProtocolRoot() = default;
};

struct IInternetProtocol : virtual IInternetProtocolRoot {
    static constexpr InterfaceID<IInternetProtocol> IID_{"{79EAC9E4-BAF9-11CE-8C82-00AA004BA90B}"};

    // S_OK with data, S_FALSE at the end, E_PENDING while more is on its way.
    virtual HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                           ULARGE_INTEGER* plibNewPosition) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRequest(DWORD dwOptions) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRequest() noexcept = 0;

protected:
    ~IInternetProtocol() = default;
};

struct IInternetProtocolInfo : virtual IUnknown {
    static constexpr InterfaceID<IInternetProtocolInfo> IID_{"{79EAC9EC-BAF9-11CE-8C82-00AA004BA90B}"};

    // cchResult is the buffer's capacity in characters, the terminating null included.
    virtual HRESULT STDMETHODCALLTYPE ParseUrl(LPCWSTR pwzUrl, PARSEACTION ParseAction,
                                               DWORD dwParseFlags, LPWSTR pwzResult,
                                               DWORD cchResult, DWORD* pcchResult,
                                               DWORD dwReserved) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CombineUrl(LPCWSTR pwzBaseUrl, LPCWSTR pwzRelativeUrl,
                                                 DWORD dwCombineFlags, LPWSTR pwzResult,
                                                 DWORD cchResult, DWORD* pcchResult,
                                                 DWORD dwReserved) noexcept = 0;
    // S_OK when equal, S_FALSE when not.
    virtual HRESULT STDMETHODCALLTYPE CompareUrl(LPCWSTR pwzUrl1, LPCWSTR pwzUrl2,
                                                 DWORD dwCompareFlags) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryInfo(LPCWSTR pwzUrl, QUERYOPTION OueryOption,
                                                DWORD dwQueryFlags, LPVOID pBuffer, DWORD cbBuffer,
                                                DWORD* pcbBuf, DWORD dwReserved) noexcept = 0;

protected:
    ~IInternetProtocolInfo() = default;
};

// What a filter protocol is handed in Start's reserved argument.
typedef struct _tagPROTOCOLFILTERDATA {
    DWORD cbSize;
    IInternetProtocolSink* pProtocolSink;
    IInternetProtocol* pProtocol;
    IUnknown* pUnk;
    DWORD dwFilterFlags;
} PROTOCOLFILTERDATA;

// The process's registry of temporary namespaces.
struct IInternetSession : virtual IUnknown {
    static constexpr InterfaceID<IInternetSession> IID_{"{79EAC9E7-BAF9-11CE-8C82-00AA004BA90B}"};

    // Requests for URLs of the scheme pwzProtocol (any letter case) go to
    // objects made by pCF (held until unregistered). A later registration of
    // the same scheme is asked first. Patterns are not supported (E_INVALIDARG).
    virtual HRESULT STDMETHODCALLTYPE RegisterNameSpace(IClassFactory* pCF, REFCLSID rclsid,
                                                        LPCWSTR pwzProtocol, ULONG cPatterns,
                                                        const LPCWSTR* ppwzPatterns,
                                                        DWORD dwReserved) noexcept = 0;
    // Removes the latest registration of that factory for the scheme;
    // E_INVALIDARG when there is none.
    virtual HRESULT STDMETHODCALLTYPE UnregisterNameSpace(IClassFactory* pCF,
                                                          LPCWSTR pszProtocol) noexcept = 0;
    // MIME filters, bindings and session options are not provided: E_NOTIMPL.
    virtual HRESULT STDMETHODCALLTYPE RegisterMimeFilter(IClassFactory* pCF, REFCLSID rclsid,
                                                         LPCWSTR pwzType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterMimeFilter(IClassFactory* pCF,
                                                           LPCWSTR pwzType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBinding(LPUNKNOWN pBC, LPCWSTR szUrl,
                                                    IUnknown* pUnkOuter, IUnknown** ppUnk,
                                                    IInternetProtocol** ppOInetProt,
                                                    DWORD dwOption) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSessionOption(DWORD dwOption, LPVOID pBuffer,
                                                       DWORD dwBufferLength,
                                                       DWORD dwReserved) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSessionOption(DWORD dwOption, LPVOID pBuffer,
                                                       DWORD* pdwBufferLength,
                                                       DWORD dwReserved) noexcept = 0;

protected:
    ~IInternetSession() = default;
};

inline constexpr IID IID_IInternetProtocolSink = IIDOf<IInternetProtocolSink>();
inline constexpr IID IID_IInternetBindInfo = IIDOf<IInternetBindInfo>();
inline constexpr IID IID_IInternetProtocolRoot = IIDOf<IInternetProtocolRoot>();
inline constexpr IID IID_IInternetProtocol = IIDOf<IInternetProtocol>();
inline constexpr IID IID_IInternetProtocolInfo = IIDOf<IInternetProtocolInfo>();
inline constexpr IID IID_IInternetSession = IIDOf<IInternetSession>();

// The process's session (the same object each time, counted); dwSessionMode
// and dwReserved must be 0.
HRESULT CoInternetGetSession(DWORD dwSessionMode, IInternetSession** ppIInternetSession,
                             DWORD dwReserved);

// Starts a request for szUrl on a new protocol object of the namespace
// registered for its scheme: Start(szUrl, sink, pBindInfo, grfPI, 0) runs on
// the calling thread, and the protocol object comes back (counted) for the
// caller to pull the data from. pSink hears the protocol's reports on the
// calling thread: reports made on another thread are posted to this thread's
// message loop and delivered there in order. Start's own result is returned (S_OK or
// E_PENDING) with the object; on its failure the object is released.
// INET_E_UNKNOWN_PROTOCOL when no namespace serves the scheme,
// INET_E_INVALID_URL for a URL without a scheme.
HRESULT CoInternetStartRequest(LPCWSTR szUrl, IInternetProtocolSink* pSink,
                               IInternetBindInfo* pBindInfo, DWORD grfPI,
                               IInternetProtocol** ppProtocol);

// Reads the whole resource at szURL into a memory stream (positioned at 0)
// through the registered namespace: starts the request, and while the
// protocol has no data yet, runs this thread's message loop so that the sink
// calls the protocol's owner makes from it arrive. The result a protocol
// reports as a failure is returned. pCaller and lpfnCB are not used.
HRESULT URLOpenBlockingStreamW(LPUNKNOWN pCaller, LPCWSTR szURL, LPSTREAM* ppStream,
                               DWORD dwReserved, LPUNKNOWN lpfnCB);

#pragma GCC visibility pop
