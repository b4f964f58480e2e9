// The process's URL session: temporary namespaces for schemes, and the
// client calls that open URLs through them.
#include <win32/ole2.h>
#include <win32/urlmon.h>
#include <win32/winbase.h>
#include <win32/winuser.h>

#include "OleSupport.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

bool SameScheme(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = char16_t(y - u'A' + u'a');
        if (x != y) return false;
    }
    return true;
}

// The scheme of a URL ("page" of "page:intro"), or empty when it has none.
std::u16string SchemeOf(LPCWSTR url) {
    if (!url) return {};
    std::u16string scheme;
    for (const char16_t* p = url; *p; ++p) {
        const char16_t c = *p;
        if (c == u':') return scheme;
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!letter && (scheme.empty() || !other)) return {};
        scheme.push_back(c);
    }
    return {};
}

struct NameSpace {
    std::u16string scheme;
    IClassFactory* factory; // held
    CLSID clsid;
};

class Session final : public IInternetSession {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IInternetSession) {
            *ppv = static_cast<IInternetSession*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // One session for the life of the process.
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }

    HRESULT STDMETHODCALLTYPE RegisterNameSpace(IClassFactory* pCF, REFCLSID rclsid,
                                                LPCWSTR pwzProtocol, ULONG cPatterns,
                                                const LPCWSTR*, DWORD) noexcept override {
        if (!pCF || !pwzProtocol || !*pwzProtocol || cPatterns != 0) return E_INVALIDARG;
        try {
            std::lock_guard<std::mutex> guard(FLock);
            FNameSpaces.push_back({pwzProtocol, pCF, rclsid});
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        pCF->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterNameSpace(IClassFactory* pCF, LPCWSTR pszProtocol) noexcept override {
        if (!pCF || !pszProtocol) return E_INVALIDARG;
        IClassFactory* released = nullptr;
        {
            std::lock_guard<std::mutex> guard(FLock);
            for (auto it = FNameSpaces.rbegin(); it != FNameSpaces.rend(); ++it) {
                if (it->factory != pCF || !SameScheme(it->scheme, pszProtocol)) continue;
                released = it->factory;
                FNameSpaces.erase(std::next(it).base());
                break;
            }
        }
        if (!released) return E_INVALIDARG;
        released->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterMimeFilter(IClassFactory*, REFCLSID, LPCWSTR) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterMimeFilter(IClassFactory*, LPCWSTR) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateBinding(LPUNKNOWN, LPCWSTR, IUnknown*, IUnknown** ppUnk,
                                            IInternetProtocol** ppOInetProt, DWORD) noexcept override {
        if (ppUnk) *ppUnk = nullptr;
        if (ppOInetProt) *ppOInetProt = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetSessionOption(DWORD, LPVOID, DWORD, DWORD) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSessionOption(DWORD, LPVOID, DWORD*, DWORD) noexcept override {
        return E_NOTIMPL;
    }

    // The factory of the latest namespace for the scheme, counted; null when none.
    IClassFactory* FactoryFor(std::u16string_view scheme) {
        std::lock_guard<std::mutex> guard(FLock);
        for (auto it = FNameSpaces.rbegin(); it != FNameSpaces.rend(); ++it) {
            if (!SameScheme(it->scheme, scheme)) continue;
            it->factory->AddRef();
            return it->factory;
        }
        return nullptr;
    }

private:
    std::mutex FLock;
    std::vector<NameSpace> FNameSpaces;
};

Session& TheSession() {
    static Session* session = new Session; // lives as long as the process
    return *session;
}

// Stands between a protocol and its client's sink: calls made on the thread
// that started the request go straight through; calls from other threads are
// posted to that thread's loop and reach the client there, in order.
class LoopSink final : public win32::ole::ComObject<IInternetProtocolSink> {
public:
    explicit LoopSink(IInternetProtocolSink* client)
        : FClient(client), FOwner(GetCurrentThreadId()), FWindow(MakeWindow()) {
        FClient->AddRef();
    }

    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA* data) noexcept override {
        if (OnOwner()) return FClient->Switch(data);
        Call* call = NewCall(Kind::Switch);
        if (!call) return E_OUTOFMEMORY;
        call->data = data;
        return Post(call);
    }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG code, LPCWSTR text) noexcept override {
        if (OnOwner()) return FClient->ReportProgress(code, text);
        Call* call = NewCall(Kind::Progress, text);
        if (!call) return E_OUTOFMEMORY;
        call->a = code;
        return Post(call);
    }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD flags, ULONG progress, ULONG max) noexcept override {
        if (OnOwner()) return FClient->ReportData(flags, progress, max);
        Call* call = NewCall(Kind::Data);
        if (!call) return E_OUTOFMEMORY;
        call->a = flags;
        call->b = progress;
        call->c = max;
        return Post(call);
    }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT result, DWORD error, LPCWSTR text) noexcept override {
        if (OnOwner()) return FClient->ReportResult(result, error, text);
        Call* call = NewCall(Kind::Result, text);
        if (!call) return E_OUTOFMEMORY;
        call->result = result;
        call->a = error;
        return Post(call);
    }

