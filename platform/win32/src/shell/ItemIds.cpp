// Item id lists: the documented routines and the layer's own item layout.
#include "ItemIds.h"

#include "../FileStat.h"
#include "../Paths.h"
#include "SpecialFolders.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace win32 {
namespace {

constexpr uint8_t kFlagFolder = 1;
constexpr uint8_t kFlagStatKnown = 2;
constexpr uint8_t kFlagLink = 4;
constexpr uint8_t kFlagTimes = 8;

template <class T> T ReadField(const BYTE* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
template <class T> void WriteField(uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

PIDLIST_RELATIVE CopyBytes(const void* bytes, size_t size) {
    auto* list = static_cast<uint8_t*>(CoTaskMemAlloc(size + 2));
    if (!list) return nullptr;
    if (size) std::memcpy(list, bytes, size);
    list[size] = list[size + 1] = 0;
    return reinterpret_cast<PIDLIST_RELATIVE>(list);
}

// Bytes of the list before its terminator.
size_t ContentSize(PCUIDLIST_RELATIVE pidl) {
    size_t size = 0;
    for (auto* at = reinterpret_cast<const uint8_t*>(pidl); pidl && ReadField<USHORT>(at) != 0;) {
        USHORT cb = ReadField<USHORT>(at);
        size += cb;
        at += cb;
    }
    return size;
}

// The identifying part of an item: kind, id and name, skipping cached data.
bool SameItem(LPCSHITEMID a, LPCSHITEMID b) {
    Item x, y;
    bool ox = DecodeItem(a, x), oy = DecodeItem(b, y);
    if (ox && oy) return x.kind == y.kind && x.id == y.id && x.name == y.name;
    return a->cb == b->cb && std::memcmp(a, b, a->cb) == 0; // foreign items: by bytes
}

} // namespace

bool DecodeItem(LPCSHITEMID item, Item& out) {
    if (!item || item->cb < kItemHeader) return false;
    const BYTE* at = reinterpret_cast<const BYTE*>(item);
    if (at[2] != kItemSignature) return false;
    if (at[3] < 1 || at[3] > 3) return false;
    out.kind = static_cast<ItemKind>(at[3]);
    out.id = at[4];
    out.folder = (at[5] & kFlagFolder) != 0;
    out.statKnown = (at[5] & kFlagStatKnown) != 0;
    out.link = (at[5] & kFlagLink) != 0;
    out.attributes = ReadField<DWORD>(at + 6);
    out.size = ReadField<uint64_t>(at + 10);
    out.writeTime = ReadField<uint64_t>(at + 18);
    out.timesKnown = (at[5] & kFlagTimes) != 0;
    size_t nameAt = kItemHeader;
    if (out.timesKnown) {
        if (item->cb < kItemHeader + kItemTimes) return false;
        out.accessTime = ReadField<uint64_t>(at + kItemHeader);
        out.creationTime = ReadField<uint64_t>(at + kItemHeader + 8);
        nameAt += kItemTimes;
    } else {
        out.accessTime = out.creationTime = 0;
    }
    out.name.assign(reinterpret_cast<const char*>(at + nameAt), item->cb - nameAt);
    return true;
}

std::vector<uint8_t> ItemBytes(const Item& item) {
    const size_t nameAt = kItemHeader + (item.timesKnown ? kItemTimes : 0);
    std::vector<uint8_t> bytes(nameAt + item.name.size());
    WriteField<USHORT>(bytes.data(), static_cast<USHORT>(bytes.size()));
    bytes[2] = kItemSignature;
    bytes[3] = static_cast<uint8_t>(item.kind);
    bytes[4] = item.id;
    bytes[5] = (item.folder ? kFlagFolder : 0) | (item.statKnown ? kFlagStatKnown : 0) |
               (item.link ? kFlagLink : 0) | (item.timesKnown ? kFlagTimes : 0);
    WriteField<DWORD>(bytes.data() + 6, item.attributes);
    WriteField<uint64_t>(bytes.data() + 10, item.size);
    WriteField<uint64_t>(bytes.data() + 18, item.writeTime);
    if (item.timesKnown) {
        WriteField<uint64_t>(bytes.data() + kItemHeader, item.accessTime);
        WriteField<uint64_t>(bytes.data() + kItemHeader + 8, item.creationTime);
    }
    std::memcpy(bytes.data() + nameAt, item.name.data(), item.name.size());
    return bytes;
}

PITEMID_CHILD EncodeItem(const Item& item) {
    std::vector<uint8_t> bytes = ItemBytes(item);
    return CopyBytes(bytes.data(), bytes.size());
}

bool DecodeList(PCUIDLIST_RELATIVE pidl, std::vector<Item>& out) {
    out.clear();
    for (PCUIDLIST_RELATIVE at = pidl; at && at->mkid.cb; at = ILGetNext(at)) {
        Item item;
        if (!DecodeItem(&at->mkid, item)) return false;
        out.push_back(std::move(item));
    }
    return true;
}

PIDLIST_RELATIVE MakeList(const std::vector<Item>& items) {
    std::vector<uint8_t> bytes;
    for (const Item& item : items) {
        std::vector<uint8_t> one = ItemBytes(item);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return CopyBytes(bytes.data(), bytes.size());
}

namespace {

void KeepStat(const FileStat& stat, Item& item) {
    item.attributes = stat.attributes;
    item.folder = (stat.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.size = item.folder ? 0 : stat.size;
    item.writeTime = FileTimeTicks(stat.lastWriteTime);
    item.accessTime = FileTimeTicks(stat.lastAccessTime);
    item.creationTime = FileTimeTicks(stat.creationTime);
    item.timesKnown = true;
    item.statKnown = true;
}

} // namespace

Item EntryItem(const std::string& linuxPath, const std::string& name, unsigned char direntType) {
    Item item;
    item.kind = ItemKind::Entry;
    item.name = name;
    FileStat stat;
    if (StatPath(linuxPath, name, stat) == 0) {
        KeepStat(stat, item);
        // A directory read names links; without its word, one more stat tells.
        FileStat self;
        if (direntType != DT_UNKNOWN)
            item.link = direntType == DT_LNK;
        else
            item.link = StatLink(linuxPath, name, self) == 0 && (self.mode & S_IFMT) == S_IFLNK;
    }
    return item;
}

Item EntryItemAt(int folderFd, const std::string& name, unsigned char direntType) {
    Item item;
    item.kind = ItemKind::Entry;
    item.name = name;
    FileStat stat;
    if (StatPathAt(folderFd, name, stat) == 0) {
        KeepStat(stat, item);
        FileStat self;
        if (direntType != DT_UNKNOWN)
            item.link = direntType == DT_LNK;
        else
            item.link = StatLinkAt(folderFd, name, self) == 0 && (self.mode & S_IFMT) == S_IFLNK;
    }
    return item;
}

Location Locate(const std::vector<Item>& absolute) {
    Location where;
    if (absolute.empty()) {
        where.valid = where.desktop = true;
        return where;
    }
    for (size_t i = 0; i < absolute.size(); ++i) {
        const Item& item = absolute[i];
        where.special = -1;
        where.drive = where.drives = false;
        switch (item.kind) {
        case ItemKind::Special:
            if (i != 0 || !FindDesktopSpecialFolder(item.id)) return {};
            where.special = item.id;
            where.drives = item.id == CSIDL_DRIVES;
            where.path = SpecialFolderPath(item.id);
            break;
        case ItemKind::Drive: {
            if (i != 1 || absolute[0].kind != ItemKind::Special || absolute[0].id != CSIDL_DRIVES)
                return {};
            where.path.clear();
            for (const DriveMapping& mapping : DriveMappings())
                if (mapping.letter == item.id) where.path = mapping.target;
            if (where.path.empty()) return {};
            where.drive = true;
            break;
        }
        case ItemKind::Entry:
            if (where.path.empty() || item.name.empty() || item.name.find('/') != std::string::npos)
                return {};
            where.path = where.path == "/" ? "/" + item.name : where.path + "/" + item.name;
            break;
        }
    }
    where.valid = true;
    return where;
}

bool ItemsFromWindowsPath(std::u16string_view path, std::vector<Item>& out) {
    out.clear();
    WindowsPath parsed = ParseWindowsPath(path);
    if (parsed.error != ERROR_SUCCESS || !parsed.device.empty() || !parsed.drive) return false;
    std::string linux;
    for (const DriveMapping& mapping : DriveMappings())
        if (mapping.letter == parsed.drive) linux = mapping.target;
    if (linux.empty()) return false;

    Item computer;
    computer.kind = ItemKind::Special;
    computer.id = CSIDL_DRIVES;
    computer.folder = true;
    out.push_back(computer);
    Item drive;
    drive.kind = ItemKind::Drive;
    drive.id = static_cast<uint8_t>(parsed.drive);
    drive.folder = true;
    drive.attributes = FILE_ATTRIBUTE_DIRECTORY;
    out.push_back(drive);
    for (const std::u16string& part : parsed.parts) {
        std::string name;
        if (!NameToLinux(part, name) || name.empty()) return false;
        linux = linux == "/" ? "/" + name : linux + "/" + name;
        out.push_back(EntryItem(linux, name));
    }
    return true;
}

} // namespace win32

using namespace win32;

UINT ILGetSize(PCUIDLIST_RELATIVE pidl) {
    return pidl ? static_cast<UINT>(ContentSize(pidl) + 2) : 0;
}

PIDLIST_RELATIVE ILGetNext(PCUIDLIST_RELATIVE pidl) {
    if (!pidl || pidl->mkid.cb == 0) return nullptr;
    auto* next = reinterpret_cast<const uint8_t*>(pidl) + pidl->mkid.cb;
    return const_cast<PIDLIST_RELATIVE>(reinterpret_cast<PCUIDLIST_RELATIVE>(next));
}

PIDLIST_RELATIVE ILFindLastID(PCUIDLIST_RELATIVE pidl) {
    if (!pidl) return nullptr;
    PCUIDLIST_RELATIVE last = pidl;
    for (PCUIDLIST_RELATIVE at = pidl; at->mkid.cb; at = ILGetNext(at))
        last = at;
    return const_cast<PIDLIST_RELATIVE>(last);
}

BOOL ILRemoveLastID(PIDLIST_RELATIVE pidl) {
    if (!pidl || pidl->mkid.cb == 0) return FALSE;
    PIDLIST_RELATIVE last = ILFindLastID(pidl);
    last->mkid.cb = 0; // the two terminator bytes
    return TRUE;
}

PIDLIST_RELATIVE ILClone(PCUIDLIST_RELATIVE pidl) {
    return pidl ? CopyBytes(pidl, ContentSize(pidl)) : nullptr;
}

PITEMID_CHILD ILCloneFirst(PCUIDLIST_RELATIVE pidl) {
    return pidl ? CopyBytes(pidl, pidl->mkid.cb) : nullptr;
}

PIDLIST_ABSOLUTE ILCombine(PCIDLIST_ABSOLUTE pidl1, PCUIDLIST_RELATIVE pidl2) {
    if (!pidl1 && !pidl2) return nullptr;
    size_t first = ContentSize(pidl1), second = ContentSize(pidl2);
    auto* list = static_cast<uint8_t*>(CoTaskMemAlloc(first + second + 2));
    if (!list) return nullptr;
    if (first) std::memcpy(list, pidl1, first);
    if (second) std::memcpy(list + first, pidl2, second);
    list[first + second] = list[first + second + 1] = 0;
    return reinterpret_cast<PIDLIST_ABSOLUTE>(list);
}

PIDLIST_RELATIVE ILAppendID(PIDLIST_RELATIVE pidl, LPCSHITEMID pmkid, BOOL fAppend) {
    if (!pmkid) return pidl;
    auto* one = static_cast<uint8_t*>(CoTaskMemAlloc(pmkid->cb + 2u));
    if (!one) return nullptr;
    std::memcpy(one, pmkid, pmkid->cb);
    one[pmkid->cb] = one[pmkid->cb + 1] = 0;
    auto* item = reinterpret_cast<PIDLIST_RELATIVE>(one);
    PIDLIST_RELATIVE combined = fAppend ? ILCombine(pidl, item) : ILCombine(item, pidl);
    CoTaskMemFree(one);
    if (!combined) return nullptr;
    ILFree(pidl);
    return combined;
}

void ILFree(PIDLIST_RELATIVE pidl) {
    CoTaskMemFree(pidl);
}

BOOL ILIsEqual(PCIDLIST_ABSOLUTE pidl1, PCIDLIST_ABSOLUTE pidl2) {
    if (!pidl1 || !pidl2) return pidl1 == pidl2;
    PCUIDLIST_RELATIVE a = pidl1, b = pidl2;
    for (; a->mkid.cb && b->mkid.cb; a = ILGetNext(a), b = ILGetNext(b))
        if (!SameItem(&a->mkid, &b->mkid)) return FALSE;
    return a->mkid.cb == 0 && b->mkid.cb == 0;
}

BOOL ILIsParent(PCIDLIST_ABSOLUTE pidlParent, PCIDLIST_ABSOLUTE pidlBelow, BOOL fImmediate) {
    if (!pidlParent || !pidlBelow) return FALSE;
    PCUIDLIST_RELATIVE a = pidlParent, b = pidlBelow;
    for (; a->mkid.cb; a = ILGetNext(a), b = ILGetNext(b))
        if (b->mkid.cb == 0 || !SameItem(&a->mkid, &b->mkid)) return FALSE;
    if (b->mkid.cb == 0) return FALSE; // the same item is not its own parent
    return !fImmediate || ILGetNext(b)->mkid.cb == 0;
}

PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR pszPath) {
    if (!pszPath) return nullptr;
    std::vector<Item> items;
    if (!ItemsFromWindowsPath(pszPath, items)) return nullptr;
    // Only names that exist: a path to nothing gives no list.
    if (items.size() > 2 && !Locate(items).valid) return nullptr;
    std::string linux = Locate(items).path;
    FileStat stat;
    if (StatLink(linux, BaseName(linux), stat) != 0) return nullptr;
    return MakeList(items);
}

PIDLIST_ABSOLUTE SHSimpleIDListFromPath(LPCWSTR pszPath) {
    if (!pszPath) return nullptr;
    std::vector<Item> items;
    if (!ItemsFromWindowsPath(pszPath, items)) return nullptr;
    return MakeList(items);
}
