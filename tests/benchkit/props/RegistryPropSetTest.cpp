// The registry store against the layer's real registry: round trips through
// the hive file, value types, subkeys, stored values that are missing, of
// the wrong type or out of range, and two threads on a thread-safe set.
#include "PropTestSupport.h"

#include <runpak/DateTime.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include "CaseName.h"
#include <atomic>
#include <memory>
#include <thread>

namespace {

const UnicodeString kKey = u"Software\\BenchkitTest\\Options";

// A registry set with one field of every stored type.
struct TOptions {
    explicit TOptions(const UnicodeString& keyPath = kKey) : set(new TRegistryPropSet(nullptr)) {
        set->SetKeyPath(keyPath);
        name = Add<TStringPropField>(u"Name");
        name->SetDefaultValue(u"unnamed");
        width = Add<TIntegerPropField>(u"Width");
        width->SetDefaultValue(640);
        on = Add<TBooleanPropField>(u"On");
        mode = Add<TEnumPropField>(u"Mode");
        mode->GetValueNames()->AddValue(u"Fast", 1);
        mode->GetValueNames()->AddValue(u"Safe", 2);
        mode->SetDefaultValue(2);
        ratio = Add<TFloatPropField>(u"Ratio");
        ratio->SetDefaultValue(2.5);
        since = Add<TDatePropField>(u"Since");
        since->SetDefaultValue(EncodeDate(2020, 5, 17));
        at = Add<TTimePropField>(u"At");
        at->SetDefaultValue(EncodeTime(6, 30, 0, 0));
        stamp = Add<TDateTimePropField>(u"Stamp");
        stamp->SetDefaultValue(EncodeDateTime(2021, 1, 2, 3, 4, 5, 0));
        color = Add<TColorPropField>(u"Color");
        color->SetDefaultValue(0x00FF00);
    }
    template <class F> F* Add(const UnicodeString& fieldName) {
        auto* field = new F(set.get());
        field->SetFieldName(fieldName);
        field->SetPropSet(set.get());
        return field;
    }

