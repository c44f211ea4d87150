// Event dispatch and dynamic calls by name: exact names, argument and result conversion, the
// sender slot, errors, log lines, and native objects calling a module's operations.
#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/core/RtNativeObject.h"
#include "tests/runtime/Raises.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using testing::raised;

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
            MethodTable::operation("Level", &ProbeModule::Level),
            MethodTable::operation("setLevel:", &ProbeModule::setLevel),
        };
        return &table;
    }

    void _tick() { ++ticks; }
    void _takeint(int32_t value) { received += decimal(value); }
    void _takeflags(int8_t byteFlag, bool boolean) {
        received += decimal(byteFlag) + (boolean ? u" true" : u" false");
    }
    void _takeobject(const Value& value) {
        received += value.isNull() ? String(u"absent") : value.description();
    }
    void _nested() {
        senderBeforeNested = RtCore::sender();
        bi->raiseEvent(Value(u"inner"), u"tick");
        senderAfterNested = RtCore::sender();
    }
    void _fail() { raise(u"boom", u"handler failed"); }
    void _page1_resize(int32_t, int32_t) {}
    double twice(double value) const { return value * 2; }
    int8_t flag() const { return 5; }
    NativeRange range() const { return NativeRange{3, 4}; }
    int64_t takeRange(NativeRange r) const {
        return static_cast<int64_t>(r.location * 100 + r.length);
    }
    void nothing() {}
    Value _me() { return Value(bi->eventsTarget()); }
    int32_t Level() const { return level; }
    void setLevel(int32_t value) { level = value; }

    int ticks = 0;
    int32_t level = 0;
    String received;
    Value senderBeforeNested, senderAfterNested;
};

class DispatchTest : public testing::RuntimeTest {
  protected:
    std::shared_ptr<ProbeModule> module = StaticModules::New<ProbeModule>();
    Value call(StringView method, std::span<const Value> arguments = {}) {
        return RtCore::runDynamicMethod(Value(module), method, true, arguments);
    }
};

TEST_F(DispatchTest, HandlersAreFoundByTheirExactName) {
    const Value result = module->bi->raiseEvent(Value(), u"tick");
    EXPECT_EQ(result.description(), u"") << "a handler without a result answers empty text";
    EXPECT_EQ(module->ticks, 1);
    EXPECT_TRUE(module->bi->raiseEvent(Value(), u"application_foreground").isNull());
    EXPECT_TRUE(module->bi->hasMethod(u"tick"));
    EXPECT_FALSE(module->bi->hasMethod(u"TICK"));
}

TEST_F(DispatchTest, ArgumentsAreConvertedToTheParameterTypes) {
    struct Row {
        StringView event;
        std::vector<Value> arguments;
        StringView received;
    };
    const Row rows[] = {
        {u"takeint:", {Value::ofDouble(2.9)}, u"2"},
        {u"takeint:", {Value::ofDouble(-2.9)}, u"-2"},
        {u"takeint:", {Value(u"12abc")}, u"12"},
        {u"takeint:", {Value(kNullMarker)}, u"0"},
        {u"takeflags::", {Value::ofInt(5), Value::ofDouble(0.25)}, u"1 true"},
        {u"takeobject:", {}, u"absent"},
        {u"takeobject:", {Value(kNullMarker)}, u"absent"},
        {u"takeint::", {Value::ofInt(1), Value::ofInt(2)}, u""},  // the colons name another
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(toUtf8(row.event));
        module->received.clear();
        module->bi->raiseEvent(Value(), row.event, row.arguments);
        EXPECT_EQ(module->received, row.received);
    }
    const Value two[] = {Value::ofInt(1), Value::ofInt(2)};
    EXPECT_THROW(module->bi->raiseEvent(Value(), u"takeint:", two), RtException);
}

TEST_F(DispatchTest, ResultsAreBoxedByKindAndStructuresTravelAsBytes) {
    const Value four[] = {Value::ofInt(4)};
    EXPECT_EQ(call(u"twice:", four).number()->tag(), 'd');
    EXPECT_EQ(call(u"flag").number()->tag(), 'B');  // a byte result is a boolean: 5 reads as 1
    EXPECT_EQ(call(u"flag").number()->toLong(), 1);

    log.lines.clear();
    const Value range = call(u"range");
    EXPECT_EQ(log.lines, std::vector<std::string>{"Converting unknown type to NSData "
                                                  "({_NSRange=QQ})"});
    const Value arguments[] = {range};
    EXPECT_EQ(call(u"takeRange:", arguments).number()->toLong(), 304);
    const RtException error = raised([&] { call(u"takeRange:", four); });
    EXPECT_EQ(error.name(), u"Unsupported type");
    EXPECT_EQ(error.reason(), u"Unsupported type {_NSRange=QQ}");
}

