#include "RegistryStore.h"

#include "Config.h"
#include "DiskWrite.h"
#include "Errno.h"
#include "Registry.h"
#include "RegistryHiveFile.h"
#include "RegistryText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

const char* HiveName(HiveId hive) {
    switch (hive) {
    case HiveId::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case HiveId::CurrentUser:
        return "HKEY_CURRENT_USER";
    case HiveId::Users:
        return "HKEY_USERS";
    case HiveId::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    case HiveId::Count:
        break;
    }
    return "";
}

bool IsPersisted(HiveId hive) {
    return hive == HiveId::LocalMachine || hive == HiveId::CurrentUser;
}

std::string RegistryFolder() {
    return ConfigFolder() + "/registry";
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The predefined key a handle names (0..6 for HKEY_CLASSES_ROOT..HKEY_DYN_DATA),
// or -1. Both the sign-extended and the zero-extended 32-bit forms are accepted:
// callers that keep root keys in 32-bit fields widen them either way.
int PredefinedIndex(HKEY handle) {
    uint64_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value >> 32) == 0xFFFFFFFFu) value &= 0xFFFFFFFFu;
    if (value >= 0x80000000u && value <= 0x80000006u) return static_cast<int>(value - 0x80000000u);
    return -1;
}

// Bytes of appended records allowed beyond twice the hive's size before the
// file is rewritten whole: small hives are not rewritten for every change.
constexpr off_t kCompactSlack = 64 * 1024;

