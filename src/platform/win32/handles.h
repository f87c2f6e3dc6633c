#pragma once

// Windows handles kept as C runtime descriptors, so that the rest of the
// program sees the same int as on other systems.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/file_stamp.h"

namespace lumigram::sys {

HANDLE HandleOf(int fd);
// Wraps handle in a descriptor that owns it; closes it and raises "Too many
// open files" naming path when the runtime has no descriptor left.
int AdoptHandle(HANDLE handle, const std::string& path);
// The stamp of an open handle; none when the system will not tell.
std::optional<FileStamp> StampOfHandle(HANDLE handle);

}  // namespace lumigram::sys
