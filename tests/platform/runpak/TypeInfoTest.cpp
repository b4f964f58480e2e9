#include <runpak/Collection.h>
#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

enum TDialKind { dkRound, dkFlat, dkSlider };
using TDialKinds = TSet<TDialKind>;
using TNotifyEvent = std::function<void(TObject* Sender)>;

PTypeInfo TypeInfo_TDialKind() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TDialKind", {u"dkRound", u"dkFlat", u"dkSlider"});
    return &info;
}
PTypeInfo TypeInfo_TDialKinds() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TDialKinds", TypeInfo_TDialKind());
    return &info;
}

class TKnobFont : public TPersistent {
public:
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override {
        if (auto* other = dynamic_cast<TKnobFont*>(Source)) {
            Size = other->Size;
            return;
        }
        TPersistent::Assign(Source);
    }
    int Size = 8;
};

TClass TKnobFont::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TKnobFont>(u"TKnobFont", TPersistent::StaticClass())
            .Property(u"Size", IntegerTypeInfo, &TKnobFont::Size, &TKnobFont::Size)
            .Default(8));
    return &meta;
}

class TDial : public TComponent {
public:
    explicit TDial(TComponent* AOwner) : TComponent(AOwner) {}
    ~TDial() override { delete FFont; }
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetPosition() const { return FPosition; }
    void SetPosition(int value) { FPosition = value; }
    TDialKind GetKind() const { return FKind; }
    void SetKind(TDialKind value) { FKind = value; }
    TDialKinds GetKinds() const { return FKinds; }
    void SetKinds(TDialKinds value) { FKinds = value; }
    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& value) { FCaption = value; }
    bool IsCaptionStored() const { return FCaption != u"Dial"; }
    double GetRatio() const { return FRatio; }
    void SetRatio(double value) { FRatio = value; }
    TKnobFont* GetFont() const { return FFont; }
    void SetFont(TKnobFont* value) { FFont->Assign(value); }
    int GetMargin(int index) const { return FMargins[index]; }
    void SetMargin(int index, int value) { FMargins[index] = value; }
    int GetVersion() const { return 3; }

    int64_t FBig = 0;
    bool FEnabled = true;
    char16_t FHotKey = u'a';
    TComponent* FBuddy = nullptr;
    TNotifyEvent OnChange;

private:
    int FPosition = 0;
    TDialKind FKind = dkRound;
    TDialKinds FKinds;
    UnicodeString FCaption = u"Dial";
    double FRatio = 0.5;
    TKnobFont* FFont = new TKnobFont;
    int FMargins[2] = {0, 0};
};

TClass TDial::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TDial>(u"TDial", TComponent::StaticClass())
            .Property(u"Position", IntegerTypeInfo, &TDial::GetPosition, &TDial::SetPosition)
            .Default(0)
            .Property(u"Kind", TypeInfo_TDialKind, &TDial::GetKind, &TDial::SetKind)
            .Default(dkRound)
            .Property(u"Kinds", TypeInfo_TDialKinds, &TDial::GetKinds, &TDial::SetKinds)
            .Property(u"Caption", UnicodeStringTypeInfo, &TDial::GetCaption, &TDial::SetCaption)
            .Stored(&TDial::IsCaptionStored)
            .Property(u"Ratio", DoubleTypeInfo, &TDial::GetRatio, &TDial::SetRatio)
            .Property(u"Big", Int64TypeInfo, &TDial::FBig, &TDial::FBig)
            .Property(u"Enabled", BooleanTypeInfo, &TDial::FEnabled, &TDial::FEnabled)
            .Default(true)
            .Property(u"HotKey", WideCharTypeInfo, &TDial::FHotKey, &TDial::FHotKey)
            .Property(u"Font", ClassTypeInfo<TKnobFont>, &TDial::GetFont, &TDial::SetFont)
            .Property(u"Buddy", ClassTypeInfo<TComponent>, &TDial::FBuddy, &TDial::FBuddy)
            .IndexedProperty(u"MarginLeft", IntegerTypeInfo, 0, &TDial::GetMargin,
                             &TDial::SetMargin)
            .IndexedProperty(u"MarginTop", IntegerTypeInfo, 1, &TDial::GetMargin, &TDial::SetMargin)
            .ReadOnlyProperty(u"Version", IntegerTypeInfo, &TDial::GetVersion)
            .Event(u"OnChange", &TDial::OnChange));
    return &meta;
}

