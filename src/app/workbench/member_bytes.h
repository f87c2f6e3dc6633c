#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "package/editable_package.h"
#include "platform/byte_file.h"

namespace lumigram {

// A package file shared by readers on several threads. Reads take turns: a
// positioned read is not atomic on every platform (a seek, then a read).
struct SharedPackageFile {
    explicit SharedPackageFile(ByteFile opened) : file(std::move(opened)) {}
    ByteFile file;
    std::mutex turn;
};

// What a reader off the window's thread needs to fetch one member's bytes: the
// entry as it was when the read was asked for, and the package file, held open
// by this reader's own handle so that the package being edited or reopened
// meanwhile changes nothing under it.
struct MemberBytesSource {
    std::shared_ptr<SharedPackageFile> package;
    PackageEntry entry;

    std::vector<std::uint8_t> Read() const;
};

}  // namespace lumigram
