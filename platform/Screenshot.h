// A picture of the window as it looks now.
#pragma once

#include <string>

namespace zemtra::platform {

class Screenshot {
  public:
    virtual ~Screenshot() = default;
    // Saves a PNG of the window's client area; false when the file could not be written.
    virtual bool saveScreenshot(const std::string& path) = 0;
};

}  // namespace zemtra::platform
