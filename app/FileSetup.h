// Points the file service at the program's folders: the documents directory from --data (created
// when missing) and the assets directory from --assets, else the installed data directory, else
// the build tree's assets beside the executable.
#pragma once

#include <string>

#include "app/CommandLine.h"
#include "platform/Result.h"

namespace zemtra::app {

// Fails with a message for the user when the documents directory cannot be made.
platform::Result<void> setUpFiles(const Options& options, const std::string& executablePath);

}  // namespace zemtra::app