    std::unique_ptr<TRegistryPropSet> set;
    TStringPropField* name;
    TIntegerPropField* width;
    TBooleanPropField* on;
    TEnumPropField* mode;
    TFloatPropField* ratio;
    TDatePropField* since;
    TTimePropField* at;
    TDateTimePropField* stamp;
    TColorPropField* color;
};

class RegistryPropSetTest : public FixedLocale {
protected:
    void SetUp() override {
        FixedLocale::SetUp();
        TestSeams::ResetRegistry();
    }
    // Reads the key as another program would.
    std::unique_ptr<TRegistry> OpenStored(const UnicodeString& path = kKey) {
        auto reg = std::make_unique<TRegistry>();
        EXPECT_TRUE(reg->OpenKey(u"\\" + path, true));
        return reg;
    }
    // The hives to their files and back, as a new process would see them.
    void Restart() {
        ASSERT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
        TestSeams::ReloadRegistry();
    }
};

TEST_F(RegistryPropSetTest, ValuesSurviveASaveAndARestart) {
    {
        TOptions o;
        o.name->SetValue(u"bench");
        o.width->SetEditText(u"1024");
        o.on->SetValue(true);
        o.mode->SetValueName(u"Fast");
        o.ratio->SetValue(0.125);
        o.since->SetEditText(u"2024-02-29");
        o.at->SetEditText(u"23:59:58");
        o.stamp->SetEditText(u"2024-03-01 12:00:01");
        o.color->SetEditText(u"clNavy");
        o.set->SavePropValues();
    }
    Restart();
    TOptions o;
    o.set->LoadPropValues();
    EXPECT_EQ(VarToStr(o.name->GetValue()), u"bench");
    EXPECT_EQ(o.width->GetValue().AsInteger(), 1024);
    EXPECT_EQ(o.on->GetValue().VarType(), varBoolean);
    EXPECT_TRUE(o.on->GetValue().AsBoolean());
    EXPECT_EQ(o.mode->GetValue().AsInteger(), 1);
    EXPECT_EQ(o.ratio->GetValue().AsDouble(), 0.125);
    EXPECT_EQ(o.since->GetEditText(), u"2024-02-29");
    EXPECT_EQ(o.at->GetEditText(), u"23:59:58");
    EXPECT_EQ(o.stamp->GetEditText(), u"2024-03-01 12:00:01");
    EXPECT_EQ(VarToStr(o.color->GetValue()), u"clNavy");
}

TEST_F(RegistryPropSetTest, EachTypeIsStoredWithItsRegistryType) {
    TOptions o;
    o.on->SetValue(true);
    o.mode->SetValue(2);
    o.set->SavePropValues();
    auto reg = OpenStored();
    EXPECT_EQ(reg->GetDataType(u"Name"), rdString);
    EXPECT_EQ(reg->GetDataType(u"Width"), rdInteger);
    EXPECT_EQ(reg->ReadString(u"On"), u"True");
    EXPECT_EQ(reg->ReadString(u"Mode"), u"Safe");
    EXPECT_EQ(reg->GetDataType(u"Ratio"), rdBinary);
    EXPECT_EQ(reg->GetDataSize(u"Ratio"), 8);
    EXPECT_EQ(reg->GetDataSize(u"Since"), 8);
    EXPECT_EQ(reg->ReadString(u"Color"), u"clLime");
    // An enum value without a name is kept as its number and read back so.
    o.mode->SetStrictValues(false);
    o.mode->SetValue(7);
    o.set->SavePropValues();
    EXPECT_EQ(reg->ReadString(u"Mode"), u"7");
    o.set->LoadPropValues();
    EXPECT_EQ(o.mode->GetValue().VarType(), varInteger);
    EXPECT_EQ(o.mode->GetValue().AsInteger(), 7);
}

TEST_F(RegistryPropSetTest, AKeyWithoutValuesLoadsDefaultsAndSaveWritesThemAll) {
    TOptions o;
    o.set->LoadPropValues();
    EXPECT_EQ(VarToStr(o.name->GetValue()), u"unnamed");
    EXPECT_EQ(o.width->GetValue().AsInteger(), 640);
    EXPECT_FALSE(o.on->GetValue().AsBoolean());
    EXPECT_EQ(o.mode->GetDisplayText(), u"Safe");
    EXPECT_EQ(o.ratio->GetValue().AsDouble(), 2.5);
    o.set->SavePropValues();
    auto reg = OpenStored();
    EXPECT_EQ(reg->ReadString(u"Name"), u"unnamed");
    EXPECT_EQ(reg->ReadInteger(u"Width"), 640);
    EXPECT_EQ(reg->ReadString(u"On"), u"False");
    EXPECT_EQ(reg->ReadString(u"Mode"), u"Safe");
    EXPECT_EQ(reg->ReadFloat(u"Ratio"), 2.5);
    EXPECT_EQ(reg->ReadDate(u"Since"), EncodeDate(2020, 5, 17));
}

// Saving fields that were never loaded nor set writes their defaults, floats
// and dates included (not 0, which would turn a default into 1899-12-30).
TEST_F(RegistryPropSetTest, SavingNeverLoadedFloatAndDateFieldsWritesTheirDefaults) {
    TOptions o;
    o.set->SavePropValues();
    auto reg = OpenStored();
    EXPECT_EQ(reg->ReadFloat(u"Ratio"), 2.5);
    EXPECT_EQ(reg->ReadDate(u"Since").Val(), EncodeDate(2020, 5, 17).Val());
    EXPECT_NEAR(reg->ReadTime(u"At").Val(), EncodeTime(6, 30, 0, 0).Val(), 1e-9);
    EXPECT_NEAR(reg->ReadDateTime(u"Stamp").Val(), EncodeDateTime(2021, 1, 2, 3, 4, 5, 0).Val(),
                1e-9);
    EXPECT_EQ(reg->ReadInteger(u"Width"), 640);
}

struct StoredBooleanCase {
    const char16_t* stored;
    bool expected;
};

void PrintTo(const StoredBooleanCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.stored);
}

class StoredBooleanTest : public RegistryPropSetTest,
                          public testing::WithParamInterface<StoredBooleanCase> {};

