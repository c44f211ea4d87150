// Wrappers (class test, Tag, equality, event binding), the Common object's helpers, caught
// exceptions and record descriptions.
#include <optional>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/Record.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtObjectWrapper.h"
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

using WrapperTest = testing::RuntimeTest;

TEST_F(WrapperTest, UninitializedWrapperRaisesWithTheExpectedClassName) {
    WidgetWrapper wrapper;
    EXPECT_FALSE(wrapper.IsInitialized());
    EXPECT_EQ(wrapper.objectOrNull(), nullptr);
    try {
        wrapper.Tag();
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"");
        EXPECT_EQ(error.reason(), u"Object was not initialized (Widget)");
    }
    EXPECT_EQ(wrapper.description(), u"<WidgetWrapper: (null)>");
}

TEST_F(WrapperTest, ClassTestAcceptsSubclassesAndRejectsOthersUnchanged) {
    WidgetWrapper wrapper;
    auto fancy = std::make_shared<FancyWidget>();
    wrapper.setObject(Value(fancy));
    EXPECT_EQ(wrapper.object(), fancy);
    try {
        wrapper.setObject(Value(std::make_shared<Gadget>()));
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"Invalid object type");
        EXPECT_EQ(error.reason(), u"Expected: Widget, object type: Gadget");
    }
    EXPECT_EQ(wrapper.object(), fancy);
    // A value that is not an object is named by its class too, never by its text.
    try {
        wrapper.setObject(Value(u"some text"));
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.reason(), u"Expected: Widget, object type: String");
    }
    EXPECT_EQ(wrapper.object(), fancy);
    wrapper.setObject(Value());
    EXPECT_FALSE(wrapper.IsInitialized());
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

    first->setTag(Value(u"seven"));
    EXPECT_EQ(*second->Tag().string(), u"seven");
    second->setTag(Value());
    EXPECT_TRUE(first->Tag().isNull());
    EXPECT_EQ(widget->attachedMap().count(u"tag"), 0u);

    WidgetWrapper empty, otherEmpty;
    EXPECT_TRUE(empty.isEqual(Value()));
    EXPECT_TRUE(empty.isEqual(Value(std::make_shared<WidgetWrapper>())));
    EXPECT_FALSE(empty.isEqual(Value(widget)));
    EXPECT_EQ(empty.hash(), 0u);
}

class ButtonModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_btnset_click", &ButtonModule::_btnset_click)};
        return &table;
    }
    void _btnset_click() {
        ++clicks;
        sender = RtCore::sender();
    }
    int clicks = 0;
    Value sender;
};

