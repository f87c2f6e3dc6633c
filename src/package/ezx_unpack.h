#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "package/progress_callback.h"

namespace lumigram {

class ByteSource;

// A member that was not written: its name is unsafe, or its file could not be
// created. The window shows memberPath in its "Error" box; the CLI prints message.
struct MemberProblem {
    std::size_t number = 0;  // position in the member table, counting from 1
    std::string memberPath;  // folder + separator + name (UTF-8)
    std::string message;     // "member 3: cannot create \"x.k\": File access denied"
};

struct UnpackOptions {
    std::function<void(const MemberProblem&)> onMemberNotWritten;
    ProgressCallback onProgress;
    // Make folder (and its missing parents) once the package has passed its
    // check; otherwise folder must exist.
    bool createFolder = false;
    bool skipExisting = false;  // leave members whose file exists already alone
};

struct UnpackResult {
    std::size_t written = 0;
    std::size_t notWritten = 0;
    std::size_t skipped = 0;  // existing files left alone (skipExisting)
    bool cancelled = false;
};

// Writes every member of the package into folder, one file per member, named by
// the member's name converted to UTF-8, replacing files of that name.
// - The whole package is checked first; a damaged one raises FormatError and no
//   member file is written.
// - Each member is written through the output layer: whole, beside its name,
//   then renamed into place, relative to folder opened once. A link (symbolic
//   or hard) at a member's path is replaced, never written through; a replaced
//   file keeps its permissions.
// - A member whose name is unsafe, whose path holds a folder, FIFO, device or
//   socket, whose path is the package itself, or whose file cannot be created or
//   written is reported through onMemberNotWritten and skipped; an earlier file
//   of its name stays as it was, and the others are still unpacked.
// - A full disk, or a failing read of the package, ends the unpacking with
//   IoError; members already written stay.
UnpackResult UnpackEZX(const std::string& packageFileName, const std::string& folder,
                       const UnpackOptions& options = {});
// The same for a package held by any source (memory, a range of a file).
UnpackResult UnpackEZX(ByteSource& package, const std::string& folder,
                       const UnpackOptions& options = {});

}  // namespace lumigram
