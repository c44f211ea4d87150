// Errors of the file system as the runtime's error objects: the system's error number and a
// description naming the item, so that reasons such as "Error reading file: %@" say what failed
// and where.
#pragma once

#include <memory>
#include <string_view>
#include <system_error>

#include "runtime/core/RtCore.h"

namespace zemtra {

// The domain of errors that carry a POSIX error number as their code.
inline constexpr StringView kPosixErrorDomain = u"NSPOSIXErrorDomain";

// "<system text> (<path>)", e.g. "No such file or directory (/home/u/x.txt)"; without a path just
// the system text.
std::shared_ptr<RtError> posixError(int errorNumber, std::string_view path = {});
std::shared_ptr<RtError> posixError(const std::error_code& error, std::string_view path = {});
// An error that no error number describes (domain "zemtra", code 0).
std::shared_ptr<RtError> plainError(StringView description);

}  // namespace zemtra
