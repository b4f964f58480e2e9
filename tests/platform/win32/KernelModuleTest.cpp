#include "KernelTestSupport.h"

#include <win32/internal/Modules.h>

namespace {

int Answer() {
    return 42;
}
int Ordinal7() {
    return 7;
}

// A library that loads on demand, registered once for this test program.
void RegisterTestLibrary() {
    static bool done = false;
    if (done) return;
    done = true;
    win32::RegisterModule(u"KTESTLIB.DLL",
                          {{"GetAnswer", 0, reinterpret_cast<void*>(&Answer)},
                           {nullptr, 7, reinterpret_cast<void*>(&Ordinal7)},
                           {"Both", 9, reinterpret_cast<void*>(&Answer)}},
                          false);
}

template <class Fn> int Call(FARPROC proc) {
    return reinterpret_cast<Fn*>(reinterpret_cast<void*>(proc))();
}

} // namespace

TEST(KernelModules, ResolveExportsByNameAndByOrdinal) {
    RegisterTestLibrary();
    HMODULE module = LoadLibraryW(u"ktestlib.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Call<int()>(GetProcAddress(module, "GetAnswer")), 42);
    EXPECT_EQ(Call<int()>(GetProcAddress(module, reinterpret_cast<LPCSTR>(ULONG_PTR{7}))), 7);
    EXPECT_EQ(GetProcAddress(module, "Both"),
              GetProcAddress(module, reinterpret_cast<LPCSTR>(ULONG_PTR{9})));

    EXPECT_EQ(GetProcAddress(module, "getanswer"), nullptr); // export names keep their case
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(ULONG_PTR{8})), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(KernelModules, MatchNamesWithoutCaseExtensionOrFolder) {
    RegisterTestLibrary();
    HMODULE module = LoadLibraryW(u"KTESTLIB.DLL");
    for (LPCWSTR name : {u"KTESTLIB", u"ktestlib", u"KTestLib.dll", u"ktestlib.",
                         u"C:\\Windows\\System32\\ktestlib.DLL"}) {
        EXPECT_EQ(GetModuleHandleW(name), module);
        HMODULE again = LoadLibraryW(name);
        EXPECT_EQ(again, module);
        FreeLibrary(again);
    }
    EXPECT_EQ(LoadLibraryA("ktestlib"), module);
    FreeLibrary(module);
    FreeLibrary(module);
}

TEST(KernelModules, AreReferenceCountedByLoadAndFree) {
    RegisterTestLibrary();
    EXPECT_EQ(GetModuleHandleW(u"ktestlib"), nullptr); // GetModuleHandle never loads
    HMODULE first = LoadLibraryW(u"ktestlib");
    HMODULE second = LoadLibraryW(u"ktestlib");
    EXPECT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleW(u"ktestlib"), first);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(GetModuleHandleW(u"ktestlib"), nullptr);
    EXPECT_EQ(GetProcAddress(first, "GetAnswer"), nullptr);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(KernelModules, AMissingModuleIsNotFound) {
    EXPECT_EQ(LoadLibraryW(u"NOSUCH.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleW(u"nosuch"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x7654320)));
}

TEST(KernelModules, TheProgramAndTheKernelAreAlwaysLoaded) {
    HMODULE program = GetModuleHandleW(nullptr);
    EXPECT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
    EXPECT_EQ(win32::ProgramModule(), program);
    EXPECT_TRUE(FreeLibrary(program));
    EXPECT_EQ(GetModuleHandleW(nullptr), program);

    HMODULE kernel = GetModuleHandleW(u"kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount")),
              reinterpret_cast<void*>(&GetTickCount));
    EXPECT_EQ(LoadLibraryW(u"KERNEL32"), kernel);
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_TRUE(FreeLibrary(kernel)); // a resident module never unloads
    EXPECT_EQ(GetModuleHandleW(u"kernel32"), kernel);
}
