#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/byte_file.h"
#include "platform/edit_lock.h"
#include "platform/file_stamp.h"
#include "platform/interrupt_cleanup.h"
#include "platform/unique_fd.h"

namespace lumigram {

// The identity of an open file.
FileIdentity IdentityOf(const ByteFile& file);
// The identity of the file a path reaches (links followed), if there is one.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
// The stamp of an open file, and of the file a path reaches (links followed).
FileStamp StampOf(const ByteFile& file);
std::optional<FileStamp> StampOfPath(const std::string& path);

// A folder that outputs are written into, opened once: every output in it is
// created, replaced and renamed relative to this descriptor, so a folder
// swapped for a link halfway through a run redirects nothing.
class OutputFolder {
  public:
    // An existing folder (a link to one, as the user named it, is followed once).
    static OutputFolder Open(const std::string& path);
    // The same, creating the folder and its missing parents first.
    static OutputFolder OpenCreating(const std::string& path);

    const std::string& path() const noexcept { return path_; }
    int descriptor() const noexcept { return fd_.get(); }
    // path() joined with name, for messages.
    std::string PathOf(std::string_view name) const;

    // Lists the folder once, so that outputs of names it did not hold skip
    // their look at the path: unpacking thousands of small members into a new
    // folder then costs no more system calls than an archiver's. (A name that
    // appears later is still replaced, never written through; only its
    // permissions are not carried over.)
    void ListEntriesOnce();
    // False only when the listing was taken and did not hold name.
    bool MayHold(const std::string& name) const;
    // True when anything (a file, a link, ...) stands at name now.
    bool Holds(const std::string& name) const;

  private:
    OutputFolder(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    UniqueFd fd_;
    std::string path_;
    std::optional<std::unordered_set<std::string>> entries_;
};

// An output that writes back a file it read (update, delete, the workbench's
// Save). Its path is the file itself, links already followed.
struct InPlaceEdit {
    // What messages name: the path as the user gave it.
    std::string shownPath;
    // The file as it was read. Just before the rename, under the edit lock,
    // the file at the path must still be exactly this one, or nothing is
    // replaced (FileChangedError). None: whatever is there is replaced.
    std::optional<FileStamp> expected;
    std::chrono::milliseconds lockWait = kEditLockWait;
    // The user said to write a write-protected file all the same (--force):
    // where the system refuses to replace it (read-only on Windows), it is
    // let go for the rename and the new file is write-protected as it was.
    bool writeProtectedAllowed = false;
};

// The refusals an output can meet before anything is written.
struct OutputRules {
    // Files this run reads: an output that would replace one of them is
    // refused ("is one of the files being read").
    std::vector<FileIdentity> inputs;
    // Leave every existing entry alone, refusing the output ("already exists").
    bool keepExisting = false;
    std::optional<InPlaceEdit> inPlace = std::nullopt;
};

// A test seam: called while an edit in place holds its lock, just before it
// checks the file and renames over it. Production code never sets it.
using EditPauseHook = std::function<void()>;
EditPauseHook& EditPauseHookSlot();

// One output file, written in full before it replaces anything.
// - The bytes go to a temporary of a short, fixed-length hidden name
//   (".lumigram-XXXXXX") in the target's folder; Commit() renames it over the
//   target. Until then an earlier file of that name is untouched; if the object
//   goes away uncommitted, after a failure, the temporary is removed (on an
//   interrupt too, when InstallInterruptCleanup is in force).
// - A symbolic or hard link at the target is replaced, never written through.
// - A replaced file's permission bits, extended attributes (ACLs among them)
//   and, as root, its owner and group carry over, as far as the file system
//   keeps them (FAT keeps none: that is no error); a new file gets 0666 less
//   the umask.
// - When a regular file is replaced, the temporary's data is synced before
//   the rename and the folder after it, so a power cut leaves the old file or
//   the new one, never an empty one. New files are not synced.
// - A folder, FIFO, device or socket at the target is refused, never opened.
// - An edit in place (OutputRules::inPlace) takes the file's edit lock for
//   the check and the rename, and replaces only the very file it read.
// Every message names the target, never the temporary.
class OutputFile {
  public:
    // The output name (a plain name, no separators) inside folder, which must
    // stay open as long as this object.
    OutputFile(const OutputFolder& folder, const std::string& name, const OutputRules& rules = {});

    // An output named by a path; its folder must exist (the message names the
    // missing folder). With streamsAllowed, "-" means standard output, and an
    // existing FIFO or character device is written straight into, in order,
    // never replaced; without it they are refused like any non-regular file.
    static std::unique_ptr<OutputFile> ForPath(const std::string& path, bool streamsAllowed,
                                               const OutputRules& rules = {});

    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    ByteFile& file() noexcept { return *file_; }
    const std::string& path() const noexcept { return shownPath_; }
    bool IsStream() const noexcept { return file_->IsStream(); }

    // Closes the file and renames it over the target (a stream is just closed).
    void Commit();

  private:
    struct StreamTag {};
    OutputFile(StreamTag, ByteFile stream);
    struct OwnFolderTag {};
    OutputFile(OwnFolderTag, OutputFolder folder, const std::string& path, std::string shown);
    void Begin(const OutputRules& rules);
    void ReplaceTarget();

    // The temporary's name, removed when the object goes away unless kept:
    // also when Begin fails halfway, before the object is whole.
    struct Temporary {
        int folder;
        std::string name;
        std::string path;
        bool kept = false;
        Temporary(int folderFd, std::string temporaryName, std::string temporaryPath)
            : folder(folderFd), name(std::move(temporaryName)), path(std::move(temporaryPath)) {}
        Temporary(const Temporary&) = delete;
        Temporary& operator=(const Temporary&) = delete;
        ~Temporary();
    };

    std::optional<OutputFolder> ownFolder_;  // the folder of a path given by the user
    int folder_ = -1;                        // the folder's descriptor, borrowed
    bool mayExist_ = true;                   // false: the folder's listing did not hold the name
    std::string name_;
    std::string targetPath_;  // the folder's path joined with name_
    std::string shownPath_;   // what messages name
    bool noReplace_ = false;
    bool replacing_ = false;    // a regular file stands at the target
    bool keepRefusal_ = false;  // the target refuses replacement and is let go for the rename
    std::optional<InPlaceEdit> inPlace_;
    // Destroyed in this order: the file closed, then the temporary removed,
    // then its interrupt cleanup let go.
    std::optional<InterruptCleanupEntry> cleanup_;
    std::optional<Temporary> temporary_;
    std::optional<ByteFile> file_;
};

// Writes bytes as one whole output at path (see OutputFile::ForPath).
void WriteWholeOutput(const std::string& path, std::span<const std::uint8_t> bytes,
                      bool streamsAllowed, const OutputRules& rules = {});

}  // namespace lumigram
