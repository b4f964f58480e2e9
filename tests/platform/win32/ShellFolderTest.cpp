// Shell folders over real temporary folders: names, attributes, enumeration,
// comparison, renaming and names that are not UTF-8.
#include "ShellTestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class ShellFolderTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::filesystem::create_directories(temp_.Linux("sub/inner"));
        std::filesystem::create_directories(temp_.Linux("empty"));
        std::filesystem::create_directories(temp_.Linux(".hiddendir"));
        temp_.Write("notes.txt", "some text");
        temp_.Write("big.bin", "");
        temp_.Write(".hidden", "h");
        temp_.Write("locked.txt", "r");
        chmod(temp_.Linux("locked.txt").c_str(), 0444);
        symlink("notes.txt", temp_.Linux("link.txt").c_str());
        folder_ = Folder(temp_.Windows());
        ASSERT_NE(folder_, nullptr);
    }
    void TearDown() override {
        if (folder_) folder_->Release();
        ShellTest::TearDown();
    }
    IShellFolder* folder_ = nullptr;
};

TEST_F(ShellFolderTest, DisplayNamesInEveryFormRoundTrip) {
    PITEMID_CHILD file = Child(folder_, u"notes.txt");
    ASSERT_NE(file, nullptr);
    const std::u16string full = temp_.Windows(u"notes.txt");
    struct Case {
        SHGDNF flags;
        std::u16string expected;
    } cases[] = {
        {SHGDN_NORMAL, u"notes.txt"},
        {SHGDN_INFOLDER, u"notes.txt"},
        {SHGDN_FOREDITING, u"notes.txt"},
        {SHGDN_INFOLDER | SHGDN_FORPARSING, u"notes.txt"},
        {SHGDN_FORPARSING, full},
        {SHGDN_FORADDRESSBAR | SHGDN_FORPARSING, full},
        {SHGDN_FORADDRESSBAR, full},
    };
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    for (const Case& c : cases) {
        std::u16string name = Name(folder_, file, c.flags);
        EXPECT_EQ(name, c.expected) << "flags " << std::hex << c.flags;
        // Every parsing form parses back to the same item.
        if (c.flags & (SHGDN_FORPARSING | SHGDN_FORADDRESSBAR)) {
            PIDLIST_RELATIVE back = nullptr;
            IShellFolder* parser = (c.flags & SHGDN_INFOLDER) ? folder_ : desktop;
            ASSERT_EQ(parser->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &back,
                                               nullptr),
                      S_OK);
            PIDLIST_ABSOLUTE expected = Parse(full);
            if (parser == folder_) {
                EXPECT_TRUE(ILIsEqual(back, file));
            } else {
                EXPECT_TRUE(ILIsEqual(back, expected));
            }
            ILFree(expected);
            ILFree(back);
        }
    }
    desktop->Release();
    ILFree(file);
}

