// A phone on the local network for the tests: phyphox's remote-access server as its documentation
// describes it (phone_test_server.py, run by the system Python), on a socket the test made, so that
// its address is known from the start and it can be stopped and started again at that address.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/SmtpTestServer.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

class PhoneTestServer {
  public:
    // Started, answering as a phone in a measurement does ("live").
    PhoneTestServer();
    ~PhoneTestServer();
    PhoneTestServer(const PhoneTestServer&) = delete;
    PhoneTestServer& operator=(const PhoneTestServer&) = delete;

    // http://127.0.0.1:PORT
    std::string url() const { return "http://127.0.0.1:" + std::to_string(listener_.port()); }
    std::string address() const { return "127.0.0.1:" + std::to_string(listener_.port()); }

    // What /get answers from now on: the scenario object phone_test_server.py describes.
    void answer(const std::string& scenario);
    // Values that move with the time, and whether a measurement runs before a start command.
    void answerLive(bool measuring = true);
    // Every /get answers `body` as it is, with this HTTP status.
    void answerText(const std::string& body, int status = 200);

    // Ends the server: connections wait unanswered at the address until it is started again.
    void stop();
    void start();

    // The paths asked for so far, in order ("/get?magX=full&...", "/control?cmd=start").
    std::vector<std::string> requests() const;

  private:
    TemporaryFolder folder_{"zemtra-phone"};
    LocalListener listener_;
    std::unique_ptr<ChildProcess> server_;
    std::string earlier_;  // what servers before this one wrote
};

}  // namespace zemtra::testing
