// SMTP sends with libcurl on the transport's worker thread.
#include "platform/smtp/SmtpTransport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>

#include <curl/curl.h>

namespace zemtra::platform::smtp {

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using MimeHandle = std::unique_ptr<curl_mime, MimeDeleter>;
using ListHandle = std::unique_ptr<curl_slist, ListDeleter>;

// Appends to a libcurl string list; false when libcurl is out of memory (the list is kept).
bool append(ListHandle& list, const std::string& text) {
    curl_slist* grown = curl_slist_append(list.get(), text.c_str());
    if (!grown) return false;
    list.release();
    list.reset(grown);
    return true;
}

std::string joined(const std::vector<std::string>& addresses) {
    std::string out;
    for (const std::string& address : addresses) {
        if (!out.empty()) out += ", ";
        out += address;
    }
    return out;
}

// RFC 5322 date in UTC, written without the C library's locale-dependent names.
std::string rfc5322Date(std::chrono::system_clock::time_point date) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday],
                  utc.tm_mday, kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                  utc.tm_sec);
    return text;
}

int abortWhenAsked(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

}  // namespace

void SmtpSettings::takeCredentialsFromEnvironment() {
    if (const char* value = std::getenv("ZEMTRA_SMTP_USER")) user = value;
    if (const char* value = std::getenv("ZEMTRA_SMTP_PASSWORD")) password = value;
}

SmtpTransport::SmtpTransport(SmtpSettings settings) : settings_(std::move(settings)) {
    // Reference-counted by libcurl; called here, before the worker exists, because it is not
    // safe to call while other threads use libcurl.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    worker_ = std::thread([this] { work(); });
}

SmtpTransport::~SmtpTransport() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
        if (!changed_.wait_for(lock, settings_.shutdownGrace,
                               [this] { return !busy_ && jobs_.empty(); })) {
            abort_ = true;
            jobs_.clear();
        }
    }
    worker_.join();
    curl_global_cleanup();
}

void SmtpTransport::send(MailMessage message, std::function<void(MailOutcome)> done) {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(Job{std::move(message), std::move(done)});
    changed_.notify_all();
}

void SmtpTransport::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        const MailOutcome outcome = deliver(job.message);
        if (job.done) job.done(outcome);
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

std::vector<std::string> SmtpTransport::headersFor(const MailMessage& message,
                                                   const std::string& sender,
                                                   std::chrono::system_clock::time_point date) {
    std::vector<std::string> headers{"Date: " + rfc5322Date(date), "From: " + sender};
    if (!message.to.empty()) headers.push_back("To: " + joined(message.to));
    if (!message.cc.empty()) headers.push_back("Cc: " + joined(message.cc));
    // Bcc recipients get the message through the envelope only.
    if (!message.subject.empty()) {
        headers.push_back("Subject: " + mail::headerText(message.subject));
    }
    return headers;
}

MailOutcome SmtpTransport::deliver(const MailMessage& message) {
    if (const auto problem = mail::problemWith(message, true)) return {false, *problem};
    if (settings_.sender.empty()) {
        return {false, "No sender address is set up (--mail-from)."};
    }
    if (!mail::isValidAddress(settings_.sender)) {
        return {false,
                "The sender address \"" + settings_.sender + "\" is not a valid mail address."};
    }

    CurlHandle curl(curl_easy_init());
    if (!curl) return {false, "libcurl could not start a transfer."};
    CURL* handle = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_URL, settings_.url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(settings_.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(settings_.stallTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &abortWhenAsked);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &abort_);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    const bool login = !settings_.user.empty();
    // STARTTLS whenever the server offers it; a password is never sent without it.
    curl_easy_setopt(handle, CURLOPT_USE_SSL, login ? CURLUSESSL_ALL : CURLUSESSL_TRY);
    if (login) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, settings_.user.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, settings_.password.c_str());
    }

    const std::string from = "<" + settings_.sender + ">";
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
    ListHandle recipients;
    for (const auto* list : {&message.to, &message.cc, &message.bcc}) {
        for (const std::string& address : *list) {
            if (!append(recipients, "<" + address + ">")) return {false, "Out of memory."};
        }
    }
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());

    ListHandle headers;
    for (const std::string& header :
         headersFor(message, settings_.sender, std::chrono::system_clock::now())) {
        if (!append(headers, header)) return {false, "Out of memory."};
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());

    MimeHandle mime(curl_mime_init(handle));
    if (!mime) return {false, "Out of memory."};
    curl_mimepart* body = curl_mime_addpart(mime.get());
    CURLcode status = body ? CURLE_OK : CURLE_OUT_OF_MEMORY;
    if (status == CURLE_OK) status = curl_mime_data(body, message.body.data(), message.body.size());
    if (status == CURLE_OK) {
        status = curl_mime_type(
            body, message.bodyIsHtml ? "text/html; charset=UTF-8" : "text/plain; charset=UTF-8");
    }
    if (status == CURLE_OK) status = curl_mime_encoder(body, "quoted-printable");
    for (const MailAttachment& attachment : message.attachments) {
        if (status != CURLE_OK) break;
        curl_mimepart* part = curl_mime_addpart(mime.get());
        if (!part) {
            status = CURLE_OUT_OF_MEMORY;
            break;
        }
        // A null pointer would leave the part without data at all; an empty file is zero bytes.
        const char* bytes =
            attachment.bytes.empty() ? "" : reinterpret_cast<const char*>(attachment.bytes.data());
        status = curl_mime_data(part, bytes, attachment.bytes.size());
        if (status == CURLE_OK) status = curl_mime_type(part, attachment.mimeType.c_str());
        if (status == CURLE_OK) status = curl_mime_filename(part, attachment.fileName.c_str());
        if (status == CURLE_OK) status = curl_mime_encoder(part, "base64");
    }
    if (status != CURLE_OK) {
        return {false, std::string("The message could not be put together: ") +
                           curl_easy_strerror(status)};
    }
    curl_easy_setopt(handle, CURLOPT_MIMEPOST, mime.get());

    status = curl_easy_perform(handle);
    if (status == CURLE_OK) return {true, {}};
    if (status == CURLE_ABORTED_BY_CALLBACK) {
        return {false, "The send was cut off because the program ended."};
    }
    std::string reason = errorText[0] ? errorText : curl_easy_strerror(status);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    return {false, reason + " (libcurl error " + std::to_string(static_cast<int>(status)) + ")"};
}

}  // namespace zemtra::platform::smtp
