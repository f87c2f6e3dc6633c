#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <vector>

#include "package/editable_package.h"

namespace lumigram {

class ThumbnailCache;

// The members of a package as a list: each row shows the member's thumbnail,
// and under it its name, its size in bytes and, for pictures, width x height.
// Editing a row's name asks for a rename (renameRequested); the model itself
// changes nothing.
class MemberListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    enum Role { kNameRole = Qt::UserRole + 1, kKeyRole };

    MemberListModel(const ThumbnailCache& cache, QObject* parent = nullptr);

    // Shows these members (a copy of the package's list), with the cache key of
    // each row's content.
    void SetMembers(std::vector<PackageEntry> members, std::vector<quint64> keys);
    void SetEditable(bool editable) { editable_ = editable; }
    // A thumbnail for key has arrived: its rows are drawn again.
    void ThumbnailReady(quint64 key);

    const PackageEntry& Entry(int row) const { return members_[static_cast<std::size_t>(row)]; }
    quint64 Key(int row) const { return keys_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  signals:
    void renameRequested(int row, const QString& newName);

  private:
    const ThumbnailCache& cache_;
    std::vector<PackageEntry> members_;
    std::vector<quint64> keys_;
    bool editable_ = true;
    QImage waiting_;
    QImage generic_;
};

}  // namespace lumigram