private:
    enum class Kind { Switch, Progress, Data, Result };
    // A call on its way to the owner's thread, with a copy of its text.
    struct Call {
        Kind kind;
        DWORD a = 0, b = 0, c = 0;
        HRESULT result = S_OK;
        std::u16string text;
        bool hasText = false; // the caller passed text (null is not "")
        PROTOCOLDATA* data = nullptr;
        LoopSink* sink = nullptr; // counted while the call is on its way
    };
    static constexpr UINT kDeliver = WM_APP + 0x1E1;

    static Call* NewCall(Kind kind, LPCWSTR text = nullptr) noexcept {
        try {
            auto* call = new Call{kind};
            if (text) {
                call->text = text;
                call->hasText = true;
            }
            return call;
        } catch (...) {
            return nullptr;
        }
    }

    HRESULT Post(Call* call) {
        call->sink = this;
        AddRef();
        if (!FWindow || !PostMessageW(FWindow, kDeliver, 0, reinterpret_cast<LPARAM>(call))) {
            delete call;
            Release();
            return E_FAIL;
        }
        return S_OK;
    }

    bool OnOwner() const { return GetCurrentThreadId() == FOwner; }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != kDeliver) return DefWindowProcW(window, message, wParam, lParam);
        auto* call = reinterpret_cast<Call*>(lParam);
        IInternetProtocolSink* client = call->sink->FClient;
        const LPCWSTR text = call->hasText ? call->text.c_str() : nullptr;
        switch (call->kind) {
        case Kind::Switch: client->Switch(call->data); break;
        case Kind::Progress: client->ReportProgress(call->a, text); break;
        case Kind::Data: client->ReportData(call->a, call->b, call->c); break;
        case Kind::Result: client->ReportResult(call->result, call->a, text); break;
        }
        call->sink->Release();
        delete call;
        return 0;
    }

    static HWND MakeWindow() {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = WindowProc;
            wc.lpszClassName = u"UrlSessionSink";
            return RegisterClassW(&wc);
        }();
        if (!atom) return nullptr;
        return CreateWindowExW(0, u"UrlSessionSink", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
    }

    ~LoopSink() override {
        // Only the owner's thread may destroy the window; from elsewhere it is
        // asked to close itself.
        if (FWindow) {
            if (OnOwner())
                DestroyWindow(FWindow);
            else
                PostMessageW(FWindow, WM_CLOSE, 0, 0);
        }
        FClient->Release();
    }

    IInternetProtocolSink* FClient;
    DWORD FOwner;
    HWND FWindow;
};

