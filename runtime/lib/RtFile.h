// The file service: the four directories, the read-only assets folder, whole-file text, list and
// map reads and writes, copying, listing, attributes, and file streams. One per process, reached
// as the Common object's File (RtCommon::New()->service<RtFile>()). Main thread only; every
// operation is synchronous.
//
// Files are addressed by a directory string and a name (which may contain "/"). Errors are raised
// as RtException with an empty name and the fixed reasons below; "%@" is filled with the system's
// error text and the path. Delete:: and Exists:: never raise for a missing item.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "runtime/core/Object.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtMap.h"
#include "runtime/lib/RtOutputStream.h"

namespace zemtra {

// Where the four directories are. Documents, library and temporary paths end with "/"; the assets
// path does not.
struct FileLocations {
    String documents;
    String assets;
    String library;
    String temporary;

    // The per-user defaults: documents in $XDG_DATA_HOME/zemtra/ (else ~/.local/share/zemtra/),
    // library in $XDG_CONFIG_HOME/zemtra/ (else ~/.config/zemtra/), temporary files in
    // $XDG_CACHE_HOME/zemtra/tmp/ (else ~/.cache/zemtra/tmp/), assets in the "assets" folder
    // beside the executable. `environment` looks up a variable; nullptr reads the process
    // environment.
    static FileLocations defaults(
        std::optional<std::string> (*environment)(const char* name) = nullptr);
};

class RtFile : public Object {
  public:
    static constexpr StringView kClassName = u"RtFile";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    RtFile();

    // Set by the program at start-up (from --data and --assets). Trailing "/" are added to or
    // removed from the paths as the directory rules require.
    void setLocations(FileLocations locations);
    const FileLocations& locations() const { return locations_; }

    // The library and temporary directories are created when first asked for, so that writes
    // into them work; the documents directory is the program's to create.
    String DirAssets() const;
    String DirDocuments() const { return locations_.documents; }
    String DirLibrary() const;
    String DirTemp() const;

    // When set, replaces the assets path as DirAssets (and so for the read-only rule).
    Value virtualAssetsFolder() const { return virtualAssetsFolder_; }
    void setVirtualAssetsFolder(const Value& folder);

    // Joins with exactly one "/" between directory and name.
    String Combine(const String& dir, const String& name) const;
    bool Exists(const String& dir, const String& name) const;
    // Removes a file, or a directory with its content. On failure (a missing item included) the
    // error becomes the shared runtime core object's lastError and the answer is false.
    bool Delete(const String& dir, const String& name) const;
    // Creates the directory and missing parents; an existing directory is fine.
    void MakeDir(const String& parent, const String& name) const;

    std::shared_ptr<RtInputStream> OpenInput(const String& dir, const String& name) const;
    std::shared_ptr<RtOutputStream> OpenOutput(const String& dir, const String& name,
                                               bool append) const;
    // An output stream whose content replaces the file only when the stream is closed: until then
    // (and for ever, if it is never closed or a write fails) the file keeps its old content. For
    // saves that must never leave a half-written file behind. A failed replacement raises
    // "Error writing to stream: %@" from Close.
    std::shared_ptr<RtOutputStream> OpenOutputAtomic(const String& dir, const String& name) const;

    // Copies a file (or a directory with its content), replacing an existing target. The copy is
    // made beside the target first, so a failure leaves the target as it was.
    void Copy(const String& sourceDir, const String& sourceName, const String& targetDir,
              const String& targetName) const;
    // Copies the input's remaining bytes in 8192-byte chunks, then closes the input (not the
    // output).
    void Copy2(const std::shared_ptr<RtInputStream>& input,
               const std::shared_ptr<RtOutputStream>& output) const;

    // Sets or clears the extended attribute user.xdg.robots.backup ("false" = do not back up),
    // which backup tools that follow the freedesktop.org attribute conventions honour. On a file
    // system without user extended attributes this succeeds without effect.
    void SetExcludeFromBackup(const String& dir, const String& name, bool flag) const;

    // The item's attributes (of a symbolic link itself, not its target) in a read-only map:
    // NSFileType (NSFileTypeRegular, NSFileTypeDirectory, NSFileTypeSymbolicLink, ...), NSFileSize
    // (Long), NSFileModificationDate (Long ticks), NSFilePosixPermissions, NSFileReferenceCount,
    // NSFileOwnerAccountID, NSFileGroupOwnerAccountID, NSFileSystemNumber, NSFileSystemFileNumber.
    std::shared_ptr<RtMap> GetAttributes(const String& dir, const String& name) const;
    bool IsDirectory(const String& dir, const String& name) const;
    int64_t Size(const String& dir, const String& name) const;
    // Milliseconds since 1970-01-01 UTC.
    int64_t LastModified(const String& dir, const String& name) const;
    // The names (not paths) of the directory's entries, files and subdirectories alike, sorted by
    // code point, in a read-only list.
    std::shared_ptr<RtList> ListFiles(const String& dir) const;

    String ReadString(const String& dir, const String& name) const;
    String ReadString2(const String& dir, const String& name, const String& charset) const;
    // Replaces the file's content in place (not atomically).
    void WriteString(const String& dir, const String& name, const String& text) const;
    void WriteString2(const String& dir, const String& name, const String& text,
                      const String& charset) const;

    // Lines split at every run of CR and LF: no empty entries between line ends and none at the
    // end, but a leading empty entry when the file starts with a line end.
    std::shared_ptr<RtList> ReadList(const String& dir, const String& name) const;
    // One line per element (its description), each ending with a line feed.
    void WriteList(const String& dir, const String& name,
                   const std::shared_ptr<RtList>& list) const;
    // key=value lines; "=" in keys is written as "\=", line feeds in values as spaces.
    std::shared_ptr<RtMap> ReadMap(const String& dir, const String& name) const;
    void WriteMap(const String& dir, const String& name, const std::shared_ptr<RtMap>& map) const;

  private:
    // The assets rule: raises "The assets folder is readonly." for a write into DirAssets, and
    // answers the name lower-cased for a read from it, unchanged otherwise.
    String checkAssets(const String& dir, const String& name, bool writes) const;
    bool isAssets(const String& dir) const { return dir == DirAssets(); }
    std::string path(const String& dir, const String& name) const;

    FileLocations locations_;
    Value virtualAssetsFolder_;
};

}  // namespace zemtra
