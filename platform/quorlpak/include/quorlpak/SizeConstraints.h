// TSizeConstraints: the smallest and largest size a control may take
// (0: no limit).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <runpak/Component.h>

class TControl;

class TSizeConstraints : public TPersistent {
public:
    explicit TSizeConstraints(TControl* Control) : FControl(Control) {}

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    int GetMaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value) { Set(FMaxHeight, Value, FMinHeight, false); }
    int GetMaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value) { Set(FMaxWidth, Value, FMinWidth, false); }
    int GetMinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value) { Set(FMinHeight, Value, FMaxHeight, true); }
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value) { Set(FMinWidth, Value, FMaxWidth, true); }

    // Clamps a proposed size.
    void Apply(int& Width, int& Height) const;

    TNotifyEvent OnChange;

private:
    void Set(int& Field, int Value, int& Other, bool IsMin);

    TControl* FControl;
    int FMaxHeight = 0;
    int FMaxWidth = 0;
    int FMinHeight = 0;
    int FMinWidth = 0;
};

#pragma GCC visibility pop
