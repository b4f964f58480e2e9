// The URL protocol component, its protocol objects and their COM server.
#include "benchkit/controls/IDEAsyncProtocol.h"

#include <runpak/Lists.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/libloaderapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// COM's base interface id: the protocol GUID of a component that has none.
constexpr GUID kUnsetGUID = IIDOf<IUnknown>();

TThreadList* componentList = nullptr;       // every component, in creation order
IInternetSession* internetSession = nullptr; // held from first (un)registration
TAsyncProtocolServer* protocolServer = nullptr;

// The components under the list's lock.
class LockedComponents {
public:
    LockedComponents() : FList(componentList ? componentList->LockList() : nullptr) {}
    ~LockedComponents() {
        if (FList) componentList->UnlockList();
    }
    LockedComponents(const LockedComponents&) = delete;
    LockedComponents& operator=(const LockedComponents&) = delete;

    int Count() const { return FList ? FList->GetCount() : 0; }
    TInternetProtocolComponent* operator[](int Index) const {
        return static_cast<TInternetProtocolComponent*>(FList->GetItems(Index));
    }

private:
    TList* FList;
};

IInternetSession* Session() {
    if (!internetSession) OleCheck(CoInternetGetSession(0, &internetSession, 0));
    return internetSession;
}

InterfacePtr<IClassFactory> ClassObject(const GUID& ClassID, DWORD Context) {
    InterfacePtr<IClassFactory> factory;
    OleCheck(CoGetClassObject(ClassID, Context, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(factory.Out())));
    return factory;
}

// Copies text into a caller's buffer of capacity characters, cut so that it
// and its null fit; the length reported is the whole text's plus the null.
void CopyResult(const UnicodeString& Text, LPWSTR Buffer, DWORD Capacity, DWORD* Length) {
    if (Buffer && Capacity > 0) {
        const size_t copied = std::min<size_t>(Text.size(), Capacity - 1);
        std::copy_n(Text.data(), copied, Buffer);
        Buffer[copied] = u'\0';
    }
    if (Length) *Length = DWORD(Text.size() + 1);
}

UnicodeString TextOf(LPCWSTR Text) {
    return Text ? UnicodeString(Text) : UnicodeString();
}

} // namespace

// --- Wrappers handed to the events ----------------------------------------------------------

void TSinkWrapper::ReportData(DWORD BindData, ULONG Progress, ULONG ProgressMax) {
    if (FProtocolSink) OleCheck(FProtocolSink->ReportData(BindData, Progress, ProgressMax));
}

void TSinkWrapper::ReportProgress(ULONG StatusCode, const UnicodeString& StatusText) {
    if (FProtocolSink) OleCheck(FProtocolSink->ReportProgress(StatusCode, StatusText.c_str()));
}

void TSinkWrapper::ReportResult(HRESULT IntfResult, DWORD ErrorCode, const UnicodeString& ErrorText) {
    if (FProtocolSink) OleCheck(FProtocolSink->ReportResult(IntfResult, ErrorCode, ErrorText.c_str()));
}

// --- The component --------------------------------------------------------------------------

TInternetProtocolComponent::TInternetProtocolComponent(TComponent* AOwner)
    : TComponent(AOwner), FProtocolGUID(kUnsetGUID) {
    if (!componentList) componentList = new TThreadList;
    componentList->Add(this);
}

TInternetProtocolComponent::~TInternetProtocolComponent() {
    try {
        SetActive(false);
        UnregisterProtocolClass();
    } catch (...) {
        // A failing unregistration cannot stop the component from going.
    }
    if (componentList) componentList->Remove(this); // gone when the unit has shut down
    if (LockedComponents().Count() == 0 && internetSession) {
        internetSession->Release();
        internetSession = nullptr;
    }
}

