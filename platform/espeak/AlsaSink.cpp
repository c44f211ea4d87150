// The ALSA sound-card sink.
#include "platform/espeak/AlsaSink.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <string>

namespace zemtra::platform::espeak {

struct AlsaSink::Device {
    snd_pcm_t* pcm = nullptr;
    ~Device() {
        if (pcm) snd_pcm_close(pcm);
    }
};

namespace {
constexpr unsigned kLatencyMicroseconds = 50'000;

// libasound prints its own complaints (several lines when there is no card); the program says
// once, in its own words, what went wrong instead.
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

constexpr int kWaitMilliseconds =
    5;  // how often the player looks for a cut while the device is full
}  // namespace

Result<std::unique_ptr<AlsaSink>> AlsaSink::open(int sampleRate) {
    snd_lib_error_set_handler(quietAlsaErrors);
    auto device = std::make_unique<Device>();
    int status = snd_pcm_open(&device->pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (status < 0) {
        device->pcm = nullptr;
        return fail(std::string("no sound card for speech (") + snd_strerror(status) + ")");
    }
    status = snd_pcm_set_params(device->pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                1, static_cast<unsigned>(sampleRate), 1, kLatencyMicroseconds);
    if (status < 0) {
        return fail(std::string("the sound card refuses speech audio (") + snd_strerror(status) +
                    ")");
    }
    return std::make_unique<AlsaSink>(std::move(device));
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

void AlsaSink::run() {
    snd_pcm_t* pcm = device_->pcm;
    uint64_t seenCuts = cuts_.load();
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
                snd_pcm_drop(pcm);
                snd_pcm_prepare(pcm);
                continue;
            }
            samples = std::move(queued_.front());
            queued_.pop_front();
        }
        size_t done = 0;
        while (done < samples.size() && cuts_.load() == seenCuts) {
            const snd_pcm_sframes_t written = snd_pcm_writei(
                pcm, samples.data() + done, static_cast<snd_pcm_uframes_t>(samples.size() - done));
            if (written == -EAGAIN) {
                snd_pcm_wait(pcm, kWaitMilliseconds);
                continue;
            }
            if (written < 0) {
                // An underrun between utterances, or a device that went away: recover or give up
                // on this piece.
                if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) break;
                continue;
            }
            done += static_cast<size_t>(written);
        }
    }
    snd_pcm_drop(pcm);
}

}  // namespace zemtra::platform::espeak
