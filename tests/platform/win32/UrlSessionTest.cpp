#include <win32/ole2.h>
#include <win32/urlmon.h>
#include <win32/winuser.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>
#include <string>

namespace {

template <class... I> class Counted : public I... {
public:
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --refs;
        if (left == 0) delete this;
        return left;
    }
    std::atomic<ULONG> refs{1};

protected:
    virtual ~Counted() = default;
};

struct Record {
    std::u16string Url;
    bool Terminated = false;
};

// Serves its text; with Deferred set, Start answers E_PENDING and the data
// comes when Feed runs (from a posted message, as a host's loop would).
class TextProtocol final : public Counted<IInternetProtocol> {
public:
    TextProtocol(std::string text, bool deferred, Record* record)
        : Text(std::move(text)), Deferred(deferred), Seen(record) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid == IID_IUnknown || riid == IID_IInternetProtocol || riid == IID_IInternetProtocolRoot) {
            *ppv = static_cast<IInternetProtocol*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo*, DWORD,
                                    HANDLE_PTR) noexcept override {
        Seen->Url = url;
        Sink = sink;
        Sink->AddRef(); // held for the request's life
        if (Deferred) return E_PENDING;
        Available = true;
        sink->ReportData(BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, ULONG(Text.size()),
                         ULONG(Text.size()));
        return S_OK;
    }
    void Feed() {
        Available = true;
        Sink->ReportData(BSCF_LASTDATANOTIFICATION, ULONG(Text.size()), ULONG(Text.size()));
    }
    ~TextProtocol() override {
        if (Sink) Sink->Release();
    }
    HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Abort(HRESULT, DWORD) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Terminate(DWORD) noexcept override {
        Seen->Terminated = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Suspend() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resume() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept override {
        *pcbRead = 0;
        if (!Available) return E_PENDING;
        const ULONG n = ULONG(std::min<size_t>(cb, Text.size() - Position));
        std::memcpy(pv, Text.data() + Position, n);
        Position += n;
        *pcbRead = n;
        return n ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRequest(DWORD) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnlockRequest() noexcept override { return S_OK; }

    std::string Text;
    bool Deferred;
    bool Available = false;
    Record* Seen;
    size_t Position = 0;
    IInternetProtocolSink* Sink = nullptr;
};

class TextFactory final : public Counted<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) noexcept override {
        Last = new TextProtocol(Text, Deferred, &Seen);
        const HRESULT hr = Last->QueryInterface(riid, ppv);
        Last->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) noexcept override { return S_OK; }

    std::string Text = "hello from the page";
    bool Deferred = false;
    TextProtocol* Last = nullptr; // alive while its request runs
    Record Seen;
};

constexpr CLSID kTextClass = {0x1234, 0x5678, 0x9abc, {1, 2, 3, 4, 5, 6, 7, 8}};

std::string ReadAll(IStream* stream) {
    std::string all;
    char buffer[7];
    ULONG n = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &n)) && n > 0) all.append(buffer, n);
    return all;
}

class UrlSessionTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInternetGetSession(0, &session, 0), S_OK);
        ASSERT_EQ(session->RegisterNameSpace(factory, kTextClass, u"page", 0, nullptr, 0), S_OK);
    }
    void TearDown() override {
        session->UnregisterNameSpace(factory, u"page");
        session->Release();
        EXPECT_EQ(factory->refs, 1u); // the session let it go
        factory->Release();
    }
    IInternetSession* session = nullptr;
    TextFactory* factory = new TextFactory;
};

TEST_F(UrlSessionTest, ABlockingOpenReadsThroughTheRegisteredNameSpace) {
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamW(nullptr, u"PAGE:intro", &stream, 0, nullptr), S_OK);
    EXPECT_EQ(ReadAll(stream), "hello from the page");
    stream->Release();
    EXPECT_EQ(factory->Seen.Url, u"PAGE:intro");

    EXPECT_EQ(URLOpenBlockingStreamW(nullptr, u"other:intro", &stream, 0, nullptr), INET_E_UNKNOWN_PROTOCOL);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(URLOpenBlockingStreamW(nullptr, u"no scheme here", &stream, 0, nullptr), INET_E_INVALID_URL);

    ASSERT_EQ(session->UnregisterNameSpace(factory, u"page"), S_OK);
    EXPECT_EQ(session->UnregisterNameSpace(factory, u"page"), E_INVALIDARG);
    EXPECT_EQ(URLOpenBlockingStreamW(nullptr, u"page:intro", &stream, 0, nullptr), INET_E_UNKNOWN_PROTOCOL);
}

