// The phone's requests through libcurl's multi interface (so that a stop wakes the wait at once)
// and its answers read with nlohmann-json.
#include "platform/sensors/PhoneDevice.h"

#include <curl/curl.h>

#include <array>
#include <nlohmann/json.hpp>
#include <stop_token>

#include "platform/Diagnostics.h"

namespace zemtra::platform::sensors {

namespace {

// The experiment's buffers: the magnetometer's x, y, z and time, then the acceleration's.
constexpr std::array<const char*, 8> kBuffers = {"magX", "magY", "magZ", "magT",
                                                 "accX", "accY", "accZ", "accT"};
constexpr std::chrono::milliseconds kWaitSlice{100};

// A URL's part, or nothing when it has none.
std::optional<std::string> part(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK || !text) return std::nullopt;
    std::string copy(text);
    curl_free(text);
    return copy;
}

// HOST:PORT of an http://HOST:PORT address.
Result<std::string> addressOf(const std::string& text) {
    const auto refused = [&text] {
        return fail(
            "a phone's address is http://HOST:PORT, as the phyphox app shows it under "
            "\"Allow remote access\", got '" +
            text + "'");
    };
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
        return refused();
    }
    const auto scheme = part(url.get(), CURLUPART_SCHEME);
    const auto host = part(url.get(), CURLUPART_HOST);
    const auto port = part(url.get(), CURLUPART_PORT);
    const auto path = part(url.get(), CURLUPART_PATH);
    if (scheme != "http" || !host || host->empty() || !port || (path && *path != "/") ||
        part(url.get(), CURLUPART_USER) || part(url.get(), CURLUPART_QUERY) ||
        part(url.get(), CURLUPART_FRAGMENT)) {
        return refused();
    }
    return *host + ":" + *port;
}

}  // namespace

// One easy handle, reused with a fresh connection each time, on a multi handle whose wait a stop
// can wake.
struct PhoneDevice::Transfer {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    std::string body;
    bool tooLarge = false;
    std::array<char, CURL_ERROR_SIZE> error{};

    Transfer() {
        // Reference-counted by libcurl; here, on the thread that makes the source, before its
        // own thread runs, because it is not safe while other threads use libcurl.
        curl_global_init(CURL_GLOBAL_DEFAULT);
        multi = curl_multi_init();
        easy = curl_easy_init();
        headers = curl_slist_append(nullptr, "Connection: close");
    }
    ~Transfer() {
        curl_slist_free_all(headers);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        curl_global_cleanup();
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    static size_t write(char* data, size_t size, size_t count, void* self) {
        auto& transfer = *static_cast<Transfer*>(self);
        const size_t bytes = size * count;
        if (transfer.body.size() + bytes > kMaximumAnswer) {
            transfer.tooLarge = true;
            return 0;  // aborts the transfer
        }
        transfer.body.append(data, bytes);
        return bytes;
    }
};

const std::string& PhoneDevice::readingPath() {
    static const std::string path = [] {
        std::string text = "/get?";
        for (const char* name : kBuffers) {
            if (text.size() > 5) text += '&';
            text += std::string(name) + "=full";
        }
        return text;
    }();
    return path;
}

Result<std::unique_ptr<PhoneDevice>> PhoneDevice::open(const std::string& url, SensorClock clock,
                                                       Timeouts timeouts) {
    auto address = addressOf(url);
    if (!address) return address.failure();
    auto device = std::make_unique<PhoneDevice>(Key{}, std::move(address).value(), std::move(clock),
                                                timeouts);
    if (!device->transfer_->multi || !device->transfer_->easy || !device->transfer_->headers) {
        return fail("libcurl could not be set up for the phone");
    }
    return device;
}

PhoneDevice::PhoneDevice(Key, std::string address, SensorClock clock, Timeouts timeouts)
    : address_(std::move(address)),
      clock_(std::move(clock)),
      transfer_(std::make_unique<Transfer>()) {
    CURL* easy = transfer_->easy;
    if (!easy) return;
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer_->headers);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer_.get());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer_->error.data());
}

PhoneDevice::~PhoneDevice() = default;

std::string PhoneDevice::description() const {
    return "Phone " + address_;
}

