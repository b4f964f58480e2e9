// A drag over this program's windows, whoever drags: this program's drag loop
// or another program through the desktop. It finds the window under the
// cursor (the nearest registered drop target up the parent chain, or a window
// taking dropped files), tells it the cursor's way in and out, and drops.
// Used on the thread of the windows it drags over.
#pragma once

#include <win32/ole2.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace win32::ole {

class DropSession {
public:
    DropSession(IDataObject* data, DWORD allowed);
    ~DropSession();
    DropSession(const DropSession&) = delete;
    DropSession& operator=(const DropSession&) = delete;

    // Follows the cursor to `screen`: leaves the old window, enters a new one,
    // or tells the same one where the cursor is now. The effect the window
    // chose, within the allowed ones.
    DWORD Track(POINT screen, DWORD keys);
    // Drops where the cursor is; the effect taken, DROPEFFECT_NONE when the
    // drop was refused or nothing was there to take it.
    DWORD Drop(POINT screen, DWORD keys);
    // The cursor left: the window under it hears DragLeave.
    void Leave();
    DWORD Effect() const { return effect_; }
    void SetAllowed(DWORD allowed) { allowed_ = allowed; }

private:
    struct Under {
        HWND window = nullptr;
        IDropTarget* target = nullptr; // counted
        bool filesOnly = false;
    };
    Under FindUnder(POINT screen);

    IDataObject* data_; // counted
    DWORD allowed_;
    Under under_;
    DWORD effect_ = DROPEFFECT_NONE;
};

// Another program's drag over this program's windows. Its data is read from
// that program when a target asks for it, through `fetch` (bytes in the
// layer's format, nullopt when it cannot be had). Made on any thread; each
// call runs on the thread of the windows dragged over.
class ForeignDrop {
public:
    using Fetch = std::function<std::optional<std::string>(UINT format)>;
    ForeignDrop(std::vector<UINT> formats, Fetch fetch);
    ~ForeignDrop();
    ForeignDrop(const ForeignDrop&) = delete;
    ForeignDrop& operator=(const ForeignDrop&) = delete;

    DWORD Over(POINT screen, DWORD keys, DWORD allowed);
    DWORD Drop(POINT screen, DWORD keys);
    void Leave();

private:
    IDataObject* data_; // counted
    std::optional<DropSession> session_;
};

// What a drag of this program offers to other programs: each format the
// desktop has a counterpart for, with its bytes (shell items that are files
// as a file list).
std::vector<std::pair<UINT, std::string>> DesktopData(IDataObject* data);

} // namespace win32::ole
