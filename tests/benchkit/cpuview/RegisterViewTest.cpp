// The general registers: texts and write-backs of the register set, its
// change notices, visibility by view type and by flag, which values are red,
// and the labelled list's rows on screen.
#include "CPUViewTestSupport.h"

namespace {

// Opens the colour hook of the panes.
template <class T> class TOpen : public T {
public:
    using T::SetItemCanvas;
    using T::T;
};

// The font colour a pane picks for the value (or label) of a row.
template <class T> TColor ValueColour(TOpen<T>* View, int Row, bool IsLabel = false) {
    TCanvas canvas;
    canvas.GetFont()->SetColor(clWindowText);
    View->SetItemCanvas(Row, IsLabel, &canvas);
    return canvas.GetFont()->GetColor();
}

TEST(CPURegs, ValuesAreShownInTheRegistersWidthAndWrittenZeroExtended) {
    TCPURegs regs;
    struct Case {
        TRegisterType reg;
        uint64_t stored;
        const char16_t* text;
    } cases[] = {
        {rtEAX, 0xFFFFFFFF12345678, u"12345678"},
        {rtEFL, 0x202, u"00000202"},
        {rtCS, 0x10033, u"0033"},
        {rtRAX, 0x1234, u"0000000000001234"},
        {rtACPSR, 0x600000D3, u"600000d3"},
        {rtXPC, 0xFFFF000000001000, u"ffff000000001000"},
    };
    for (const Case& c : cases) {
        regs.SetUInt64Reg(c.reg, c.stored);
        EXPECT_EQ(regs.GetRegValue(c.reg), c.text) << c.reg; // all visible: row = register
    }
    EXPECT_EQ(regs.GetRegName(rtR8), u"R8 ");
    EXPECT_EQ(regs.GetRegName(rtXFP), u"FP");
    EXPECT_EQ(regs.GetRegName(rtACPSR), u"CPSR");
    EXPECT_EQ(regs.GetRegName(84), u"");
    regs.SetLongWordReg(rtEAX, 1);
    EXPECT_EQ(regs.GetUInt64Reg(rtEAX), 1u);
    regs.SetWordReg(rtCS, 0x2B);
    EXPECT_EQ(regs.GetUInt64Reg(rtCS), 0x2Bu);
    EXPECT_EQ(regs.GetLongWordReg(rtXPC), 0x1000u);
}

TEST(CPURegs, ChangeNoticesComeOnRealChangesAndAfterTheLastEndUpdate) {
    TCPURegs regs;
    int notices = 0;
    regs.OnChange = [&](TObject*) { ++notices; };
    regs.SetUInt64Reg(rtRAX, 5);
    regs.SetUInt64Reg(rtRAX, 5);
    EXPECT_EQ(notices, 1);
    regs.BeginUpdate();
    regs.BeginUpdate();
    regs.SetUInt64Reg(rtRBX, 1);
    regs.GetVisibleRegs()->SetVisibleReg(rtRCX, false);
    regs.EndUpdate();
    EXPECT_EQ(notices, 1);
    regs.EndUpdate();
    EXPECT_EQ(notices, 2);
    regs.EndUpdate(); // unmatched: the count goes negative and silences the set
    regs.SetUInt64Reg(rtRAX, 6);
    EXPECT_EQ(notices, 2);

    TCPURegs copy;
    int copied = 0;
    copy.OnChange = [&](TObject*) { ++copied; };
    copy.Assign(&regs);
    EXPECT_EQ(copied, 1);
    EXPECT_EQ(copy.GetUInt64Reg(rtRAX), 6u);
    EXPECT_FALSE(copy.GetVisibleRegs()->GetVisibleReg(rtRCX));
    EXPECT_EQ(copy.GetRegCount(), 83);
    EXPECT_EQ(copy.VisibleIndexToActualIndex(rtRCX), rtRDX);
    EXPECT_EQ(copy.VisibleIndexToActualIndex(90), 90);
}

class RegisterViewTest : public CPUViewTest {};

TEST_F(RegisterViewTest, ViewTypesShowTheirFamilyBesideFlagsAndSegments) {
    auto* view = new TRegisterView(Application);
    struct Case {
        TRegisterViewType type;
        int rows;
        const char16_t* first;
        const char16_t* last;
    } cases[] = {
        {rvtReg32, 16, u"EAX", u"GS "},
        {rvtReg64, 24, u"RAX", u"GS "},
        {rvtRegARM32, 24, u"EFL", u"CPSR"},
        {rvtRegARM64, 41, u"EFL", u"CPSR"},
    };
    for (const Case& c : cases) {
        view->SetRegisterViewType(c.type);
        EXPECT_EQ(view->GetItemCount(), c.rows) << c.type;
        EXPECT_EQ(view->GetRowCount(), c.rows) << c.type;
        EXPECT_EQ(view->GetItemLabel(0), c.first) << c.type;
        EXPECT_EQ(view->GetItemLabel(c.rows - 1), c.last) << c.type;
    }
}

TEST_F(RegisterViewTest, HidingARegisterRemovesItsRowFromBothSetsAndFromTheSelection) {
    auto* view = new TRegisterView(Application);
    view->SetRegisterViewType(rvtReg64);
    view->GetVisibleRegs()->SetVisibleReg(rtRBX, false);
    EXPECT_EQ(view->GetItemCount(), 23);
    EXPECT_EQ(view->GetRowCount(), 23);
    EXPECT_EQ(view->GetOldRegs()->GetRegCount(), 23);
    EXPECT_EQ(view->GetItemLabel(1), u"RCX");
    struct Case {
        int row;
        TRegisterType selected;
    } cases[] = {{0, rtRAX}, {1, rtRCX}, {16, rtEFL}, {22, rtGS}};
    for (const Case& c : cases) {
        view->SetRow(c.row);
        EXPECT_EQ(view->GetSelectedRegister(), c.selected) << c.row;
    }
}

TEST_F(RegisterViewTest, ChangedValuesAreRedUntilTheNextStopLeavesThemAlone) {
    auto* view = new TOpen<TRegisterView>(Application);
    view->SetRegisterViewType(rvtReg32);
    TCPURegs stop;
    stop.SetUInt64Reg(rtEAX, 1);
    stop.SetUInt64Reg(rtEBX, 2);
    view->UpdateRegisters(&stop);
    EXPECT_EQ(ValueColour(view, 0), TColor(255)); // EAX 0 -> 1
    EXPECT_EQ(ValueColour(view, 0, true), clWindowText);
    EXPECT_EQ(ValueColour(view, 2), clWindowText); // ECX stayed 0

    stop.SetUInt64Reg(rtEBX, 3);
    view->UpdateRegisters(&stop);
    EXPECT_EQ(ValueColour(view, 0), clWindowText);
    EXPECT_EQ(ValueColour(view, 1), TColor(255));
    EXPECT_EQ(view->GetItemValue(1), u"00000003");
    view->SetShowOldRegs(true);
    EXPECT_EQ(view->GetItemValue(1), u"00000002");
    EXPECT_EQ(ValueColour(view, 1), TColor(255));
    view->UpdateRegisters(&stop);
    EXPECT_FALSE(view->GetShowOldRegs());
    EXPECT_EQ(ValueColour(view, 1), clWindowText);
}

TEST_F(RegisterViewTest, RowsShowLabelAndValueAndTheSelectionFollowsTheFocus) {
    TForm* form = ShownForm();
    auto* view = new TRegisterView(form);
    view->SetBorderStyle(bsNone);
    view->SetRegisterViewType(rvtReg32);
    Place(view, 200, 150);
    auto* other = new TRegisterView(form);
    other->SetParent(form);
    other->SetBounds(220, 0, 100, 100);
    const int h = view->GetDefaultRowHeight();
    EXPECT_EQ(h, view->GetCanvas()->TextHeight(u"Ij"));
    EXPECT_EQ(view->GetRowCount(), 16);
    EXPECT_EQ(view->GetColWidths(0), 200); // wider than any row
    view->SetRow(2);
    view->SetFocus();
    Pump();
    EXPECT_EQ(PixelAt(view, 150, 2 * h + h / 2), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(view, 150, h / 2), ColorToRGB(clBtnFace));
    other->SetFocus();
    Pump();
    EXPECT_EQ(PixelAt(view, 150, 2 * h + h / 2), ColorToRGB(clInactiveCaption));
}

} // namespace
