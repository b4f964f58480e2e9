#include "benchkit/mvc/IDEEvent.h"
#include "benchkit/mvc/IDEUtil.h"

#include <runpak/StringList.h>

#include "CaseName.h"
#include <gtest/gtest.h>

namespace {

class TOtherPersistent : public TPersistent {};

class TPlainEvent : public TDispatchableEvent {
public:
    using TDispatchableEvent::TDispatchableEvent;
    void Dispatch(IEventListener*) override {}
};

std::exception_ptr Raised(const UnicodeString& message) {
    try {
        throw EIllegalStateException(message);
    } catch (...) {
        return std::current_exception();
    }
}

UnicodeString MessageOf(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const Exception& x) {
        return x.GetMessage();
    }
}

TEST(EventObject, WithoutSourceRaisesNullSource) {
    InterfacePtr<IDispatchableEvent> event(new TPlainEvent(nullptr));
    try {
        event->GetSource();
        FAIL();
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Null source");
    }
}

TEST(EventObject, ExceptionChainKeepsFirstThenNewestFirst) {
    InterfacePtr<IInterface> source(static_cast<IStringObject*>(new TTextObject(u"s")));
    auto* event = new TPlainEvent(source.Get());
    InterfacePtr<IDispatchableEvent> held(event);
    EXPECT_EQ(event->GetExceptionChain(), nullptr);

    event->AppendException(Raised(u"first"));
    TExceptionChain* chain = event->GetExceptionChain();
    ASSERT_NE(chain, nullptr);
    EXPECT_TRUE(chain->HasExceptions());
    EXPECT_EQ(chain->GetNext(), nullptr);

    event->AppendException(Raised(u"second"));
    event->AppendException(Raised(u"third"));
    ASSERT_NE(chain->GetNext(), nullptr);
    EXPECT_EQ(MessageOf(chain->GetException()), u"first");
    EXPECT_EQ(MessageOf(chain->GetNext()->GetException()), u"third");
    EXPECT_EQ(MessageOf(chain->GetNext()->GetNext()->GetException()), u"second");
    chain->PrintStackTrace(nullptr); // walks the whole chain without writing
}

struct HashCase {
    std::u16string text;
    int32_t hash;
};

void PrintTo(const HashCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.text);
}

int32_t Times(const std::u16string& text, int factor, size_t step) {
    uint32_t h = 0;
    for (size_t i = 0; i < text.size(); i += step)
        h = h * uint32_t(factor) + text[i];
    return int32_t(h);
}

class TextHash : public testing::TestWithParam<HashCase> {};

TEST_P(TextHash, FollowsTheLengthRule) {
    InterfacePtr<IHashObject> text(new TTextObject(GetParam().text));
    EXPECT_EQ(text->GetHashCode(), GetParam().hash);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextHash,
    testing::Values(HashCase{u"", 0}, HashCase{u"abc", 136518},
                    // 15 characters: every one, times 37.
                    HashCase{u"abcdefghijklmno", Times(u"abcdefghijklmno", 37, 1)},
                    // 16 characters: positions 0, 2, ... 14, times 39.
                    HashCase{u"abcdefghijklmnop", Times(u"abcdefghijklmnop", 39, 2)},
                    // 17 characters: step 2 still, nine positions.
                    HashCase{u"abcdefghijklmnopq", Times(u"abcdefghijklmnopq", 39, 2)},
                    // Code units above 0x7FFF count as unsigned.
                    HashCase{u"\xFFFF", 0xFFFF}),
    CaseName());

TEST(ValueObjects, IntegerObjectIndexAndHash) {
    auto* object = new TIntegerObject(-5);
    InterfacePtr<IIndexObject> index(object);
    EXPECT_EQ(index->GetIndex(), -5);
    EXPECT_EQ(object->GetHashCode(), -5);
}

TEST(ValueObjects, TextIndexObjectIsBothPartsOfItsPair) {
    InterfacePtr<IPair> pair(new TTextIndexObject(u"one", 1));
    InterfacePtr<IStringObject> text = InterfaceCast<IStringObject>(pair->GetFirst().Get());
    InterfacePtr<IIndexObject> index = InterfaceCast<IIndexObject>(pair->GetSecond().Get());
    EXPECT_EQ(text->GetString(), u"one");
    EXPECT_EQ(index->GetIndex(), 1);

    InterfacePtr<IStringObject> two(new TTextObject(u"two"));
    InterfacePtr<IIndexObject> seven(new TIntegerObject(7));
    pair->SetFirst(two.Get());
    pair->SetSecond(seven.Get());
    EXPECT_EQ(text->GetString(), u"two");
    EXPECT_EQ(index->GetIndex(), 7);
    // A text is not an index: the interface cast refuses it.
    EXPECT_THROW(pair->SetSecond(two.Get()), EIntfCastError);
}

TEST(ValueObjects, HashObjectsHashByIdentity) {
    InterfacePtr<IHashObject> a(new THashObject), b(new THashObject);
    EXPECT_EQ(a->GetHashCode(), a->GetHashCode());
    EXPECT_NE(a->GetHashCode(), b->GetHashCode());
}

TEST(ValueObjects, InsetsAssignOnlyToInsets) {
    TInsets source(1, 2, 3, 4), dest(0, 0, 0, 0);
    dest.Assign(&source);
    EXPECT_EQ(dest.GetLeft(), 1);
    EXPECT_EQ(dest.GetTop(), 2);
    EXPECT_EQ(dest.GetRight(), 3);
    EXPECT_EQ(dest.GetBottom(), 4);
    TOtherPersistent other;
    EXPECT_THROW(other.Assign(&source), EInvalidCast);
}

TEST(ValueObjects, StringsBecomeTextObjectsAndListsCloneShallowly) {
    TStringList strings;
    strings.Add(u"a");
    strings.Add(u"b");
    InterfacePtr<IInterfaceList> list = StringsToInterfaces(&strings);
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(InterfaceCast<IStringObject>(list->Get(1).Get())->GetString(), u"b");

    InterfacePtr<IInterfaceList> copy = CloneInterfaceList(list.Get());
    ASSERT_EQ(copy->GetCount(), 2);
    EXPECT_EQ(copy->Get(0).Get(), list->Get(0).Get());
    copy->Delete(0);
    EXPECT_EQ(list->GetCount(), 2);
}

} // namespace
