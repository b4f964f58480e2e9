#include "Filters.h"

#include "benchkit/BenchkitInstance.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Timer.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

namespace {

enum { kMagnifyArrow, kMagnify, kCloseUp, kCloseHot, kCloseDown };
const char16_t* const kImageNames[] = {u"MAGNIFY_ARROW", u"MAGNIFY", u"CLOSE_UP", u"CLOSE_HOT",
                                       u"CLOSE_DOWN"};
const char16_t* const SSearch = u"Search";
constexpr unsigned kDefaultInterval = 600;

TImageList* sharedImages = nullptr;

// The next place at or after From where Text holds C, or npos.
size_t Scan(const UnicodeString& Text, size_t From, char16_t C) {
    return Text.find(C, From);
}

} // namespace

bool PatternMatch(const UnicodeString& AText, const UnicodeString& APattern, int& Position,
                  bool Partial, bool CaseSensitive) {
    Position = -1;
    if (AText.empty() && APattern.empty()) return true;
    if (AText.empty() || APattern.empty()) return false;
    UnicodeString text = CaseSensitive ? AText : UpperCase(AText);
    UnicodeString pattern = CaseSensitive ? APattern : UpperCase(APattern);
    if (Partial) {
        if (pattern[0] == u'?')
            pattern = u"?*" + pattern.substr(1) + u"*";
        else
            pattern = u"*" + pattern + u"*";
    } else {
        pattern += u"*";
    }

    const size_t tEnd = text.size();
    const size_t pEnd = pattern.size();
    size_t t = 0;
    size_t p = 0;
    // One retry point: where the text stood at a star's literal, and that literal.
    bool haveRetry = false;
    size_t retryT = 0;
    size_t retryP = 0;
    long lastRetry = -1;
    while (t < tEnd && p < pEnd) {
        const char16_t pc = pattern[p];
        if (pc == u'*') {
            if (p + 1 < pEnd && pattern[p + 1] == u'*') {
                ++p;
                continue;
            }
            if (p + 1 >= pEnd) {
                // A closing star takes the rest of the text.
                t = tEnd;
                ++p;
                break;
            }
            const size_t found = Scan(text, t, pattern[p + 1]);
            ++p;
            if (found == UnicodeString::npos) {
                t = tEnd;
                continue;
            }
            t = found;
            haveRetry = true;
            retryT = found;
            retryP = p;
            lastRetry = static_cast<long>(found);
        } else if (pc == u'?' || pc == text[t]) {
            ++p;
            ++t;
        } else {
            if (!haveRetry) return false;
            t = retryT + 1;
            p = retryP;
            haveRetry = false;
            if (pattern[p] != u'*') {
                const size_t found = Scan(text, t, pattern[p]);
                if (found == UnicodeString::npos) {
                    t = tEnd;
                } else {
                    t = found;
                    haveRetry = true;
                    retryT = found;
                    retryP = p;
                    lastRetry = static_cast<long>(found);
                }
            }
        }
    }
    bool matched = false;
    if (t >= tEnd) {
        matched = true;
        for (size_t i = p; i < pEnd; ++i)
            if (pattern[i] != u'*' && pattern[i] != u'?') {
                matched = false;
                break;
            }
    }
    if (matched && lastRetry >= 0) Position = static_cast<int>(lastRetry + 1);
    return matched;
}

bool PatternMatch(const UnicodeString& Text, const UnicodeString& Pattern, bool Partial,
                  bool CaseSensitive) {
    int position;
    return PatternMatch(Text, Pattern, position, Partial, CaseSensitive);
}

TCustomImageList* FilterEditImages() {
    if (sharedImages) return sharedImages;
    auto* images = new TImageList(nullptr);
    images->SetSize(16, 16);
    for (const char16_t* name : kImageNames) {
        TBitmap bitmap;
        bitmap.LoadFromResourceName(BenchkitInstance(), name);
        images->AddMasked(&bitmap, clFuchsia);
    }
    sharedImages = images;
    return sharedImages;
}

void FinalizeFilters() {
    delete sharedImages;
    sharedImages = nullptr;
}

