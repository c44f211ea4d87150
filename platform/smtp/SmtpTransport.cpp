// SMTP sends with libcurl on the transport's worker thread.
#include "platform/smtp/SmtpTransport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include <curl/curl.h>

#include "platform/Diagnostics.h"
#include "platform/smtp/MessageWriter.h"

namespace zemtra::platform::smtp {

namespace {

using namespace std::chrono_literals;

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using ListHandle = std::unique_ptr<curl_slist, ListDeleter>;

// Marks the failure of a transfer that the end of the transport cut off.
const std::error_code kCutOff = std::make_error_code(std::errc::operation_canceled);

// Appends to a libcurl string list; false when libcurl is out of memory (the list is kept).
bool append(ListHandle& list, const std::string& text) {
    curl_slist* grown = curl_slist_append(list.get(), text.c_str());
    if (!grown) return false;
    list.release();
    list.reset(grown);
    return true;
}

// The message text as libcurl's upload reads it.
struct Upload {
    const std::string& text;
    size_t sent = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* data) {
    auto& upload = *static_cast<Upload*>(data);
    const size_t length = std::min(size * count, upload.text.size() - upload.sent);
    std::memcpy(buffer, upload.text.data() + upload.sent, length);
    upload.sent += length;
    return length;
}

int abortWhenCutOff(void* cutOff, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return *static_cast<const bool*>(cutOff) ? 1 : 0;
}

// What the server and the transport last said to each other, from libcurl's trace: the last
// command by its verb (a login's data lines are no commands and never kept), the address of the
// last RCPT, and the server's last reply line.
struct Exchange {
    std::string verb;
    std::string recipient;
    std::string reply;
    // QUIT was sent (also after a failure): what follows says nothing about the failure.
    bool quitting = false;

    // The reply's code, 0 when there is none.
    int replyCode() const {
        if (reply.size() < 3) return 0;
        int code = 0;
        for (size_t i = 0; i < 3; ++i) {
            if (reply[i] < '0' || reply[i] > '9') return 0;
            code = code * 10 + (reply[i] - '0');
        }
        return code;
    }
};

std::string withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

int watchExchange(CURL*, curl_infotype type, char* data, size_t size, void* target) {
    auto& exchange = *static_cast<Exchange*>(target);
    const std::string_view text(data, size);
    if (exchange.quitting) return 0;
    if (type == CURLINFO_HEADER_IN) {
        // The last line of a (multi-line) reply.
        const std::string line = withoutLineEnd(text);
        const size_t start = line.find_last_of('\n');
        exchange.reply = start == std::string::npos ? line : line.substr(start + 1);
    } else if (type == CURLINFO_HEADER_OUT) {
        const std::string_view verb = text.substr(0, text.find_first_of(" :\r\n"));
        if (verb == "QUIT") exchange.quitting = true;
        for (const std::string_view command :
             {"EHLO", "HELO", "STARTTLS", "AUTH", "MAIL", "RCPT", "DATA", "RSET"}) {
            if (verb != command) continue;
            exchange.verb = std::string(verb);
            if (verb == "RCPT") {
                const size_t open = text.find('<');
                const size_t close = text.find('>', open);
                exchange.recipient =
                    open == std::string_view::npos || close == std::string_view::npos
                        ? std::string()
                        : std::string(text.substr(open + 1, close - open - 1));
            }
        }
    }
    return 0;
}

// The host and port of a smtp:// or smtps:// URL, for the person to recognise.
std::string serverOf(const std::string& url) {
    const size_t start = url.find("://");
    std::string server = start == std::string::npos ? url : url.substr(start + 3);
    server = server.substr(0, server.find('/'));
    if (const size_t at = server.rfind('@'); at != std::string::npos) server.erase(0, at + 1);
    return server;
}

// The failure in the person's words (see SmtpTransport.h).
std::string plainReason(CURLcode status, const char* errorText, const Exchange& exchange,
                        const SmtpSettings& settings) {
    const std::string detail =
        withoutLineEnd(errorText[0] ? errorText : curl_easy_strerror(status));
    const std::string server = serverOf(settings.url);
    const std::string reply =
        exchange.reply.empty() ? std::string() : " (the server said \"" + exchange.reply + "\")";
    switch (status) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return "No connection to the mail server: the name " +
                   server.substr(0, server.rfind(':')) + " is not known.";
        case CURLE_COULDNT_CONNECT:
            return "No connection to the mail server " + server + " (" + detail + ").";
        case CURLE_OPERATION_TIMEDOUT:
            return "The mail server " + server + " did not answer in time (timed out).";
        case CURLE_PEER_FAILED_VERIFICATION:
            return "The mail server's certificate is not trusted (" + detail +
                   "). If the server's certificate comes from an authority of its own, name that "
                   "authority with --smtp-ca FILE.";
        case CURLE_SSL_CACERT_BADFILE:
            return "The certificate authority file " + settings.certificateAuthority +
                   " cannot be used (" + detail + ").";
        case CURLE_SSL_CONNECT_ERROR:
            return "No secure connection to the mail server could be made (" + detail + ")" +
                   (settings.url.starts_with("smtps:")
                        ? "; if the server upgrades with STARTTLS instead, use smtp://."
                        : ".");
        case CURLE_USE_SSL_FAILED:
            return "The mail server " + server +
                   " offers no secure connection (STARTTLS), and the password is sent over none "
                   "other.";
        case CURLE_LOGIN_DENIED:
            return "The mail server refused the login: check the user name and password "
                   "(ZEMTRA_SMTP_USER, ZEMTRA_SMTP_PASSWORD)" +
                   reply + ".";
        default:
            break;
    }
    if (exchange.replyCode() >= 400) {
        if (exchange.verb == "AUTH") return plainReason(CURLE_LOGIN_DENIED, "", exchange, settings);
        if (exchange.verb == "RCPT")
            return "The mail server refused the recipient " + exchange.recipient + reply + ".";
        if (exchange.verb == "MAIL")
            return "The mail server refused the sender address " + settings.sender + reply + ".";
        if (exchange.verb == "DATA") return "The mail server refused the message" + reply + ".";
        return "The mail server refused to go on" + reply + ".";
    }
    if (status == CURLE_SEND_ERROR || status == CURLE_RECV_ERROR || status == CURLE_GOT_NOTHING)
        return "The connection to the mail server was lost (" + detail + ").";
    return "The mail was not sent: " + detail + " (libcurl error " +
           std::to_string(static_cast<int>(status)) + ").";
}

}  // namespace