// The hive's lock file, held for the life of the object. Writers hold it
// exclusively; readers taking up appended records share it.
class HiveLock {
public:
    HiveLock(HiveId hive, int mode) {
        std::string path = RegistryFolder() + "/" + HiveName(hive) + ".lock";
        int flags = mode == LOCK_EX ? O_RDWR | O_CREAT : O_RDONLY;
        m_fd = open(path.c_str(), flags | O_CLOEXEC, 0644);
        if (m_fd < 0 && mode == LOCK_SH) m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        while (m_fd >= 0 && flock(m_fd, mode) != 0) {
            if (errno == EINTR) continue;
            m_error = errno;
            close(m_fd);
            m_fd = -1;
        }
        if (m_fd < 0 && !m_error) m_error = errno;
    }
    ~HiveLock() {
        if (m_fd >= 0) close(m_fd); // closing drops the lock
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool Held() const { return m_fd >= 0; }
    int Error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

// Reads a whole hive file; 0, or the errno of the failure (EISDIR for a folder).
int ReadHive(const std::string& path, std::string& text, struct stat& st) {
    text.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = 0;
    if (fstat(fd, &st) != 0) error = errno;
    else if (S_ISDIR(st.st_mode)) error = EISDIR;
    if (!error) {
        text.reserve(static_cast<size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) error = errno;
            if (got <= 0) break;
            text.append(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    return error;
}

// Reads bytes [from, to) of a file; 0 or the errno of the failure.
int ReadRange(const std::string& path, off_t from, off_t to, std::string& text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    text.resize(static_cast<size_t>(to - from));
    size_t done = 0;
    int error = 0;
    while (done < text.size()) {
        ssize_t got = pread(fd, text.data() + done, text.size() - done, from + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            error = got < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(got);
    }
    close(fd);
    return error;
}


// The first line of a hive file, with its line feed.
std::string FirstLine(std::string_view text) {
    size_t end = text.find('\n');
    return std::string(text.substr(0, end == std::string_view::npos ? text.size() : end + 1));
}

// The first `size` bytes of a file (fewer when it is shorter).
std::string HeadOf(const std::string& path, size_t size) {
    std::string head;
    if (ReadRange(path, 0, static_cast<off_t>(size), head) != 0) head.clear();
    return head;
}

// The title of a file written whole: the hive's name and a number of this
// write, so that two files never start with the same line.
std::string FileTitle(HiveId hive) {
    static std::mt19937_64 numbers{std::random_device{}()};
    char id[17];
    std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(numbers()));
    return std::string(HiveName(hive)) + " " + id;
}

void SyncFolder(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Makes `into` hold what `from` holds (values and non-volatile subkeys),
// reusing the key objects of `into` that still exist so that handles to them
// stay good. Volatile subkeys of `into` are kept: files never hold them.
void Adopt(RegistryKey& into, const RegistryKey& from) {
    std::vector<std::pair<RegistryKey*, const RegistryKey*>> pending{{&into, &from}};
    while (!pending.empty()) {
        auto [to, source] = pending.back();
        pending.pop_back();
        to->ReplaceValues(source->Values());
        auto current = to->Subkeys(); // a copy: removing changes the list
        for (const auto& subkey : current)
            if (!subkey->IsVolatile() && !source->FindSubkey(subkey->Name()))
                to->RemoveSubkey(subkey.get());
        for (const auto& subkey : source->Subkeys()) {
            std::shared_ptr<RegistryKey> match = to->FindSubkey(subkey->Name());
            if (match && match->IsVolatile()) continue;
            if (!match) match = to->AddSubkey(subkey->Name(), false);
            pending.emplace_back(match.get(), subkey.get());
        }
    }
}

} // namespace

RegistryStore& RegistryStore::Instance() {
    static RegistryStore* store = [] {
        auto* created = new RegistryStore; // never destroyed: keys may close during exit
        // The layer's own HARDWARE content comes first, before any other generator.
        created->AddGenerator(GenerateBuiltinHardware);
        return created;
    }();
    return *store;
}

std::unique_lock<std::recursive_mutex> RegistryStore::Lock() {
    std::unique_lock<std::recursive_mutex> guard(m_lock);
    if (!m_loaded) Load();
    return guard;
}

std::string RegistryStore::FilePath(HiveId hive) {
    if (!IsPersisted(hive)) return "";
    return RegistryFolder() + "/" + HiveName(hive) + ".txt";
}

void RegistryStore::Load() {
    m_loaded = true; // first, so that generators calling the registry do not load again
    m_handles.clear();
    for (int i = 0; i < static_cast<int>(HiveId::Count); ++i) {
        m_roots[i] = std::make_shared<RegistryKey>(u"", static_cast<HiveId>(i), false);
        m_files[i] = HiveFile{};
    }
    LoadFile(HiveId::LocalMachine);
    LoadFile(HiveId::CurrentUser);

    Root(HiveId::LocalMachine).AddSubkey(u"HARDWARE", true);
    ClassesRoot();
    Root(HiveId::Users).AddSubkey(u".DEFAULT", false);
    RunGenerators();
}

void RegistryStore::LoadFile(HiveId hive) {
    HiveFile& file = m_files[static_cast<int>(hive)];
    std::string path = FilePath(hive);
    HiveLock lock(hive, LOCK_EX);
    if (lock.Held()) RemoveStaleTemporaries(hive);

    std::string text;
    struct stat st;
    int error = ReadHive(path, text, st);
    if (error == ENOENT) return; // no file yet: an empty hive
    if (error) {
        // Taken as empty for reading, but never written over: the file may
        // hold everything the user has, and we could not see it.
        file.refused = ErrorFromErrno(error);
        if (file.refused == ERROR_FILE_NOT_FOUND || file.refused == ERROR_PATH_NOT_FOUND)
            file.refused = ERROR_ACCESS_DENIED;
        std::fprintf(stderr, "registry: cannot read %s: %s; changes to it are refused\n",
                     path.c_str(), std::strerror(error));
        return;
    }
    file.seen = true;
    file.dev = st.st_dev;
    file.ino = st.st_ino;
    file.size = static_cast<off_t>(text.size());
    file.compactSize = file.size;
    file.head = FirstLine(text);

    RegistryKey& root = Root(hive);
    size_t bad = ParseHive(text, root);
    // HARDWARE describes this machine now; a copy found in a file is stale.
    bool stale = false;
    if (hive == HiveId::LocalMachine) {
        if (auto hardware = root.FindSubkey(u"HARDWARE")) {
            root.RemoveSubkey(hardware.get());
            stale = true;
        }
    }
    if (bad == 0 && !stale) return;
    if (bad) std::fprintf(stderr, "registry: %zu unreadable line(s) in %s\n", bad, path.c_str());
    // Rewrite what could be read, so that the next start does not stumble over
    // the same lines; a damaged file is kept beside it for a person to look at.
    // If that fails (a full disk), the file stays as it is: it still holds
    // everything, and the next load skips the same lines again.
    if (lock.Held()) Compact(hive, bad ? &text : nullptr);
}

void RegistryStore::RemoveStaleTemporaries(HiveId hive) {
    // Temporary files are only made under the hive's lock, which we hold: any
    // one there now was left by a process that died while writing.
    std::string prefix = std::string(HiveName(hive)) + ".txt.tmp-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(RegistryFolder(), error)) {
        std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0) unlink(entry.path().c_str());
    }
}

LONG RegistryStore::Compact(HiveId hive, const std::string* damaged) {
    HiveFile& file = m_files[static_cast<int>(hive)];
    std::string path = FilePath(hive);
    std::string keptAs;
    if (damaged) {
        std::string copy = path + ".bad";
        for (int n = 2; Exists(copy); ++n)
            copy = path + ".bad." + std::to_string(n);
        // A second name for the same file costs no space, so it works on a full
        // disk too; the rename below then leaves the damaged file under it.
        bool kept = link(path.c_str(), copy.c_str()) == 0 || WriteFileAtomically(copy, *damaged);
        if (!kept) return ErrorFromErrno(errno);
        keptAs = copy;
    }
    std::string text = FormatHive(Root(hive), FileTitle(hive));
    if (!MakeFolders(RegistryFolder()) || !WriteFileAtomically(path, text)) {
        int error = errno;
        // The damaged file is still in its place; a copy would only pile up.
        if (!keptAs.empty()) unlink(keptAs.c_str());
        std::fprintf(stderr, "registry: cannot write %s: %s\n", path.c_str(), std::strerror(error));
        return ErrorFromErrno(error);
    }
    if (!keptAs.empty())
        std::fprintf(stderr, "registry: damaged %s kept as %s\n", path.c_str(), keptAs.c_str());
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        file.seen = true;
        file.dev = st.st_dev;
        file.ino = st.st_ino;
    }
    file.size = file.compactSize = static_cast<off_t>(text.size());
    file.head = FirstLine(text);
    return ERROR_SUCCESS;
}

void RegistryStore::TakeUp(HiveId hive) {
    HiveFile& file = m_files[static_cast<int>(hive)];
    std::string path = FilePath(hive);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT || !file.seen) return;
        // Removed behind our back (say, the user's reset): the hive is empty now.
        RegistryKey empty(u"", hive, false);
        Adopt(Root(hive), empty);
        file = HiveFile{};
        return;
    }
    // The same inode may be a new file: a rewrite frees the old inode and the
    // next one may get it again. Each whole write starts with a line of its
    // own, which tells them apart.
    bool same = file.seen && st.st_dev == file.dev && st.st_ino == file.ino &&
                st.st_size >= file.size && HeadOf(path, file.head.size()) == file.head;
    if (same && st.st_size == file.size) return;
    if (same && st.st_size > file.size) {
        // Records appended by another process: apply just those.
        std::string tail;
        if (ReadRange(path, file.size, st.st_size, tail) != 0) return;
        ParseHive(tail, Root(hive));
        file.size = st.st_size;
        return;
    }
    // Rewritten by another process: read it whole and bring memory in line,
    // keeping the key objects that still exist so that open handles stay good.
    std::string text;
    if (ReadHive(path, text, st) != 0) return;
    RegistryKey fresh(u"", hive, false);
    ParseHive(text, fresh);
    if (hive == HiveId::LocalMachine) {
        if (auto hardware = fresh.FindSubkey(u"HARDWARE")) fresh.RemoveSubkey(hardware.get());
    }
    Adopt(Root(hive), fresh);
    file.seen = true;
    file.dev = st.st_dev;
    file.ino = st.st_ino;
    file.size = file.compactSize = static_cast<off_t>(text.size());
    file.head = FirstLine(text);
}

