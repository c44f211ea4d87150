// The mail dialog.
#include "platform/qt/QtMailWindow.h"

#include <functional>

#include <QDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/qt/QtWindow.h"

namespace zemtra::platform::qt {

namespace {

// Closing the dialog by its frame or Escape is the person's cancel.
class MailDialog final : public QDialog {
  public:
    using QDialog::QDialog;
    std::function<void()> onReject;
    void reject() override {
        if (onReject) onReject();
    }
};

}  // namespace

struct QtMailWindow::Dialog {
    // A field shows the message's own list until the person edits it; unedited, the list is
    // passed on exactly as given (so a bad address set by code is refused, not quietly cleaned).
    struct Field {
        QLineEdit* edit = nullptr;
        QString shown;
        std::vector<std::string> given;
        std::vector<std::string> value() const {
            if (edit->text() == shown) return given;
            return mail::splitAddresses(edit->text().toStdString());
        }
        void set(const std::vector<std::string>& addresses) {
            given = addresses;
            edit->setText(QString::fromStdString(mail::joinAddresses(addresses)));
            shown = edit->text();
        }
    };

    explicit Dialog(QWidget* parent) : dialog(new MailDialog(parent)) {
        dialog->setWindowTitle("New message");
        dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        dialog->resize(480, 520);
        auto* form = new QFormLayout;
        for (auto [field, label] : {std::pair{&to, "To:"}, {&cc, "Cc:"}, {&bcc, "Bcc:"}}) {
            field->edit = new QLineEdit(dialog);
            field->edit->setPlaceholderText("name@example.org, …");
            form->addRow(label, field->edit);
        }
        subject = new QLineEdit(dialog);
        form->addRow("Subject:", subject);
        body = new QTextBrowser(dialog);
        body->setOpenLinks(false);
        attachments = new QListWidget(dialog);
        attachments->setMaximumHeight(80);
        problem = new QLabel(dialog);
        problem->setWordWrap(true);
        problem->setStyleSheet("color: #b00020;");
        problem->hide();
        progress = new QProgressBar(dialog);
        progress->setRange(0, 0);
        progress->setFormat("Sending…");
        progress->setTextVisible(true);
        progress->hide();
        send = new QPushButton("Send", dialog);
        save = new QPushButton("Save draft", dialog);
        cancel = new QPushButton("Cancel", dialog);
        send->setDefault(true);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(cancel);
        buttons->addStretch();
        buttons->addWidget(save);
        buttons->addWidget(send);
        auto* layout = new QVBoxLayout(dialog);
        layout->addLayout(form);
        layout->addWidget(body, 1);
        layout->addWidget(new QLabel("Attachments:", dialog));
        layout->addWidget(attachments);
        layout->addWidget(problem);
        layout->addWidget(progress);
        layout->addLayout(buttons);
    }
    ~Dialog() { delete dialog.data(); }

    MailMessage edited() const {
        MailMessage message = original;
        message.to = to.value();
        message.cc = cc.value();
        message.bcc = bcc.value();
        message.subject =
            subject->text() == shownSubject ? original.subject : subject->text().toStdString();
        return message;
    }

    void setProblem(const std::string& text) {
        problem->setText(QString::fromStdString(text));
        problem->setVisible(!text.empty());
    }

    void setBusy(bool busy) {
        sending = busy;
        progress->setVisible(busy);
        for (QWidget* widget : std::initializer_list<QWidget*>{send, save, cancel}) {
            widget->setEnabled(!busy);
        }
        for (QLineEdit* edit : {to.edit, cc.edit, bcc.edit, subject}) edit->setReadOnly(busy);
    }

    QPointer<MailDialog> dialog;
    Field to, cc, bcc;
    QLineEdit* subject;
    QString shownSubject;
    QTextBrowser* body;
    QListWidget* attachments;
    QLabel* problem;
    QProgressBar* progress;
    QPushButton* send;
    QPushButton* save;
    QPushButton* cancel;

