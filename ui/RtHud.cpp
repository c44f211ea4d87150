// Toasts and the progress overlay.
#include "ui/RtHud.h"

#include "runtime/core/MainQueue.h"
#include "runtime/core/MethodTable.h"
#include "ui/Screen.h"

namespace zemtra {

namespace {
constexpr std::chrono::milliseconds kLongToast{3000};
constexpr std::chrono::milliseconds kShortToast{1500};
}  // namespace

const MethodTable* RtHud::methods() const {
    static const MethodTable table{
        MethodTable::operation("ToastMessageShow::", &RtHud::ToastMessageShow),
        MethodTable::operation("ProgressDialogShow:", &RtHud::ProgressDialogShow),
        MethodTable::operation("ProgressDialogHide", &RtHud::ProgressDialogHide),
    };
    return &table;
}

void RtHud::ToastMessageShow(const String& text, bool longDuration) {
    const auto toast = std::make_shared<ProgressHud>();
    toast->setMode(platform::OverlayMode::TextOnly);
    toast->setLabelText(text);
    toast->setUserInteractionEnabled(false);
    toast->showOn(*Screen::main().overlayParent());
    // The toast lives on screen until its time is up, whoever else holds it.
    MainQueue::current().postDelayed(longDuration ? kLongToast : kShortToast,
                                     [toast] { toast->hide(); });
}

void RtHud::ProgressDialogShow(const String& text) {
    if (progress_) {
        progress_->setLabelText(text);
        return;
    }
    progress_ = std::make_shared<ProgressHud>();
    progress_->setMode(platform::OverlayMode::Spinner);
    progress_->setLabelText(text);
    progress_->showOn(*Screen::main().overlayParent());
}

void RtHud::ProgressDialogHide() {
    if (!progress_) return;
    progress_->hide();
    progress_.reset();
}

}  // namespace zemtra
