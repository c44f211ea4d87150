// Mail test support: aiosmtpd in a child process, a silent listener, Python's email parser.
#include "tests/platform/smtp/SmtpTestServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

extern char** environ;

namespace zemtra::testing {

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool accepts(int port) {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0) return false;
    const sockaddr_in address = loopback(port);
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return connected;
}

std::filesystem::path freshFolder(const std::string& stem) {
    std::random_device random;
    const auto folder = std::filesystem::temp_directory_path() /
                        (stem + std::to_string(::getpid()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

int freeLocalPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    ::bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    return ntohs(address.sin_port);
}

SmtpTestServer::SmtpTestServer() : folder_(freshFolder("zemtra-smtp-")), port_(freeLocalPort()) {
    const std::string listen = "127.0.0.1:" + std::to_string(port_);
    const std::string mailbox = (folder_ / "maildir").string();
    std::vector<std::string> arguments{
        "/usr/bin/python3",          "-m",   "aiosmtpd", "-n", "-l", listen, "-c",
        "aiosmtpd.handlers.Mailbox", mailbox};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&process_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        process_ = -1;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (accepts(port_)) {
            ready_ = true;
            return;
        }
        int status = 0;
        if (::waitpid(process_, &status, WNOHANG) == process_) {
            process_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

SmtpTestServer::~SmtpTestServer() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void SmtpTestServer::stop() {
    if (process_ <= 0) return;
    ::kill(process_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::waitpid(process_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(process_, SIGKILL);
            ::waitpid(process_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    process_ = -1;
    ready_ = false;
}

std::vector<std::filesystem::path> SmtpTestServer::messages() const {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder_ / "maildir" / "new", error)) {
        files.push_back(entry.path());
    }
    return files;
}

bool SmtpTestServer::waitForMessages(size_t count, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (messages().size() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

SilentServer::SilentServer() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(socket_, 4);
    socklen_t size = sizeof address;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
    if (client_ >= 0) ::close(client_);
    if (socket_ >= 0) ::close(socket_);
}

bool SilentServer::waitForClient(std::chrono::milliseconds limit) {
    pollfd waiting{socket_, POLLIN, 0};
    if (::poll(&waiting, 1, static_cast<int>(limit.count())) != 1) return false;
    client_ = ::accept(socket_, nullptr, nullptr);
    return client_ >= 0;
}

std::optional<std::string> runPython(const std::string& script,
                                     const std::vector<std::string>& arguments) {
    const auto folder = freshFolder("zemtra-py-");
    const auto scriptFile = folder / "script.py";
    const auto outputFile = folder / "out.txt";
    std::ofstream(scriptFile) << script;
    std::vector<std::string> words{"/usr/bin/python3", scriptFile.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    std::optional<std::string> output;
    if (spawned == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0) {
        std::ifstream in(outputFile, std::ios::binary);
        output = std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return output;
}

std::optional<std::string> describeMessage(const std::filesystem::path& file) {
    static const std::string kScript = R"(
import email, email.policy, sys
with open(sys.argv[1], 'rb') as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)
print('multipart=' + str(message.is_multipart()))
print('subject=' + str(message['Subject'] or ''))
print('headers=' + ','.join(sorted(set(k.lower() for k in message.keys()))))
print('to=' + str(message['To'] or ''))
print('rcpt=' + str(message['X-RcptTo'] or ''))
for part in message.walk():
    if part.is_multipart():
        continue
    payload = part.get_payload(decode=True) or b''
    name = part.get_filename()
    if name is None:
        print('body=' + part.get_content_type() + ' ' + payload.hex())
    else:
        print('attachment=' + name + ' ' + part.get_content_type() + ' ' + payload.hex())
)";
    return runPython(kScript, {file.string()});
}

std::string hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += kDigits[static_cast<uint8_t>(c) >> 4];
        out += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

}  // namespace zemtra::testing
