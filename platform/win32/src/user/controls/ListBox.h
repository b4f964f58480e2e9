// The list box's state, shared by its model (ListBoxModel.cpp: items,
// selection, search) and its view and procedure (ListBox.cpp).
#pragma once

#include "Controls.h"

#include <string>
#include <vector>

namespace win32::controls {

struct ListItem {
    std::u16string text;
    ULONG_PTR data = 0;
    bool selected = false; // multiple-selection list boxes
    int height = 0;        // owner-drawn variable list boxes
};

struct ListBoxData : ControlData {
    HWND hwnd = nullptr;
    HWND combo = nullptr; // the combo box this list belongs to, if any
    std::vector<ListItem> items;
    int selected = -1; // single-selection list boxes
    int caretIndex = 0;
    int anchorIndex = 0;
    int top = 0;
    int itemHeight = 16;
    int hOffset = 0;
    int horizontalExtent = 0;
    int tabInterval = 48; // pixels between tab stops
    int averageWidth = 8;
    HFONT font = nullptr;
    bool focused = false;
    bool tracking = false;
    bool wantsVScroll = false; // created with WS_VSCROLL
    bool wantsHScroll = false;

    DWORD Style() const { return StyleOf(hwnd); }
    bool Multiple() const { return (Style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
    bool Extended() const { return (Style() & LBS_EXTENDEDSEL) != 0; }
    bool OwnerDraw() const { return (Style() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
    bool Variable() const { return (Style() & LBS_OWNERDRAWVARIABLE) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (Style() & LBS_HASSTRINGS); }
    int Count() const { return static_cast<int>(items.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }

    // --- Where notifications and owner-draw requests go ---
    HWND NotifyTarget() const; // WM_COMMAND: the combo box or the parent
    HWND OwnerTarget() const;  // owner draw and colours: the combo box's parent or the parent
    void FillOwnerFields(UINT& type, UINT& id, HWND& item) const;
    void NotifyCode(int code) const; // with LBS_NOTIFY

    // --- Model (ListBoxModel.cpp) ---
    int Insert(int index, LPCWSTR text, LPARAM lParam);
    int Add(LPCWSTR text, LPARAM lParam);
    int Delete(int index);
    void Reset();
    int Find(int start, LPCWSTR text, LPARAM lParam, bool exact) const;
    bool IsSelected(int index) const;
    // Single selection: selects one item (-1 none). False when nothing changed.
    bool SetSelection(int index);
    // Multiple selection: selects or clears a range (inclusive, any order).
    bool SelectRange(int from, int to, bool on);
    bool SelectOnly(int index); // clears the others
    int SelectedCount() const;
    void MeasureItem(int index);
    std::u16string GetText(int index) const;

    // --- View (ListBox.cpp) ---
    RECT ItemRect(int index) const;
    int ItemAt(POINT p) const; // -1 below the last item
    int VisibleRows() const;
    void SetTop(int index);
    void EnsureVisible(int index);
    void SetCaret(int index);
    void UpdateScrollBars();
    void Invalidate() const;
    void Paint();
};

} // namespace win32::controls
