// The motion wrapper over a replayed source on the virtual clock: the no-sample cases, boxed
// Doubles in fresh arrays, calls by name, and managers that share one source.
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

class RtMotionTest : public testing::RuntimeTest {
  protected:
    RtMotionTest() {
        std::istringstream file(
            "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n"
            "500,,,,0.001,0.002,0.003,0.1,0.2,0.3\n"
            "1000,21.123456789,-4.5,-40.25,-0.004,0.005,0.006,-0.1,-0.2,-0.3\n");
        auto parsed = platform::sensors::parseReplay(file, "motion.csv");
        source = std::make_shared<platform::sensors::ReplayMotionSource>(
            std::move(parsed.rows),
            platform::sensors::SensorClock{[this] { return clock.monotonicNow(); }, true});
        scope.add<platform::MotionSource>(source);
    }

    // The doubles of an array, checking that each is boxed as a Double.
    static std::vector<double> doubles(const std::shared_ptr<RtArray>& array) {
        std::vector<double> values;
        for (int32_t i = 0; i < array->Length(); ++i) {
            const Value element = array->Get(i);
            const Number* number = element.number();
            EXPECT_TRUE(number && number->tag() == 'd');
            values.push_back(number ? number->toDouble() : -1);
        }
        return values;
    }
    std::shared_ptr<RtArray> call(RtMotion& motion, StringView operation) {
        return RtCore::runDynamicMethod(Value(motion.shared_from_this()), operation, true)
            .as<RtArray>();
    }

    RuntimeScope scope;
    std::shared_ptr<platform::sensors::ReplayMotionSource> source;
};

TEST_F(RtMotionTest, AnswersEmptyAndZerosWithoutASample) {
    const auto motion = std::make_shared<RtMotion>();
    // Before Initialize: no manager, nothing raised.
    motion->StartMagnetometer();
    motion->Start();
    queue.runFor(2s);
    EXPECT_EQ(motion->GetMagnetometer()->Length(), 0);
    EXPECT_EQ(doubles(motion->GetUserAcceleration()), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(doubles(motion->GetAttitude()), (std::vector<double>{0, 0, 0}));

    // Initialized but not started: the source has samples, this manager has none.
    const auto other = std::make_shared<RtMotion>();
    other->Initialize();
    other->Start();
    other->StartMagnetometer();
    motion->Initialize();
    EXPECT_EQ(motion->GetMagnetometer()->Length(), 0);
    EXPECT_EQ(doubles(motion->GetUserAcceleration()), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(doubles(other->GetUserAcceleration()), (std::vector<double>{-0.004, 0.005, 0.006}));
}

TEST_F(RtMotionTest, ServesTheLatestSampleThroughCallsByName) {
    const auto motion = std::make_shared<RtMotion>();
    for (StringView operation : {u"Initialize", u"StartMagnetometer", u"Start"}) {
        RtCore::runDynamicMethod(Value(motion), operation, true);
    }
    EXPECT_EQ(call(*motion, u"GetMagnetometer")->Length(), 0) << "before the first sample";
    EXPECT_EQ(doubles(call(*motion, u"GetUserAcceleration")), (std::vector<double>{0, 0, 0}));

    queue.runFor(500ms);
    EXPECT_EQ(call(*motion, u"GetMagnetometer")->Length(), 0) << "a row without magnetometer";
    EXPECT_EQ(doubles(call(*motion, u"GetUserAcceleration")),
              (std::vector<double>{0.001, 0.002, 0.003}));
    EXPECT_EQ(doubles(call(*motion, u"GetAttitude")), (std::vector<double>{0.1, 0.2, 0.3}));

    queue.runFor(500ms);
    EXPECT_EQ(doubles(call(*motion, u"GetMagnetometer")),
              (std::vector<double>{21.123456789, -4.5, -40.25}));

    // Every call makes a new array that later calls do not touch.
    const auto first = motion->GetMagnetometer();
    const auto second = motion->GetMagnetometer();
    EXPECT_NE(first, second);
    first->setObjectFast(0, Value::ofDouble(0));
    EXPECT_EQ(doubles(second)[0], 21.123456789);

    // Stopped: the last sample stays.
    RtCore::runDynamicMethod(Value(motion), u"StopMagnetometer", true);
    EXPECT_EQ(doubles(motion->GetMagnetometer())[2], -40.25);
}

TEST_F(RtMotionTest, ManagersShareTheSourceWithoutSwitchingEachOtherOff) {
    const auto reader = std::make_shared<RtMotion>();
    reader->Initialize();
    reader->StartMagnetometer();
    {
        const auto other = std::make_shared<RtMotion>();
        other->Initialize();
        other->StartMagnetometer();
        other->StopMagnetometer();
        other->StopMagnetometer();
        other->StartMagnetometer();
        // `other` goes away here with its updates running: it stops only its own.
    }
    // A source switched off at 0 ms would keep answering the (empty) sample of that moment.
    queue.runFor(1s);
    EXPECT_EQ(reader->GetMagnetometer()->Length(), 3);

    // Initialize drops the manager, and the new one has started nothing.
    reader->Initialize();
    EXPECT_EQ(reader->GetMagnetometer()->Length(), 0);
}

TEST(RtMotion, InitializeWithoutARegisteredSourceRaises) {
    const RuntimeScope empty;
    RtMotion motion;
    try {
        motion.Initialize();
        FAIL() << "no error";
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"ServiceError");
    }
    EXPECT_FALSE(motion.IsInitialized());
}

}  // namespace
}  // namespace zemtra
