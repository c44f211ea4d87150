// Draft message files.
#include "platform/qt/QtMailDrafts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QUrl>

namespace zemtra::platform::qt {

namespace {

QByteArray addressList(const std::vector<std::string>& addresses) {
    QByteArray out;
    for (const std::string& address : addresses) {
        if (!out.isEmpty()) out += ", ";
        out += QByteArray::fromStdString(address);
    }
    return out;
}

// Base64 in lines of 76 characters, each ended by CR LF.
QByteArray base64Lines(const QByteArray& bytes) {
    const QByteArray encoded = bytes.toBase64();
    QByteArray out;
    for (qsizetype at = 0; at < encoded.size(); at += 76) out += encoded.mid(at, 76) + "\r\n";
    return out;
}

// The file content for `message`; `boundary` separates the parts.
QByteArray render(const MailMessage& message, const std::string& sender, int64_t epochMillis,
                  const QByteArray& boundary) {
    QByteArray out;
    const auto header = [&out](const char* name, const QByteArray& value) {
        out += name;
        out += ": " + value + "\r\n";
    };
    header("Date",
           QDateTime::fromMSecsSinceEpoch(epochMillis).toString(Qt::RFC2822Date).toLatin1());
    if (!sender.empty()) header("From", QByteArray::fromStdString(sender));
    if (!message.to.empty()) header("To", addressList(message.to));
    if (!message.cc.empty()) header("Cc", addressList(message.cc));
    // A draft keeps its blind copies: they are the sender's own record.
    if (!message.bcc.empty()) header("Bcc", addressList(message.bcc));
    header("Subject", QByteArray::fromStdString(mail::headerText(message.subject)));
    header("MIME-Version", "1.0");
    header("X-Unsent", "1");
    header("Content-Type", "multipart/mixed; boundary=\"" + boundary + "\"");
    out += "\r\n";

    out += "--" + boundary + "\r\n";
    out += message.bodyIsHtml ? "Content-Type: text/html; charset=UTF-8\r\n"
                              : "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n\r\n";
    out += base64Lines(QByteArray::fromStdString(message.body));
    for (const MailAttachment& attachment : message.attachments) {
        const QByteArray name = QByteArray::fromStdString(attachment.fileName);
        // Non-ASCII names as RFC 2231 parameters; in a quoted string a backslash is escaped ('"'
        // is refused by the checks).
        const QByteArray nameParameter =
            mail::isPlainHeaderText(attachment.fileName)
                ? "filename=\"" + QByteArray(name).replace("\\", "\\\\") + "\""
                : "filename*=UTF-8''" + QUrl::toPercentEncoding(QString::fromUtf8(name));
        out += "--" + boundary + "\r\n";
        out += "Content-Type: " + QByteArray::fromStdString(attachment.mimeType) + "\r\n";
        out += "Content-Disposition: attachment; " + nameParameter + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n\r\n";
        out += base64Lines(QByteArray(reinterpret_cast<const char*>(attachment.bytes.data()),
                                      static_cast<qsizetype>(attachment.bytes.size())));
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

}  // namespace

DraftOutcome QtMailDrafts::save(const MailMessage& message, const std::string& sender,
                                int64_t epochMillis, const std::string& folder) {
    if (const auto problem = mail::problemWith(message, false)) return {false, {}, *problem};
    if (!sender.empty() && !mail::isValidAddress(sender)) {
        return {false, {}, "The sender address \"" + sender + "\" is not a valid mail address."};
    }
    const QString folderPath = QString::fromStdString(folder);
    if (!QDir().mkpath(folderPath)) {
        return {false, {}, "Cannot create the drafts folder " + folder};
    }
    // "=_" never occurs in base64 text, so the boundary cannot occur in a part.
    const QByteArray boundary =
        "=_zemtra_" + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    const QByteArray content = render(message, sender, epochMillis, boundary);
    const QString stem =
        QDir(folderPath)
            .filePath("draft-" +
                      QDateTime::fromMSecsSinceEpoch(epochMillis).toString("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const QString path =
            attempt == 1 ? stem + ".eml" : stem + "-" + QString::number(attempt) + ".eml";
        QFile file(path);
        // NewOnly: an existing draft is never replaced, even by a race with another writer.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFile::exists(path)) continue;
            return {false,
                    {},
                    "Cannot write " + path.toStdString() + ": " + file.errorString().toStdString()};
        }
        if (file.write(content) != content.size() || !file.flush()) {
            const std::string reason = file.errorString().toStdString();
            file.close();
            file.remove();
            return {false, {}, "Cannot write " + path.toStdString() + ": " + reason};
        }
        file.close();
        return {true, path.toStdString(), {}};
    }
    return {false, {}, "Too many drafts with the same time in " + folder};
}

}  // namespace zemtra::platform::qt
