// The file service: directories, the assets rule, item operations and file streams.
#include "runtime/lib/RtFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/FileStreams.h"
#include "runtime/lib/PlatformError.h"
#include "runtime/lib/PosixFile.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtMap.h"
#include "runtime/lib/RtMatcher.h"
#include "runtime/lib/RtOutputStream.h"
#include "runtime/lib/RtRegex.h"
#include "runtime/lib/RtString.h"
#include "runtime/lib/TextEncoding.h"
#include "runtime/lib/ValueDictionary.h"
#include "runtime/lib/ValueSequence.h"

namespace zemtra {

namespace fs = std::filesystem;

namespace {

// The attribute that freedesktop.org's conventions give backup tools: "false" asks them to skip
// the item.
constexpr const char* kBackupAttribute = "user.xdg.robots.backup";

String withTrailingSlash(String path) {
    if (path.empty() || path.back() != u'/') path += u'/';
    return path;
}

String withoutTrailingSlash(String path) {
    while (path.size() > 1 && path.back() == u'/') path.pop_back();
    return path;
}

std::optional<std::string> processEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

// An XDG base directory: the variable when it holds an absolute path, else HOME + fallback.
std::string xdgDirectory(std::optional<std::string> (*environment)(const char*),
                         const char* variable, const char* homeRelative) {
    if (auto value = environment(variable); value && !value->empty() && value->front() == '/') {
        return *value;
    }
    std::string home = environment("HOME").value_or("");
    if (home.empty()) home = "/tmp";
    return home + "/" + homeRelative;
}

std::string executableDirectory() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : executable.parent_path().string();
}

void ensureDirectory(const String& path) {
    std::error_code ignored;
    fs::create_directories(toUtf8(path), ignored);
}

// One lstat, with the error already turned into the runtime's error object.
struct ItemInfo {
    struct stat info {};
    std::shared_ptr<RtError> error;
};

ItemInfo inspect(const std::string& path) {
    ItemInfo item;
    if (::lstat(path.c_str(), &item.info) != 0) item.error = posixError(errno, path);
    return item;
}

StringView fileType(mode_t mode) {
    if (S_ISREG(mode)) return u"NSFileTypeRegular";
    if (S_ISDIR(mode)) return u"NSFileTypeDirectory";
    if (S_ISLNK(mode)) return u"NSFileTypeSymbolicLink";
    if (S_ISCHR(mode)) return u"NSFileTypeCharacterSpecial";
    if (S_ISBLK(mode)) return u"NSFileTypeBlockSpecial";
    if (S_ISSOCK(mode)) return u"NSFileTypeSocket";
    return u"NSFileTypeUnknown";
}

int64_t modificationTicks(const struct stat& info) {
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
}

// Whole-file reads and writes with the system's error number on failure.
struct FileBytes {
    std::vector<uint8_t> bytes;
    int error = 0;
};

FileBytes readFile(const std::string& path) {
    FileBytes result;
    const FileDescriptor file = FileDescriptor::open(path, O_RDONLY, 0, &result.error);
    if (!file.isOpen()) return result;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        result.error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        result.error = EISDIR;
    } else if (info.st_size > INT32_MAX) {
        // Text is decoded in one piece of at most 2^31 - 1 bytes.
        result.error = EFBIG;
    } else {
        result.bytes.reserve(static_cast<size_t>(info.st_size));
        result.error = file.readAll(result.bytes, INT32_MAX);
    }
    return result;
}

int writeFile(const std::string& path, std::span<const uint8_t> bytes) {
    int error = 0;
    FileDescriptor file = FileDescriptor::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666, &error);
    if (!file.isOpen()) return error;
    error = file.writeAll(bytes);
    const int closeError = file.close();
    return error != 0 ? error : closeError;
}

// Line ends of any kind, and runs of them, separate lines.
constexpr StringView kLineBreaks = u"[\r\n]+";
// The first "=" that no backslash escapes.
constexpr StringView kKeySeparator = u"(?<!\\\\)=";

// A map value on its one line: each line break (LF, CR or CR LF) becomes one space, as line
// feeds always have, so that a carriage return no longer starts a line of its own.
String valueOnOneLine(StringView value) {
    String line;
    line.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') continue;
        line += value[i] == u'\r' || value[i] == u'\n' ? u' ' : value[i];
    }
    return line;
}

