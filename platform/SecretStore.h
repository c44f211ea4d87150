// The desktop's secret store, where a person keeps passwords instead of writing them into a
// configuration file (on Linux the Secret Service of GNOME Keyring or KWallet, through libsecret).
//
// Contract:
// - A lookup never asks the person anything: a locked store, one that is not running, or no
//   session bus at all answer "nothing", as does a store without the entry. Why is told on the
//   diagnostics channel at debug level only, since most machines have no store and that is fine.
// - A lookup blocks the calling thread for a bounded time (a few seconds at most), so call it
//   before the window opens or off the main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zemtra::platform {

class SecretStore {
  public:
    virtual ~SecretStore() = default;

    // The password kept for `user` on the mail server `host` (the host name of the server's URL),
    // or nothing.
    virtual std::optional<std::string> mailPassword(const std::string& host,
                                                    const std::string& user) = 0;
};

}  // namespace zemtra::platform
