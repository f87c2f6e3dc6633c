#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/byte_file.h"
#include "platform/interrupt_cleanup.h"
#include "platform/unique_fd.h"

namespace lumigram {

// Which file a descriptor or path reaches, to tell an input from an output even
// through links.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of an open file.
FileIdentity IdentityOf(const ByteFile& file);
// The identity of the file a path reaches (links followed), if there is one.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

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

// The refusals an output can meet before anything is written.
struct OutputRules {
    // Files this run reads: an output that would replace one of them is
    // refused ("is one of the files being read").
    std::vector<FileIdentity> inputs;
    // Leave every existing entry alone, refusing the output ("already exists").
    bool keepExisting = false;
};

// One output file, written in full before it replaces anything.
// - The bytes go to a temporary of a short, fixed-length hidden name
//   (".lumigram-XXXXXX") in the target's folder; Commit() renames it over the
//   target. Until then an earlier file of that name is untouched; if the object
//   goes away uncommitted, after a failure, the temporary is removed (on an
//   interrupt too, when InstallInterruptCleanup is in force).
// - A symbolic or hard link at the target is replaced, never written through.
// - A replaced file's permission bits (and, as root, its owner and group) carry
//   over; a new file gets 0666 less the umask.
// - A folder, FIFO, device or socket at the target is refused, never opened.
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
    OutputFile(OwnFolderTag, OutputFolder folder, const std::string& path);
    void Begin(const OutputRules& rules);

    std::optional<OutputFolder> ownFolder_;  // the folder of a path given by the user
    int folder_ = -1;                        // the folder's descriptor, borrowed
    bool mayExist_ = true;                   // false: the folder's listing did not hold the name
    std::string name_;
    std::string shownPath_;
    std::string temporaryName_;
    std::optional<ByteFile> file_;
    bool noReplace_ = false;
    std::optional<InterruptCleanupEntry> cleanup_;
    bool committed_ = false;
};

// Writes bytes as one whole output at path (see OutputFile::ForPath).
void WriteWholeOutput(const std::string& path, std::span<const std::uint8_t> bytes,
                      bool streamsAllowed, const OutputRules& rules = {});

}  // namespace lumigram