[[noreturn]] void raiseWith(StringView reason, const std::shared_ptr<RtError>& error) {
    raise(u"", reason, {error->localizedDescription});
}

}  // namespace

FileLocations FileLocations::defaults(std::optional<std::string> (*environment)(const char*)) {
    if (!environment) environment = processEnvironment;
    FileLocations locations;
    locations.documents =
        fromUtf8(xdgDirectory(environment, "XDG_DATA_HOME", ".local/share") + "/zemtra/");
    locations.library =
        fromUtf8(xdgDirectory(environment, "XDG_CONFIG_HOME", ".config") + "/zemtra/");
    locations.temporary =
        fromUtf8(xdgDirectory(environment, "XDG_CACHE_HOME", ".cache") + "/zemtra/tmp/");
    locations.assets = fromUtf8(executableDirectory() + "/assets");
    return locations;
}

RtFile::RtFile() : locations_(FileLocations::defaults()) {}

const MethodTable* RtFile::methods() const {
    static const MethodTable table{
        MethodTable::operation("DirAssets", &RtFile::DirAssets),
        MethodTable::operation("DirDocuments", &RtFile::DirDocuments),
        MethodTable::operation("DirLibrary", &RtFile::DirLibrary),
        MethodTable::operation("DirTemp", &RtFile::DirTemp),
        MethodTable::operation("virtualAssetsFolder", &RtFile::virtualAssetsFolder),
        MethodTable::operation("setVirtualAssetsFolder:", &RtFile::setVirtualAssetsFolder),
        MethodTable::operation("Combine::", &RtFile::Combine),
        MethodTable::operation("Exists::", &RtFile::Exists),
        MethodTable::operation("Delete::", &RtFile::Delete),
        MethodTable::operation("MakeDir::", &RtFile::MakeDir),
        MethodTable::operation("OpenInput::", &RtFile::OpenInput),
        MethodTable::operation("OpenOutput:::", &RtFile::OpenOutput),
        MethodTable::operation("OpenOutputAtomic::", &RtFile::OpenOutputAtomic),
        MethodTable::operation("Copy::::", &RtFile::Copy),
        MethodTable::operation("Copy2::", &RtFile::Copy2),
        MethodTable::operation("SetExcludeFromBackup:::", &RtFile::SetExcludeFromBackup),
        MethodTable::operation("GetAttributes::", &RtFile::GetAttributes),
        MethodTable::operation("IsDirectory::", &RtFile::IsDirectory),
        MethodTable::operation("Size::", &RtFile::Size),
        MethodTable::operation("LastModified::", &RtFile::LastModified),
        MethodTable::operation("ListFiles:", &RtFile::ListFiles),
        MethodTable::operation("ReadString::", &RtFile::ReadString),
        MethodTable::operation("ReadString2:::", &RtFile::ReadString2),
        MethodTable::operation("WriteString:::", &RtFile::WriteString),
        MethodTable::operation("WriteString2::::", &RtFile::WriteString2),
        MethodTable::operation("ReadList::", &RtFile::ReadList),
        MethodTable::operation("WriteList:::", &RtFile::WriteList),
        MethodTable::operation("ReadMap::", &RtFile::ReadMap),
        MethodTable::operation("WriteMap:::", &RtFile::WriteMap),
    };
    return &table;
}

void RtFile::setLocations(FileLocations locations) {
    locations.documents = withTrailingSlash(std::move(locations.documents));
    locations.library = withTrailingSlash(std::move(locations.library));
    locations.temporary = withTrailingSlash(std::move(locations.temporary));
    locations.assets = withoutTrailingSlash(std::move(locations.assets));
    locations_ = std::move(locations);
}

String RtFile::DirAssets() const {
    if (virtualAssetsFolder_.isNullOrMarker()) return locations_.assets;
    if (const String* text = virtualAssetsFolder_.string()) return *text;
    return virtualAssetsFolder_.description();
}

String RtFile::DirLibrary() const {
    ensureDirectory(locations_.library);
    return locations_.library;
}

String RtFile::DirTemp() const {
    ensureDirectory(locations_.temporary);
    return locations_.temporary;
}

void RtFile::setVirtualAssetsFolder(const Value& folder) {
    virtualAssetsFolder_ = markerToNull(folder);
}

