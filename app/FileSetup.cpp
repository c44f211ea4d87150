// File service set-up from the command line.
#include "app/FileSetup.h"

#include <filesystem>
#include <system_error>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"

namespace zemtra::app {

namespace {

// The folder of the running program. /proc/self/exe names it even when the program was started
// through PATH, where argv[0] is a bare name that says nothing about where the program lies;
// argv[0] is the fallback where /proc is not mounted.
std::filesystem::path executableFolder(const std::string& executablePath) {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) executable = std::filesystem::canonical(executablePath, error);
    return error ? std::filesystem::path(".") : executable.parent_path();
}

// The installed layout (<prefix>/bin/zemtra, <prefix>/share/zemtra/assets) first, then the build
// tree's assets folder beside the executable.
std::string defaultAssets(const std::string& executablePath) {
    const std::filesystem::path folder = executableFolder(executablePath);
    const std::filesystem::path installed = folder / ".." / "share" / "zemtra" / "assets";
    std::error_code error;
    if (std::filesystem::is_directory(installed, error))
        return withTrailingSlash(installed.lexically_normal().string());
    return withTrailingSlash((folder / "assets").string());
}

}  // namespace

platform::Result<void> setUpFiles(const Options& options, const std::string& executablePath) {
    std::error_code error;
    std::filesystem::create_directories(options.dataDirectory, error);
    if (error || !std::filesystem::is_directory(options.dataDirectory)) {
        return platform::fail("cannot use the documents directory " + options.dataDirectory + ": " +
                                  (error ? error.message() : std::string("it is not a directory")) +
                                  "; choose another with --data DIR",
                              error);
    }
    FileLocations locations = FileLocations::defaults();
    // The command line has already given both directories their trailing "/".
    locations.documents = fromUtf8(options.dataDirectory);
    locations.assets = fromUtf8(options.assetsDirectory.empty() ? defaultAssets(executablePath)
                                                                : options.assetsDirectory);
    RtCommon::New()->service<RtFile>()->setLocations(std::move(locations));
    return {};
}

}  // namespace zemtra::app
