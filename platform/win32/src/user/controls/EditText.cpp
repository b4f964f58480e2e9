// The edit control's text: replacing the selection under the limits and
// styles, undo, the clipboard, deleting, and word and character steps.
#include "Edit.h"

#include <algorithm>

namespace win32::controls {

namespace {

bool IsDelimiter(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

bool EditData::Replace(std::u16string insert, bool undoable, EditSource source) {
    const DWORD style = Style();
    const bool multi = (style & ES_MULTILINE) != 0;
    if (!multi) {
        // A single line keeps what comes before the first line break.
        size_t cut = insert.find_first_of(u"\r\n");
        if (cut != std::u16string::npos) insert.resize(cut);
    }
    if (style & ES_UPPERCASE)
        for (char16_t& c : insert)
            c = UpperChar(c);
    else if (style & ES_LOWERCASE)
        for (char16_t& c : insert)
            c = LowerChar(c);

    const size_t s = SelStart(), e = SelEnd();
    bool maxed = false;
    if (source != EditSource::SetText) {
        const size_t kept = text.size() - (e - s);
        const size_t room = kept >= limit ? 0 : limit - kept;
        if (insert.size() > room) {
            insert.resize(room);
            maxed = true;
        }
    }
    if (insert.empty() && s == e) {
        if (maxed && !noNotify) Notify(hwnd, EN_MAXTEXT);
        return false;
    }

    const std::u16string before = text;
    const size_t beforeAnchor = anchor, beforeCaret = caret;
    auto apply = [&](size_t count) {
        text = before;
        text.replace(s, e - s, insert, 0, count);
        anchor = caret = s + count;
        Layout();
    };
    apply(insert.size());
    if (source != EditSource::SetText) {
        // Without automatic scrolling the text must fit the formatting rectangle:
        // drop inserted characters from the end until it does.
        auto overflows = [&] {
            if (!multi && !(style & ES_AUTOHSCROLL))
                return !lines.empty() && Extents(lines[0]).back() > format.right - format.left;
            if (multi && !(style & ES_AUTOVSCROLL))
                return static_cast<int>(lines.size()) > std::max(1, VisibleLines());
            return false;
        };
        size_t count = insert.size();
        while (count > 0 && overflows()) {
            apply(--count);
            maxed = true;
        }
        if (count == 0 && s == e) {
            apply(0);
            if (!noNotify) Notify(hwnd, EN_MAXTEXT);
            return false;
        }
    }
    if (maxed && !noNotify) Notify(hwnd, EN_MAXTEXT);

    const bool typed = source == EditSource::Typing;
    if (source == EditSource::SetText || !undoable) {
        EmptyUndo();
    } else if (!(typed && typing)) {
        undoText = before;
        undoAnchor = beforeAnchor;
        undoCaret = beforeCaret;
        canUndo = true;
    }
    typing = typed;
    modified = source != EditSource::SetText;
    if (source != EditSource::SetText) ScrollCaret();
    Invalidate();
    UpdateCaret();
    return true;
}

void EditData::SetText(std::u16string_view value) {
    anchor = 0;
    caret = text.size();
    Replace(std::u16string(value), false, EditSource::SetText);
    anchor = caret = 0;
    modified = false;
    xOffset = 0;
    firstLine = 0;
    typing = false;
    ScrollCaret();
    Invalidate();
    UpdateCaret();
    UpdateScrollBars();
    // A multi-line edit, and the field of a combo box, keep quiet about WM_SETTEXT.
    if (!Multi() && !inCombo && !noNotify) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
    }
}

bool EditData::Undo() {
    if (!canUndo || (Style() & ES_READONLY)) return false;
    std::swap(text, undoText);
    std::swap(anchor, undoAnchor);
    std::swap(caret, undoCaret);
    anchor = std::min(anchor, text.size());
    caret = std::min(caret, text.size());
    typing = false;
    modified = true;
    Layout();
    ScrollCaret();
    Invalidate();
    UpdateCaret();
    if (!noNotify) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
    }
    return true;
}

void EditData::EmptyUndo() {
    canUndo = false;
    undoText.clear();
    undoAnchor = undoCaret = 0;
    typing = false;
}

void EditData::Copy() {
    // What a password edit hides stays hidden: it never reaches the clipboard.
    if (SelStart() == SelEnd() || (passwordChar && !Multi())) return;
    PutClipboardText(hwnd, std::u16string_view(text).substr(SelStart(), SelEnd() - SelStart()));
}

void EditData::Cut() {
    if (Style() & ES_READONLY) return;
    if (passwordChar && !Multi()) return;
    Copy();
    Clear();
}

void EditData::Paste() {
    if (Style() & ES_READONLY) return;
    std::u16string pasted;
    if (!GetClipboardText(hwnd, pasted)) return;
    typing = false;
    if (Replace(std::move(pasted), true, EditSource::User) && !noNotify) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
    }
}

void EditData::Clear() {
    if (Style() & ES_READONLY || SelStart() == SelEnd()) return;
    typing = false;
    if (Replace(u"", true, EditSource::User) && !noNotify) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
    }
}

void EditData::Backspace() {
    if (Style() & ES_READONLY) return;
    if (SelStart() == SelEnd()) {
        if (caret == 0) return;
        anchor = CharLeft(caret);
    }
    typing = false;
    if (Replace(u"", true, EditSource::User) && !noNotify) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
    }
}

void EditData::DeleteForward() {
    if (Style() & ES_READONLY) return;
    if (SelStart() == SelEnd()) {
        if (caret >= text.size()) return;
        anchor = CharRight(caret);
    }
    typing = false;
    if (Replace(u"", true, EditSource::User) && !noNotify) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
    }
}

size_t EditData::CharLeft(size_t from) const {
    if (from == 0) return 0;
    if (Multi() && from >= 2 && text[from - 2] == u'\r' && text[from - 1] == u'\n') return from - 2;
    return from - 1;
}

size_t EditData::CharRight(size_t from) const {
    if (from >= text.size()) return text.size();
    if (Multi() && from + 1 < text.size() && text[from] == u'\r' && text[from + 1] == u'\n')
        return from + 2;
    return from + 1;
}

size_t EditData::WordLeft(size_t from) const {
    size_t i = std::min(from, text.size());
    while (i > 0 && IsDelimiter(text[i - 1]))
        --i;
    while (i > 0 && !IsDelimiter(text[i - 1]))
        --i;
    return i;
}

size_t EditData::WordRight(size_t from) const {
    size_t i = std::min(from, text.size());
    while (i < text.size() && !IsDelimiter(text[i]))
        ++i;
    // The spaces after a word belong to it; a line break ends it.
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i == from && i < text.size()) return CharRight(i);
    return i;
}

} // namespace win32::controls
