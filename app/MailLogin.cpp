// Choosing the mail login.
#include "app/MailLogin.h"

namespace zemtra::app {

std::string mailServerHost(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return std::string();
    std::string authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const size_t at = authority.rfind('@'); at != std::string::npos)
        authority = authority.substr(at + 1);
    if (authority.starts_with('[')) {
        const size_t close = authority.find(']');
        return close == std::string::npos ? std::string() : authority.substr(1, close - 1);
    }
    return authority.substr(0, authority.find(':'));
}

MailLogin mailLogin(const Options& options, Environment environment, platform::SecretStore& store) {
    MailLogin login;
    login.user =
        options.smtpUser.empty() ? environment("ZEMTRA_SMTP_USER").value_or("") : options.smtpUser;
    login.password = environment("ZEMTRA_SMTP_PASSWORD").value_or("");
    const std::string host = mailServerHost(options.smtpUrl);
    if (login.password.empty() && !login.user.empty() && !host.empty())
        login.password = store.mailPassword(host, login.user).value_or("");
    return login;
}

}  // namespace zemtra::app
