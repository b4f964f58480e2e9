#include <benchkit/controls/IDEAsyncProtocol.h>

#include <runpak/Streams.h>
#include <win32/ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what a request's client hears.
class RecordingSink final : public TInterfacedObject, public IInternetProtocolSink, public IInternetBindInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IInternetProtocolSink, IInternetBindInfo>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG code, LPCWSTR text) noexcept override {
        Progress.push_back(code);
        if (code == BINDSTATUS_MIMETYPEAVAILABLE) MimeType = text ? text : u"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD flags, ULONG progress, ULONG max) noexcept override {
        Data.push_back({flags, progress, max});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT hr, DWORD, LPCWSTR) noexcept override {
        Results.push_back(hr);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) noexcept override {
        if (flags) *flags = BINDF_PULLDATA;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindString(ULONG, LPOLESTR*, ULONG, ULONG*) noexcept override {
        return E_NOTIMPL;
    }

    struct DataCall {
        DWORD Flags;
        ULONG Progress;
        ULONG Max;
    };
    std::vector<ULONG> Progress;
    std::vector<DataCall> Data;
    std::vector<HRESULT> Results;
    UnicodeString MimeType;
};

constexpr const char16_t* kGUID = u"{6A3C1E20-55B1-4C7E-9D0A-3F2B8E4D1C77}";

class AsyncProtocolTest : public testing::Test {
protected:
    void SetUp() override {
        Pages = new TInternetProtocolComponent(nullptr);
        Pages->SetProtocolGUIDString(kGUID);
        Pages->SetProtocolName(u"page");
        Pages->SetMIMEType(u"text/html");
    }
    void TearDown() override {
        delete Pages;
        FinalizeIDEAsyncProtocol();
    }
    // A request as the URL session starts one.
    InterfacePtr<IInternetProtocol> Start(const char16_t* url, RecordingSink* sink, HRESULT expected) {
        IInternetProtocol* protocol = nullptr;
        EXPECT_EQ(CoInternetStartRequest(url, sink, sink, 0, &protocol), expected);
        InterfacePtr<IInternetProtocol> held;
        held.Attach(protocol);
        return held;
    }
    static TStream* Bytes(size_t count, char fill = 'x') {
        auto* stream = new TMemoryStream;
        std::string text(count, fill);
        stream->Write(text.data(), int(text.size()));
        return stream; // left at its end: the request rewinds it
    }

    TInternetProtocolComponent* Pages = nullptr;
};

