#include <runpak/ComObj.h>
#include <runpak/Component.h>
#include <runpak/ObjectDispatch.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

enum TShade { shLight, shDark };
PTypeInfo TypeInfo_TShade() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TShade", {u"shLight", u"shDark"});
    return &info;
}

class TGadget : public TComponent {
public:
    explicit TGadget(TComponent* AOwner) : TComponent(AOwner) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int Count = 0;
    UnicodeString Title;
    TShade Shade = shLight;
    bool Flag = false;
    double Ratio = 0;
    TGadget* Partner = nullptr;
    std::function<void(TObject*)> OnPoke;

    int GetSerial() const { return 7; }
    int Add(int a, int b) { return a + b; }
    UnicodeString Describe(TGadget* g) const { return g ? g->GetName() : UnicodeString(u"nobody"); }
    TGadget* Self() { return this; }
    void Fail() { throw EListError(u"List index out of bounds (9)"); }
};

TClass TGadget::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TGadget>(u"TGadget", TComponent::StaticClass())
            .Property(u"Count", IntegerTypeInfo, &TGadget::Count, &TGadget::Count)
            .Property(u"Title", UnicodeStringTypeInfo, &TGadget::Title, &TGadget::Title)
            .Property(u"Shade", TypeInfo_TShade, &TGadget::Shade, &TGadget::Shade)
            .Property(u"Flag", BooleanTypeInfo, &TGadget::Flag, &TGadget::Flag)
            .Property(u"Ratio", DoubleTypeInfo, &TGadget::Ratio, &TGadget::Ratio)
            .Property(u"Partner", ClassTypeInfo<TGadget>, &TGadget::Partner, &TGadget::Partner)
            .ReadOnlyProperty(u"Serial", IntegerTypeInfo, &TGadget::GetSerial)
            .Event(u"OnPoke", &TGadget::OnPoke)
            .Callable(u"Add", &TGadget::Add)
            .Callable(u"Describe", &TGadget::Describe)
            .Callable(u"Self", &TGadget::Self)
            .Callable(u"Fail", &TGadget::Fail));
    return &meta;
}

// A client's view of a dispatch object: calls by name.
class Client {
public:
    explicit Client(IDispatch* d) : FDispatch(d) {}

