#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "package/editable_package.h"

namespace lumigram {

class ByteFile;

// What a reader off the window's thread needs to fetch one member's bytes: the
// entry as it was when the read was asked for, and the package file, held open
// by this reader's own handle so that the package being edited or reopened
// meanwhile changes nothing under it.
struct MemberBytesSource {
    std::shared_ptr<ByteFile> package;
    PackageEntry entry;

    std::vector<std::uint8_t> Read() const;
};

}  // namespace lumigram
