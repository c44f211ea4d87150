// The espeak-ng back ends, really synthesising: the WAV recording on the virtual clock (audio,
// timing, cuts, completions), failures made for real (a voice espeak-ng lacks, a file that cannot
// grow, a sound device that stops), the rate and pitch limits, the back-end choice and the choice
// of voice. That two runs of the program give the same recording is an end-to-end test
// (espeak-ng's audio depends on what the process synthesised before, so repeatability is a
// property of whole runs).
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>

#include <gtest/gtest.h>

#include "platform/Diagnostics.h"
#include "platform/espeak/AlsaSink.h"
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechOutput.h"
#include "platform/espeak/SpeechOutputFactory.h"
#include "platform/espeak/WavFileSink.h"
#include "services/MainQueueAccess.h"
#include "tests/platform/espeak/WavTestFile.h"
#include "tests/support/TestSupport.h"

namespace zemtra::platform::espeak {
namespace {

using namespace std::chrono_literals;
using zemtra::testing::audibleSpan;
using zemtra::testing::readWav;

constexpr const char* kSentence = "The quick brown fox jumps over the lazy dog near the river bank";

class WavRecordingTest : public zemtra::testing::RuntimeTest {
  protected:
    std::shared_ptr<EspeakSpeechOutput> record(const std::string& name) {
        auto sink = WavFileSink::create(folder.file(name), engine.sampleRate());
        EXPECT_TRUE(sink) << sink.error();
        return EspeakSpeechOutput::create(queueAccess, engine, std::move(sink).value());
    }
    // Speaks and notes the moment (as a sample position) each completion arrives.
    void speak(EspeakSpeechOutput& output, const std::string& text, float rate = 0.5f,
               const std::string& language = {}) {
        output.speak({text, rate, 1.0f, language}, [this, &output, text] {
            completions.push_back({text, output.nowSample()});
        });
    }
    int64_t samplesIn(std::chrono::milliseconds duration) const {
        return duration.count() * engine.sampleRate() / 1000;
    }

