// The notice line of the main screen: failures the person must see without reading the log,
// one text per kind, the newest two shown.
#include "app/zm_main.h"

#include <algorithm>

#include "runtime/core/RtCore.h"

namespace zemtra::app {

namespace {

constexpr size_t kShownNotices = 2;

}  // namespace

void zm_main::showNotice(NoticeKind kind, const String& text) {
    const auto same = [kind](const auto& entry) { return entry.first == kind; };
    const auto found = std::find_if(notices_.begin(), notices_.end(), same);
    if (found != notices_.end() && found->second == text) return;
    if (found != notices_.end()) notices_.erase(found);
    notices_.emplace_back(kind, text);
    bi->Log(text);
    showNotices();
}

void zm_main::clearNotice(NoticeKind kind, const String& logText) {
    const auto same = [kind](const auto& entry) { return entry.first == kind; };
    const auto found = std::find_if(notices_.begin(), notices_.end(), same);
    if (found == notices_.end()) return;
    notices_.erase(found);
    if (!logText.empty()) bi->Log(logText);
    showNotices();
}

void zm_main::replaceNoticeText(NoticeKind kind, const String& text) {
    for (auto& [shown, shownText] : notices_) {
        if (shown != kind || shownText == text) continue;
        shownText = text;
        showNotices();
        return;
    }
}

String zm_main::notice(NoticeKind kind) const {
    for (const auto& [shown, text] : notices_) {
        if (shown == kind) return text;
    }
    return String();
}

void zm_main::showNotices() {
    String text;
    const size_t first = notices_.size() > kShownNotices ? notices_.size() - kShownNotices : 0;
    for (size_t index = notices_.size(); index-- > first;) {
        if (!text.empty()) text += u"\n";
        text += notices_[index].second;
    }
    // A layout without the line (an older one) shows nothing; the log still has every text.
    if (_lblnotice && _lblnotice->IsInitialized()) _lblnotice->setText(text);
}

}  // namespace zemtra::app
