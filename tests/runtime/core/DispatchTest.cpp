// Event dispatch and dynamic calls by name: exact names, argument and result conversion, the
// sender slot, errors, log lines.
#include <functional>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

struct Range {
    static constexpr std::string_view kTypeCode = "{_NSRange=QQ}";
    uint64_t location;
    uint64_t length;
};

class ProbeModule final : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"ProbeModule";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_tick", &ProbeModule::_tick),
            MethodTable::sub("_takeint:", &ProbeModule::_takeint),
            MethodTable::sub("_takeflags::", &ProbeModule::_takeflags),
            MethodTable::sub("_takeobject:", &ProbeModule::_takeobject),
            MethodTable::sub("_nested", &ProbeModule::_nested),
            MethodTable::sub("_fail", &ProbeModule::_fail),
            MethodTable::sub("_page1_resize::", &ProbeModule::_page1_resize),
            MethodTable::operation("twice:", &ProbeModule::twice),
            MethodTable::operation("flag", &ProbeModule::flag),
            MethodTable::operation("range", &ProbeModule::range),
            MethodTable::operation("takeRange:", &ProbeModule::takeRange),
            MethodTable::operation("nothing", &ProbeModule::nothing),
            MethodTable::operation("_me", &ProbeModule::_me),
        };
        return &table;
    }

    void _tick() { ++ticks; }
    void _takeint(int32_t value) { lastInt = value; }
    void _takeflags(int8_t byteFlag, bool boolean) {
        lastByte = byteFlag;
        lastBool = boolean;
    }
    void _takeobject(const Value& value) { lastObject = value; }
    void _nested() {
        senderBeforeNested = RtCore::sender();
        bi->raiseEvent(Value(u"inner"), u"tick");
        senderAfterNested = RtCore::sender();
    }
    void _fail() { raise(u"boom", u"handler failed"); }
    void _page1_resize(int32_t, int32_t) {}
    double twice(double value) const { return value * 2; }
    int8_t flag() const { return 5; }
    Range range() const { return Range{3, 4}; }
    int64_t takeRange(Range r) const { return static_cast<int64_t>(r.location * 100 + r.length); }
    void nothing() {}
    Value _me() { return Value(bi->eventsTarget()); }

    int ticks = 0;
    int32_t lastInt = -1;
    int8_t lastByte = -1;
    bool lastBool = false;
    Value lastObject = Value(u"unset");
    Value senderBeforeNested, senderAfterNested;
};

class DispatchTest : public testing::RuntimeTest {
  protected:
    std::shared_ptr<ProbeModule> module = StaticModules::New<ProbeModule>();
};

TEST_F(DispatchTest, StaticModuleHasOneInstanceWithItsOwnCore) {
    EXPECT_EQ(StaticModules::New<ProbeModule>(), module);
    EXPECT_EQ(module->bi->eventsTarget(), module);
    EXPECT_NE(module->bi, RtCore::shared());
    EXPECT_EQ(module->_c, RtCommon::New());
    EXPECT_EQ(module->object(), module);
}

TEST_F(DispatchTest, MissingHandlerAnswersNullAndDoesNothing) {
    EXPECT_TRUE(module->bi->raiseEvent(Value(), u"application_foreground").isNull());
    // Lookup is by the exact name: "_takeint:" is not found by an event passing two parameters.
    const Value two[] = {Value::ofInt(1), Value::ofInt(2)};
    EXPECT_TRUE(module->bi->raiseEvent(Value(), u"takeint::", two).isNull());
    EXPECT_EQ(module->lastInt, -1);
    EXPECT_FALSE(module->bi->hasMethod(u"TICK"));
    EXPECT_TRUE(module->bi->hasMethod(u"tick"));
}

TEST_F(DispatchTest, HandlerWithoutResultAnswersEmptyText) {
    const Value result = module->bi->raiseEvent(Value(), u"tick");
    ASSERT_TRUE(result.isString());
    EXPECT_EQ(*result.string(), u"");
    EXPECT_EQ(module->ticks, 1);
}

