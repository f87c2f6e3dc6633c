#pragma once

// The operating system's side of the platform layer: the few calls in which
// POSIX and Windows differ, each given once per system (platform/posix/,
// platform/win32/). Every rule built on them (what is refused, what a message
// says, when a file is synced or locked) is written once, above this seam.
//
// Folders are open descriptors on both systems (on Windows a C runtime
// descriptor over a folder handle). Calls about an entry of a folder take the
// folder's descriptor, the entry's name in it and its whole path: POSIX works
// relative to the descriptor, Windows (which has no such calls) by the path.
// Failures are raised as IoError naming `shown`; outcomes a rule decides on
// are returned.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>

#include "platform/entry_kind.h"
#include "platform/file_stamp.h"
#include "platform/unique_fd.h"

namespace lumigram::sys {

// One entry of a folder, where the output layer looks before it writes.
struct EntryRef {
    int folder = -1;          // the folder's descriptor
    const std::string& name;  // the entry's plain name in it
    const std::string& path;  // the folder's path joined with name
};

// ---- Byte files

enum class FileAccess {
    kRead,       // an existing file, for reading only (never waiting for a FIFO's writer)
    kUpdate,     // an existing file, for reading and writing
    kCreate,     // a new file, replacing any of that name
    kCreateNew,  // a new file that must not exist yet
};
// Opens path; failures are told in the words they call for ("is a folder", "is
// a socket, not a regular file").
int OpenFile(const std::string& path, FileAccess access);
// What the open descriptor is: a regular file, a FIFO, a device, ...
EntryKind KindOfOpen(int fd, const std::string& path);
// One transfer of up to data.size() bytes at offset *at (at the file position
// when at is null), retried when interrupted: how many moved, 0 at the end of
// the file (or, for a write, when nothing could be written).
std::size_t ReadSome(int fd, std::span<std::uint8_t> data, const std::uint64_t* at,
                     const std::string& path);
std::size_t WriteSome(int fd, std::span<const std::uint8_t> data, const std::uint64_t* at,
                      const std::string& path);
void SeekTo(int fd, std::uint64_t offset, const std::string& path);
// Closes fd; raises what the close reports (a write-back error can surface
// only there).
void CloseFile(int fd, const std::string& path);
void CloseQuietly(int fd) noexcept;

// ---- Folders

enum class FolderOpened { kOpened, kMissing, kNotAFolder };
// Opens the folder at path (a link to one followed once) and keeps it from
// being swapped meanwhile as far as the system can.
FolderOpened OpenFolder(const std::string& path, UniqueFd& folder);

enum class FolderMade { kMade, kExisted, kNotAFolder };
FolderMade MakeFolder(const std::string& path);
// True for a part of a path that is never made: a drive ("C:") or a root.
bool NeedsNoMaking(const std::string& part);

// The names in the folder, or none when it cannot be listed.
std::optional<std::unordered_set<std::string>> ListNames(int folder, const std::string& path);

// ---- Entries

struct EntryInfo {
    EntryKind kind = EntryKind::kMissing;
    FileStamp stamp;              // for a regular file
    bool replaceRefused = false;  // the system moves nothing over it (read-only on Windows)
};
// What stands at the entry, links not followed; kMissing when nothing does.
EntryInfo LookAt(const EntryRef& entry, const std::string& shown);
// The same for a path, links not followed; kMissing also when it cannot be looked at.
EntryKind KindAt(const std::string& path);

// Characters a plain output name may not hold ("/", or "/\:" on Windows), and
// names the system keeps for devices (CON, NUL, ... on Windows).
bool HoldsNameDelimiter(const std::string& name);
bool IsDeviceName(const std::string& name);

// ---- Streams

// How an output path is a stream: one of this process's own descriptors
// ("/dev/stdout"), or a FIFO or device named directly (kind tells which).
enum class StreamPath { kNone, kStream, kOwnDescriptor };
StreamPath StreamPathOf(const std::string& path, EntryKind& kind);
// Opens such a path for writing, in order; the kind it had must still hold.
UniqueFd OpenStream(const std::string& path, StreamPath how, EntryKind kind);
// A descriptor of its own for standard output, in binary mode.
UniqueFd DuplicateStandardOutput();

// ---- Temporaries and their renames

// Creates the entry as a new file for reading and writing, never through a
// link. An empty descriptor when the name is taken.
UniqueFd CreateNew(const EntryRef& entry, const std::string& shown);
// Gives the temporary what the file it replaces had and the file system can
// keep (permissions, owner and group, extended attributes); what it cannot
// keep is no error.
void CarryOver(const EntryRef& replaced, int temporary, const std::string& shown);
// Writes the file's data through to the device.
void SyncData(int fd, const std::string& shown);
// Writes the folder's entries through, so that a rename in it lasts.
void SyncFolder(int folder, const std::string& shown);

enum class Renamed { kDone, kTargetExists, kTargetIsFolder };
// Renames from over to, in one folder; with noReplace, only if to is free.
// When the system cannot replace a file that is open (Windows), what holds the
// package open must be closed first (see kReplacesOpenFiles); with
// waitForReaders, a target another program has open is waited for a moment.
Renamed Rename(const EntryRef& from, const EntryRef& to, bool noReplace, bool waitForReaders,
               const std::string& shown);
void RemoveQuietly(const EntryRef& entry) noexcept;
// Lets the system move a file over the entry, or stops it again, where a file
// can refuse to be replaced (the read-only attribute on Windows); elsewhere
// nothing to do.
void SetReplaceRefused(const EntryRef& entry, bool refused, const std::string& shown);

inline constexpr bool kReplacesOpenFiles =
#ifdef _WIN32
    false;
#else
    true;
#endif

// Bits for a temporary's name: different in every process and every run.
std::uint64_t RandomSeed();

// ---- Which file

FileStamp StampOfOpen(int fd, const std::string& shown);
// Links followed.
std::optional<FileStamp> StampOfPath(const std::string& path);

// ---- Private folders and processes

using ProcessId = unsigned long;
ProcessId CurrentProcess();
// True while the process runs (under any user).
bool ProcessRuns(ProcessId pid);
// The system's temporary folder, and where a window's scratch folder goes
// ($XDG_RUNTIME_DIR where it is set); neither ends in a separator.
std::string TemporaryBase();
std::string ScratchBase();
// Makes base + separator + prefix + six random letters or digits, a new folder
// only its user may enter; raises IoError when it cannot.
std::string MakePrivateFolder(const std::string& base, const std::string& prefix);
// A path as std::filesystem takes it, from the UTF-8 the program keeps, and back.
std::filesystem::path NativePath(const std::string& path);
std::string Utf8Of(const std::filesystem::path& path);

// ---- Edits in place

// The file a path finally names, every symbolic link followed; the path itself
// when there is none to follow or it cannot be resolved.
std::string FinalTarget(const std::string& path);
// The user may not write the file, or (an administrator) its mode lets nobody.
bool IsWriteProtected(const std::string& path);

// One attempt at the edit lock of an entry, never waiting.
struct LockAttempt {
    enum class State {
        kTaken,       // handle holds it until it is closed
        kBusy,        // another process holds it; holder names it if the system can tell
        kUnlockable,  // the file system has no locks (or the file is gone): go on unlocked
    };
    State state = State::kUnlockable;
    UniqueFd handle;
    std::string holder;
};
LockAttempt TryEditLock(const EntryRef& entry);

}  // namespace lumigram::sys
