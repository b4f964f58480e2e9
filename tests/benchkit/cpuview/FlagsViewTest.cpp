// The flag registers: field values from the register, write-backs into one
// field, the control word's properties on their own fields, assignment
// between kinds, and the pane's rows and red values.
#include "CPUViewTestSupport.h"

#include <string>

namespace {

// All rows' values as "name=value " pairs.
std::string Rows(const TFlags& Flags) {
    std::string text;
    for (int i = 0; i < Flags.GetFlagCount(); ++i) {
        for (char16_t c : Flags.GetFlagName(i) + u"=" + Flags.GetFlagValue(i) + u" ")
            text += static_cast<char>(c);
    }
    return text;
}

TEST(Flags, FieldsAreReadFromTheRegister) {
    struct Case {
        TFlags* flags;
        uint32_t value;
        std::string rows;
    } cases[] = {
        {new TCPUFlags, 0x202,
         "CF=0 PF=0 AF=0 ZF=0 SF=0 TF=0 IF=1 DF=0 OF=0 IO=0 NF=0 RF=0 VM=0 AC=0 VF=0 VP=0 ID=0 "},
        {new TCPUFlags, 0x3245, // IOPL 3, ZF, PF, CF, IF
         "CF=1 PF=1 AF=0 ZF=1 SF=0 TF=0 IF=1 DF=0 OF=0 IO=3 NF=0 RF=0 VM=0 AC=0 VF=0 VP=0 ID=0 "},
        {new TFPUStatusFlags, 5 << 11 | 0x4001,
         "IE=1 DE=0 ZE=0 OE=0 UE=0 PE=0 SF=0 ES=0 C0=0 C1=0 C2=0 ST=5 C3=1 BF=0 "},
        {new TFPUControlFlags, 0x37F, "IM=1 DM=1 ZM=1 OM=1 UM=1 PM=1 PC=3 RC=0 IC=0 "},
    };
    for (const Case& c : cases) {
        c.flags->SetFlags(c.value);
        EXPECT_EQ(Rows(*c.flags), c.rows) << std::hex << c.value;
        EXPECT_EQ(c.flags->GetFlag(c.flags->GetFlagCount()), 0u);
        EXPECT_EQ(c.flags->GetFlagName(-1), u"");
        delete c.flags;
    }
}

TEST(Flags, AWriteChangesOnlyItsFieldAndNotifiesOnce) {
    TCPUFlags flags;
    flags.SetFlags(0x202);
    int notices = 0;
    flags.OnChange = [&](TObject*) { ++notices; };
    flags.SetIOPL(7);
    EXPECT_EQ(flags.GetIOPL(), 3u);
    EXPECT_EQ(flags.GetFlags(), 0x3202u);
    EXPECT_EQ(notices, 1);
    flags.SetIOPL(3);
    flags.SetFlag(99, 1);
    EXPECT_EQ(notices, 1);
    flags.SetCarry(1);
    EXPECT_EQ(flags.GetFlags(), 0x3203u);
}

TEST(Flags, ControlWordPropertiesReadAndWriteTheirOwnFields) {
    TFPUControlFlags flags;
    struct Case {
        uint32_t (TFPUControlFlags::*get)() const;
        void (TFPUControlFlags::*set)(uint32_t);
        uint32_t value, word;
    } cases[] = {
        {&TFPUControlFlags::GetIEM, &TFPUControlFlags::SetIEM, 1, 0x80},
        {&TFPUControlFlags::GetPrecisionControl, &TFPUControlFlags::SetPrecisionControl, 2, 0x200},
        {&TFPUControlFlags::GetRoundingControl, &TFPUControlFlags::SetRoundingControl, 3, 0xC00},
        {&TFPUControlFlags::GetInfinityControl, &TFPUControlFlags::SetInfinityControl, 1, 0x1000},
        {&TFPUControlFlags::GetZeroDivideExceptionMask,
         &TFPUControlFlags::SetZeroDivideExceptionMask, 1, 0x4},
    };
    for (const Case& c : cases) {
        flags.SetFlags(0);
        (flags.*c.set)(c.value);
        EXPECT_EQ(flags.GetFlags(), c.word);
        EXPECT_EQ((flags.*c.get)(), c.value);
    }
    EXPECT_EQ(flags.GetFlagCount(), 9); // the rows shown stay the table's
}

TEST(Flags, AssigningAnotherKindTakesItsTable) {
    TCPUFlags cpu;
    TFPUStatusFlags status;
    status.SetFlags(5 << 11);
    int notices = 0;
    cpu.OnChange = [&](TObject*) { ++notices; };
    cpu.Assign(&status);
    EXPECT_EQ(cpu.GetFlagCount(), 14);
    EXPECT_EQ(cpu.GetFlagName(11), u"ST");
    EXPECT_EQ(cpu.GetFlag(11), 5u);
    cpu.Assign(&status);
    EXPECT_EQ(notices, 1);
}

class FlagsViewTest : public CPUViewTest {};

class TOpenFlags : public TFlagsView {
public:
    using TFlagsView::SetItemCanvas;
    using TFlagsView::TFlagsView;
};

TEST_F(FlagsViewTest, ATypeBringsItsRowsAndChangedFlagsAreRed) {
    auto* view = new TOpenFlags(Application);
    struct Case {
        TFlagType type;
        int rows;
    } cases[] = {{ftFPUStatus, 14}, {ftFPUControl, 9}, {ftCPU, 17}};
    for (const Case& c : cases) {
        view->SetFlagType(c.type);
        EXPECT_EQ(view->GetRowCount(), c.rows);
        EXPECT_EQ(view->GetItemCount(), c.rows);
    }
    TCPUFlags stop;
    stop.SetFlags(0x202);
    view->UpdateFlags(&stop);
    stop.SetFlags(0x246);
    view->UpdateFlags(&stop);
    EXPECT_EQ(view->GetItemValue(3), u"1"); // ZF
    view->SetShowOldFlags(true);
    EXPECT_EQ(view->GetItemValue(3), u"0");

    auto colour = [&](int row) {
        TCanvas canvas;
        canvas.GetFont()->SetColor(clWindowText);
        view->SetItemCanvas(row, false, &canvas);
        return canvas.GetFont()->GetColor();
    };
    EXPECT_EQ(colour(1), TColor(255));  // PF
    EXPECT_EQ(colour(3), TColor(255));  // ZF
    EXPECT_EQ(colour(6), clWindowText); // IF stayed 1
}

} // namespace