    bool showing = false;
    bool sending = false;
    MailMessage original;
    std::weak_ptr<MailScreenListener> listener;
};

QtMailWindow::QtMailWindow(Window* over) {
    QWidget* parent = nullptr;
    if (auto* window = dynamic_cast<QtWindow*>(over)) parent = window->clientArea().window();
    dialog_ = std::make_unique<Dialog>(parent);
    Dialog& d = *dialog_;
    QObject::connect(d.send, &QPushButton::clicked, [this] { pressSend(); });
    QObject::connect(d.save, &QPushButton::clicked, [this] { pressSave(); });
    QObject::connect(d.cancel, &QPushButton::clicked, [this] { pressCancel(); });
    d.dialog->onReject = [this] { pressCancel(); };
}

QtMailWindow::~QtMailWindow() = default;

bool QtMailWindow::present(const MailMessage& message, std::weak_ptr<MailScreenListener> listener) {
    Dialog& d = *dialog_;
    if (d.showing || !d.dialog) return false;
    d.original = message;
    d.listener = std::move(listener);
    d.to.set(message.to);
    d.cc.set(message.cc);
    d.bcc.set(message.bcc);
    d.subject->setText(QString::fromStdString(message.subject));
    d.shownSubject = d.subject->text();
    if (message.bodyIsHtml) {
        d.body->setHtml(QString::fromStdString(message.body));
    } else {
        d.body->setPlainText(QString::fromStdString(message.body));
    }
    d.attachments->clear();
    const QLocale locale = QLocale::c();
    for (const MailAttachment& attachment : message.attachments) {
        d.attachments->addItem(
            QString::fromStdString(attachment.fileName) + "  (" +
            locale.formattedDataSize(static_cast<qint64>(attachment.bytes.size()), 1,
                                     QLocale::DataSizeTraditionalFormat) +
            ")");
    }
    d.setBusy(false);
    // A message that arrives already unsendable says so at once.
    d.setProblem(mail::problemWith(message, false).value_or(""));
    d.showing = true;
    d.dialog->show();
    // The offscreen platform has no stacking and says so on standard error.
    if (QGuiApplication::platformName() != "offscreen") d.dialog->raise();
    d.to.edit->setFocus();
    return true;
}

void QtMailWindow::showSending() {
    if (dialog_->showing) dialog_->setBusy(true);
}

void QtMailWindow::showProblem(const std::string& text) {
    if (!dialog_->showing) return;
    dialog_->setBusy(false);
    dialog_->setProblem(text);
}

void QtMailWindow::dismiss() {
    Dialog& d = *dialog_;
    if (!d.showing) return;
    d.showing = false;
    d.setBusy(false);
    d.setProblem("");
    d.listener.reset();
    d.original = MailMessage{};
    if (d.dialog) d.dialog->hide();
}

bool QtMailWindow::isShowing() const {
    return dialog_->showing;
}

std::string QtMailWindow::problemText() const {
    return dialog_->showing ? dialog_->problem->text().toStdString() : std::string();
}

bool QtMailWindow::showsProgress() const {
    return dialog_->showing && dialog_->sending;
}

bool QtMailWindow::saveScreenshot(const std::string& path) const {
    if (!dialog_->showing || !dialog_->dialog) return false;
    return dialog_->dialog->grab().save(QString::fromStdString(path), "PNG");
}

bool QtMailWindow::typeRecipient(std::string_view address) {
    Dialog& d = *dialog_;
    if (!d.showing) return false;
    if (d.sending) return true;
    QString text = d.to.edit->text().trimmed();
    if (!text.isEmpty() && !text.endsWith(',')) text += ",";
    if (!text.isEmpty()) text += " ";
    text += QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()));
    d.to.edit->setText(text);
    return true;
}

bool QtMailWindow::pressSend() {
    return decide(Decision::send);
}

bool QtMailWindow::pressSave() {
    return decide(Decision::save);
}

bool QtMailWindow::pressCancel() {
    return decide(Decision::cancel);
}

bool QtMailWindow::decide(Decision decision) {
    Dialog& d = *dialog_;
    if (!d.showing) return false;
    if (d.sending) return true;
    const MailMessage message = d.edited();
    if (decision != Decision::cancel) {
        // Only a send needs a recipient; a draft may be finished later.
        if (const auto problem = mail::problemWith(message, decision == Decision::send)) {
            d.setProblem(*problem);
            return true;
        }
        d.setProblem("");
    }
    const auto listener = d.listener.lock();
    if (!listener) {
        dismiss();
        return true;
    }
    switch (decision) {
        case Decision::send:
            listener->sendRequested(message);
            break;
        case Decision::save:
            listener->saveRequested(message);
            break;
        case Decision::cancel:
            listener->cancelRequested();
            break;
    }
    return true;
}

}  // namespace zemtra::platform::qt