    struct Completion {
        std::string text;
        int64_t at;
        bool operator==(const Completion&) const = default;
    };
    MainQueueAccess queueAccess{queue};
    EspeakEngine& engine = EspeakEngine::instance();
    zemtra::testing::TemporaryFolder folder;
    zemtra::testing::Watchdog watchdog{queue};
    std::vector<Completion> completions;
};

TEST_F(WavRecordingTest, SpeechIsAudibleAndLastsLongerForMoreTextAndShorterAtHigherRates) {
    // Each recording: one utterance spoken at the start of a 10-second run.
    const auto spoken = [&](const std::string& name, const std::string& text, float rate) {
        {
            auto output = record(name);
            speak(*output, text, rate);
            queue.runFor(10s);
        }
        const auto wav = readWav(folder.file(name));
        EXPECT_EQ(wav.sampleRate, engine.sampleRate());
        const auto span = audibleSpan(wav.samples);
        // Heard to its end: the completion comes once the audio is over, not before.
        EXPECT_GE(completions.back().at, static_cast<int64_t>(span.end));
        EXPECT_LT(completions.back().at, static_cast<int64_t>(span.end) + samplesIn(500ms));
        int peak = 0;
        for (const int16_t sample : wav.samples) peak = std::max(peak, std::abs(int{sample}));
        EXPECT_GT(peak, 3000) << name << " is too quiet to be speech";
        return span.length();
    };
    const size_t word = spoken("word.wav", "hello", 0.5f);
    const size_t sentence = spoken("sentence.wav", kSentence, 0.5f);
    const size_t fast = spoken("fast.wav", kSentence, 1.0f);
    EXPECT_GT(word, static_cast<size_t>(samplesIn(150ms)));
    EXPECT_GT(sentence, 3 * word);
    EXPECT_LT(fast, sentence * 3 / 4);
    EXPECT_EQ(completions.size(), 3u);
}

TEST_F(WavRecordingTest, QueuedUtterancesFollowEachOtherAndLaterOnesStartWhenSpoken) {
    auto output = record("queue.wav");
    speak(*output, "one");
    speak(*output, "two");
    queue.runFor(3s);
    ASSERT_EQ(completions.size(), 2u);
    EXPECT_EQ(completions[1].text, "two");
    speak(*output, "three");
    queue.runFor(2s);
    output.reset();

    ASSERT_EQ(completions.size(), 3u);
    const auto wav = readWav(folder.file("queue.wav"));
    ASSERT_EQ(static_cast<int64_t>(wav.samples.size()), samplesIn(5s));
    const auto first = audibleSpan(wav.samples, 0, completions[0].at);
    const auto second = audibleSpan(wav.samples, completions[0].at, completions[1].at);
    const auto third = audibleSpan(wav.samples, completions[1].at);
    EXPECT_GT(first.length(), 0u);

    // "two" starts as soon as "one" has ended; "three" was spoken at 3 s, after a silence.
    EXPECT_LT(static_cast<int64_t>(second.begin) - completions[0].at, samplesIn(150ms));
    EXPECT_LT(completions[1].at, samplesIn(3s));
    EXPECT_GE(static_cast<int64_t>(third.begin), samplesIn(3s));
    EXPECT_LT(static_cast<int64_t>(third.begin), samplesIn(3s) + samplesIn(150ms));
    EXPECT_EQ(audibleSpan(wav.samples, completions[1].at, samplesIn(3s)).length(), 0u);
}

TEST_F(WavRecordingTest, StopCutsTheRecordingAtThatMomentAndRaisesNoCompletionForWhatItCut) {
    {
        auto whole = record("whole.wav");
        speak(*whole, kSentence);
        queue.runFor(6s);
    }
    ASSERT_EQ(completions.size(), 1u);
    const int64_t sentenceEnds = completions[0].at;
    completions.clear();
    {
        auto cut = record("cut.wav");
        speak(*cut, kSentence);
        speak(*cut, "dropped from the queue");
        queue.runFor(700ms);
        cut->stop();
        queue.runFor(2s);
        speak(*cut, "again");
        queue.runFor(2s);
    }
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].text, "again");

    // The sentence would have gone on for more than a second; it is heard up to the cut and not a
    // sample after it, and the queued text never plays.
    const auto cut = readWav(folder.file("cut.wav")).samples;
    const auto at = samplesIn(700ms);
    EXPECT_GT(sentenceEnds, at + samplesIn(1s));
    EXPECT_GT(audibleSpan(cut, at - samplesIn(100ms), at).length(), 0u);
    EXPECT_EQ(audibleSpan(cut, at, samplesIn(2700ms)).length(), 0u);
    const auto again = audibleSpan(cut, samplesIn(2700ms));
    EXPECT_GE(static_cast<int64_t>(again.begin), samplesIn(2700ms));
    EXPECT_LE(static_cast<int64_t>(again.end), completions[0].at);
}

// Stopped while espeak-ng may still be synthesising on its thread.
TEST_F(WavRecordingTest, StopBeforeSynthesisEndsLeavesSilenceAndNoCompletion) {
    {
        auto output = record("stopped.wav");
        speak(*output, kSentence);
        output->stop();
        queue.runFor(2s);
    }
    EXPECT_TRUE(completions.empty());
    EXPECT_EQ(audibleSpan(readWav(folder.file("stopped.wav")).samples).length(), 0u);
}

