// Mail test support: aiosmtpd on a socket the test made, a silent listener, Python's email parser.
#include "tests/support/SmtpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace zemtra::testing {

namespace {

// The Python halves of the helpers, beside this file.
std::string script(const char* name) {
    return std::string(ZEMTRA_TEST_SUPPORT_DIR) + "/" + name;
}

}  // namespace

LocalListener::LocalListener() {
    // Inheritable (no SOCK_CLOEXEC): the test server takes it over.
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(socket_, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        ::listen(socket_, 16) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ADD_FAILURE() << "cannot listen on 127.0.0.1";
    }
    port_ = ntohs(address.sin_port);
}

LocalListener::~LocalListener() {
    close();
}

void LocalListener::close() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
}

namespace {

// A certificate authority and, signed by it, a certificate for 127.0.0.1 and localhost, made with
// openssl into `folder`: authority.pem, server.pem and server.key. Valid for two days.
void makeCertificates(const TemporaryFolder& folder) {
    writeFile(folder / "openssl.cnf",
              "[req]\ndistinguished_name = dn\n[dn]\n"
              "[authority]\nbasicConstraints = critical,CA:TRUE\n"
              "keyUsage = critical,keyCertSign,cRLSign\nsubjectKeyIdentifier = hash\n"
              "[server]\nbasicConstraints = CA:FALSE\n"
              "subjectAltName = IP:127.0.0.1,DNS:localhost\n"
              "keyUsage = critical,digitalSignature,keyEncipherment\n"
              "extendedKeyUsage = serverAuth\nsubjectKeyIdentifier = hash\n"
              "authorityKeyIdentifier = keyid\n");
    const std::vector<std::string> common = {
        "req",     "-x509", "-config",  folder.file("openssl.cnf"),
        "-newkey", "ec",    "-pkeyopt", "ec_paramgen_curve:prime256v1",
        "-nodes",  "-days", "2"};
    const std::vector<std::vector<std::string>> steps = {
        {"-extensions", "authority", "-subj", "/CN=Zemtra test authority", "-keyout",
         folder.file("authority.key"), "-out", folder.file("authority.pem")},
        {"-extensions", "server", "-subj", "/CN=localhost", "-CA", folder.file("authority.pem"),
         "-CAkey", folder.file("authority.key"), "-keyout", folder.file("server.key"), "-out",
         folder.file("server.pem")}};
    for (const auto& step : steps) {
        ProgramOptions openssl;
        openssl.arguments = {"/usr/bin/openssl"};
        openssl.arguments.insert(openssl.arguments.end(), common.begin(), common.end());
        openssl.arguments.insert(openssl.arguments.end(), step.begin(), step.end());
        const ProgramOutcome outcome = runProgram(openssl, std::chrono::seconds(30));
        if (outcome.status != 0) ADD_FAILURE() << "openssl failed: " << outcome.err;
    }
}

}  // namespace

SmtpTestServer::SmtpTestServer(const SmtpServerOptions& options) {
    using Security = SmtpServerOptions::Security;
    LocalListener listener;
    url_ = listener.url();
    ProgramOptions server;
    server.arguments = {"/usr/bin/python3", script("smtp_test_server.py"),
                        std::to_string(listener.descriptor()), folder_.path().string()};
    if (options.security != Security::plain) {
        makeCertificates(folder_);
        const bool implicit = options.security == Security::implicitTls;
        if (implicit) url_.replace(0, 4, "smtps");
        server.arguments.insert(server.arguments.end(),
                                {"--tls", implicit ? "implicit" : "starttls", "--cert",
                                 folder_.file("server.pem"), "--key", folder_.file("server.key")});
    }
    if (!options.login.empty())
        server.arguments.insert(server.arguments.end(), {"--login", options.login});
    for (const std::string& address : options.refused)
        server.arguments.insert(server.arguments.end(), {"--refuse", address});
    server_ = std::make_unique<ChildProcess>(server);
    // The child holds the socket now; the test's copy goes, so that stop() really stops it.
}

SmtpTestServer::~SmtpTestServer() {
    stop();
}

void SmtpTestServer::stop() {
    if (!server_) return;
    server_->signal(SIGTERM);
    server_->wait(std::chrono::seconds(5));
}

std::vector<ReceivedMail> SmtpTestServer::waitForMessages(size_t count,
                                                          std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<std::filesystem::path> files;
    for (;;) {
        files.clear();
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
            if (entry.path().extension() == ".mail") files.push_back(entry.path());
        }
        if (files.size() >= count || std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::sort(files.begin(), files.end());
    std::vector<ReceivedMail> mails;
    for (const auto& file : files) {
        const std::string bytes = readFile(file);
        const size_t split = bytes.find("\n\n");
        const size_t headEnd = bytes.find('\n');
        const size_t senderEnd = bytes.find('\n', headEnd + 1);
        const std::string head = bytes.substr(0, headEnd);
        const std::string login = head.substr(head.find(' ') + 1);
        ReceivedMail mail{head.starts_with("tls "),
                          login == "-" ? "" : login,
                          bytes.substr(split + 2),
                          bytes.substr(headEnd + 1, senderEnd - headEnd - 1),
                          {}};
        for (size_t start = senderEnd + 1; start < split;) {
            const size_t end = bytes.find('\n', start);
            mail.recipients.push_back(bytes.substr(start, end - start));
            start = end + 1;
        }
        mails.push_back(std::move(mail));
    }
    return mails;
}

std::string writeStandInXdgEmail(const TemporaryFolder& folder, int status, int seconds) {
    std::filesystem::create_directories(folder / "attached");
    std::string script = R"(#!/bin/sh
printf '%s\n' "$@" > 'FOLDER/arguments'
while [ $# -gt 0 ]; do
  if [ "$1" = --attach ]; then cp "$2" 'FOLDER/attached/'; fi
  shift
done
sleep SECONDS
echo 'xdg-email: stand-in ending with status STATUS' >&2
exit STATUS
)";
    for (const auto& [name, value] :
         {std::pair<std::string, std::string>{"FOLDER", folder.path().string()},
          {"SECONDS", std::to_string(seconds)},
          {"STATUS", std::to_string(status)}}) {
        for (size_t at; (at = script.find(name)) != std::string::npos;)
            script.replace(at, name.size(), value);
    }
    writeFile(folder / "bin/xdg-email", script);
    std::filesystem::permissions(folder / "bin/xdg-email", std::filesystem::perms::owner_all);
    return (folder / "bin/xdg-email").string();
}

std::optional<std::string> describeMessage(const std::string& text) {
    const TemporaryFolder folder("zemtra-mail");
    writeFile(folder / "message.eml", text);
    ProgramOptions options;
    options.arguments = {"/usr/bin/python3", script("describe_message.py"),
                         folder.file("message.eml")};
    const ProgramOutcome outcome = runProgram(options, std::chrono::seconds(30));
    if (outcome.status != 0) {
        ADD_FAILURE() << "python failed: " << outcome.err;
        return std::nullopt;
    }
    return outcome.out;
}

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += kDigits[static_cast<uint8_t>(c) >> 4];
        out += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

}  // namespace zemtra::testing
