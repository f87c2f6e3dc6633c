#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <memory>

#include "app/workbench/member_bytes.h"
#include "app/workbench/thumbnail.h"

namespace lumigram {

// Decodes members into thumbnails on worker threads; each result comes back
// on the window's thread as loaded(key, ...). Cancel() drops every result not
// delivered yet, so a package reopened or a setting changed never receives a
// stale one.
class ThumbnailLoader : public QObject {
    Q_OBJECT

  public:
    explicit ThumbnailLoader(QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    void Load(quint64 key, MemberBytesSource source, bool transparencyEnabled);
    void Cancel();
    // Loads asked for and not delivered (or dropped) yet.
    int pending() const { return pending_; }

  signals:
    void loaded(quint64 key, const lumigram::Thumbnail& thumbnail);
    void allLoaded();

  private:
    void Deliver(quint64 generation, quint64 key, const Thumbnail& thumbnail);

    QThreadPool pool_;
    std::shared_ptr<std::atomic<quint64>> generation_;
    int pending_ = 0;
};

// A picture as the grid shows it: in a square cell of kThumbnailSide (times the
// screen's pixel ratio), at one scale (a whole factor up, or smoothly down to
// fit), centred, over the preview's checkerboard where it is see-through. Every
// cell is the same size, so the names under them line up.
QImage ThumbnailImage(const QImage& picture, qreal pixelRatio);

// Decodes one member into its thumbnail (on any thread).
Thumbnail MakeThumbnail(const MemberBytesSource& source, bool transparencyEnabled,
                        qreal pixelRatio = 1);

}  // namespace lumigram