// The multi handle the transfers run on: unlike a blocking easy transfer, its wait can be woken
// from the destructor's thread, so a transfer is cut off the moment its time is up.
struct SmtpTransport::Multi {
    CURLM* handle = curl_multi_init();
    ~Multi() { curl_multi_cleanup(handle); }
};

SmtpTransport::SmtpTransport(SmtpSettings settings, std::shared_ptr<MailDrafts> drafts)
    : settings_(std::move(settings)), drafts_(std::move(drafts)) {
    // Reference-counted by libcurl; called here, before the worker exists, because it is not
    // safe to call while other threads use libcurl.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    multi_ = std::make_unique<Multi>();
    worker_ = std::thread([this] { work(); });
}

SmtpTransport::~SmtpTransport() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        cutOffAt_ = std::chrono::steady_clock::now() + settings_.shutdownGrace;
        changed_.notify_all();
    }
    if (multi_->handle) curl_multi_wakeup(multi_->handle);
    worker_.join();
    multi_.reset();
    curl_global_cleanup();
}

void SmtpTransport::send(MailMessage message, int64_t epochMillis,
                         std::function<void(Result<void>)> done) {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(Job{std::move(message), epochMillis, std::move(done)});
    changed_.notify_all();
}

std::optional<std::chrono::milliseconds> SmtpTransport::timeBeforeCutOff() {
    const std::lock_guard lock(mutex_);
    if (!stopping_) return std::nullopt;
    return std::max(0ms, std::chrono::ceil<std::chrono::milliseconds>(
                             cutOffAt_ - std::chrono::steady_clock::now()));
}

void SmtpTransport::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        const Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        const auto left = timeBeforeCutOff();
        Result<void> outcome = left && *left == 0ms ? fail("cut off", kCutOff) : deliver(job);
        if (!outcome && outcome.failure().code == kCutOff) outcome = keepAsDraft(job);
        if (job.done) job.done(std::move(outcome));
        lock.lock();
    }
}

Result<void> SmtpTransport::keepAsDraft(const Job& job) {
    const Result<std::string> draft =
        drafts_ ? drafts_->save(job.message, settings_.sender, job.epochMillis)
                : Result<std::string>(fail("no drafts folder is set up"));
    if (!draft) {
        const std::string reason =
            "The program ended before a mail was sent, and it could not be kept as a draft: " +
            draft.error();
        diagnostics::error(reason);
        return fail(reason, kCutOff);
    }
    const std::string reason =
        "The program ended before a mail was sent; it is kept as a draft: " + *draft;
    diagnostics::warning(reason);
    return fail(reason, kCutOff);
}

Result<void> SmtpTransport::deliver(const Job& job) {
    const MailMessage& message = job.message;
    if (const auto problem = mail::problemWith(message, true)) return fail(*problem);
    if (settings_.sender.empty()) return fail("No sender address is set up (--mail-from).");
    if (!mail::isValidAddress(settings_.sender)) {
        return fail("The sender address \"" + settings_.sender + "\" is not a valid mail address.");
    }

    CurlHandle curl(curl_easy_init());
    if (!curl || !multi_->handle) return fail("libcurl could not start a transfer.");
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
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings_.certificateAuthority.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, settings_.certificateAuthority.c_str());
    Exchange exchange;
    curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &watchExchange);
    curl_easy_setopt(handle, CURLOPT_DEBUGDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
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
            if (!append(recipients, "<" + address + ">")) return fail("Out of memory.");
        }
    }
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());

    const std::string text =
        writeMessage(message, settings_.sender, job.epochMillis, MessageUse::sending);
    Upload upload{text};
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, &readUpload);
    curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));

    // Once the time is up the progress callback (called on every step of the transfer) aborts
    // it: a transfer merely taken off the multi handle would first finish its exchange with the
    // server, which is what a stalled server never lets happen.
    bool cutOff = false;
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &abortWhenCutOff);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &cutOff);
    CURLM* multi = multi_->handle;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) return fail("Out of memory.");
    CURLcode status = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            status = CURLE_OUT_OF_MEMORY;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (const CURLMsg* done = curl_multi_info_read(multi, &left)) {
                if (done->msg == CURLMSG_DONE) status = done->data.result;
            }
            break;
        }
        const auto left = timeBeforeCutOff();
        cutOff = left && *left == 0ms;
        const auto wait = cutOff ? 10ms : std::min(left.value_or(1000ms), 1000ms);
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
    }
    curl_multi_remove_handle(multi, handle);
    if (status == CURLE_OK) return {};
    if (status == CURLE_ABORTED_BY_CALLBACK) return fail("cut off", kCutOff);
    return fail(plainReason(status, errorText, exchange, settings_));
}

}  // namespace zemtra::platform::smtp
