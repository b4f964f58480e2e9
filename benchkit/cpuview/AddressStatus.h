// The one-line status under the CPU window's panes: the effective address of
// the current instruction's memory operand and the value there (or the jump
// target) at the left, the current thread at the right.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/DisassemblerView.h"

#include <quorlpak/CustomControl.h>

#include <cstdint>

enum TAddressFormat { afPascal, afCPP };

class TAddressStatus : public TGraphicControl {
public:
    explicit TAddressStatus(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TAddressFormat GetAddressFormat() const { return FAddressFormat; }
    void SetAddressFormat(TAddressFormat Value);
    TAddressSize GetAddressSize() const { return FAddressSize; }
    void SetAddressSize(TAddressSize Value);
    int64_t GetEffective() const { return FEffective; }
    void SetEffective(int64_t Value);
    int64_t GetIndirect() const { return FIndirect; }
    void SetIndirect(int64_t Value);
    bool GetIndirectError() const { return FIndirectError; }
    void SetIndirectError(bool Value);
    bool GetShowAnyThing() const { return FShowAnyThing; }
    void SetShowAnyThing(bool Value);
    bool GetShowEffective() const { return FShowEffective; }
    void SetShowEffective(bool Value);
    bool GetShowTarget() const { return FShowTarget; }
    void SetShowTarget(bool Value);
    int64_t GetTarget() const { return FTarget; }
    void SetTarget(int64_t Value);
    int32_t GetThreadId() const { return FThreadId; }
    void SetThreadId(int32_t Value);
    const UnicodeString& GetThreadString() const { return FThreadString; }
    void SetThreadString(const UnicodeString& Value);
    int32_t GetLeftColWidth() const { return FLeftColWidth; }

    // Sets the control's text from what is shown, and repaints.
    void Update() override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    void UpdateLeftColWidth();
    // The four formats of the current address format and size.
    const char16_t* UnknownFormat() const;
    const char16_t* KnownFormat() const;
    const char16_t* TargetFormat() const;
    // An address as the formats take it: its low 32 bits for 32-bit addresses.
    uint64_t Shown(int64_t Address) const;

    int64_t FEffective = 0;
    int64_t FIndirect = 0;
    int64_t FTarget = 0;
    bool FIndirectError = true;
    int32_t FLeftColWidth = 0;
    bool FShowEffective = false;
    int32_t FThreadId = 0;
    UnicodeString FThreadString;
    bool FShowAnyThing = false;
    bool FShowTarget = false;
    TAddressFormat FAddressFormat = afPascal;
    TAddressSize FAddressSize = as32;
};

// Puts the seven CPU-window controls on the palette page "CPU"; the host's
// design environment calls it.
void Register();

#pragma GCC visibility pop
