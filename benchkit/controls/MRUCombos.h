// A combo box whose list keeps the most recently used entries first and at
// most MaxCount of them. It stores nothing itself: the host fills the items
// and saves them.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>
#include <runpak/Exceptions.h>

// The list control refused a new line.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

class TCustomMRUComboBox;

// The combo's item list: adding a text moves it (or puts it) at the top.
class TMRUComboBoxStrings : public TItemStrings {
public:
    explicit TMRUComboBoxStrings(TCustomMRUComboBox* AOwner) : FOwner(AOwner) {}

    int Add(const UnicodeString& S) override;
    void Insert(int Index, const UnicodeString& S) override;

private:
    TCustomMRUComboBox* FOwner;
};

class TCustomMRUComboBox : public TCustomComboBox {
public:
    explicit TCustomMRUComboBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetMaxCount() const { return FMaxCount; }
    void SetMaxCount(int Value);
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }

    // Puts the edit's text (when there is one) at the top and selects the first item.
    virtual void UpdateContents();

    void Dispatch(TMessage& Message) override;

protected:
    void DoExit() override;

    int FMaxCount = 20;
    bool FCaseSensitive = false;
};

// Completes typed text from its entries unless AutoComplete is turned off.
class TMRUComboBox : public TCustomMRUComboBox {
public:
    explicit TMRUComboBox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
