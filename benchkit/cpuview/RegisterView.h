// The general-register pane and its data holders: the host fills a TCPURegs
// and hands it over; the view keeps the previous set and shows the values
// that changed in red.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/LabeledList.h"

#include <runpak/Component.h>

#include <array>
#include <cstdint>

enum TRegisterType {
    rtEAX,
    rtEBX,
    rtECX,
    rtEDX,
    rtESI,
    rtEDI,
    rtEBP,
    rtESP,
    rtEIP,
    rtRAX,
    rtRBX,
    rtRCX,
    rtRDX,
    rtRSI,
    rtRDI,
    rtR8,
    rtR9,
    rtR10,
    rtR11,
    rtR12,
    rtR13,
    rtR14,
    rtR15,
    rtRBP,
    rtRSP,
    rtRIP,
    rtEFL,
    rtCS,
    rtDS,
    rtSS,
    rtES,
    rtFS,
    rtGS,
    rtAR0,
    rtAR1,
    rtAR2,
    rtAR3,
    rtAR4,
    rtAR5,
    rtAR6,
    rtAR7,
    rtAR8,
    rtAR9,
    rtAR10,
    rtAR11,
    rtAR12,
    rtASP,
    rtALR,
    rtAPC,
    rtACPSR,
    rtX0,
    rtX1,
    rtX2,
    rtX3,
    rtX4,
    rtX5,
    rtX6,
    rtX7,
    rtX8,
    rtX9,
    rtX10,
    rtX11,
    rtX12,
    rtX13,
    rtX14,
    rtX15,
    rtX16,
    rtX17,
    rtX18,
    rtX19,
    rtX20,
    rtX21,
    rtX22,
    rtX23,
    rtX24,
    rtX25,
    rtX26,
    rtX27,
    rtX28,
    rtXFP,
    rtXLR,
    rtXSP,
    rtXPC,
    rtXCPSR
};
constexpr int kRegisterTypeCount = rtXCPSR + 1;

enum TRegisterViewType { rvtUnknown, rvtReg32, rvtReg64, rvtRegARM32, rvtRegARM64 };

// Which of a register set's registers are shown.
class TVisibleCPURegs : public TPersistent {
public:
    TVisibleCPURegs();

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void Assign(TPersistent* Source) override;
    bool GetVisibleReg(int Index) const { return FVisibleRegs[Index]; }
    void SetVisibleReg(int Index, bool Value);

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    int32_t FUpdateCount = 0;
    std::array<bool, kRegisterTypeCount> FVisibleRegs;
};

class TCPURegs : public TPersistent {
public:
    TCPURegs();
    ~TCPURegs() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Visible registers, counted from 0 in register order.
    virtual int GetRegCount();
    virtual UnicodeString GetRegName(int Index);
    virtual UnicodeString GetRegValue(int Index);
    // By register index (TRegisterType, 0-83).
    virtual uint64_t GetUInt64Reg(int Index);
    virtual uint32_t GetLongWordReg(int Index);
    virtual void SetUInt64Reg(int Index, uint64_t Value);
    virtual void SetLongWordReg(int Index, uint32_t Value);
    uint16_t GetWordReg(int Index);
    void SetWordReg(int Index, uint16_t Value);
    // The register index of the Index-th visible register (Index itself
    // when fewer are visible).
    int VisibleIndexToActualIndex(int Index);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void Changed();
    TVisibleCPURegs* GetVisibleRegs() const { return FVisibleRegs; }
    void SetVisibleRegs(TVisibleCPURegs* Value) { FVisibleRegs->Assign(Value); }
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;

private:
    int32_t FUpdateCount = 0;
    std::array<uint64_t, kRegisterTypeCount> FRegisters{};
    TVisibleCPURegs* FVisibleRegs;
};

class TRegisterView : public TLabeledList {
public:
    explicit TRegisterView(TComponent* AOwner);
    ~TRegisterView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCPURegs* GetCurrentRegs() const { return FCurrentRegs; }
    TCPURegs* GetOldRegs() const { return FOldRegs; }
    // 0: the current set, 1: the previous one.
    void SetRegs(int Index, TCPURegs* Value);
    TRegisterType GetSelectedRegister();
    int GetSelectedRegisterRow() const { return GetRow(); }
    bool GetShowOldRegs() const { return FShowOldRegs; }
    void SetShowOldRegs(bool Value);
    TVisibleCPURegs* GetVisibleRegs() const { return FVisibleRegs; }
    void SetVisibleRegs(TVisibleCPURegs* Value) { FVisibleRegs->Assign(Value); }
    TRegisterViewType GetRegisterViewType() const { return FRegsViewType; }
    void SetRegisterViewType(TRegisterViewType Value);
    // A new stop: the current set becomes the old one.
    void UpdateRegisters(TCPURegs* NewRegisters);

    int GetItemCount() override;
    UnicodeString GetItemLabel(int Index) override;
    UnicodeString GetItemValue(int Index) override;

protected:
    void SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) override;

private:
    TCPURegs* ActiveRegs() const { return FShowOldRegs ? FOldRegs : FCurrentRegs; }
    void VisibleRegistersChanged();

    TCPURegs* FOldRegs;
    TCPURegs* FCurrentRegs;
    bool FShowOldRegs = false;
    TRegisterViewType FRegsViewType = rvtUnknown;
    TVisibleCPURegs* FVisibleRegs;
};

#pragma GCC visibility pop
