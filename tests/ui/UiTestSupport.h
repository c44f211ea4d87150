// Helpers for user-interface tests: a fresh runtime and screen, a module whose handlers record
// what reached them and views bound to it, a private assets folder, layouts written from the
// readable format, and an image codec that needs no toolkit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ImageCodec.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtException.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

// Records every handler call as one line: "name" or "name arg arg ...", plus the view bound to
// each module field it has a setter for.
class RecordingModule : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"RecordingModule";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    void _btn_click() { record("btn_click"); }
    void _lbl_click() { record("lbl_click"); }
    void _lbl_longclick() { record("lbl_longclick"); }
    void _pnl_click() { record("pnl_click"); }
    void _sld_valuechanged(float value) { record("sld_valuechanged " + text(value)); }
    void _pnl_touch(int32_t action, double x, double y) {
        record("pnl_touch " + std::to_string(action) + " " + text(x) + " " + text(y));
    }
    void _pnl_resize(double width, double height) {
        record("pnl_resize " + text(width) + " " + text(height));
    }
    void _page1_resize(double width, double height) {
        record("page1_resize " + text(width) + " " + text(height));
    }
    void _page1_appear() { record("page1_appear"); }
    void _page1_disappear() { record("page1_disappear"); }
    void _page2_appear() { record("page2_appear"); }
    void _page2_disappear() { record("page2_disappear"); }
    void _confirm_click(const String& title) { record("confirm_click " + toUtf8(title)); }
    // A handler that fails, as a faulty module's would.
    void _boom_touch(int32_t action, double, double) {
        record("boom_touch " + std::to_string(action));
        raise(u"", u"boom");
    }

    void set_label1(const Value& view) { fields.emplace_back("_label1", view); }
    void set_btn1(const Value& view) { fields.emplace_back("_btn1", view); }
    void set_slider1(const Value& view) { fields.emplace_back("_slider1", view); }
    void set_pnl1(const Value& view) { fields.emplace_back("_pnl1", view); }

    // The value stored in a field (the last one stored), or Null.
    Value field(const std::string& name) const;
    static std::string text(double value);

    std::vector<std::string> calls;
    std::vector<std::pair<std::string, Value>> fields;
    // The sender of each call, in order.
    std::vector<Value> senders;

  private:
    void record(std::string call);
};

// Decodes "FAKEIMG <width> <height> <RRGGBB>" into a one-colour image; anything else fails. The
// display's scale is whatever the test sets.
class FakeImageCodec final : public platform::ImageCodec {
  public:
    std::optional<platform::Image> decode(std::span<const uint8_t> bytes) const override;
    std::optional<std::vector<uint8_t>> encode(const platform::Image& image,
                                               platform::ImageFormat format,
                                               int quality) const override;
    float displayScale() const override { return scale; }
    static std::string imageText(int width, int height, uint32_t rgb);

    float scale = 1;
};

// A fresh runtime (virtual clock, queue, log capture), a fresh screen with the fake codec, a
// recording module and a private assets folder.
class UiTest : public LibraryTest {
  protected:
    UiTest();
    ~UiTest() override;

    std::shared_ptr<RecordingModule> module() const {
        return StaticModules::New<RecordingModule>();
    }
    // A view wrapper or page bound to the recording module under `prefix`.
    template <class W>
    std::shared_ptr<W> make(StringView prefix) const {
        auto wrapper = std::make_shared<W>();
        wrapper->Initialize(module()->bi, String(prefix));
        return wrapper;
    }
    // Writes a file into the assets folder (the name as given).
    void writeAsset(const std::string& name, std::string_view bytes) const {
        writeFile(assets / name, bytes);
    }
    // Compiles a readable layout into the assets folder as "<name>.lyt" (lower-cased, as assets
    // are stored).
    void writeLayout(const std::string& name, const std::string& source) const;
    // Runs every ready task.
    void settle() { queue.runUntilIdle(); }

    TemporaryFolder assets{"zemtra-ui-test"};
    FakeImageCodec codec;
};

}  // namespace zemtra::testing
