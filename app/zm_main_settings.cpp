// The settings file "sp.txt" (documents): the six slider positions as whole numbers, one per
// line, rewritten on every slider change and read once at start-up, when the restored positions
// take effect as if each slider had been moved there (without saving or speaking).
#include "app/zm_main.h"

#include "app/StoredText.h"

#include "runtime/core/RtCore.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtList.h"

namespace zemtra::app {

void zm_main::_setfiles() {
    std::vector<String> lines;
    for (const auto& slider : {_slider1, _slider2, _slider3, _slider4, _slider5, _slider6}) {
        lines.push_back(bi->NumberToString(Value::ofInt(static_cast<int32_t>(slider->Value()))));
    }
    replaceDocument(NoticeKind::settings, u"sp.txt", lines, u"Settings not saved");
}

void zm_main::restoreSliders() {
    restoreSliderPositions();
    // Whatever the file held, the captions say what is in force from now on.
    showSliderCaptions();
}

void zm_main::restoreSliderPositions() {
    const auto files = _c->service<RtFile>();
    if (!files->Exists(files->DirDocuments(), u"sp.txt")) return;
    constexpr int32_t kTableSlots = 10;
    _x1 = 0;
    std::array<int32_t, kTableSlots> table{};
    // A file this program cannot use is not one it wrote: the log says why, and the sliders keep
    // the layout's positions.
    const String keep = u"; the sliders keep their positions";
    const auto read = readStoredLines(*files, files->DirDocuments(), u"sp.txt");
    if (!read) {
        bi->Log(u"sp.txt " + fromUtf8(read.error()) + keep);
        return;
    }
    const std::shared_ptr<RtList>& lines = read.value();
    // Entries after the tenth have no place in the table and are left out.
    for (int32_t line = 0; line < lines->Size() && _x1 < kTableSlots; ++line) {
        const String text = bi->ObjectToString(lines->Get(line));
        const auto number = storedNumber(text);
        if (!number) {
            bi->Log(u"sp.txt line " + fromUtf8(std::to_string(line + 1)) + u" is not a number (" +
                    text + u")" + keep);
            return;
        }
        table[static_cast<size_t>(_x1)] = *number;
        ++_x1;
    }
    const std::shared_ptr<RtSliderWrapper> sliders[] = {_slider1, _slider2, _slider3,
                                                        _slider4, _slider5, _slider6};
    for (size_t index = 0; index < std::size(sliders); ++index) {
        // Clamped to the slider's range; raises nothing, so nothing is saved or spoken.
        sliders[index]->setValue(static_cast<float>(table[index]));
    }
    // In force at once, as each slider's handler would put its clamped position; the voice
    // follows sliders 4 and 5 at every switch.
    for (const int32_t slider : {1, 2, 3, 6})
        applyEngineSetting(slider, sliders[static_cast<size_t>(slider - 1)]->Value());
}

}  // namespace zemtra::app
