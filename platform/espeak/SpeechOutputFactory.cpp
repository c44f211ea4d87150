// The choice of speech back end.
#include "platform/espeak/SpeechOutputFactory.h"

#include <iostream>
#include <stdexcept>

#include "platform/espeak/AlsaSink.h"
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechOutput.h"
#include "platform/espeak/NoSpeechOutput.h"
#include "platform/espeak/WavFileSink.h"

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

SpeechOutputChoice createSpeechOutput(const std::string& option, ProgramQueue& queue) {
    if (option == "none") return {std::make_shared<NoSpeechOutput>(queue), {}};
    const bool toFile = option.starts_with("wav:");
    if (option != "espeak" && !toFile)
        return {nullptr, "--speech takes espeak, wav:FILE or none, got '" + option + "'"};
    if (toFile && option.size() == 4) return {nullptr, "--speech wav: needs a file name"};

    EspeakEngine* engine = nullptr;
    try {
        engine = &EspeakEngine::instance();
    } catch (const std::runtime_error& error) {
        return {nullptr, error.what()};
    }
    std::unique_ptr<AudioSink> sink;
    std::string problem;
    if (toFile) {
        sink = WavFileSink::create(option.substr(4), engine->sampleRate(), problem);
        if (!sink) return {nullptr, problem};
    } else {
        sink = AlsaSink::open(engine->sampleRate(), problem);
        if (!sink) {
            std::cerr << "zemtra: " << problem << "; speech goes on silently\n";
            sink = std::make_unique<SilentSink>();
        }
    }
    return {EspeakSpeechOutput::create(queue, *engine, std::move(sink)), {}};
}

}  // namespace zemtra::platform::espeak
