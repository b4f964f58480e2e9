// A panel with a subject line at the top and a word-wrapped description
// filling the rest.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>

class TCustomDescriptionPane : public TCustomPanel {
public:
    explicit TCustomDescriptionPane(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetDescriptionText();
    void SetDescriptionText(const UnicodeString& Value);
    TFont* GetDescriptionFont() const;
    void SetDescriptionFont(TFont* Value);
    UnicodeString GetSubjectText();
    void SetSubjectText(const UnicodeString& Value);

    TLabel* GetSubjectLabel() const { return FSubjectLabel; }
    TLabel* GetDescriptionLabel() const { return FDescriptionLabel; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TLabel* FSubjectLabel = nullptr;
    TLabel* FDescriptionLabel = nullptr;
};

class TDescriptionPane : public TCustomDescriptionPane {
public:
    using TCustomDescriptionPane::TCustomDescriptionPane;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