String RtFile::Combine(const String& dir, const String& name) const {
    size_t end = dir.size();
    while (end > 1 && dir[end - 1] == u'/') --end;
    size_t start = 0;
    while (start < name.size() && name[start] == u'/') ++start;
    const StringView head = StringView(dir).substr(0, end);
    const StringView tail = StringView(name).substr(start);
    if (head.empty()) return name;
    if (tail.empty()) return String(head);
    if (head.back() == u'/') return String(head) + String(tail);
    return String(head) + u"/" + String(tail);
}

String RtFile::checkAssets(const String& dir, const String& name, bool writes) const {
    if (!isAssets(dir)) return name;
    if (writes) raise(u"", u"The assets folder is readonly.");
    return toLowerEnUs(name);
}

std::string RtFile::path(const String& dir, const String& name) const {
    return toUtf8(Combine(dir, name));
}

bool RtFile::Exists(const String& dir, const String& name) const {
    std::error_code error;
    return fs::exists(path(dir, checkAssets(dir, name, false)), error);
}

bool RtFile::Delete(const String& dir, const String& name) const {
    const std::string target = path(dir, checkAssets(dir, name, true));
    // A name that leads to the directory itself or above it ("", ".", "..") names no item in it;
    // removing what it leads to would wipe the caller's whole folder.
    const bool namesNoItem = [&] {
        if (dir.empty()) return target.empty();
        const fs::path relative = fs::path(target).lexically_normal().lexically_relative(
            fs::path(toUtf8(dir)).lexically_normal());
        return relative.empty() || relative == "." || *relative.begin() == "..";
    }();
    if (namesNoItem) {
        RtCore::shared()->setLastError(posixError(EINVAL, target));
        return false;
    }
    const ItemInfo item = inspect(target);
    if (item.error) {
        RtCore::shared()->setLastError(item.error);
        return false;
    }
    std::error_code error;
    fs::remove_all(target, error);
    if (error) {
        RtCore::shared()->setLastError(posixError(error, target));
        return false;
    }
    return true;
}

void RtFile::MakeDir(const String& parent, const String& name) const {
    const std::string target = path(parent, name);
    // The assets folder takes no new directories, even where the file system would allow it.
    if (isAssets(parent)) raiseWith(u"Failed to create directory: %@", posixError(EROFS, target));
    std::error_code error;
    fs::create_directories(target, error);
    // An existing path is no error to create_directories; only a directory there will do.
    if (!error && !fs::is_directory(target, error) && !error) {
        error = std::make_error_code(std::errc::file_exists);
    }
    if (error) raiseWith(u"Failed to create directory: %@", posixError(error, target));
}

std::shared_ptr<RtInputStream> RtFile::OpenInput(const String& dir, const String& name) const {
    auto stream = std::make_shared<FileInputStream>(path(dir, checkAssets(dir, name, false)));
    return RtInputStream::opening(std::move(stream));
}

std::shared_ptr<RtOutputStream> RtFile::OpenOutput(const String& dir, const String& name,
                                                   bool append) const {
    auto stream =
        std::make_shared<FileOutputStream>(path(dir, checkAssets(dir, name, true)), append);
    return RtOutputStream::opening(std::move(stream));
}

std::shared_ptr<RtOutputStream> RtFile::OpenOutputAtomic(const String& dir,
                                                         const String& name) const {
    auto stream = std::make_shared<AtomicFileOutputStream>(path(dir, checkAssets(dir, name, true)));
    return RtOutputStream::opening(std::move(stream));
}

void RtFile::Copy(const String& sourceDir, const String& sourceName, const String& targetDir,
                  const String& targetName) const {
    const std::string source = path(sourceDir, checkAssets(sourceDir, sourceName, false));
    const std::string target = path(targetDir, checkAssets(targetDir, targetName, true));
    if (const ItemInfo item = inspect(source); item.error)
        raiseWith(u"Error copying file: %@", item.error);

    // Copy beside the target, then put the copy in its place: a failed copy (a missing source,
    // a full disk) must not cost the target, and copying a file onto itself must not delete it.
    const std::string copy = siblingPath(target, "copy");
    std::error_code error;
    fs::copy(source, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(copy, ignored);
        raiseWith(u"Error copying file: %@", posixError(error, target));
    }
    const ItemInfo existing = inspect(target);
    const ItemInfo copied = inspect(copy);
    if (!existing.error && (S_ISDIR(existing.info.st_mode) || S_ISDIR(copied.info.st_mode))) {
        std::error_code ignored;
        fs::remove_all(target, ignored);
    }
    if (::rename(copy.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        std::error_code ignored;
        fs::remove_all(copy, ignored);
        raiseWith(u"Error copying file: %@", posixError(renameError, target));
    }
}

void RtFile::Copy2(const std::shared_ptr<RtInputStream>& input,
                   const std::shared_ptr<RtOutputStream>& output) const {
    if (!input) raise(u"", u"Object was not initialized (%@)", {InputByteStream::kClassName});
    if (!output) raise(u"", u"Object was not initialized (%@)", {OutputByteStream::kClassName});
    std::array<uint8_t, 8192> buffer;
    for (;;) {
        const int32_t count = input->readInto(buffer);
        if (count < 1) break;
        output->writeAll(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(count)));
    }
    input->Close();
}

