// TRegistry and TRegIniFile against the layer's registry.
#include <runpak/Exceptions.h>
#include <runpak/Registry.h>
#include <runpak/StringList.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { TestSeams::ResetRegistry(); }

    // Opens (creating) Software\RunpakTest in HKCU.
    void OpenTestKey() { ASSERT_TRUE(reg.OpenKey(u"\\Software\\RunpakTest", true)); }

    static std::vector<UnicodeString> Items(TStrings& strings) {
        std::vector<UnicodeString> items;
        for (int i = 0; i < strings.GetCount(); ++i)
            items.push_back(strings.GetStrings(i));
        return items;
    }

    TRegistry reg;
};

TEST_F(RegistryTest, DefaultsAreCurrentUserAndFullAccess) {
    EXPECT_EQ(reg.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(reg.GetAccess(), unsigned(KEY_ALL_ACCESS));
    EXPECT_TRUE(reg.GetLazyWrite());
    EXPECT_EQ(reg.GetCurrentKey(), nullptr);
}

TEST_F(RegistryTest, TypedValuesRoundTripWithTheirTypes) {
    OpenTestKey();
    const uint8_t bytes[] = {1, 2, 0, 255};
    reg.WriteString(u"Name", u"Ünïcode text");
    reg.WriteExpandString(u"Path", u"%HOME%\\x");
    reg.WriteInteger(u"Count", -7);
    reg.WriteBool(u"Flag", true);
    reg.WriteFloat(u"Ratio", 0.1);
    reg.WriteDateTime(u"When", TDateTime(45000.75));
    reg.WriteCurrency(u"Price", 12.3456);
    reg.WriteBinaryData(u"Blob", bytes, sizeof bytes);

    EXPECT_EQ(reg.ReadString(u"Name"), u"Ünïcode text");
    EXPECT_EQ(reg.ReadString(u"Path"), u"%HOME%\\x");
    EXPECT_EQ(reg.ReadInteger(u"Count"), -7);
    EXPECT_TRUE(reg.ReadBool(u"Flag"));
    EXPECT_EQ(reg.ReadFloat(u"Ratio"), 0.1);
    EXPECT_EQ(reg.ReadDateTime(u"When").Val(), 45000.75);
    EXPECT_EQ(reg.ReadCurrency(u"Price"), 12.3456);
    uint8_t back[8] = {};
    EXPECT_EQ(reg.ReadBinaryData(u"Blob", back, sizeof back), 4);
    EXPECT_EQ(std::memcmp(back, bytes, sizeof bytes), 0);

    EXPECT_EQ(reg.GetDataType(u"Name"), rdString);
    EXPECT_EQ(reg.GetDataType(u"Path"), rdExpandString);
    EXPECT_EQ(reg.GetDataType(u"Count"), rdInteger);
    EXPECT_EQ(reg.GetDataType(u"Ratio"), rdBinary);
    EXPECT_EQ(reg.GetDataType(u"Missing"), rdUnknown);
    EXPECT_EQ(reg.GetDataSize(u"Ratio"), 8);
    EXPECT_EQ(reg.GetDataSize(u"Count"), 4);
    EXPECT_EQ(reg.GetDataSize(u"Missing"), -1);
}

TEST_F(RegistryTest, ValuesAreStoredInTheWindowsLayout) {
    OpenTestKey();
    reg.WriteString(u"Text", u"ab");
    reg.WriteInteger(u"Number", 0x01020304);
    DWORD type = 0;
    BYTE data[16] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(reg.GetCurrentKey(), u"Text", nullptr, &type, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 6u); // two characters and the null
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(reg.GetCurrentKey(), u"Number", nullptr, &type, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(data[0], 4);
}

struct WrongTypeCase {
    const char* what;
    std::function<void(TRegistry&)> write;
    std::function<void(TRegistry&)> read;
};

class RegistryWrongTypeTest : public RegistryTest,
                              public testing::WithParamInterface<WrongTypeCase> {};

TEST_P(RegistryWrongTypeTest, ReadingAnotherTypeRaises) {
    OpenTestKey();
    GetParam().write(reg);
    try {
        GetParam().read(reg);
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.GetMessage(), u"Invalid data type for 'V'");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistryWrongTypeTest,
    testing::Values(WrongTypeCase{"int as string", [](TRegistry& r) { r.WriteInteger(u"V", 1); },
                                  [](TRegistry& r) { r.ReadString(u"V"); }},
                    WrongTypeCase{"string as int", [](TRegistry& r) { r.WriteString(u"V", u"12"); },
                                  [](TRegistry& r) { r.ReadInteger(u"V"); }},
                    WrongTypeCase{"int as float", [](TRegistry& r) { r.WriteInteger(u"V", 1); },
                                  [](TRegistry& r) { r.ReadFloat(u"V"); }},
                    WrongTypeCase{"short binary as float",
                                  [](TRegistry& r) {
                                      int v = 1;
                                      r.WriteBinaryData(u"V", &v, sizeof v);
                                  },
                                  [](TRegistry& r) { r.ReadDateTime(u"V"); }},
                    WrongTypeCase{"string as binary",
                                  [](TRegistry& r) { r.WriteString(u"V", u"x"); },
                                  [](TRegistry& r) {
                                      char buffer[16];
                                      r.ReadBinaryData(u"V", buffer, sizeof buffer);
                                  }},
                    WrongTypeCase{"binary larger than the buffer",
                                  [](TRegistry& r) {
                                      char data[16] = {};
                                      r.WriteBinaryData(u"V", data, sizeof data);
                                  },
                                  [](TRegistry& r) {
                                      char buffer[4];
                                      r.ReadBinaryData(u"V", buffer, sizeof buffer);
                                  }}),
    [](const testing::TestParamInfo<WrongTypeCase>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST_F(RegistryTest, MissingValuesReadAsEmptyOrRaise) {
    OpenTestKey();
    EXPECT_EQ(reg.ReadString(u"Missing"), u"");
    char buffer[4];
    EXPECT_EQ(reg.ReadBinaryData(u"Missing", buffer, sizeof buffer), 0);
    try {
        reg.ReadInteger(u"Missing");
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.GetMessage(), u"Failed to get data for 'Missing'");
    }
    EXPECT_FALSE(reg.ValueExists(u"Missing"));
}

TEST_F(RegistryTest, OpenKeyIsRelativeToTheCurrentKeyUnlessItStartsWithABackslash) {
    ASSERT_TRUE(reg.OpenKey(u"Software\\A", true));
    EXPECT_EQ(reg.GetCurrentPath(), u"Software\\A");
    ASSERT_TRUE(reg.OpenKey(u"B\\C", true));
    EXPECT_EQ(reg.GetCurrentPath(), u"Software\\A\\B\\C");
    reg.WriteInteger(u"Deep", 3);
    ASSERT_TRUE(reg.OpenKey(u"\\Software\\A", false));
    EXPECT_EQ(reg.GetCurrentPath(), u"Software\\A");
    EXPECT_TRUE(reg.KeyExists(u"B\\C"));
    EXPECT_TRUE(reg.KeyExists(u"\\Software\\A\\B"));
    EXPECT_FALSE(reg.KeyExists(u"C"));
    ASSERT_TRUE(reg.OpenKey(u"B\\C", false));
    EXPECT_EQ(reg.ReadInteger(u"Deep"), 3);
}

TEST_F(RegistryTest, OpeningAMissingKeyFailsAndKeepsTheCurrentKey) {
    OpenTestKey();
    HKEY before = reg.GetCurrentKey();
    EXPECT_FALSE(reg.OpenKey(u"NoSuchKey", false));
    EXPECT_EQ(reg.GetCurrentKey(), before);
    EXPECT_EQ(reg.GetCurrentPath(), u"Software\\RunpakTest");
    EXPECT_FALSE(reg.OpenKeyReadOnly(u"\\Software\\Nothing"));
}

TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites) {
    OpenTestKey();
    reg.WriteString(u"Kept", u"yes");
    ASSERT_TRUE(reg.OpenKeyReadOnly(u"\\Software\\RunpakTest"));
    EXPECT_EQ(reg.ReadString(u"Kept"), u"yes");
    EXPECT_EQ(reg.GetAccess(), unsigned(KEY_ALL_ACCESS));
    try {
        reg.WriteString(u"Kept", u"no");
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.GetMessage(), u"Failed to set data for 'Kept'");
    }
    EXPECT_FALSE(reg.DeleteValue(u"Kept"));
    EXPECT_EQ(reg.ReadString(u"Kept"), u"yes");
}

TEST_F(RegistryTest, ListsKeyAndValueNames) {
    OpenTestKey();
    reg.CreateKey(u"Child1");
    reg.CreateKey(u"Child2");
    reg.WriteInteger(u"One", 1);
    reg.WriteString(u"Two", u"2");
    TStringList names;
    names.Add(u"stale");
    reg.GetKeyNames(&names);
    EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"Child1", u"Child2"}));
    reg.GetValueNames(&names);
    EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"One", u"Two"}));
    TRegKeyInfo info;
    ASSERT_TRUE(reg.GetKeyInfo(info));
    EXPECT_EQ(info.NumSubKeys, 2);
    EXPECT_EQ(info.NumValues, 2);
    EXPECT_TRUE(reg.HasSubKeys());
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTree) {
    OpenTestKey();
    ASSERT_TRUE(reg.OpenKey(u"Tree\\Branch\\Leaf", true));
    reg.WriteInteger(u"X", 1);
    ASSERT_TRUE(reg.OpenKey(u"\\Software\\RunpakTest", false));
    EXPECT_TRUE(reg.DeleteKey(u"Tree"));
    EXPECT_FALSE(reg.KeyExists(u"Tree"));
    EXPECT_FALSE(reg.DeleteKey(u"Tree"));
}