TEST_F(DispatchTest, IntParametersTruncateTowardZero) {
    for (const auto& [given, expected] :
         std::vector<std::pair<Value, int32_t>>{{Value::ofDouble(2.9), 2},
                                                {Value::ofDouble(-2.9), -2},
                                                {Value::ofLong(7), 7},
                                                {Value::ofBoolean(true), 1},
                                                {Value(u"12abc"), 12},
                                                {Value(kNullMarker), 0}}) {
        const Value arguments[] = {given};
        module->bi->raiseEvent(Value(), u"takeint:", arguments);
        EXPECT_EQ(module->lastInt, expected) << toUtf8(given.description());
    }
}

TEST_F(DispatchTest, ByteAndBooleanParametersAreBooleans) {
    const Value arguments[] = {Value::ofInt(5), Value::ofDouble(0.25)};
    module->bi->raiseEvent(Value(), u"takeflags::", arguments);
    EXPECT_EQ(module->lastByte, 1);
    EXPECT_TRUE(module->lastBool);
}

TEST_F(DispatchTest, MissingAndNullObjectArgumentsArriveAbsent) {
    module->bi->raiseEvent(Value(), u"takeobject:", {});
    EXPECT_TRUE(module->lastObject.isNull());
    module->lastObject = Value(u"unset");
    const Value marker[] = {Value(kNullMarker)};
    module->bi->raiseEvent(Value(), u"takeobject:", marker);
    EXPECT_TRUE(module->lastObject.isNull());
}

TEST_F(DispatchTest, TooManyArgumentsIsAnError) {
    const Value arguments[] = {Value::ofInt(1), Value::ofInt(2)};
    EXPECT_THROW(module->bi->raiseEvent(Value(), u"takeint:", arguments), RtException);
}

TEST_F(DispatchTest, ResultsAreBoxedByKind) {
    const Value two[] = {Value::ofInt(4)};
    const Value doubled = RtCore::runDynamicMethod(Value(module), u"twice:", true, two);
    ASSERT_TRUE(doubled.isNumber());
    EXPECT_EQ(doubled.number()->tag(), 'd');
    EXPECT_EQ(doubled.number()->toDouble(), 8.0);

    const Value flag = RtCore::runDynamicMethod(Value(module), u"flag", true);
    EXPECT_EQ(flag.number()->tag(), 'B');
    EXPECT_EQ(flag.number()->toLong(), 1);

    EXPECT_TRUE(RtCore::runDynamicMethod(Value(module), u"nothing", true).isNull());
}

TEST_F(DispatchTest, StructuresTravelAsBytes) {
    const Value range = RtCore::runDynamicMethod(Value(module), u"range", true);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "Converting unknown type to NSData ({_NSRange=QQ})");
    const auto buffer = range.as<ByteBuffer>();
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->bytes.size(), sizeof(Range));

    const Value arguments[] = {range};
    EXPECT_EQ(
        RtCore::runDynamicMethod(Value(module), u"takeRange:", true, arguments).number()->toLong(),
        304);

    const Value wrong[] = {Value::ofInt(3)};
    try {
        RtCore::runDynamicMethod(Value(module), u"takeRange:", true, wrong);
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"Unsupported type");
        EXPECT_EQ(error.reason(), u"Unsupported type {_NSRange=QQ}");
    }
}

TEST_F(DispatchTest, DynamicCallErrors) {
    try {
        RtCore::runDynamicMethod(Value(), u"deviceName", true);
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"null object");
        EXPECT_EQ(error.reason(), u"Target is null. Method called: deviceName");
    }
    try {
        RtCore::runDynamicMethod(Value(module), u"twice", true);
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"method not found");
        EXPECT_EQ(error.reason(), u"Method not found: twice, target: <ProbeModule>");
    }
    EXPECT_TRUE(RtCore::runDynamicMethod(Value(module), u"twice", false).isNull());
    try {
        module->bi->errorIfMissingEvent(u"btn", u"_click");
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"");
        EXPECT_EQ(error.reason(), u"btn_click event not found.");
    }
    EXPECT_NO_THROW(module->bi->errorIfMissingEvent(u"ti", u"ck"));
}

