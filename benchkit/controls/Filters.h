// A search box for filtering lists, and the wildcard matcher such filters use.
//
// TFilterEdit shows a magnifier at the left and, while it holds text, a clear
// button at the right. It waits until the user pauses typing (Interval
// milliseconds after the last change) and then raises PerformFilter with the
// text; emptying the text raises ClearFilter at once.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ButtonedEdit.h>

#include <functional>

class TTimer;
class TCustomImageList;

// Matches Text against a pattern of "*" (any run) and "?" (any one
// character). Without Partial the pattern matches texts that begin with it;
// with Partial, texts that contain it (a leading "?" still needs a character
// before the rest). Position receives the 1-based place in Text where the
// last wildcard run ended, or -1.
bool PatternMatch(const UnicodeString& Text, const UnicodeString& Pattern, int& Position,
                  bool Partial, bool CaseSensitive);
bool PatternMatch(const UnicodeString& Text, const UnicodeString& Pattern, bool Partial,
                  bool CaseSensitive);

using TFilterEvent = std::function<void(TObject* Sender, const UnicodeString& Text)>;

class TFilterEdit : public TCustomButtonedEdit {
public:
    explicit TFilterEdit(TComponent* AOwner);
    ~TFilterEdit() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Filters at once with the current text.
    void Execute();
    // Empties the text; the host hears ClearFilter once.
    void Clear();

    unsigned GetInterval() const;
    void SetInterval(unsigned Value);
    TPopupMenu* GetDropDownMenu() const;
    void SetDropDownMenu(TPopupMenu* Value);
    // True while a filter is waiting for the typing pause.
    bool FilterPending() const;

    TFilterEvent PerformFilter;
    TNotifyEvent ClearFilter;

protected:
    void Loaded() override;
    void CreateWnd() override;
    void Change() override;

private:
    void ApplyLook();
    void TimerExpired();
    void ClearButtonClick();
    void RaiseClearFilter();

    TTimer* FTimer;
    UnicodeString FOldText;
};

// The images the filter edits share, in the order "MAGNIFY_ARROW", "MAGNIFY",
// "CLOSE_UP", "CLOSE_HOT", "CLOSE_DOWN"; made on first use.
TCustomImageList* FilterEditImages();
// Frees the shared images (the unit's shut-down).
void FinalizeFilters();

#pragma GCC visibility pop