TEST_F(RegistryTest, RenameValueAndMoveKey) {
    OpenTestKey();
    reg.WriteString(u"Old", u"v");
    reg.WriteString(u"Taken", u"t");
    reg.RenameValue(u"Old", u"New");
    EXPECT_FALSE(reg.ValueExists(u"Old"));
    EXPECT_EQ(reg.ReadString(u"New"), u"v");
    reg.RenameValue(u"New", u"Taken"); // the target exists: nothing happens
    EXPECT_EQ(reg.ReadString(u"New"), u"v");
    EXPECT_EQ(reg.ReadString(u"Taken"), u"t");

    ASSERT_TRUE(reg.OpenKey(u"From\\Sub", true));
    reg.WriteInteger(u"N", 5);
    ASSERT_TRUE(reg.OpenKey(u"\\Software\\RunpakTest", false));
    reg.MoveKey(u"From", u"To", true);
    EXPECT_FALSE(reg.KeyExists(u"From"));
    ASSERT_TRUE(reg.OpenKey(u"To\\Sub", false));
    EXPECT_EQ(reg.ReadInteger(u"N"), 5);
}

TEST_F(RegistryTest, LocalMachineIsWritableWithTheDefaultAccess) {
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(u"Software\\RunpakTest", true));
    reg.WriteString(u"Machine", u"m");
    EXPECT_EQ(reg.ReadString(u"Machine"), u"m");
    reg.SetRootKey(HKEY_CURRENT_USER); // changing the root closes the key
    EXPECT_EQ(reg.GetCurrentKey(), nullptr);
    EXPECT_FALSE(reg.KeyExists(u"Software\\RunpakTest"));
}