// Publishes one more property and gives Position another default.
class TBigDial : public TDial {
public:
    using TDial::TDial;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    int FSize = 10;
};

TClass TBigDial::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TBigDial>(u"TBigDial", TDial::StaticClass())
            .Property(u"Size", IntegerTypeInfo, &TBigDial::FSize, &TBigDial::FSize)
            .Property(u"Position", IntegerTypeInfo, &TDial::GetPosition, &TDial::SetPosition)
            .Default(50));
    return &meta;
}

// Not described: it answers with its ancestor's description.
class TPlainDial : public TDial {
public:
    using TDial::TDial;
};

std::vector<std::string> Names(const std::vector<PPropInfo>& list) {
    std::vector<std::string> names;
    for (PPropInfo prop : list)
        names.push_back(UnicodeToUtf8(prop->Name));
    return names;
}

template <class E> UnicodeString MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.GetMessage();
    }
    return u"(no exception)";
}

} // namespace

TEST(ClassRegistry, FindsRegisteredClassesAndTheirAncestorsByName) {
    RegisterClass(TBigDial::StaticClass());
    EXPECT_EQ(FindClass(u"TBigDial"), TBigDial::StaticClass());
    EXPECT_EQ(FindClass(u"tbigdial"), TBigDial::StaticClass());
    EXPECT_EQ(GetClass(u"TDial"), TDial::StaticClass());
    EXPECT_EQ(GetClass(u"TComponent"), TComponent::StaticClass());
    EXPECT_EQ(GetClass(u"TPersistent"), TPersistent::StaticClass());
    EXPECT_EQ(GetClass(u"TObject"), nullptr);
    RegisterClass(TBigDial::StaticClass()); // again: no harm

    UnRegisterClass(TBigDial::StaticClass());
    EXPECT_EQ(GetClass(u"TBigDial"), nullptr);
    EXPECT_EQ(GetClass(u"TDial"), TDial::StaticClass());
    UnRegisterClasses(
        {TDial::StaticClass(), TComponent::StaticClass(), TPersistent::StaticClass()});
    EXPECT_EQ(GetClass(u"TDial"), nullptr);
}

TEST(ClassRegistry, UnknownNamesAndNameClashesRaise) {
    EXPECT_EQ(GetClass(u"TNothing"), nullptr);
    EXPECT_EQ(MessageOf<EClassNotFound>([] { FindClass(u"TNothing"); }),
              u"Class TNothing not found");

    RegisterClass(TDial::StaticClass());
    TClassDescription impostor;
    impostor.Name = u"TDIAL";
    impostor.Parent = TPersistent::StaticClass();
    TMetaClass other(impostor);
    EXPECT_EQ(MessageOf<EFilerError>([&] { RegisterClass(&other); }),
              u"A class named TDIAL already exists");
    EXPECT_EQ(GetClass(u"TDial"), TDial::StaticClass());
    UnRegisterClass(&other); // not the registered one: nothing happens
    EXPECT_EQ(GetClass(u"TDial"), TDial::StaticClass());
    UnRegisterClasses(
        {TDial::StaticClass(), TComponent::StaticClass(), TPersistent::StaticClass()});
}

TEST(RegisterComponents, HandsTheClassesToTheDesignEnvironmentOrRaises) {
    RegisterComponentsProc = nullptr;
    EXPECT_THROW(RegisterComponents(u"Page", {TComponent::StaticClass()}), EComponentError);
    UnicodeString page;
    std::vector<TClass> classes;
    RegisterComponentsProc = [&](const UnicodeString& Page, const std::vector<TClass>& Classes) {
        page = Page;
        classes = Classes;
    };
    RegisterComponents(u"Tools", {TComponent::StaticClass(), TPersistent::StaticClass()});
    RegisterComponentsProc = nullptr;
    EXPECT_EQ(page, u"Tools");
    EXPECT_EQ(classes,
              (std::vector<TClass>{TComponent::StaticClass(), TPersistent::StaticClass()}));
}

