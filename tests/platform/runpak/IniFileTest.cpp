// TIniFile over the profile calls and TMemIniFile in memory, against real files.
#include "../win32/FileTestSupport.h"

#include <runpak/Exceptions.h>
#include <runpak/IniFiles.h>
#include <runpak/Streams.h>
#include <runpak/StringList.h>
#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<UnicodeString> Items(TStrings& strings) {
    std::vector<UnicodeString> items;
    for (int i = 0; i < strings.GetCount(); ++i)
        items.push_back(strings.GetStrings(i));
    return items;
}

const char sample[] = "; settings of the panel\r\n"
                      "[Port]\r\n"
                      "; which line\r\n"
                      "Name = COM3\r\n"
                      "Speed=9600\r\n"
                      "Hex=$1F\r\n"
                      "CHex=0x10\r\n"
                      "Bad=12a\r\n"
                      "\r\n"
                      "[Flags]\r\n"
                      "On=1\r\n"
                      "Off=0\r\n"
                      "Word=true\r\n";

// The same checks for both kinds of INI file.
class IniFileTest : public testing::TestWithParam<bool> {
protected:
    std::unique_ptr<TCustomIniFile> Open(const UnicodeString& fileName) {
        if (GetParam()) return std::make_unique<TMemIniFile>(fileName);
        return std::make_unique<TIniFile>(fileName);
    }
    // UpdateFile matters only for TMemIniFile.
    std::unique_ptr<TCustomIniFile> Reopen(std::unique_ptr<TCustomIniFile> ini) {
        ini->UpdateFile();
        UnicodeString name = ini->GetFileName();
        ini.reset();
        return Open(name);
    }

    TempFolder folder;
};

TEST_P(IniFileTest, ReadsTypedValuesOfAFileWithComments) {
    folder.Write("panel.ini", sample);
    auto ini = Open(folder.Windows(u"panel.ini"));
    EXPECT_EQ(ini->ReadString(u"Port", u"Name", u""), u"COM3");
    EXPECT_EQ(ini->ReadString(u"port", u"NAME", u""), u"COM3"); // case does not matter
    EXPECT_EQ(ini->ReadInteger(u"Port", u"Speed", 0), 9600);
    EXPECT_EQ(ini->ReadInteger(u"Port", u"Hex", 0), 31);
    EXPECT_EQ(ini->ReadInteger(u"Port", u"CHex", 0), 16);
    EXPECT_EQ(ini->ReadInteger(u"Port", u"Bad", -1), -1);
    EXPECT_EQ(ini->ReadInteger(u"Port", u"Missing", 5), 5);
    EXPECT_TRUE(ini->ReadBool(u"Flags", u"On", false));
    EXPECT_FALSE(ini->ReadBool(u"Flags", u"Off", true));
    EXPECT_TRUE(ini->ReadBool(u"Flags", u"Word", false));
    EXPECT_TRUE(ini->ReadBool(u"Flags", u"Missing", true));
    EXPECT_EQ(ini->ReadString(u"Nowhere", u"Name", u"dflt"), u"dflt");
}

TEST_P(IniFileTest, ListsSectionsKeysAndValues) {
    folder.Write("panel.ini", sample);
    auto ini = Open(folder.Windows(u"panel.ini"));
    TStringList list;
    ini->ReadSections(&list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"Port", u"Flags"}));
    ini->ReadSection(u"Flags", &list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"On", u"Off", u"Word"}));
    ini->ReadSectionValues(u"Flags", &list);
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"On=1", u"Off=0", u"Word=true"}));
    EXPECT_TRUE(ini->SectionExists(u"flags"));
    EXPECT_FALSE(ini->SectionExists(u"Other"));
    EXPECT_TRUE(ini->ValueExists(u"Port", u"Speed"));
    EXPECT_FALSE(ini->ValueExists(u"Port", u"Parity"));
}

TEST_P(IniFileTest, WrittenValuesSurviveReopeningAndKeepTheComments) {
    folder.Write("panel.ini", sample);
    auto ini = Open(folder.Windows(u"panel.ini"));
    ini->WriteString(u"Port", u"Name", u"COM4");
    ini->WriteInteger(u"Port", u"Speed", -19200);
    ini->WriteBool(u"Flags", u"On", false);
    ini->WriteFloat(u"Scale", u"Gain", 2.5);
    ini->WriteString(u"New", u"Text", u"Ünïcode");
    ini->DeleteKey(u"Flags", u"Word");
    ini->EraseSection(u"Nowhere"); // nothing to erase
    ini = Reopen(std::move(ini));
    EXPECT_EQ(ini->ReadString(u"Port", u"Name", u""), u"COM4");
    EXPECT_EQ(ini->ReadInteger(u"Port", u"Speed", 0), -19200);
    EXPECT_FALSE(ini->ReadBool(u"Flags", u"On", true));
    EXPECT_EQ(ini->ReadFloat(u"Scale", u"Gain", 0), 2.5);
    EXPECT_EQ(ini->ReadString(u"New", u"Text", u""), u"Ünïcode");
    EXPECT_FALSE(ini->ValueExists(u"Flags", u"Word"));
    std::string text = folder.Read("panel.ini");
    EXPECT_NE(text.find("; settings of the panel"), std::string::npos);
    EXPECT_NE(text.find("; which line"), std::string::npos);
    EXPECT_NE(text.find("Bad=12a"), std::string::npos);
}

