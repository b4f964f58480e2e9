#include <runpak/Component.h>
#include <runpak/Interfaces.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct IGreeter : virtual IUnknown {
    static constexpr InterfaceID<IGreeter> IID_{"{6B29FC40-CA47-1067-B31D-00DD010662DA}"};
    virtual int Greet() noexcept = 0;
};

struct ICounter : virtual IUnknown {
    static constexpr InterfaceID<ICounter> IID_{"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"};
    virtual int Count() noexcept = 0;
};

struct IUnused : virtual IUnknown {
    static constexpr InterfaceID<IUnused> IID_{"{11111111-2222-3333-4444-555555555555}"};
};

// A counted object with two interfaces that records its own deletion.
class TGreeter : public TInterfacedObject, public IGreeter, public ICounter {
public:
    explicit TGreeter(bool* deleted) : FDeleted(deleted) {}
    ~TGreeter() override { *FDeleted = true; }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IGreeter, ICounter>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    int Greet() noexcept override { return 42; }
    int Count() noexcept override { return 7; }

private:
    bool* FDeleted;
};

// A component answering for an interface; components do not count.
class TGreeterComponent : public TComponent, public IGreeter {
public:
    using TComponent::TComponent;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IGreeter>(this, iid, out)) return S_OK;
        return TComponent::QueryInterface(iid, out);
    }
    int Greet() noexcept override { return 5; }
};

} // namespace

// IIDs are parsed while compiling; these fail the build if parsing is wrong.
static_assert(IIDOf<IGreeter>().Data1 == 0x6B29FC40u && IIDOf<IGreeter>().Data2 == 0xCA47 &&
              IIDOf<IGreeter>().Data3 == 0x1067 && IIDOf<IGreeter>().Data4[0] == 0xB3 &&
              IIDOf<IGreeter>().Data4[7] == 0xDA);
static_assert(IID_IUnknown.Data4[0] == 0xC0 && IID_IUnknown.Data4[7] == 0x46);