TClass TInternetProtocolComponent::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TInternetProtocolComponent>(u"TInternetProtocolComponent", TComponent::StaticClass())
            .Property(u"Active", BooleanTypeInfo, &TInternetProtocolComponent::GetActive,
                      &TInternetProtocolComponent::SetActive)
            .Default(0)
            .Property(u"Description", UnicodeStringTypeInfo, &TInternetProtocolComponent::GetDescription,
                      &TInternetProtocolComponent::SetDescription)
            .Property(u"MIMEType", UnicodeStringTypeInfo, &TInternetProtocolComponent::GetMIMEType,
                      &TInternetProtocolComponent::SetMIMEType)
            .Property(u"ProtocolGUIDString", UnicodeStringTypeInfo,
                      &TInternetProtocolComponent::GetProtocolGUIDString,
                      &TInternetProtocolComponent::SetProtocolGUIDString)
            .Property(u"ProtocolName", UnicodeStringTypeInfo, &TInternetProtocolComponent::GetProtocolName,
                      &TInternetProtocolComponent::SetProtocolName)
            .Event(u"OnProtocolStart", &TInternetProtocolComponent::OnProtocolStart)
            .Event(u"OnFilterStart", &TInternetProtocolComponent::OnFilterStart)
            .Event(u"OnOpenResource", &TInternetProtocolComponent::OnOpenResource)
            .Event(u"OnReadResource", &TInternetProtocolComponent::OnReadResource)
            .Event(u"OnSeekResource", &TInternetProtocolComponent::OnSeekResource)
            .Event(u"OnTerminate", &TInternetProtocolComponent::OnTerminate)
            .Event(u"OnParseUrl", &TInternetProtocolComponent::OnParseUrl)
            .Event(u"OnCombineUrl", &TInternetProtocolComponent::OnCombineUrl)
            .Event(u"OnCompareUrl", &TInternetProtocolComponent::OnCompareUrl)
            .Event(u"OnQueryInfo", &TInternetProtocolComponent::OnQueryInfo));
    return &meta;
}

void TInternetProtocolComponent::SetProtocolName(const UnicodeString& Value) {
    if (Value == FProtocolName) return;
    {
        LockedComponents components;
        for (int i = 0; i < components.Count(); ++i) {
            TInternetProtocolComponent* other = components[i];
            if (other->IsDesigning() == IsDesigning() && SameText(other->FProtocolName, Value))
                throw Exception(u"Protocol '%s' is already defined in this application", {Value});
        }
    }
    // The scheme moves: the class keeps its id, and an active namespace
    // follows to the new name.
    const bool wasActive = FActive;
    UnregisterProtocolClass();
    FProtocolName = Value;
    RegisterProtocolClass();
    if (wasActive && !IsLoading()) {
        FActive = false;
        SetActive(true);
    }
}

void TInternetProtocolComponent::SetProtocolGUID(const GUID& Value) {
    if (Value == FProtocolGUID) return;
    {
        LockedComponents components;
        for (int i = 0; i < components.Count(); ++i) {
            TInternetProtocolComponent* other = components[i];
            if (other != this && other->IsDesigning() == IsDesigning() && other->FProtocolGUID == Value)
                throw Exception(u"Protocol GUID '%s' is already defined in this application",
                                {GUIDToString(Value)});
        }
    }
    UnregisterProtocolClass();
    FProtocolGUID = Value;
    RegisterProtocolClass();
}

UnicodeString TInternetProtocolComponent::GetProtocolGUIDString() const {
    return GUIDToString(FProtocolGUID);
}

void TInternetProtocolComponent::SetProtocolGUIDString(const UnicodeString& Value) {
    SetProtocolGUID(StringToGUID(Value));
}

void TInternetProtocolComponent::SetActive(bool Value) {
    if (Value == FActive) return;
    if (FActive && !IsLoading()) UnregisterInternetProtocol();
    FActive = Value;
    if (FActive && !IsLoading()) {
        try {
            RegisterInternetProtocol();
        } catch (...) {
            // Not registered: the component does not claim to be active.
            FActive = false;
            throw;
        }
    }
}

void TInternetProtocolComponent::Loaded() {
    TComponent::Loaded();
    RegisterProtocolClass();
    if (FActive) RegisterInternetProtocol();
}