TEST_F(UrlSessionTest, ABlockingOpenRunsTheLoopUntilThePendingDataArrives) {
    factory->Deferred = true;
    // The protocol's owner feeds it from a message, as a host does after Start.
    HWND window = CreateWindowExW(0, u"STATIC", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    static TextFactory* feeding;
    feeding = factory;
    SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                          if (m == WM_USER + 7) {
                              feeding->Last->Feed();
                              return 0;
                          }
                          return DefWindowProcW(h, m, w, l);
                      }));
    PostMessageW(window, WM_USER + 7, 0, 0);
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamW(nullptr, u"page:later", &stream, 0, nullptr), S_OK);
    EXPECT_EQ(ReadAll(stream), "hello from the page");
    EXPECT_TRUE(factory->Seen.Terminated);
    stream->Release();
    DestroyWindow(window);
}

// A client's sink that notes the thread each report arrives on.
class ThreadNotingSink final : public Counted<IInternetProtocolSink, IInternetBindInfo> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid == IID_IUnknown || riid == IID_IInternetProtocolSink) {
            *ppv = static_cast<IInternetProtocolSink*>(this);
        } else if (riid == IID_IInternetBindInfo) {
            *ppv = static_cast<IInternetBindInfo*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG, LPCWSTR text) noexcept override {
        Texts.push_back(text ? text : u"(none)");
        Threads.push_back(GetCurrentThreadId());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD, ULONG progress, ULONG) noexcept override {
        Progress.push_back(progress);
        Threads.push_back(GetCurrentThreadId());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT, DWORD, LPCWSTR) noexcept override {
        Threads.push_back(GetCurrentThreadId());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindString(ULONG, LPOLESTR*, ULONG, ULONG*) noexcept override {
        return E_NOTIMPL;
    }
    std::vector<std::u16string> Texts;
    std::vector<ULONG> Progress;
    std::vector<DWORD> Threads;
};

TEST_F(UrlSessionTest, ReportsFromAnotherThreadReachTheClientOnItsOwnLoopInOrder) {
    factory->Deferred = true;
    auto* client = new ThreadNotingSink;
    IInternetProtocol* protocol = nullptr;
    ASSERT_EQ(CoInternetStartRequest(u"page:async", client, client, 0, &protocol), E_PENDING);
    IInternetProtocolSink* sink = factory->Last->Sink;
    std::thread feeder([sink] {
        sink->ReportProgress(BINDSTATUS_DOWNLOADINGDATA, u"on its way");
        sink->ReportProgress(BINDSTATUS_DOWNLOADINGDATA, nullptr);
        for (ULONG i = 1; i <= 3; ++i) sink->ReportData(BSCF_INTERMEDIATEDATANOTIFICATION, i, 3);
        sink->ReportResult(S_OK, 0, nullptr);
    });
    feeder.join();
    EXPECT_TRUE(client->Threads.empty()); // nothing until this thread's loop runs
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(client->Texts, (std::vector<std::u16string>{u"on its way", u"(none)"}));
    EXPECT_EQ(client->Progress, (std::vector<ULONG>{1, 2, 3}));
    ASSERT_EQ(client->Threads.size(), 6u);
    for (DWORD thread : client->Threads) EXPECT_EQ(thread, GetCurrentThreadId());
    protocol->Release();
    EXPECT_EQ(client->refs, 1u); // the request let go of the client's sink
    client->Release();
}

TEST(ClassObjectTest, RegisteredClassObjectsAreFoundUntilRevoked) {
    auto* factory = new TextFactory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kTextClass, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    IClassFactory* found = nullptr;
    ASSERT_EQ(CoGetClassObject(kTextClass, CLSCTX_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&found)),
              S_OK);
    EXPECT_EQ(found, factory);
    found->Release();
    EXPECT_EQ(CoGetClassObject(kTextClass, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&found)),
              REGDB_E_CLASSNOTREG);
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
    EXPECT_EQ(CoGetClassObject(kTextClass, CLSCTX_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&found)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(factory->refs, 1u);
    factory->Release();
}

} // namespace
