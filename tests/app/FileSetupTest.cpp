// The documents directory is created on start-up and the file service writes into it; a path
// that cannot be a directory is refused with a message that says how to fix it.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/FileSetup.h"
#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::app {
namespace {

class FileSetupTest : public testing::LibraryTest {
  protected:
    const testing::TemporaryFolder folder{"zemtra-setup"};
};

TEST_F(FileSetupTest, CreatesTheDocumentsDirectoryAndUsesTheGivenAssets) {
    Options options;
    options.dataDirectory = folder.file("a/b") + "/";
    options.assetsDirectory = folder.file("assets") + "/";
    const auto setUp = setUpFiles(options, "/nonexistent/zemtra");
    ASSERT_TRUE(setUp) << setUp.error();
    const auto files = RtCommon::New()->service<RtFile>();
    EXPECT_EQ(files->DirAssets(), fromUtf8(folder.file("assets")));
    files->WriteString(files->DirDocuments(), u"x.txt", u"hello");
    EXPECT_EQ(testing::readFile(folder / "a/b/x.txt"), "hello");
}

TEST_F(FileSetupTest, RefusesADocumentsPathThatIsAFile) {
    testing::writeFile(folder / "plain", "x");
    Options options;
    options.dataDirectory = folder.file("plain") + "/";
    const auto setUp = setUpFiles(options, "/nonexistent/zemtra");
    ASSERT_FALSE(setUp);
    EXPECT_NE(setUp.error().find("choose another with --data DIR"), std::string::npos)
        << setUp.error();
}

}  // namespace
}  // namespace zemtra::app