Result<std::string> PhoneDevice::fetch(const std::string& path, const std::stop_token& stop) {
    Transfer& transfer = *transfer_;
    transfer.body.clear();
    transfer.tooLarge = false;
    transfer.error[0] = '\0';
    const std::string url = "http://" + address_ + path;
    curl_easy_setopt(transfer.easy, CURLOPT_URL, url.c_str());
    if (curl_multi_add_handle(transfer.multi, transfer.easy) != CURLM_OK) {
        return fail("libcurl could not start a request to the phone");
    }
    CURLcode result = CURLE_OK;
    bool done = false;
    {
        const std::stop_callback wake(stop, [&transfer] { curl_multi_wakeup(transfer.multi); });
        for (;;) {
            int running = 0;
            if (curl_multi_perform(transfer.multi, &running) != CURLM_OK) break;
            int left = 0;
            while (const CURLMsg* message = curl_multi_info_read(transfer.multi, &left)) {
                if (message->msg == CURLMSG_DONE) {
                    result = message->data.result;
                    done = true;
                }
            }
            if (done || running == 0 || stop.stop_requested()) break;
            curl_multi_poll(transfer.multi, nullptr, 0, static_cast<int>(kWaitSlice.count()),
                            nullptr);
        }
    }
    curl_multi_remove_handle(transfer.multi, transfer.easy);
    if (!done) return fail("the request to the phone at " + address_ + " was cut off");
    if (transfer.tooLarge) {
        return fail("the phone at " + address_ + " answered more than 1 MB");
    }
    if (result != CURLE_OK) {
        const std::string detail =
            transfer.error[0] ? transfer.error.data() : curl_easy_strerror(result);
        return fail("no answer from the phone at " + address_ + " (" + detail + ")");
    }
    long status = 0;
    curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        return fail("the phone at " + address_ + " answered HTTP " + std::to_string(status) +
                    " to " + path);
    }
    return std::move(transfer.body);
}

void PhoneDevice::askToStart(const std::stop_token& stop) {
    const auto now = clock_.sinceStartup();
    if (lastStart_ && now - *lastStart_ < kStartPeriod) return;
    lastStart_ = now;
    const auto started = fetch("/control?cmd=start", stop);
    if (!startSaid_) {
        startSaid_ = true;
        diagnostics::info("The phone at " + address_ +
                          " was not measuring; zemtra asked it to start" +
                          (started ? std::string() : ": " + started.error()));
    }
}

Result<MotionReading> PhoneDevice::read(const std::stop_token& stop) {
    const auto answer = fetch(readingPath(), stop);
    if (!answer) return answer.failure();
    const auto json = nlohmann::json::parse(*answer, nullptr, false);
    if (json.is_discarded())
        return fail("the phone at " + address_ + " answered something that is not JSON");
    const auto notPhyphox = [this] {
        return fail("the phone at " + address_ +
                    " answered JSON without phyphox's \"buffer\" and \"status\" objects");
    };
    if (!json.is_object() || !json.contains("buffer") || !json["buffer"].is_object() ||
        !json.contains("status") || !json["status"].is_object()) {
        return notPhyphox();
    }
    const auto& status = json["status"];
    if (!status.contains("measuring") || !status["measuring"].is_boolean()) return notPhyphox();
    if (!status["measuring"].get<bool>()) {
        askToStart(stop);
        return fail("the phone at " + address_ + " is not measuring");
    }
    startSaid_ = false;

    const auto& buffers = json["buffer"];
    std::string missing;
    for (const char* name : kBuffers) {
        const auto found = buffers.find(name);
        if (found != buffers.end() && found->is_object() && found->contains("buffer") &&
            (*found)["buffer"].is_array()) {
            continue;
        }
        missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    if (!missing.empty()) {
        return fail("the phone's experiment has no buffer " + missing +
                    "; open zemtra.phyphox on the phone");
    }
    std::array<double, kBuffers.size()> values{};
    for (size_t i = 0; i < kBuffers.size(); ++i) {
        const auto& buffer = buffers[kBuffers[i]]["buffer"];
        if (buffer.empty()) return fail("the phone at " + address_ + " has no sample yet");
        const auto& value = buffer.back();
        // phyphox writes a value that is not a number (NaN, infinite) as null; JSON has no
        // other way, and the parser refuses a number too large for a double.
        if (value.is_null()) {
            return fail(
                "the phone sent a " + std::string(kBuffers[i]) + " that is not a finite number",
                kNotFinite);
        }
        if (!value.is_number()) {
            return fail("the phone's buffer " + std::string(kBuffers[i]) +
                        " holds something that is not a number");
        }
        values[i] = value.get<double>();
    }
    const std::pair times{values[3], values[7]};
    if (lastTimes_ == times) return fail("the phone at " + address_ + " sent no new sample");
    lastTimes_ = times;
    return MotionReading{
        .magneticField = MagneticField{values[0], values[1], values[2]},
        // No attitude in the experiment (see the header): it stays 0.
        .deviceMotion = DeviceMotion{.userAcceleration = {values[4] / kStandardGravity,
                                                          values[5] / kStandardGravity,
                                                          values[6] / kStandardGravity},
                                     .attitude = {}},
    };
}

}  // namespace zemtra::platform::sensors
