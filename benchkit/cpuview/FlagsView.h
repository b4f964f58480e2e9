// The flag panes: one row per field of a flag register (the processor flags,
// the x87 status word or the x87 control word) with its value in decimal.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/LabeledList.h"

#include <runpak/Component.h>

#include <cstdint>
#include <memory>
#include <vector>

// A field of a flag register: (flags and Mask) shifted right by Shift.
struct TCPUFlagDesc {
    UnicodeString Name;
    uint32_t Mask;
    int32_t Shift;
    friend bool operator==(const TCPUFlagDesc&, const TCPUFlagDesc&) = default;
};
using TCPUFlagDescriptor = std::shared_ptr<const std::vector<TCPUFlagDesc>>;

class TFlags : public TPersistent {
public:
    // Takes the descriptor rows 0..High.
    TFlags(const TCPUFlagDesc* FlagDescriptor, int High);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    virtual void Changed();
    // A row's field; 0 outside the table.
    virtual uint32_t GetFlag(int Index) const;
    virtual int GetFlagCount() const;
    virtual UnicodeString GetFlagName(int Index) const;
    virtual UnicodeString GetFlagValue(int Index) const;
    // Bits of Value outside the field are dropped.
    virtual void SetFlag(int Index, uint32_t Value);

    // The whole register.
    uint32_t GetFlags() const { return FFlags; }
    void SetFlags(uint32_t Value);
    const TCPUFlagDescriptor& GetFlagDescriptor() const { return FFlagDescriptor; }
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;

protected:
    uint32_t GetField(uint32_t Mask, int Shift) const { return (FFlags & Mask) >> Shift; }
    void SetField(uint32_t Mask, int Shift, uint32_t Value);

private:
    TCPUFlagDescriptor FFlagDescriptor;
    uint32_t FFlags = 0;
};

// EFLAGS.
class TCPUFlags : public TFlags {
public:
    TCPUFlags();
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    uint32_t GetCarry() const { return GetFlag(0); }
    void SetCarry(uint32_t Value) { SetFlag(0, Value); }
    uint32_t GetParity() const { return GetFlag(1); }
    void SetParity(uint32_t Value) { SetFlag(1, Value); }
    uint32_t GetAuxCarry() const { return GetFlag(2); }
    void SetAuxCarry(uint32_t Value) { SetFlag(2, Value); }
    uint32_t GetZero() const { return GetFlag(3); }
    void SetZero(uint32_t Value) { SetFlag(3, Value); }
    uint32_t GetSign() const { return GetFlag(4); }
    void SetSign(uint32_t Value) { SetFlag(4, Value); }
    uint32_t GetTrap() const { return GetFlag(5); }
    void SetTrap(uint32_t Value) { SetFlag(5, Value); }
    uint32_t GetInterrupt() const { return GetFlag(6); }
    void SetInterrupt(uint32_t Value) { SetFlag(6, Value); }
    uint32_t GetDirection() const { return GetFlag(7); }
    void SetDirection(uint32_t Value) { SetFlag(7, Value); }
    uint32_t GetOverflow() const { return GetFlag(8); }
    void SetOverflow(uint32_t Value) { SetFlag(8, Value); }
    uint32_t GetIOPL() const { return GetFlag(9); }
    void SetIOPL(uint32_t Value) { SetFlag(9, Value); }
    uint32_t GetNestedTask() const { return GetFlag(10); }
    void SetNestedTask(uint32_t Value) { SetFlag(10, Value); }
    uint32_t GetResume() const { return GetFlag(11); }
    void SetResume(uint32_t Value) { SetFlag(11, Value); }
    uint32_t GetV86Mode() const { return GetFlag(12); }
    void SetV86Mode(uint32_t Value) { SetFlag(12, Value); }
    uint32_t GetAlignment() const { return GetFlag(13); }
    void SetAlignment(uint32_t Value) { SetFlag(13, Value); }
    uint32_t GetVirtualInterruptFlag() const { return GetFlag(14); }
    void SetVirtualInterruptFlag(uint32_t Value) { SetFlag(14, Value); }
    uint32_t GetVirtualInterruptPending() const { return GetFlag(15); }
    void SetVirtualInterruptPending(uint32_t Value) { SetFlag(15, Value); }
    uint32_t GetID() const { return GetFlag(16); }
    void SetID(uint32_t Value) { SetFlag(16, Value); }
};

