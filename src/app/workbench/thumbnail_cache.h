#pragma once

#include <QHash>
#include <memory>
#include <vector>

#include "app/workbench/thumbnail.h"
#include "package/editable_package.h"

namespace lumigram {

// The thumbnails made so far, by the content they were made from, so that a
// member renamed, moved, or put back by an undo is not decoded again.
class ThumbnailCache {
  public:
    // The key of an entry's content: its place in the opened package, or the
    // bytes it holds in memory (kept alive here while the cache holds them, so
    // the key is never reused), or its file.
    quint64 KeyOf(const PackageEntry& entry);

    const Thumbnail* Find(quint64 key) const;
    void Insert(quint64 key, const Thumbnail& thumbnail) { thumbnails_.insert(key, thumbnail); }
    void Clear();
    qsizetype size() const { return thumbnails_.size(); }

  private:
    QHash<quint64, Thumbnail> thumbnails_;
    std::vector<std::shared_ptr<const std::vector<std::uint8_t>>> pinned_;
};

}  // namespace lumigram
