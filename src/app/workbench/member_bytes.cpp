#include "app/workbench/member_bytes.h"

#include "platform/byte_file.h"
#include "platform/io_error.h"

namespace lumigram {

std::vector<std::uint8_t> MemberBytesSource::Read() const {
    switch (entry.source.kind) {
        case MemberSource::Kind::kBytes:
            return *entry.source.bytes;
        case MemberSource::Kind::kOriginal: {
            std::vector<std::uint8_t> bytes(entry.size);
            const std::lock_guard<std::mutex> turn(package->turn);
            if (package->file.ReadAt(entry.source.offset, bytes) != bytes.size()) {
                throw IoError(kReadBeyondEndOfFile, package->file.path());
            }
            return bytes;
        }
        case MemberSource::Kind::kFile: {
            ByteFile file = ByteFile::OpenRead(entry.source.path);
            std::vector<std::uint8_t> bytes(entry.size);
            if (file.ReadAt(0, bytes) != bytes.size()) {
                throw IoError(kReadBeyondEndOfFile, entry.source.path);
            }
            return bytes;
        }
    }
    return {};
}

}  // namespace lumigram