bool RegistryStore::IsJournaled(const RegistryKey& key) const {
    return IsPersisted(key.Hive()) && !key.IsVolatile();
}

void RegistryStore::Refresh(HiveId hive) {
    if (!IsPersisted(hive) || m_files[static_cast<int>(hive)].refused) return;
    HiveLock lock(hive, LOCK_SH);
    TakeUp(hive);
}

LONG RegistryStore::Write(HiveId hive, const std::string& record, const RegistryKey* key) {
    HiveFile& file = m_files[static_cast<int>(hive)];
    if (file.refused) return static_cast<LONG>(file.refused);
    if (!MakeFolders(RegistryFolder())) return ErrorFromErrno(errno);
    HiveLock lock(hive, LOCK_EX);
    if (!lock.Held()) return ErrorFromErrno(lock.Error());
    TakeUp(hive);
    if (key && key->IsDeleted()) return ERROR_KEY_DELETED;

    std::string path = FilePath(hive);
    int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return ErrorFromErrno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int error = errno;
        close(fd);
        return ErrorFromErrno(error);
    }
    std::string data;
    if (st.st_size == 0) {
        RegistryKey empty(u"", hive, false);
        data = FormatHive(empty, FileTitle(hive)); // the heading of a new file
    } else {
        // A process killed in mid-write may have left half a line: end it, so
        // that it stays one unreadable line and our record starts afresh.
        char last = '\n';
        if (pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') data = "\n";
    }
    data += record;
    if (!WriteToDisk(fd, data)) {
        int error = errno;
        // Take back what did get written, so that the file ends where it ended.
        if (ftruncate(fd, st.st_size) != 0) std::fprintf(stderr, "registry: cannot cut %s\n", path.c_str());
        close(fd);
        return ErrorFromErrno(error);
    }
    close(fd);
    if (st.st_size == 0) SyncFolder(RegistryFolder());

    if (st.st_size == 0) file.head = FirstLine(data);
    file.seen = true;
    file.dev = st.st_dev;
    file.ino = st.st_ino;
    file.size = st.st_size + static_cast<off_t>(data.size());
    ParseHive(record, Root(hive));
    // Appended records that outgrow the hive are folded into a fresh file;
    // the records already hold the change, so a failure here loses nothing.
    if (file.size > 2 * file.compactSize + kCompactSlack) Compact(hive, nullptr);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Flush(HiveId hive) {
    if (!IsPersisted(hive)) return ERROR_SUCCESS;
    if (DWORD refused = m_files[static_cast<int>(hive)].refused) return static_cast<LONG>(refused);
    Refresh(hive);
    // Every change reached the file when it was made; this makes it survive a
    // power loss too.
    int fd = open(FilePath(hive).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : ErrorFromErrno(errno);
    int error = fdatasync(fd) == 0 ? 0 : errno;
    close(fd);
    return error ? ErrorFromErrno(error) : ERROR_SUCCESS;
}

std::shared_ptr<RegistryKey> RegistryStore::ClassesRoot() {
    RegistryKey& machine = Root(HiveId::LocalMachine);
    std::shared_ptr<RegistryKey> software = machine.FindSubkey(u"Software");
    if (!software) software = machine.AddSubkey(u"Software", false);
    std::shared_ptr<RegistryKey> classes = software->FindSubkey(u"Classes");
    if (!classes) classes = software->AddSubkey(u"Classes", false);
    return classes;
}

RegistryKey& RegistryStore::Hardware() {
    RegistryKey& machine = Root(HiveId::LocalMachine);
    std::shared_ptr<RegistryKey> hardware = machine.FindSubkey(u"HARDWARE");
    if (!hardware) hardware = machine.AddSubkey(u"HARDWARE", true);
    return *hardware;
}

bool RegistryStore::IsPredefined(HKEY handle) {
    return PredefinedIndex(handle) >= 0;
}

LONG RegistryStore::Resolve(HKEY handle, OpenKey& open) {
    switch (PredefinedIndex(handle)) {
    case 0:
        open = {ClassesRoot(), KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 1:
        open = {m_roots[int(HiveId::CurrentUser)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 2:
        open = {m_roots[int(HiveId::LocalMachine)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 3:
        open = {m_roots[int(HiveId::Users)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 5:
        open = {m_roots[int(HiveId::CurrentConfig)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 4: // performance data and dynamic data are not kept
    case 6:
        return ERROR_INVALID_HANDLE;
    default:
        break;
    }
    auto it = m_handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == m_handles.end()) return ERROR_INVALID_HANDLE;
    if (it->second.key->IsDeleted()) return ERROR_KEY_DELETED;
    open = it->second;
    return ERROR_SUCCESS;
}

HKEY RegistryStore::AddHandle(std::shared_ptr<RegistryKey> key, REGSAM access) {
    uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(value, OpenKey{std::move(key), access});
    return reinterpret_cast<HKEY>(value);
}

bool RegistryStore::RemoveHandle(HKEY handle) {
    return m_handles.erase(reinterpret_cast<uintptr_t>(handle)) > 0;
}

int RegistryStore::AddGenerator(std::function<void()> generator) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    int id = m_nextGenerator++;
    m_generators.emplace_back(id, std::move(generator));
    if (m_loaded) {
        try {
            m_generators.back().second();
        } catch (...) {
        }
    }
    return id;
}

void RegistryStore::RemoveGenerator(int id) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::erase_if(m_generators, [&](const auto& entry) { return entry.first == id; });
}

void RegistryStore::RunGenerators() {
    Hardware().Clear();
    // A copy: a generator may register or unregister others.
    auto generators = m_generators;
    for (auto& entry : generators) {
        try {
            entry.second();
        } catch (...) {
            // One faulty generator must not keep the registry from loading.
        }
    }
}

void RegistryStore::Unload() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_loaded = false;
    for (auto& file : m_files)
        file = HiveFile{};
    m_handles.clear();
    for (auto& root : m_roots)
        root.reset();
}

void RegistryStore::Reset() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Unload();
    std::error_code ignored;
    std::filesystem::remove_all(RegistryFolder(), ignored);
}

} // namespace win32