void TInternetProtocolComponent::RegisterProtocolClass() {
    if (IsLoading() || FProtocolGUID == kUnsetGUID || FProtocolName.empty()) return;
    if (ComClassManager()->GetFactoryFromClassID(FProtocolGUID)) return;
    auto* factory = new TComObjectFactory(
        AsyncProtocolServer(), [] { return new TProtocol; }, FProtocolGUID, ClassName(), FDescription,
        ciMultiInstance, tmApartment);
    try {
        factory->RegisterClassObject();
    } catch (...) {
        delete factory;
        throw;
    }
}

void TInternetProtocolComponent::UnregisterProtocolClass() {
    if (IsLoading() || FProtocolGUID == kUnsetGUID) return;
    TComObjectFactory* factory = ComClassManager()->GetFactoryFromClassID(FProtocolGUID);
    if (!factory) return;
    SetActive(false);
    delete factory; // revokes its registration
}

void TInternetProtocolComponent::RegisterInternetProtocol() {
    if (!ComClassManager()->GetFactoryFromClassID(FProtocolGUID)) return;
    InterfacePtr<IClassFactory> factory = ClassObject(FProtocolGUID, CLSCTX_INPROC_SERVER);
    OleCheck(Session()->RegisterNameSpace(factory.Get(), FProtocolGUID, FProtocolName.c_str(), 0,
                                          nullptr, 0));
}

void TInternetProtocolComponent::UnregisterInternetProtocol() {
    if (!ComClassManager()->GetFactoryFromClassID(FProtocolGUID)) return;
    InterfacePtr<IClassFactory> factory = ClassObject(FProtocolGUID, CLSCTX_SERVER);
    OleCheck(Session()->UnregisterNameSpace(factory.Get(), FProtocolName.c_str()));
}

void TInternetProtocolComponent::TakeRequest(IInternetProtocolSink* Sink, IInternetBindInfo* BindInfo) {
    FProtocolSink = Sink;
    FBindInfo = BindInfo;
}

void TInternetProtocolComponent::DropRequest(IInternetProtocolSink* Sink) {
    if (FProtocolSink.Get() != Sink) return; // a later request's: it stays
    FProtocolSink.Reset();
    FBindInfo.Reset();
}

void TInternetProtocolComponent::ReportData(DWORD BindData, ULONG Progress, ULONG ProgressMax) {
    if (FProtocolSink) FProtocolSink->ReportData(BindData, Progress, ProgressMax);
}

void TInternetProtocolComponent::ReportProgress(ULONG StatusCode, const UnicodeString& StatusText) {
    if (FProtocolSink) FProtocolSink->ReportProgress(StatusCode, StatusText.c_str());
}

void TInternetProtocolComponent::ReportResult(HRESULT IntfResult, DWORD ErrorCode,
                                              const UnicodeString& ErrorText) {
    if (FProtocolSink) FProtocolSink->ReportResult(IntfResult, ErrorCode, ErrorText.c_str());
}

void TInternetProtocolComponent::DoProtocolStartEvent(const UnicodeString& URL, DWORD ProtocolInfo,
                                                      HRESULT& Result) {
    Result = S_OK;
    if (OnProtocolStart) OnProtocolStart(this, URL, ProtocolInfo, Result);
}

void TInternetProtocolComponent::DoFilterStartEvent(const UnicodeString& URL, DWORD ProtocolInfo,
                                                    const PROTOCOLFILTERDATA* FilterData,
                                                    HRESULT& Result) {
    Result = S_OK;
    if (OnFilterStart) OnFilterStart(this, URL, ProtocolInfo, FilterData, Result);
}

void TInternetProtocolComponent::DoOpenResourceEvent(const UnicodeString& URL, TStream*& Stream,
                                                     bool& Pending) {
    if (OnOpenResource) OnOpenResource(this, URL, Stream, Pending);
}

void TInternetProtocolComponent::DoReadResourceEvent(TInfoWrapper* BindInfo, TSinkWrapper* ProtocolSink,
                                                     const UnicodeString& URL, void* Buffer,
                                                     DWORD Count, DWORD& BytesRead) {
    BytesRead = 0;
    if (OnReadResource) OnReadResource(this, BindInfo, ProtocolSink, URL, Buffer, Count, BytesRead);
}