TEST_P(IniFileTest, EraseSectionRemovesItsKeys) {
    folder.Write("panel.ini", sample);
    auto ini = Open(folder.Windows(u"panel.ini"));
    ini->EraseSection(u"PORT");
    ini = Reopen(std::move(ini));
    EXPECT_FALSE(ini->SectionExists(u"Port"));
    EXPECT_EQ(ini->ReadString(u"Port", u"Name", u"gone"), u"gone");
    EXPECT_TRUE(ini->SectionExists(u"Flags"));
}

TEST_P(IniFileTest, MissingFileReadsAsEmpty) {
    auto ini = Open(folder.Windows(u"absent.ini"));
    EXPECT_EQ(ini->ReadInteger(u"A", u"B", 3), 3);
    TStringList list;
    ini->ReadSections(&list);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_FALSE(folder.Exists("absent.ini"));
}

TEST_P(IniFileTest, DatesTimesAndBinaryRoundTrip) {
    auto ini = Open(folder.Windows(u"values.ini"));
    TDateTime when = EncodeDateTime(2024, 2, 29, 13, 45, 10, 0);
    ini->WriteDateTime(u"T", u"When", when);
    ini->WriteDate(u"T", u"Day", EncodeDate(1999, 12, 31));
    ini->WriteTime(u"T", u"At", EncodeTime(7, 5, 0, 0));
    TBytesStream bytes(TBytes{0x00, 0x7F, 0xAB, 0xFF});
    ini->WriteBinaryStream(u"T", u"Blob", &bytes);
    ini = Reopen(std::move(ini));
    EXPECT_NEAR(ini->ReadDateTime(u"T", u"When", 0).Val(), when.Val(), 1e-6);
    EXPECT_EQ(ini->ReadDate(u"T", u"Day", 0).Val(), EncodeDate(1999, 12, 31).Val());
    EXPECT_NEAR(ini->ReadTime(u"T", u"At", 0).Val(), EncodeTime(7, 5, 0, 0).Val(), 1e-9);
    EXPECT_EQ(ini->ReadDate(u"T", u"Blob", 12.0).Val(), 12.0); // not a date: the default
    EXPECT_EQ(ini->ReadString(u"T", u"Blob", u""), u"007FABFF");
    TBytesStream back;
    EXPECT_EQ(ini->ReadBinaryStream(u"T", u"Blob", &back), 4);
    EXPECT_EQ(back.GetBytes(), (TBytes{0x00, 0x7F, 0xAB, 0xFF}));
}

// Blanks around names once made a new line at each write, never found on read.
TEST_P(IniFileTest, NamesCountWithoutTheBlanksAroundThem) {
    auto ini = Open(folder.Windows(u"blank.ini"));
    for (const char16_t* value : {u"1", u"2", u"3"})
        ini->WriteString(u" Sec ", u" Key\t", value);
    ini = Reopen(std::move(ini));
    EXPECT_EQ(ini->ReadString(u"Sec", u"Key", u""), u"3");
    EXPECT_EQ(ini->ReadString(u" Sec", u"Key ", u""), u"3");
    std::string bytes = folder.Read("blank.ini");
    EXPECT_EQ(bytes.find("Key"), bytes.rfind("Key")); // one line
    EXPECT_EQ(bytes.find(" Key"), std::string::npos);
}

// A full disk: the write is refused with an exception, and the old file is
// whole, later sections and all.
TEST_P(IniFileTest, AFailedWriteLeavesTheOldFileWhole) {
    folder.Write("full.ini", sample);
    auto ini = Open(folder.Windows(u"full.ini"));
    TestSeams::FailDiskWrites(40);
    bool failed = false;
    try {
        ini->WriteString(u"Port", u"Name", std::u16string(20000, u'x'));
        ini->UpdateFile();
    } catch (const Exception&) {
        failed = true;
    }
    TestSeams::FailDiskWrites(-1);
    EXPECT_TRUE(failed);
    EXPECT_EQ(folder.Read("full.ini"), sample);
}

INSTANTIATE_TEST_SUITE_P(Kinds, IniFileTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "MemIniFile" : "IniFile";
                         });

// --- TIniFile only -------------------------------------------------------------