// The x87 status word.
class TFPUStatusFlags : public TFlags {
public:
    TFPUStatusFlags();
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    uint32_t GetInvalidOperandExceptionMask() const { return GetFlag(0); }
    void SetInvalidOperandExceptionMask(uint32_t Value) { SetFlag(0, Value); }
    uint32_t GetDenormalizedOperandExceptionMask() const { return GetFlag(1); }
    void SetDenormalizedOperandExceptionMask(uint32_t Value) { SetFlag(1, Value); }
    uint32_t GetZeroDivideExceptionMask() const { return GetFlag(2); }
    void SetZeroDivideExceptionMask(uint32_t Value) { SetFlag(2, Value); }
    uint32_t GetOverflowExceptionMask() const { return GetFlag(3); }
    void SetOverflowExceptionMask(uint32_t Value) { SetFlag(3, Value); }
    uint32_t GetUnderflowExceptionMask() const { return GetFlag(4); }
    void SetUnderflowExceptionMask(uint32_t Value) { SetFlag(4, Value); }
    uint32_t GetPrecisionExceptionMask() const { return GetFlag(5); }
    void SetPrecisionExceptionMask(uint32_t Value) { SetFlag(5, Value); }
    uint32_t GetStackFault() const { return GetFlag(6); }
    void SetStackFault(uint32_t Value) { SetFlag(6, Value); }
    uint32_t GetErrorSummaryStatus() const { return GetFlag(7); }
    void SetErrorSummaryStatus(uint32_t Value) { SetFlag(7, Value); }
    uint32_t GetC0() const { return GetFlag(8); }
    void SetC0(uint32_t Value) { SetFlag(8, Value); }
    uint32_t GetC1() const { return GetFlag(9); }
    void SetC1(uint32_t Value) { SetFlag(9, Value); }
    uint32_t GetC2() const { return GetFlag(10); }
    void SetC2(uint32_t Value) { SetFlag(10, Value); }
    uint32_t GetTopOfStack() const { return GetFlag(11); }
    void SetTopOfStack(uint32_t Value) { SetFlag(11, Value); }
    uint32_t GetC3() const { return GetFlag(12); }
    void SetC3(uint32_t Value) { SetFlag(12, Value); }
    uint32_t GetFpuBusy() const { return GetFlag(13); }
    void SetFpuBusy(uint32_t Value) { SetFlag(13, Value); }
};

// The x87 control word. Its properties address their own fields; the rows
// shown are the table's.
class TFPUControlFlags : public TFlags {
public:
    TFPUControlFlags();
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    uint32_t GetInvalidOperandExceptionMask() const { return GetField(0x1, 0); }
    void SetInvalidOperandExceptionMask(uint32_t Value) { SetField(0x1, 0, Value); }
    uint32_t GetDenormalizedOperandExceptionMask() const { return GetField(0x2, 1); }
    void SetDenormalizedOperandExceptionMask(uint32_t Value) { SetField(0x2, 1, Value); }
    uint32_t GetZeroDivideExceptionMask() const { return GetField(0x4, 2); }
    void SetZeroDivideExceptionMask(uint32_t Value) { SetField(0x4, 2, Value); }
    uint32_t GetOverflowExceptionMask() const { return GetField(0x8, 3); }
    void SetOverflowExceptionMask(uint32_t Value) { SetField(0x8, 3, Value); }
    uint32_t GetUnderflowExceptionMask() const { return GetField(0x10, 4); }
    void SetUnderflowExceptionMask(uint32_t Value) { SetField(0x10, 4, Value); }
    uint32_t GetPrecisionExceptionMask() const { return GetField(0x20, 5); }
    void SetPrecisionExceptionMask(uint32_t Value) { SetField(0x20, 5, Value); }
    uint32_t GetIEM() const { return GetField(0x80, 7); }
    void SetIEM(uint32_t Value) { SetField(0x80, 7, Value); }
    uint32_t GetPrecisionControl() const { return GetField(0x300, 8); }
    void SetPrecisionControl(uint32_t Value) { SetField(0x300, 8, Value); }
    uint32_t GetRoundingControl() const { return GetField(0xC00, 10); }
    void SetRoundingControl(uint32_t Value) { SetField(0xC00, 10, Value); }
    uint32_t GetInfinityControl() const { return GetField(0x1000, 12); }
    void SetInfinityControl(uint32_t Value) { SetField(0x1000, 12, Value); }
};

enum TFlagType { ftCPU, ftFPUStatus, ftFPUControl };

class TFlagsView : public TLabeledList {
public:
    explicit TFlagsView(TComponent* AOwner);
    ~TFlagsView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TFlags* GetCurrentFlags() const { return FCurrentFlags; }
    TFlags* GetOldFlags() const { return FOldFlags; }
    // 0: the current set, 1: the previous one.
    void SetFlags(int Index, TFlags* Value);
    TFlagType GetFlagType() const { return FFlagType; }
    // Makes new flag sets of the type's class, even for the same type.
    void SetFlagType(TFlagType Value);
    int GetSelectedFlag() const { return GetRow(); }
    bool GetShowOldFlags() const { return FShowOldFlags; }
    void SetShowOldFlags(bool Value);
    // A new stop: the current set becomes the old one.
    void UpdateFlags(TFlags* NewFlags);

    int GetItemCount() override;
    UnicodeString GetItemLabel(int Index) override;
    UnicodeString GetItemValue(int Index) override;

protected:
    void SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) override;

private:
    TFlags* ActiveFlags() const { return FShowOldFlags ? FOldFlags : FCurrentFlags; }
    void FlagsChanged();

    TFlags* FOldFlags = nullptr;
    TFlags* FCurrentFlags = nullptr;
    bool FShowOldFlags = false;
    TFlagType FFlagType = ftCPU;
};

#pragma GCC visibility pop