void TInternetProtocolComponent::DoSeekResourceEvent(TInfoWrapper* BindInfo, TSinkWrapper* ProtocolSink,
                                                     const UnicodeString& URL, int64_t Offset,
                                                     DWORD Origin, int64_t& NewPosition) {
    NewPosition = 0;
    if (OnSeekResource) OnSeekResource(this, BindInfo, ProtocolSink, URL, Offset, Origin, NewPosition);
}

void TInternetProtocolComponent::DoParseUrlEvent(const UnicodeString& URL, DWORD ParseAction,
                                                 DWORD ParseFlags, UnicodeString& Result, bool& Handled) {
    if (OnParseUrl) OnParseUrl(this, URL, ParseAction, ParseFlags, Result, Handled);
}

void TInternetProtocolComponent::DoCombineUrl(const UnicodeString& BaseUrl, const UnicodeString& RelativeUrl,
                                              DWORD CombineFlags, UnicodeString& Result, bool& Handled) {
    if (OnCombineUrl) OnCombineUrl(this, BaseUrl, RelativeUrl, CombineFlags, Result, Handled);
}

void TInternetProtocolComponent::DoQueryInfo(const UnicodeString& URL, DWORD QueryOption,
                                             DWORD QueryFlags, void* Buffer, DWORD& BufSize,
                                             bool& Handled) {
    if (OnQueryInfo) OnQueryInfo(this, URL, QueryOption, QueryFlags, Buffer, BufSize, Handled);
}

// --- The protocol object --------------------------------------------------------------------

TProtocol::~TProtocol() {
    ReleaseRequest();
}

void TProtocol::Initialize() {
    TComObject::Initialize();
    const CLSID& classID = GetFactory()->GetClassID();
    LockedComponents components;
    for (int i = 0; i < components.Count(); ++i) {
        if (components[i]->FProtocolGUID != classID) continue;
        FProtocolComponent = components[i];
        FProtocolName = FProtocolComponent->FProtocolName;
        return;
    }
    throw Exception(u"Constructing protocol object '%s' for which there is no protocol component",
                    {GUIDToString(classID)});
}

HRESULT TProtocol::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IInternetProtocol, IInternetProtocolRoot, IInternetProtocolInfo>(this, iid, out))
        return S_OK;
    return TComObject::QueryInterface(iid, out);
}

void TProtocol::ReleaseRequest() {
    if (FProtocolComponent && FProtocolSink) FProtocolComponent->DropRequest(FProtocolSink.Get());
    FProtocolSink.Reset();
    FBindInfo.Reset();
}

