// The motion wrapper over a replayed source on the virtual clock.
#include "services/RtMotion.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/sensors/ReplayMotionSource.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/core/Text.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtMap.h"
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
            "1000,21.123456789,-4.5,-40.25,-0.004,0.005,0.006,-0.1,-0.2,-0.3\n");
        scope.add<platform::MotionSource>(std::make_shared<platform::sensors::ReplayMotionSource>(
            platform::sensors::parseReplay(file, "motion.csv").value(),
            platform::sensors::SensorClock{[this] { return clock.monotonicNow(); }, true},
            "motion.csv"));
    }

    // Calls an operation by name and answers the array's elements, each a boxed Double.
    static Doubles get(const std::shared_ptr<RtMotion>& motion, StringView operation) {
        const auto array = RtCore::runDynamicMethod(Value(motion), operation, true).as<RtArray>();
        Doubles values;
        for (int32_t i = 0; i < array->Length(); ++i) {
            const Value element = array->Get(i);
            EXPECT_EQ(element.number()->tag(), 'd');
            values.push_back(element.number()->toDouble());
        }
        return values;
    }
    static std::shared_ptr<RtMotion> motion(std::initializer_list<StringView> operations) {
        auto motion = std::make_shared<RtMotion>();
        for (StringView operation : operations) {
            RtCore::runDynamicMethod(Value(motion), operation, true);
        }
        return motion;
    }
};

// Each manager answers only for what it started, and stops only what it started: the source
// counts the starts of all of them. (The app's sampling tests check the readings themselves.)
TEST_F(RtMotionTest, ManagersAnswerForWhatTheyStartedWithoutSwitchingEachOtherOff) {
    const auto idle = motion({u"StartMagnetometer", u"Start"});  // no manager yet: nothing
    const auto reader = motion({u"Initialize", u"StartMagnetometer", u"Start"});
    motion({u"Initialize", u"StartMagnetometer", u"StopMagnetometer", u"StopMagnetometer",
            u"StartMagnetometer", u"Start", u"Start", u"Stop"});  // goes away running
    EXPECT_EQ(get(reader, u"GetUserAcceleration"), (Doubles{0, 0, 0})) << "no sample yet";
    queue.runFor(1s);  // a source switched off at 0 ms would keep its empty sample
    EXPECT_EQ(get(reader, u"GetMagnetometer"), (Doubles{21.123456789, -4.5, -40.25}));
    EXPECT_EQ(get(reader, u"GetUserAcceleration"), (Doubles{-0.004, 0.005, 0.006}));
    EXPECT_EQ(get(reader, u"GetAttitude"), (Doubles{-0.1, -0.2, -0.3}));
    EXPECT_EQ(get(idle, u"GetMagnetometer"), Doubles{});
    const auto late = motion({u"Initialize"});  // has started nothing
    EXPECT_EQ(get(late, u"GetMagnetometer"), Doubles{});
    // Every answer is an array of its own.
    reader->GetMagnetometer()->setObjectFast(0, Value::ofDouble(0));
    EXPECT_EQ(reader->GetMagnetometer()->Get(0).number()->toDouble(), 21.123456789);
}

// The source as the module reads it by name. (A source lost and found again is the IIO tests' and
// the program's sensor runs'.)
TEST_F(RtMotionTest, StatusTellsTheModuleWhatTheSourceIs) {
    const auto motion = this->motion({});
    const auto field = [&](StringView key) {
        return RtCore::runDynamicMethod(Value(motion), u"Status", true)
            .as<RtMap>()
            ->Get(Value(key));
    };
    EXPECT_EQ(toUtf8(*field(u"Description").string()), "") << "before Initialize: no source";
    motion->Initialize();
    motion->Start();
    EXPECT_EQ(toUtf8(*field(u"Description").string()), "Replay motion.csv");
}

TEST(RtMotion, InitializeWithoutARegisteredSourceRaises) {
    const RuntimeScope empty;
    RtMotion motion;
    EXPECT_THROW(motion.Initialize(), RtException);
    EXPECT_FALSE(motion.IsInitialized());
}

}  // namespace
}  // namespace zemtra
