// TTimer on the manual clock: the period, restarts, and stopping.
#include "QuorlpakTestSupport.h"

#include <runpak/TypeInfo.h>

namespace {

class TimerTest : public QuorlpakTest {
protected:
    int ticks = 0;
    TTimer* MakeTimer(unsigned interval) {
        auto* timer = new TTimer(Application);
        timer->SetInterval(interval);
        timer->OnTimer = [this](TObject*) { ++ticks; };
        return timer;
    }
    void Advance(unsigned ms) {
        TestSeams::AdvanceClock(ms);
        Pump();
    }
};

TEST_F(TimerTest, TicksEveryIntervalAndNotBefore) {
    MakeTimer(200);
    Advance(199);
    EXPECT_EQ(ticks, 0);
    Advance(1);
    EXPECT_EQ(ticks, 1);
    Advance(200);
    Advance(200);
    EXPECT_EQ(ticks, 3);
}

TEST_F(TimerTest, ALateLoopGetsOneTickNotABacklog) {
    MakeTimer(200);
    Advance(1000);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, DisablingStopsAndEnablingStartsANewPeriod) {
    TTimer* timer = MakeTimer(200);
    Advance(150);
    timer->SetEnabled(false);
    Advance(100);
    EXPECT_EQ(ticks, 0);
    timer->SetEnabled(true);
    Advance(150);
    EXPECT_EQ(ticks, 0); // the period started again at the enabling
    Advance(50);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, ChangingTheIntervalRestarts) {
    TTimer* timer = MakeTimer(200);
    Advance(150);
    timer->SetInterval(100);
    Advance(60);
    EXPECT_EQ(ticks, 0);
    Advance(40);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, ATimerStoppedInsideItsHandlerStaysStopped) {
    TTimer* timer = MakeTimer(100);
    timer->OnTimer = [&](TObject*) {
        ++ticks;
        timer->SetEnabled(false);
    };
    Advance(100);
    Advance(100);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, ZeroIntervalNeverTicksAndDeletingStops) {
    TTimer* timer = MakeTimer(0);
    Advance(1000);
    EXPECT_EQ(ticks, 0);
    timer->SetInterval(100);
    delete timer;
    Advance(1000);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, PublishedPropertiesForStreaming) {
    TTimer* timer = MakeTimer(200);
    EXPECT_EQ(GetOrdProp(timer, u"Interval"), 200);
    SetOrdProp(timer, u"Enabled", 0);
    EXPECT_FALSE(timer->GetEnabled());
    EXPECT_TRUE(IsPublishedProp(timer, u"OnTimer"));
}

} // namespace
