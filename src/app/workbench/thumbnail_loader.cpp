#include "app/workbench/thumbnail_loader.h"

#include <QMetaObject>

#include "app/workbench/member_picture.h"
#include "platform/ansi_codepage.h"

namespace lumigram {

ThumbnailLoader::ThumbnailLoader(QObject* parent)
    : QObject(parent), generation_(std::make_shared<std::atomic<quint64>>(0)) {}

ThumbnailLoader::~ThumbnailLoader() {
    Cancel();
    // Workers post to this object: none may still run once it is gone.
    pool_.waitForDone();
}

Thumbnail MakeThumbnail(const MemberBytesSource& source, bool transparencyEnabled) {
    Thumbnail thumbnail;
    try {
        const std::vector<std::uint8_t> bytes = source.Read();
        const QImage image =
            DecodeMemberPicture(source.entry.storedName, bytes, transparencyEnabled,
                                AnsiToUtf8(source.entry.storedName));
        if (!image.isNull()) {
            thumbnail.size = image.size();
            thumbnail.image = image.width() <= kThumbnailSide && image.height() <= kThumbnailSide
                                  ? image
                                  : image.scaled(kThumbnailSide, kThumbnailSide,
                                                 Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
    } catch (const std::exception& error) {
        thumbnail.error = QString::fromStdString(error.what());
    }
    return thumbnail;
}

void ThumbnailLoader::Load(quint64 key, MemberBytesSource source, bool transparencyEnabled) {
    const quint64 generation = generation_->load();
    ++pending_;
    pool_.start([this, flag = generation_, generation, key, source = std::move(source),
                 transparencyEnabled] {
        Thumbnail thumbnail;
        if (flag->load() == generation) {
            thumbnail = MakeThumbnail(source, transparencyEnabled);
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