TEST(TMetaClass, DescribesTheChainAndCreatesInstances) {
    TClass big = TBigDial::StaticClass();
    EXPECT_EQ(big->ClassName(), u"TBigDial");
    EXPECT_EQ(big->ClassParent(), TDial::StaticClass());
    EXPECT_EQ(TComponent::StaticClass()->ClassParent(), TPersistent::StaticClass());
    EXPECT_EQ(TPersistent::StaticClass()->ClassParent(), TObject::StaticClass());
    EXPECT_EQ(TObject::StaticClass()->ClassParent(), nullptr);
    EXPECT_TRUE(big->InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TDial::StaticClass()->InheritsFrom(big));

    TComponent owner(nullptr);
    TComponent* made = big->CreateComponent(&owner);
    EXPECT_EQ(made->ClassName(), u"TBigDial");
    EXPECT_EQ(made->GetOwner(), &owner);
    EXPECT_EQ(made->ClassType(), big);

    TPersistent* font = TKnobFont::StaticClass()->CreateInstance();
    EXPECT_EQ(font->ClassType(), TKnobFont::StaticClass());
    delete font;
    EXPECT_FALSE(TCollection::StaticClass()->IsComponentClass());
    EXPECT_THROW(TCollection::StaticClass()->CreateInstance(), EInvalidOperation);
    EXPECT_THROW(TKnobFont::StaticClass()->CreateComponent(nullptr), EInvalidOperation);

    TPlainDial plain(nullptr);
    EXPECT_EQ(plain.ClassType(), TDial::StaticClass());
    EXPECT_EQ(plain.ClassName(), u"TPlainDial");
    TObject object;
    EXPECT_EQ(object.ClassType(), TObject::StaticClass());
    EXPECT_EQ(TKnobFont::StaticClass()->ClassInfo()->Kind, tkClass);
    EXPECT_EQ(TKnobFont::StaticClass()->ClassInfo()->ClassType, TKnobFont::StaticClass());
}

TEST(GetPropInfo, SearchesTheClassChainWithoutRegardToCase) {
    TClass big = TBigDial::StaticClass();
    ASSERT_NE(GetPropInfo(big, u"Size"), nullptr);
    ASSERT_NE(GetPropInfo(big, u"caption"), nullptr);
    EXPECT_EQ(GetPropInfo(big, u"caption")->Name, u"Caption");
    EXPECT_EQ(GetPropInfo(big, u"Name"), GetPropInfo(TComponent::StaticClass(), u"Name"));
    EXPECT_EQ(GetPropInfo(big, u"Nope"), nullptr);
    EXPECT_EQ(GetPropInfo(TDial::StaticClass(), u"Size"), nullptr);
    // The descendant's record wins.
    EXPECT_EQ(GetPropInfo(big, u"Position")->Default, 50);
    EXPECT_EQ(GetPropInfo(TDial::StaticClass(), u"Position")->Default, 0);
    TBigDial dial(nullptr);
    EXPECT_TRUE(IsPublishedProp(&dial, u"SIZE"));
    EXPECT_FALSE(IsPublishedProp(&dial, u"FSize"));
}

TEST(GetPropList, ListsAncestorsFirstInDeclarationOrder) {
    std::vector<PPropInfo> list = GetPropList(TBigDial::StaticClass());
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"Name", "Tag", "Position", "Kind", "Kinds", "Caption",
                                        "Ratio", "Big", "Enabled", "HotKey", "Font", "Buddy",
                                        "MarginLeft", "MarginTop", "Version", "OnChange", "Size"}));
    EXPECT_EQ(list[2]->Default, 50); // republished in place
    TPlainDial plain(nullptr);
    EXPECT_EQ(GetPropList(&plain).size(), 16u);
    EXPECT_TRUE(GetPropList(TObject::StaticClass()).empty());
}