void RtFile::SetExcludeFromBackup(const String& dir, const String& name, bool flag) const {
    checkAssets(dir, name, true);
    const std::string target = path(dir, name);
    const int result = flag ? ::setxattr(target.c_str(), kBackupAttribute, "false", 5, 0)
                            : ::removexattr(target.c_str(), kBackupAttribute);
    if (result == 0) return;
    const int error = errno;
    // Clearing an attribute that is not there is already done.
    if (!flag && error == ENODATA) return;
    // No user extended attributes on this file system (some tmpfs, FAT, network mounts): there is
    // nothing to mark, and no backup tool that could read the mark.
    if (error == ENOTSUP || error == EOPNOTSUPP) return;
    raiseWith(u"Error setting ExcludeFromBackup flag: %@", posixError(error, target));
}

std::shared_ptr<RtMap> RtFile::GetAttributes(const String& dir, const String& name) const {
    const ItemInfo item = inspect(path(dir, checkAssets(dir, name, false)));
    if (item.error) raiseWith(u"Error getting attributes: %@", item.error);
    const struct stat& info = item.info;
    ValueTable entries{
        {Value(u"NSFileType"), Value(fileType(info.st_mode))},
        {Value(u"NSFileSize"), Value::ofLong(static_cast<int64_t>(info.st_size))},
        {Value(u"NSFileModificationDate"), Value::ofLong(modificationTicks(info))},
        {Value(u"NSFilePosixPermissions"),
         Value::ofInt(static_cast<int32_t>(info.st_mode & 07777))},
        {Value(u"NSFileReferenceCount"), Value::ofLong(static_cast<int64_t>(info.st_nlink))},
        {Value(u"NSFileOwnerAccountID"), Value::ofLong(static_cast<int64_t>(info.st_uid))},
        {Value(u"NSFileGroupOwnerAccountID"), Value::ofLong(static_cast<int64_t>(info.st_gid))},
        {Value(u"NSFileSystemNumber"), Value::ofLong(static_cast<int64_t>(info.st_dev))},
        {Value(u"NSFileSystemFileNumber"), Value::ofLong(static_cast<int64_t>(info.st_ino))},
    };
    return RtMap::convertToMap(std::make_shared<ValueDictionary>(std::move(entries)));
}

bool RtFile::IsDirectory(const String& dir, const String& name) const {
    const ItemInfo item = inspect(path(dir, checkAssets(dir, name, false)));
    if (item.error) raiseWith(u"Error getting attributes: %@", item.error);
    return S_ISDIR(item.info.st_mode);
}

int64_t RtFile::Size(const String& dir, const String& name) const {
    const ItemInfo item = inspect(path(dir, checkAssets(dir, name, false)));
    if (item.error) raiseWith(u"Error getting attributes: %@", item.error);
    return static_cast<int64_t>(item.info.st_size);
}

int64_t RtFile::LastModified(const String& dir, const String& name) const {
    const ItemInfo item = inspect(path(dir, checkAssets(dir, name, false)));
    if (item.error) raiseWith(u"Error getting attributes: %@", item.error);
    return modificationTicks(item.info);
}

String RtFile::ReadString(const String& dir, const String& name) const {
    return ReadString2(dir, name, u"UTF8");
}

String RtFile::ReadString2(const String& dir, const String& name, const String& charset) const {
    const std::string target = path(dir, checkAssets(dir, name, false));
    const TextEncoding encoding = getEncoding(charset);
    const FileBytes file = readFile(target);
    if (file.error) raiseWith(u"Error reading file: %@", posixError(file.error, target));
    std::optional<String> text = encoding.decode(file.bytes);
    if (!text) raise(u"", u"Error reading file. Incorrect encoding");
    return std::move(*text);
}

