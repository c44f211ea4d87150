// The speech wrapper over the real espeak-ng back end recording to WAV on the virtual clock:
// completion events, clearing, settings in the attached map, voices, calls by name.
#include <gtest/gtest.h>

#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechOutput.h"
#include "platform/espeak/WavFileSink.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/core/TickClock.h"
#include "runtime/lib/RtList.h"
#include "services/MainQueueAccess.h"
#include "services/RtTTS.h"
#include "services/RtTTSDelegate.h"
#include "services/SpeechSynthesizer.h"
#include "tests/platform/espeak/WavTestFile.h"
#include "tests/runtime/Raises.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using namespace std::chrono_literals;
using platform::espeak::EspeakEngine;

class SpeakingModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_talk_complete:", &SpeakingModule::_talk_complete),
        };
        return &table;
    }
    void _talk_complete(const String& text) {
        completed.push_back(toUtf8(text));
        times.push_back(Now());
        sender = RtCore::sender();
    }

    std::vector<std::string> completed;
    std::vector<int64_t> times;
    Value sender;
};

class RtTTSTest : public testing::RuntimeTest {
  protected:
    RtTTSTest() {
        output = platform::espeak::EspeakSpeechOutput::create(
            queueAccess, EspeakEngine::instance(),
            platform::espeak::WavFileSink::create(folder.file("speech.wav"),
                                                  EspeakEngine::instance().sampleRate())
                .value());
        scope.add<platform::SpeechOutput>(output);
        tts->Initialize(module->bi, u"TALK");
    }
    // The recording so far: closing brings the file up to now (a completion's sender, the
    // synthesizer holding the back end, stays alive in the module, so dropping ours is not enough).
    std::vector<int16_t> recording() {
        output->close();
        return testing::readWav(folder.file("speech.wav")).samples;
    }
    int64_t sampleAt(int64_t ticks) const {
        return (ticks - kStartTicks) * EspeakEngine::instance().sampleRate() / 1000;
    }

    testing::TemporaryFolder folder;
    testing::Watchdog watchdog{queue};
    // Before the scope: the back end (kept alive by the module's last sender, which goes with the
    // scope) uses the queue when it goes.
    MainQueueAccess queueAccess{queue};
    RuntimeScope scope;
    std::shared_ptr<platform::espeak::EspeakSpeechOutput> output;
    std::shared_ptr<SpeakingModule> module = StaticModules::New<SpeakingModule>();
    std::shared_ptr<RtTTS> tts = std::make_shared<RtTTS>();
};

TEST_F(RtTTSTest, QueuedUtterancesRaiseOneCompletionEachInOrderWithTheSynthesizerAsSender) {
    tts->Speak(u"good morning", false);
    tts->Speak(u"good night", false);
    EXPECT_TRUE(module->completed.empty());  // speech plays asynchronously
    queue.runFor(4s);
    EXPECT_EQ(module->completed, (std::vector<std::string>{"good morning", "good night"}));
    ASSERT_EQ(module->times.size(), 2u);
    EXPECT_EQ(module->sender.object(), tts->objectOrNull());
    // The second is heard between the completions (when each completion comes is the back end's).
    EXPECT_GT(
        testing::audibleSpan(recording(), sampleAt(module->times[0]), sampleAt(module->times[1]))
            .length(),
        0u);
}

TEST_F(RtTTSTest, ClearingSpeakCutsTheCurrentUtteranceWhichRaisesNothing) {
    tts->Speak(u"this sentence is long enough to be cut off in the middle of a word", true);
    tts->Speak(u"queued behind it", false);
    queue.runFor(600ms);
    tts->Speak(u"Zemtrah", true);
    queue.runFor(3s);
    EXPECT_EQ(module->completed, std::vector<std::string>{"Zemtrah"});
    // "Zemtrah" (under a second long) is all that is heard after the cut.
    const int64_t cut = sampleAt(kStartTicks + 600);
    EXPECT_LT(testing::audibleSpan(recording(), cut).end - cut,
              static_cast<size_t>(sampleAt(kStartTicks + 1000)));
}

