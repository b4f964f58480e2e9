// Geometry from form descriptions and settings files can hold any number:
// it is clamped where it enters, so that nothing overflows later.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ExtCtrls.h>

#include <climits>

namespace {

class ExtremeGeometry : public QuorlpakTest {};

constexpr int kLimit = 1 << 24;

TEST_F(ExtremeGeometry, BoundsAndClientSizesStayWithinTheLimit) {
    struct Case {
        int value;
        int kept;
    };
    auto* form = new TForm(Application); // hidden: no pictures of that size are painted
    form->AfterConstruction();
    for (Case c : {Case{INT_MAX, kLimit}, Case{INT_MIN + 1, -kLimit}, Case{kLimit + 1, kLimit},
                   Case{123, 123}}) {
        SCOPED_TRACE(c.value);
        form->SetBounds(c.value, c.value, 300, 200);
        EXPECT_EQ(form->GetLeft(), c.kept);
        EXPECT_EQ(form->GetTop(), c.kept);
        form->SetClientWidth(c.value);
        form->SetClientHeight(c.value);
        EXPECT_LE(form->GetWidth(), kLimit);
        EXPECT_LE(form->GetHeight(), kLimit);
        EXPECT_GE(form->GetWidth(), -kLimit);
    }
    // Shown that wide, it paints as far as a display could reach instead of
    // asking for gigabytes of picture.
    form->SetBounds(0, 0, kLimit, 300);
    form->Show();
    Pump();
    EXPECT_NE(PixelAt(form, 10, 10), CLR_INVALID);
}

TEST_F(ExtremeGeometry, FontHeightsStayWithin16384Pixels) {
    struct Case {
        int height;
        int kept;
    };
    TFont font;
    for (Case c : {Case{INT_MAX, 16384}, Case{INT_MIN, -16384}, Case{-12, -12}}) {
        SCOPED_TRACE(c.height);
        font.SetHeight(c.height);
        EXPECT_EQ(font.GetHeight(), c.kept);
    }
    font.SetSize(INT_MAX);
    EXPECT_EQ(font.GetHeight(), -16384);
    LOGFONTW huge{};
    huge.lfHeight = INT_MIN;
    huge.lfWidth = INT_MAX;
    HFONT handle = CreateFontIndirectW(&huge);
    LOGFONTW kept{};
    GetObjectW(handle, sizeof kept, &kept);
    EXPECT_EQ(kept.lfHeight, -16384);
    EXPECT_EQ(kept.lfWidth, 16384);
    DeleteObject(handle);
}

TEST_F(ExtremeGeometry, AHugeBevelPaintsInBoundedTime) {
    TForm* form = ShownForm();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 100, 60);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(100000000);
    panel->SetBorderWidth(100000000);
    panel->Repaint();
    Pump();
    EXPECT_NE(PixelAt(panel, 50, 30), CLR_INVALID);
}

} // namespace
