// The motion wrapper over a replayed source on the virtual clock.
#include "services/RtMotion.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/sensors/ReplayMotionSource.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtArray.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using namespace std::chrono_literals;
using Doubles = std::vector<double>;

class RtMotionTest : public testing::RuntimeTest {
  protected:
    RtMotionTest() {
        std::istringstream file(
            "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n"
            "500,,,,0.001,0.002,0.003,0.1,0.2,0.3\n"
            "1000,21.123456789,-4.5,-40.25,-0.004,0.005,0.006,-0.1,-0.2,-0.3\n");
        scope.add<platform::MotionSource>(std::make_shared<platform::sensors::ReplayMotionSource>(
            platform::sensors::parseReplay(file, "motion.csv").rows,
            platform::sensors::SensorClock{[this] { return clock.monotonicNow(); }, true}));
    }

    // Calls an operation by name and answers the array's elements, each a boxed Double.
    static Doubles call(const std::shared_ptr<RtMotion>& motion, StringView operation) {
        const auto array = RtCore::runDynamicMethod(Value(motion), operation, true).as<RtArray>();
        Doubles values;
        for (int32_t i = 0; i < array->Length(); ++i) {
            const Value element = array->Get(i);
            EXPECT_EQ(element.number()->tag(), 'd');
            values.push_back(element.number()->toDouble());
        }
        return values;
    }
    static void call(const std::shared_ptr<RtMotion>& motion,
                     std::initializer_list<StringView> operations) {
        for (StringView operation : operations) {
            RtCore::runDynamicMethod(Value(motion), operation, true);
        }
    }
};

TEST_F(RtMotionTest, AnswersEmptyAndZerosWithoutASample) {
    const auto motion = std::make_shared<RtMotion>();
    call(motion, {u"StartMagnetometer", u"Start"});  // no manager yet: nothing happens
    queue.runFor(2s);
    EXPECT_EQ(call(motion, u"GetMagnetometer"), Doubles{});
    EXPECT_EQ(call(motion, u"GetUserAcceleration"), (Doubles{0, 0, 0}));
    EXPECT_EQ(call(motion, u"GetAttitude"), (Doubles{0, 0, 0}));

    // Another manager runs the source; this one has started nothing.
    const auto other = std::make_shared<RtMotion>();
    call(other, {u"Initialize", u"StartMagnetometer", u"Start"});
    call(motion, {u"Initialize"});
    EXPECT_EQ(call(motion, u"GetMagnetometer"), Doubles{});
    EXPECT_EQ(call(motion, u"GetUserAcceleration"), (Doubles{0, 0, 0}));
    EXPECT_EQ(call(other, u"GetUserAcceleration"), (Doubles{-0.004, 0.005, 0.006}));
}

TEST_F(RtMotionTest, ServesTheLatestSampleInNewArrays) {
    const auto motion = std::make_shared<RtMotion>();
    call(motion, {u"Initialize", u"StartMagnetometer", u"Start"});
    EXPECT_EQ(call(motion, u"GetUserAcceleration"), (Doubles{0, 0, 0})) << "no sample yet";
    queue.runFor(500ms);
    EXPECT_EQ(call(motion, u"GetMagnetometer"), Doubles{}) << "no magnetometer sample yet";
    EXPECT_EQ(call(motion, u"GetUserAcceleration"), (Doubles{0.001, 0.002, 0.003}));
    EXPECT_EQ(call(motion, u"GetAttitude"), (Doubles{0.1, 0.2, 0.3}));
    queue.runFor(500ms);
    EXPECT_EQ(call(motion, u"GetMagnetometer"), (Doubles{21.123456789, -4.5, -40.25}));

    const auto first = motion->GetMagnetometer();
    const auto second = motion->GetMagnetometer();
    first->setObjectFast(0, Value::ofDouble(0));
    EXPECT_EQ(second->Get(0).number()->toDouble(), 21.123456789);
}

TEST_F(RtMotionTest, ManagersShareTheSourceWithoutSwitchingEachOtherOff) {
    const auto reader = std::make_shared<RtMotion>();
    call(reader, {u"Initialize", u"StartMagnetometer"});
    {
        const auto other = std::make_shared<RtMotion>();
        call(other, {u"Initialize", u"StartMagnetometer", u"StopMagnetometer", u"StopMagnetometer",
                     u"StartMagnetometer"});
    }                  // goes away running: stops only its own updates
    queue.runFor(1s);  // a source switched off at 0 ms would keep its empty sample
    EXPECT_EQ(call(reader, u"GetMagnetometer").size(), 3u);
    call(reader, {u"Initialize"});  // a new manager that has started nothing
    EXPECT_EQ(call(reader, u"GetMagnetometer"), Doubles{});
}

TEST(RtMotion, InitializeWithoutARegisteredSourceRaises) {
    const RuntimeScope empty;
    RtMotion motion;
    EXPECT_THROW(motion.Initialize(), RtException);
    EXPECT_FALSE(motion.IsInitialized());
}

}  // namespace
}  // namespace zemtra
