// TMemo: a multi-line edit.
#include <quorlpak/Memo.h>
#include <quorlpak/Messages.h>

#include "PublishControls.h"

PTypeInfo TypeInfo_TMemoScrollBars() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TScrollStyle", {u"ssNone", u"ssHorizontal", u"ssVertical", u"ssBoth"});
    return &info;
}

namespace {

TClassBuilder<TMemo> MemoDescription() {
    using T = TMemo;
    TClassBuilder<T> b(u"TMemo", TCustomMemo::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
        .Default(bsSingle)
        .Property(u"Lines", ClassTypeInfo<TStrings>, &T::GetLines, &T::SetLines)
        .Property(u"MaxLength", IntegerTypeInfo, &T::GetMaxLength, &T::SetMaxLength)
        .Default(0)
        .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
        .Default(0)
        .Property(u"ScrollBars", TypeInfo_TMemoScrollBars, &T::GetScrollBars, &T::SetScrollBars)
        .Default(ssMemoNone)
        .Property(u"WantReturns", BooleanTypeInfo, &T::GetWantReturns, &T::SetWantReturns)
        .Default(1)
        .Property(u"WantTabs", BooleanTypeInfo, &T::GetWantTabs, &T::SetWantTabs)
        .Default(0)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(1)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange));
    return b;
}

} // namespace

namespace quorlpak {

std::vector<UnicodeString> TMemoLines::Split() const {
    std::vector<UnicodeString> lines;
    const UnicodeString text = FMemo->GetText();
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of(u"\r\n", start);
        if (end == UnicodeString::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

void TMemoLines::Join(const std::vector<UnicodeString>& Lines) {
    UnicodeString text;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i > 0) text += u"\r\n";
        text += Lines[i];
    }
    FMemo->SetText(text);
}

UnicodeString TMemoLines::Get(int Index) const {
    const std::vector<UnicodeString> lines = Split();
    if (Index < 0 || Index >= static_cast<int>(lines.size()))
        Error("List index out of bounds (%d)", Index);
    return lines[size_t(Index)];
}

int TMemoLines::GetCount() const {
    return static_cast<int>(Split().size());
}

void TMemoLines::Put(int Index, const UnicodeString& S) {
    std::vector<UnicodeString> lines = Split();
    if (Index < 0 || Index >= static_cast<int>(lines.size()))
        Error("List index out of bounds (%d)", Index);
    lines[size_t(Index)] = S;
    Join(lines);
}

void TMemoLines::Clear() {
    FMemo->SetText(UnicodeString());
}

void TMemoLines::Delete(int Index) {
    std::vector<UnicodeString> lines = Split();
    if (Index < 0 || Index >= static_cast<int>(lines.size()))
        Error("List index out of bounds (%d)", Index);
    lines.erase(lines.begin() + Index);
    Join(lines);
}

void TMemoLines::Insert(int Index, const UnicodeString& S) {
    std::vector<UnicodeString> lines = Split();
    if (Index < 0 || Index > static_cast<int>(lines.size()))
        Error("List index out of bounds (%d)", Index);
    lines.insert(lines.begin() + Index, S);
    Join(lines);
}

UnicodeString TMemoLines::GetTextStr() const {
    UnicodeString text;
    for (const UnicodeString& line : Split())
        text += line + u"\r\n";
    return text;
}

void TMemoLines::SetTextStr(const UnicodeString& Text) {
    // Every break becomes CR LF, as the edit keeps them.
    UnicodeString text;
    for (size_t i = 0; i < Text.size(); ++i) {
        const char16_t c = Text[i];
        if (c == u'\r' || c == u'\n') {
            text += u"\r\n";
            if (c == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n') ++i;
        } else {
            text += c;
        }
    }
    FMemo->SetText(text);
}

} // namespace quorlpak

TClass TCustomMemo::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomMemo>(u"TCustomMemo", TCustomEdit::StaticClass()));
    return &meta;
}

TClass TMemo::StaticClass() {
    static const TMetaClass meta(MemoDescription());
    return &meta;
}

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(new quorlpak::TMemoLines(this)) {
    FWidth = 185;
    FHeight = 89;
    FAutoSelect = false;
    FControlStyle.Exclude(csFixedHeight);
}

TCustomMemo::~TCustomMemo() {
    delete FLines;
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    if (FWordWrap) Params.Style &= ~DWORD(ES_AUTOHSCROLL);
    if (FWantReturns) Params.Style |= ES_WANTRETURN;
    if (FScrollBars == ssMemoVertical || FScrollBars == ssMemoBoth) Params.Style |= WS_VSCROLL;
    if ((FScrollBars == ssMemoHorizontal || FScrollBars == ssMemoBoth) && !FWordWrap)
        Params.Style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TMemoScrollBars Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    RecreateWnd();
}

void TCustomMemo::SetWantReturns(bool Value) {
    if (FWantReturns == Value) return;
    FWantReturns = Value;
    RecreateWnd();
}

void TCustomMemo::Dispatch(TMessage& Message) {
    TCustomEdit::Dispatch(Message);
    // Tab moves the focus on unless the memo takes tabs.
    if (Message.Msg == WM_GETDLGCODE && !FWantTabs) Message.Result &= ~LRESULT(DLGC_WANTTAB);
}

void RegisterMemoClasses() {
    RegisterClasses({TMemo::StaticClass()});
}
