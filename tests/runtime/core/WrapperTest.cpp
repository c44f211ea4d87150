// Wrappers (class test, Tag, equality, event binding, events from other threads), caught
// exceptions and record descriptions.
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/Record.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtObjectWrapper.h"
#include "tests/runtime/Raises.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

class Widget : public Object {
  public:
    static constexpr StringView kClassName = u"Widget";
    String className() const override { return String(kClassName); }
    String description() const override { return u"widget"; }
};
class FancyWidget final : public Widget {
  public:
    String className() const override { return u"FancyWidget"; }
};
class Gadget final : public Object {
  public:
    String className() const override { return u"Gadget"; }
};

class WidgetWrapper final : public RtObjectWrapper {
  public:
    String className() const override { return u"WidgetWrapper"; }
    const ClassInfo* getClass() const override { return &classInfoOf<Widget>(); }
};

using testing::raised;
using WrapperTest = testing::RuntimeTest;

TEST_F(WrapperTest, ClassTestAcceptsSubclassesAndRejectsOthersUnchanged) {
    WidgetWrapper wrapper;
    EXPECT_EQ(raised([&] { wrapper.Tag(); }).reason(), u"Object was not initialized (Widget)");
    EXPECT_EQ(wrapper.description(), u"<WidgetWrapper: (null)>");

    auto fancy = std::make_shared<FancyWidget>();
    wrapper.setObject(Value(fancy));
    EXPECT_EQ(wrapper.object(), fancy);
    RtException error = raised([&] { wrapper.setObject(Value(std::make_shared<Gadget>())); });
    EXPECT_EQ(error.name(), u"Invalid object type");
    EXPECT_EQ(error.reason(), u"Expected: Widget, object type: Gadget");
    // A value that is not an object is named by its class too, never by its text.
    EXPECT_EQ(raised([&] { wrapper.setObject(Value(u"some text")); }).reason(),
              u"Expected: Widget, object type: String");
    EXPECT_EQ(wrapper.object(), fancy);

    // The base wrapper accepts no object at all.
    RtObjectWrapper base;
    EXPECT_THROW(base.setObject(Value(fancy)), RtException);
}

TEST_F(WrapperTest, WrappersOfOneObjectAreEqualAndShareTheTag) {
    auto widget = std::make_shared<Widget>();
    auto first = RtObjectWrapper::createWrapper(std::make_shared<WidgetWrapper>(), Value(widget));
    auto second = RtObjectWrapper::createWrapper(std::make_shared<WidgetWrapper>(), Value(widget));
    EXPECT_TRUE(first->isEqual(Value(second)));
    EXPECT_EQ(first->hash(), second->hash());
    EXPECT_TRUE(first->isEqual(Value(widget)));
    EXPECT_FALSE(first->isEqual(Value()));
    EXPECT_TRUE(WidgetWrapper().isEqual(Value()));

    first->setTag(Value(u"seven"));
    EXPECT_EQ(*second->Tag().string(), u"seven");
    second->setTag(Value());
    EXPECT_EQ(widget->attachedMap().count(u"tag"), 0u);
}

// Two instances (Id) for tests that move a binding between modules.
template <int Id = 0>
class ButtonModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_btnset_click", &ButtonModule::_btnset_click),
            MethodTable::sub("_btn_click:", &ButtonModule::_btn_click),
        };
        return &table;
    }
    void _btnset_click() { _btn_click(1); }
    void _btn_click(int32_t count) {
        clicks += count;
        senders.push_back(RtCore::sender());
    }
    int clicks = 0;
    std::vector<Value> senders;
};

TEST_F(WrapperTest, EventBindingLowerCasesThePrefixAndHoldsTheModuleWeakly) {
    std::optional<RuntimeScope> moduleScope{std::in_place};
    auto module = StaticModules::New<ButtonModule<>>();
    auto widget = std::make_shared<Widget>();
    // (Which handlers a bound view finds is what the view model's long-press test relies on.)
    RtObjectWrapper::setBIAndEventName(*widget, module->bi, u"BtnSet");
    RtObjectWrapper::raiseEvent(*widget, u"_click");
    EXPECT_EQ(module->clicks, 1);
    EXPECT_EQ(module->senders.back().object(), widget);
    RtObjectWrapper::raiseUIEvent(*widget, u"_click");
    queue.runUntilIdle();
    EXPECT_EQ(module->clicks, 2);

    std::weak_ptr<RtCore> core = module->bi;
    module.reset();
    moduleScope.reset();
    EXPECT_TRUE(core.expired());
    EXPECT_EQ(RtObjectWrapper::getBI(*widget), nullptr);
    EXPECT_TRUE(RtObjectWrapper::raiseEvent(*widget, u"_click").isNull());
}

