#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "package/editable_package.h"
#include "platform/edit_lock.h"
#include "platform/file_stamp.h"

namespace lumigram {

struct InPlaceSaveOptions {
    // Write a write-protected package all the same (--force; the window asks).
    bool force = false;
    // Replace the package even if it changed on disk since it was read (the
    // window's "save anyway"); the lock is still taken.
    bool overwrite = false;
    std::chrono::milliseconds lockWait = kEditLockWait;
};

// The edit transaction of a package file: the package is read once (Open, or
// the workbench's document), edited in memory, and written back by
// SaveInPlace. Between the two nothing is held; the save then
// - follows a symbolic link at path to the file it finally names, and
//   replaces that file, leaving the link (a hard link to it is broken: the
//   package becomes a file of its own, as with sed -i);
// - refuses a write-protected package unless forced (WriteProtectedError);
// - writes the new package beside it, synced, and only then takes the
//   package's edit lock, waiting a short while for another program's edit
//   (FileBusyError when it does not end);
// - under the lock, checks that the file is still the very one read, `since`
//   (FileChangedError otherwise, unless overwriting), and renames over it;
// - returns the stamp of the file now at the path, for the next save's
//   check and for a window that watches the package.
// Whatever fails, the package on disk is left as it was and no temporary
// stays behind. On a system that cannot replace an open file the package's
// own bytes are let go of first (EditablePackage::CloseOriginal), so the
// package must be opened again after a save there.
FileStamp SaveInPlace(EditablePackage& package, const std::string& path,
                      const std::optional<FileStamp>& since,
                      const InPlaceSaveOptions& options = {});

// The stamp of the package file at path now, links followed; none when there
// is no file there.
std::optional<FileStamp> PackageStampNow(const std::string& path);

// True when an edit in place of path would be refused as write-protected.
bool IsPackageWriteProtected(const std::string& path);

}  // namespace lumigram