TEST_F(ShellFolderTest, ParsingNamesThatDoNotExistFails) {
    std::u16string missing = u"missing.txt";
    PIDLIST_RELATIVE pidl = nullptr;
    EXPECT_EQ(folder_->ParseDisplayName(nullptr, nullptr, missing.data(), nullptr, &pidl, nullptr),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(pidl, nullptr);
    PIDLIST_ABSOLUTE absolute = nullptr;
    EXPECT_TRUE(FAILED(SHParseDisplayName(temp_.Windows(u"missing.txt").c_str(), nullptr,
                                          &absolute, 0, nullptr)));
    EXPECT_EQ(absolute, nullptr);
}

TEST_F(ShellFolderTest, AttributesOfFilesFoldersLinksHiddenAndReadOnly) {
    struct Case {
        std::u16string name;
        SFGAOF present, absent;
    } cases[] = {
        {u"notes.txt",
         SFGAO_FILESYSTEM | SFGAO_STREAM | SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANDELETE |
             SFGAO_CANRENAME,
         SFGAO_FOLDER | SFGAO_LINK | SFGAO_HIDDEN | SFGAO_READONLY | SFGAO_COMPRESSED},
        {u"sub", SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER,
         SFGAO_STREAM | SFGAO_LINK},
        {u"empty", SFGAO_FOLDER | SFGAO_FILESYSTEM, SFGAO_HASSUBFOLDER},
        {u"link.txt", SFGAO_LINK | SFGAO_STREAM | SFGAO_FILESYSTEM, SFGAO_FOLDER},
        {u".hidden", SFGAO_HIDDEN, SFGAO_FOLDER},
        {u"locked.txt", SFGAO_READONLY, SFGAO_HIDDEN},
    };
    for (const Case& c : cases) {
        PITEMID_CHILD child = Child(folder_, c.name);
        ASSERT_NE(child, nullptr);
        SFGAOF flags = Attributes(folder_, child);
        EXPECT_EQ(flags & c.present, c.present) << std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(flags & c.absent, 0u) << std::string(c.name.begin(), c.name.end());
        ILFree(child);
    }
    // Several items at once: what all of them have.
    PITEMID_CHILD a = Child(folder_, u"notes.txt");
    PITEMID_CHILD b = Child(folder_, u"sub");
    PCUITEMID_CHILD both[] = {a, b};
    SFGAOF flags = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    ASSERT_EQ(folder_->GetAttributesOf(2, both, &flags), S_OK);
    EXPECT_EQ(flags, SFGAOF(SFGAO_FILESYSTEM));
    ILFree(a);
    ILFree(b);

    // The desktop handed an absolute list answers for its last item.
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    for (const auto& [name, folder] : {std::pair{u"notes.txt", false}, std::pair{u"sub", true}}) {
        PIDLIST_ABSOLUTE full = Parse(temp_.Windows(name));
        PCUITEMID_CHILD items[] = {full};
        SFGAOF asked = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_VALIDATE;
        ASSERT_EQ(desktop->GetAttributesOf(1, items, &asked), S_OK);
        EXPECT_EQ(asked, SFGAOF(SFGAO_FILESYSTEM | (folder ? SFGAO_FOLDER : 0)));
        ILFree(full);
    }
    desktop->Release();
}

// An id answers with what the file system said when it was made, whether
// it came from a listing or a parsed name, until the caller validates it.
TEST_F(ShellFolderTest, AttributesComeFromTheIdUntilValidated) {
    IEnumIDList* items = nullptr;
    ASSERT_EQ(folder_->EnumObjects(nullptr, SHCONTF_NONFOLDERS, &items), S_OK);
    PITEMID_CHILD listed = nullptr, link = nullptr;
    for (PITEMID_CHILD item; items->Next(1, &item, nullptr) == S_OK;) {
        const std::u16string name = Name(folder_, item, SHGDN_INFOLDER);
        if (name == u"notes.txt" && !listed)
            listed = item;
        else if (name == u"link.txt" && !link)
            link = item;
        else
            ILFree(item);
    }
    items->Release();
    ASSERT_NE(listed, nullptr);
    ASSERT_NE(link, nullptr);
    EXPECT_NE(Attributes(folder_, link) & SFGAO_LINK, 0u); // the listing's word for a link
    PITEMID_CHILD parsed = Child(folder_, u"notes.txt");

    chmod(temp_.Linux("notes.txt").c_str(), 0444);
    for (PITEMID_CHILD id : {listed, parsed}) {
        EXPECT_EQ(Attributes(folder_, id) & SFGAO_READONLY, 0u);
        SFGAOF flags = SFGAO_READONLY | SFGAO_VALIDATE;
        ASSERT_EQ(folder_->GetAttributesOf(1, &id, &flags), S_OK);
        EXPECT_EQ(flags, SFGAOF(SFGAO_READONLY));
    }
    std::filesystem::remove(temp_.Linux("notes.txt"));
    SFGAOF flags = SFGAO_STREAM | SFGAO_VALIDATE;
    EXPECT_EQ(folder_->GetAttributesOf(1, &listed, &flags),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ILFree(listed);
    ILFree(link);
    ILFree(parsed);
}

TEST_F(ShellFolderTest, EnumerationFlags) {
    using Names = std::vector<std::u16string>;
    EXPECT_EQ(Enumerate(folder_, SHCONTF_FOLDERS), (Names{u"empty", u"sub"}));
    EXPECT_EQ(Enumerate(folder_, SHCONTF_NONFOLDERS),
              (Names{u"big.bin", u"link.txt", u"locked.txt", u"notes.txt"}));
    EXPECT_EQ(Enumerate(folder_, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN),
              (Names{u".hiddendir", u"empty", u"sub"}));
    EXPECT_EQ(Enumerate(folder_, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN)
                  .size(),
              8u);
}

TEST_F(ShellFolderTest, EnumeratorSkipResetAndClone) {
    IEnumIDList* list = nullptr;
    ASSERT_EQ(folder_->EnumObjects(nullptr, SHCONTF_NONFOLDERS, &list), S_OK);
    EXPECT_EQ(list->Skip(1), S_OK);
    IEnumIDList* clone = nullptr;
    ASSERT_EQ(list->Clone(&clone), S_OK);
    PITEMID_CHILD items[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(list->Next(4, items, &fetched), S_FALSE); // only three remain
    EXPECT_EQ(fetched, 3u);
    EXPECT_EQ(Name(folder_, items[0], SHGDN_INFOLDER), u"link.txt");
    for (ULONG i = 0; i < fetched; ++i)
        ILFree(items[i]);
    PITEMID_CHILD one = nullptr;
    ASSERT_EQ(clone->Next(1, &one, nullptr), S_OK); // the clone kept its own position
    EXPECT_EQ(Name(folder_, one, SHGDN_INFOLDER), u"link.txt");
    ILFree(one);
    EXPECT_EQ(list->Skip(1), S_FALSE);
    EXPECT_EQ(list->Reset(), S_OK);
    ASSERT_EQ(list->Next(1, &one, nullptr), S_OK);
    EXPECT_EQ(Name(folder_, one, SHGDN_INFOLDER), u"big.bin");
    ILFree(one);
    clone->Release();
    list->Release();
}

TEST_F(ShellFolderTest, CompareIdsFoldersFirstThenByColumn) {
    temp_.Write("a-large.txt", std::string(5000, 'x'));
    temp_.Write("z-small.txt", "x");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    utimensat(AT_FDCWD, temp_.Linux("a-large.txt").c_str(), times, 0);
    times[1].tv_sec = 1100000000;
    utimensat(AT_FDCWD, temp_.Linux("z-small.txt").c_str(), times, 0);

    PITEMID_CHILD large = Child(folder_, u"a-large.txt");
    PITEMID_CHILD small = Child(folder_, u"z-small.txt");
    PITEMID_CHILD sub = Child(folder_, u"sub");
    PITEMID_CHILD bin = Child(folder_, u"big.bin");
    auto sign = [&](LPARAM column, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
        HRESULT hr = folder_->CompareIDs(column, a, b);
        EXPECT_TRUE(SUCCEEDED(hr));
        return static_cast<short>(HRESULT_CODE(hr));
    };
    for (LPARAM column = 0; column < 4; ++column) {
        EXPECT_EQ(sign(column, sub, large), -1) << column; // folders first in every column
        EXPECT_EQ(sign(column, large, sub), 1) << column;
        EXPECT_EQ(sign(column, large, large), 0) << column;
    }
    EXPECT_EQ(sign(0, large, small), -1); // by name
    EXPECT_EQ(sign(1, large, small), 1);  // by size
    EXPECT_EQ(sign(3, large, small), -1); // by date
    EXPECT_EQ(sign(2, bin, large), -1);   // by type: "BIN File" before "Text Document"
    EXPECT_EQ(folder_->CompareIDs(1, large, small), HRESULT(0x00000001));
    EXPECT_EQ(folder_->CompareIDs(0, large, small), HRESULT(0x0000FFFF));
    for (auto* p : {large, small, sub, bin})
        ILFree(p);
}

TEST_F(ShellFolderTest, RenameThroughSetNameOf) {
    PITEMID_CHILD file = Child(folder_, u"notes.txt");
    PITEMID_CHILD renamed = nullptr;
    ASSERT_EQ(folder_->SetNameOf(nullptr, file, u"renamed.txt", SHGDN_INFOLDER, &renamed), S_OK);
    EXPECT_FALSE(temp_.Exists("notes.txt"));
    EXPECT_EQ(temp_.Read("renamed.txt"), "some text");
    EXPECT_EQ(Name(folder_, renamed, SHGDN_INFOLDER), u"renamed.txt");
    // An existing name is never overwritten.
    EXPECT_EQ(folder_->SetNameOf(nullptr, renamed, u"locked.txt", SHGDN_INFOLDER, nullptr),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(temp_.Read("renamed.txt"), "some text");
    EXPECT_EQ(folder_->SetNameOf(nullptr, renamed, u"a/b", SHGDN_INFOLDER, nullptr),
              HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    ILFree(file);
    ILFree(renamed);
}

TEST_F(ShellFolderTest, NamesThatAreNotUtf8SurviveTheRoundTrip) {
    const std::string raw = "caf\xe9-\xff.txt"; // Latin-1 bytes, not UTF-8
    temp_.Write(raw, "bytes");
    const std::u16string shown = u"caf\xDCE9-\xDCFF.txt";
    auto names = Enumerate(folder_, SHCONTF_NONFOLDERS);
    EXPECT_NE(std::find(names.begin(), names.end(), shown), names.end());
    PITEMID_CHILD child = Child(folder_, shown);
    ASSERT_NE(child, nullptr);
    std::u16string full = Name(folder_, child, SHGDN_FORPARSING);
    PIDLIST_ABSOLUTE again = Parse(full);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(again, path));
    EXPECT_EQ(win32::ToLinuxPath(path), temp_.Linux(raw));
    ILFree(again);
    ILFree(child);
}

TEST_F(ShellFolderTest, SizesBeyondFourGibibytesAndDetails) {
    const uint64_t size = (uint64_t(5) << 30) + 7; // sparse: no real space used
    ASSERT_EQ(truncate(temp_.Linux("big.bin").c_str(), off_t(size)), 0);
    PITEMID_CHILD big = Child(folder_, u"big.bin");
    WIN32_FIND_DATAW data{};
    ASSERT_EQ(SHGetDataFromIDListW(folder_, big, SHGDFIL_FINDDATA, &data, sizeof data), S_OK);
    EXPECT_EQ((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow, size);
    EXPECT_EQ(std::u16string(data.cFileName), u"big.bin");

    IShellFolder2* details = nullptr;
    ASSERT_EQ(folder_->QueryInterface(IID_IShellFolder2, reinterpret_cast<void**>(&details)), S_OK);
    SHELLDETAILS sd{};
    auto text = [&](PCUITEMID_CHILD child, UINT column) {
        EXPECT_EQ(details->GetDetailsOf(child, column, &sd), S_OK);
        WCHAR buffer[MAX_PATH];
        StrRetToBufW(&sd.str, child, buffer, MAX_PATH);
        return std::u16string(buffer);
    };
    EXPECT_EQ(text(nullptr, 0), u"Name");
    EXPECT_EQ(text(nullptr, 1), u"Size");
    EXPECT_EQ(sd.fmt, LVCFMT_RIGHT);
    EXPECT_EQ(text(big, 0), u"big.bin");
    EXPECT_EQ(text(big, 1), u"5,242,881 KB");
    EXPECT_EQ(text(big, 2), u"BIN File");
    EXPECT_FALSE(text(big, 3).empty());
    EXPECT_EQ(details->GetDetailsOf(big, 4, &sd), E_FAIL);
    // Objects the folder does not make are refused, and nothing is handed out.
    void* object = reinterpret_cast<void*>(1);
    PCUITEMID_CHILD one[] = {big};
    EXPECT_EQ(details->GetUIObjectOf(nullptr, 1, one, IID_IUnknown, nullptr, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    details->Release();
    ILFree(big);
}