TEST_F(WrapperTest, SetExceptionRecordsTheLastCaughtError) {
    try {
        raise(u"", u"Cannot parse: %@", {u"abc"});
    } catch (const std::exception& error) {
        RtCore::SetException(error);
    }
    const auto wrapper = RtCommon::New()->LastException();
    EXPECT_EQ(wrapper->Description(), u"Cannot parse: abc");
    RtCore::SetException(u"second");
    EXPECT_EQ(wrapper->Description(), u"Cannot parse: abc");
    EXPECT_EQ(RtCommon::New()->LastException()->Description(), u"second");
}

class Period final : public RtClass, public Record {
  public:
    explicit Period(int fields) : fields_(fields) {}
    void visitFields(FieldVisitor& visitor) const override {
        visitor.field(u"_year", int32_t{2024});
        visitor.field(u"_month", int16_t{5});
        visitor.field(u"_day", int64_t{1});
        if (fields_ == 3) return;
        visitor.field(u"_ratio", 0.5);
        visitor.field(u"_next", Value());
    }

  private:
    int fields_;
};

TEST_F(WrapperTest, TypeToStringDescribesFieldsWithALineFeedAfterEveryThird) {
    EXPECT_EQ(Period(5).description(), u"[year=2024, month=5, day=1\n, ratio=0.5, next=(null)]");
    EXPECT_EQ(Period(3).description(), u"[year=2024, month=5, day=1\n]");

    class Broken final : public Record {
      public:
        void visitFields(FieldVisitor&) const override { raise(u"", u"no fields today"); }
    };
    EXPECT_EQ(TypeToString(Broken()), u"N/A");
    EXPECT_EQ(log.lines, std::vector<std::string>{"TypeToString error: no fields today"});
}

// A record with a field holding a record (itself or another) and a plain one; counts how many
// descriptions it starts.
class Link final : public RtClass, public Record {
  public:
    void visitFields(FieldVisitor& visitor) const override {
        ++visits;
        visitor.field(u"_next", _next);
        visitor.field(u"_leaf", _leaf);
    }
    Value _next, _leaf;
    static inline int visits = 0;
};

class Leaf final : public RtClass, public Record {
  public:
    void visitFields(FieldVisitor& visitor) const override { visitor.field(u"_n", int32_t{1}); }
};

// A record holding itself is described again at every level until the nesting reaches 50. Once
// that cut has come, records 20 or more levels deep are cut too until one lies less deep: the
// leaves of levels 20 to 50 are "", the ones above them are described.
TEST_F(WrapperTest, ARecordHoldingItselfIsDescribedUntilTheNestingReaches50) {
    const auto link = std::make_shared<Link>();
    link->_next = Value(link);
    link->_leaf = Value(std::make_shared<Leaf>());
    String expected;
    for (int level = 49; level >= 1; --level) {
        expected = u"[next=" + expected + u", leaf=" + (level + 1 < 20 ? u"[n=1]" : u"") + u"]";
    }
    EXPECT_EQ(link->description(), expected);
    EXPECT_EQ(link->description(), expected) << "the next description starts afresh";
    link->_next = Value();
}

TEST_F(WrapperTest, OneRecordDescriptionStartsAtMost10000Others) {
    // Forty levels, each holding the next one twice: the full text would have 2^40 parts.
    std::vector<std::shared_ptr<Link>> chain(40);
    for (auto& link : chain) link = std::make_shared<Link>();
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        chain[i]->_next = chain[i]->_leaf = Value(chain[i + 1]);
    Link::visits = 0;
    EXPECT_TRUE(chain[0]->description().starts_with(u"[next=[next=[next="));
    EXPECT_LE(Link::visits, 10000);
    // The shallow end of the chain reads in full.
    EXPECT_EQ(chain[38]->description(),
              u"[next=[next=(null), leaf=(null)], leaf=[next=(null), leaf=(null)]]");
}

// Events raised from real threads while the main thread rebinds the object and changes its Tag,
// the runtime's shared objects reached from several threads at once, and log lines written while
// the log is replaced: what the ThreadSanitizer pass (build-tsan/) is for.
constexpr int kThreads = 4;
constexpr int kRaisesPerThread = 200;

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

TEST_F(WrapperTest, EventsFromOtherThreadsFindTheBindingOnTheMainThread) {
    const auto first = StaticModules::New<ButtonModule<1>>();
    const auto second = StaticModules::New<ButtonModule<2>>();
    const auto button = std::make_shared<Widget>();
    const auto wrapper =
        RtObjectWrapper::createWrapper(std::make_shared<WidgetWrapper>(), Value(button));
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

TEST_F(WrapperTest, EveryThreadGetsTheSameSharedObjects) {
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

TEST_F(WrapperTest, LogLinesWrittenWhileTheLogIsReplacedAreNeitherLostNorMisdirected) {
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
