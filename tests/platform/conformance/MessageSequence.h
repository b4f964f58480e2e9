// Message sequences as Windows produces them: a window class that logs every
// message its windows receive, and a comparison of that log against a table
// of expected messages with their key parameters.
#pragma once

#include <win32/winuser.h>

#include <functional>
#include <string>
#include <vector>

namespace conformance {

struct Logged {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Which parameters of an expected row are compared.
enum : unsigned {
    kAny = 0,
    kWParam = 1,
    kLParam = 2,
    kOptional = 4, // Windows sends it in some configurations; skipped when absent
};

struct Expected {
    UINT msg;
    unsigned check = kAny;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The log of every window of class "SeqRecorder", and a hook that may answer
// a message instead of DefWindowProcW (return true and set the result).
std::vector<Logged>& Log();
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>& Hook();
void RegisterSequenceRecorder();
HWND MakeRecorded(DWORD style, HWND parent = nullptr, RECT at = {10, 10, 210, 110}, DWORD exStyle = 0);
void PumpPosted();

// Compares the log (of one window, when given) with the table, ignoring
// messages that only report on painting and the cursor. Adds a test failure
// naming the first difference and the whole log.
void ExpectSequence(const std::vector<Expected>& table, const char* what, HWND only = nullptr);

std::string MessageName(UINT msg);

} // namespace conformance
