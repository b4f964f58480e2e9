// Listing a folder of many generated files through the shell namespace, as
// an explorer list does: enumerate, then ask each item its name, attributes,
// size and times, then sort by name. The peer reads the same folder with
// readdir and one stat per name, then sorts. The layer's configuration
// folder is a private one, so that the user's drive mappings play no part.
//
// SHELL_LISTING_COUNT sets the number of files (100,000 by default);
// scripts/shell-listing-syscalls runs this program under strace.
#include "benchkit/shell/IDEVirtualPIDLTools.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <win32/TestSeams.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

size_t FileCount() {
    const char* text = std::getenv("SHELL_LISTING_COUNT");
    return text && *text ? std::strtoul(text, nullptr, 10) : 100000;
}

class Fixture {
public:
    Fixture() {
        std::string base = (std::filesystem::temp_directory_path() / "shell-listing-XXXXXX").string();
        root_ = mkdtemp(base.data());
        TestSeams::SetConfigFolder(root_ + "/config");
        folder_ = root_ + "/files";
        std::filesystem::create_directory(folder_);
        // Names in no particular order; every tenth file is hidden, every
        // seventh has some bytes.
        for (size_t i = 0; i < FileCount(); ++i) {
            std::string name = (i % 10 == 0 ? ".file" : "file") + std::to_string(i * 7919 % 1000003);
            const int fd = ::open((folder_ + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
            if (i % 7 == 0) (void)!::write(fd, name.data(), name.size());
            ::close(fd);
        }
        InitializeIDEVirtualShellUtilities();
        // Makes the layer's folders and default drive now, not inside the listing.
        TNamespace probe(WindowsFolder());
    }
    ~Fixture() {
        FinalizeIDEVirtualShellUtilities();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    const std::string& Folder() const { return folder_; }
    UnicodeString WindowsFolder() const {
        UnicodeString path = u"C:" + Utf8ToUnicode(folder_);
        for (char16_t& c : path)
            if (c == u'/') c = u'\\';
        return path;
    }

private:
    std::string root_;
    std::string folder_;
};

Fixture& Files() {
    static Fixture fixture;
    return fixture;
}

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Marks in a system call trace where the listing begins and ends, so that
// scripts/shell-listing-syscalls counts its calls alone.
void TraceMark(const char* what) {
    (void)!::access(what, F_OK);
}

void BM_NamespaceListing(benchmark::State& state) {
    Fixture& files = Files();
    files.WindowsFolder(); // the layer's folders are made before the trace mark
    double bytesPerItem = 0;
    for (auto _ : state) {
        TraceMark("/shell-listing-bench/begin");
        const size_t before = HeapInUse();
        TNamespace folder(files.WindowsFolder());
        struct Row {
            std::unique_ptr<TNamespace> Item;
            UnicodeString Name;
        };
        std::vector<Row> rows;
        folder.EnumerateFolder(
            true, true, true,
            [&](PItemIDList pidl, TNamespace* parent, void*, bool&) {
                rows.push_back({std::unique_ptr<TNamespace>(new TNamespace(pidl, parent)), {}});
                return true;
            },
            nullptr);
        int64_t total = 0;
        int flags = 0;
        for (Row& row : rows) {
            row.Name = row.Item->GetNameInFolder();
            flags += row.Item->GetFolder() + row.Item->GetHidden() + row.Item->GetReadOnlyFile();
            total += row.Item->GetSizeOfFileInt64();
            total += row.Item->GetLastWriteTimeRaw().dwLowDateTime;
            total += row.Item->GetCreationTimeRaw().dwLowDateTime;
        }
        std::sort(rows.begin(), rows.end(),
                  [](const Row& a, const Row& b) { return a.Name < b.Name; });
        bytesPerItem = static_cast<double>(HeapInUse() - before) / std::max<size_t>(rows.size(), 1);
        if (rows.size() != FileCount()) state.SkipWithError("items missing");
        benchmark::DoNotOptimize(total + flags);
        TraceMark("/shell-listing-bench/end");
    }
    state.counters["bytes_per_item"] = bytesPerItem;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(FileCount()));
}

void BM_PosixListing(benchmark::State& state) {
    Fixture& files = Files();
    for (auto _ : state) {
        struct Row {
            std::string Name;
            struct stat Info;
        };
        std::vector<Row> rows;
        DIR* dir = opendir(files.Folder().c_str());
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.' &&
                (entry->d_name[1] == 0 || (entry->d_name[1] == '.' && entry->d_name[2] == 0)))
                continue;
            Row row{entry->d_name, {}};
            fstatat(dirfd(dir), entry->d_name, &row.Info, 0);
            rows.push_back(std::move(row));
        }
        closedir(dir);
        std::sort(rows.begin(), rows.end(),
                  [](const Row& a, const Row& b) { return a.Name < b.Name; });
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(FileCount()));
}

} // namespace

BENCHMARK(BM_NamespaceListing)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PosixListing)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
