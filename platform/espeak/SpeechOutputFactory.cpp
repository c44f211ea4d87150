// The choice of speech back end.
#include "platform/espeak/SpeechOutputFactory.h"

#include "platform/Diagnostics.h"
#include "platform/espeak/AlsaSink.h"
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechOutput.h"
#include "platform/espeak/NoSpeechOutput.h"
#include "platform/espeak/WavFileSink.h"

#include <cctype>
#include <stdexcept>

namespace zemtra::platform::espeak {

namespace {

// Takes what a sound card would have played and lets it go.
class SilentSink final : public AudioSink {
  public:
    void play(int64_t, std::vector<int16_t>) override {}
    void cutAt(int64_t) override {}
    void advanceTo(int64_t) override {}
};

}  // namespace

Result<std::vector<SpeechVoiceInfo>> installedVoices() {
    try {
        return EspeakEngine::instance().voices();
    } catch (const std::runtime_error& error) {
        return fail(error.what());
    }
}

std::optional<SpeechVoiceInfo> findVoice(const std::vector<SpeechVoiceInfo>& voices,
                                         std::string_view name) {
    const auto comparable = [](std::string_view text) {
        std::string folded(text);
        for (char& c : folded) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (c == '_') c = ' ';
        }
        return folded;
    };
    const std::string wanted = comparable(name);
    if (wanted.empty()) return std::nullopt;
    // Languages first: each voice has its own, while names need not be unique.
    for (const SpeechVoiceInfo& voice : voices) {
        if (comparable(voice.language) == wanted) return voice;
    }
    for (const SpeechVoiceInfo& voice : voices) {
        if (comparable(voice.name) == wanted) return voice;
    }
    return std::nullopt;
}

Result<std::shared_ptr<SpeechOutput>> createSpeechOutput(const std::string& option,
                                                         ProgramQueue& queue,
                                                         const std::string& language) {
    if (option == "none")
        return std::shared_ptr<SpeechOutput>(std::make_shared<NoSpeechOutput>(queue));
    const bool toFile = option.starts_with("wav:");
    if (option != "espeak" && !toFile)
        return fail("--speech takes espeak, wav:FILE or none, got '" + option + "'");
    if (toFile && option.size() == 4) return fail("--speech wav: needs a file name");

    EspeakEngine* engine = nullptr;
    try {
        engine = &EspeakEngine::instance();
    } catch (const std::runtime_error& error) {
        return fail(error.what());
    }
    std::unique_ptr<AudioSink> sink;
    if (toFile) {
        auto file = WavFileSink::create(option.substr(4), engine->sampleRate());
        if (!file) return file.failure();
        sink = std::move(file).value();
    } else if (auto card = AlsaSink::open(engine->sampleRate())) {
        sink = std::move(card).value();
    } else {
        diagnostics::warning(card.error() + "; speech goes on silently");
        sink = std::make_unique<SilentSink>();
    }
    return std::shared_ptr<SpeechOutput>(
        EspeakSpeechOutput::create(queue, *engine, std::move(sink), language));
}

}  // namespace zemtra::platform::espeak
