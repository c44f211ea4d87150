// Helpers for the application module's tests: a fresh runtime on the virtual clock with private
// documents and assets folders (the build's "Main" layout and a word list of the test's own), the
// motion sensors replayed from readings the test gives, a speech stand-in that records what the
// module asks it to say, and readers for the log, the files and the screen.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/zm_main.h"
#include "runtime/core/MethodTable.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

// Records what the module asks the speech service to do, one line per call.
class TestSpeech final : public Object {
  public:
    static constexpr StringView kClassName = u"RtTTS";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    void Initialize(const Value&, const String& prefix) {
        calls.push_back("init [" + toUtf8(prefix) + "]");
    }
    void Speak(const String& text, bool clear) {
        calls.push_back("speak [" + toUtf8(text) + "]" + (clear ? " clear" : ""));
    }
    void setPitch(float pitch) { this->pitch = pitch; }
    void setSpeechRate(float rate) { this->rate = rate; }

    std::vector<std::string> spoken() const;
    std::vector<std::string> calls;
    float pitch = -1;
    float rate = -1;
};

class AppTest : public LibraryTest {
  protected:
    AppTest();
    ~AppTest() override;

    app::zm_main& module() const { return *module_; }
    // Runs the start handler as the host does, then the tasks it queued.
    void start();
    // Lets the program run for this long on the virtual clock.
    void runFor(int64_t milliseconds) { queue.runFor(std::chrono::milliseconds(milliseconds)); }
    void settle() { queue.runUntilIdle(); }

    // The motion sensors replay these CSV rows (after the header "t_ms,mx,my,mz,ax,ay,az,yaw,
    // pitch,roll"; t_ms counts from the test's start). Before start(): the module's sensors are
    // set up there.
    void replay(const std::string& rows);

    void writeWordList(const std::string& text) const { writeFile(assets / "wordlist.txt", text); }
    void writeDocument(const std::string& name, const std::string& bytes) const {
        writeFile(documents / name, bytes);
    }
    std::string readDocument(const std::string& name) const { return readFile(documents / name); }

    // Log lines from index `from` on.
    std::vector<std::string> logFrom(size_t from) const;
    // Whether the view of the layout name is shown (itself and its parents).
    bool shown(const std::string& name) const;
    // The numbers of the meter and scanner image views that are visible.
    std::vector<int> visibleImageViews(std::initializer_list<int> numbers) const;
    std::vector<std::string> toasts() const;
    std::string text(const std::string& name) const;

    TemporaryFolder folder{"zemtra-app"};
    const std::filesystem::path documents = folder / "documents";
    const std::filesystem::path assets = folder / "assets";
    std::shared_ptr<TestSpeech> speech = std::make_shared<TestSpeech>();

  private:
    // What the replayed sensors read as the time since start-up; frozen once the test ends.
    struct SensorTime {
        bool ended = false;
        std::chrono::nanoseconds last{0};
    };
    std::shared_ptr<SensorTime> sensorTime_ = std::make_shared<SensorTime>();

    std::shared_ptr<app::zm_main> module_;
};

}  // namespace zemtra::testing
