#include "app/workbench/member_bytes.h"

namespace lumigram {

std::vector<std::uint8_t> MemberBytesSource::Read() const {
    // Only the shared package file takes turns; other readers go on meanwhile.
    std::unique_lock<std::mutex> turn(package->turn, std::defer_lock);
    if (entry.source.kind == MemberSource::Kind::kOriginal) {
        turn.lock();
    }
    return ReadEntryContent(entry, package->file);
}

}  // namespace lumigram