TEST_F(WrapperTest, EventBindingLowerCasesThePrefixAndHoldsTheModuleWeakly) {
    std::optional<RuntimeScope> moduleScope{std::in_place};
    auto module = StaticModules::New<ButtonModule>();
    auto widget = std::make_shared<Widget>();
    RtObjectWrapper::setBIAndEventName(*widget, module->bi, u"BtnSet");
    EXPECT_EQ(*RtObjectWrapper::getEventName(*widget).string(), u"btnset");
    EXPECT_TRUE(RtObjectWrapper::hasMethod(*widget, u"_click"));
    EXPECT_FALSE(RtObjectWrapper::hasMethod(*widget, u"_longclick"));
    RtObjectWrapper::raiseEvent(*widget, u"_click");
    EXPECT_EQ(module->clicks, 1);
    EXPECT_EQ(module->sender.object(), widget);
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

class PlainModule final : public RtStaticModule {
  public:
    String className() const override { return u"PlainModule"; }
};

TEST_F(WrapperTest, AStaticModuleIsItsOwnInitializedObjectForTheLifeOfItsScope) {
    std::optional<RuntimeScope> moduleScope{std::in_place};
    auto module = StaticModules::New<PlainModule>();
    RtObjectWrapper& asWrapper = *module;
    EXPECT_TRUE(asWrapper.IsInitialized());
    EXPECT_EQ(asWrapper.object(), module);
    asWrapper.setTag(Value(u"tagged"));
    EXPECT_EQ(*asWrapper.Tag().string(), u"tagged");
    EXPECT_EQ(asWrapper.description(), u"<PlainModule>");
    EXPECT_TRUE(Value(module).equals(Value(module)));
    EXPECT_FALSE(Value(module).equals(Value(std::make_shared<Widget>())));

    // The module's reference to itself goes with the scope: nothing is leaked.
    std::weak_ptr<PlainModule> weak = module;
    module.reset();
    moduleScope.reset();
    EXPECT_TRUE(weak.expired());
}

TEST_F(WrapperTest, CommonObjectHelpers) {
    const auto& common = RtCommon::New();
    EXPECT_EQ(common, RtCommon::New());
    EXPECT_TRUE(common->True());
    EXPECT_FALSE(common->Not(true));
    EXPECT_TRUE(common->Null().isNull());
    EXPECT_TRUE(common->IsNumber(u" 1.5 "));
    EXPECT_EQ(common->GetType(Value(std::make_shared<Widget>())), u"Widget");
    EXPECT_EQ(common->GetType(Value(u"x")), u"String");
}

TEST_F(WrapperTest, SetExceptionRecordsTheLastCaughtError) {
    try {
        raise(u"", u"Cannot parse: %@", {u"abc"});
    } catch (const std::exception& error) {
        RtCore::SetException(error);
    }
    const auto wrapper = RtCommon::New()->LastException();
    EXPECT_EQ(wrapper->Description(), u"Cannot parse: abc");
    EXPECT_EQ(wrapper->Message(), u"Cannot parse: abc");
    EXPECT_EQ(wrapper->Domain(), u"caught_exception");
    EXPECT_EQ(wrapper->Code(), 0);
    RtCore::SetException(u"second");
    EXPECT_EQ(wrapper->Description(), u"Cannot parse: abc");
    EXPECT_EQ(RtCommon::New()->LastException()->Description(), u"second");
}

class Period final : public RtClass, public Record {
  public:
    void visitFields(FieldVisitor& visitor) const override {
        visitor.field(u"_year", _year);
        visitor.field(u"_month", _month);
        visitor.field(u"_day", _day);
        visitor.field(u"_ratio", _ratio);
        visitor.field(u"_next", _next);
    }
    int32_t _year = 2024, _month = 5, _day = 1;
    double _ratio = 0.5;
    Value _next;
};

TEST_F(WrapperTest, TypeToStringDescribesFieldsWithALineFeedAfterEveryThird) {
    Period period;
    EXPECT_EQ(period.description(), u"[year=2024, month=5, day=1\n, ratio=0.5, next=(null)]");

    class ThreeFields final : public Record {
      public:
        void visitFields(FieldVisitor& visitor) const override {
            visitor.field(u"_year", int32_t{2024});
            visitor.field(u"_month", int16_t{5});
            visitor.field(u"_day", int64_t{1});
        }
    };
    EXPECT_EQ(TypeToString(ThreeFields()), u"[year=2024, month=5, day=1\n]");
}

TEST_F(WrapperTest, TypeToStringStopsEndlessRecursion) {
    auto first = std::make_shared<Period>();
    auto second = std::make_shared<Period>();
    first->_next = Value(second);
    second->_next = Value(first);
    const String text = first->description();
    EXPECT_TRUE(text.starts_with(u"[year=2024"));
    // Both describe each other: the guard cut the chain, and the next description works again.
    first->_next = Value();
    EXPECT_EQ(first->description(), u"[year=2024, month=5, day=1\n, ratio=0.5, next=(null)]");
    second->_next = Value();
}

class Pair final : public RtClass, public Record {
  public:
    void visitFields(FieldVisitor& visitor) const override {
        visitor.field(u"_left", _left);
        visitor.field(u"_right", _right);
    }
    Value _left, _right;
};

TEST_F(WrapperTest, TypeToStringOfRecordsHoldingThemselvesIsBoundedAndExact) {
    auto pair = std::make_shared<Pair>();
    pair->_left = Value(pair);
    pair->_right = Value(pair);
    EXPECT_EQ(pair->description(), u"[left=, right=]");
    pair->_left = pair->_right = Value();

    // Forty levels, each holding the next one twice: the full text would have 2^40 parts.
    std::vector<std::shared_ptr<Pair>> chain(40);
    for (auto& link : chain) link = std::make_shared<Pair>();
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        chain[i]->_left = chain[i]->_right = Value(chain[i + 1]);
    // The length of the text measures the work; a clock would measure the machine (a sanitizer
    // build takes seconds here).
    const String text = chain[0]->description();
    EXPECT_LT(text.size(), 1'000'000u);
    EXPECT_TRUE(text.starts_with(u"[left=[left=[left=")) << toUtf8(text.substr(0, 40));
    // Short nesting reads in full.
    EXPECT_EQ(chain[38]->description(),
              u"[left=[left=(null), right=(null)], right=[left=(null), right=(null)]]");
}

TEST_F(WrapperTest, TypeToStringTurnsErrorsIntoNA) {
    class Broken final : public Record {
      public:
        void visitFields(FieldVisitor&) const override { raise(u"", u"no fields today"); }
    };
    EXPECT_EQ(TypeToString(Broken()), u"N/A");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "TypeToString error: no fields today");
}

}  // namespace
}  // namespace zemtra
