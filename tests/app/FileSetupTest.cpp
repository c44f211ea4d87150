// The documents directory is created on start-up and the file service writes into it; a path
// that cannot be a directory is refused with a message that says how to fix it.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "app/FileSetup.h"
#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "tests/support/LibraryTest.h"

namespace zemtra::app {
namespace {

class FileSetupTest : public testing::LibraryTest {
  protected:
    FileSetupTest() { std::filesystem::create_directories(root); }
    ~FileSetupTest() override { std::filesystem::remove_all(root); }
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("zemtra-setup-" + std::to_string(::getpid()));
};

TEST_F(FileSetupTest, CreatesTheDocumentsDirectoryAndUsesTheGivenAssets) {
    Options options;
    options.dataDirectory = (root / "a" / "b").string() + "/";
    options.assetsDirectory = (root / "assets").string() + "/";
    ASSERT_FALSE(setUpFiles(options, "/nonexistent/zemtra"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "a" / "b"));
    const auto files = RtCommon::New()->service<RtFile>();
    EXPECT_EQ(files->DirDocuments(), fromUtf8(options.dataDirectory));
    EXPECT_EQ(files->DirAssets(), fromUtf8((root / "assets").string()));
    files->WriteString(files->DirDocuments(), u"x.txt", u"hello");
    std::ifstream written(root / "a" / "b" / "x.txt");
    std::string text;
    std::getline(written, text);
    EXPECT_EQ(text, "hello");
}

TEST_F(FileSetupTest, RefusesADocumentsPathThatIsAFile) {
    std::ofstream(root / "plain") << "x";
    Options options;
    options.dataDirectory = (root / "plain").string() + "/";
    const auto problem = setUpFiles(options, "/nonexistent/zemtra");
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("choose another with --data DIR"), std::string::npos) << *problem;
}

}  // namespace
}  // namespace zemtra::app