TEST_F(WavRecordingTest, WhatEspeakCannotSynthesiseIsDroppedSaidOnceAndTheNextUtteranceIsHeard) {
    const DiagnosticsCapture diagnostics;
    auto output = record("voice.wav");
    speak(*output, "first");
    speak(*output, "nobody", 0.5f, "xx-nope");
    speak(*output, "speaks", 0.5f, "xx-nope");
    queue.runFor(1s);
    // Whoever waits for the failed ones hears of them, in their turn, when the one before ends.
    ASSERT_EQ(completions.size(), 3u);
    EXPECT_EQ(completions[1], (Completion{"nobody", completions[0].at}));
    EXPECT_EQ(completions[2], (Completion{"speaks", completions[0].at}));
    const SpeechStatus failing = output->status();
    EXPECT_TRUE(failing.failing);
    EXPECT_EQ(failing.reason,
              "espeak-ng could not synthesise the text: the specified espeak-ng voice does not "
              "exist (error 0x100006ff)");

    speak(*output, "again");
    queue.runFor(2s);
    EXPECT_FALSE(output->status().failing);
    ASSERT_EQ(completions.size(), 4u);
    output.reset();
    EXPECT_EQ(diagnostics.texts(),
              (std::vector<std::string>{"speech failed: " + failing.reason, "speech works again"}));
    const auto wav = readWav(folder.file("voice.wav")).samples;
    EXPECT_EQ(audibleSpan(wav, completions[0].at, samplesIn(1s)).length(), 0u);
    EXPECT_GT(audibleSpan(wav, samplesIn(1s), completions[3].at).length(),
              static_cast<size_t>(samplesIn(150ms)));
}

TEST_F(WavRecordingTest, ARecordingThatCannotGrowLosesWhatWasDueAndGoesOnOnceItCan) {
    const DiagnosticsCapture diagnostics;
    zemtra::testing::FileSizeLimit limit(44 + 2 * samplesIn(1s));
    auto output = record("full.wav");
    speak(*output, "one");
    queue.runFor(2s);
    EXPECT_FALSE(output->status().failing) << "under a second is written";
    speak(*output, "two");
    queue.runFor(2s);
    ASSERT_EQ(completions.size(), 2u) << "the timeline goes on";
    const SpeechStatus failing = output->status();  // its text: the program's health test
    EXPECT_TRUE(failing.failing);

    limit.lift();
    speak(*output, "three");
    queue.runFor(2s);
    EXPECT_FALSE(output->status().failing);
    output.reset();
    EXPECT_EQ(diagnostics.texts(),
              (std::vector<std::string>{"speech failed: " + failing.reason, "speech works again"}));
    // The recording keeps its timeline: "two" is lost, "three" is heard when it was spoken.
    const auto wav = readWav(folder.file("full.wav")).samples;
    ASSERT_EQ(static_cast<int64_t>(wav.size()), samplesIn(6s));
    EXPECT_GT(audibleSpan(wav, 0, completions[0].at).length(), 0u);
    EXPECT_EQ(audibleSpan(wav, completions[0].at, samplesIn(4s)).length(), 0u);
    const auto three = audibleSpan(wav, samplesIn(4s));
    EXPECT_GT(three.length(), 0u);
    EXPECT_LT(static_cast<int64_t>(three.begin), samplesIn(4s) + samplesIn(150ms));
}

// ALSA's file plugin is a real device, writing what it plays to a file; past the file size limit
// its writes fail and its stream cannot be recovered.
TEST(AlsaSinkTest, ADeviceThatStopsLosesThatAudioSaysSoOnceAndIsOpenedAnewForTheNext) {
    const zemtra::testing::TemporaryFolder folder;
    const std::string file = folder.file("card.raw");
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Result<void>> deliveries;
    {
        const zemtra::testing::FileSizeLimit limit(20000);
        auto sink = AlsaSink::open(22050, "file:'" + file + "',raw");
        ASSERT_TRUE(sink) << sink.error();
        (*sink)->setDeliveryListener([&](const Result<void>& delivery) {
            const std::lock_guard lock(mutex);
            deliveries.push_back(delivery);
            changed.notify_all();
        });
        // Two that do not fit in the file (the second after the device was opened anew), then one
        // that does.
        (*sink)->play(0, std::vector<int16_t>(22050, 1000));
        (*sink)->play(22050, std::vector<int16_t>(22050, 2000));
        (*sink)->play(44100, std::vector<int16_t>(2000, 3000));
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return deliveries.size() >= 2; }));
    }
    ASSERT_EQ(deliveries.size(), 2u);
    ASSERT_FALSE(deliveries[0]);
    EXPECT_EQ(deliveries[0].error(), "the sound card stopped: Input/output error");
    EXPECT_TRUE(deliveries[1]);
    const std::string played = zemtra::testing::readFile(file);
    ASSERT_EQ(played.size(), 4000u) << "the last utterance alone, on the device opened anew";
    EXPECT_EQ(played.substr(0, 2), "\xb8\x0b");  // 3000, little-endian
}

