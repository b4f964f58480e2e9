// Hooks for tests only: they make the layer deterministic and observable.
// Programs never call these.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace TestSeams {

// --- Configuration folder -------------------------------------------------
// Redirects the layer's configuration folder (registry hives, devices) and the
// Windows directory (profile files by bare name). An empty path restores the
// default from the environment.
void SetConfigFolder(const std::string& path);
void SetWindowsFolder(const std::string& path);

} // namespace TestSeams

// --- Folder change watches ----------------------------------------------------
namespace TestSeams {

// Makes the system refuse new folder watches (as when its watch limit is
// reached) once `count` are in use; a negative count lifts the limit.
void LimitFolderWatches(int count);

} // namespace TestSeams

// --- Kernel: clock and process exit -------------------------------------------
namespace TestSeams {

// The manual clock. GetTickCount, Sleep, wait time-outs, timers: everything
// that reads time reads this clock. startMs lets a test sit just before the
// 32-bit tick count wraps (0xFFFFFFFF - n).
void UseManualClock(uint64_t startMs);
// Moves the manual clock forward and wakes every wait so that it rechecks its
// deadline; returns once each woken wait has rechecked (and either ended or
// gone back to sleep). Call it without holding any of the layer's locks.
void AdvanceClock(uint64_t ms);
void UseRealClock();
bool ClockIsManual();
// How many threads are inside a wait on the clock (a wait call, Sleep, a
// message wait), and a way to block until at least `count` are: a test starts
// a waiter, calls WaitForClockWaiters, then advances the clock.
size_t ClockWaiterCount();
void WaitForClockWaiters(size_t count);

// With an exit hook set, ExitProcess calls it with the exit code and then
// throws ProcessExited{code} instead of ending the process, so that a test
// can catch it (ExitProcess never returns to its caller). An empty function
// removes the hook.
struct ProcessExited {
    UINT code;
};
void SetExitHook(std::function<void(UINT)> hook);

} // namespace TestSeams

// --- Registry ---------------------------------------------------------------
namespace TestSeams {

// A fresh, empty registry: the hives in memory and their files are dropped,
// every open key handle becomes invalid, and HKLM\HARDWARE is generated anew.
void ResetRegistry();

// Drops the hives in memory and every open key handle; the next registry call
// loads the hives from their files, as a new process would.
void ReloadRegistry();

// A disk that fills up (ENOSPC) or turns read-only (EROFS): the layer's stores
// (registry hives, profile files and the framework's INI files) may write
// `afterBytes` more bytes, and then every write fails with `error`. Negative:
// writes never fail.
void FailDiskWrites(int64_t afterBytes, int error = 28 /* ENOSPC */);

} // namespace TestSeams

namespace TestSeams {

// --- Synthetic input --------------------------------------------------------------
// Input routed as the system routes it: hit testing, capture, activation,
// focus, key state and double clicks (timed on the layer's clock). Points are
// screen coordinates. Messages land in the input queue of the window's thread;
// pump them to deliver.
void MouseMove(POINT screen);
void MouseDown(POINT screen, int button = 0x01 /* VK_LBUTTON */);
void MouseUp(POINT screen, int button = 0x01);
void Click(POINT screen, int button = 0x01);
void Wheel(POINT screen, int delta, bool horizontal = false);
void KeyDown(int vk);
void KeyUp(int vk);
void KeyPress(int vk); // down and up
// Types text: characters of the keyboard layout as key strokes (so that
// TranslateMessage makes their WM_CHAR), others as WM_CHAR directly.
void TypeText(std::u16string_view text);
// Screen position of a window's client point.
POINT ClientPoint(HWND hwnd, int x, int y);

} // namespace TestSeams

// --- Serial ports ---------------------------------------------------------------
#include <win32/commapi.h>

#include <memory>
#include <optional>
#include <vector>