TEST_F(RegistryTest, ValuesWrittenWithoutLazyWriteSurviveARestart) {
    reg.SetLazyWrite(false);
    OpenTestKey();
    reg.WriteInteger(u"Persisted", 99);
    reg.CloseKey();
    TestSeams::ReloadRegistry();
    TRegistry again;
    ASSERT_TRUE(again.OpenKeyReadOnly(u"Software\\RunpakTest"));
    EXPECT_EQ(again.ReadInteger(u"Persisted"), 99);
}

TEST_F(RegistryTest, RegIniFileKeepsSectionsAsSubkeys) {
    {
        TRegIniFile ini(u"Software\\RunpakIni");
        ini.WriteString(u"Window", u"Caption", u"Main");
        ini.WriteInteger(u"Window", u"Left", 120);
        ini.WriteBool(u"Options", u"Sound", true);
    }
    TRegIniFile ini(u"Software\\RunpakIni");
    EXPECT_EQ(ini.ReadString(u"Window", u"Caption", u"?"), u"Main");
    EXPECT_EQ(ini.ReadInteger(u"Window", u"Left", 0), 120);
    EXPECT_EQ(ini.ReadInteger(u"Window", u"Top", -1), -1);
    EXPECT_TRUE(ini.ReadBool(u"Options", u"Sound", false));
    EXPECT_EQ(ini.ReadString(u"Nowhere", u"Caption", u"dflt"), u"dflt");

    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"Window", u"Options"}));
    ini.ReadSectionValues(u"Window", &list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"Caption=Main", u"Left=120"}));
    ini.DeleteKey(u"Window", u"Left");
    ini.ReadSection(u"Window", &list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"Caption"}));
    ini.EraseSection(u"Window");
    ini.ReadSections(&list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"Options"}));

    TRegistry raw;
    ASSERT_TRUE(raw.OpenKey(u"Software\\RunpakIni\\Options", false));
    EXPECT_EQ(raw.ReadString(u"Sound"), u"1");
}

