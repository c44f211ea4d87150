// The log panel's Review button: the review window on the newest session, in this process. Runs
// without a window (headless, or a build without the review tool) say so in a toast and on the
// diagnostics channel, and the generator goes on.
#include "app/zm_main.h"

#include "platform/Diagnostics.h"
#include "platform/SessionReview.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtFile.h"

namespace zemtra::app {

void zm_main::_btnreview_click() {
    RuntimeScope* scope = RuntimeScope::currentOrNull();
    const auto review = scope ? scope->find<platform::SessionReview>() : nullptr;
    if (!review) {
        showToast(u"Review is not available here");
        platform::diagnostics::info("the review window is not part of this run");
        return;
    }
    if (!review->hasWindow()) {
        // Nobody would see a window: `zemtra review --png` is the way without a display.
        showToast(u"Review needs a window");
    }
    const auto cannotOpen = [this, hasWindow = review->hasWindow()](const std::string& reason) {
        if (hasWindow) showToast(u"Review cannot open");
        platform::diagnostics::warning("review: " + reason);
    };
    const auto opened =
        review->openNewest(toUtf8(_c->service<RtFile>()->DirDocuments()), cannotOpen);
    if (!opened) cannotOpen(opened.error());
}

}  // namespace zemtra::app
