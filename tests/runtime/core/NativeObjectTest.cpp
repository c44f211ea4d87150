// Native objects: operations by their exact names, results wrapped again.
#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtException.h"
#include "runtime/core/RtNativeObject.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

class NamedModule final : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"NamedModule";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::operation("deviceName", &NamedModule::deviceName),
            MethodTable::operation("twice:", &NamedModule::twice),
            MethodTable::operation("touch", &NamedModule::touch),
            MethodTable::operation("Level", &NamedModule::Level),
            MethodTable::operation("setLevel:", &NamedModule::setLevel),
        };
        return &table;
    }
    String deviceName() { return u"iPod Touch"; }
    int32_t twice(int32_t value) { return 2 * value; }
    void touch() { ++touched; }
    int32_t Level() const { return level; }
    void setLevel(int32_t value) { level = value; }
    int touched = 0;
    int32_t level = 0;
};

using NativeObjectTest = testing::RuntimeTest;

std::string reasonOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RtException& error) {
        return toUtf8(error.name()) + ": " + toUtf8(error.reason());
    }
    return "no error";
}

TEST_F(NativeObjectTest, CallsOperationsByTheirExactNames) {
    const auto module = StaticModules::New<NamedModule>();
    const auto native = RtNativeObject::wrap(Value(module));
    EXPECT_EQ(native->runMethod(u"deviceName", {})->AsString(), u"iPod Touch");
    const Value seven[] = {Value::ofInt(7)};
    EXPECT_EQ(native->runMethod(u"twice:", seven)->AsNumber().number()->toInt(), 14);

    const auto nothing = native->runMethod(u"touch", {});
    EXPECT_EQ(module->touched, 1);
    EXPECT_FALSE(nothing->IsInitialized());
    EXPECT_EQ(nothing->AsString(), u"null");

    native->SetField(u"level", Value::ofInt(5));
    EXPECT_EQ(module->level, 5);
    EXPECT_EQ(native->GetField(u"Level")->AsString(), u"5");

    // The name is used as given: the colon count and the case are part of it.
    EXPECT_NE(reasonOf([&] { native->runMethod(u"twice", {}); }).find("method not found"),
              std::string::npos);
    EXPECT_NE(reasonOf([&] { native->runMethod(u"DeviceName", {}); }).find("method not found"),
              std::string::npos);
    EXPECT_NE(
        reasonOf([&] { nothing->runMethod(u"deviceName", {}); }).find("Object was not initialized"),
        std::string::npos);
}

}  // namespace
}  // namespace zemtra
