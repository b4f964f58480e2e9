// TMaskEdit: an edit that follows an edit mask.
#include <quorlpak/Mask.h>
#include <quorlpak/Messages.h>

#include "PublishControls.h"

#include <cwctype>

namespace {

bool IsInputChar(char16_t c) {
    switch (c) {
    case u'0':
    case u'9':
    case u'#':
    case u'L':
    case u'l':
    case u'A':
    case u'a':
    case u'C':
    case u'c':
        return true;
    default:
        return false;
    }
}

bool Required(char16_t m) {
    return m == u'0' || m == u'L' || m == u'A' || m == u'C';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0xC0;
}

char16_t ApplyCase(char16_t c, int caseMode) {
    if (caseMode > 0) return char16_t(std::towupper(c));
    if (caseMode < 0) return char16_t(std::towlower(c));
    return c;
}

TClassBuilder<TMaskEdit> MaskEditDescription() {
    using T = TMaskEdit;
    TClassBuilder<T> b(u"TMaskEdit", TCustomMaskEdit::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"Alignment", TypeInfo_TAlignment, &T::GetAlignment, &T::SetAlignment)
        .Default(taLeftJustify)
        .Property(u"AutoSelect", BooleanTypeInfo, &T::GetAutoSelect, &T::SetAutoSelect)
        .Default(1)
        .Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
        .Default(bsSingle)
        .Property(u"EditMask", UnicodeStringTypeInfo, &T::GetEditMask, &T::SetEditMask)
        .Property(u"MaxLength", IntegerTypeInfo, &T::GetMaxLength, &T::SetMaxLength)
        .Default(0)
        .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
        .Default(0)
        .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange));
    return b;
}

} // namespace

TClass TCustomMaskEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomMaskEdit>(u"TCustomMaskEdit", TCustomEdit::StaticClass()));
    return &meta;
}

TClass TMaskEdit::StaticClass() {
    static const TMetaClass meta(MaskEditDescription());
    return &meta;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const UnicodeString& Value) {
    if (Value == FEditMask) return;
    // What was typed goes over: the input characters of the old mask (its
    // literals left behind), or the plain text.
    const bool wasMasked = IsMasked();
    UnicodeString value = GetText();
    if (wasMasked) {
        UnicodeString inputs;
        for (size_t i = 0; i < FCells.size(); ++i)
            if (FCells[i].input) inputs += i < value.size() ? value[i] : FBlank;
        value = inputs;
    }
    FEditMask = Value;
    FCells.clear();
    FSaveLiterals = true;
    FBlank = u'_';
    // "mask;save;blank": the last two unescaped separators.
    UnicodeString mask = Value;
    std::vector<UnicodeString> tail;
    for (int n = 0; n < 2; ++n) {
        const size_t sep = mask.rfind(u';');
        if (sep == UnicodeString::npos || (sep > 0 && mask[sep - 1] == u'\\')) break;
        tail.insert(tail.begin(), mask.substr(sep + 1));
        mask = mask.substr(0, sep);
    }
    if (!tail.empty()) FSaveLiterals = tail[0] != u"0";
    if (tail.size() > 1 && !tail[1].empty()) FBlank = tail[1][0];
    int caseMode = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        char16_t m = mask[i];
        if (m == u'!') continue;
        if (m == u'>') {
            if (i + 1 < mask.size() && mask[i + 1] == u'<') {
                ++i;
                caseMode = 0;
            } else {
                caseMode = 1;
            }
            continue;
        }
        if (m == u'<') {
            caseMode = -1;
            continue;
        }
        if (m == u'\\' && i + 1 < mask.size()) {
            FCells.push_back({mask[++i], false, 0});
            continue;
        }
        FCells.push_back({m, IsInputChar(m), caseMode});
    }
    if (IsMasked()) {
        SetMaxLength(static_cast<int>(FCells.size()));
        LayOut(value, !wasMasked && FSaveLiterals);
    } else if (wasMasked) {
        SetMaxLength(0);
        SetText(value);
    } else {
        SetMaxLength(0);
    }
}

bool TCustomMaskEdit::Accepts(const Cell& C, char16_t Ch) const {
    switch (C.ch) {
    case u'0':
        return IsDigit(Ch);
    case u'9':
        return IsDigit(Ch) || Ch == u' ';
    case u'#':
        return IsDigit(Ch) || Ch == u' ' || Ch == u'+' || Ch == u'-';
    case u'L':
        return IsLetter(Ch);
    case u'l':
        return IsLetter(Ch) || Ch == u' ';
    case u'A':
        return IsLetter(Ch) || IsDigit(Ch);
    case u'a':
        return IsLetter(Ch) || IsDigit(Ch) || Ch == u' ';
    default:
        return Ch >= u' ';
    }
}

void TCustomMaskEdit::SetMaskedValue(const UnicodeString& Value) {
    if (!IsMasked()) {
        SetText(Value);
        return;
    }
    LayOut(Value, FSaveLiterals);
}

