// TInternetProtocolComponent: serves a URL scheme of the host's own from
// inside its process. While active, the scheme named by ProtocolName is a
// temporary namespace of the process's URL session; every request for such a
// URL makes a TProtocol that answers by firing the component's events, or by
// serving the stream an event supplies.
//
//   auto* pages = new TInternetProtocolComponent(owner);
//   pages->SetProtocolGUIDString(u"{...}");
//   pages->SetProtocolName(u"page");
//   pages->OnOpenResource = [](TObject*, const UnicodeString& url, TStream*& stream, bool&) {
//       stream = new TStringStream(...);
//   };
//   pages->SetActive(true);   // "page:..." URLs now open through it
#pragma once
#pragma GCC visibility push(default)

#include <runpak/ComObj.h>
#include <runpak/Component.h>
#include <runpak/Streams.h>

#include <win32/urlmon.h>

#include <functional>
#include <memory>

class TInternetProtocolComponent;

// Handed to the read and seek events: the request's sink. A failing answer
// of the sink raises the framework's OLE error.
class TSinkWrapper : public TObject {
public:
    explicit TSinkWrapper(IInternetProtocolSink* ProtocolSink) : FProtocolSink(ProtocolSink) {}
    IInternetProtocolSink* GetProtocolSink() const { return FProtocolSink.Get(); }
    void ReportData(DWORD BindData, ULONG Progress, ULONG ProgressMax);
    void ReportProgress(ULONG StatusCode, const UnicodeString& StatusText);
    void ReportResult(HRESULT IntfResult, DWORD ErrorCode, const UnicodeString& ErrorText);

private:
    InterfacePtr<IInternetProtocolSink> FProtocolSink;
};

// Handed to the read and seek events: the request's bind info.
class TInfoWrapper : public TObject {
public:
    explicit TInfoWrapper(IInternetBindInfo* BindInfo) : FBindInfo(BindInfo) {}
    IInternetBindInfo* GetBindInfo() const { return FBindInfo.Get(); }

private:
    InterfacePtr<IInternetBindInfo> FBindInfo;
};

using TProtocolStartEvent =
    std::function<void(TObject* Sender, const UnicodeString& URL, DWORD ProtocolInfo, HRESULT& Result)>;
using TFilterStartEvent =
    std::function<void(TObject* Sender, const UnicodeString& URL, DWORD ProtocolInfo,
                       const PROTOCOLFILTERDATA* FilterData, HRESULT& Result)>;
// The stream given is the request's from then on: it frees it.
using TOpenResourceEvent =
    std::function<void(TObject* Sender, const UnicodeString& URL, TStream*& Stream, bool& Pending)>;
using TReadResourceEvent =
    std::function<void(TObject* Sender, TInfoWrapper* BindInfo, TSinkWrapper* ProtocolSink,
                       const UnicodeString& URL, void* Buffer, DWORD Count, DWORD& BytesRead)>;
using TSeekResourceEvent =
    std::function<void(TObject* Sender, TInfoWrapper* BindInfo, TSinkWrapper* ProtocolSink,
                       const UnicodeString& URL, int64_t Offset, DWORD Origin, int64_t& NewPosition)>;
using TParseUrlEvent =
    std::function<void(TObject* Sender, const UnicodeString& URL, DWORD ParseAction, DWORD ParseFlags,
                       UnicodeString& Result, bool& Handled)>;
using TCombineUrlEvent =
    std::function<void(TObject* Sender, const UnicodeString& BaseUrl, const UnicodeString& RelativeUrl,
                       DWORD CombineFlags, UnicodeString& Result, bool& Handled)>;
using TCompareUrlEvent =
    std::function<void(TObject* Sender, const UnicodeString& Url1, const UnicodeString& Url2,
                       DWORD CompareFlags, bool& Result, bool& Handled)>;
using TQueryInfoEvent =
    std::function<void(TObject* Sender, const UnicodeString& URL, DWORD QueryOption, DWORD QueryFlags,
                       void* Buffer, DWORD& BufSize, bool& Handled)>;

