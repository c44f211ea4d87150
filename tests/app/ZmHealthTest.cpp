// The device services' health on the main screen, with the real speech wrapper over espeak-ng
// recording to a WAV file that stops growing for real (a file size limit): the notice line and
// the log say so once, words go on, and the line clears when speech is heard again. The source
// line under it, over a sensor source whose status the test sets.
#include <gtest/gtest.h>

#include "platform/Diagnostics.h"
#include "platform/MotionSource.h"
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechOutput.h"
#include "platform/espeak/WavFileSink.h"
#include "runtime/core/TickClock.h"
#include "runtime/lib/ClassRegistry.h"
#include "services/MainQueueAccess.h"
#include "services/RtTTS.h"
#include "tests/app/AppTestSupport.h"
#include "tests/platform/espeak/WavTestFile.h"

namespace zemtra {
namespace {

using platform::espeak::EspeakEngine;

class SpeechHealthTest : public testing::AppTest {
  protected:
    SpeechHealthTest() {
        output = platform::espeak::EspeakSpeechOutput::create(
            queueAccess, EspeakEngine::instance(),
            platform::espeak::WavFileSink::create(recording, rate).value());
        scope.add<platform::SpeechOutput>(output);
        ClassRegistry::instance().add<RtTTS>(u"RtTTS");  // the real wrapper, not the stand-in
        start();
        module()._tmr1->setEnabled(true);  // the display timer, as the generator switch starts it
    }
    ~SpeechHealthTest() override { output->close(); }

    // Runs until `milliseconds` after the test's start, then says word `index`.
    void sayAt(int64_t milliseconds, int32_t index) {
        runFor(kStartTicks + milliseconds - Now());
        module()._sayit(index);
    }
    int64_t sampleAt(int64_t milliseconds) const { return milliseconds * rate / 1000; }
    int64_t logged(const std::string& text) const {
        return std::count(log.lines.begin(), log.lines.end(), text);
    }

    const platform::DiagnosticsCapture diagnostics;
    const int rate = EspeakEngine::instance().sampleRate();
    const std::string recording = folder.file("speech.wav");
    MainQueueAccess queueAccess{queue};
    std::shared_ptr<platform::espeak::EspeakSpeechOutput> output;
};

TEST_F(SpeechHealthTest, ASpeechFailureIsShownAndLoggedOnceWordsGoOnAndItClearsWhenSpeechIsBack) {
    const std::string failed = "Speech failed: the speech recording could not be written (" +
                               recording + "): File too large";
    // The recording can hold two and a half seconds: w5 fits, w6 does not.
    testing::FileSizeLimit limit(44 + 2 * sampleAt(2500));
    sayAt(300, 5);
    sayAt(3000, 6);
    runFor(3000);
    EXPECT_EQ(text("lblnotice"), failed);
    EXPECT_EQ(logged(failed), 1) << "once, whatever the ticks since";

    limit.lift();
    sayAt(6000, 7);
    runFor(1000);
    EXPECT_EQ(text("lblnotice"), "");
    EXPECT_EQ(logged("Speech works again"), 1);
}

// A sensor source whose status the test sets.
class StatusSource final : public platform::MotionSource {
  public:
    void start(platform::MotionKind) override {}
    void stop(platform::MotionKind) override {}
    std::optional<platform::MagneticField> latestMagneticField() const override { return {}; }
    std::optional<platform::DeviceMotion> latestDeviceMotion() const override { return {}; }
    platform::MotionSourceStatus status() const override { return current; }
    platform::MotionSourceStatus current;
};

class SourceLineTest : public testing::AppTest {
  protected:
    SourceLineTest() { scope.add<platform::MotionSource>(source); }
    std::shared_ptr<StatusSource> source = std::make_shared<StatusSource>();
};

// The source's description and rate, its loss at the display tick, and the simulated sensors
// said to be a random generator on the screen and once in the log.
TEST_F(SourceLineTest, TheLineSaysWhatTheSensorsAreAndFollowsTheirHealthAtTheDisplayTick) {
    const std::string simulated = "Simulated sensors: the words come from a random generator";
    source->current.description = "Simulated sensors";
    source->current.simulated = true;
    start();
    EXPECT_EQ(text("lblsource"), simulated);
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), simulated), 1);

    module()._label1_click();  // on: the display timer runs
    source->current = {};
    source->current.description = "IIO accel_3d + magn_3d";
    source->current.samplesPerSecond = 49.6;
    runFor(200);
    EXPECT_EQ(text("lblsource"), "IIO accel_3d + magn_3d \u00B7 50 samples/s");
    source->current.lost = true;
    source->current.reason = "no answer for 3 s";
    runFor(200);
    EXPECT_EQ(text("lblsource"), "Sensors lost: no answer for 3 s");
}

}  // namespace
}  // namespace zemtra
