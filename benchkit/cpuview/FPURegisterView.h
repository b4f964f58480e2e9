// The x87/MMX and XMM register panes, their data holders (raw register
// bytes turned into text by an element type and a radix), and the element
// types they share with the memory dump.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/RegisterView.h"

#include <array>
#include <cstdint>

enum TViewType {
    vtByte,
    vtWord,
    vtLong,
    vtQWord,
    vtSingle,
    vtDouble,
    vtExtended,
    vtMultiByte,
    vtUTF8,
    vtUnicode,
    vtDQWord
};

// One element type: its size, the text measured to size a column ("M" a
// widest digit), its hexadecimal or floating format, its decimal format
// (null: none), the dump's default number of data columns, and whether it is
// an integer type (the dump shows a text column beside integers).
struct TViewTypeInfo {
    int Size;
    const char16_t* WidthTemplate;
    const char16_t* Format;
    const char16_t* DecimalFormat;
    int DefaultColumns;
    bool IsInteger;
};
const TViewTypeInfo& ViewTypeInfo(TViewType ViewType);

enum TFPURadix { frBinary, frUnsignedDecimal, frSignedDecimal, frHexadecimal };
enum TFPUViewType { fvtFPU, fvtMMX };
enum TFPURegisterType {
    ftST0,
    ftST1,
    ftST2,
    ftST3,
    ftST4,
    ftST5,
    ftST6,
    ftST7,
    ftCTRL,
    ftSTAT,
    ftTAGS
};
enum TXMMRegisterType {
    xtXMM0,
    xtXMM1,
    xtXMM2,
    xtXMM3,
    xtXMM4,
    xtXMM5,
    xtXMM6,
    xtXMM7,
    xtXMM8,
    xtXMM9,
    xtXMM10,
    xtXMM11,
    xtXMM12,
    xtXMM13,
    xtXMM14,
    xtXMM15,
    xtMXCSR
};
enum TRegState { rsValid, rsZero, rsSpecial, rsEmpty, rsError };
constexpr int kXMMRegisterCount = xtMXCSR + 1;

class TFPURegs : public TPersistent {
public:
    TFPURegs();

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    virtual long double GetExtReg(int Index);
    virtual uint16_t GetWordReg(int Index); // rows 8, 9, 10: control, status, tag word
    virtual int GetRegCount() { return 11; }
    virtual UnicodeString GetRegName(int Index);
    virtual TRegState GetRegState(int Index);
    virtual UnicodeString GetRegValue(int Index);
    virtual void SetExtReg(int Index, long double Value);
    virtual void SetFPUViewType(TFPUViewType Value);
    virtual void SetRadix(TFPURadix Value);
    virtual void SetViewType(TViewType Value);
    virtual void SetWordReg(int Index, uint16_t Value); // 0, 1, 2: control, status, tag word

    // The bytes of a register slot in use (RegSize of them).
    void GetRegData(int Index, void* Dest) const;
    void SetRegData(int Index, const void* Source);
    int GetRegSize() const { return FRegisterSize; }
    void SetRegSize(int Value) { FRegisterSize = Value; }
    uint16_t GetControlWord() const { return FControlWord; }
    void SetControlWord(uint16_t Value) { SetWordReg(0, Value); }
    uint16_t GetStatusWord() const { return FStatusWord; }
    void SetStatusWord(uint16_t Value) { SetWordReg(1, Value); }
    uint16_t GetTagWord() const { return FTagWord; }
    void SetTagWord(uint16_t Value) { SetWordReg(2, Value); }
    TFPUViewType GetFPUViewType() const { return FFPUViewType; }
    TFPURadix GetRadix() const { return FRadix; }
    TViewType GetViewType() const { return FViewType; }
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    std::array<std::array<uint8_t, 16>, 8> FRegisterArea{};
    int32_t FRegisterSize = 10;
    uint16_t FControlWord = 0;
    uint16_t FStatusWord = 0;
    uint16_t FTagWord = 0;
    TFPUViewType FFPUViewType = fvtFPU;
    TFPURadix FRadix = frHexadecimal;
    TViewType FViewType = vtExtended;
};

class TVisibleXMMRegs : public TPersistent {
public:
    TVisibleXMMRegs();

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
    std::array<bool, kXMMRegisterCount> FVisibleRegs;
};

class TXMMRegs : public TPersistent {
public:
    TXMMRegs();
    ~TXMMRegs() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Visible registers, counted from 0.
    virtual int GetRegCount();
    virtual UnicodeString GetRegName(int Index);
    virtual UnicodeString GetRegValue(int Index);
    // MXCSR for index 16, else 0.
    virtual uint32_t GetLongWordReg(int Index);
    virtual void SetRadix(TFPURadix Value);
    virtual void SetViewType(TViewType Value);

