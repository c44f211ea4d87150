// The speech back end: turns utterances into sound (or a recording of it), one after the other.
//
// Contract:
// - Everything is called on the main queue's thread.
// - speak() queues the utterance behind everything not yet finished and returns at once; the
//   utterance starts when it is spoken or when the one before it ends, whichever is later.
// - `finished` runs on the main queue (posted, never from inside speak()) once the utterance has
//   been heard to its end, in the order the utterances were queued. It never runs for an
//   utterance that stop() cut off or dropped.
// - An utterance that cannot be spoken (the engine fails on it, the sound card stops) is dropped
//   and the next one goes on; its `finished` still runs, when it would have ended, so that whoever
//   waits for it moves on. status() then says what went wrong, until speech works again. The back
//   end reports each change (failing, working again) once on the diagnostics channel.
// - stop() silences the current utterance at once and drops every queued one.
// - Rate and pitch are passed as the wrapper stores them (rate on the scale of limits(), pitch
//   as a multiplier, 1 normal); the back end maps and clamps them to its engine, never the caller.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zemtra::platform {

struct SpeechVoiceInfo {
    std::string name;
    std::string language;  // such as "en-us"
};

struct SpeechUtterance {
    std::string text;    // UTF-8
    float rate = 0.5f;   // between SpeechLimits' minimum and maximum rate; other values are clamped
    float pitch = 1.0f;  // multiplier, 0.5 to 2 is audible; other values are clamped
    std::string language;  // a voice language from voices(); empty for the default voice
};

// Whether speech is being heard; read on the main queue's thread, never blocks.
struct SpeechStatus {
    bool failing = false;
    // What went wrong, in plain words ("the sound card stopped: Input/output error"); empty while
    // speech works.
    std::string reason;
};

// The rate scale every back end speaks: 0 slowest, 1 fastest, 0.5 normal.
struct SpeechLimits {
    float minimumRate = 0.0f;
    float maximumRate = 1.0f;
    float defaultRate = 0.5f;
};

class SpeechOutput {
  public:
    virtual ~SpeechOutput() = default;

    virtual void speak(SpeechUtterance utterance, std::function<void()> finished) = 0;
    virtual void stop() = 0;
    // The installed voices in the engine's order, one entry per voice.
    virtual std::vector<SpeechVoiceInfo> voices() const = 0;
    virtual SpeechLimits limits() const { return {}; }
    // The latest word on failures: failing from the moment one is known until an utterance is
    // heard again.
    virtual SpeechStatus status() const { return {}; }
    // Ends the output with the run, even while a module still holds it: what is still to be
    // heard is cut, a recording ends at this moment, and later calls do nothing.
    virtual void close() {}
};

}  // namespace zemtra::platform
