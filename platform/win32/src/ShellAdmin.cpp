// The shell's administrator query. On Linux an administrator is root, or a
// member of a group that may become root: sudo, wheel or admin.
#include "Modules.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <grp.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace win32 {
namespace {

std::mutex adminLock;
std::optional<bool>& AdminOverride() {
    static auto* answer = new std::optional<bool>;
    return *answer;
}

bool InAdminGroup() {
    int count = getgroups(0, nullptr);
    if (count < 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count) + 1);
    count = getgroups(count, groups.data());
    groups.resize(count < 0 ? 0 : static_cast<size_t>(count));
    groups.push_back(getegid());
    for (const char* name : {"sudo", "wheel", "admin"}) {
        group entry{}, *found = nullptr;
        std::vector<char> buffer(4096);
        if (getgrnam_r(name, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) continue;
        for (gid_t g : groups)
            if (g == found->gr_gid) return true;
    }
    return false;
}

BOOL WINAPI IsUserAnAdmin() {
    {
        std::lock_guard<std::mutex> guard(adminLock);
        if (AdminOverride()) return *AdminOverride() ? TRUE : FALSE;
    }
    return geteuid() == 0 || InAdminGroup() ? TRUE : FALSE;
}

} // namespace

void RegisterShellAdminQuery() {
    // Exported by ordinal only, as the shell library does.
    RegisterModule(u"SHELL32.DLL", {{nullptr, 680, reinterpret_cast<void*>(&IsUserAnAdmin)}});
}

} // namespace win32

namespace TestSeams {

void SetAdministrator(std::optional<bool> isAdmin) {
    std::lock_guard<std::mutex> guard(win32::adminLock);
    win32::AdminOverride() = isAdmin;
}

} // namespace TestSeams