TEST_F(DispatchTest, ErrorsNameTheCallAndHandlerErrorsReachTheRaiser) {
    const auto said = [](const std::function<void()>& call) {
        const RtException error = raised(call);
        return error.name() + u": " + error.reason();
    };
    EXPECT_EQ(said([] { RtCore::runDynamicMethod(Value(), u"deviceName", true); }),
              u"null object: Target is null. Method called: deviceName");
    EXPECT_EQ(said([&] { call(u"twice"); }),
              u"method not found: Method not found: twice, target: <ProbeModule>");
    EXPECT_TRUE(RtCore::runDynamicMethod(Value(module), u"twice", false).isNull());
    EXPECT_EQ(said([&] { module->bi->errorIfMissingEvent(u"btn", u"_click"); }),
              u": btn_click event not found.");
    EXPECT_NO_THROW(module->bi->errorIfMissingEvent(u"ti", u"ck"));
    EXPECT_EQ(said([&] { module->bi->raiseEvent(Value(), u"fail"); }), u"boom: handler failed");
    EXPECT_EQ(raised([&] { module->initializeStaticModules(); }).reason(), u"Must override");
    EXPECT_THROW(MethodTable({MethodTable::sub("_takeint", &ProbeModule::_takeint)}),
                 std::logic_error);
}

TEST_F(DispatchTest, SenderSlotHoldsSenderOnlyDuringDispatch) {
    EXPECT_TRUE(RtCore::sender().isNull());
    module->bi->raiseEvent(Value(u"outer"), u"nested");
    EXPECT_EQ(module->senderBeforeNested.description(), u"outer");
    // The nested dispatch leaves the null marker behind; the outer sender is not restored.
    EXPECT_TRUE(module->senderAfterNested.isNull());
    EXPECT_EQ(module->ticks, 1);
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

TEST_F(DispatchTest, CallSubBetweenModulesAndQueuedEventsRunLaterInOrder) {
    const Value arguments[] = {Value::ofInt(3)};
    module->_c->CallSub(Value(module), u"TakeInt", arguments);
    EXPECT_TRUE(module->_c->SubExists(Value(module), u"Tick", 0));
    EXPECT_FALSE(module->_c->SubExists(Value(module), u"Tick", 1));
    module->_c->CallSubDelayed(Value(module), u"tick");
    module->bi->raiseUIEvent(Value(), u"takeint:", {Value::ofInt(9)});
    EXPECT_EQ(module->ticks, 0);
    queue.runUntilIdle();
    EXPECT_EQ(module->ticks, 1);
    EXPECT_EQ(module->received, u"39");
    EXPECT_EQ(raised([&] { module->_c->CallSub(Value(u"text"), u"tick"); }).reason(),
              u"Invalid component: text");
    // A sub answering a module answers the module itself (it wraps itself).
    EXPECT_EQ(module->_c->CallSub(Value(module), u"Me").object(), module);
}

class Instance final : public RtClass {
  public:
    String description() const override { return u"an instance"; }
};

TEST_F(DispatchTest, AClassInstanceWithoutItsRuntimeCoreObjectCannotBeCalled) {
    const Value instance(std::make_shared<Instance>());
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { module->_c->CallSub(instance, u"tick"); },
             [&] { module->_c->SubExists(instance, u"tick", 0); },
             [&] { module->_c->CallSubDelayed(instance, u"tick"); }}) {
        EXPECT_EQ(raised(call).reason(), u"Invalid component: an instance");
    }
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(DispatchTest, NativeObjectsCallOperationsByTheirExactNames) {
    const auto native = RtNativeObject::wrap(Value(module));
    const Value seven[] = {Value::ofInt(7)};
    EXPECT_EQ(native->runMethod(u"twice:", seven)->AsString(), u"14");
    const auto nothing = native->runMethod(u"nothing", {});
    EXPECT_FALSE(nothing->IsInitialized());

    native->SetField(u"level", Value::ofInt(5));
    EXPECT_EQ(module->level, 5);
    EXPECT_EQ(native->GetField(u"Level")->AsNumber().number()->toInt(), 5);
    // The name is used as given: the colon count and the case are part of it.
    EXPECT_EQ(raised([&] { native->runMethod(u"twice", {}); }).name(), u"method not found");
    EXPECT_EQ(raised([&] { native->runMethod(u"Twice:", seven); }).name(), u"method not found");
    EXPECT_TRUE(raised([&] { nothing->runMethod(u"twice:", seven); })
                    .reason()
                    .starts_with(u"Object was not initialized"));
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

TEST_F(DispatchTest, AnInstanceDroppedByItsOwnSubLivesUntilTheSubReturns) {
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
