// The gauge: the value's bounds, when it repaints, and what each kind draws
// (layers combined by exclusive or, the text inverted over the filled part).
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEGauges.h"

#include <runpak/Exceptions.h>

namespace {

// Counts its paints.
class CountingGauge : public TIDEGauge {
public:
    using TIDEGauge::Loaded;
    using TIDEGauge::TIDEGauge;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TIDEGauge::Paint();
    }
};

using GaugeTest = ControlsTest;

TEST_F(GaugeTest, PercentAndScaleTruncate) {
    struct Case {
        int64_t value, min, max;
        int percent;
    } cases[] = {{50, 0, 100, 50}, {104, 0, 1000, 10}, {5, 5, 5, 0}, {-1, -3, 0, 66},
                 {INT32_MAX, INT32_MIN, INT32_MAX, 100}};
    for (const Case& c : cases)
        EXPECT_EQ(GaugePercent(c.value, c.min, c.max), c.percent) << c.value << " " << c.max;
    EXPECT_EQ(GaugeScale(50, 99), 49);
    EXPECT_EQ(GaugeScale(100, 98), 98);
}

TEST_F(GaugeTest, ProgressIsKeptInsideTheBounds) {
    TIDEGauge gauge(nullptr);
    struct Case {
        int set, expected;
    } cases[] = {{-5, 0}, {150, 100}, {42, 42}};
    for (const Case& c : cases) {
        gauge.SetProgress(c.set);
        EXPECT_EQ(gauge.GetProgress(), c.expected);
    }
    gauge.SetMinValue(50);
    EXPECT_EQ(gauge.GetProgress(), 50) << "raised with the minimum";
    gauge.SetMaxValue(60);
    gauge.SetProgress(60);
    gauge.SetMaxValue(55);
    EXPECT_EQ(gauge.GetProgress(), 55) << "lowered with the maximum";
}

TEST_F(GaugeTest, CrossedBoundsRaiseAtRunTimeButNotWhileLoading) {
    CountingGauge gauge(nullptr);
    try {
        gauge.SetMinValue(101);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.GetMessage(), u"Value must be between -2147483647 and 99");
    }
    EXPECT_THROW(gauge.SetMaxValue(-1), EInvalidOperation);
    EXPECT_EQ(gauge.GetMinValue(), 0);
    EXPECT_EQ(gauge.GetMaxValue(), 100);
    gauge.Loading();
    gauge.SetMinValue(200);
    gauge.SetMaxValue(300);
    gauge.Loaded();
    EXPECT_EQ(gauge.GetMinValue(), 200);
    EXPECT_EQ(gauge.GetMaxValue(), 300);
}

TEST_F(GaugeTest, RepaintsOnlyWhenThePercentageChangesUnlessProgressIsAdded) {
    auto* gauge = Place(new CountingGauge(Form), 100, 100);
    gauge->SetMaxValue(1000);
    gauge->SetProgress(100);
    int before = gauge->Paints;
    gauge->SetProgress(104);
    EXPECT_EQ(gauge->Paints, before) << "still 10%";
    gauge->AddProgress(1);
    EXPECT_EQ(gauge->GetProgress(), 105);
    EXPECT_GT(gauge->Paints, before);
    before = gauge->Paints;
    gauge->SetKind(gkHorizontalBar);
    gauge->SetForeColor(clBlack);
    EXPECT_EQ(gauge->Paints, before) << "unchanged values do not repaint";
}

TEST_F(GaugeTest, KindsDrawTheirShapes) {
    constexpr COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    struct Probe {
        int x, y;
        COLORREF color;
    };
    struct Case {
        const char* name;
        TGaugeKind kind;
        int progress;
        std::vector<Probe> probes;
    } cases[] = {
        // Rectangle (1, 1, 99, 99); the bar fills (1, 1, 49, 99).
        {"horizontal 50%", gkHorizontalBar, 50,
         {{0, 50, black}, {1, 50, black}, {48, 50, black}, {49, 50, white}, {98, 50, white},
          {99, 50, black}}},
        // n = 49 of H = 99: (1, 50, 99, 99).
        {"vertical 50%", gkVerticalBar, 50,
         {{50, 49, white}, {50, 50, black}, {50, 98, black}, {50, 1, white}}},
        {"text only", gkText, 80, {{20, 20, white}, {80, 80, white}}},
        // A quarter: from the right middle to the top middle.
        {"pie 25%", gkPie, 25,
         {{70, 30, black}, {30, 30, white}, {30, 70, white}, {70, 70, white}}},
        // Straight up from the middle of the bottom.
        {"needle 50%", gkNeedle, 50, {{50, 40, black}, {30, 40, white}, {70, 40, white}}},
    };
    for (const Case& c : cases) {
        auto* gauge = Place(new TIDEGauge(Form), 100, 100);
        gauge->SetShowText(false);
        gauge->SetKind(c.kind);
        gauge->SetProgress(c.progress);
        gauge->Repaint();
        for (const Probe& p : c.probes)
            EXPECT_EQ(PixelAt(p.x, p.y), p.color) << c.name << " at " << p.x << "," << p.y;
        delete gauge;
    }
}

TEST_F(GaugeTest, AnEmptyRangeDrawsAnEmptyGauge) {
    auto* gauge = Place(new TIDEGauge(Form), 100, 100);
    gauge->SetShowText(false);
    gauge->SetMaxValue(0);
    gauge->Repaint();
    EXPECT_EQ(gauge->GetPercentDone(), 0);
    for (int x : {1, 50, 98})
        EXPECT_EQ(PixelAt(x, 50), RGB(255, 255, 255)) << x;
}

TEST_F(GaugeTest, TheTextIsInvertedOverTheBar) {
    auto* gauge = Place(new TIDEGauge(Form), 100, 30);
    gauge->GetFont()->SetHeight(-20);
    gauge->SetProgress(50);
    gauge->Repaint();
    // "50%" is centred: its left half lies on the black bar (drawn white), its
    // right half on the white background (drawn black).
    int lightOnBar = 0, darkOnBack = 0;
    for (int y = 5; y < 25; ++y)
        for (int x = 30; x < 70; ++x) {
            COLORREF p = PixelAt(x, y);
            if (x < 49 && GetRValue(p) > 128) ++lightOnBar;
            if (x > 49 && GetRValue(p) < 128) ++darkOnBack;
        }
    EXPECT_GT(lightOnBar, 10);
    EXPECT_GT(darkOnBack, 10);
}

} // namespace
