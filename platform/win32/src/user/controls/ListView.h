// Internal interface of the list view, shared by its files: the window's
// state, the items (or, with LVS_OWNERDATA, only their count and the
// selection as ranges), and the operations the message handlers share.
#pragma once

#include "Controls.h"

#include <win32/commctrl.h>

#include <string>
#include <vector>

namespace win32::controls::listview {

struct SubItem {
    std::u16string text;
    bool callback = false;
    int image = -1;
};

struct Item {
    std::u16string text;
    bool callback = false; // the text comes from LVN_GETDISPINFO
    int image = -1;
    LPARAM param = 0;
    UINT state = 0;
    int indent = 0;
    std::vector<SubItem> subs; // sub-item n at n - 1
};

struct Column {
    int fmt = LVCFMT_LEFT;
    int width = 60;
    std::u16string text;
    int subItem = 0;
    int image = -1;
};

// What painting and the owner need to know of one item or sub-item.
struct Shown {
    std::u16string text;
    int image = -1;
    UINT state = 0;
    int indent = 0;
    LPARAM param = 0;
};

struct Data : ControlData {
    HWND hwnd = nullptr;
    HWND header = nullptr;
    HFONT font = nullptr;
    HIMAGELIST images[3] = {};
    bool ownerData = false;
    bool destroying = false;

    // Items: a vector, or in owner-data mode a count and the selection as
    // sorted, disjoint, inclusive ranges; nothing per item.
    std::vector<Item> items;
    int count = 0;
    std::vector<std::pair<int, int>> selRanges;
    int focused = -1;
    int mark = -1; // the selection mark: where a shift-extended range starts

    std::vector<Column> columns;
    DWORD exStyle = 0;
    COLORREF bkColor = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    COLORREF textBkColor = CLR_DEFAULT;
    UINT callbackMask = 0;
    int listColumnWidth = 0; // 0: the default

    // Scrolling: the first visible item (report), column (list) or row of cells
    // (icon views); and the report's horizontal offset in pixels.
    int top = 0;
    int xOffset = 0;

    // The cache hint last given to the owner.
    int hintFrom = -1;
    int hintTo = -1;

    // Label editing.
    HWND edit = nullptr;
    int editItem = -1;
    WNDPROC editProc = nullptr;

    // The mouse: a press on an item that may become a drag or a click.
    bool pressing = false;
    int pressItem = -1;
    POINT pressPoint{};
    bool pressRight = false;
    bool pressWasSelected = false;
    bool editOnRelease = false;

    // Typed search.
    std::u16string typed;
    DWORD typedTime = 0;

    int Count() const { return ownerData ? count : static_cast<int>(items.size()); }
    DWORD Style() const { return StyleOf(hwnd); }
    DWORD View() const { return Style() & LVS_TYPEMASK; }
};

// --- Items and states (ListView.cpp) ---------------------------------------------
LRESULT NotifyParent(Data& d, NMHDR& hdr, UINT code);
LRESULT NotifyItem(Data& d, UINT code, int item, int subItem = 0, UINT newState = 0,
                   UINT oldState = 0, UINT changed = 0, POINT pt = {}, LPARAM param = 0);
UINT StateOf(const Data& d, int item, UINT mask);
// Changes states with LVN_ITEMCHANGING/LVN_ITEMCHANGED, focus and selection
// rules included; item -1 means every item. False when refused.
bool SetState(Data& d, int item, UINT state, UINT mask);
// Only `item` selected and focused, as a plain click or arrow key does.
void SelectOnly(Data& d, int item);
// Items first..last selected (others cleared unless keepOthers), focus on `focus`.
void SelectRange(Data& d, int first, int last, int focus, bool keepOthers);
int SelectedCount(const Data& d);
// An item's text and image as shown, asking the owner for what it supplies.
Shown Fetch(Data& d, int item, int subItem, UINT mask);
int FindItem(Data& d, int start, const LVFINDINFOW& info);

// --- Geometry and scrolling (ListViewLayout.cpp) --------------------------------
int RowHeight(const Data& d);
int HeaderHeight(const Data& d);
RECT ClientArea(const Data& d); // the client without the header
int RowsPerPage(const Data& d);
void ImageSize(const Data& d, int list, int& cx, int& cy);
SIZE CellSize(const Data& d);
int ListColumnWidth(const Data& d);
int CellsPerLine(const Data& d); // icon views: per row; list: per column
int TotalColumnWidth(const Data& d);
std::vector<int> ColumnOrder(const Data& d);
RECT ItemRect(Data& d, int item, int code);
RECT SubItemRect(Data& d, int item, int subItem, int code);
int HitTest(Data& d, POINT p, UINT* flags, int* subItem);
void VisibleRange(const Data& d, int& first, int& last);
void UpdateScrollBars(Data& d);
void ScrollTo(Data& d, int top, int xOffset);
void EnsureVisible(Data& d, int item, bool partialOk);
void LayoutHeader(Data& d);
void InvalidateItem(Data& d, int item);
// A neighbour in a direction (LVNI_ABOVE...) or by keys, for keyboard moves.
int Neighbour(Data& d, int item, UINT vk);

// --- Painting (ListViewPaint.cpp) -------------------------------------------------
void Paint(Data& d, HDC given);

// --- Mouse, keys and label editing (ListViewInput.cpp) ----------------------------
void MouseDown(Data& d, POINT p, bool right, bool dbl, WPARAM keys);
void MouseMove(Data& d, POINT p, WPARAM keys);
void MouseUp(Data& d, POINT p);
void KeyDown(Data& d, WPARAM vk);
void Char(Data& d, char16_t c);
HWND EditLabel(Data& d, int item);
void EndEdit(Data& d, bool save);
void Timer(Data& d, UINT_PTR id);
constexpr UINT_PTR kEditTimer = 42;

} // namespace win32::controls::listview