namespace TestSeams {

enum class SerialCall {
    Open,
    GetCommState,
    SetCommState,
    SetupComm,
    PurgeComm,
    SetCommTimeouts,
    ClearCommError,
    ReadFile,
    WriteFile
};

// The far end of a fake COM port: answers lines, injects failures and logs
// what the port did. Time is the layer's clock: with the manual clock, a
// port that polls an empty queue lets the clock move on (to the next
// scripted arrival, or by the idle step), so scripted delays and time-outs
// pass without real waiting.
class FakeSerialPeer {
public:
    virtual ~FakeSerialPeer() = default;
    // Answers each line the port writes (the bytes before a carriage return)
    // with the bytes to send back, delayMs later; nullopt stays silent.
    virtual void SetResponder(std::function<std::optional<std::string>(const std::string&)> answer,
                              uint64_t delayMs = 0) = 0;
    // Bytes that arrive on their own, afterMs from now.
    virtual void Send(std::string bytes, uint64_t afterMs = 0) = 0;
    // Makes a call fail with `error`, `times` times (-1: from now on).
    virtual void Fail(SerialCall call, DWORD error, int times = -1) = 0;
    // Every later call fails as with an unplugged adapter.
    virtual void Unplug() = 0;
    // How far the manual clock moves when the port polls an empty queue (default 1 ms).
    virtual void SetIdleStep(uint64_t ms) = 0;

    virtual bool IsOpen() const = 0;
    virtual int Opens() const = 0;
    virtual std::string Written() const = 0;
    virtual std::vector<DCB> States() const = 0;               // each successful SetCommState
    virtual std::vector<COMMTIMEOUTS> Timeouts() const = 0;    // each SetCommTimeouts
    virtual std::vector<DWORD> Purges() const = 0;             // each PurgeComm's flags
};

// Installs a fake as COMn (it takes precedence over the devices folder and
// is listed under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, which then lists only
// fakes). RemoveFakeSerialPorts takes them all away again.
std::shared_ptr<FakeSerialPeer> InstallFakeSerialPort(int number);
void RemoveFakeSerialPorts();

// Where the machine's serial devices are looked for when the devices folder
// has no COM ports yet (default "/dev"); for tests of that first fill.
void SetSerialScanFolder(const std::string& folder);

// The answer of the shell's administrator query (IsUserAnAdmin); nullopt
// asks the system again.
void SetAdministrator(std::optional<bool> isAdmin);

} // namespace TestSeams

// --- Message boxes and pop-up menus (user area) --------------------------------------
// Modal user questions are answered by a script in tests. The script is
// called once the box (or the pop-up menu) is on the screen, with its window,
// and answers it. Without a script, and with no interactive display, a
// message box or pop-up menu ends the process at once with a report on
// stderr naming it, so that a test never waits forever for a user.
#include <cstdint>
#include <vector>

namespace TestSeams {

struct MessageBoxRecord {
    HWND owner = nullptr;
    HWND box = nullptr; // the box window while it is open
    std::u16string text;
    std::u16string caption;
    UINT type = 0;   // MB_* flags as given
    int result = 0;  // the answer the box returned (set when it closed)
};

struct MessageBoxAnswer {
    // IDOK, IDYES, ...; 0 leaves the box to its user: it runs its modal loop
    // on input (synthetic input injected by the script, say) until a button
    // ends it.
    int result = 0;
    // Manual-clock time that passes while the box is open before it answers:
    // the box keeps pumping the thread's messages, advancing the clock from
    // one timer to the next, so a 200 ms timer ticks 5 times in 1000 ms.
    uint64_t elapseMs = 0;
};

using MessageBoxScript = std::function<MessageBoxAnswer(const MessageBoxRecord&)>;
// Installs a script (an empty function removes it) and clears the record.
void ScriptMessageBoxes(MessageBoxScript script);
// A script that gives these answers in order, each after no time.
void AnswerMessageBoxes(std::vector<int> answers);
// Every box shown since the script was installed, oldest first.
std::vector<MessageBoxRecord> MessageBoxes();

struct PopupMenuRecord {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    HWND popup = nullptr; // the pop-up window of `menu`, on screen
    POINT at{};           // screen position asked for
    UINT flags = 0;       // TPM_* flags
    UINT command = 0;     // the command chosen (set when the menu closed), 0 for none
};

struct PopupMenuAnswer {
    // The command id to choose; the menu opens the sub-menus on the way to it
    // and sends the notifications a user's choice would. 0, or an id that is
    // not an enabled command of the menu, cancels.
    UINT command = 0;
    // Leaves the menu to its user instead: it tracks input (keys queued
    // before, or input the script injects) until a choice or cancel.
    bool interactive = false;
};

using PopupMenuScript = std::function<PopupMenuAnswer(const PopupMenuRecord&)>;
void ScriptPopupMenus(PopupMenuScript script);
std::vector<PopupMenuRecord> PopupMenus();

} // namespace TestSeams