TEST(IniFileOnlyTest, EachWriteReachesTheFileAtOnce) {
    TempFolder folder;
    TIniFile ini(folder.Windows(u"direct.ini"));
    ini.WriteInteger(u"S", u"K", 12);
    EXPECT_NE(folder.Read("direct.ini").find("K=12"), std::string::npos);
}

TEST(IniFileOnlyTest, BareNameLiesInTheWindowsDirectory) {
    TempFolder windows;
    TestSeams::SetWindowsFolder(windows.Linux());
    {
        TIniFile ini(u"RUNPAK.INI");
        ini.WriteString(u"Start", u"Admin", u"1");
    }
    EXPECT_TRUE(windows.Exists("RUNPAK.INI") || windows.Exists("runpak.ini"));
    TIniFile again(u"RUNPAK.INI");
    EXPECT_EQ(again.ReadString(u"Start", u"Admin", u""), u"1");
    TestSeams::SetWindowsFolder("");
}

// --- TMemIniFile only ------------------------------------------------------------

TEST(MemIniFileTest, NothingReachesTheFileBeforeUpdateFile) {
    TempFolder folder;
    folder.Write("m.ini", "[A]\r\nX=1\r\n");
    TMemIniFile ini(folder.Windows(u"m.ini"));
    ini.WriteString(u"A", u"X", u"2");
    EXPECT_EQ(folder.Read("m.ini"), "[A]\r\nX=1\r\n");
    ini.UpdateFile();
    EXPECT_EQ(folder.Read("m.ini"), "[A]\r\nX=2\r\n\r\n");
}

TEST(MemIniFileTest, CaseSensitiveNamesKeepSectionsApart) {
    TMemIniFile ini(u"", teUTF8, true);
    ini.WriteString(u"Sec", u"Key", u"1");
    ini.WriteString(u"SEC", u"key", u"2");
    EXPECT_EQ(ini.ReadString(u"Sec", u"Key", u""), u"1");
    EXPECT_EQ(ini.ReadString(u"SEC", u"key", u""), u"2");
    EXPECT_EQ(ini.ReadString(u"sec", u"Key", u"none"), u"none");
    ini.SetCaseSensitive(false);
    EXPECT_EQ(ini.ReadString(u"sec", u"KEY", u"none"), u"1");
    ini.UpdateFile(); // no file name: nothing happens
}

TEST(MemIniFileTest, StringsInAndOut) {
    TMemIniFile ini(u"");
    TStringList lines;
    lines.SetText(u"[One]\r\n a = b \r\n[Two]\r\nc=d\r\n[one]\r\ne=f\r\n");
    ini.SetStrings(&lines);
    EXPECT_EQ(ini.ReadString(u"One", u"a", u""), u"b");
    EXPECT_EQ(ini.ReadString(u"One", u"e", u""), u"f"); // a repeated section joins the first
    ini.GetStrings(&lines);
    EXPECT_EQ(Items(lines),
              (std::vector<UnicodeString>{u"[One]", u"a=b", u"e=f", u"", u"[Two]", u"c=d", u""}));
    ini.Clear();
    ini.GetStrings(&lines);
    EXPECT_EQ(lines.GetCount(), 0);
}

TEST(MemIniFileTest, RenameWithReloadReadsTheOtherFile) {
    TempFolder folder;
    folder.Write("a.ini", "[S]\r\nV=a\r\n");
    folder.Write("b.ini", "[S]\r\nV=b\r\n");
    TMemIniFile ini(folder.Windows(u"a.ini"));
    ini.Rename(folder.Windows(u"b.ini"), false);
    EXPECT_EQ(ini.ReadString(u"S", u"V", u""), u"a");
    ini.Rename(folder.Windows(u"b.ini"), true);
    EXPECT_EQ(ini.ReadString(u"S", u"V", u""), u"b");
    EXPECT_EQ(ini.GetFileName(), folder.Windows(u"b.ini"));
}

TEST(MemIniFileTest, KeepsTheFilesEncoding) {
    TempFolder folder;
    // UTF-16 LE with its byte-order mark: "[S]\r\nV=é\r\n"
    std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0V\0=\0\xE9\0\r\0\n\0", 22);
    folder.Write("w.ini", utf16);
    TMemIniFile ini(folder.Windows(u"w.ini"));
    EXPECT_EQ(ini.GetEncoding(), teUTF16LE);
    EXPECT_EQ(ini.ReadString(u"S", u"V", u""), u"é");
    ini.UpdateFile();
    EXPECT_EQ(folder.Read("w.ini").substr(0, 4), std::string("\xFF\xFE[\0", 4));

    TMemIniFile latin(folder.Windows(u"l.ini"), teAnsi);
    latin.WriteString(u"S", u"V", u"é");
    latin.UpdateFile();
    EXPECT_NE(folder.Read("l.ini").find("V=\xE9"), std::string::npos);
}

} // namespace
