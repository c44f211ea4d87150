// Events raised from real threads while the main thread rebinds the object and changes its Tag,
// the runtime's shared objects reached from several threads at once, and log lines written while
// the log is replaced. These are the tests the ThreadSanitizer pass (build-tsan/) is for.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtObjectWrapper.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

constexpr int kThreads = 4;
constexpr int kRaisesPerThread = 200;

template <int Id>
class ClickModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_btn_click:", &ClickModule::_btn_click),
        };
        return &table;
    }
    void _btn_click(int32_t count) {
        clicks += count;
        senders.push_back(RtCore::sender());
    }
    int clicks = 0;
    std::vector<Value> senders;
};

class Button final : public Object {
  public:
    static constexpr StringView kClassName = u"Button";
    String className() const override { return String(kClassName); }
};
class ButtonWrapper final : public RtObjectWrapper {
  public:
    const ClassInfo* getClass() const override { return &classInfoOf<Button>(); }
};

// Runs `work` on kThreads threads while the main thread calls `meanwhile` and runs the queue.
template <class Work, class Meanwhile>
void whileThreadsRun(MainQueue& queue, Work work, Meanwhile meanwhile) {
    std::atomic<int> running{kThreads};
    std::vector<std::thread> threads;
    for (int index = 0; index < kThreads; ++index) {
        threads.emplace_back([&, index] {
            work(index);
            --running;
        });
    }
    for (int round = 0; running > 0; ++round) {
        meanwhile(round);
        queue.runUntilIdle();
    }
    for (auto& thread : threads) thread.join();
    queue.runUntilIdle();
}

using CrossThreadTest = testing::RuntimeTest;

TEST_F(CrossThreadTest, EventsFromOtherThreadsFindTheBindingOnTheMainThread) {
    const auto first = StaticModules::New<ClickModule<1>>();
    const auto second = StaticModules::New<ClickModule<2>>();
    const auto button = std::make_shared<Button>();
    const auto wrapper =
        RtObjectWrapper::createWrapper(std::make_shared<ButtonWrapper>(), Value(button));
    RtObjectWrapper::setBIAndEventName(*button, first->bi, u"Btn");

    whileThreadsRun(
        queue,
        [&](int) {
            for (int i = 0; i < kRaisesPerThread; ++i) {
                RtObjectWrapper::raiseEventFromDifferentThread(*button, u"_click:",
                                                               {Value::ofInt(1)});
                // The module's own runtime core object is reachable the same way.
                first->bi->raiseEventFromDifferentThread(Value(), u"btn_click:",
                                                         {Value::ofInt(1000)});
            }
        },
        [&](int round) {
            const auto& target =
                round % 2 == 0 ? second : std::static_pointer_cast<RtStaticModule>(first);
            RtObjectWrapper::setBIAndEventName(*button, target->bi, u"BTN");
            wrapper->setTag(Value::ofInt(round));
        });

    const int fromButton = first->clicks % 1000 + second->clicks;
    EXPECT_EQ(fromButton, kThreads * kRaisesPerThread);
    EXPECT_EQ(first->clicks / 1000, kThreads * kRaisesPerThread);
    for (const auto& module : {first->senders, second->senders}) {
        for (const Value& sender : module) {
            EXPECT_TRUE(sender.isNull() || sender.object() == button);
        }
    }
}

TEST_F(CrossThreadTest, EveryThreadGetsTheSameSharedObjects) {
    std::vector<std::shared_ptr<RtCore>> cores(kThreads);
    std::vector<std::shared_ptr<RtCommon>> commons(kThreads);
    whileThreadsRun(
        queue,
        [&](int index) {
            cores[index] = RtCore::shared();
            commons[index] = RtCommon::New();
        },
        [](int) {});
    for (int index = 0; index < kThreads; ++index) {
        EXPECT_EQ(cores[index], RtCore::shared());
        EXPECT_EQ(commons[index], RtCommon::New());
    }
}

// Counts lines; safe to write from several threads.
class CountingLog final : public platform::PlatformLog {
  public:
    void writeLine(std::string_view) override { ++lines; }
    std::atomic<int> lines{0};
};

TEST_F(CrossThreadTest, LogLinesWrittenWhileTheLogIsReplacedAreNeitherLostNorMisdirected) {
    CountingLog even, odd;
    const auto core = RtCore::shared();
    whileThreadsRun(
        queue,
        [&](int) {
            for (int i = 0; i < kRaisesPerThread; ++i) core->Log(u"line");
        },
        [&](int round) { RtCore::setPlatformLog(round % 2 == 0 ? &even : &odd); });
    RtCore::setPlatformLog(&log);
    EXPECT_EQ(even.lines + odd.lines + static_cast<int>(log.lines.size()),
              kThreads * kRaisesPerThread);
}

}  // namespace
}  // namespace zemtra
