// The login on the mail server: who logs in and with which password, from the options, the
// environment and the desktop's secret store.
#pragma once

#include <string>

#include "app/CommandLine.h"
#include "platform/SecretStore.h"

namespace zemtra::app {

struct MailLogin {
    std::string user;  // empty: no login
    std::string password;
};

// The user is --smtp-user (command line or configuration file), else ZEMTRA_SMTP_USER. The
// password is ZEMTRA_SMTP_PASSWORD, else the secret store's for that user on the server's host;
// the store is asked only when there is a server, a user and no password in the environment.
MailLogin mailLogin(const Options& options, Environment environment, platform::SecretStore& store);

// The host name of a smtp:// or smtps:// URL: "mail.example.org" of
// "smtps://alice@mail.example.org:465/", "::1" of "smtp://[::1]:25"; empty when there is none.
std::string mailServerHost(const std::string& url);

}  // namespace zemtra::app
