// The runtime scope: services only as registered, the runtime's shared objects per scope, nesting
// and an orderly end.
#include <memory>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/core/RuntimeScope.h"
#include "tests/runtime/Raises.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

class Speaker : public Object {
  public:
    virtual String voice() const { return u"default"; }
};
class QuietSpeaker final : public Speaker {
  public:
    String voice() const override { return u"quiet"; }
};

// Logs through the shared runtime core object as it goes, as a service that reports on close.
class ClosingService final : public Object {
  public:
    ~ClosingService() override { RtCore::shared()->Log(u"service closed"); }
};

class EmptyModule final : public RtStaticModule {};

using testing::raised;
using RuntimeScopeTest = testing::RuntimeTest;

TEST_F(RuntimeScopeTest, AServiceIsOnlyWhatWasRegisteredUnderItsType) {
    const RtException error = raised([] { RtCommon::New()->service<Speaker>(); });
    EXPECT_EQ(error.name(), u"ServiceError");
    EXPECT_EQ(error.reason(), u"Service not registered: zemtra::(anonymous namespace)::Speaker");
    EXPECT_FALSE(scope.has<Speaker>());

    // Registered under the interface, with the implementation as its back end; a second
    // registration replaces the first.
    scope.add<Speaker>(std::make_shared<Speaker>());
    EXPECT_EQ(RtCommon::New()->service<Speaker>()->voice(), u"default");
    scope.add<Speaker>(std::make_shared<QuietSpeaker>());
    EXPECT_EQ(RtCommon::New()->service<Speaker>()->voice(), u"quiet");
}

TEST_F(RuntimeScopeTest, EachScopeHasItsOwnRuntimeObjectsAndANestedOneHidesTheOuter) {
    const auto outerCore = RtCore::shared();
    const auto outerCommon = RtCommon::New();
    const auto outerModule = StaticModules::New<EmptyModule>();
    scope.add<Speaker>(std::make_shared<Speaker>());
    EXPECT_EQ(RtCore::shared(), outerCore);
    {
        RuntimeScope inner;
        EXPECT_EQ(&RuntimeScope::current(), &inner);
        EXPECT_NE(RtCore::shared(), outerCore);
        EXPECT_NE(RtCommon::New(), outerCommon);
        EXPECT_NE(StaticModules::New<EmptyModule>(), outerModule);
        EXPECT_THROW(RtCommon::New()->service<Speaker>(), RtException);
    }
    EXPECT_EQ(&RuntimeScope::current(), &scope);
    EXPECT_EQ(RtCore::shared(), outerCore);
    EXPECT_EQ(StaticModules::New<EmptyModule>(), outerModule);
}

TEST_F(RuntimeScopeTest, ServicesMayUseTheRuntimeWhileTheScopeEnds) {
    {
        RuntimeScope inner;
        inner.add(std::make_shared<ClosingService>());
        StaticModules::New<EmptyModule>();
    }
    EXPECT_EQ(log.lines, std::vector<std::string>{"service closed"});
}

TEST(RuntimeScopeAbsent, WithoutAScopeNothingIsMadeUp) {
    ASSERT_EQ(RuntimeScope::currentOrNull(), nullptr);
    const RtException error = raised([] { RtCore::shared(); });
    EXPECT_EQ(error.name(), u"ServiceError");
    EXPECT_EQ(error.reason(), u"No runtime scope is installed");
}

}  // namespace
}  // namespace zemtra
