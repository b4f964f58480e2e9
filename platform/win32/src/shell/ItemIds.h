// The layer's own layout of one item id, and the walk from an id list to the
// Linux folder or file it names.
//
// One item: cb (2) | signature 'Q' (1) | kind (1) | id (1) | flags (1) |
// attributes (4) | size (8) | write time (8) | [access time (8) | creation
// time (8), when the times flag is set] | name bytes (the rest).
// The kind, id and name identify the item again; the rest is what the folder
// knew when it made the id (used for sorting and details without a stat).
#pragma once

#include <win32/shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

enum class ItemKind : uint8_t {
    Special = 1, // a special folder under the desktop; id = its CSIDL
    Drive = 2,   // a drive letter under Computer; id = 'A'..'Z'
    Entry = 3,   // a file-system entry; name = its Linux name
};

// An item folded out of its bytes.
struct Item {
    ItemKind kind = ItemKind::Entry;
    uint8_t id = 0;
    bool folder = false;
    DWORD attributes = 0; // FILE_ATTRIBUTE_*
    uint64_t size = 0;
    uint64_t writeTime = 0; // FILETIME ticks
    std::string name;       // Linux bytes for entries
    // The entry's stat was read when the id was made, so attributes, folder
    // and link answer queries until the item is validated. Ids made before
    // the flag existed lack it and are stat'ed as they were.
    bool statKnown = false;
    bool link = false; // the entry itself is a symlink (known with statKnown)
    // The access and creation times were read with the entry's stat; ids
    // made before the flag existed carry only the write time.
    bool timesKnown = false;
    uint64_t accessTime = 0;   // FILETIME ticks (with timesKnown)
    uint64_t creationTime = 0; // FILETIME ticks (with timesKnown)
};

inline constexpr uint8_t kItemSignature = 'Q';
inline constexpr size_t kItemHeader = 2 + 1 + 1 + 1 + 1 + 4 + 8 + 8;
inline constexpr size_t kItemTimes = 8 + 8; // after the header, with timesKnown

// Downloads has no CSIDL; the desktop lists it under this private one.
inline constexpr int kCsidlDownloads = 0x00F0;

// False when the item is not one of ours or is truncated.
bool DecodeItem(LPCSHITEMID item, Item& out);
// A one-item list from the task allocator.
PITEMID_CHILD EncodeItem(const Item& item);
std::vector<uint8_t> ItemBytes(const Item& item);

// The items of a list in order; false when any item is not ours.
bool DecodeList(PCUIDLIST_RELATIVE pidl, std::vector<Item>& out);
// A task-allocator list of the items.
PIDLIST_RELATIVE MakeList(const std::vector<Item>& items);

// An entry item from what the file system says of a Linux path. `direntType`
// is the type a directory read gave (DT_UNKNOWN: ask the file system).
Item EntryItem(const std::string& linuxPath, const std::string& name,
               unsigned char direntType = 0);
// The same for an entry `name` of the open folder `folderFd` (one short
// lookup instead of a walk of the whole path).
Item EntryItemAt(int folderFd, const std::string& name, unsigned char direntType);

// Where an absolute list leads on Linux. `path` is empty for virtual folders
// (the desktop itself, Computer, printers, ...).
struct Location {
    bool valid = false;
    std::string path;
    int special = -1; // CSIDL when the list ends at a special folder
    bool desktop = false;
    bool drives = false; // "Computer"
    bool drive = false;  // a drive root
};
Location Locate(const std::vector<Item>& absolute);

// The absolute list naming a Windows path ("C:\a\b"), items below the drive
// made from the file system (missing entries are allowed: simple ids).
bool ItemsFromWindowsPath(std::u16string_view path, std::vector<Item>& out);

} // namespace win32