// --- Shell namespace ----------------------------------------------------------
namespace TestSeams {

// Tracking mode of the task allocator: every live block is recorded, and a
// free of a block that is not live (double free, foreign pointer) is counted
// as a fault and ignored. Turning tracking on or off forgets what was recorded.
void TrackTaskAllocations(bool enabled);
size_t LiveTaskAllocations();
size_t TaskAllocatorFaults();

// Points the special folders at a test folder standing in for the home folder:
// user-dirs.dirs is read from <path>/.config, the trash lies in
// <path>/.local/share/Trash. An empty path restores $HOME and the XDG variables.
void SetShellHomeFolder(const std::string& path);

} // namespace TestSeams

// --- Screen presenter (X11) ------------------------------------------------------
// With DISPLAY set, the first top-level window shown starts the presenter,
// which shows top-level windows as X windows. Test programs clear DISPLAY in
// their main; a presenter test starts its own X server, sets DISPLAY, and
// stops the presenter again before it ends the server.
#include <vector>

namespace TestSeams {

// Whether the presenter runs (shows windows on an X display) now.
bool PresenterRunning();
// Closes the presenter's X connection and ends its thread; the next top-level
// window shown looks at DISPLAY again. Handles messages sent to the calling
// thread meanwhile.
void StopPresenter();
// Returns once the presenter has sent X everything drawn so far and has routed
// into the layer's input queues every X event the server sent before the call.
// Handles messages sent to the calling thread meanwhile (the routing's hit
// tests); pump the queue afterwards to deliver the input.
void WaitForPresenter();
// The X window (XID) that shows a top-level window, 0 when none is shown.
unsigned long PresentedXWindow(HWND hwnd);

// A rectangle of a window's pixels the presenter sent to X (window coordinates).
struct PresentedRect {
    HWND hwnd = nullptr;
    RECT rect{};
};
// Starts (or stops) recording the rectangles sent; either way clears the record.
void RecordPresentedRects(bool on);
std::vector<PresentedRect> PresentedRects();

} // namespace TestSeams

// --- Shell library exports ------------------------------------------------------
namespace TestSeams {

// Makes GetProcAddress answer nil for these shell32 ordinals, as an older
// shell library would; RestoreShellOrdinals puts back 21, 23, 660 and 747.
void WithholdShellOrdinals(const std::vector<int>& ordinals);
void RestoreShellOrdinals();

} // namespace TestSeams

// --- File dialogs (the framework's TOpenDialog / TSaveDialog) -----------------------
// Defined in libquorlpak, whose dialogs they answer; tests using them link it.
// The script is called once the dialog is on the screen, with its window (the
// controls' ids are in quorlpak/Dialogs.h), and answers it as a user would:
// a name typed (relative to the dialog's folder, or a full Windows path) and
// accepted, or cancel. An answer the dialog's options refuse (a file that
// must exist and does not, say) is refused as a user's would be: a message
// box says why (answer it with ScriptMessageBoxes) and the script is asked
// again. Without a script the dialog waits for its user.
#include <optional>
#include <string>
#include <vector>

namespace TestSeams {

struct FileDialogRecord {
    HWND owner = nullptr;
    HWND dialog = nullptr; // the dialog window while it is open
    bool save = false;     // TSaveDialog
    std::u16string title;
    std::u16string filter;
    int filterIndex = 1;
    std::u16string initialDir; // as given (InitialDir)
    std::u16string folder;     // the folder the dialog shows
    std::u16string fileName;   // FileName when the dialog opened
    std::u16string defaultExt;
    unsigned options = 0;  // bit (1 << ofXxx) for each option set
    int attempts = 0;      // answers the script gave so far (refused ones included)
    bool accepted = false; // set when the dialog closed
    std::u16string result; // the file name chosen, when accepted
};

struct FileDialogAnswer {
    bool accept = false;     // false cancels
    std::u16string fileName; // what the user typed
    int filterIndex = 0;     // the filter chosen (from 1); 0 keeps the dialog's
    // Leaves the dialog to its user instead: it runs its modal loop on input
    // (synthetic input the script injects) until OK or Cancel.
    bool interactive = false;
};

using FileDialogScript = std::function<FileDialogAnswer(const FileDialogRecord&)>;
// Installs a script (an empty function removes it) and clears the record.
void ScriptFileDialogs(FileDialogScript script);
// A script answering in order: a name accepts it, nullopt cancels; once the
// answers run out, every dialog is cancelled.
void AnswerFileDialogs(std::vector<std::optional<std::u16string>> answers);
// Every file dialog shown since the script was installed, oldest first.
std::vector<FileDialogRecord> FileDialogs();

} // namespace TestSeams

#pragma GCC visibility pop