TEST_P(StoredBooleanTest, AnyNameOrNumberReadsAsABoolean) {
    OpenStored()->WriteString(u"On", GetParam().stored);
    TOptions o;
    o.set->LoadPropValues();
    EXPECT_EQ(o.on->GetValue().VarType(), varBoolean);
    EXPECT_EQ(o.on->GetValue().AsBoolean(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredBooleanTest,
                         testing::Values(StoredBooleanCase{u"True", true},
                                         StoredBooleanCase{u"Yes", true},
                                         StoredBooleanCase{u"no", false},
                                         StoredBooleanCase{u"0", false},
                                         StoredBooleanCase{u"2", true},
                                         // Neither a name nor a number: the default.
                                         StoredBooleanCase{u"maybe", false}),
                         CaseName());

// A value of another registry type is a clear error out of the load; the
// store keeps the values it had, and the registry is left as it was.
struct WrongTypeCase {
    const char* name;
    std::function<void(TRegistry&)> store;
};

class WrongTypeTest : public RegistryPropSetTest,
                      public testing::WithParamInterface<WrongTypeCase> {};

TEST_P(WrongTypeTest, FailsTheLoadWithARegistryErrorAndLosesNothing) {
    {
        TOptions o;
        o.name->SetValue(u"kept");
        o.set->SavePropValues();
    }
    GetParam().store(*OpenStored());
    TOptions o;
    o.color->SetValue(u"clRed"); // after every stored field: must survive
    EXPECT_THROW(o.set->LoadPropValues(), ERegistryException);
    EXPECT_EQ(VarToStr(o.color->GetValue()), u"clRed");
    EXPECT_EQ(o.set->GetKeyIndex(), -1);
    EXPECT_EQ(OpenStored()->ReadString(u"Color"), u"clLime");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrongTypeTest,
    testing::Values(
        WrongTypeCase{"IntegerAsText", [](TRegistry& r) { r.WriteString(u"Width", u"800"); }},
        WrongTypeCase{"FloatAsInteger", [](TRegistry& r) { r.WriteInteger(u"Ratio", 3); }},
        WrongTypeCase{"FloatOfFourBytes",
                      [](TRegistry& r) {
                          int32_t four = 1;
                          r.WriteBinaryData(u"Ratio", &four, 4);
                      }},
        WrongTypeCase{"DateAsText", [](TRegistry& r) { r.WriteString(u"Since", u"2020-01-01"); }},
        WrongTypeCase{"StringAsInteger", [](TRegistry& r) { r.WriteInteger(u"Name", 5); }}),
    [](const testing::TestParamInfo<WrongTypeCase>& info) { return std::string(info.param.name); });

TEST_F(RegistryPropSetTest, StoredValuesTheFieldRefusesReadAsTheDefault) {
    {
        auto reg = OpenStored();
        reg->WriteInteger(u"Width", 99999);
        reg->WriteString(u"Mode", u"9");
        reg->WriteFloat(u"Ratio", -4);
        reg->WriteString(u"Name", u"fine");
    }
    TOptions o;
    o.width->SetMaxValue(4096);
    o.ratio->SetMinValue(0.5);
    o.ratio->SetMaxValue(8);
    o.set->LoadPropValues();
    EXPECT_EQ(o.width->GetValue().AsInteger(), 640);
    EXPECT_EQ(o.mode->GetValue().AsInteger(), 2);
    EXPECT_EQ(o.ratio->GetValue().AsDouble(), 2.5);
    EXPECT_EQ(VarToStr(o.name->GetValue()), u"fine");
    // Saving puts the defaults in place of the refused values.
    o.set->SavePropValues();
    EXPECT_EQ(OpenStored()->ReadInteger(u"Width"), 640);
}

TEST_F(RegistryPropSetTest, SubkeysKeepTheirOwnValuesAndSwitchWithoutTheRegistry) {
    OpenStored(kKey + u"\\A")->WriteInteger(u"Width", 1);
    OpenStored(kKey + u"\\B")->WriteInteger(u"Width", 2);
    TOptions o;
    TStringList subKeys;
    subKeys.Add(u"A");
    subKeys.Add(u"\\B");
    o.set->SetSubKeys(&subKeys);
    o.set->SetKeyIndex(1);
    o.set->LoadPropValues();
    EXPECT_EQ(o.set->GetKeyIndex(), 1);
    EXPECT_EQ(o.set->GetCurrentPath(), kKey + u"\\B");
    EXPECT_EQ(o.width->GetValue().AsInteger(), 2);
    TestSeams::ResetRegistry(); // the cache alone answers from here on
    o.set->SetKeyIndex(0);
    EXPECT_EQ(o.width->GetValue().AsInteger(), 1);
    o.width->SetValue(10);
    o.set->SetKeyIndex(1);
    EXPECT_EQ(o.width->GetValue().AsInteger(), 2);
    o.set->SavePropValues();
    EXPECT_EQ(OpenStored(kKey + u"\\A")->ReadInteger(u"Width"), 10);
    EXPECT_EQ(OpenStored(kKey + u"\\B")->ReadInteger(u"Width"), 2);
    EXPECT_EQ(o.set->GetRegistry()->GetCurrentPath(), kKey + u"\\B");
    o.set->SetKeyIndex(5);
    EXPECT_THROW(o.set->GetCurrentPath(), Exception);
}

TEST_F(RegistryPropSetTest, AKeyThatCannotBeCreatedFailsAndRestoresTheIndex) {
    // Below a volatile key, a lasting key cannot be made.
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    TOptions o;
    TStringList subKeys;
    subKeys.Add(u"A");
    o.set->SetSubKeys(&subKeys);
    try {
        o.set->LoadPropValues();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Unable to open Key: " + kKey + u"\\A");
    }
    EXPECT_EQ(o.set->GetKeyIndex(), -1);
    EXPECT_THROW(o.set->OpenKeyIndex(0), Exception);
}

TEST_F(RegistryPropSetTest, LoadAnnouncesARecordChangeAndKeyPathChangesRefresh) {
    TOptions o;
    std::vector<THeard> log;
    TRecordingLink link(1, &log);
    link.SetPropSet(o.set.get());
    log.clear();
    o.set->LoadPropValues();
    EXPECT_EQ(log, (std::vector<THeard>{{1, peRecordChange, nullptr}}));
    log.clear();
    o.set->SetKeyPath(kKey.substr(0, 8) + u"\\benchkittest\\options"); // same, ignoring case
    EXPECT_TRUE(log.empty());
    o.set->SetKeyPath(u"Software\\Other");
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(RegistryPropSetTest, RootKeysMapBothWays) {
    TRegistryPropSet set(nullptr);
    EXPECT_EQ(set.GetRootKey(), hkCurrentUser);
    set.SetRootKey(hkLocalMachine);
    EXPECT_EQ(set.GetRegistry()->GetRootKey(), HKEY_LOCAL_MACHINE);
    set.GetRegistry()->OpenKey(u"\\Software", true);
    set.SetRootKey(hkCustom); // only closes the open key
    EXPECT_EQ(set.GetRegistry()->GetCurrentKey(), nullptr);
    EXPECT_EQ(set.GetRootKey(), hkLocalMachine);
    EXPECT_EQ(HKEYToRootKey(nullptr), hkNone);
    EXPECT_EQ(HKEYToRootKey(HKEY_USERS), hkUsers);
    EXPECT_EQ(HKEYToRootKey(reinterpret_cast<HKEY>(0x1234)), hkCustom);
    EXPECT_EQ(RootKeyToHKEY(hkDynData), HKEY_DYN_DATA);
}

// Two threads write and read their own fields while one of them also saves:
// every read gives what that thread wrote last, and the saved key holds the
// final values.
TEST_F(RegistryPropSetTest, TwoThreadsShareAThreadSafeSet) {
    TOptions o;
    o.set->SetThreadSafe(true);
    TIntegerPropField* a = o.width;
    auto* b = o.Add<TIntegerPropField>(u"Height");
    constexpr int kRounds = 2000;
    std::atomic<int> mismatches{0};
    auto hammer = [&](TIntegerPropField* field, bool saves) {
        for (int i = 1; i <= kRounds; ++i) {
            field->SetValue(i);
            if (field->GetValue().AsInteger() != i) ++mismatches;
            if (saves && i % 100 == 0) o.set->SavePropValues();
        }
    };
    std::thread first(hammer, a, false);
    std::thread second(hammer, b, true);
    first.join();
    second.join();
    EXPECT_EQ(mismatches.load(), 0);
    o.set->SavePropValues();
    auto reg = OpenStored();
    EXPECT_EQ(reg->ReadInteger(u"Width"), kRounds);
    EXPECT_EQ(reg->ReadInteger(u"Height"), kRounds);
}

} // namespace