TEST_F(DispatchTest, SenderSlotHoldsSenderOnlyDuringDispatch) {
    EXPECT_TRUE(RtCore::sender().isNull());
    module->bi->raiseEvent(Value(u"outer"), u"nested");
    ASSERT_TRUE(module->senderBeforeNested.isString());
    EXPECT_EQ(*module->senderBeforeNested.string(), u"outer");
    // The nested dispatch leaves the null marker behind; the outer sender is not restored.
    EXPECT_TRUE(module->senderAfterNested.isNull());
    EXPECT_EQ(module->ticks, 1);
}

TEST_F(DispatchTest, HandlerErrorsPropagateToTheRaiser) {
    try {
        module->bi->raiseEvent(Value(), u"fail");
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"boom");
        EXPECT_EQ(error.reason(), u"handler failed");
    }
}

TEST_F(DispatchTest, QueuedEventsRunLaterInOrder) {
    module->bi->raiseUIEvent(Value(), u"tick");
    const std::vector<Value> arguments{Value::ofInt(9)};
    module->bi->raiseEventFromDifferentThread(Value(), u"takeint:", arguments);
    EXPECT_EQ(module->ticks, 0);
    EXPECT_EQ(queue.runUntilIdle(), 2u);
    EXPECT_EQ(module->ticks, 1);
    EXPECT_EQ(module->lastInt, 9);
}

class PanelView final : public Object {
  public:
    bool becomesMainViewOnResize() const override { return true; }
};
// Only the name of a panel: the runtime goes by what an object says it is, not by its name.
class NamedLikeAPanel final : public Object {
  public:
    String className() const override { return u"RtPanelView"; }
};

TEST_F(DispatchTest, ResizeOfAPanelSetsTheSharedMainView) {
    auto panel = std::make_shared<PanelView>();
    const Value size[] = {Value::ofInt(340), Value::ofInt(568)};
    module->bi->raiseEvent(Value(u"not a panel"), u"page1_resize::", size);
    module->bi->raiseEvent(Value(std::make_shared<NamedLikeAPanel>()), u"page1_resize::", size);
    EXPECT_EQ(RtCore::shared()->mainView(), nullptr);
    module->bi->raiseEvent(Value(panel), u"page1_resize::", size);
    EXPECT_EQ(RtCore::shared()->mainView(), panel);
    panel.reset();
    EXPECT_EQ(RtCore::shared()->mainView(), nullptr);
}

TEST_F(DispatchTest, LogLinesAreCutAt4000Units) {
    const String exact(4000, u'a');
    module->bi->Log(exact);
    module->bi->LogInfo(String(4001, u'b'));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], std::string(4000, 'a'));
    EXPECT_EQ(log.lines[1], std::string(4000, 'b') + " (message truncated)...");

    // A surrogate pair across the cut is left out whole: the line stays valid UTF-8.
    module->bi->Log(String(3999, u'c') + u"\U0001F600" + u"tail");
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[2], std::string(3999, 'c') + " (message truncated)...");
    module->bi->Log(String(3998, u'd') + u"\U0001F600" + u"tail");
    EXPECT_EQ(log.lines[3], std::string(3998, 'd') + "\xF0\x9F\x98\x80 (message truncated)...");
}

class RecordingLogger final : public Object {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{MethodTable::operation("Log::", &RecordingLogger::Log)};
        return &table;
    }
    void Log(const String& text, const Value& level) {
        lines.push_back(text + u"|" + level.description());
    }
    std::vector<String> lines;
};