TEST_F(AsyncProtocolTest, AStreamOfAHundredBytesReadsAs64Then36ThenNothing) {
    Pages->SetActive(true);
    Pages->OnOpenResource = [](TObject*, const UnicodeString&, TStream*& stream, bool&) { stream = Bytes(100); };
    InterfacePtr<RecordingSink> sink(new RecordingSink);
    InterfacePtr<IInternetProtocol> protocol = Start(u"page:intro", sink.Get(), E_PENDING);
    ASSERT_TRUE(protocol);
    EXPECT_EQ(sink->Progress, (std::vector<ULONG>{BINDSTATUS_FINDINGRESOURCE, BINDSTATUS_CONNECTING,
                                                  BINDSTATUS_SENDINGREQUEST, BINDSTATUS_MIMETYPEAVAILABLE}));
    EXPECT_EQ(sink->MimeType, u"text/html");
    ASSERT_EQ(sink->Data.size(), 1u);
    EXPECT_EQ(sink->Data[0].Flags, DWORD(BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE));
    EXPECT_EQ(sink->Data[0].Progress, 100u);
    EXPECT_EQ(sink->Data[0].Max, 100u);

    char buffer[64];
    ULONG read = 0;
    protocol->LockRequest(0);
    EXPECT_EQ(protocol->Read(buffer, 64, &read), S_OK);
    EXPECT_EQ(read, 64u);
    EXPECT_TRUE(sink->Results.empty());
    EXPECT_EQ(protocol->Read(buffer, 64, &read), S_OK);
    EXPECT_EQ(read, 36u);
    EXPECT_EQ(sink->Results, (std::vector<HRESULT>{S_OK}));
    EXPECT_EQ(protocol->Read(buffer, 64, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(sink->Results.size(), 1u);
    EXPECT_EQ(protocol->Terminate(0), S_OK);
    protocol->UnlockRequest();
    EXPECT_EQ(Pages->GetProtocolSink(), nullptr);
}

TEST_F(AsyncProtocolTest, TerminateBeforeLockIsRefusedAndKeepsTheStream) {
    Pages->SetActive(true);
    int terminated = 0;
    Pages->OnOpenResource = [](TObject*, const UnicodeString&, TStream*& stream, bool&) { stream = Bytes(10); };
    Pages->OnTerminate = [&](TObject*) { ++terminated; };
    InterfacePtr<RecordingSink> sink(new RecordingSink);
    InterfacePtr<IInternetProtocol> protocol = Start(u"page:x", sink.Get(), E_PENDING);
    EXPECT_EQ(protocol->Terminate(0), E_UNEXPECTED);
    EXPECT_EQ(terminated, 0);
    char buffer[16];
    ULONG read = 0;
    EXPECT_EQ(protocol->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 10u);
    protocol->LockRequest(0);
    EXPECT_EQ(protocol->Terminate(0), S_OK);
    EXPECT_EQ(terminated, 1);
    protocol->UnlockRequest();
}

TEST_F(AsyncProtocolTest, OverlappingRequestsKeepTheirOwnSinks) {
    Pages->SetActive(true);
    // The first request is fed by the host later; the second has its stream at once.
    int opened = 0;
    Pages->OnOpenResource = [&](TObject*, const UnicodeString&, TStream*& stream, bool& pending) {
        if (opened++ == 0)
            pending = true;
        else
            stream = Bytes(5, 'b');
    };
    Pages->OnReadResource = [](TObject*, TInfoWrapper*, TSinkWrapper* sink, const UnicodeString& url,
                               void* buffer, DWORD count, DWORD& read) {
        const std::string text = "fed later";
        read = DWORD(std::min<size_t>(count, text.size()));
        std::memcpy(buffer, text.data(), read);
        sink->ReportResult(S_OK, 0, u"");
    };
    InterfacePtr<RecordingSink> first(new RecordingSink), second(new RecordingSink);
    InterfacePtr<IInternetProtocol> a = Start(u"page:first", first.Get(), E_PENDING);
    IInternetProtocolSink* firstSink = Pages->GetProtocolSink();
    InterfacePtr<IInternetProtocol> b = Start(u"page:second", second.Get(), E_PENDING);
    a->LockRequest(0);
    b->LockRequest(0);
    EXPECT_NE(Pages->GetProtocolSink(), firstSink); // the latest request's

    // The second request ends first; the first still gets its data.
    char buffer[16];
    ULONG read = 0;
    EXPECT_EQ(b->Read(buffer, sizeof buffer, &read), S_OK);
    b->Terminate(0);
    b->UnlockRequest();
    EXPECT_EQ(Pages->GetProtocolSink(), nullptr);

    EXPECT_EQ(a->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "fed later");
    EXPECT_EQ(first->Results, (std::vector<HRESULT>{S_OK}));
    EXPECT_EQ(second->Results, (std::vector<HRESULT>{S_OK}));

    // Ending the older request leaves the latest one's sink with the component.
    InterfacePtr<RecordingSink> third(new RecordingSink);
    InterfacePtr<IInternetProtocol> c = Start(u"page:third", third.Get(), E_PENDING);
    IInternetProtocolSink* thirdSink = Pages->GetProtocolSink();
    a->Terminate(0);
    a->UnlockRequest();
    EXPECT_EQ(Pages->GetProtocolSink(), thirdSink);
    Pages->ReportData(BSCF_LASTDATANOTIFICATION, 5, 5);
    EXPECT_EQ(third->Data.size(), 2u);
    EXPECT_EQ(a->Abort(E_ABORT, 0), S_OK); // a finished request has no sink to tell
    EXPECT_EQ(Pages->GetProtocolSink(), thirdSink);
}

TEST_F(AsyncProtocolTest, ParseUrlCutsTheResultToTheBufferAndReportsTheWholeLength) {
    Pages->SetActive(true);
    Pages->OnParseUrl = [](TObject*, const UnicodeString&, DWORD, DWORD, UnicodeString& result, bool& handled) {
        result = u"0123456789";
        handled = true;
    };
    InterfacePtr<RecordingSink> sink(new RecordingSink);
    InterfacePtr<IInternetProtocol> protocol = Start(u"page:x", sink.Get(), S_OK);
    InterfacePtr<IInternetProtocolInfo> info;
    ASSERT_TRUE(Supports(protocol.Get(), info));
    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    DWORD length = 0;
    EXPECT_EQ(info->ParseUrl(u"page:x", PARSE_CANONICALIZE, 0, buffer, 8, &length, 0), S_OK);
    EXPECT_EQ(std::u16string(buffer), u"0123456");
    EXPECT_EQ(length, 11u);

    Pages->OnParseUrl = [](TObject*, const UnicodeString&, DWORD, DWORD, UnicodeString&, bool&) {};
    EXPECT_EQ(info->ParseUrl(u"page:x", PARSE_CANONICALIZE, 0, buffer, 8, &length, 0), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(info->CompareUrl(u"a", u"b", 0), INET_E_DEFAULT_ACTION);
    Pages->OnCompareUrl = [](TObject*, const UnicodeString& a, const UnicodeString& b, DWORD, bool& result,
                             bool& handled) {
        result = a == b;
        handled = true;
    };
    EXPECT_EQ(info->CompareUrl(u"a", u"a", 0), S_OK);
    EXPECT_EQ(info->CompareUrl(u"a", u"b", 0), S_FALSE);
}

TEST_F(AsyncProtocolTest, ABlockingOpenReadsTheEventsStream) {
    Pages->SetActive(true);
    Pages->OnOpenResource = [](TObject*, const UnicodeString& url, TStream*& stream, bool&) {
        stream = new TStringStream(url);
    };
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamW(nullptr, u"page:hello", &stream, 0, nullptr), S_OK);
    char buffer[32] = {};
    ULONG read = 0;
    stream->Read(buffer, sizeof buffer, &read);
    EXPECT_EQ(std::string(buffer, read), "page:hello");
    stream->Release();

    Pages->SetActive(false);
    EXPECT_EQ(URLOpenBlockingStreamW(nullptr, u"page:hello", &stream, 0, nullptr), INET_E_UNKNOWN_PROTOCOL);
}

TEST_F(AsyncProtocolTest, RenamingTheSchemeKeepsTheClassAndTheActiveState) {
    Pages->SetActive(true);
    Pages->OnOpenResource = [](TObject*, const UnicodeString&, TStream*& stream, bool&) { stream = Bytes(3); };
    Pages->SetProtocolName(u"doc");
    EXPECT_EQ(Pages->GetProtocolGUIDString(), kGUID);
    EXPECT_TRUE(Pages->GetActive());
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamW(nullptr, u"doc:a", &stream, 0, nullptr), S_OK);
    stream->Release();
    EXPECT_EQ(URLOpenBlockingStreamW(nullptr, u"page:a", &stream, 0, nullptr), INET_E_UNKNOWN_PROTOCOL);
}

TEST_F(AsyncProtocolTest, DuplicateNamesAndGuidsAreRefused) {
    // The same name in other letters counts as the same scheme, even for itself.
    EXPECT_THROW(Pages->SetProtocolName(u"PAGE"), Exception);
    EXPECT_EQ(Pages->GetProtocolName(), u"page");
    TInternetProtocolComponent other(nullptr);
    EXPECT_THROW(other.SetProtocolName(u"Page"), Exception);
    EXPECT_THROW(other.SetProtocolGUIDString(kGUID), Exception);
    EXPECT_THROW(other.SetProtocolGUIDString(u"not a guid"), EConvertError);
    EXPECT_EQ(other.GetProtocolGUIDString(), u"{00000000-0000-0000-C000-000000000046}");
}

TEST_F(AsyncProtocolTest, WithoutANameOrGuidNothingIsRegistered) {
    TInternetProtocolComponent bare(nullptr);
    bare.SetProtocolName(u"bare");
    bare.SetActive(true); // no GUID: no class, no namespace
    IStream* stream = nullptr;
    EXPECT_EQ(URLOpenBlockingStreamW(nullptr, u"bare:x", &stream, 0, nullptr), INET_E_UNKNOWN_PROTOCOL);

    TInternetProtocolComponent unnamed(nullptr);
    unnamed.SetProtocolGUIDString(u"{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(ComClassManager()->GetFactoryFromClassID(unnamed.GetProtocolGUID()), nullptr);
    // Naming it later registers the class, and an active component its namespace.
    unnamed.SetActive(true);
    unnamed.SetProtocolName(u"late");
    EXPECT_NE(ComClassManager()->GetFactoryFromClassID(unnamed.GetProtocolGUID()), nullptr);
    unnamed.OnOpenResource = [](TObject*, const UnicodeString&, TStream*& s, bool&) { s = Bytes(1); };
    ASSERT_EQ(URLOpenBlockingStreamW(nullptr, u"late:x", &stream, 0, nullptr), S_OK);
    stream->Release();
}

TEST_F(AsyncProtocolTest, AProtocolObjectNeedsItsComponent) {
    TComObjectFactory orphan(AsyncProtocolServer(), [] { return new TProtocol; },
                             StringToGUID(u"{99999999-2222-3333-4444-555555555555}"), u"TProtocol", u"",
                             ciMultiInstance, tmApartment);
    void* made = nullptr;
    EXPECT_EQ(orphan.CreateInstance(nullptr, IID_IInternetProtocol, &made), E_UNEXPECTED);
    EXPECT_EQ(made, nullptr);
}

} // namespace
