// Test seam of the file operations' progress window (SHFileOperationW): the
// window shows once an operation has run a while; a test shows it at once and
// plays the user at each step.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <functional>
#include <string>

namespace TestSeams {

struct FileProgressRecord {
    HWND window = nullptr;  // the progress window, on screen
    std::u16string caption; // its title
    std::u16string text;    // the line naming the item at work (empty with FOF_SIMPLEPROGRESS)
    int done = 0;           // items finished
    int total = 0;          // items in all
};

// Answer true to click the window's Cancel button.
using FileProgressScript = std::function<bool(const FileProgressRecord&)>;
// Installs a script (an empty function removes it and restores the usual
// delay) and the delay after which the window shows, in milliseconds of the
// layer's clock.
void ScriptFileProgress(FileProgressScript script, unsigned showAfterMs = 0);

} // namespace TestSeams

#pragma GCC visibility pop
