// The timer of the web page road: Enabled and Interval as the form's handlers see them.

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "tests/support/ProgramFixture.h"

namespace {

class TimerTest : public fake::ProgramFixture {
protected:
    // A loaded form whose timer counts its ticks, with the clock at 0.
    void SetUp() override {
        start(u"page.htm");
        form->tmr.onTimer([this] { ticks.push_back(backend.clock.now()); });
    }

    std::vector<std::int64_t> ticks;
};

TEST_F(TimerTest, TicksEveryIntervalWhileEnabled) {
    form->tmr.SetEnabled(true);
    backend.clock.advance(12500);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{4000, 8000, 12000}));
    form->tmr.SetEnabled(false);
    backend.clock.advance(10000);
    EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(TimerTest, IntervalChangesRestartOrStopTheCount) {
    const struct {
        std::int32_t newInterval;
        std::vector<std::int64_t> ticks; // after enabling at 0 and changing at 3000
    } cases[] = {
        {1000, {4000, 5000, 6000, 7000}}, // restarts from the change
        {4000, {7000}},                   // the same value restarts too
        {0, {}},                          // stops
    };
    for (const auto& c : cases) {
        fake::ProgramRun run;
        Form1& form = run.start(u"page.htm");
        std::vector<std::int64_t> seen;
        form.tmr.onTimer([&] { seen.push_back(run.backend.clock.now()); });
        form.tmr.SetEnabled(true);
        run.backend.clock.advance(3000);
        form.tmr.SetInterval(c.newInterval);
        run.backend.clock.advance(4500);
        EXPECT_EQ(seen, c.ticks) << c.newInterval;
        EXPECT_TRUE(form.tmr.Enabled());
    }
}

TEST_F(TimerTest, IntervalOutsideItsRangeFails) {
    for (const std::int32_t interval : {-1, 65536}) {
        try {
            form->tmr.SetInterval(interval);
            ADD_FAILURE() << interval;
        } catch (const platform::RuntimeError& failure) {
            EXPECT_EQ(failure.number(), platform::ErrorNumber::InvalidProcedureCall);
        }
    }
    EXPECT_EQ(form->tmr.Interval(), 4000);
}

TEST_F(TimerTest, AnUnloadedFormsTimerNeverTicks) {
    form->Unload();
    form->tmr.SetEnabled(true);
    backend.clock.advance(10000);
    EXPECT_TRUE(ticks.empty());
}

} // namespace
