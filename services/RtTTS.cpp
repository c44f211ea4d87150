// The speech wrapper.
#include "services/RtTTS.h"

#include <algorithm>

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtList.h"
#include "services/RtTTSDelegate.h"
#include "services/SpeechSynthesizer.h"

namespace zemtra {

namespace {

constexpr StringView kDelegateKey = u"delegate";
constexpr StringView kVoiceKey = u"voice";

// Language codes compare without regard to case or to "-" against "_" ("en-US", "en_us").
std::string comparableLanguage(std::string_view code) {
    std::string result(code);
    for (char& c : result) {
        if (c == '_') c = '-';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

// The synthesizer's back end; before Initialize:: the one registered, if any (voices and limits
// are the platform's, not the synthesizer's).
std::shared_ptr<platform::SpeechOutput> outputFor(
    const std::shared_ptr<SpeechSynthesizer>& synthesizer) {
    if (synthesizer) return synthesizer->sharedOutput();
    const RuntimeScope* scope = RuntimeScope::currentOrNull();
    return scope ? scope->find<platform::SpeechOutput>() : nullptr;
}

platform::SpeechLimits limitsOf(const std::shared_ptr<SpeechSynthesizer>& synthesizer) {
    const auto output = outputFor(synthesizer);
    return output ? output->limits() : platform::SpeechLimits{};
}

}  // namespace

const ClassInfo* RtTTS::getClass() const {
    return &classInfoOf<SpeechSynthesizer>();
}

const MethodTable* RtTTS::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize::", &RtTTS::Initialize),
        MethodTable::operation("Speak::", &RtTTS::Speak),
        MethodTable::operation("Stop", &RtTTS::Stop),
        MethodTable::operation("SetLanguage:", &RtTTS::SetLanguage),
        MethodTable::operation("GetSupportedLanguages", &RtTTS::GetSupportedLanguages),
        MethodTable::operation("Status", &RtTTS::Status),
        MethodTable::operation("Pitch", &RtTTS::Pitch),
        MethodTable::operation("setPitch:", &RtTTS::setPitch),
        MethodTable::operation("SpeechRate", &RtTTS::SpeechRate),
        MethodTable::operation("setSpeechRate:", &RtTTS::setSpeechRate),
        MethodTable::operation("MAX_SPEECH_RATE", &RtTTS::MAX_SPEECH_RATE),
        MethodTable::operation("MIN_SPEECH_RATE", &RtTTS::MIN_SPEECH_RATE),
    };
    return &table;
}

std::shared_ptr<SpeechSynthesizer> RtTTS::synthesizer() const {
    return std::static_pointer_cast<SpeechSynthesizer>(objectOrNull());
}

void RtTTS::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    auto output = RuntimeScope::current().get<platform::SpeechOutput>();
    const platform::SpeechLimits limits = output->limits();
    auto synthesizer = std::make_shared<SpeechSynthesizer>(std::move(output));
    setObject(Value(synthesizer));
    setBIAndEventName(*synthesizer, core, prefix);
    auto delegate = std::make_shared<RtTTSDelegate>();
    synthesizer->setDelegate(delegate);
    synthesizer->attachedMap().insert_or_assign(String(kDelegateKey), Value(delegate));
    setPitch(1.0f);
    setSpeechRate(limits.defaultRate);
}

void RtTTS::Speak(const String& text, bool clear) {
    const auto speaker = synthesizer();
    if (!speaker) return;
    if (clear) speaker->stopSpeaking();
    platform::SpeechUtterance utterance;
    utterance.text = toUtf8(text);
    utterance.rate = SpeechRate();
    utterance.pitch = Pitch();
    const AttachedMap& map = speaker->attachedMap();
    if (const auto found = map.find(kVoiceKey); found != map.end()) {
        if (const auto voice = found->second.as<SpeechVoice>())
            utterance.language = voice->info().language;
    }
    speaker->speak(std::move(utterance), text);
}

void RtTTS::Stop() {
    if (const auto speaker = synthesizer()) speaker->stopSpeaking();
}

bool RtTTS::SetLanguage(const String& language) {
    const auto speaker = synthesizer();
    if (!speaker) return false;
    const std::string wanted = comparableLanguage(toUtf8(language));
    const auto voices = speaker->output().voices();
    const auto found = std::find_if(voices.begin(), voices.end(), [&](const auto& voice) {
        return comparableLanguage(voice.language) == wanted;
    });
    if (found == voices.end()) return false;
    speaker->attachedMap().insert_or_assign(String(kVoiceKey),
                                            Value(std::make_shared<SpeechVoice>(*found)));
    return true;
}

std::shared_ptr<RtList> RtTTS::GetSupportedLanguages() {
    auto list = RtList::create();
    if (const auto output = outputFor(synthesizer())) {
        for (const auto& voice : output->voices()) list->Add(Value(fromUtf8(voice.language)));
    }
    return list;
}

String RtTTS::Status() const {
    const auto speaker = synthesizer();
    if (!speaker) return String();
    const platform::SpeechStatus status = speaker->output().status();
    if (!status.failing) return String();
    return status.reason.empty() ? String(u"speech failed") : fromUtf8(status.reason);
}

float RtTTS::MAX_SPEECH_RATE() const {
    return limitsOf(synthesizer()).maximumRate;
}

float RtTTS::MIN_SPEECH_RATE() const {
    return limitsOf(synthesizer()).minimumRate;
}

float RtTTS::readFloat(StringView key) const {
    const auto speaker = synthesizer();
    if (!speaker) return 0.0f;
    const AttachedMap& map = speaker->attachedMap();
    const auto found = map.find(key);
    if (found == map.end()) return 0.0f;
    const Number* number = found->second.number();
    return number ? number->toFloat() : 0.0f;
}

void RtTTS::storeFloat(StringView key, float value) {
    if (const auto speaker = synthesizer())
        speaker->attachedMap().insert_or_assign(String(key), Value::ofFloat(value));
}

}  // namespace zemtra
