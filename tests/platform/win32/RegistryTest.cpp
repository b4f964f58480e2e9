#include <win32/TestSeams.h>
#include <win32/winreg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<BYTE> Bytes(std::u16string_view text, bool withNul = true) {
    std::vector<BYTE> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    if (withNul) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// A key of the registry, closed at the end of the scope.
class Key {
public:
    Key() = default;
    explicit Key(HKEY handle) : m_handle(handle) {}
    ~Key() {
        if (m_handle) RegCloseKey(m_handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* operator&() { return &m_handle; }
    operator HKEY() const { return m_handle; }

private:
    HKEY m_handle = nullptr;
};

LONG SetBytes(HKEY key, const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
    return RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

LONG SetString(HKEY key, const char16_t* name, std::u16string_view text) {
    return SetBytes(key, name, REG_SZ, Bytes(text));
}

// Reads a value back; returns the error code, fills type and data.
LONG Query(HKEY key, const char16_t* name, DWORD& type, std::vector<BYTE>& data) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    data.assign(size, 0xCC);
    return RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
}

std::vector<std::u16string> SubkeyNames(HKEY key) {
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        LONG rc = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        EXPECT_EQ(rc, ERROR_SUCCESS);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::u16string> ValueNames(HKEY key) {
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        LONG rc = RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        EXPECT_EQ(rc, ERROR_SUCCESS);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

class Registry : public testing::Test {
protected:
    void SetUp() override { TestSeams::ResetRegistry(); }
    void TearDown() override { TestSeams::ResetRegistry(); }

    // Creates HKCU\<path> with every right.
    HKEY Create(const char16_t* path, HKEY root = HKEY_CURRENT_USER) {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        return key;
    }
};

struct TypedValue {
    const char* label;
    DWORD type;
    std::vector<BYTE> data;
};

std::vector<TypedValue> ValueTable() {
    return {
        {"string", REG_SZ, Bytes(u"plain text")},
        {"empty string", REG_SZ, Bytes(u"")},
        {"string needing escapes", REG_SZ, Bytes(u"\"quoted\" back\\slash\nnew\rline\ttab\x01")},
        {"non-ASCII string", REG_SZ, Bytes(u"Gr\u00FC\u00DFe \u65E5\u672C \U0001F600")},
        {"lone surrogates", REG_SZ, Bytes(u"a\xD800z\xDC00")},
        {"string without its NUL", REG_SZ, Bytes(u"abc", false)},
        {"string of odd length", REG_SZ, {'a', 0, 'b'}},
        {"string with inner NUL", REG_SZ, Bytes(std::u16string(u"a\0b", 3))},
        {"expandable string", REG_EXPAND_SZ, Bytes(u"%HOME%\\bin")},
        {"multi-string", REG_MULTI_SZ, Bytes(std::u16string(u"one\0two\0\"3\"\0\0", 13), false)},
        {"empty multi-string", REG_MULTI_SZ, Bytes(u"")},
        {"multi-string with empty item", REG_MULTI_SZ,
         Bytes(std::u16string(u"a\0\0b\0\0", 6), false)},
        {"dword", REG_DWORD, {0x2A, 0x00, 0x00, 0x80}},
        {"dword of three bytes", REG_DWORD, {1, 2, 3}},
        {"big-endian dword", REG_DWORD_BIG_ENDIAN, {0x00, 0x00, 0x00, 0x2A}},
        {"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0xFF}},
        {"binary", REG_BINARY, {0x00, 0xFF, 0x10, 0x7F}},
        {"empty binary", REG_BINARY, {}},
        {"none", REG_NONE, {9, 8}},
        {"unknown type", 0x12345, {1}},
    };
}

TEST_F(Registry, ValuesKeepTypeAndBytesInMemoryAndAcrossARestart) {
    const auto table = ValueTable();
    {
        Key key(Create(u"Software\\Types"));
        for (const TypedValue& value : table) {
            std::u16string name(value.label, value.label + std::strlen(value.label));
            ASSERT_EQ(SetBytes(key, name.c_str(), value.type, value.data), ERROR_SUCCESS);
        }
    }
    for (bool restarted : {false, true}) {
        if (restarted) TestSeams::ReloadRegistry();
        Key key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Types", 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        for (const TypedValue& value : table) {
            SCOPED_TRACE(std::string(value.label) + (restarted ? " after restart" : ""));
            std::u16string name(value.label, value.label + std::strlen(value.label));
            DWORD type = 0;
            std::vector<BYTE> data;
            ASSERT_EQ(Query(key, name.c_str(), type, data), ERROR_SUCCESS);
            EXPECT_EQ(type, value.type);
            EXPECT_EQ(data, value.data);
        }
        EXPECT_EQ(ValueNames(key).size(), table.size());
    }
}

TEST_F(Registry, MissingKeysAndValuesAreNotFound) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Nowhere", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);

    Key app(Create(u"Software\\App"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(app, u"Missing", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(app, u"Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(app, u"Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeW(app, u"Missing"), ERROR_FILE_NOT_FOUND);
    // The default value is a value like any other: absent until set.
    EXPECT_EQ(RegQueryValueExW(app, u"", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(app, nullptr, nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DefaultValueHasTheEmptyName) {
    Key app(Create(u"Software\\App"));
    ASSERT_EQ(SetString(app, nullptr, u"default"), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Query(app, u"", type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, Bytes(u"default"));
    EXPECT_EQ(ValueNames(app), std::vector<std::u16string>{u""});
}

TEST_F(Registry, QueryReportsTheSizeAndMoreDataForAShortBuffer) {
    Key app(Create(u"Software\\App"));
    ASSERT_EQ(SetString(app, u"Name", u"hello"), ERROR_SUCCESS); // 12 bytes with the NUL

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(app, u"Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    BYTE buffer[16] = {};
    size = 11;
    EXPECT_EQ(RegQueryValueExW(app, u"Name", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 12u);

    size = 12;
    EXPECT_EQ(RegQueryValueExW(app, u"Name", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(buffer)), u"hello");

    // Data without a size to fill is a caller error, not a crash.
    EXPECT_EQ(RegQueryValueExW(app, u"Name", nullptr, &type, buffer, nullptr),
              ERROR_INVALID_PARAMETER);

    // Enumeration reports a short data buffer the same way.
    WCHAR name[8];
    DWORD length = 8;
    size = 4;
    EXPECT_EQ(RegEnumValueW(app, 0, name, &length, nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 12u);
    // ... and a short name buffer (room for "Name" but not its NUL).
    length = 4;
    EXPECT_EQ(RegEnumValueW(app, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    length = 5;
    EXPECT_EQ(RegEnumValueW(app, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(length, 4u);
}

TEST_F(Registry, CreateMakesIntermediateKeysAndReportsTheDisposition) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Vendor\\App\\Settings", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);

    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\vendor\\APP", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    // Names match without regard to case and keep the case they were made with.
    EXPECT_EQ(SubkeyNames(key), std::vector<std::u16string>{u"Settings"});
    RegCloseKey(key);

    Key vendor;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\VENDOR", 0, KEY_READ, &vendor),
              ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(vendor), std::vector<std::u16string>{u"App"});

    // Case folding reaches beyond ASCII.
    Key upper(Create(u"Software\\\u00C4rger"));
    Key lower;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\\u00E4RGER", 0, KEY_READ, &lower),
              ERROR_SUCCESS);

    // A subkey path may not start with a backslash.
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
}

TEST_F(Registry, EnumerationFollowsTheOrderOfCreation) {
    Key parent(Create(u"Software\\Order"));
    for (const char16_t* name : {u"COM9", u"COM10", u"COM1", u"beta", u"Alpha"}) {
        Key child(Create(name, parent));
        ASSERT_EQ(SetString(parent, name, name), ERROR_SUCCESS);
    }
    // Rewriting a value keeps its place.
    ASSERT_EQ(SetString(parent, u"com10", u"again"), ERROR_SUCCESS);

    const std::vector<std::u16string> order{u"COM9", u"COM10", u"COM1", u"beta", u"Alpha"};
    EXPECT_EQ(SubkeyNames(parent), order);
    EXPECT_EQ(ValueNames(parent), order);

    TestSeams::ReloadRegistry();
    Key reopened;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Order", 0, KEY_READ, &reopened),
              ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(reopened), order);
    EXPECT_EQ(ValueNames(reopened), order);

    WCHAR name[16];
    DWORD length = 16;
    EXPECT_EQ(RegEnumKeyExW(reopened, 5, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    length = 4; // "COM10" needs 6 with its NUL
    EXPECT_EQ(RegEnumKeyExW(reopened, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyW(reopened, 2, name, 16), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"COM1");
}

TEST_F(Registry, DeletingAKeyWithSubkeysFailsButATreeGoes) {
    Key(Create(u"Software\\Tree\\Branch\\Leaf"));
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch\\Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree"), ERROR_SUCCESS);

    Key(Create(u"Software\\Tree\\A\\B"));
    Key(Create(u"Software\\Tree\\C"));
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\Tree"), ERROR_SUCCESS);
    Key gone;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree", 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);

    // A hive's root cannot be deleted.
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, DeleteTreeWithoutASubkeyEmptiesTheKey) {
    Key key(Create(u"Software\\Full"));
    Key(Create(u"Software\\Full\\Child"));
    ASSERT_EQ(SetString(key, u"Value", u"x"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(key, nullptr), ERROR_SUCCESS);
    DWORD subkeys = 9, values = 9;
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 0u);
}

TEST_F(Registry, HandlesOfDeletedKeysReportKeyDeleted) {
    Key leaf(Create(u"Software\\Doomed\\Leaf"));
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\Doomed"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(leaf, u"x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(leaf, u"x", u"y"), ERROR_KEY_DELETED);
    HKEY child = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(leaf, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_KEY_DELETED);

    // A key made again under the same name is a new key; the old handle stays dead.
    Key again(Create(u"Software\\Doomed\\Leaf"));
    EXPECT_EQ(SetString(leaf, u"x", u"y"), ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(again, u"x", u"y"), ERROR_SUCCESS);
}

TEST_F(Registry, AccessRightsAreEnforced) {
    Key(Create(u"Software\\Guarded"));
    Key reader;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Guarded", 0, KEY_READ, &reader),
              ERROR_SUCCESS);
    EXPECT_EQ(SetString(reader, u"x", u"y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, u"x"), ERROR_ACCESS_DENIED);
    HKEY child = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(reader, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_ACCESS_DENIED);
    EXPECT_EQ(child, nullptr);

    Key writer;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Guarded", 0, KEY_WRITE, &writer),
              ERROR_SUCCESS);
    EXPECT_EQ(SetString(writer, u"x", u"y"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writer, u"x", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    WCHAR name[8];
    DWORD length = 8;
    EXPECT_EQ(RegEnumKeyExW(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    // The reader sees what the writer wrote.
    EXPECT_EQ(RegQueryValueExW(reader, u"x", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);

    // Generic and maximum rights stand for the key rights they imply.
    Key generic;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Guarded", 0, GENERIC_READ, &generic),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(generic, u"x", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(SetString(generic, u"x", u"z"), ERROR_ACCESS_DENIED);
    Key everything;
    ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\Guarded", &everything), ERROR_SUCCESS);
    EXPECT_EQ(SetString(everything, u"x", u"z"), ERROR_SUCCESS);
}

TEST_F(Registry, QueryInfoGivesCountsAndLongestNamesAndData) {
    Key key(Create(u"Software\\Info"));
    Key(Create(u"Short", key));
    Key(Create(u"MuchLongerName", key));
    ASSERT_EQ(SetString(key, u"v", u"123456789"), ERROR_SUCCESS); // 20 bytes
    ASSERT_EQ(SetBytes(key, u"LongValueName", REG_BINARY, {1, 2}), ERROR_SUCCESS);

    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr,
                               &values, &maxValueName, &maxData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(maxSubkey, 14u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxValueName, 13u);
    EXPECT_EQ(maxData, 20u);
    EXPECT_NE(written.dwHighDateTime, 0u);
}

TEST_F(Registry, BadHandlesAreRefused) {
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x7777770));
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(bogus, u"x", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);

    HKEY key = Create(u"Software\\Once");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetString(key, u"x", u"y"), ERROR_INVALID_HANDLE);

    // Predefined keys need no closing, and closing them is harmless.
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    Key again(Create(u"Software\\Once"));
}

TEST_F(Registry, PredefinedKeysAcceptTheirZeroExtendedForm) {
    Key(Create(u"Software\\Wide"));
    HKEY narrow = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u));
    Key key;
    EXPECT_EQ(RegOpenKeyExW(narrow, u"Software\\Wide", 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(Registry, ClassesRootIsAViewOfTheMachineClasses) {
    Key ext(Create(u".servo", HKEY_CLASSES_ROOT));
    ASSERT_EQ(SetString(ext, nullptr, u"ServoFile"), ERROR_SUCCESS);
    Key machine;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Classes\\.servo", 0, KEY_READ, &machine),
        ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Query(machine, nullptr, type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(u"ServoFile"));
}

TEST_F(Registry, VolatileKeysNeedVolatileChildrenAndAreNotKept) {
    Key(Create(u"Software\\Kept"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Session", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExW(key, u"Stable", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &child, nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);
    ASSERT_EQ(RegCreateKeyExW(key, u"Fleeting", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &child, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(child, u"x", u"y"), ERROR_SUCCESS);
    RegCloseKey(child);
    RegCloseKey(key);

    TestSeams::ReloadRegistry();
    Key software;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &software), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(software), std::vector<std::u16string>{u"Kept"});
}

TEST_F(Registry, ConcurrentWritersLoseNothing) {
    const int threads = 8, perThread = 10;
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &failures] {
            std::u16string path = u"Software\\Busy\\T" + std::u16string(1, u'A' + t);
            HKEY key = nullptr;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) != ERROR_SUCCESS) {
                ++failures;
                return;
            }
            for (int i = 0; i < perThread; ++i) {
                DWORD value = static_cast<DWORD>(i);
                std::u16string name =
                    u"v" + std::u16string(1, u'0' + i % 10) + std::u16string(1, u'0' + i / 10);
                if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                                   4) != ERROR_SUCCESS)
                    ++failures;
            }
            RegCloseKey(key);
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(failures, 0);

    TestSeams::ReloadRegistry();
    Key busy;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Busy", 0, KEY_READ, &busy),
              ERROR_SUCCESS);
    auto names = SubkeyNames(busy);
    ASSERT_EQ(names.size(), static_cast<size_t>(threads));
    for (const auto& name : names) {
        Key child;
        ASSERT_EQ(RegOpenKeyExW(busy, name.c_str(), 0, KEY_READ, &child), ERROR_SUCCESS);
        EXPECT_EQ(ValueNames(child).size(), static_cast<size_t>(perThread));
    }
}

} // namespace