// What a blocking open hears from the protocol, and the bind info it gives.
class BlockingRequest final
    : public win32::ole::ComObject<IInternetProtocolSink, IInternetBindInfo> {
public:
    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG, LPCWSTR) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD, ULONG, ULONG) noexcept override {
        ++Notifications;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT hrResult, DWORD, LPCWSTR) noexcept override {
        ++Notifications;
        Done = true;
        Result = hrResult;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) noexcept override {
        if (grfBINDF) *grfBINDF = BINDF_PULLDATA;
        if (pbindinfo) {
            const ULONG size = pbindinfo->cbSize;
            std::memset(pbindinfo, 0, size < sizeof(BINDINFO) ? size : sizeof(BINDINFO));
            pbindinfo->cbSize = size;
            if (size >= sizeof(BINDINFO)) pbindinfo->dwBindVerb = BINDVERB_GET;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindString(ULONG, LPOLESTR* ppwzStr, ULONG, ULONG* pcElFetched) noexcept override {
        if (ppwzStr) *ppwzStr = nullptr;
        if (pcElFetched) *pcElFetched = 0;
        return E_NOTIMPL;
    }

    int Notifications = 0;
    bool Done = false;
    HRESULT Result = S_OK;
};

// Runs this thread's messages until the request hears something new; false
// when the loop is quitting (the quit is put back for the caller's loop).
bool WaitForNews(BlockingRequest& request) {
    const int seen = request.Notifications;
    MSG msg;
    while (request.Notifications == seen) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(int(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

} // namespace

HRESULT CoInternetGetSession(DWORD dwSessionMode, IInternetSession** ppIInternetSession,
                             DWORD dwReserved) {
    if (!ppIInternetSession) return E_INVALIDARG;
    *ppIInternetSession = nullptr;
    if (dwSessionMode != 0 || dwReserved != 0) return E_INVALIDARG;
    *ppIInternetSession = &TheSession();
    return S_OK;
}

HRESULT CoInternetStartRequest(LPCWSTR szUrl, IInternetProtocolSink* pSink,
                               IInternetBindInfo* pBindInfo, DWORD grfPI,
                               IInternetProtocol** ppProtocol) {
    if (!ppProtocol) return E_POINTER;
    *ppProtocol = nullptr;
    if (!szUrl || !pSink || !pBindInfo) return E_INVALIDARG;
    const std::u16string scheme = SchemeOf(szUrl);
    if (scheme.empty()) return INET_E_INVALID_URL;
    IClassFactory* factory = TheSession().FactoryFor(scheme);
    if (!factory) return INET_E_UNKNOWN_PROTOCOL;
    void* made = nullptr;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IInternetProtocol, &made);
    factory->Release();
    if (FAILED(hr)) return hr;
    auto* protocol = static_cast<IInternetProtocol*>(made);
    auto* loopSink = new LoopSink(pSink);
    hr = protocol->Start(szUrl, loopSink, pBindInfo, grfPI, 0);
    loopSink->Release(); // the protocol holds it as long as it needs it
    if (FAILED(hr) && hr != E_PENDING) {
        protocol->Release();
        return hr;
    }
    *ppProtocol = protocol;
    return hr;
}

HRESULT URLOpenBlockingStreamW(LPUNKNOWN, LPCWSTR szURL, LPSTREAM* ppStream, DWORD, LPUNKNOWN) {
    if (!ppStream) return E_POINTER;
    *ppStream = nullptr;
    auto* request = new BlockingRequest;
    IInternetProtocol* protocol = nullptr;
    HRESULT hr = CoInternetStartRequest(szURL, request, request, 0, &protocol);
    if (FAILED(hr) && hr != E_PENDING) {
        request->Release();
        return hr;
    }
    std::vector<char> data;
    protocol->LockRequest(0);
    char buffer[4096];
    for (;;) {
        ULONG read = 0;
        hr = protocol->Read(buffer, sizeof buffer, &read);
        if (read > 0) data.insert(data.end(), buffer, buffer + read);
        if (hr == S_OK) continue;
        if (hr == S_FALSE) {
            hr = S_OK;
            break;
        }
        if (hr != E_PENDING) break;
        // Nothing yet: the protocol's owner reports more from the message loop.
        if (request->Done) {
            hr = S_OK;
            break;
        }
        if (!WaitForNews(*request)) {
            hr = E_ABORT;
            break;
        }
    }
    if (SUCCEEDED(hr) && request->Done && FAILED(request->Result)) hr = request->Result;
    protocol->Terminate(0);
    protocol->UnlockRequest();
    protocol->Release();
    request->Release();
    if (FAILED(hr)) return hr;

    IStream* stream = nullptr;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    ULONG written = 0;
    if (!data.empty()) hr = stream->Write(data.data(), ULONG(data.size()), &written);
    if (FAILED(hr)) {
        stream->Release();
        return hr;
    }
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    *ppStream = stream;
    return S_OK;
}
