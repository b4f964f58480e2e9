// The registry's hive files at size: loading a hive of 100,000 keys and
// values, and writing 5,000 values into one key. Both should grow linearly.
#include <win32/TestSeams.h>
#include <win32/winreg.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A configuration folder of our own for the run, removed at the end.
class BenchFolder {
public:
    BenchFolder() {
        char pattern[] = "/tmp/registry-bench-XXXXXX";
        m_path = mkdtemp(pattern);
        TestSeams::SetConfigFolder(m_path);
        TestSeams::ResetRegistry();
    }
    ~BenchFolder() {
        TestSeams::ResetRegistry();
        TestSeams::SetConfigFolder("");
        fs::remove_all(m_path);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// 25,000 keys of 3 values each, spread over 250 parents: 100,000 entries.
void WriteLargeHive(const std::string& file) {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "; HKEY_CURRENT_USER\n";
    for (int parent = 0; parent < 250; ++parent) {
        for (int child = 0; child < 100; ++child) {
            out << "\n[Software\\Vendor" << parent << "\\Item" << child << "]\n";
            out << "\"Name\"=sz:\"item " << parent << "-" << child << "\"\n";
            out << "\"Size\"=dword:" << std::hex << (parent * 100 + child) << std::dec << "\n";
            out << "\"Data\"=hex:01,02,03,04,05,06,07,08\n";
        }
    }
}

void BM_LoadHive100k(benchmark::State& state) {
    BenchFolder folder;
    std::string file = folder.Path() + "/registry/HKEY_CURRENT_USER.txt";
    WriteLargeHive(file);
    state.counters["bytes"] = static_cast<double>(fs::file_size(file));
    for (auto _ : state) {
        TestSeams::ReloadRegistry();
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Vendor249\\Item99", 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            state.SkipWithError("the last key was not loaded");
        RegCloseKey(key);
    }
}
BENCHMARK(BM_LoadHive100k)->Unit(benchmark::kMillisecond);

void BM_Write5000ValuesInOneKey(benchmark::State& state) {
    BenchFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        TestSeams::ResetRegistry();
        HKEY key = nullptr;
        RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\Many", &key);
        state.ResumeTiming();
        for (int i = 0; i < 5000; ++i) {
            std::u16string name = Wide("Value" + std::to_string(i));
            DWORD data = static_cast<DWORD>(i);
            if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&data),
                               4) != ERROR_SUCCESS)
                state.SkipWithError("a write failed");
        }
        RegCloseKey(key);
    }
}
BENCHMARK(BM_Write5000ValuesInOneKey)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