TEST_F(RegistryTest, RegistryIniFileStoresTypedValuesInSectionKeys) {
    {
        TRegistryIniFile ini(u"Software\\RunpakHistory");
        ini.WriteInteger(u"Recent", u"Count", 3);
        ini.WriteFloat(u"Recent", u"Zoom", 1.25);
        ini.WriteDateTime(u"Recent", u"Saved", TDateTime(45123.5));
        ini.WriteString(u"Recent", u"Item0", u"first");
    }
    TRegistry raw;
    ASSERT_TRUE(raw.OpenKey(u"Software\\RunpakHistory\\Recent", false));
    EXPECT_EQ(raw.GetDataType(u"Count"), rdInteger);
    EXPECT_EQ(raw.GetDataType(u"Zoom"), rdBinary);
    raw.WriteString(u"Legacy", u"42"); // written by an older version as text
    raw.CloseKey();

    TRegistryIniFile ini(u"Software\\RunpakHistory");
    EXPECT_EQ(ini.ReadInteger(u"Recent", u"Count", 0), 3);
    EXPECT_EQ(ini.ReadFloat(u"Recent", u"Zoom", 0), 1.25);
    EXPECT_EQ(ini.ReadDateTime(u"Recent", u"Saved", 0).Val(), 45123.5);
    EXPECT_EQ(ini.ReadString(u"Recent", u"Count", u""), u"3");
    EXPECT_EQ(ini.ReadInteger(u"Recent", u"Legacy", 0), 42);
    ini.WriteInteger(u"Recent", u"Legacy", 43); // stays text
    EXPECT_EQ(ini.ReadString(u"Recent", u"Legacy", u""), u"43");
    EXPECT_EQ(ini.ReadInteger(u"Other", u"Count", -1), -1);
    EXPECT_THROW(ini.ReadFloat(u"Recent", u"Count", 0), ERegistryException);
    EXPECT_TRUE(ini.SectionExists(u"Recent"));
    EXPECT_TRUE(ini.ValueExists(u"Recent", u"Item0"));
    ini.EraseSection(u"Recent");
    EXPECT_FALSE(ini.SectionExists(u"Recent"));
}

TEST_F(RegistryTest, RegistryIniFileCanMoveToAnotherRoot) {
    TRegistryIniFile ini(u"Software\\RunpakMachine");
    ini.GetRegIniFile()->SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(ini.GetRegIniFile()->OpenKey(u"Software\\RunpakMachine", true));
    ini.WriteString(u"S", u"V", u"machine");
    TRegistry raw;
    raw.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(raw.OpenKeyReadOnly(u"Software\\RunpakMachine\\S"));
    EXPECT_EQ(raw.ReadString(u"V"), u"machine");
}

} // namespace
