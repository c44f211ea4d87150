// The espeak-ng back end's timeline.
#include "platform/espeak/EspeakSpeechOutput.h"

#include <algorithm>

#include "platform/Diagnostics.h"
#include "platform/espeak/EspeakEngine.h"

namespace zemtra::platform::espeak {

namespace {
constexpr int64_t kNanosPerSecond = 1'000'000'000;
}

std::shared_ptr<EspeakSpeechOutput> EspeakSpeechOutput::create(ProgramQueue& queue,
                                                               EspeakEngine& engine,
                                                               std::unique_ptr<AudioSink> sink,
                                                               std::string language) {
    auto output = std::make_shared<EspeakSpeechOutput>(Passkey{}, queue, engine, std::move(sink),
                                                       std::move(language));
    // The sink may speak from a thread of its own: its word reaches the output on the main queue.
    output->sink_->setDeliveryListener(
        [self = std::weak_ptr(output), &queue](const Result<void>& delivery) {
            queue.post([self, delivery] {
                const auto output = self.lock();
                if (output && !output->closed_) output->note(output->deliveryFailure_, delivery);
            });
        });
    return output;
}

EspeakSpeechOutput::EspeakSpeechOutput(Passkey, ProgramQueue& queue, EspeakEngine& engine,
                                       std::unique_ptr<AudioSink> sink, std::string language)
    : queue_(queue),
      engine_(engine),
      language_(std::move(language)),
      sink_(std::move(sink)),
      sampleRate_(engine.sampleRate()),
      origin_(queue.now()) {}

EspeakSpeechOutput::~EspeakSpeechOutput() {
    close();
}

void EspeakSpeechOutput::close() {
    if (closed_) return;
    closed_ = true;
    for (const Utterance& utterance : utterances_) utterance.cancelled->store(true);
    utterances_.clear();
    {
        std::unique_lock lock(inFlight_->mutex);
        inFlight_->idle.wait(lock, [this] { return inFlight_->count == 0; });
    }
    // The recording runs to the end of the run; what is still to be heard is cut there.
    sink_->advanceTo(nowSample());
    sink_.reset();
}

int64_t EspeakSpeechOutput::nowSample() const {
    const int64_t elapsed = (queue_.now() - origin_).count();
    // Split so that long runs cannot overflow the product.
    return elapsed / kNanosPerSecond * sampleRate_ +
           elapsed % kNanosPerSecond * sampleRate_ / kNanosPerSecond;
}

std::chrono::nanoseconds EspeakSpeechOutput::timeOf(int64_t sample) const {
    // Rounded up, so that nowSample() at that moment has reached `sample`.
    const int64_t seconds = sample / sampleRate_;
    const int64_t rest = sample % sampleRate_;
    return origin_ +
           std::chrono::nanoseconds(seconds * kNanosPerSecond +
                                    (rest * kNanosPerSecond + sampleRate_ - 1) / sampleRate_);
}

void EspeakSpeechOutput::speak(SpeechUtterance utterance, std::function<void()> finished) {
    if (closed_) return;
    const uint64_t id = ++nextId_;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    utterances_.push_back({id, nowSample(), std::nullopt, cancelled, std::move(finished)});

    auto samples = std::make_shared<std::vector<int16_t>>();
    // Held until the result is on the main queue, so a virtual clock waits for it.
    auto work = queue_.holdExternalWork();
    {
        std::lock_guard lock(inFlight_->mutex);
        ++inFlight_->count;
    }
    EspeakEngine::Job job;
    job.text = std::move(utterance.text);
    if (utterance.language.empty()) utterance.language = language_;
    job.settings = settingsFor(utterance);
    job.cancelled = cancelled;
    // A repeatable run must not depend on how far synthesis had got when a cut came.
    job.synthesiseWhole = queue_.isVirtualClock();
    job.onSamples = [samples](std::span<const int16_t> piece) {
        samples->insert(samples->end(), piece.begin(), piece.end());
    };
    job.onDone = [self = weak_from_this(), &queue = queue_, id, samples, work,
                  inFlight = inFlight_](const Result<bool>& heardWhole) mutable {
        if (!heardWhole) {
            queue.post([self, id, reason = heardWhole.error()] {
                if (const auto output = self.lock()) output->failed(id, reason);
            });
        } else if (*heardWhole) {
            queue.post([self, id, samples] {
                if (const auto output = self.lock()) output->synthesised(id, std::move(*samples));
            });
        }
        work.reset();
        std::lock_guard lock(inFlight->mutex);
        if (--inFlight->count == 0) inFlight->idle.notify_all();
    };
    engine_.submit(std::move(job));
}

void EspeakSpeechOutput::synthesised(uint64_t id, std::vector<int16_t> samples) {
    if (closed_) return;
    note(synthesisFailure_, {});
    layOut(id, std::move(samples));
}

void EspeakSpeechOutput::failed(uint64_t id, const std::string& reason) {
    if (closed_) return;
    note(synthesisFailure_, fail(reason));
    // Dropped, but whoever waits for its end still hears of it, in its turn.
    layOut(id, {});
}

void EspeakSpeechOutput::layOut(uint64_t id, std::vector<int16_t> samples) {
    const auto found = std::find_if(utterances_.begin(), utterances_.end(),
                                    [id](const Utterance& u) { return u.id == id; });
    if (found == utterances_.end()) return;  // dropped by stop() meanwhile
    const int64_t start = std::max(found->spokenAt, timelineEnd_);
    const int64_t end = start + static_cast<int64_t>(samples.size());
    found->end = end;
    timelineEnd_ = end;
    // Under a real clock synthesis took a moment; a sink that cannot go back starts late.
    if (!samples.empty()) sink_->play(start, std::move(samples));
    sink_->advanceTo(nowSample());
    const auto delay = std::max(timeOf(end) - queue_.now(), std::chrono::nanoseconds(0));
    queue_.postDelayed(delay, [self = weak_from_this(), id] {
        if (const auto output = self.lock()) output->complete(id);
    });
}

void EspeakSpeechOutput::note(std::optional<std::string>& failure, const Result<void>& outcome) {
    const SpeechStatus before = status();
    failure = outcome ? std::nullopt : std::optional(outcome.error());
    const SpeechStatus after = status();
    if (after.failing == before.failing && after.reason == before.reason) return;
    if (after.failing)
        diagnostics::warning("speech failed: " + after.reason);
    else
        diagnostics::info("speech works again");
}

SpeechStatus EspeakSpeechOutput::status() const {
    if (deliveryFailure_) return {true, *deliveryFailure_};
    if (synthesisFailure_) return {true, *synthesisFailure_};
    return {};
}

void EspeakSpeechOutput::complete(uint64_t id) {
    const auto found = std::find_if(utterances_.begin(), utterances_.end(),
                                    [id](const Utterance& u) { return u.id == id; });
    if (found == utterances_.end()) return;  // cut off by stop()
    std::function<void()> finished = std::move(found->finished);
    utterances_.erase(found);
    sink_->advanceTo(nowSample());
    if (finished) finished();
}

void EspeakSpeechOutput::stop() {
    if (closed_) return;
    const int64_t now = nowSample();
    sink_->advanceTo(now);
    sink_->cutAt(now);
    // Keep only utterances heard whole by now (their completion is due at this very moment).
    std::erase_if(utterances_, [now](const Utterance& utterance) {
        const bool heardWhole = utterance.end && *utterance.end <= now;
        if (!heardWhole) utterance.cancelled->store(true);
        return !heardWhole;
    });
    timelineEnd_ = std::min(timelineEnd_, now);
}

std::vector<SpeechVoiceInfo> EspeakSpeechOutput::voices() const {
    return engine_.voices();
}

}  // namespace zemtra::platform::espeak