void RtFile::WriteString(const String& dir, const String& name, const String& text) const {
    WriteString2(dir, name, text, u"UTF8");
}

void RtFile::WriteString2(const String& dir, const String& name, const String& text,
                          const String& charset) const {
    const std::string target = path(dir, checkAssets(dir, name, false));
    const TextEncoding encoding = getEncoding(charset);
    // The assets folder refuses writes, even where the file system would take them.
    if (isAssets(dir)) raiseWith(u"Error writing file: %@", posixError(EROFS, target));
    const std::optional<std::vector<uint8_t>> bytes = encoding.encode(text);
    if (!bytes) {
        raiseWith(u"Error writing file: %@",
                  plainError(u"The text cannot be represented in " +
                             fromUtf8(encoding.converterName()) + u" (" + fromUtf8(target) + u")"));
    }
    if (const int error = writeFile(target, *bytes)) {
        raiseWith(u"Error writing file: %@", posixError(error, target));
    }
}

std::shared_ptr<RtList> RtFile::ReadList(const String& dir, const String& name) const {
    const String text = ReadString(dir, name);
    const auto pieces = RtCommon::New()->service<RtRegex>()->Split(String(kLineBreaks), text);
    return RtList::of(pieces->objectsData()->items);
}

void RtFile::WriteList(const String& dir, const String& name,
                       const std::shared_ptr<RtList>& list) const {
    if (!list) raise(u"", u"Object was not initialized (%@)", {ValueSequence::kClassName});
    String text;
    for (const Value& item : list->sequence().items) {
        text += item.description();
        text += u'\n';
    }
    WriteString(dir, name, text);
}

std::shared_ptr<RtMap> RtFile::ReadMap(const String& dir, const String& name) const {
    const auto lines = ReadList(dir, name);
    auto map = RtMap::create();
    const auto regex = RtCommon::New()->service<RtRegex>();
    for (const Value& item : lines->sequence().items) {
        const String line = item.description();
        const auto matcher = regex->Matcher(String(kKeySeparator), line);
        if (!matcher->Find()) continue;
        const auto separator = static_cast<size_t>(matcher->GetStart(0));
        map->Put(Value(strings::Replace(StringView(line).substr(0, separator), u"\\=", u"=")),
                 Value(line.substr(separator + 1)));
    }
    return map;
}

void RtFile::WriteMap(const String& dir, const String& name,
                      const std::shared_ptr<RtMap>& map) const {
    if (!map) raise(u"", u"Object not initialized (Map)");
    String text;
    const auto& table = map->IsReadOnly() ? map->dict() : map->map();
    if (table) {
        for (const auto& [key, value] : table->entries) {
            const String keyText = key.description();
            // ReadMap splits lines at CR as well as LF, and takes "\=" for an escaped "=": a key
            // with a line break, or one ending in a backslash, cannot be read back. There is no
            // escape for either that files written before would not read differently, so such
            // a map is refused before the file is touched.
            if (keyText.find_first_of(u"\r\n") != String::npos ||
                (!keyText.empty() && keyText.back() == u'\\')) {
                raiseWith(u"Error writing file: %@",
                          plainError(u"The key \"" + keyText +
                                     u"\" holds a line break or ends with a backslash and "
                                     u"could not be read back (" +
                                     fromUtf8(path(dir, name)) + u")"));
            }
            text += strings::Replace(keyText, u"=", u"\\=");
            text += u'=';
            text += valueOnOneLine(value.description());
            text += u'\n';
        }
    }
    WriteString(dir, name, text);
}

std::shared_ptr<RtList> RtFile::ListFiles(const String& dir) const {
    const std::string directory = toUtf8(dir);
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    std::vector<std::string> names;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        names.push_back(entries->path().filename().string());
    }
    if (error) raiseWith(u"Error reading from file system: %@", posixError(error, directory));
    // readdir's order changes with the file system's history; a sorted list is the same on every
    // run.
    std::sort(names.begin(), names.end());
    auto sequence = std::make_shared<ValueSequence>(std::vector<Value>(names.size()), false);
    for (size_t i = 0; i < names.size(); ++i) sequence->items[i] = Value(fromUtf8(names[i]));
    return RtList::wrapping(std::move(sequence));
}

}  // namespace zemtra
