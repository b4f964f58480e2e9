// The header control: a row of sections with their texts and widths, over
// the layer's header window. A section the user drags wider or narrower
// takes the new width, and the sections after it move along.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/WinControl.h>
#include <runpak/Collection.h>

#include <functional>

class THeaderControl;
class THeaderSection;

using TSectionNotifyEvent = std::function<void(THeaderControl* HeaderControl, THeaderSection* Section)>;

class THeaderSection : public TCollectionItem {
public:
    explicit THeaderSection(TCollection* Collection);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetText() const { return FText; }
    void SetText(const UnicodeString& Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    // The section's edges: the widths of the sections before it, summed.
    int GetLeft() const;
    int GetRight() const { return GetLeft() + FWidth; }

    UnicodeString GetDisplayName() const override;
    void Assign(TPersistent* Source) override;

private:
    friend class THeaderControl;
    UnicodeString FText;
    int FWidth = 50;
};

class THeaderSections : public TCollection {
public:
    explicit THeaderSections(THeaderControl* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    THeaderSection* Add();
    THeaderSection* GetItems(int Index) const;
    THeaderSection* operator[](int Index) const { return GetItems(Index); }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;

private:
    THeaderControl* FHeaderControl;
};

class THeaderControl : public TWinControl {
public:
    explicit THeaderControl(TComponent* AOwner);
    ~THeaderControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    THeaderSections* GetSections() const { return FSections; }
    void SetSections(THeaderSections* Value);

    void Dispatch(TMessage& Message) override;

    TSectionNotifyEvent OnSectionResize;

protected:
    friend class THeaderSections;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // Hands the sections to the window again.
    void UpdateSections();
    void UpdateSection(int Index);

private:
    THeaderSections* FSections;
};

#pragma GCC visibility pop
