// What the shell layer binds at run time, and the folder requests it makes
// beyond plain browsing.
#include "ShellTestSupport.h"

#include <win32/winbase.h>

namespace {

template <class F> F Bind(LPCWSTR module, LPCSTR name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

LPCSTR Ordinal(WORD ordinal) {
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal));
}

class ShellLibraryExportsTest : public ShellTest {
protected:
    void TearDown() override {
        TestSeams::RestoreShellOrdinals();
        ShellTest::TearDown();
    }
};

TEST_F(ShellLibraryExportsTest, WideRoutinesByName) {
    struct Case {
        LPCWSTR module;
        LPCSTR name;
        void* address;
    } cases[] = {
        {u"kernel32", "GetFileAttributesW", reinterpret_cast<void*>(&GetFileAttributesW)},
        {u"kernel32", "CreateFileW", reinterpret_cast<void*>(&CreateFileW)},
        {u"kernel32", "FindFirstFileW", reinterpret_cast<void*>(&FindFirstFileW)},
        {u"kernel32", "GetDriveTypeW", reinterpret_cast<void*>(&GetDriveTypeW)},
        {u"kernel32", "GetDiskFreeSpaceExW", reinterpret_cast<void*>(&GetDiskFreeSpaceExW)},
        {u"user32", "DrawTextW", reinterpret_cast<void*>(&DrawTextW)},
        {u"gdi32", "GetCharABCWidthsW", reinterpret_cast<void*>(&GetCharABCWidthsW)},
        {u"shell32", "SHGetFileInfoW", reinterpret_cast<void*>(&SHGetFileInfoW)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(c.module), c.name)),
                  c.address)
            << c.name;
}

TEST_F(ShellLibraryExportsTest, WithheldOrdinalsAreMissingUntilRestored) {
    using Equal = BOOL (*)(PCIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE);
    TestSeams::WithholdShellOrdinals({21, 747});
    EXPECT_EQ(Bind<Equal>(u"shell32.dll", Ordinal(21)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_NE(Bind<Equal>(u"shell32.dll", Ordinal(23)), nullptr);
    TestSeams::RestoreShellOrdinals();
    EXPECT_EQ(Bind<Equal>(u"shell32.dll", Ordinal(21)), &ILIsEqual);
}

TEST_F(ShellLibraryExportsTest, DocumentsParseByTheirClassId) {
    PIDLIST_ABSOLUTE byClass = Parse(u"::{450d8fba-ad25-11d0-98a8-0800361b1103}");
    PIDLIST_ABSOLUTE byId = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &byId), S_OK);
    EXPECT_TRUE(ILIsEqual(byClass, byId));
    ILFree(byId);
    ILFree(byClass);
}

TEST_F(ShellLibraryExportsTest, FolderHandsOutItsDetailsAndNamesItselfByTheEmptyList) {
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    IShellDetails* details = nullptr;
    ASSERT_EQ(
        desktop->CreateViewObject(nullptr, IID_IShellDetails, reinterpret_cast<void**>(&details)),
        S_OK);
    SHELLDETAILS column{};
    ASSERT_EQ(details->GetDetailsOf(nullptr, 0, &column), S_OK);
    WCHAR title[MAX_PATH];
    StrRetToBufW(&column.str, nullptr, title, MAX_PATH);
    EXPECT_EQ(std::u16string(title), u"Name");
    details->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(desktop->CreateViewObject(nullptr, IID_IShellFolder, &none), E_NOTIMPL);
    EXPECT_EQ(none, nullptr);

    ITEMIDLIST empty{};
    PCUITEMID_CHILD self[1] = {&empty};
    SFGAOF flags = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_CANDELETE;
    ASSERT_EQ(desktop->GetAttributesOf(1, self, &flags), S_OK);
    EXPECT_EQ(flags, static_cast<SFGAOF>(SFGAO_FOLDER));
    desktop->Release();
}

} // namespace