TClass TFilterEdit::StaticClass() {
    using T = TFilterEdit;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TFilterEdit", TCustomButtonedEdit::StaticClass())
            .Property(u"Interval", IntegerTypeInfo, &T::GetInterval, &T::SetInterval)
            .Default(kDefaultInterval)
            .Property(u"DropDownMenu", ClassTypeInfo<TPopupMenu>, &T::GetDropDownMenu,
                      &T::SetDropDownMenu)
            .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText)
            .Event(u"ClearFilter", static_cast<TNotifyEvent T::*>(&TFilterEdit::ClearFilter))
            .Event(u"PerformFilter", static_cast<TFilterEvent T::*>(&TFilterEdit::PerformFilter))
            .Event(u"OnLeftButtonClick",
                   static_cast<TNotifyEvent T::*>(&TCustomButtonedEdit::OnLeftButtonClick)));
    return &meta;
}

TFilterEdit::TFilterEdit(TComponent* AOwner) : TCustomButtonedEdit(AOwner) {
    FilterEditImages();
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(kDefaultInterval);
    FTimer->OnTimer = [this](TObject*) { TimerExpired(); };
    // A filter edit made in code is ready as one read from a form is.
    ApplyLook();
}

TFilterEdit::~TFilterEdit() {
    FTimer->OnTimer = nullptr;
}

void TFilterEdit::ApplyLook() {
    TEditButton* right = GetRightButton();
    TEditButton* left = GetLeftButton();
    right->SetVisible(!GetText().empty());
    SetImages(FilterEditImages());
    left->SetImageIndex(left->GetDropDownMenu() ? kMagnifyArrow : kMagnify);
    left->SetVisible(true);
    right->SetImageIndex(kCloseUp);
    right->SetHotImageIndex(kCloseHot);
    right->SetPressedImageIndex(kCloseDown);
    SetTextHint(SSearch);
    OnRightButtonClick = [this](TObject*) { ClearButtonClick(); };
}

void TFilterEdit::Loaded() {
    TCustomButtonedEdit::Loaded();
    ApplyLook();
}

void TFilterEdit::CreateWnd() {
    TCustomButtonedEdit::CreateWnd();
    // A text given before the window existed shows the clear button too.
    FOldText = GetText();
    GetRightButton()->SetVisible(!FOldText.empty());
}

unsigned TFilterEdit::GetInterval() const {
    return FTimer->GetInterval();
}

void TFilterEdit::SetInterval(unsigned Value) {
    FTimer->SetInterval(Value);
}

TPopupMenu* TFilterEdit::GetDropDownMenu() const {
    return GetLeftButton()->GetDropDownMenu();
}

void TFilterEdit::SetDropDownMenu(TPopupMenu* Value) {
    GetLeftButton()->SetDropDownMenu(Value);
    GetLeftButton()->SetImageIndex(Value ? kMagnifyArrow : kMagnify);
}

bool TFilterEdit::FilterPending() const {
    return FTimer->GetEnabled();
}

void TFilterEdit::RaiseClearFilter() {
    if (ClearFilter) ClearFilter(this);
}

void TFilterEdit::Change() {
    const UnicodeString text = GetText();
    if (text != FOldText) {
        FOldText = text;
        if (!text.empty()) {
            GetRightButton()->SetVisible(true);
            // The pause counts from the last keystroke.
            FTimer->SetEnabled(false);
            FTimer->SetEnabled(true);
        } else {
            // Nothing is left to filter by: a filter still waiting is dropped.
            FTimer->SetEnabled(false);
            GetRightButton()->SetVisible(false);
            RaiseClearFilter();
        }
    }
    TCustomButtonedEdit::Change();
}

void TFilterEdit::TimerExpired() {
    FTimer->SetEnabled(false);
    if (PerformFilter) PerformFilter(this, GetText());
}

void TFilterEdit::Execute() {
    FTimer->SetEnabled(false);
    if (PerformFilter) PerformFilter(this, GetText());
}

void TFilterEdit::Clear() {
    if (GetText().empty()) {
        // No change to report it: the host still hears of the clear, once.
        FTimer->SetEnabled(false);
        GetRightButton()->SetVisible(false);
        FOldText.clear();
        RaiseClearFilter();
        return;
    }
    TCustomButtonedEdit::Clear(); // the change raises ClearFilter
}

void TFilterEdit::ClearButtonClick() {
    Clear();
}
