#include "app/workbench/thumbnail_loader.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/workbench/member_picture.h"
#include "display/checkerboard.h"
#include "platform/ansi_codepage.h"

namespace lumigram {

ThumbnailLoader::ThumbnailLoader(QObject* parent)
    : QObject(parent), generation_(std::make_shared<std::atomic<quint64>>(0)) {}

ThumbnailLoader::~ThumbnailLoader() {
    Cancel();
    // Workers post to this object: none may still run once it is gone.
    pool_.waitForDone();
}

QImage ThumbnailImage(const QImage& picture, qreal pixelRatio) {
    const int side = static_cast<int>(std::lround(kThumbnailSide * pixelRatio));
    const int longest = std::max(picture.width(), picture.height());
    // One scale for the whole cell: a small picture grows by a whole factor,
    // pixel by pixel; a large one shrinks smoothly to fit.
    QSize shown = picture.size();
    bool sharp = true;
    if (longest <= side) {
        const int factor = side / longest;  // a whole factor: pixels stay squares
        shown = QSize(picture.width() * factor, picture.height() * factor);
    } else {
        shown = picture.size().scaled(side, side, Qt::KeepAspectRatio).expandedTo({1, 1});
        sharp = false;
    }
    QImage cell(side, side, QImage::Format_ARGB32_Premultiplied);
    cell.fill(Qt::transparent);
    QPainter painter(&cell);
    const QRect target((side - shown.width()) / 2, (side - shown.height()) / 2, shown.width(),
                       shown.height());
    if (picture.hasAlphaChannel()) {
        DrawCheckerboard(painter, target, cell.rect());
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !sharp);
    painter.drawImage(target, picture);
    painter.end();
    cell.setDevicePixelRatio(pixelRatio);
    return cell;
}

Thumbnail MakeThumbnail(const MemberBytesSource& source, bool transparencyEnabled,
                        qreal pixelRatio) {
    Thumbnail thumbnail;
    try {
        const std::vector<std::uint8_t> bytes = source.Read();
        const QImage image =
            DecodeMemberPicture(source.entry.storedName, bytes, transparencyEnabled,
                                AnsiToUtf8(source.entry.storedName));
        if (!image.isNull()) {
            thumbnail.size = image.size();
            thumbnail.image = ThumbnailImage(image, pixelRatio);
        }
    } catch (const std::exception& error) {
        thumbnail.error = QString::fromStdString(error.what());
    }
    return thumbnail;
}

void ThumbnailLoader::Load(quint64 key, MemberBytesSource source, bool transparencyEnabled) {
    const quint64 generation = generation_->load();
    ++pending_;
    const qreal pixelRatio = qApp->devicePixelRatio();
    pool_.start([this, flag = generation_, generation, key, source = std::move(source),
                 transparencyEnabled, pixelRatio] {
        Thumbnail thumbnail;
        if (flag->load() == generation) {
            thumbnail = MakeThumbnail(source, transparencyEnabled, pixelRatio);
        }
        QMetaObject::invokeMethod(
            this, [this, generation, key, thumbnail] { Deliver(generation, key, thumbnail); },
            Qt::QueuedConnection);
    });
}

void ThumbnailLoader::Cancel() {
    ++*generation_;
}

void ThumbnailLoader::Deliver(quint64 generation, quint64 key, const Thumbnail& thumbnail) {
    --pending_;
    if (generation == generation_->load()) {
        emit loaded(key, thumbnail);
    }
    if (pending_ == 0) {
        emit allLoaded();
    }
}

}  // namespace lumigram