class TInternetProtocolComponent : public TComponent {
public:
    explicit TInternetProtocolComponent(TComponent* AOwner);
    ~TInternetProtocolComponent() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetActive() const { return FActive; }
    void SetActive(bool Value);
    const UnicodeString& GetDescription() const { return FDescription; }
    void SetDescription(const UnicodeString& Value) { FDescription = Value; }
    const UnicodeString& GetMIMEType() const { return FMIMEType; }
    void SetMIMEType(const UnicodeString& Value) { FMIMEType = Value; }
    const UnicodeString& GetProtocolName() const { return FProtocolName; }
    void SetProtocolName(const UnicodeString& Value);
    const GUID& GetProtocolGUID() const { return FProtocolGUID; }
    void SetProtocolGUID(const GUID& Value);
    UnicodeString GetProtocolGUIDString() const;
    void SetProtocolGUIDString(const UnicodeString& Value);

    // The sink and bind info of the request most recently started; null when
    // none is in progress.
    IInternetProtocolSink* GetProtocolSink() const { return FProtocolSink.Get(); }
    IInternetBindInfo* GetBindInfo() const { return FBindInfo.Get(); }

    // Feed the latest request (one the events left pending); nothing when
    // no request is in progress. The sink's answers are not looked at.
    void ReportData(DWORD BindData, ULONG Progress, ULONG ProgressMax);
    void ReportProgress(ULONG StatusCode, const UnicodeString& StatusText);
    void ReportResult(HRESULT IntfResult, DWORD ErrorCode, const UnicodeString& ErrorText);

    TProtocolStartEvent OnProtocolStart;
    TFilterStartEvent OnFilterStart;
    TOpenResourceEvent OnOpenResource;
    TReadResourceEvent OnReadResource;
    TSeekResourceEvent OnSeekResource;
    TNotifyEvent OnTerminate;
    TParseUrlEvent OnParseUrl;
    TCombineUrlEvent OnCombineUrl;
    TCompareUrlEvent OnCompareUrl;
    TQueryInfoEvent OnQueryInfo;

protected:
    virtual void DoProtocolStartEvent(const UnicodeString& URL, DWORD ProtocolInfo, HRESULT& Result);
    virtual void DoFilterStartEvent(const UnicodeString& URL, DWORD ProtocolInfo,
                                    const PROTOCOLFILTERDATA* FilterData, HRESULT& Result);
    virtual void DoOpenResourceEvent(const UnicodeString& URL, TStream*& Stream, bool& Pending);
    virtual void DoReadResourceEvent(TInfoWrapper* BindInfo, TSinkWrapper* ProtocolSink,
                                     const UnicodeString& URL, void* Buffer, DWORD Count,
                                     DWORD& BytesRead);
    virtual void DoSeekResourceEvent(TInfoWrapper* BindInfo, TSinkWrapper* ProtocolSink,
                                     const UnicodeString& URL, int64_t Offset, DWORD Origin,
                                     int64_t& NewPosition);
    virtual void DoParseUrlEvent(const UnicodeString& URL, DWORD ParseAction, DWORD ParseFlags,
                                 UnicodeString& Result, bool& Handled);
    virtual void DoCombineUrl(const UnicodeString& BaseUrl, const UnicodeString& RelativeUrl,
                              DWORD CombineFlags, UnicodeString& Result, bool& Handled);
    virtual void DoQueryInfo(const UnicodeString& URL, DWORD QueryOption, DWORD QueryFlags,
                             void* Buffer, DWORD& BufSize, bool& Handled);
    void Loaded() override;

private:
    friend class TProtocol;

    bool IsLoading() const { return GetComponentState().Contains(csLoading); }
    bool IsDesigning() const { return GetComponentState().Contains(csDesigning); }
    void RegisterProtocolClass();
    void UnregisterProtocolClass();
    void RegisterInternetProtocol();
    void UnregisterInternetProtocol();
    // Takes the latest request's sink and bind info, or lets go of them
    // when they are the given request's (another request's stay).
    void TakeRequest(IInternetProtocolSink* Sink, IInternetBindInfo* BindInfo);
    void DropRequest(IInternetProtocolSink* Sink);

    bool FActive = false;
    UnicodeString FProtocolName;
    UnicodeString FMIMEType;
    GUID FProtocolGUID;
    UnicodeString FDescription;
    InterfacePtr<IInternetBindInfo> FBindInfo;
    InterfacePtr<IInternetProtocolSink> FProtocolSink;
};

