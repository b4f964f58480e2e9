// The status bar: panels along the bottom of a form, each with its text and
// width (the last one takes what is left), or one simple panel across the
// whole bar with its own text.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/WinControl.h>
#include <runpak/Collection.h>

class TStatusBar;

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TCollectionItem {
public:
    explicit TStatusPanel(TCollection* Collection);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetText() const { return FText; }
    void SetText(const UnicodeString& Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    TStatusPanelBevel GetBevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);

    UnicodeString GetDisplayName() const override;
    void Assign(TPersistent* Source) override;

private:
    UnicodeString FText;
    int FWidth = 50;
    TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels : public TCollection {
public:
    explicit TStatusPanels(TStatusBar* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStatusPanel* Add();
    TStatusPanel* GetItems(int Index) const;
    TStatusPanel* operator[](int Index) const { return GetItems(Index); }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* FStatusBar;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStatusPanels* GetPanels() const { return FPanels; }
    void SetPanels(TStatusPanels* Value);
    bool GetSimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    const UnicodeString& GetSimpleText() const { return FSimpleText; }
    void SetSimpleText(const UnicodeString& Value);

protected:
    friend class TStatusPanels;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // Hands the panels (one of them, or all for -1) to the window.
    void UpdatePanel(int Index);
    void UpdatePanels();

private:
    TStatusPanels* FPanels;
    UnicodeString FSimpleText;
    bool FSimplePanel = false;
};

#pragma GCC visibility pop