// The wrapper's values onto espeak-ng's, clamped at the engine's limits.
TEST(EspeakSettingsTest, RateAndPitchMapOntoTheEnginesRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // The ends and normal of each range, and what lies outside it (negative pitch gives garbage).
    const std::pair<float, int> rates[] = {{0.0f, 80},  {0.5f, 175}, {1.0f, 450},
                                           {-2.0f, 80}, {7.0f, 450}, {nan, 175}};
    for (const auto& [rate, wordsPerMinute] : rates)
        EXPECT_EQ(wordsPerMinuteFor(rate), wordsPerMinute) << rate;
    const std::pair<float, int> pitches[] = {{1.0f, 50}, {0.5f, 0},   {2.0f, 99},
                                             {-1.0f, 0}, {40.0f, 99}, {nan, 50}};
    for (const auto& [multiplier, pitch] : pitches)
        EXPECT_EQ(pitchFor(multiplier), pitch) << multiplier;
}

class SpeechOutputChoiceTest : public zemtra::testing::RuntimeTest {
  protected:
    MainQueueAccess queueAccess{queue};
    zemtra::testing::TemporaryFolder folder;
    zemtra::testing::Watchdog watchdog{queue};
};

// What --speech accepts is the command line's to say; here, a file that cannot be written.
TEST_F(SpeechOutputChoiceTest, AnUnwritableRecordingIsRefusedWithItsPath) {
    const auto unwritable =
        createSpeechOutput("wav:" + folder.file("missing/dir/x.wav"), queueAccess);
    ASSERT_FALSE(unwritable);
    EXPECT_NE(unwritable.error().find("missing/dir/x.wav"), std::string::npos);
}

TEST_F(SpeechOutputChoiceTest, NoneCompletesEachUtteranceInOrderUnlessStopped) {
    const auto choice = createSpeechOutput("none", queueAccess);
    ASSERT_TRUE(choice) << choice.error();
    const auto& output = *choice;
    std::vector<std::string> finished;
    for (const std::string text : {"a", "b"})
        output->speak({text, 0.5f, 1.0f, {}}, [&finished, text] { finished.push_back(text); });
    EXPECT_TRUE(finished.empty());  // never from inside speak()
    queue.runUntilIdle();
    EXPECT_EQ(finished, (std::vector<std::string>{"a", "b"}));
    output->speak({"c", 0.5f, 1.0f, {}}, [&finished] { finished.push_back("c"); });
    output->stop();
    queue.runUntilIdle();
    EXPECT_EQ(finished.size(), 2u);
}

TEST(VoiceChoice, AVoiceIsNamedByItsLanguageOrItsNameWhateverTheCase) {
    const std::vector<SpeechVoiceInfo> voices = {{"German", "de"},
                                                 {"English (Great Britain)", "en-gb"},
                                                 {"English (America)", "en-us"},
                                                 {"Swiss", "de-ch"}};
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"de", "de"},
        {"german", "de"},
        {"de-CH", "de-ch"},
        {"English_(America)", "en-us"},  // as espeak-ng's own list spells it
        {"english (great britain)", "en-gb"},
        {"fr", ""},
        {"Germ", ""},
        {"", ""},
    };
    for (const auto& [name, language] : rows) {
        const auto found = findVoice(voices, name);
        EXPECT_EQ(found ? found->language : "", language) << name;
    }
    // espeak-ng-data ships a German voice, and the program's German is that one.
    const auto installed = installedVoices();
    ASSERT_TRUE(installed) << installed.error();
    const auto german = findVoice(*installed, "de");
    ASSERT_TRUE(german);
    EXPECT_EQ(german->name, "German");
}

}  // namespace
}  // namespace zemtra::platform::espeak
