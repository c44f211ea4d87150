// The phone stand-in: phone_test_server.py on the test's listening socket, its scenario file and
// the requests it wrote.
#include "tests/support/PhoneTestServer.h"

#include <signal.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

namespace zemtra::testing {

PhoneTestServer::PhoneTestServer() {
    answerLive();
    start();
}

PhoneTestServer::~PhoneTestServer() {
    stop();
}

void PhoneTestServer::answer(const std::string& scenario) {
    // Whole or not at all: the server reads it at every request.
    writeFile(folder_ / "scenario.tmp", scenario);
    std::filesystem::rename(folder_ / "scenario.tmp", folder_ / "scenario.json");
}

void PhoneTestServer::answerLive(bool measuring) {
    answer(nlohmann::json{{"answer", "live"}, {"measuring", measuring}}.dump());
}

void PhoneTestServer::answerText(const std::string& body, int status) {
    answer(nlohmann::json{{"answer", body}, {"status", status}}.dump());
}

void PhoneTestServer::start() {
    if (server_) return;
    ProgramOptions server;
    server.arguments = {
        "/usr/bin/python3", std::string(ZEMTRA_TEST_SUPPORT_DIR) + "/phone_test_server.py",
        "--descriptor",     std::to_string(listener_.descriptor()),
        "--scenario",       folder_.file("scenario.json")};
    server_ = std::make_unique<ChildProcess>(server);
}

void PhoneTestServer::stop() {
    if (!server_) return;
    server_->signal(SIGTERM);
    earlier_ += server_->wait(std::chrono::seconds(5)).out;
    server_.reset();
}

std::vector<std::string> PhoneTestServer::requests() const {
    std::istringstream lines(earlier_ + (server_ ? server_->out() : std::string()));
    std::vector<std::string> paths;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("GET ")) paths.push_back(line.substr(4));
    }
    return paths;
}

}  // namespace zemtra::testing
