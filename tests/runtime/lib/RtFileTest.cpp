// The file service on real files: directories, the assets rule, deleting, creating directories,
// copying, attributes and the backup mark.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtOutputStream.h"
#include "tests/runtime/Raises.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra {
namespace {

using testing::raised;
using testing::readFile;
using testing::writeFile;
namespace fs = std::filesystem;

class RtFileTest : public testing::LibraryTest {
  protected:
    RtFileTest() {
        fs::create_directories(folder.file("docs"));
        fs::create_directories(folder.file("assets"));
        file->setLocations({fromUtf8(folder.file("docs")), fromUtf8(folder.file("assets") + "/"),
                            fromUtf8(folder.file("lib")), fromUtf8(folder.file("tmp"))});
        docs = file->DirDocuments();
        assets = file->DirAssets();
    }
    std::string doc(const std::string& name) const { return folder.file("docs/" + name); }

    testing::TemporaryFolder folder;
    std::shared_ptr<RtFile> file = RtCommon::New()->service<RtFile>();
    String docs;
    String assets;
};

TEST_F(RtFileTest, DirectoriesFollowTheConfiguredLocations) {
    EXPECT_EQ(docs, fromUtf8(folder.file("docs") + "/"));
    EXPECT_EQ(assets, fromUtf8(folder.file("assets")));
    EXPECT_EQ(file->DirTemp(), fromUtf8(folder.file("tmp") + "/"));
    EXPECT_TRUE(fs::is_directory(folder.file("tmp"))) << "created on first use";
    EXPECT_EQ(file->Combine(u"/a//", u"/sub/b.txt"), u"/a/sub/b.txt");
    EXPECT_EQ(file->Combine(u"/a", u"b.txt"), u"/a/b.txt");

    file->setVirtualAssetsFolder(Value(u"/elsewhere"));
    EXPECT_EQ(file->DirAssets(), u"/elsewhere");
    file->setVirtualAssetsFolder(Value());
    EXPECT_EQ(file->DirAssets(), assets);

    const FileLocations defaults =
        FileLocations::defaults([](const char* name) -> std::optional<std::string> {
            if (std::string_view(name) == "HOME") return "/home/ann";
            if (std::string_view(name) == "XDG_DATA_HOME") return "/data";
            if (std::string_view(name) == "XDG_CONFIG_HOME") return "relative/is/ignored";
            return std::nullopt;
        });
    EXPECT_EQ(defaults.documents, u"/data/zemtra/");
    EXPECT_EQ(defaults.library, u"/home/ann/.config/zemtra/");
    EXPECT_EQ(defaults.temporary, u"/home/ann/.cache/zemtra/tmp/");
}

TEST_F(RtFileTest, AssetsAreReadOnlyAndReadInLowerCase) {
    writeFile(folder.file("assets/wordlist.txt"), "abc");
    EXPECT_TRUE(file->Exists(assets, u"WordList.TXT"));
    EXPECT_EQ(file->Size(assets, u"WORDLIST.txt"), 3);

    const String readonly = u"The assets folder is readonly.";
    EXPECT_EQ(raised([&] { file->OpenOutput(assets, u"wordlist.txt", true); }).reason(), readonly);
    EXPECT_EQ(raised([&] { file->Delete(assets, u"wordlist.txt"); }).reason(), readonly);
    EXPECT_EQ(raised([&] { file->SetExcludeFromBackup(assets, u"wordlist.txt", true); }).reason(),
              readonly);
    EXPECT_EQ(raised([&] { file->Copy(docs, u"x", assets, u"copy.txt"); }).reason(), readonly);
    EXPECT_EQ(raised([&] { file->MakeDir(assets, u"sub"); }).reason().substr(0, 30),
              u"Failed to create directory: Re");
    EXPECT_EQ(readFile(folder.file("assets/wordlist.txt")), "abc");
    EXPECT_FALSE(fs::exists(folder.file("assets/sub")));
    EXPECT_FALSE(fs::exists(folder.file("assets/copy.txt")));

    // Only the exact directory string counts, and other directories keep the name's case.
    writeFile(doc("Mixed.TXT"), "");
    EXPECT_TRUE(file->Exists(docs, u"Mixed.TXT"));
    EXPECT_FALSE(file->Exists(docs, u"mixed.txt"));
}

TEST_F(RtFileTest, DeleteReportsThroughItsResultAndLastError) {
    EXPECT_FALSE(file->Delete(docs, u"missing.txt"));
    ASSERT_NE(RtCore::shared()->lastError(), nullptr);
    EXPECT_EQ(RtCore::shared()->lastError()->code, ENOENT);
    EXPECT_EQ(RtCore::shared()->lastError()->localizedDescription,
              fromUtf8("No such file or directory (" + doc("missing.txt") + ")"));

    fs::create_directories(doc("tree/deeper"));
    EXPECT_TRUE(file->Exists(docs, u"tree"));
    EXPECT_TRUE(file->Delete(docs, u"tree"));
    EXPECT_FALSE(fs::exists(doc("tree")));

    // Names that lead to the folder itself or above it delete nothing.
    writeFile(doc("keep.txt"), "x");
    for (const StringView name : {u"", u".", u"/", u"sub/..", u".."}) {
        EXPECT_FALSE(file->Delete(docs, String(name))) << toUtf8(name);
    }
    EXPECT_EQ(RtCore::shared()->lastError()->code, EINVAL);
    EXPECT_TRUE(fs::exists(doc("keep.txt")));
}

TEST_F(RtFileTest, MakeDirCreatesParentsAndRefusesAFileInTheWay) {
    file->MakeDir(docs, u"a/b/c");
    EXPECT_TRUE(file->IsDirectory(docs, u"a/b/c"));
    file->MakeDir(docs, u"a/b");  // existing: no error
    writeFile(doc("plain"), "x");
    EXPECT_TRUE(raised([&] { file->MakeDir(docs, u"plain"); })
                    .reason()
                    .starts_with(u"Failed to create directory: "));
    EXPECT_EQ(readFile(doc("plain")), "x");
}

TEST_F(RtFileTest, CopyReplacesTheTargetButNeverLosesIt) {
    writeFile(doc("source.txt"), "new");
    writeFile(doc("target.txt"), "old");
    file->Copy(docs, u"source.txt", docs, u"target.txt");
    EXPECT_EQ(readFile(doc("target.txt")), "new");

    EXPECT_EQ(
        raised([&] { file->Copy(docs, u"missing.txt", docs, u"target.txt"); }).reason(),
        fromUtf8("Error copying file: No such file or directory (" + doc("missing.txt") + ")"));
    EXPECT_EQ(readFile(doc("target.txt")), "new");

    file->Copy(docs, u"target.txt", docs, u"target.txt");
    EXPECT_EQ(readFile(doc("target.txt")), "new") << "a file copied onto itself keeps its content";
    EXPECT_EQ(file->ListFiles(docs)->Size(), 2) << "no leftovers beside source and target";
}

TEST_F(RtFileTest, ListingsAndAttributes) {
    fs::create_directories(doc("sub"));
    writeFile(doc("b.txt"), "12345");
    writeFile(doc(".hidden"), "");
    auto names = file->ListFiles(docs);
    EXPECT_TRUE(names->IsReadOnly());
    ASSERT_EQ(names->Size(), 3);
    EXPECT_EQ(names->Get(0).description(), u".hidden");
    EXPECT_EQ(names->Get(2).description(), u"sub");
    EXPECT_EQ(raised([&] { file->ListFiles(docs + u"b.txt"); }).reason(),
              fromUtf8("Error reading from file system: Not a directory (" + doc("b.txt") + ")"));

    const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
    ::utimensat(AT_FDCWD, doc("b.txt").c_str(), times, 0);
    auto attributes = file->GetAttributes(docs, u"b.txt");
    EXPECT_TRUE(attributes->IsReadOnly());
    EXPECT_EQ(attributes->Get(Value(u"NSFileType")).description(), u"NSFileTypeRegular");
    EXPECT_EQ(attributes->Get(Value(u"NSFileSize")).number()->toLong(), 5);
    EXPECT_EQ(file->Size(docs, u"b.txt"), 5);
    EXPECT_EQ(file->LastModified(docs, u"b.txt"), 1700000000123);
    EXPECT_FALSE(file->IsDirectory(docs, u"b.txt"));
    EXPECT_TRUE(file->IsDirectory(docs, u"sub"));
    EXPECT_EQ(
        raised([&] { file->Size(docs, u"nothing"); }).reason(),
        fromUtf8("Error getting attributes: No such file or directory (" + doc("nothing") + ")"));
}

TEST_F(RtFileTest, BackupMarkIsAnExtendedAttributeWhereSupported) {
    writeFile(doc("f.txt"), "x");
    file->SetExcludeFromBackup(docs, u"f.txt", true);
    char value[8] = {};
    const ssize_t length = ::getxattr(doc("f.txt").c_str(), "user.xdg.robots.backup", value, 8);
    // Only a file system without user attributes may go without the mark.
    if (length >= 0 || errno != ENOTSUP) {
        EXPECT_EQ(std::string(value, static_cast<size_t>(std::max<ssize_t>(length, 0))), "false");
    }
    file->SetExcludeFromBackup(docs, u"f.txt", false);
    file->SetExcludeFromBackup(docs, u"f.txt", false);  // clearing twice is fine
    EXPECT_LT(::getxattr(doc("f.txt").c_str(), "user.xdg.robots.backup", value, 8), 0);
    EXPECT_EQ(raised([&] { file->SetExcludeFromBackup(docs, u"gone.txt", true); }).reason(),
              fromUtf8("Error setting ExcludeFromBackup flag: No such file or directory (" +
                       doc("gone.txt") + ")"));
}

}  // namespace
}  // namespace zemtra
