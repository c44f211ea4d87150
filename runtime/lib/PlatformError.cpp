// Error objects for file system failures.
#include "runtime/lib/PlatformError.h"

namespace zemtra {

std::shared_ptr<RtError> posixError(int errorNumber, std::string_view path) {
    std::string text = std::generic_category().message(errorNumber);
    if (!path.empty()) {
        text += " (";
        text += path;
        text += ")";
    }
    return std::make_shared<RtError>(String(kPosixErrorDomain), errorNumber, fromUtf8(text));
}

std::shared_ptr<RtError> posixError(const std::error_code& error, std::string_view path) {
    return posixError(error.value(), path);
}

std::shared_ptr<RtError> plainError(StringView description) {
    return std::make_shared<RtError>(u"zemtra", 0, String(description));
}

}  // namespace zemtra
