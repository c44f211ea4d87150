// The platform log: where log lines of the application go when no logger is installed.
#pragma once

#include <string_view>

namespace zemtra::platform {

class PlatformLog {
  public:
    virtual ~PlatformLog() = default;
    // One line, the text exactly as given (UTF-8), nothing added but the line end.
    virtual void writeLine(std::string_view utf8) = 0;
};

}  // namespace zemtra::platform
