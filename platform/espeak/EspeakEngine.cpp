// espeak-ng in retrieval mode: one job at a time on the engine's thread, samples handed over from
// espeak-ng's callback, cancellation through the callback's abort answer.
#include "platform/espeak/EspeakEngine.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace zemtra::platform::espeak {

namespace {

constexpr int kMinimumWordsPerMinute = espeakRATE_MINIMUM;  // the engine clamps below this
constexpr int kMaximumWordsPerMinute = espeakRATE_MAXIMUM;
constexpr int kNormalWordsPerMinute = espeakRATE_NORMAL;
constexpr int kMaximumPitch = 99;  // higher values are clamped by the engine, negative ones garble
constexpr int kNormalPitch = 50;

// Set once the engine exists; the callback has no other way to find it.
std::atomic<EspeakEngine*> theEngine{nullptr};

int synthCallback(short* samples, int count, espeak_EVENT* events) {
    EspeakEngine* engine = theEngine.load();
    if (!engine) return 1;
    uintptr_t message = 0;
    bool ended = false;
    for (const espeak_EVENT* event = events; event && event->type != espeakEVENT_LIST_TERMINATED;
         ++event) {
        if (event->user_data) message = reinterpret_cast<uintptr_t>(event->user_data);
        if (event->type == espeakEVENT_MSG_TERMINATED) ended = true;
    }
    const std::span<const int16_t> piece(samples, samples ? static_cast<size_t>(count) : 0);
    return engine->deliver(piece, message, ended) ? 1 : 0;
}

std::vector<SpeechVoiceInfo> listVoices() {
    std::vector<SpeechVoiceInfo> voices;
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (; list && *list; ++list) {
        const espeak_VOICE& voice = **list;
        // `languages` is a priority byte followed by the language code; the first one names it.
        const char* languages = voice.languages;
        if (!languages || !languages[0]) continue;
        voices.push_back({voice.name ? voice.name : "", std::string(languages + 1)});
    }
    return voices;
}

// espeak-ng's status in the words a person reads on the screen.
Failure synthesisFailure(espeak_ng_STATUS status) {
    char message[256] = "";
    espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
    message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
    char code[32];
    std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(status));
    std::string reason = "espeak-ng could not synthesise the text";
    if (message[0]) reason += std::string(": ") + message;
    return fail(reason + " (error " + code + ")");
}

}  // namespace

int wordsPerMinuteFor(float rate) {
    if (!std::isfinite(rate)) return kNormalWordsPerMinute;
    const double r = std::clamp(static_cast<double>(rate), 0.0, 1.0);
    // Two straight pieces so that 0.5 is exactly the engine's normal rate.
    const double wpm =
        r <= 0.5 ? kMinimumWordsPerMinute + (kNormalWordsPerMinute - kMinimumWordsPerMinute) * r * 2
                 : kNormalWordsPerMinute +
                       (kMaximumWordsPerMinute - kNormalWordsPerMinute) * (r - 0.5) * 2;
    return static_cast<int>(std::lround(wpm));
}

int pitchFor(float multiplier) {
    if (!std::isfinite(multiplier)) return kNormalPitch;
    // One octave either way spans the engine's range: 0.5 -> 0, 1 -> 50, 2 -> 100 (99).
    const double m = std::clamp(static_cast<double>(multiplier), 0.5, 2.0);
    const long pitch = std::lround(kNormalPitch + kNormalPitch * std::log2(m));
    return static_cast<int>(std::clamp(pitch, 0L, static_cast<long>(kMaximumPitch)));
}

EspeakSettings settingsFor(const SpeechUtterance& utterance) {
    return {wordsPerMinuteFor(utterance.rate), pitchFor(utterance.pitch), utterance.language};
}

EspeakEngine& EspeakEngine::instance() {
    static EspeakEngine engine;
    return engine;
}

EspeakEngine::EspeakEngine() {
    // 100 ms buffers: small pieces reach the sink soon after synthesis starts.
    sampleRate_ = espeak_Initialize(AUDIO_OUTPUT_RETRIEVAL, 100, nullptr, 0);
    if (sampleRate_ <= 0) throw std::runtime_error("espeak-ng could not be initialised");
    espeak_SetSynthCallback(synthCallback);
    voices_ = listVoices();
    theEngine.store(this);
    thread_ = std::thread([this] { run(); });
}

EspeakEngine::~EspeakEngine() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
        for (Job& job : jobs_) job.cancelled->store(true);
    }
    changed_.notify_all();
    thread_.join();
    theEngine.store(nullptr);
    espeak_Terminate();
}

void EspeakEngine::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void EspeakEngine::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return quitting_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Result<void> synthesis;
        if (job.synthesiseWhole || !job.cancelled->load()) synthesis = synthesise(job);
        if (!job.onDone) continue;
        if (synthesis)
            job.onDone(!job.cancelled->load());
        else
            job.onDone(synthesis.failure());
    }
}

Result<void> EspeakEngine::synthesise(Job& job) {
    espeak_VOICE voice{};
    const std::string language = job.settings.language.empty() ? "en" : job.settings.language;
    voice.languages = language.c_str();
    // Spoken in another voice than asked, the text would be heard in the wrong language.
    if (const espeak_ng_STATUS status = espeak_ng_SetVoiceByProperties(&voice); status != ENS_OK)
        return synthesisFailure(status);
    espeak_SetParameter(espeakRATE, job.settings.wordsPerMinute, 0);
    espeak_SetParameter(espeakPITCH, job.settings.pitch, 0);

    std::unique_lock lock(synthesisMutex_);
    current_ = &job;
    ++currentMessage_;
    messageEnded_ = false;
    const uintptr_t message = currentMessage_;
    lock.unlock();

    const espeak_ng_STATUS status =
        espeak_ng_Synthesize(job.text.c_str(), job.text.size() + 1, 0, POS_CHARACTER, 0,
                             espeakCHARS_UTF8, nullptr, reinterpret_cast<void*>(message));

    lock.lock();
    if (status == ENS_OK) {
        // espeak-ng ends every message it accepted with MSG_TERMINATED, cut off or not; the limit
        // only guards against an engine fault leaving this thread waiting for ever.
        synthesisEnded_.wait_for(lock, std::chrono::seconds(30), [this] { return messageEnded_; });
    }
    const bool ended = messageEnded_;
    current_ = nullptr;
    if (status != ENS_OK) return synthesisFailure(status);
    if (!ended) return fail("espeak-ng did not finish the text");
    return {};
}

bool EspeakEngine::deliver(std::span<const int16_t> samples, uintptr_t message, bool ended) {
    std::lock_guard lock(synthesisMutex_);
    if (!current_ || (message != 0 && message != currentMessage_)) return true;
    const bool cancelled = current_->cancelled->load();
    if (!cancelled && !samples.empty() && current_->onSamples) current_->onSamples(samples);
    if (ended) {
        messageEnded_ = true;
        synthesisEnded_.notify_all();
    }
    return cancelled && !current_->synthesiseWhole;
}

}  // namespace zemtra::platform::espeak