HRESULT TProtocol::Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink,
                         IInternetBindInfo* pOIBindInfo, DWORD grfPI, HANDLE_PTR dwReserved) noexcept {
    try {
        FURL = TextOf(szUrl);
        FProtocolSink = pOIProtSink;
        FBindInfo = pOIBindInfo;
        FProtocolComponent->TakeRequest(pOIProtSink, pOIBindInfo);
        HRESULT result = S_OK;
        if (grfPI == PI_FILTER_MODE)
            FProtocolComponent->DoFilterStartEvent(
                FURL, grfPI, reinterpret_cast<const PROTOCOLFILTERDATA*>(dwReserved), result);
        else
            FProtocolComponent->DoProtocolStartEvent(FURL, grfPI, result);
        if (result != S_OK) return result;
        if (grfPI == PI_FILTER_MODE || grfPI == PI_CLSIDLOOKUP || grfPI == PI_CLASSINSTALL) return S_OK;
        return OpenResource();
    } catch (const EOleSysError& e) {
        return e.ErrorCode;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TProtocol::OpenResource() {
    if (FProtocolSink) {
        FProtocolSink->ReportProgress(BINDSTATUS_FINDINGRESOURCE, FURL.c_str());
        FProtocolSink->ReportProgress(BINDSTATUS_CONNECTING, FURL.c_str());
    }
    TStream* stream = nullptr;
    bool pending = false;
    if (FProtocolComponent->OnOpenResource) {
        if (FProtocolSink) FProtocolSink->ReportProgress(BINDSTATUS_SENDINGREQUEST, FURL.c_str());
        FProtocolComponent->DoOpenResourceEvent(FURL, stream, pending);
    }
    if (!stream) return pending ? E_PENDING : S_OK;
    FResourceStream.reset(stream);
    FResourceStream->SetPosition(0);
    const ULONG size = ULONG(FResourceStream->GetSize());
    if (FProtocolSink) {
        if (!FProtocolComponent->FMIMEType.empty())
            FProtocolSink->ReportProgress(BINDSTATUS_MIMETYPEAVAILABLE,
                                          FProtocolComponent->FMIMEType.c_str());
        FProtocolSink->ReportData(BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, size, size);
    }
    return E_PENDING;
}

HRESULT TProtocol::Continue(PROTOCOLDATA*) noexcept {
    return S_OK;
}

HRESULT TProtocol::Abort(HRESULT hrReason, DWORD) noexcept {
    // The request's own sink hears of it: a later request's is not this one's.
    HRESULT answer = S_OK;
    if (FProtocolSink) answer = FProtocolSink->ReportResult(hrReason, 0, u"");
    ReleaseRequest();
    return answer;
}

HRESULT TProtocol::Terminate(DWORD) noexcept {
    if (FLockCount <= 0) return E_UNEXPECTED;
    try {
        FResourceStream.reset();
        if (FProtocolComponent && FProtocolComponent->OnTerminate)
            FProtocolComponent->OnTerminate(FProtocolComponent);
    } catch (...) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT TProtocol::Suspend() noexcept {
    return E_NOTIMPL;
}

HRESULT TProtocol::Resume() noexcept {
    return E_NOTIMPL;
}

HRESULT TProtocol::Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept {
    DWORD read = 0;
    try {
        if (FResourceStream) {
            read = DWORD(std::max(0, FResourceStream->Read(pv, int(std::min<ULONG>(cb, 0x7FFFFFFF)))));
            if (read > 0 && FResourceStream->GetPosition() >= FResourceStream->GetSize() && FProtocolSink)
                FProtocolSink->ReportResult(S_OK, 0, nullptr);
        } else {
            TInfoWrapper info(FBindInfo.Get());
            TSinkWrapper sink(FProtocolSink.Get());
            FProtocolComponent->DoReadResourceEvent(&info, &sink, FURL, pv, cb, read);
        }
    } catch (const EOleSysError& e) {
        if (pcbRead) *pcbRead = 0;
        return e.ErrorCode;
    } catch (...) {
        if (pcbRead) *pcbRead = 0;
        return E_FAIL;
    }
    if (pcbRead) *pcbRead = read;
    return read > 0 ? S_OK : S_FALSE;
}

HRESULT TProtocol::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) noexcept {
    int64_t position = 0;
    try {
        if (FResourceStream) {
            position = FResourceStream->Seek(dlibMove.QuadPart, TSeekOrigin(dwOrigin));
        } else {
            TInfoWrapper info(FBindInfo.Get());
            TSinkWrapper sink(FProtocolSink.Get());
            FProtocolComponent->DoSeekResourceEvent(&info, &sink, FURL, dlibMove.QuadPart, dwOrigin,
                                                    position);
        }
    } catch (...) {
        position = 0;
    }
    if (plibNewPosition) plibNewPosition->QuadPart = uint64_t(position);
    return S_OK;
}

HRESULT TProtocol::LockRequest(DWORD) noexcept {
    ++FLockCount;
    return S_OK;
}

HRESULT TProtocol::UnlockRequest() noexcept {
    --FLockCount;
    if (FLockCount == 0) ReleaseRequest();
    return S_OK;
}

HRESULT TProtocol::ParseUrl(LPCWSTR pwzUrl, PARSEACTION ParseAction, DWORD dwParseFlags, LPWSTR pwzResult,
                            DWORD cchResult, DWORD* pcchResult, DWORD) noexcept {
    if (!FProtocolComponent || !FProtocolComponent->OnParseUrl) return INET_E_DEFAULT_ACTION;
    try {
        UnicodeString result;
        bool handled = false;
        FProtocolComponent->DoParseUrlEvent(TextOf(pwzUrl), DWORD(ParseAction), dwParseFlags, result,
                                            handled);
        if (!handled) return INET_E_DEFAULT_ACTION;
        CopyResult(result, pwzResult, cchResult, pcchResult);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TProtocol::CombineUrl(LPCWSTR pwzBaseUrl, LPCWSTR pwzRelativeUrl, DWORD dwCombineFlags,
                              LPWSTR pwzResult, DWORD cchResult, DWORD* pcchResult, DWORD) noexcept {
    if (!FProtocolComponent || !FProtocolComponent->OnCombineUrl) return INET_E_DEFAULT_ACTION;
    try {
        UnicodeString result;
        bool handled = false;
        FProtocolComponent->DoCombineUrl(TextOf(pwzBaseUrl), TextOf(pwzRelativeUrl), dwCombineFlags,
                                         result, handled);
        if (!handled) return INET_E_DEFAULT_ACTION;
        CopyResult(result, pwzResult, cchResult, pcchResult);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TProtocol::CompareUrl(LPCWSTR pwzUrl1, LPCWSTR pwzUrl2, DWORD dwCompareFlags) noexcept {
    if (!FProtocolComponent || !FProtocolComponent->OnCompareUrl) return INET_E_DEFAULT_ACTION;
    try {
        bool result = false;
        bool handled = false;
        FProtocolComponent->OnCompareUrl(FProtocolComponent, TextOf(pwzUrl1), TextOf(pwzUrl2),
                                         dwCompareFlags, result, handled);
        if (!handled) return INET_E_DEFAULT_ACTION;
        return result ? S_OK : S_FALSE;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TProtocol::QueryInfo(LPCWSTR pwzUrl, QUERYOPTION QueryOption, DWORD dwQueryFlags, LPVOID pBuffer,
                             DWORD cbBuffer, DWORD* pcbBuf, DWORD) noexcept {
    DWORD size = cbBuffer;
    if (pcbBuf) *pcbBuf = size;
    if (!FProtocolComponent || !FProtocolComponent->OnQueryInfo) return INET_E_DEFAULT_ACTION;
    try {
        bool handled = false;
        FProtocolComponent->DoQueryInfo(TextOf(pwzUrl), DWORD(QueryOption), dwQueryFlags, pBuffer, size,
                                        handled);
        if (pcbBuf) *pcbBuf = size;
        return handled ? S_OK : INET_E_DEFAULT_ACTION;
    } catch (...) {
        return E_FAIL;
    }
}

// --- The server -----------------------------------------------------------------------------

TAsyncProtocolServer::~TAsyncProtocolServer() {
    ComClassManager()->ForEachFactory(this, [](TComObjectFactory* factory) { delete factory; });
}

void TAsyncProtocolServer::CountObject(bool Created) {
    if (Created)
        ++FObjectCount;
    else
        --FObjectCount;
}

void TAsyncProtocolServer::CountFactory(bool Created) {
    if (Created)
        ++FFactoryCount;
    else
        --FFactoryCount;
}

UnicodeString TAsyncProtocolServer::GetServerFileName() {
    std::vector<char16_t> buffer(1024);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length < buffer.size()) return UnicodeString(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

UnicodeString TAsyncProtocolServer::GetServerName() {
    UnicodeString name = GetServerFileName();
    const size_t slash = name.find_last_of(u"\\/");
    if (slash != UnicodeString::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind(u'.');
    if (dot != UnicodeString::npos && dot > 0) name.erase(dot);
    return name;
}

TAsyncProtocolServer* AsyncProtocolServer() {
    if (!protocolServer) protocolServer = new TAsyncProtocolServer;
    return protocolServer;
}

void FinalizeIDEAsyncProtocol() {
    delete componentList;
    componentList = nullptr;
    delete protocolServer;
    protocolServer = nullptr;
    if (internetSession) internetSession->Release();
    internetSession = nullptr;
}
