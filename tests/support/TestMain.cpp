// Entry point of every test program: each process gets a fresh, private
// configuration folder so that no test reads or writes the user's own
// registry, profile files or devices, and tests never see each other's state.
#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// fontconfig and GIO keep what they parse of the system's configuration and
// MIME database for the life of the process; those leaks are not ours, so the
// leak checker of sanitizer builds ignores them in every test program (and
// tests/lsan.supp in the programs that tests start).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libgio-2.0.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}

int main(int argc, char** argv) {
    std::string base = std::filesystem::temp_directory_path() / "winlayer-test-XXXXXX";
    char* made = mkdtemp(base.data());
    if (!made) return 2;
    setenv("WINLAYER_HOME", made, 1);
    unsetenv("WINLAYER_WINDIR");
    unsetenv("WINLAYER_DEVICES");
    unsetenv("DISPLAY"); // windows stay headless; presenter tests start their own X server
    // Serial ports come only from what a test sets up, never from the machine's /dev.
    TestSeams::SetSerialScanFolder(std::string(made) + "/no-serial-devices");
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
    return result;
}