TEST(InterfaceID, IUnknownHasItsDocumentedIID) {
    EXPECT_EQ(GUIDToString(IIDOf<IUnknown>()), u"{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(GUIDToString(IID_IClassFactory), u"{00000001-0000-0000-C000-000000000046}");
    EXPECT_EQ(GUIDToString(IIDOf<IGreeter>()), u"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    EXPECT_TRUE(IsEqualGUID(IIDOf<IUnknown>(), IID_IUnknown));
    EXPECT_FALSE(IsEqualIID(IIDOf<IGreeter>(), IIDOf<ICounter>()));
}

TEST(TInterfacedObject, CountStartsAtZeroAndTheLastReleaseDeletes) {
    bool deleted = false;
    auto* greeter = new TGreeter(&deleted);
    EXPECT_EQ(greeter->GetRefCount(), 0);
    {
        InterfacePtr<IGreeter> first = greeter;
        EXPECT_EQ(greeter->GetRefCount(), 1);
        InterfacePtr<IGreeter> second = first;
        EXPECT_EQ(greeter->GetRefCount(), 2);
        InterfacePtr<IUnknown> asUnknown = second; // converting copy counts too
        EXPECT_EQ(greeter->GetRefCount(), 3);
        first.Reset();
        second = nullptr;
        EXPECT_FALSE(deleted);
        EXPECT_EQ(asUnknown->AddRef(), 2u);
        EXPECT_EQ(asUnknown->Release(), 1u);
    }
    EXPECT_TRUE(deleted);
}

TEST(TInterfacedObject, CountIsExactUnderConcurrentUse) {
    bool deleted = false;
    InterfacePtr<ICounter> holder = new TGreeter(&deleted);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i)
                InterfacePtr<ICounter> copy = holder;
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_FALSE(deleted);
    holder.Reset();
    EXPECT_TRUE(deleted);
}

TEST(TInterfacedObject, QueryInterfaceGivesOneIdentityAndEachInterface) {
    bool deleted = false;
    InterfacePtr<IGreeter> greeter = new TGreeter(&deleted);

    void* unknownFromGreeter = nullptr;
    ASSERT_EQ(greeter->QueryInterface(IID_IUnknown, &unknownFromGreeter), S_OK);
    InterfacePtr<ICounter> counter;
    ASSERT_TRUE(Supports(greeter.Get(), counter));
    void* unknownFromCounter = nullptr;
    ASSERT_EQ(counter->QueryInterface(IID_IUnknown, &unknownFromCounter), S_OK);
    EXPECT_EQ(unknownFromGreeter, unknownFromCounter);
    EXPECT_EQ(counter->Count(), 7);

    void* greeterAgain = nullptr;
    ASSERT_EQ(counter->QueryInterface(IIDOf<IGreeter>(), &greeterAgain), S_OK);
    EXPECT_EQ(static_cast<IGreeter*>(greeterAgain)->Greet(), 42);

    // Three references were handed out by the queries above.
    static_cast<IUnknown*>(unknownFromGreeter)->Release();
    static_cast<IUnknown*>(unknownFromCounter)->Release();
    static_cast<IGreeter*>(greeterAgain)->Release();
    counter.Reset();
    EXPECT_FALSE(deleted);
}

TEST(TInterfacedObject, MissingInterfaceAnswersNoInterfaceAndClearsTheOutput) {
    bool deleted = false;
    auto* object = new TGreeter(&deleted);
    InterfacePtr<IGreeter> greeter = object;
    void* out = &deleted; // garbage the query must clear
    EXPECT_EQ(greeter->QueryInterface(IIDOf<IUnused>(), &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(greeter->QueryInterface(IIDOf<IGreeter>(), nullptr), E_POINTER);
    EXPECT_EQ(object->GetRefCount(), 1);
}

TEST(Supports, AnswersForInterfaceAndObjectSources) {
    bool deleted = false;
    auto* object = new TGreeter(&deleted);
    InterfacePtr<IGreeter> greeter = object;

    InterfacePtr<ICounter> counter;
    EXPECT_TRUE(Supports(greeter.Get(), counter));
    EXPECT_EQ(counter->Count(), 7);
    EXPECT_TRUE(Supports(object, IIDOf<ICounter>()));
    EXPECT_FALSE(Supports(object, IIDOf<IUnused>()));
    EXPECT_FALSE(Supports(greeter.Get(), IIDOf<IUnused>()));

    void* raw = nullptr;
    EXPECT_TRUE(Supports(object, IIDOf<IGreeter>(), &raw));
    EXPECT_EQ(static_cast<IGreeter*>(raw)->Greet(), 42);
    static_cast<IGreeter*>(raw)->Release();
    EXPECT_FALSE(Supports(object, IIDOf<IUnused>(), &raw));
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(object->GetRefCount(), 2); // greeter and counter

    IGreeter* none = nullptr;
    EXPECT_FALSE(Supports(none, IIDOf<IGreeter>()));
    TObject plain;
    EXPECT_FALSE(Supports(&plain, IIDOf<IUnknown>()));
}

TEST(Supports, ProbingAnUnreferencedObjectDoesNotFreeIt) {
    bool deleted = false;
    auto* object = new TGreeter(&deleted);
    EXPECT_TRUE(Supports(object, IIDOf<IGreeter>()));
    EXPECT_FALSE(Supports(object, IIDOf<IUnused>()));
    EXPECT_FALSE(deleted);
    EXPECT_EQ(object->GetRefCount(), 0);
    delete object;
}

TEST(InterfaceCast, GivesTheInterfaceOrRaises) {
    bool deleted = false;
    InterfacePtr<ICounter> counter = new TGreeter(&deleted);
    EXPECT_EQ(InterfaceCast<IGreeter>(counter.Get())->Greet(), 42);
    try {
        InterfaceCast<IUnused>(counter.Get());
        FAIL() << "no exception";
    } catch (const EIntfCastError& e) {
        EXPECT_EQ(e.GetMessage(), u"Interface not supported");
    }
}

TEST(TComponentInterfaces, ComponentsAnswerQueriesWithoutCounting) {
    auto* component = new TGreeterComponent(nullptr);
    {
        InterfacePtr<IGreeter> greeter;
        ASSERT_TRUE(Supports(component, greeter));
        EXPECT_EQ(greeter->Greet(), 5);
        EXPECT_EQ(greeter->AddRef(), ULONG(-1));
        EXPECT_EQ(greeter->Release(), ULONG(-1));
        EXPECT_FALSE(Supports(component, IIDOf<ICounter>()));
    }
    // Still alive: the owner (here the test) deletes components.
    EXPECT_EQ(InterfaceCast<IGreeter>(component)->Greet(), 5);
    delete component;
}

TEST(InterfacePtr, AttachDetachAndMoveKeepTheCount) {
    bool deleted = false;
    auto* object = new TGreeter(&deleted);
    InterfacePtr<IGreeter> a = object;
    InterfacePtr<IGreeter> b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(object->GetRefCount(), 1);
    b = b; // self-assignment keeps the reference
    EXPECT_EQ(object->GetRefCount(), 1);
    IGreeter* raw = b.Detach();
    EXPECT_EQ(object->GetRefCount(), 1);
    InterfacePtr<IGreeter> c;
    c.Attach(raw);
    EXPECT_EQ(object->GetRefCount(), 1);
    EXPECT_EQ(c, InterfacePtr<IGreeter>(object));
    c.Reset();
    EXPECT_TRUE(deleted);
}

TEST(GUIDText, RoundTripsAndReadsEitherCase) {
    const UnicodeString texts[] = {
        u"{00000000-0000-0000-0000-000000000000}",
        u"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}",
        u"{6B29FC40-CA47-1067-B31D-00DD010662DA}",
        u"{00000001-0000-0000-C000-000000000046}",
    };
    for (const auto& text : texts)
        EXPECT_EQ(GUIDToString(StringToGUID(text)), text);

    GUID lower = StringToGUID(u"{6b29fc40-ca47-1067-b31d-00dd010662da}");
    EXPECT_TRUE(IsEqualGUID(lower, IIDOf<IGreeter>()));
    EXPECT_EQ(lower.Data1, 0x6B29FC40u);
    EXPECT_EQ(lower.Data2, 0xCA47);
    EXPECT_EQ(lower.Data3, 0x1067);
    EXPECT_EQ(lower.Data4[0], 0xB3);
    EXPECT_EQ(lower.Data4[7], 0xDA);
}

TEST(GUIDText, BadTextRaisesConvertError) {
    const UnicodeString bad[] = {
        u"",
        u"{}",
        u"6B29FC40-CA47-1067-B31D-00DD010662DA",        // no braces
        u"{6B29FC40-CA47-1067-B31D-00DD010662DA",       // no closing brace
        u"{6B29FC40-CA47-1067-B31D-00DD010662DA}x",     // trailing text
        u"{6B29FC40CA47-1067-B31D-00DD010662DA-}",      // dash misplaced
        u"{6B29FC4G-CA47-1067-B31D-00DD010662DA}",      // not hex
        u"{6B29FC40-CA47-1067-B31D-00DD010662D }",      // space
        u"{6B29FC40-CA47-1067-B31D-00DD010662D\u0661}", // a non-ASCII digit
    };
    for (const auto& text : bad) {
        SCOPED_TRACE(UnicodeToUtf8(text));
        EXPECT_THROW(StringToGUID(text), EConvertError);
    }
    try {
        StringToGUID(u"xyz");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.GetMessage(), u"'xyz' is not a valid GUID value");
    }
}