TEST_F(RtTTSTest, StopSilencesAndLaterSpeechStillCompletes) {
    tts->Speak(u"one two three four five six seven", false);
    queue.runFor(300ms);
    tts->Stop();
    queue.runFor(3s);
    EXPECT_TRUE(module->completed.empty());
    tts->Speak(u"", false);  // nothing to hear, but it is an utterance all the same
    tts->Speak(u"eight", false);
    queue.runFor(2s);
    EXPECT_EQ(module->completed, (std::vector<std::string>{"", "eight"}));
}

TEST_F(RtTTSTest, SettingsAreStoredAsGivenAndOnlyAffectLaterUtterances) {
    // Beyond what the engine can do, yet read back unchanged (the back end clamps when speaking).
    tts->setPitch(0.1f);
    EXPECT_EQ(tts->Pitch(), 0.1f);
    // As the module sets them, by name (it speaks by name too, which the program's runs hear).
    RtCore::runDynamicMethod(Value(tts), u"setPitch:", true, std::vector{Value::ofDouble(0.3)});
    EXPECT_FLOAT_EQ(tts->Pitch(), 0.3f);

    // The same text at the slowest rate lasts longer than at the fastest.
    tts->setSpeechRate(1.0f);
    tts->Speak(u"settings apply to later speech", false);
    tts->setSpeechRate(0.0f);
    tts->Speak(u"settings apply to later speech", false);
    queue.runFor(10s);
    ASSERT_EQ(module->times.size(), 2u);
    const auto samples = recording();
    const auto fast = testing::audibleSpan(samples, 0, sampleAt(module->times[0]));
    const auto slow =
        testing::audibleSpan(samples, sampleAt(module->times[0]), sampleAt(module->times[1]));
    EXPECT_GT(slow.length(), 2 * fast.length());
}

TEST_F(RtTTSTest, VoicesAreFoundByLanguageAndAnUnknownOneKeepsTheCurrentVoice) {
    const auto languages = tts->GetSupportedLanguages();
    ASSERT_GT(languages->Size(), 10);
    const std::vector<String> codes = testing::texts(*languages);
    EXPECT_NE(std::find(codes.begin(), codes.end(), u"en-us"), codes.end());

    const AttachedMap& map = tts->objectOrNull()->attachedMap();
    EXPECT_FALSE(map.contains(u"voice"));
    EXPECT_TRUE(tts->SetLanguage(u"en_US"));  // case and separator do not matter
    const Value voice = map.at(u"voice");
    EXPECT_FALSE(tts->SetLanguage(u"xx-NOPE"));
    EXPECT_EQ(map.at(u"voice").object(), voice.object());
    tts->Speak(u"still speaking", false);
    queue.runFor(2s);
    EXPECT_EQ(module->completed, std::vector<std::string>{"still speaking"});
}

TEST_F(RtTTSTest, OperationsDoNothingBeforeInitialize) {
    const auto fresh = std::make_shared<RtTTS>();
    fresh->setPitch(2.0f);
    fresh->Speak(u"nobody hears this", true);
    fresh->Stop();
    EXPECT_FALSE(fresh->SetLanguage(u"en-us"));
    EXPECT_EQ(fresh->Status(), u"");
    queue.runFor(2s);
    EXPECT_TRUE(module->completed.empty());
    EXPECT_EQ(fresh->Pitch(), 0.0f);
}

TEST_F(RtTTSTest, InitializeWithoutASpeechBackEndIsAServiceError) {
    const RuntimeScope empty;
    const auto other = std::make_shared<RtTTS>();
    EXPECT_THROW(other->Initialize(module->bi, u"other"), RtException);
}

}  // namespace
}  // namespace zemtra
