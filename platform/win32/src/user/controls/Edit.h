// The edit control's state, shared by its text model (EditText.cpp), its view
// (EditView.cpp) and its window procedure (Edit.cpp).
#pragma once

#include "Controls.h"

#include <string>
#include <vector>

namespace win32::controls {

// One displayed line: text[start, start + length), then `breakLength` units of
// line break (2 for CR LF, 0 for a wrap or the end of the text).
struct EditLine {
    size_t start = 0;
    size_t length = 0;
    size_t breakLength = 0;
    size_t End() const { return start + length; }
};

// Where a change of the text comes from: what it may do and what it reports.
enum class EditSource {
    Typing,     // a typed character: consecutive ones share one undo step
    User,       // paste, cut, clear, delete: honours the limit
    ReplaceSel, // EM_REPLACESEL: honours the limit
    SetText,    // WM_SETTEXT and creation: no limit, clears modified and undo
};

struct EditData : ControlData {
    HWND hwnd = nullptr;
    std::u16string text;
    size_t anchor = 0; // the fixed end of the selection
    size_t caret = 0;  // the moving end, where the caret is
    size_t limit = 30000;
    bool modified = false;

    // One level of undo, as the system edit has: undoing again redoes.
    bool canUndo = false;
    std::u16string undoText;
    size_t undoAnchor = 0, undoCaret = 0;
    bool typing = false; // consecutive typed characters share one undo step

    HFONT font = nullptr;
    char16_t passwordChar = 0;
    int leftMargin = 0, rightMargin = 0;
    RECT format{}; // the formatting rectangle, client coordinates
    bool customFormat = false;
    int xOffset = 0;   // horizontal scroll, pixels
    int firstLine = 0; // vertical scroll, lines
    bool focused = false;
    bool tracking = false; // a mouse selection is under way
    bool inCombo = false;  // the edit field of a combo box
    bool noNotify = false; // changes the combo box makes itself

    std::vector<EditLine> lines;
    int lineHeight = 16;
    int averageWidth = 8;

    DWORD Style() const { return StyleOf(hwnd); }
    bool Multi() const { return (Style() & ES_MULTILINE) != 0; }
    size_t SelStart() const { return std::min(anchor, caret); }
    size_t SelEnd() const { return std::max(anchor, caret); }

    // --- Text (EditText.cpp) ---
    // Replaces the selection; false when nothing changed.
    bool Replace(std::u16string insert, bool undoable, EditSource source);
    void SetText(std::u16string_view value);
    bool Undo();
    void EmptyUndo();
    void Copy();
    void Cut();
    void Paste();
    void Clear();
    void Backspace();
    void DeleteForward();
    size_t WordLeft(size_t from) const;
    size_t WordRight(size_t from) const;
    // Steps over a CR LF pair as one character in a multi-line edit.
    size_t CharLeft(size_t from) const;
    size_t CharRight(size_t from) const;

    // --- View (EditView.cpp) ---
    void Layout();
    void ResetFormat();
    void ApplyFont(HFONT newFont);
    void SetMargins(WPARAM which, int left, int right);
    int LineOf(size_t index) const;
    int VisibleLines() const;
    std::u16string DisplayText(const EditLine& line) const;
    std::vector<int> Extents(const EditLine& line) const;
    int LineX(const EditLine& line, int width) const; // left of the line's text, client
    POINT PosFromChar(size_t index) const;
    size_t CharFromPoint(POINT p) const;
    void ScrollCaret();
    void ScrollTo(int x, int first);
    void UpdateCaret();
    void Paint();
    void Invalidate() const;
    void UpdateScrollBars() const;
    // Moves the caret, extending the selection or collapsing it there.
    void MoveTo(size_t index, bool extend);
    void Select(size_t newAnchor, size_t newCaret);
};

} // namespace win32::controls
