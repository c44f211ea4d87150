// Test entry for the asset tests: Qt's offscreen platform and one QGuiApplication, which text
// measuring needs.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::filesystem::path runtime =
        std::filesystem::temp_directory_path() / ("zemtra-assets-" + std::to_string(getpid()));
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return status;
}