TEST(PropAccess, ReadsAndWritesEachKindThroughTheMembers) {
    TDial dial(nullptr);
    SetOrdProp(&dial, u"Position", 42);
    EXPECT_EQ(dial.GetPosition(), 42);
    EXPECT_EQ(GetOrdProp(&dial, u"position"), 42);

    SetEnumProp(&dial, u"Kind", u"DKFLAT");
    EXPECT_EQ(dial.GetKind(), dkFlat);
    EXPECT_EQ(GetEnumProp(&dial, u"Kind"), u"dkFlat");
    EXPECT_EQ(GetOrdProp(&dial, u"Kind"), 1);

    SetOrdProp(&dial, u"Kinds", TDialKinds{dkRound, dkSlider}.ToInt());
    EXPECT_EQ(dial.GetKinds(), (TDialKinds{dkRound, dkSlider}));
    EXPECT_EQ(GetOrdProp(&dial, u"Kinds"), 5);

    SetStrProp(&dial, u"Caption", u"Volume \u97f3\u91cf");
    EXPECT_EQ(dial.GetCaption(), u"Volume \u97f3\u91cf");
    EXPECT_EQ(GetStrProp(&dial, u"Caption"), u"Volume \u97f3\u91cf");

    SetFloatProp(&dial, u"Ratio", 0.25L);
    EXPECT_EQ(dial.GetRatio(), 0.25);
    EXPECT_EQ(GetFloatProp(&dial, u"Ratio"), 0.25L);

    SetOrdProp(&dial, u"Big", INT64_C(0x123456789A));
    EXPECT_EQ(dial.FBig, INT64_C(0x123456789A));

    SetEnumProp(&dial, u"Enabled", u"False");
    EXPECT_FALSE(dial.FEnabled);
    SetOrdProp(&dial, u"HotKey", u'\u00e9');
    EXPECT_EQ(dial.FHotKey, u'\u00e9');

    SetOrdProp(&dial, u"MarginTop", 7);
    EXPECT_EQ(dial.GetMargin(1), 7);
    EXPECT_EQ(dial.GetMargin(0), 0);
    EXPECT_EQ(GetPropInfo(&dial, u"MarginTop")->Index, 1);
    EXPECT_EQ(GetOrdProp(&dial, u"Version"), 3);

    SetStrProp(&dial, u"Name", u"Dial1");
    EXPECT_EQ(dial.GetName(), u"Dial1");
    // The property goes through the setter, with its checks.
    EXPECT_THROW(SetStrProp(&dial, u"Name", u"1x"), EComponentError);
}

TEST(PropAccess, ObjectPropertiesCheckTheClassOfTheValue) {
    TDial dial(nullptr);
    EXPECT_EQ(GetObjectProp(&dial, u"Font"), dial.GetFont());
    TKnobFont big;
    big.Size = 20;
    SetObjectProp(&dial, u"Font", &big);
    EXPECT_EQ(dial.GetFont()->Size, 20); // the setter assigns
    EXPECT_EQ(GetOrdProp(dial.GetFont(), u"Size"), 20);

    TComponent buddy(nullptr);
    SetObjectProp(&dial, u"Buddy", &buddy);
    EXPECT_EQ(dial.FBuddy, &buddy);
    SetObjectProp(&dial, u"Buddy", nullptr);
    EXPECT_EQ(dial.FBuddy, nullptr);

    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetObjectProp(&dial, u"Font", &buddy); }),
              u"Invalid property value");
    EXPECT_EQ(GetPropInfo(&dial, u"Font")->PropType()->ClassType, TKnobFont::StaticClass());
}

TEST(PropAccess, MisuseRaisesPropertyErrors) {
    TDial dial(nullptr);
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetOrdProp(&dial, u"Nope"); }),
              u"Property Nope does not exist");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetStrProp(&dial, u"Position"); }),
              u"Invalid property type: Integer");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetOrdProp(&dial, u"Caption", 1); }),
              u"Invalid property type: UnicodeString");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetOrdProp(&dial, u"Version", 4); }),
              u"Property Version is read-only");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetEnumProp(&dial, u"Kind", u"dkCube"); }),
              u"Invalid property element: dkCube");
    EXPECT_EQ(dial.GetKind(), dkRound);

    // A record of one class used on an object of another.
    TKnobFont font;
    EXPECT_THROW(GetOrdProp(&font, GetPropInfo(&dial, u"Position")), EInvalidCast);
    EXPECT_EQ(GetPropInfo(static_cast<TObject*>(nullptr), u"Position"), nullptr);
}

TEST(PropAccess, EventsCarryTheirHandler) {
    TDial dial(nullptr);
    PPropInfo onChange = GetPropInfo(&dial, u"OnChange");
    ASSERT_NE(onChange, nullptr);
    EXPECT_EQ(onChange->PropType()->Kind, tkMethod);
    EXPECT_FALSE(GetMethodProp(&dial, onChange).Handler.has_value());

    TObject* sender = nullptr;
    SetMethodProp(&dial, onChange, {TNotifyEvent([&](TObject* s) { sender = s; })});
    ASSERT_TRUE(dial.OnChange);
    dial.OnChange(&dial);
    EXPECT_EQ(sender, &dial);

    // The handler read back is the same callable.
    TMethodValue read = GetMethodProp(&dial, onChange);
    sender = nullptr;
    std::any_cast<TNotifyEvent>(read.Handler)(nullptr);
    EXPECT_EQ(sender, nullptr);
    (*std::any_cast<TNotifyEvent>(&read.Handler))(&dial);
    EXPECT_EQ(sender, &dial);

    EXPECT_THROW(SetMethodProp(&dial, onChange, {std::function<int()>()}), EPropertyError);
    SetMethodProp(&dial, onChange, {});
    EXPECT_FALSE(dial.OnChange);
}