TEST_F(DispatchTest, InstalledLoggerReceivesTextAndLevel) {
    auto logger = std::make_shared<RecordingLogger>();
    RtCore::shared()->setLogger(Value(logger));
    module->_c->Log(u"plain");
    RtCore::shared()->LogError(u"bad");
    module->_c->LogColor(u"coloured", static_cast<int32_t>(0xFF000000));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(logger->lines,
              (std::vector<String>{u"plain|(null)", u"bad|e", u"coloured|c-16777216"}));
}

TEST_F(DispatchTest, CallSubBetweenModules) {
    const Value arguments[] = {Value::ofInt(3)};
    module->_c->CallSub(Value(module), u"TakeInt", arguments);
    EXPECT_EQ(module->lastInt, 3);
    EXPECT_TRUE(module->_c->SubExists(Value(module), u"Tick", 0));
    EXPECT_FALSE(module->_c->SubExists(Value(module), u"Tick", 1));
    module->_c->CallSubDelayed(Value(module), u"tick");
    EXPECT_EQ(module->ticks, 0);
    queue.runUntilIdle();
    EXPECT_EQ(module->ticks, 1);
    try {
        module->_c->CallSub(Value(u"text"), u"tick");
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.reason(), u"Invalid component: text");
    }
    // A sub answering a module answers the module itself (it wraps itself).
    EXPECT_EQ(module->_c->CallSub(Value(module), u"Me").object(), module);
}

class Instance final : public RtClass {
  public:
    String description() const override { return u"an instance"; }
};

TEST_F(DispatchTest, AClassInstanceWithoutItsRuntimeCoreObjectCannotBeCalled) {
    const Value instance(std::make_shared<Instance>());
    const auto expectInvalid = [](const std::function<void()>& call) {
        try {
            call();
            FAIL() << "no error";
        } catch (const RtException& error) {
            EXPECT_EQ(error.name(), u"");
            EXPECT_EQ(error.reason(), u"Invalid component: an instance");
        }
    };
    expectInvalid([&] { module->_c->CallSub(instance, u"tick"); });
    expectInvalid([&] { module->_c->SubExists(instance, u"tick", 0); });
    expectInvalid([&] { module->_c->CallSubDelayed(instance, u"tick"); });
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(DispatchTest, TableRejectsNamesWhoseColonsDoNotMatchTheParameters) {
    EXPECT_THROW(MethodTable({MethodTable::sub("_takeint", &ProbeModule::_takeint)}),
                 std::logic_error);
}

TEST_F(DispatchTest, StaticModulesMustOverrideInitializeStaticModules) {
    try {
        module->initializeStaticModules();
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.reason(), u"Must override");
    }
}

// A class instance whose sub drops the last reference to it (removing itself from the collection
// that holds it) must stay alive until the sub returns.
bool subRunning = false;
bool destroyedWhileSubRan = false;

class SelfRemover final : public RtClass {
  public:
    ~SelfRemover() override { destroyedWhileSubRan = subRunning; }
    const MethodTable* methods() const override {
        static const MethodTable table{MethodTable::sub("_leave", &SelfRemover::_leave)};
        return &table;
    }
    void _leave() {
        subRunning = true;
        owner->reset();
        subRunning = false;
    }
    std::shared_ptr<SelfRemover>* owner = nullptr;
};

using DispatchLifetime = testing::RuntimeTest;

TEST_F(DispatchLifetime, AnInstanceDroppedByItsOwnSubLivesUntilTheSubReturns) {
    auto holder = std::make_shared<SelfRemover>();
    holder->initializeClassModule();
    holder->owner = &holder;
    const std::shared_ptr<RtCore> core = holder->bi;
    core->raiseEvent(Value(), u"leave", {});
    EXPECT_FALSE(holder);
    EXPECT_FALSE(destroyedWhileSubRan);
}

}  // namespace
}  // namespace zemtra
