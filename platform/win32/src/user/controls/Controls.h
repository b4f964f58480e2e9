// Internal interface of the system control classes: their window procedures,
// the per-window data table and the helpers they share (notifications,
// colours, fonts and measuring, the clipboard and scroll bars).
#pragma once

#include <win32/winuser.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace win32::controls {

// Registers the system classes once. Caller holds the window-tree lock.
void RegisterSystemClasses();

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxExProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Ids of a combo box's own children, as Windows numbers them.
constexpr int kComboListId = 1000;
constexpr int kComboEditId = 1001;

// A combo box (its state is in the table), and whether its list is dropped.
bool IsComboBox(HWND hwnd);
bool ComboIsDropped(HWND combo);
// The combo box a list box belongs to, or null.
HWND ComboOfList(HWND list);
// The controls of a control's group: from the WS_GROUP control at or before it
// up to the next WS_GROUP control, in z-order.
std::vector<HWND> GroupOf(HWND control);

// --- Per-window data ---------------------------------------------------------------
// A control's state lives in a table keyed by window, not in the window's extra
// bytes, so that superclasses with other extra sizes keep working. Handlers
// hold a shared reference for the whole message: a notification that destroys
// the control cannot pull the state from under them.
struct ControlData {
    virtual ~ControlData() = default;
};
void AttachData(HWND hwnd, std::shared_ptr<ControlData> data);
std::shared_ptr<ControlData> DataOf(HWND hwnd);
void DetachData(HWND hwnd);

template <class T> std::shared_ptr<T> Data(HWND hwnd) {
    return std::dynamic_pointer_cast<T>(DataOf(hwnd));
}

// --- Shared helpers -------------------------------------------------------------------
DWORD StyleOf(HWND hwnd);
// Sends WM_COMMAND(id, code) from a control to `to` (its parent by default).
void Notify(HWND control, UINT code, HWND to = nullptr);
// Asks the parent (or `to`) for the colours of a control (WM_CTLCOLOR*); when it
// gives no brush, sets and returns the system defaults for that message.
HBRUSH ControlColor(HWND control, HDC dc, UINT msg, HWND to = nullptr);
// The system defaults: colours set in the DC and the background brush.
HBRUSH DefaultControlColor(UINT msg, HDC dc);
// The font a control draws with: the one set by WM_SETFONT, else the system font.
HFONT FontOrSystem(HFONT font);
// A memory DC with a font selected, for measuring outside painting.
class MeasureDC {
public:
    explicit MeasureDC(HFONT font);
    ~MeasureDC();
    MeasureDC(const MeasureDC&) = delete;
    MeasureDC& operator=(const MeasureDC&) = delete;
    HDC dc() const { return dc_; }
    int LineHeight() const;
    int Width(std::u16string_view text) const;

private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};
std::u16string WindowText(HWND hwnd);
// Case-insensitive comparison as the list controls sort and search.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
char16_t UpperChar(char16_t c);
char16_t LowerChar(char16_t c);
// The mnemonic of a caption ("&File" gives 'F'), or 0.
char16_t Mnemonic(std::u16string_view text);

// --- Clipboard and scroll bars ------------------------------------------------------------
// Text on the clipboard as CF_UNICODETEXT; false when the clipboard cannot be
// opened or holds no text.
bool PutClipboardText(HWND owner, std::u16string_view text);
bool GetClipboardText(HWND owner, std::u16string& text);

// A window scroll bar over min..max with a page and a position; it hides when
// everything fits, or shows disabled with keepVisible.
void SetScrollBar(HWND hwnd, int bar, int min, int max, int page, int pos, bool keepVisible);

} // namespace win32::controls
