// A shell folder over one place of the namespace: the desktop, Computer, an
// empty virtual folder, or a Linux directory.
#pragma once

#include "ItemIds.h"

#include <win32/commctrl.h>

#include <atomic>
#include <string>
#include <vector>

namespace win32 {

// Creates a folder object for an absolute list (as items) and hands out the
// interface riid; E_INVALIDARG when the list leads nowhere or to a file.
HRESULT CreateShellFolder(const std::vector<Item>& absolute, REFIID riid, void** ppv);

// The context menu of file-system items (Linux paths) in `folder`; with no
// items, of the folder itself as the background of its view.
HRESULT CreateFileContextMenu(const std::string& folder, const std::vector<std::string>& items,
                              REFIID riid, void** ppv);

// What the shell shows of an item, shared by the folders and SHGetFileInfoW.
std::u16string TypeNameOf(const std::u16string& name, bool folder);
// The system image list index of an item.
int IconIndexOf(const std::u16string& name, bool folder, bool open);
// The shell's task allocator (SHGetMalloc, CoTaskMemAlloc).
IMalloc* TheTaskAllocator();
// A task-allocator copy of a string.
LPWSTR TaskString(const std::u16string& text);

// The shared system image list (16x16 or 32x32), built on first use;
// overlay 1 is the link arrow.
HIMAGELIST SystemImageList(bool small);
// The 48x48 list, in step with the other two.
HIMAGELIST ExtraLargeSystemImageList();
// The index of a content type's icon in both system image lists, added from
// the icon theme the first time the type is asked for.
int SystemIconOfType(const std::string& contentType);

// Indexes of the system image list's built-in icons.
enum SystemIcon {
    kIconFile = 0,
    kIconText,
    kIconImage,
    kIconExecutable,
    kIconFolder,
    kIconFolderOpen,
    kIconDrive,
    kIconTrashEmpty,
    kIconTrashFull,
    kIconComputer,
    kIconLinkOverlay,
    kSystemIconCount
};

} // namespace win32
