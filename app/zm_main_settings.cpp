// The settings file "sp.txt" (documents): the six slider positions as whole numbers, one per
// line, rewritten on every slider change and read once at start-up.
#include "app/zm_main.h"

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
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
    const auto files = _c->service<RtFile>();
    if (!files->Exists(files->DirDocuments(), u"sp.txt")) return;
    constexpr int32_t kTableSlots = 10;
    _x1 = 0;
    std::array<int32_t, kTableSlots> table{};
    const auto lines = files->ReadList(files->DirDocuments(), u"sp.txt");
    // Entries after the tenth have no place in the table and are left out. A line that is not a
    // number means the file is not one this program wrote: the sliders keep their positions.
    for (int32_t line = 0; line < lines->Size() && _x1 < kTableSlots; ++line) {
        const String text = bi->ObjectToString(lines->Get(line));
        try {
            table[static_cast<size_t>(_x1)] = objectToNumber(Value(text)).toInt();
        } catch (const RtException&) {
            bi->Log(u"sp.txt line " + fromUtf8(std::to_string(line + 1)) + u" is not a number (" +
                    text + u"); the sliders keep their positions");
            return;
        }
        ++_x1;
    }
    const std::shared_ptr<RtSliderWrapper> sliders[] = {_slider1, _slider2, _slider3,
                                                        _slider4, _slider5, _slider6};
    for (size_t index = 0; index < std::size(sliders); ++index) {
        // Clamped to the slider's range; raises nothing.
        sliders[index]->setValue(static_cast<float>(table[index]));
    }
}

}  // namespace zemtra::app