    void SetLongWordReg(int Index, uint32_t Value);
    // The 16 bytes of register Index (0-15).
    void GetRegData(int Index, void* Dest) const;
    void SetRegData(int Index, const void* Source);
    int VisibleIndexToActualIndex(int Index);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void Changed();
    TFPURadix GetRadix() const { return FRadix; }
    TViewType GetViewType() const { return FViewType; }
    TVisibleXMMRegs* GetVisibleRegs() const { return FVisibleRegs; }
    void SetVisibleRegs(TVisibleXMMRegs* Value) { FVisibleRegs->Assign(Value); }
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;

private:
    int32_t FUpdateCount = 0;
    std::array<std::array<uint8_t, 16>, 16> FRegisterArea{};
    uint32_t FMXCSR = 0;
    TVisibleXMMRegs* FVisibleRegs;
    TViewType FViewType = vtDQWord;
    TFPURadix FRadix = frHexadecimal;
};

class TFPURegisterView : public TLabeledList {
public:
    explicit TFPURegisterView(TComponent* AOwner);
    ~TFPURegisterView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TFPURegs* GetCurrentRegs() const { return FCurrentRegs; }
    TFPURegs* GetOldRegs() const { return FOldRegs; }
    void SetRegs(int Index, TFPURegs* Value);
    TFPURadix GetRadix() const { return FCurrentRegs->GetRadix(); }
    void SetRadix(TFPURadix Value);
    TViewType GetViewType() const { return FCurrentRegs->GetViewType(); }
    void SetViewType(TViewType Value);
    TFPUViewType GetFPUViewType() const { return FCurrentRegs->GetFPUViewType(); }
    void SetFPUViewType(TFPUViewType Value);
    TFPURegisterType GetSelectedRegister() const;
    bool GetShowOldRegs() const { return FShowOldRegs; }
    void SetShowOldRegs(bool Value);
    void SetRegisterViewType(TRegisterViewType Value);
    int GetRegsSize() const { return FRegsSize; }
    void UpdateRegisters(TFPURegs* NewRegisters);

    int GetItemCount() override;
    UnicodeString GetItemLabel(int Index) override;
    UnicodeString GetItemValue(int Index) override;

protected:
    void SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) override;

private:
    TFPURegs* ActiveRegs() const { return FShowOldRegs ? FOldRegs : FCurrentRegs; }
    void RegsChanged();

    TFPURegs* FOldRegs;
    TFPURegs* FCurrentRegs;
    bool FShowOldRegs = false;
    TRegisterViewType FRegsViewType = rvtUnknown;
    int FRegsSize = 10;
};

class TXMMRegisterView : public TLabeledList {
public:
    explicit TXMMRegisterView(TComponent* AOwner);
    ~TXMMRegisterView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TXMMRegs* GetCurrentRegs() const { return FCurrentRegs; }
    TXMMRegs* GetOldRegs() const { return FOldRegs; }
    void SetRegs(int Index, TXMMRegs* Value);
    TFPURadix GetRadix() const { return FCurrentRegs->GetRadix(); }
    void SetRadix(TFPURadix Value);
    TViewType GetViewType() const { return FCurrentRegs->GetViewType(); }
    void SetViewType(TViewType Value);
    TXMMRegisterType GetSelectedRegister();
    int GetSelectedRegisterRow() const { return GetRow(); }
    bool GetShowOldRegs() const { return FShowOldRegs; }
    void SetShowOldRegs(bool Value);
    TVisibleXMMRegs* GetVisibleRegs() const { return FVisibleRegs; }
    void SetRegisterViewType(TRegisterViewType Value);
    void UpdateRegisters(TXMMRegs* NewRegisters);

    int GetItemCount() override;
    UnicodeString GetItemLabel(int Index) override;
    UnicodeString GetItemValue(int Index) override;

protected:
    void SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) override;

private:
    TXMMRegs* ActiveRegs() const { return FShowOldRegs ? FOldRegs : FCurrentRegs; }
    void RegsChanged();
    void VisibleRegistersChanged();

    TXMMRegs* FOldRegs;
    TXMMRegs* FCurrentRegs;
    bool FShowOldRegs = false;
    TRegisterViewType FRegsViewType = rvtUnknown;
    TVisibleXMMRegs* FVisibleRegs;
};

#pragma GCC visibility pop
