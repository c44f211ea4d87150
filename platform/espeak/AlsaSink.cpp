// The ALSA sound-card sink.
#include "platform/espeak/AlsaSink.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>

namespace zemtra::platform::espeak {

namespace {

constexpr unsigned kLatencyMicroseconds = 50'000;
constexpr int kWaitMilliseconds =
    5;  // how often the player looks for a cut while the device is full
// A device that takes nothing for this long has stopped, whatever it says.
constexpr auto kStallLimit = std::chrono::seconds(2);

// libasound prints its own complaints (several lines when there is no card); the program says
// once, in its own words, what went wrong instead.
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

Failure stopped(const std::string& reason) {
    return fail("the sound card stopped: " + reason);
}

}  // namespace

struct AlsaSink::Device {
    std::string name;
    int sampleRate = 0;
    snd_pcm_t* pcm = nullptr;

    ~Device() { close(); }
    void close() {
        if (pcm) snd_pcm_close(pcm);
        pcm = nullptr;
    }
    // Opens the device for speech audio; the reason in ALSA's words when it cannot.
    Result<void> open() {
        close();
        int status = snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
        if (status < 0) {
            pcm = nullptr;
            return fail(std::string("no sound card for speech (") + snd_strerror(status) + ")");
        }
        status = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                                    static_cast<unsigned>(sampleRate), 1, kLatencyMicroseconds);
        if (status < 0) {
            close();
            return fail(std::string("the sound card refuses speech audio (") +
                        snd_strerror(status) + ")");
        }
        return {};
    }
};

Result<std::unique_ptr<AlsaSink>> AlsaSink::open(int sampleRate, const std::string& device) {
    snd_lib_error_set_handler(quietAlsaErrors);
    auto opened = std::make_unique<Device>();
    opened->name = device;
    opened->sampleRate = sampleRate;
    if (const auto status = opened->open(); !status) return status.failure();
    return std::make_unique<AlsaSink>(std::move(opened));
}

AlsaSink::AlsaSink(std::unique_ptr<Device> device) : device_(std::move(device)) {
    thread_ = std::thread([this] { run(); });
}

AlsaSink::~AlsaSink() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
        queued_.clear();
    }
    cuts_.fetch_add(1);
    changed_.notify_all();
    thread_.join();
}

void AlsaSink::play(int64_t, std::vector<int16_t> samples) {
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(samples));
    }
    changed_.notify_all();
}

void AlsaSink::cutAt(int64_t) {
    {
        std::lock_guard lock(mutex_);
        queued_.clear();
    }
    cuts_.fetch_add(1);
    changed_.notify_all();
}

void AlsaSink::setDeliveryListener(DeliveryListener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void AlsaSink::run() {
    uint64_t seenCuts = cuts_.load();
    bool delivering = true;
    for (;;) {
        std::vector<int16_t> samples;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(
                lock, [&] { return quitting_ || !queued_.empty() || cuts_.load() != seenCuts; });
            if (quitting_) break;
            if (cuts_.load() != seenCuts) {
                // Silences at once, discarding what the device still holds (its last 50 ms too).
                seenCuts = cuts_.load();
                lock.unlock();
                if (device_->pcm) {
                    snd_pcm_drop(device_->pcm);
                    snd_pcm_prepare(device_->pcm);
                }
                continue;
            }
            samples = std::move(queued_.front());
            queued_.pop_front();
        }
        const Result<void> played = playPiece(samples, seenCuts);
        if (played.ok() == delivering) continue;
        delivering = played.ok();
        std::unique_lock lock(mutex_);
        const DeliveryListener listener = listener_;
        lock.unlock();
        if (listener) listener(played);
    }
    if (device_->pcm) snd_pcm_drop(device_->pcm);
}

Result<void> AlsaSink::playPiece(const std::vector<int16_t>& samples, uint64_t seenCuts) {
    // A device that stopped before is opened anew: a card unplugged and plugged back in, or a
    // sound server that restarted, is a new device.
    if (!device_->pcm) {
        if (const auto opened = device_->open(); !opened) return stopped(opened.error());
    }
    snd_pcm_t* pcm = device_->pcm;
    size_t done = 0;
    auto progress = std::chrono::steady_clock::now();
    while (done < samples.size() && cuts_.load() == seenCuts) {
        if (std::chrono::steady_clock::now() - progress > kStallLimit) {
            device_->close();
            return stopped("it takes no audio");
        }
        snd_pcm_sframes_t written = snd_pcm_writei(
            pcm, samples.data() + done, static_cast<snd_pcm_uframes_t>(samples.size() - done));
        if (written == -EAGAIN) {
            const int ready = snd_pcm_wait(pcm, kWaitMilliseconds);
            if (ready >= 0) continue;
            written = ready;
        }
        if (written < 0) {
            // An underrun between utterances or a suspend is recovered; anything else, or a
            // recovery that fails, has stopped the device.
            const int recovered = snd_pcm_recover(pcm, static_cast<int>(written), 1);
            if (recovered < 0) {
                device_->close();
                return stopped(snd_strerror(recovered));
            }
            continue;
        }
        done += static_cast<size_t>(written);
        progress = std::chrono::steady_clock::now();
    }
    return {};
}

}  // namespace zemtra::platform::espeak
