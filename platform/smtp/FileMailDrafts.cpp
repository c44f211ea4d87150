// Draft message files.
#include "platform/smtp/FileMailDrafts.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/smtp/MessageWriter.h"

namespace zemtra::platform::smtp {

namespace {

// Writes all of `bytes` to a new file; false (errno set, the file removed) when that fails.
bool writeNewFile(const std::string& path, const std::string& bytes) {
    // O_EXCL: an existing draft is never replaced, even by a race with another writer.
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0) return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(file, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        written += static_cast<size_t>(count);
    }
    const int writeError = written == bytes.size() ? 0 : (errno ? errno : EIO);
    const bool closed = ::close(file) == 0;
    if (writeError == 0 && closed) return true;
    const int error = writeError ? writeError : errno;
    ::unlink(path.c_str());
    errno = error;
    return false;
}

}  // namespace

Result<std::string> FileMailDrafts::save(const MailMessage& message, const std::string& sender,
                                         int64_t epochMillis) {
    if (const auto problem = mail::problemWith(message, false)) return fail(*problem);
    if (!sender.empty() && !mail::isValidAddress(sender)) {
        return fail("The sender address \"" + sender + "\" is not a valid mail address.");
    }
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return fail("Cannot create the drafts folder " + folder_ + ": " + error.message(), error);

    const std::string content = writeMessage(message, sender, epochMillis, MessageUse::draft);
    const std::time_t seconds = static_cast<std::time_t>(epochMillis / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "draft-%Y%m%d-%H%M%S", &local);
    const std::filesystem::path stem = std::filesystem::path(folder_) / stamp;
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string path =
            stem.string() + (attempt == 1 ? "" : "-" + std::to_string(attempt)) + ".eml";
        if (writeNewFile(path, content)) return path;
        if (errno == EEXIST) continue;
        const std::error_code code(errno, std::generic_category());
        return fail("Cannot write " + path + ": " + code.message(), code);
    }
    return fail("Too many drafts with the same time in " + folder_);
}

}  // namespace zemtra::platform::smtp
