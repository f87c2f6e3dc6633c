#include "app/workbench/thumbnail_cache.h"

namespace lumigram {

quint64 ThumbnailCache::KeyOf(const PackageEntry& entry) {
    // Offsets are even-tagged, addresses odd-tagged, file names hashed apart.
    switch (entry.source.kind) {
        case MemberSource::Kind::kOriginal:
            return entry.source.offset << 2;
        case MemberSource::Kind::kBytes:
            pinned_.push_back(entry.source.bytes);
            return (static_cast<quint64>(reinterpret_cast<quintptr>(entry.source.bytes.get()))
                    << 2) |
                   1;
        case MemberSource::Kind::kFile:
            return (static_cast<quint64>(qHash(QByteArray::fromStdString(entry.source.path)))
                    << 2) |
                   2;
    }
    return 3;
}

const Thumbnail* ThumbnailCache::Find(quint64 key) const {
    const auto found = thumbnails_.constFind(key);
    return found == thumbnails_.constEnd() ? nullptr : &found.value();
}

void ThumbnailCache::Clear() {
    thumbnails_.clear();
    pinned_.clear();
}

}  // namespace lumigram
