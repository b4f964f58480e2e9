// A panel that shows each line of a string list as a clickable label with a
// hot-tracking look, laid out like words in a paragraph.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Lists.h>
#include <runpak/StringList.h>

#include <functional>

using THotCommandClickEvent = std::function<void(TObject* Sender, int CommandIndex)>;

class TCustomHotCommands : public TCustomPanel {
public:
    explicit TCustomHotCommands(TComponent* AOwner);
    ~TCustomHotCommands() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetCommands() const { return FCommands; }
    void SetCommands(TStrings* Value) { FCommands->Assign(Value); }
    bool GetCommandState(int Index);
    void SetCommandState(int Index, bool Value);
    // The labels not on the panel, kept for reuse.
    int FreeLabelCount() const { return static_cast<int>(FFreeLabels.size()); }
    TLabel* CommandLabel(int Index) const;

    void Dispatch(TMessage& Message) override;

    THotCommandClickEvent OnHotCommandClick;

protected:
    void Resize() override;
    virtual void RecreateLabels();
    virtual void LayoutLabels();

private:
    void LabelEnter(TObject* Sender);
    void LabelLeave(TObject* Sender);
    void LabelClick(TObject* Sender);

    TStringList* FCommands = nullptr;
    std::vector<TLabel*> FFreeLabels; // owned
    bool FRecreatingLabels = false;
};

class THotCommands : public TCustomHotCommands {
public:
    using TCustomHotCommands::TCustomHotCommands;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
