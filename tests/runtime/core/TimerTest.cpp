// Timers on the virtual clock: generations, re-initialisation, drift, stopping from a handler.
#include <functional>
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

    // The module's own scope, so that a test can make the module go away.
    std::optional<RuntimeScope> moduleScope{std::in_place};
    std::shared_ptr<TickModule> module = StaticModules::New<TickModule>();
    std::shared_ptr<RtTimer> timer = std::make_shared<RtTimer>();
};

// Each row starts a fresh timer "TMR1" of 1000 ms, runs its steps and lists the ticks (ms after
// the row's start) of the tmr1 and the other prefix.
TEST_F(TimerTest, TicksFollowTheGenerationAndThePeriodRules) {
    using Step = std::function<void()>;
    const Step on = [this] { timer->setEnabled(true); };
    const Step off = [this] { timer->setEnabled(false); };
    const auto run = [this](int ms) -> Step { return [=, this] { queue.runFor(ms * 1ms); }; };
    const auto every = [this](int64_t ms) -> Step { return [=, this] { timer->setInterval(ms); }; };
    const auto init = [this](const char16_t* prefix, int64_t ms) -> Step {
        return [=, this] { timer->Initialize(module->bi, prefix, ms); };
    };
    const auto stopAtFirst = [this] { timer->setEnabled(false); };
    const auto slowFirst = [this] {
        if (module->ticks.size() == 1) clock.busyWait(2500ms);
    };
    struct Row {
        const char* what;
        std::vector<Step> steps;
        std::vector<int64_t> ticks, otherTicks = {};
        std::function<void()> onTick = {};
    };
    const Row rows[] = {
        {"every interval", {on, run(3500)}, {1000, 2000, 3000}},
        {"off and on: a full interval, the old tick does nothing",
         {on, run(400), off, on, run(1500)},
         {1400}},
        {"on again, the same interval: the period is kept",
         {on, run(600), on, every(1000), run(500)},
         {1000}},
        {"a new interval restarts the period from now",
         {on, run(600), every(300), run(700)},
         {900, 1200}},
        {"re-initialised: the pending tick stays, the new values follow",
         {on, run(200), init(u"tmr1", 2500), run(5000)},
         {1000, 3500}},
        {"another prefix is raised at the pending tick",
         {on, run(500), init(u"other", 1000), run(1000)},
         {},
         {1000}},
        {"stopped by its own handler", {on, run(5000)}, {1000}, {}, stopAtFirst},
        // The second tick was due at 2000 and ran at 3500 after a slow one: no catching up.
        {"slow handlers delay later ticks", {on, run(5000)}, {1000, 3500, 4500}, {}, slowFirst},
        // Too long to count in nanoseconds: it must not wrap round to a tick due at once.
        {"beyond the clock's range: never",
         {every(std::numeric_limits<int64_t>::max()), on, run(1000), off, every(9'300'000'000'000),
          on, run(1000)},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        timer->setEnabled(false);
        timer = std::make_shared<RtTimer>();
        timer->Initialize(module->bi, u"TMR1", 1000);
        module->ticks.clear();
        module->otherTicks.clear();
        module->onTick = [this, &row] {
            if (row.onTick) row.onTick();
            if (module->ticks.size() > 5) timer->setEnabled(false);  // a runaway timer ends
        };
        const int64_t start = Now();
        for (const Step& step : row.steps) step();
        for (auto* times : {&module->ticks, &module->otherTicks}) {
            for (int64_t& time : *times) time -= start;
        }
        EXPECT_EQ(module->ticks, row.ticks);
        EXPECT_EQ(module->otherTicks, row.otherTicks);
    }
    module->onTick = nullptr;  // it refers to the last row
    timer->setEnabled(false);
}

TEST_F(TimerTest, ARunningTimerOutlivesItsOwnerAndKeepsTickingWithoutAModule) {
    std::weak_ptr<RtTimer> weak = timer;
    timer->setEnabled(true);
    timer.reset();
    queue.runFor(2000ms);
    EXPECT_EQ(module->ticks.size(), 2u);
    EXPECT_EQ(module->sender.object(), weak.lock()) << "the timer is the sender";

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

}  // namespace
}  // namespace zemtra
