// The x87/MMX and XMM registers: states from the tag word, texts by element
// type and radix, which registers are red, and the rows each view type shows.
#include "CPUViewTestSupport.h"

#include <runpak/Format.h>

#include <cstring>

namespace {

template <class T> class TOpen : public T {
public:
    using T::SetItemCanvas;
    using T::T;
};

template <class T> TColor ValueColour(TOpen<T>* View, int Row) {
    TCanvas canvas;
    canvas.GetFont()->SetColor(clWindowText);
    View->SetItemCanvas(Row, false, &canvas);
    return canvas.GetFont()->GetColor();
}

// Bytes 0, 1, 2, ... in every slot.
void FillCounting(TFPURegs& Regs, int Index) {
    uint8_t bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    Regs.SetRegData(Index, bytes);
}

TEST(FPURegs, TheTagOfTheRegisterOnTopOfTheStackGivesItsState) {
    struct Case {
        uint16_t status, tag;
        int row;
        TRegState state;
    } cases[] = {
        {3 << 11, 0x3 << 6, 0, rsEmpty},   // ST0 is physical register 3
        {3 << 11, 0x1 << 8, 1, rsZero},    // ST1 is physical register 4
        {7 << 11, 0x2 << 0, 1, rsSpecial}, // wraps round to register 0
        {0, 0xFFFF, 8, rsError},           // not a stack register
    };
    for (const Case& c : cases) {
        TFPURegs regs;
        regs.SetStatusWord(c.status);
        regs.SetTagWord(c.tag);
        EXPECT_EQ(regs.GetRegState(c.row), c.state) << c.row;
    }
}

TEST(FPURegs, TextsByElementTypeRadixAndContext) {
    const UnicodeString onePointFive = Format(u"%28.19g", static_cast<long double>(1.5));
    struct Case {
        TFPUViewType mode;
        TViewType type;
        TFPURadix radix;
        int size;
        bool empty;
        std::u16string text;
    } cases[] = {
        {fvtFPU, vtExtended, frHexadecimal, 10, true, u"Empty"},
        {fvtFPU, vtByte, frHexadecimal, 10, true, u"Empty 09 08 07 06 05 04 03 02 01 00"},
        {fvtFPU, vtByte, frHexadecimal, 16, true,
         u"Empty 0f 0e 0d 0c 0b 0a 09 08 07 06 05 04 03 02 01 00"},
        {fvtFPU, vtLong, frHexadecimal, 10, false, u"Valid 09080706 04030201"}, // stride 5
        {fvtFPU, vtWord, frSignedDecimal, 10, false, u"Valid 0908 0706 0504 0302 0100"},
        {fvtMMX, vtWord, frHexadecimal, 10, false, u"0706 0504 0302 0100"},
        {fvtMMX, vtLong, frUnsignedDecimal, 10, false, u"   117835012     50462976"},
    };
    for (const Case& c : cases) {
        TFPURegs regs;
        regs.SetRegSize(c.size);
        FillCounting(regs, 0);
        regs.SetTagWord(c.empty ? 3 : 0);
        regs.SetFPUViewType(c.mode);
        regs.SetViewType(c.type);
        regs.SetRadix(c.radix);
        EXPECT_EQ(regs.GetRegValue(0), c.text) << c.type << " " << c.radix;
    }
    TFPURegs regs;
    regs.SetExtReg(2, 1.5L);
    EXPECT_EQ(regs.GetRegValue(2), u"Valid " + onePointFive);
    regs.SetControlWord(0x37F);
    EXPECT_EQ(regs.GetRegValue(ftCTRL), u"037f");
    EXPECT_EQ(regs.GetRegName(ftST3), u"ST3 ");
    regs.SetFPUViewType(fvtMMX);
    EXPECT_EQ(regs.GetRegName(ftST3), u"MM3 ");
    EXPECT_EQ(regs.GetRegName(11), u"");
}

TEST(FPURegs, MMXDecimalsAreSignedOrUnsignedAsAsked) {
    TFPURegs regs;
    const int16_t words[4] = {1, -2, 300, -32768};
    uint8_t bytes[16] = {};
    std::memcpy(bytes, words, 8);
    regs.SetRegData(0, bytes);
    regs.SetFPUViewType(fvtMMX);
    regs.SetViewType(vtWord);
    regs.SetRadix(frSignedDecimal);
    EXPECT_EQ(regs.GetRegValue(0), u"-32768    300     -2      1");
    regs.SetRadix(frBinary);
    regs.SetViewType(vtByte);
    EXPECT_EQ(regs.GetRegValue(0), u"10000000 00000000 00000001 00101100 11111111 11111110 "
                                   u"00000000 00000001");
    const uint64_t all = ~uint64_t{0};
    std::memcpy(bytes, &all, 8);
    regs.SetRegData(0, bytes);
    regs.SetViewType(vtQWord);
    regs.SetRadix(frUnsignedDecimal);
    EXPECT_EQ(regs.GetRegValue(0), u" 18446744073709551615"); // unsigned, not -1
    regs.SetRadix(frSignedDecimal);
    EXPECT_EQ(regs.GetRegValue(0), u"                   -1");
}

TEST(XMMRegs, TextsByElementTypeAndRadix) {
    TXMMRegs regs;
    uint8_t bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<uint8_t>(0x10 + i);
    regs.SetRegData(1, bytes);
    const float floats[4] = {1.0f, 2.5f, -3.0f, 0.0f};
    regs.SetRegData(2, floats);
    regs.SetLongWordReg(xtMXCSR, 0x1F80);
    struct Case {
        int row;
        TViewType type;
        TFPURadix radix;
        std::u16string text;
    } cases[] = {
        {1, vtDQWord, frHexadecimal, u"1f1e1d1c1b1a19181716151413121110"},
        {1, vtQWord, frHexadecimal, u"1f1e1d1c1b1a1918 1716151413121110"},
        {1, vtWord, frUnsignedDecimal, u"  7966   7452   6938   6424   5910   5396   4882   4368"},
        {xtMXCSR, vtByte, frHexadecimal, u"00001f80"},
        {2, vtExtended, frHexadecimal, u""},
    };
    for (const Case& c : cases) {
        regs.SetViewType(c.type);
        regs.SetRadix(c.radix);
        EXPECT_EQ(regs.GetRegValue(c.row), c.text) << c.type << " " << c.radix;
    }
    // Floating elements whatever the radix; binary runs them together.
    regs.SetViewType(vtSingle);
    regs.SetRadix(frBinary);
    EXPECT_EQ(regs.GetRegValue(2), Format(u"%15.8g", 0.0f) + Format(u"%15.8g", -3.0f) +
                                       Format(u"%15.8g", 2.5f) + Format(u"%15.8g", 1.0f));
    regs.SetViewType(vtLong);
    const UnicodeString bits = regs.GetRegValue(1);
    EXPECT_EQ(bits.size(), 128u);
    EXPECT_EQ(bits.find(u' '), UnicodeString::npos);
    EXPECT_EQ(bits.substr(0, 8), u"00011111");
}

class FPURegisterViewTest : public CPUViewTest {};

TEST_F(FPURegisterViewTest, RegistersWhoseBytesChangedAreRedWhateverTheirText) {
    auto* view = new TOpen<TFPURegisterView>(Application);
    view->SetRegisterViewType(rvtReg64);
    TFPURegs stop;
    FillCounting(stop, 0);
    stop.SetStatusWord(0x3800);
    view->UpdateRegisters(&stop);
    EXPECT_EQ(stop.GetRegSize(), 16); // the context's size is given to the new set
    EXPECT_EQ(ValueColour(view, 0), TColor(255));
    EXPECT_EQ(ValueColour(view, 1), clWindowText);
    EXPECT_EQ(ValueColour(view, ftSTAT), TColor(255));
    view->UpdateRegisters(&stop);
    view->SetViewType(vtByte); // a new text, the same bytes
    EXPECT_EQ(ValueColour(view, 0), clWindowText);
    EXPECT_EQ(view->GetOldRegs()->GetViewType(), vtByte);
    uint8_t last[16] = {};
    stop.GetRegData(0, last);
    last[15] ^= 1; // beyond a 10-byte context, within a 16-byte one
    stop.SetRegData(0, last);
    view->UpdateRegisters(&stop);
    EXPECT_EQ(ValueColour(view, 0), TColor(255));
}

TEST_F(FPURegisterViewTest, XMMRowsFollowTheContextAndTheSelectionMapsThroughThem) {
    auto* view = new TOpen<TXMMRegisterView>(Application);
    view->SetRegisterViewType(rvtReg32);
    EXPECT_EQ(view->GetRowCount(), 9);
    EXPECT_EQ(view->GetItemLabel(8), u"MXCSR");
    view->SetRow(8);
    EXPECT_EQ(view->GetSelectedRegister(), xtMXCSR);
    view->SetRegisterViewType(rvtReg64);
    EXPECT_EQ(view->GetRowCount(), 17);
    EXPECT_EQ(view->GetItemLabel(10), u"XMM10");

    TXMMRegs stop;
    const uint8_t ones[16] = {1};
    stop.SetRegData(xtXMM3, ones);
    view->UpdateRegisters(&stop);
    EXPECT_EQ(ValueColour(view, 3), TColor(255));
    EXPECT_EQ(ValueColour(view, 16), clWindowText);
    EXPECT_EQ(view->GetOldRegs()->GetRegCount(), 17);
}

TEST_F(FPURegisterViewTest, AChangeNoticeRepaintsWithoutTakingTheFocus) {
    TForm* form = ShownForm();
    auto* view = new TFPURegisterView(form);
    Place(view, 200, 150);
    auto* other = new TFPURegisterView(form);
    other->SetParent(form);
    other->SetBounds(220, 0, 100, 100);
    other->SetFocus();
    Pump();
    ASSERT_EQ(form->GetActiveControl(), other);
    view->GetCurrentRegs()->SetControlWord(0x27F);
    Pump();
    EXPECT_EQ(form->GetActiveControl(), other);
    EXPECT_TRUE(other->Focused());
}

} // namespace