    HRESULT Id(const char16_t* name, DISPID& id) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        return FDispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id);
    }
    // Arguments in the order written; hr receives the call's result code.
    HRESULT Call(const char16_t* name, WORD flags, std::vector<Variant> args, TOleVariant* result,
                 UINT* argErr = nullptr, EXCEPINFO* info = nullptr) {
        DISPID id;
        HRESULT hr = Id(name, id);
        if (FAILED(hr)) return hr;
        std::vector<VARIANT> v(args.size());
        for (size_t i = 0; i < args.size(); ++i) {
            VariantInit(&v[i]);
            VariantToOle(args[args.size() - 1 - i], &v[i]);
        }
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{v.data(), (flags & DISPATCH_PROPERTYPUT) ? &named : nullptr, UINT(v.size()),
                          (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
        hr = FDispatch->Invoke(id, GUID_NULL, 0, flags, &params, result ? result->Ptr() : nullptr,
                               info, argErr);
        for (VARIANT& item : v) VariantClear(&item);
        return hr;
    }
    Variant Get(const char16_t* name) {
        TOleVariant result;
        EXPECT_EQ(Call(name, DISPATCH_PROPERTYGET, {}, &result), S_OK) << std::u16string(name).size();
        return OleToVariant(result.Value());
    }
    HRESULT Put(const char16_t* name, Variant value) {
        return Call(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
    }

private:
    IDispatch* FDispatch;
};

class ObjectDispatchTest : public ::testing::Test {
protected:
    ObjectDispatchTest() {
        owner.SetName(u"Owner");
        part->SetName(u"Part");
        dispatch = InterfacePtr<IDispatch>(new TObjectDispatch(&owner, false));
    }
    TGadget owner{nullptr};
    TGadget* part = new TGadget(&owner);
    InterfacePtr<IDispatch> dispatch;
    Client client{nullptr};
    void SetUp() override { client = Client(dispatch.Get()); }
};

TEST_F(ObjectDispatchTest, PropertiesReadAndWriteByNameRegardlessOfCase) {
    ASSERT_EQ(client.Put(u"count", 12), S_OK);
    ASSERT_EQ(client.Put(u"TITLE", u"hello"), S_OK);
    ASSERT_EQ(client.Put(u"Flag", true), S_OK);
    ASSERT_EQ(client.Put(u"Ratio", u"0.25"), S_OK); // converted from text
    EXPECT_EQ(owner.Count, 12);
    EXPECT_EQ(owner.Title, u"hello");
    EXPECT_TRUE(owner.Flag);
    EXPECT_EQ(owner.Ratio, 0.25);
    EXPECT_TRUE(client.Get(u"Count") == Variant(12));
    EXPECT_TRUE(client.Get(u"Title") == Variant(u"hello"));
    EXPECT_EQ(client.Get(u"Flag").VarType(), varBoolean);
    EXPECT_TRUE(client.Get(u"Serial") == Variant(7));
}

TEST_F(ObjectDispatchTest, EnumerationsTravelByValueName) {
    ASSERT_EQ(client.Put(u"Shade", u"shDark"), S_OK);
    EXPECT_EQ(owner.Shade, shDark);
    EXPECT_TRUE(client.Get(u"Shade") == Variant(u"shDark"));
    ASSERT_EQ(client.Put(u"Shade", 0), S_OK);
    EXPECT_EQ(owner.Shade, shLight);
    EXPECT_EQ(client.Put(u"Shade", u"shPurple"), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(client.Put(u"Shade", 5), DISP_E_OVERFLOW);
    EXPECT_EQ(owner.Shade, shLight);
}

TEST_F(ObjectDispatchTest, MethodsTakeConvertedArgumentsInOrder) {
    TOleVariant result;
    ASSERT_EQ(client.Call(u"Add", DISPATCH_METHOD, {40, u"2"}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_I4);
    EXPECT_EQ(result.Value().lVal, 42);
    UINT argErr = 99;
    EXPECT_EQ(client.Call(u"Add", DISPATCH_METHOD, {1, u"x"}, &result, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u); // the last argument comes first
    EXPECT_EQ(client.Call(u"Add", DISPATCH_METHOD, {1}, &result), DISP_E_BADPARAMCOUNT);
}

TEST_F(ObjectDispatchTest, ObjectsGoOutAndComeBackAsDispatchObjects) {
    TOleVariant self;
    ASSERT_EQ(client.Call(u"Self", DISPATCH_METHOD, {}, &self), S_OK);
    ASSERT_EQ(self.vt(), VT_DISPATCH);
    // An object passed back in is the object it stands for.
    DISPID id;
    Client c(dispatch.Get());
    ASSERT_EQ(c.Id(u"Describe", id), S_OK);
    VARIANT arg = self.Value();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    TOleVariant text;
    ASSERT_EQ(dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, text.Ptr(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(OleToVariant(text.Value()).AsString(), u"Owner");

    // Writing an object property the same way, and an owned component by name.
    ASSERT_EQ(c.Id(u"Partner", id), S_OK);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&arg, &named, 1, 1};
    ASSERT_EQ(dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(owner.Partner, &owner);

    TOleVariant found;
    ASSERT_EQ(client.Call(u"part", DISPATCH_PROPERTYGET, {}, &found), S_OK);
    ASSERT_EQ(found.vt(), VT_DISPATCH);
    Client partClient(found.Value().pdispVal);
    EXPECT_TRUE(partClient.Get(u"Name") == Variant(u"Part"));
}

TEST_F(ObjectDispatchTest, FailuresAnswerTheDocumentedCodes) {
    DISPID id = 5;
    EXPECT_EQ(client.Id(u"NoSuchThing", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(client.Id(u"OnPoke", id), S_OK);
    EXPECT_EQ(client.Call(u"OnPoke", DISPATCH_PROPERTYGET, {}, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(client.Put(u"Serial", 3), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatch->Invoke(1000, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

    LPOLESTR names[] = {const_cast<LPOLESTR>(u"Add"), const_cast<LPOLESTR>(u"a")};
    DISPID ids[2];
    EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_GT(ids[0], 0);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    VARIANT one;
    VariantInit(&one);
    one.vt = VT_I4;
    DISPID namedArg = 1;
    DISPPARAMS named{&one, &namedArg, 1, 1};
    EXPECT_EQ(dispatch->Invoke(ids[0], GUID_NULL, 0, DISPATCH_METHOD, &named, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);

    EXCEPINFO info{};
    EXPECT_EQ(client.Call(u"Fail", DISPATCH_METHOD, {}, nullptr, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(std::u16string(info.bstrDescription), u"List index out of bounds (9)");
    EXPECT_EQ(std::u16string(info.bstrSource), u"EListError");
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
}

TEST(ObjectDispatchOwnership, AnOwningDispatchFreesItsInstance) {
    struct TTracked : TObject {
        bool* gone;
        explicit TTracked(bool* g) : gone(g) {}
        ~TTracked() override { *gone = true; }
    };
    bool gone = false;
    {
        InterfacePtr<IDispatch> d(new TObjectDispatch(new TTracked(&gone), true));
        DISPID id;
        LPOLESTR names[] = {const_cast<LPOLESTR>(u"Anything")};
        EXPECT_EQ(d->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    }
    EXPECT_TRUE(gone);
}

} // namespace
