#include "benchkit/mvc/IDEUtil2.h"

#include <gtest/gtest.h>

namespace {

// A key whose hash is chosen by the test.
class TKey : public TInterfacedObject, public IHashObject {
public:
    explicit TKey(int32_t Hash) : FHash(Hash) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IHashObject>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    int32_t GetHashCode() override { return FHash; }

private:
    int32_t FHash;
};

InterfacePtr<IHashObject> Key(int32_t hash) {
    return InterfacePtr<IHashObject>(new TKey(hash));
}

InterfacePtr<IInterface> Value(const char16_t* text) {
    return static_cast<IStringObject*>(new TTextObject(text));
}

UnicodeString Text(const InterfacePtr<IInterface>& value) {
    return value ? InterfaceCast<IStringObject>(value.Get())->GetString() : u"nil";
}

TEST(Hashtable, DefaultTableGrowsAtItsThreshold) {
    auto* table = new THashtable;
    InterfacePtr<IInterface> held(static_cast<IInterface*>(table));
    std::vector<InterfacePtr<IHashObject>> keys;
    for (int i = 0; i < 75; ++i) {
        keys.push_back(Key(i));
        table->Put(keys.back().Get(), Value(u"v").Get());
    }
    EXPECT_EQ(table->GetBucketCount(), 101);
    keys.push_back(Key(75));
    table->Put(keys.back().Get(), Value(u"v").Get());
    EXPECT_EQ(table->GetBucketCount(), 203);
    EXPECT_EQ(table->GetThreshold(), 152);
    EXPECT_EQ(table->Size(), 76);
    for (auto& k : keys)
        EXPECT_TRUE(table->ContainsKey(k.Get()));
}

TEST(Hashtable, KeysAreEqualOnlyWhenTheyAreTheSameObject) {
    THashtable* table = new THashtable(7);
    InterfacePtr<IInterface> held(static_cast<IInterface*>(table));
    InterfacePtr<IHashObject> a = Key(42), b = Key(42), c = Key(42);
    EXPECT_EQ(table->Put(a.Get(), Value(u"a").Get()), nullptr);
    EXPECT_EQ(table->Put(b.Get(), Value(u"b").Get()), nullptr);
    EXPECT_EQ(Text(table->Get(a.Get())), u"a");
    EXPECT_EQ(Text(table->Get(b.Get())), u"b");
    EXPECT_EQ(table->Get(c.Get()), nullptr);

    EXPECT_EQ(Text(table->Put(a.Get(), Value(u"a2").Get())), u"a");
    EXPECT_EQ(table->Size(), 2);
    EXPECT_EQ(table->Remove(c.Get()), nullptr);
    EXPECT_EQ(table->Size(), 2);
    EXPECT_EQ(Text(table->Remove(a.Get())), u"a2");
    EXPECT_EQ(table->Size(), 1);
    EXPECT_EQ(Text(table->Get(b.Get())), u"b"); // the rest of the chain stays
}

TEST(Hashtable, RefusesBadArgumentsAndClone) {
    EXPECT_THROW(THashtable(0, 75), EIllegalArgumentException);
    EXPECT_THROW(THashtable(10, 0), EIllegalArgumentException);
    auto* table = new THashtable;
    InterfacePtr<IInterface> held(static_cast<IInterface*>(table));
    InterfacePtr<IHashObject> a = Key(1);
    EXPECT_THROW(table->Put(a.Get(), nullptr), ENullPointerException);
    EXPECT_THROW(table->Contains(nullptr), ENullPointerException);
    EXPECT_THROW(table->Clone(), Exception);
}

TEST(Hashtable, EnumeratesBucketsDownwardsNewestFirstInAChain) {
    auto* table = new THashtable(5);
    InterfacePtr<IInterface> held(static_cast<IInterface*>(table));
    InterfacePtr<IHashObject> k1 = Key(1), k6 = Key(6), k3 = Key(3);
    table->Put(k1.Get(), Value(u"one").Get());
    table->Put(k6.Get(), Value(u"six").Get()); // same bucket as 1, inserted later
    table->Put(k3.Get(), Value(u"three").Get());
    InterfacePtr<IEnumeration> values = table->Elements();
    std::vector<UnicodeString> seen;
    while (values->HasMoreElements())
        seen.push_back(Text(values->NextElement()));
    EXPECT_EQ(seen, (std::vector<UnicodeString>{u"three", u"six", u"one"}));
    try {
        values->NextElement();
        FAIL();
    } catch (const ENoSuchElementException& e) {
        EXPECT_EQ(e.GetMessage(), u"HashtableEnumerator");
    }
    InterfacePtr<IEnumeration> keys = table->Keys();
    EXPECT_EQ(keys->NextElement().Get(), static_cast<IInterface*>(k3.Get()));
    EXPECT_TRUE(table->Contains(table->Get(k6.Get()).Get()));
}

TEST(Hashtable, EmptyEnumeratorAndClear) {
    auto* table = new THashtable;
    InterfacePtr<IInterface> held(static_cast<IInterface*>(table));
    EXPECT_FALSE(table->Keys()->HasMoreElements());
    EXPECT_THROW(table->Keys()->NextElement(), ENoSuchElementException);
    InterfacePtr<IHashObject> a = Key(1);
    table->Put(a.Get(), Value(u"a").Get());
    table->Clear();
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_EQ(table->GetBucketCount(), 101);
}

TEST(Hashtable, EnumeratorOutlivingItsTableIsSafe) {
    InterfacePtr<IEnumeration> keys;
    {
        auto* table = new THashtable;
        InterfacePtr<IInterface> held(static_cast<IInterface*>(table));
        InterfacePtr<IHashObject> a = Key(1);
        table->Put(a.Get(), Value(u"a").Get());
        keys = table->Keys();
    }
    EXPECT_TRUE(keys->HasMoreElements());
    EXPECT_NE(keys->NextElement(), nullptr);
}

} // namespace
