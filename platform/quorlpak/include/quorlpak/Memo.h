// TMemo: a multi-line edit over the system "Edit" class. Lines is the text
// as a list of lines (breaks are CR LF; a bare CR or LF also ends a line
// when text is read); changing Lines changes the text and the reverse.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

enum TMemoScrollBars { ssMemoNone, ssMemoHorizontal, ssMemoVertical, ssMemoBoth };
PTypeInfo TypeInfo_TMemoScrollBars();

class TCustomMemo;

namespace quorlpak {
// The lines of a memo, read from and written to its text.
class TMemoLines : public TStrings {
public:
    explicit TMemoLines(TCustomMemo* Memo) : FMemo(Memo) {}
    UnicodeString Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const UnicodeString& S) override;
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const UnicodeString& S) override;
    UnicodeString GetTextStr() const override;
    void SetTextStr(const UnicodeString& Text) override;

private:
    std::vector<UnicodeString> Split() const;
    void Join(const std::vector<UnicodeString>& Lines);
    TCustomMemo* FMemo;
};
} // namespace quorlpak

class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetLines() const { return FLines; }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    TMemoScrollBars GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TMemoScrollBars Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetWantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value);
    bool GetWantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TStrings* FLines;
    TMemoScrollBars FScrollBars = ssMemoNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
    using TCustomMemo::TCustomMemo;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

void RegisterMemoClasses();

#pragma GCC visibility pop
