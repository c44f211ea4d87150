// Timers on the virtual clock: generations, re-initialisation, drift, stopping from a handler.
#include <limits>
#include <optional>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtTimer.h"
#include "runtime/core/TickClock.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using namespace std::chrono_literals;

class TickModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_tmr1_tick", &TickModule::_tmr1_tick),
            MethodTable::sub("_other_tick", &TickModule::_other_tick),
        };
        return &table;
    }
    void _tmr1_tick() {
        ticks.push_back(Now());
        sender = RtCore::sender();
        if (onTick) onTick();
    }
    void _other_tick() { otherTicks.push_back(Now()); }

    std::vector<int64_t> ticks, otherTicks;
    Value sender;
    std::function<void()> onTick;
};

class TimerTest : public testing::RuntimeTest {
  protected:
    TimerTest() { timer->Initialize(module->bi, u"TMR1", 1000); }
    int64_t at(int64_t ms) const { return kStartTicks + ms; }

    // The module's own scope, so that a test can make the module go away.
    std::optional<RuntimeScope> moduleScope{std::in_place};
    std::shared_ptr<TickModule> module = StaticModules::New<TickModule>();
    std::shared_ptr<RtTimer> timer = std::make_shared<RtTimer>();
};

TEST_F(TimerTest, TicksEveryIntervalWithTheTimerAsSender) {
    EXPECT_EQ(timer->eventName(), u"tmr1_tick");
    EXPECT_FALSE(timer->Enabled());
    timer->setEnabled(true);
    queue.runFor(3500ms);
    EXPECT_EQ(module->ticks, (std::vector<int64_t>{at(1000), at(2000), at(3000)}));
    EXPECT_EQ(module->sender.object(), timer);
}

TEST_F(TimerTest, DisableThenEnableStartsAFullIntervalAndTheOldTickDoesNothing) {
    timer->setEnabled(true);
    queue.runFor(400ms);
    timer->setEnabled(false);
    timer->setEnabled(true);
    queue.runFor(1500ms);
    EXPECT_EQ(module->ticks, (std::vector<int64_t>{at(1400)}));
}

TEST_F(TimerTest, EnablingAgainOrSettingTheSameIntervalKeepsThePeriod) {
    timer->setEnabled(true);
    queue.runFor(600ms);
    timer->setEnabled(true);
    timer->setInterval(1000);
    queue.runFor(500ms);
    EXPECT_EQ(module->ticks, (std::vector<int64_t>{at(1000)}));
}

TEST_F(TimerTest, ANewIntervalWhileRunningRestartsThePeriodFromNow) {
    timer->setEnabled(true);
    queue.runFor(600ms);
    timer->setInterval(300);
    queue.runFor(700ms);
    EXPECT_EQ(module->ticks, (std::vector<int64_t>{at(900), at(1200)}));
}

TEST_F(TimerTest, ReinitialisingKeepsThePendingTickAndUsesTheNewValuesAfterIt) {
    timer->setEnabled(true);
    queue.runFor(200ms);
    timer->Initialize(module->bi, u"tmr1", 2500);
    queue.runFor(5000ms);
    EXPECT_EQ(module->ticks, (std::vector<int64_t>{at(1000), at(3500)}));
}

TEST_F(TimerTest, ReinitialisingWithAnotherPrefixRaisesTheNewEventAtThePendingTick) {
    timer->setEnabled(true);
    queue.runFor(500ms);
    timer->Initialize(module->bi, u"other", 1000);
    queue.runFor(1000ms);
    EXPECT_TRUE(module->ticks.empty());
    EXPECT_EQ(module->otherTicks, (std::vector<int64_t>{at(1000)}));
}

TEST_F(TimerTest, DisablingInsideItsOwnHandlerStopsFurtherTicks) {
    module->onTick = [this] { timer->setEnabled(false); };
    timer->setEnabled(true);
    queue.runFor(5000ms);
    EXPECT_EQ(module->ticks.size(), 1u);
}

TEST_F(TimerTest, SlowHandlersDelayLaterTicksWithoutCatchingUp) {
    module->onTick = [this] {
        if (module->ticks.size() == 1) clock.busyWait(2500ms);
    };
    timer->setEnabled(true);
    queue.runFor(5000ms);
    // The second tick was due at 2000, ran at 3500 after the slow handler; the next one counts
    // from there.
    EXPECT_EQ(module->ticks, (std::vector<int64_t>{at(1000), at(3500), at(4500)}));
}

TEST_F(TimerTest, ARunningTimerOutlivesItsOwnerAndKeepsTickingWithoutAModule) {
    std::weak_ptr<RtTimer> weak = timer;
    timer->setEnabled(true);
    timer.reset();
    EXPECT_FALSE(weak.expired());
    queue.runFor(2000ms);
    EXPECT_EQ(module->ticks.size(), 2u);

    module.reset();
    moduleScope.reset();
    EXPECT_FALSE(weak.lock()->IsInitialized());
    queue.runFor(2000ms);
    ASSERT_FALSE(weak.expired());
    weak.lock()->setEnabled(false);
    queue.runFor(2000ms);
    EXPECT_TRUE(weak.expired());
}

TEST_F(TimerTest, ZeroIntervalTicksAsSeparateTasksLettingOthersRun) {
    timer->setInterval(0);
    int posted = 0;
    module->onTick = [&] {
        if (module->ticks.size() == 3) timer->setEnabled(false);
        queue.post([&] { ++posted; });
    };
    timer->setEnabled(true);
    queue.runUntilIdle();
    EXPECT_EQ(module->ticks.size(), 3u);
    EXPECT_EQ(posted, 3);
}

// An interval too long to count in nanoseconds never comes due (it must not wrap round to a
// timer that ticks at once, over and over).
TEST_F(TimerTest, AnIntervalBeyondTheClocksRangeNeverTicks) {
    module->onTick = [this] {
        if (module->ticks.size() >= 3) timer->setEnabled(false);
    };
    for (const int64_t interval :
         {std::numeric_limits<int64_t>::max(), int64_t{9'300'000'000'000}}) {
        timer->setInterval(interval);
        timer->setEnabled(true);
        queue.runFor(1000ms);
        timer->setEnabled(false);
    }
    EXPECT_TRUE(module->ticks.empty());
}

}  // namespace
}  // namespace zemtra