// One request for a URL of a component's scheme, made by COM through the
// component's class factory.
class TProtocol : public TComObject, public IInternetProtocol, public IInternetProtocolInfo {
public:
    TProtocol() = default;
    ~TProtocol() override;
    // Finds the component whose protocol GUID is the factory's class id;
    // raises "Constructing protocol object '%s' for which there is no
    // protocol component" when there is none.
    void Initialize() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;

    HRESULT STDMETHODCALLTYPE Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink,
                                    IInternetBindInfo* pOIBindInfo, DWORD grfPI,
                                    HANDLE_PTR dwReserved) noexcept override;
    HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA* pProtocolData) noexcept override;
    HRESULT STDMETHODCALLTYPE Abort(HRESULT hrReason, DWORD dwOptions) noexcept override;
    HRESULT STDMETHODCALLTYPE Terminate(DWORD dwOptions) noexcept override;
    HRESULT STDMETHODCALLTYPE Suspend() noexcept override;
    HRESULT STDMETHODCALLTYPE Resume() noexcept override;
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                   ULARGE_INTEGER* plibNewPosition) noexcept override;
    HRESULT STDMETHODCALLTYPE LockRequest(DWORD dwOptions) noexcept override;
    HRESULT STDMETHODCALLTYPE UnlockRequest() noexcept override;

    HRESULT STDMETHODCALLTYPE ParseUrl(LPCWSTR pwzUrl, PARSEACTION ParseAction, DWORD dwParseFlags,
                                       LPWSTR pwzResult, DWORD cchResult, DWORD* pcchResult,
                                       DWORD dwReserved) noexcept override;
    HRESULT STDMETHODCALLTYPE CombineUrl(LPCWSTR pwzBaseUrl, LPCWSTR pwzRelativeUrl,
                                         DWORD dwCombineFlags, LPWSTR pwzResult, DWORD cchResult,
                                         DWORD* pcchResult, DWORD dwReserved) noexcept override;
    HRESULT STDMETHODCALLTYPE CompareUrl(LPCWSTR pwzUrl1, LPCWSTR pwzUrl2,
                                         DWORD dwCompareFlags) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryInfo(LPCWSTR pwzUrl, QUERYOPTION OueryOption, DWORD dwQueryFlags,
                                        LPVOID pBuffer, DWORD cbBuffer, DWORD* pcbBuf,
                                        DWORD dwReserved) noexcept override;

    TInternetProtocolComponent* GetProtocolComponent() const { return FProtocolComponent; }
    int GetLockCount() const { return FLockCount; }
    bool HasResourceStream() const { return FResourceStream != nullptr; }

private:
    HRESULT OpenResource();
    void ReleaseRequest();

    UnicodeString FURL;
    UnicodeString FProtocolName;
    TInternetProtocolComponent* FProtocolComponent = nullptr;
    InterfacePtr<IInternetBindInfo> FBindInfo;
    InterfacePtr<IInternetProtocolSink> FProtocolSink;
    int FLockCount = 0;
    std::unique_ptr<TStream> FResourceStream;
};

// The server every protocol class factory belongs to; one per process.
class TAsyncProtocolServer : public TComServerObject {
public:
    ~TAsyncProtocolServer() override;
    void CountObject(bool Created) override;
    void CountFactory(bool Created) override;
    UnicodeString GetHelpFileName() override { return FHelpFileName; }
    UnicodeString GetServerFileName() override;
    UnicodeString GetServerKey() override { return u"LocalServer32"; }
    UnicodeString GetServerName() override;
    bool GetStartSuspended() override { return false; }
    IUnknown* GetTypeLib() override { return nullptr; }
    void SetHelpFileName(const UnicodeString& Value) override { FHelpFileName = Value; }

    int GetObjectCount() const { return FObjectCount.load(); }
    int GetFactoryCount() const { return FFactoryCount.load(); }

private:
    std::atomic<int> FObjectCount{0};
    std::atomic<int> FFactoryCount{0};
    UnicodeString FHelpFileName;
};

TAsyncProtocolServer* AsyncProtocolServer();

void FinalizeIDEAsyncProtocol();

#pragma GCC visibility pop
