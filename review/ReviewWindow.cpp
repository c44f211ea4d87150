// The review window's parts and how picking a word moves them together.
#include "review/ReviewWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QString>

#include "review/ChartView.h"
#include "review/ReviewFigures.h"
#include "review/WordDetails.h"
#include "session/Statistics.h"

namespace zemtra::review {

namespace {

const char* kStyle = R"(
QWidget#review { background: #101418; color: #ffffff; font-family: "DejaVu Sans"; font-size: 13px; }
QLabel { color: #ffffff; }
QLabel#heading { font-size: 20px; font-weight: bold; }
QLabel#subheading { color: #98989f; }
QLabel#panel { background: #1c1c1e; border: 1px solid #636366; border-radius: 8px; padding: 8px; }
QListWidget { background: #1c1c1e; color: #ffffff; border: 1px solid #636366; border-radius: 8px;
              padding: 4px; font-family: "DejaVu Sans Mono"; }
QListWidget::item { padding: 2px 4px; }
QListWidget::item:selected { background: #2c2c2e; color: #30d158; }
)";

constexpr int kSideWidth = 290;

// The selection value is made of the digits of these readings (mag y, mag z, acc y, acc z).
constexpr std::array<bool, 6> kValueSlots = {false, true, true, false, true, true};

QString html(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

QString clockOf(const std::string& isoTime) {
    // "2026-12-07T08:15:00.250+01:00" → "08:15:00"
    if (isoTime.size() >= 19 && isoTime[10] == 'T')
        return QString::fromStdString(isoTime.substr(11, 8));
    return QString::fromStdString(isoTime);
}

QString readingCell(const ReadingDigit& reading, bool inValue) {
    if (reading.text.empty()) return QStringLiteral("<span style='color:#98989f'>none</span>");
    if (!reading.marked || *reading.marked >= reading.text.size())
        return html(reading.text) +
               QStringLiteral(" <span style='color:#98989f'>(too few digits)</span>");
    const size_t at = *reading.marked;
    const QString colour = inValue ? QStringLiteral("#30d158") : QStringLiteral("#ffd60a");
    return html(reading.text.substr(0, at)) + QStringLiteral("<span style='color:") + colour +
           QStringLiteral("; font-weight:bold; text-decoration:underline'>") +
           html(reading.text.substr(at, 1)) + QStringLiteral("</span>") +
           html(reading.text.substr(at + 1));
}

QString detailsHtml(const WordDetails& details) {
    QString text =
        QStringLiteral("<div style='font-size:16px; font-weight:bold'>") +
        html(details.word.empty() ? "(no word)" : details.word) +
        QStringLiteral(" <span style='color:#98989f; font-weight:normal; font-size:13px'>") +
        html(std::string(session::decisionName(details.decision))) + QStringLiteral(" at ") +
        html(details.time) + QStringLiteral("</span></div>");
    text += QStringLiteral(
        "<table cellspacing='0' cellpadding='2' style='margin-top:6px'>"
        "<tr style='color:#98989f'><td></td><td>reading as scanned (absolute value)</td>"
        "<td>digit</td></tr>");
    for (size_t channel = 0; channel < kChannels; ++channel) {
        const ReadingDigit& reading = details.readings[channel];
        text +=
            QStringLiteral("<tr><td style='color:#98989f; padding-right:10px'>") +
            QString::fromLatin1(kChannelNames[channel]) +
            QStringLiteral(
                "</td><td style='font-family:\"DejaVu Sans Mono\"; padding-right:10px'>") +
            readingCell(reading, kValueSlots[channel]) +
            QStringLiteral("</td><td style='font-family:\"DejaVu Sans Mono\"'>") +
            QString(QChar::fromLatin1(reading.digit)) +
            (kValueSlots[channel] ? QStringLiteral(" <span style='color:#30d158'>in value</span>")
                                  : QString()) +
            QStringLiteral("</td></tr>");
    }
    text += QStringLiteral("</table>");
    text += QStringLiteral("<p style='margin-top:6px'>Digit position ") +
            QString::number(details.digitPosition) +
            QStringLiteral(" &nbsp;·&nbsp; selection value <b>") + html(details.value) +
            QStringLiteral("</b> &nbsp;·&nbsp; index <b>") + QString::number(details.index) +
            QStringLiteral("</b></p><p>Rules: ");
    for (const std::string& rule : details.passed)
        text += QStringLiteral("<span style='color:#30d158'>&#10003; ") + html(rule) +
                QStringLiteral("</span> &nbsp;");
    if (details.failed)
        text += QStringLiteral("<span style='color:#ff375f'>&#10007; ") + html(*details.failed) +
                QStringLiteral("</span>");
    if (details.decision == session::Decision::quiet)
        text += QStringLiteral("none (quiet time: the value was dropped)");
    text += QStringLiteral("</p><p>Quiet time set: <b>") +
            (details.quietMs ? QString::number(*details.quietMs) + QStringLiteral(" ms")
                             : QStringLiteral("none")) +
            QStringLiteral("</b></p>");
    return text;
}

// Two columns of label and value, so the panel stays as low as the details beside it.
QString figuresHtml(const Figures& figures, bool complete) {
    QString text = QStringLiteral(
        "<div style='font-size:15px; font-weight:bold'>Figures</div>"
        "<table cellspacing='0' cellpadding='2' style='margin-top:4px'>");
    const size_t rows = (figures.size() + 1) / 2;
    const auto cells = [&](size_t at) {
        if (at >= figures.size()) return QStringLiteral("<td></td><td></td>");
        return QStringLiteral("<td style='color:#98989f; padding-right:10px'>") +
               html(figures[at].first) +
               QStringLiteral("</td><td align='right' style='padding-right:28px'>") +
               html(figures[at].second) + QStringLiteral("</td>");
    };
    for (size_t row = 0; row < rows; ++row)
        text += QStringLiteral("<tr>") + cells(row) + cells(row + rows) + QStringLiteral("</tr>");
    text += QStringLiteral("</table>");
    if (!complete)
        text += QStringLiteral(
            "<p style='color:#98989f'>Digits and control runs are being worked out…</p>");
    return text;
}

QString headerText(const session::Journal& journal, const ChartData& data) {
    QString text = QStringLiteral("Session ") + html(journal.folder.filename().string());
    if (!journal.info.sensorSource.empty())
        text += QStringLiteral(" &nbsp;·&nbsp; sensors ") + html(journal.info.sensorSource);
    if (!journal.info.ending.empty())
        text += QStringLiteral(" &nbsp;·&nbsp; ended by ") + html(journal.info.ending);
    const size_t skipped = journal.skippedRows + data.leftOut();
    if (skipped > 0)
        text += QStringLiteral(" &nbsp;·&nbsp; <span style='color:#ff9f0a'>") +
                QString::number(skipped) + QStringLiteral(" unreadable rows skipped</span>");
    return text;
}

}  // namespace

ReviewWindow::ReviewWindow(session::Journal journal, QWidget* parent)
    : QWidget(parent), journal_(std::move(journal)), data_(journal_) {
    setObjectName(QStringLiteral("review"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QString::fromLatin1(kStyle));
    setWindowTitle(QStringLiteral("Zemtra review: ") +
                   QString::fromStdString(journal_.folder.filename().string()));
    resize(1280, 800);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(14, 10, 14, 14);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(8);

    auto* heading = new QLabel(QStringLiteral("Review"), this);
    heading->setObjectName(QStringLiteral("heading"));
    auto* subheading = new QLabel(headerText(journal_, data_), this);
    subheading->setObjectName(QStringLiteral("subheading"));
    subheading->setTextFormat(Qt::RichText);
    auto* header = new QHBoxLayout;
    header->addWidget(heading);
    header->addSpacing(12);
    header->addWidget(subheading, 1);
    layout->addLayout(header, 0, 0, 1, 2);

    chart_ = new ChartView(data_, this);
    layout->addWidget(chart_, 1, 0);

    words_ = new QListWidget(this);
    words_->setFixedWidth(kSideWidth);
    for (const size_t row : data_.accepted()) {
        const session::SampleRow& journalRow = journal_.rows[data_.journalRow(row)];
        words_->addItem(clockOf(journalRow.time) + QStringLiteral("  ") +
                        QString::fromStdString(journalRow.word));
    }
    if (data_.accepted().empty()) words_->addItem(QStringLiteral("(no words accepted)"));
    layout->addWidget(words_, 1, 1);

    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("panel"));
    details_->setTextFormat(Qt::RichText);
    details_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    details_->setMinimumHeight(260);
    details_->setText(
        QStringLiteral("<span style='color:#98989f'>Pick a word in the list or click "
                       "its marker on the chart to see why it came.</span>"));
    auto* panels = new QHBoxLayout;
    panels->setSpacing(12);
    panels->addWidget(details_, 1);
    layout->addLayout(panels, 2, 0, 1, 2);

    figures_ = new QLabel(figuresHtml(figuresOf(journal_, data_), false), this);
    figures_->setObjectName(QStringLiteral("panel"));
    figures_->setTextFormat(Qt::RichText);
    figures_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panels->addWidget(figures_, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 1);

    chart_->setPickHandler([this](size_t row) {
        const auto& accepted = data_.accepted();
        const auto at = std::lower_bound(accepted.begin(), accepted.end(), row);
        if (at != accepted.end() && *at == row)
            pickWord(static_cast<size_t>(at - accepted.begin()));
    });
    QObject::connect(words_, &QListWidget::currentRowChanged, this, [this](int place) {
        if (place < 0 || static_cast<size_t>(place) >= data_.accepted().size()) return;
        const size_t row = data_.accepted()[static_cast<size_t>(place)];
        picked_ = static_cast<size_t>(place);
        chart_->select(row);
        showDetails(row);
    });
    chart_->setFocus();

    // The worker reads the journal, which nothing changes while the window lives, and hands its
    // result to the window's thread; a result posted to a window already gone is dropped.
    statistics_ = std::thread([this] {
        auto statistics = std::make_shared<session::Statistics>(
            session::computeStatistics(journal_, session::ControlOptions{}));
        QMetaObject::invokeMethod(
            this,
            [this, statistics] {
                figures_->setText(figuresHtml(
                    figuresOf(*statistics, journal_.skippedRows + data_.leftOut()), true));
                statisticsShown_ = true;
            },
            Qt::QueuedConnection);
    });
}

ReviewWindow::~ReviewWindow() {
    if (statistics_.joinable()) statistics_.join();
}

QString ReviewWindow::figuresText() const {
    return figures_->text();
}

void ReviewWindow::pickWord(size_t place) {
    if (place >= data_.accepted().size()) return;
    words_->setCurrentRow(static_cast<int>(place));
}

void ReviewWindow::showDetails(size_t chartRow) {
    const session::SampleRow& row = journal_.rows[data_.journalRow(chartRow)];
    details_->setText(detailsHtml(detailsOf(row, journal_.info)));
}

}  // namespace zemtra::review
