#include "app/workbench/member_list_model.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <cmath>

#include "app/workbench/thumbnail.h"
#include "app/workbench/thumbnail_cache.h"
#include "platform/ansi_codepage.h"

namespace lumigram {

MemberListModel::MemberListModel(const ThumbnailCache& cache, QObject* parent)
    : QAbstractListModel(parent), cache_(cache) {
    // Every cell's picture the same size, so that the names under them line
    // up: a member still being decoded shows an empty square, one that holds
    // no picture the generic file icon in the middle of one.
    const qreal ratio = qApp->devicePixelRatio();
    const int side = static_cast<int>(std::lround(kThumbnailSide * ratio));
    waiting_ = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    waiting_.fill(Qt::transparent);
    waiting_.setDevicePixelRatio(ratio);
    generic_ = waiting_.copy();
    generic_.setDevicePixelRatio(ratio);
    QPainter painter(&generic_);
    const QIcon file = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    const QRect middle((kThumbnailSide - 48) / 2, (kThumbnailSide - 48) / 2, 48, 48);
    file.paint(&painter, middle);
}

void MemberListModel::SetMembers(std::vector<PackageEntry> members, std::vector<quint64> keys) {
    beginResetModel();
    members_ = std::move(members);
    keys_ = std::move(keys);
    endResetModel();
}

void MemberListModel::ThumbnailReady(quint64 key) {
    for (std::size_t row = 0; row < keys_.size(); ++row) {
        if (keys_[row] == key) {
            const QModelIndex at = index(static_cast<int>(row));
            emit dataChanged(at, at, {Qt::DecorationRole, Qt::DisplayRole, Qt::ToolTipRole});
        }
    }
}

int MemberListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(members_.size());
}

QVariant MemberListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const PackageEntry& entry = Entry(index.row());
    const QString name = QString::fromStdString(AnsiToUtf8(entry.storedName));
    const Thumbnail* thumbnail = cache_.Find(Key(index.row()));
    switch (role) {
        case Qt::DisplayRole: {
            // Always three lines: a cell's picture and name sit where every
            // other cell has them.
            QString text = name + QStringLiteral("\n%1 bytes").arg(entry.size);
            if (thumbnail == nullptr) {
                text += QStringLiteral("\n\u2026");
            } else if (thumbnail->size.isValid()) {
                text += QStringLiteral("\n%1 \u00D7 %2")
                            .arg(thumbnail->size.width())
                            .arg(thumbnail->size.height());
            } else {
                text += thumbnail->error.isEmpty() ? QStringLiteral("\nnot a picture")
                                                   : QStringLiteral("\ndoes not decode");
            }
            return text;
        }
        case Qt::EditRole:
        case kNameRole:
            return name;
        case kKeyRole:
            return Key(index.row());
        case Qt::SizeHintRole:
            // Every cell the same, room for three lines under the thumbnail: the
            // grid lays out 500 cells without measuring each one's text.
            return kCellSize;
        case Qt::ToolTipRole:
            return thumbnail != nullptr && !thumbnail->error.isEmpty() ? thumbnail->error : name;
        case Qt::DecorationRole:
            if (thumbnail == nullptr) {
                return waiting_;
            }
            if (thumbnail->image.isNull()) {
                return generic_;
            }
            return thumbnail->image;
        default:
            return {};
    }
}

Qt::ItemFlags MemberListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractListModel::flags(index);
    if (editable_ && index.isValid()) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool MemberListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) {
        return false;
    }
    // Through the event loop: the rename resets this model, which must not
    // happen inside the view's own editing.
    const int row = index.row();
    const QString newName = value.toString();
    QMetaObject::invokeMethod(
        this, [this, row, newName] { emit renameRequested(row, newName); }, Qt::QueuedConnection);
    return false;
}

}  // namespace lumigram
