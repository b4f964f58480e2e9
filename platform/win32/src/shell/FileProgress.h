// The progress window of a file operation: the item at work, a bar of how
// much is done and a Cancel button. It shows only once the operation has run
// for a while, and never with FOF_SILENT.
#pragma once

#include <win32/windef.h>

#include <string>

namespace win32 {

class FileProgress {
public:
    FileProgress(HWND owner, const std::u16string& caption, bool silent, bool simple, int total);
    ~FileProgress();
    FileProgress(const FileProgress&) = delete;
    FileProgress& operator=(const FileProgress&) = delete;

    // Before each item: shows the window when it is time, names the item and
    // lets the window take its input. False once the user cancelled.
    bool Step(const std::string& path);
    // The same within an item (a file of a folder being copied), without
    // counting it.
    bool Working(const std::string& path);
    bool Cancelled() const { return cancelled_; }

private:
    bool Update(const std::string& path);
    void Show();

    HWND owner_;
    std::u16string caption_;
    bool silent_, simple_;
    int total_, done_ = 0, steps_ = 0;
    unsigned long started_;
    HWND window_ = nullptr, text_ = nullptr, cancel_ = nullptr;
    bool cancelled_ = false;

    friend LRESULT CALLBACK FileProgressProc(HWND, UINT, WPARAM, LPARAM);
};

} // namespace win32