void TCustomMaskEdit::LayOut(const UnicodeString& Value, bool LiteralsInValue) {
    UnicodeString text;
    size_t pos = 0;
    for (const Cell& c : FCells) {
        if (!c.input) {
            text += c.ch;
            // A value that carries the literals has this one here.
            if (LiteralsInValue && pos < Value.size() && Value[pos] == c.ch) ++pos;
            continue;
        }
        char16_t ch = FBlank;
        if (pos < Value.size()) {
            const char16_t v = Value[pos++];
            if (v != u' ' && v != FBlank && Accepts(c, v)) ch = ApplyCase(v, c.caseMode);
        }
        text += ch;
    }
    SetText(text);
}

UnicodeString TCustomMaskEdit::GetMaskedValue() {
    const UnicodeString text = GetText();
    if (!IsMasked()) return text;
    UnicodeString value;
    for (size_t i = 0; i < FCells.size(); ++i) {
        const char16_t ch = i < text.size() ? text[i] : FBlank;
        if (!FCells[i].input) {
            if (FSaveLiterals) value += FCells[i].ch;
            continue;
        }
        value += ch == FBlank ? u' ' : ch;
    }
    while (!value.empty() && value.back() == u' ')
        value.pop_back();
    return value;
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked()) return;
    const UnicodeString text = GetText();
    for (size_t i = 0; i < FCells.size(); ++i) {
        if (!FCells[i].input || !Required(FCells[i].ch)) continue;
        const char16_t ch = i < text.size() ? text[i] : FBlank;
        if (ch != FBlank && ch != u' ') continue;
        if (HandleAllocated()) {
            SetSelStart(static_cast<int>(i));
            SetSelLength(0);
        }
        throw EDBEditError(u"Invalid input value.  Use escape key to abandon changes");
    }
}

int TCustomMaskEdit::NextInput(int From) const {
    for (int i = std::max(From, 0); i < static_cast<int>(FCells.size()); ++i)
        if (FCells[size_t(i)].input) return i;
    return -1;
}

int TCustomMaskEdit::PrevInput(int From) const {
    for (int i = std::min(From, static_cast<int>(FCells.size()) - 1); i >= 0; --i)
        if (FCells[size_t(i)].input) return i;
    return -1;
}

void TCustomMaskEdit::PutChar(int Index, char16_t Ch) {
    UnicodeString text = GetText();
    text.resize(FCells.size(), FBlank);
    text[size_t(Index)] = Ch;
    SetText(text);
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
    if (IsMasked() && !GetReadOnly() && HandleAllocated()) {
        if (Message.Msg == WM_CHAR) {
            const char16_t ch = static_cast<char16_t>(Message.WParam);
            // Ctrl+V and Ctrl+X go through the mask as well.
            if (ch == 0x16 || ch == 0x18) {
                Perform(ch == 0x16 ? WM_PASTE : WM_CUT, 0, 0);
                Message.Result = 0;
                return;
            }
            const int caret = GetSelStart();
            if (ch == u'\b') {
                const int at = PrevInput(caret - 1);
                if (at >= 0) {
                    PutChar(at, FBlank);
                    SetSelStart(at);
                }
                Message.Result = 0;
                return;
            }
            if (ch >= u' ') {
                const int at = NextInput(caret);
                if (at < 0 || !Accepts(FCells[size_t(at)], ch)) {
                    MessageBeep(0);
                } else {
                    PutChar(at, ApplyCase(ch, FCells[size_t(at)].caseMode));
                    const int next = NextInput(at + 1);
                    SetSelStart(next >= 0 ? next : static_cast<int>(FCells.size()));
                }
                Message.Result = 0;
                return;
            }
        }
        // Pasted text goes in as if typed; cut and cleared text leaves blanks
        // behind, never gaps in the mask.
        if (Message.Msg == WM_PASTE) {
            UnicodeString text;
            if (OpenClipboard(FHandle)) {
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
                    if (auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
                        text = chars;
                        GlobalUnlock(data);
                    }
                CloseClipboard();
            }
            for (char16_t c : text)
                if (c >= u' ') Perform(WM_CHAR, c, 0);
            Message.Result = 0;
            return;
        }
        if (Message.Msg == WM_CUT || Message.Msg == WM_CLEAR) {
            if (Message.Msg == WM_CUT) Perform(WM_COPY, 0, 0);
            const int start = GetSelStart(), end = start + GetSelLength();
            UnicodeString text = GetText();
            text.resize(FCells.size(), FBlank);
            for (int i = start; i < end && i < static_cast<int>(FCells.size()); ++i)
                if (FCells[size_t(i)].input) text[size_t(i)] = FBlank;
            SetText(text);
            SetSelStart(start);
            Message.Result = 0;
            return;
        }
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (Message.Msg == WM_KEYDOWN && shift &&
            (Message.WParam == VK_INSERT || Message.WParam == VK_DELETE)) {
            Perform(Message.WParam == VK_INSERT ? WM_PASTE : WM_CUT, 0, 0);
            Message.Result = 0;
            return;
        }
        if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_DELETE) {
            const int at = NextInput(GetSelStart());
            if (at >= 0) {
                PutChar(at, FBlank);
                SetSelStart(at);
            }
            Message.Result = 0;
            return;
        }
    }
    TCustomEdit::Dispatch(Message);
}

void RegisterMaskClasses() {
    RegisterClasses({TMaskEdit::StaticClass()});
}
