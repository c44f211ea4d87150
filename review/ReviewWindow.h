// The review window: a session's chart, the list of its accepted words beside it, the details of
// the word picked (why it came) beneath, and the session's figures.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <thread>

#include "review/ChartData.h"
#include "session/Journal.h"

class QLabel;
class QListWidget;

namespace zemtra::review {

class ChartView;

class ReviewWindow final : public QWidget {
  public:
    explicit ReviewWindow(session::Journal journal, QWidget* parent = nullptr);
    ~ReviewWindow() override;

    ChartView& chart() { return *chart_; }
    QListWidget& words() { return *words_; }
    const QLabel& details() const { return *details_; }
    // Picks the accepted word at that place of the list (chart, list and details follow).
    void pickWord(size_t place);
    std::optional<size_t> pickedWord() const { return picked_; }
    // The statistics arrive from a thread of their own a moment after the window opens.
    bool statisticsShown() const { return statisticsShown_; }
    QString figuresText() const;

  private:
    void showDetails(size_t chartRow);

    session::Journal journal_;
    ChartData data_;
    ChartView* chart_ = nullptr;
    QListWidget* words_ = nullptr;
    QLabel* details_ = nullptr;
    QLabel* figures_ = nullptr;
    std::optional<size_t> picked_;
    bool statisticsShown_ = false;
    // Computes the statistics (with their control runs) off the window's thread; joined when the
    // window goes.
    std::thread statistics_;
};

}  // namespace zemtra::review