TEST(PropAccess, DefaultsAndStoredFlagsDescribeWhatAWriterSkips) {
    TDial dial(nullptr);
    PPropInfo caption = GetPropInfo(&dial, u"Caption");
    EXPECT_FALSE(IsStoredProp(&dial, caption));
    dial.SetCaption(u"Gain");
    EXPECT_TRUE(IsStoredProp(&dial, caption));
    EXPECT_FALSE(IsStoredProp(&dial, GetPropInfo(&dial, u"Name")));
    EXPECT_TRUE(IsStoredProp(&dial, GetPropInfo(&dial, u"Position")));
    EXPECT_EQ(GetPropInfo(&dial, u"Tag")->Default, 0);
    EXPECT_EQ(GetPropInfo(&dial, u"Enabled")->Default, 1);
    EXPECT_FALSE(GetPropInfo(&dial, u"Caption")->Default.has_value());
    EXPECT_TRUE(GetPropInfo(&dial, u"Version")->IsReadOnly());
}

TEST(PropAccess, GenericValuesCopyEveryWritableProperty) {
    // What a streaming round trip does: read each property as a value, write
    // it to a fresh object of the same class.
    TComponent owner(nullptr);
    TDial source(nullptr);
    source.SetPosition(9);
    source.SetKind(dkSlider);
    source.SetKinds({dkFlat});
    source.SetCaption(u"Copy me");
    source.SetRatio(1.5);
    source.FBig = -5;
    source.FHotKey = u'Z';
    source.FBuddy = &owner;
    source.GetFont()->Size = 14;
    source.SetMargin(0, 3);
    source.SetTag(77);

    TDial target(nullptr);
    for (PPropInfo prop : GetPropList(&source))
        if (!prop->IsReadOnly()) SetPropValue(&target, prop, GetPropValue(&source, prop));
    EXPECT_EQ(target.GetPosition(), 9);
    EXPECT_EQ(target.GetKind(), dkSlider);
    EXPECT_EQ(target.GetKinds(), TDialKinds{dkFlat});
    EXPECT_EQ(target.GetCaption(), u"Copy me");
    EXPECT_EQ(target.GetRatio(), 1.5);
    EXPECT_EQ(target.FBig, -5);
    EXPECT_EQ(target.FHotKey, u'Z');
    EXPECT_EQ(target.FBuddy, &owner);
    EXPECT_EQ(target.GetFont()->Size, 14);
    EXPECT_NE(target.GetFont(), source.GetFont());
    EXPECT_EQ(target.GetMargin(0), 3);
    EXPECT_EQ(target.GetTag(), 77);
}

struct EnumCase {
    int64_t value;
    const char16_t* name;
};

TEST(EnumNames, MapBetweenValuesAndNames) {
    const EnumCase cases[] = {{0, u"dkRound"}, {1, u"dkFlat"}, {2, u"dkSlider"}};
    for (const auto& c : cases) {
        EXPECT_EQ(GetEnumName(TypeInfo_TDialKind(), c.value), c.name);
        EXPECT_EQ(GetEnumValue(TypeInfo_TDialKind(), c.name), c.value);
    }
    EXPECT_EQ(GetEnumName(TypeInfo_TDialKind(), 3), u"");
    EXPECT_EQ(GetEnumName(TypeInfo_TDialKind(), -1), u"");
    EXPECT_EQ(GetEnumValue(TypeInfo_TDialKind(), u"DKFLAT"), 1);
    EXPECT_EQ(GetEnumValue(TypeInfo_TDialKind(), u"dkCube"), -1);
    EXPECT_EQ(GetEnumName(BooleanTypeInfo(), 1), u"True");
    EXPECT_EQ(GetEnumValue(BooleanTypeInfo(), u"false"), 0);
    EXPECT_EQ(GetEnumValue(IntegerTypeInfo(), u"dkFlat"), -1);
    EXPECT_EQ(TypeInfo_TDialKinds()->CompType, TypeInfo_TDialKind());
}
