#include "display/zoom_view.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "display/preview_image.h"

namespace lumigram {
namespace {

QSize PictureSize(TPreviewImage& preview) {
    TFilePicture& picture = preview.Picture();
    if (picture.GetEmpty() || !picture.GetImageSizes()) {
        return {};
    }
    return {picture.GetWidth(), picture.GetHeight()};
}

}  // namespace

TZoomView::TZoomView(QWidget* parent) : QScrollArea(parent), preview_(new TPreviewImage) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Window);
    setWidget(preview_);  // owned by the scroll area from here
    preview_->installEventFilter(this);
    Relayout();
}

int TZoomView::Zoom() const {
    return preview_->Zoom();
}

void TZoomView::SetZoom(int zoom) {
    fittedForSize_ = false;
    Apply(zoom, viewport()->rect().center());
}

void TZoomView::StepZoom(int direction) {
    StepZoom(direction, viewport()->rect().center());
}

void TZoomView::StepZoom(int direction, QPoint anchor) {
    const double scale = preview_->Scale();
    int next = 0;
    if (Zoom() == TPreviewImage::kZoomFit) {
        // From a fitted scale to the next whole step beyond it, if any.
        for (const int step : kSteps) {
            if (direction > 0 && step > scale + 1e-9) {
                next = step;
                break;
            }
            if (direction < 0 && step < scale - 1e-9) {
                next = step;
            }
        }
        if (next == 0) {
            return;
        }
    } else {
        const auto* at = std::find(std::begin(kSteps), std::end(kSteps), Zoom());
        const std::ptrdiff_t index =
            std::clamp<std::ptrdiff_t>((at - std::begin(kSteps)) + direction, 0,
                                       static_cast<std::ptrdiff_t>(std::size(kSteps)) - 1);
        next = kSteps[index];
    }
    fittedForSize_ = false;
    Apply(next, anchor);
}

void TZoomView::Apply(int zoom, QPoint anchor) {
    const QRect before = preview_->PictureRect();
    const double beforeScale = preview_->Scale();
    const QPointF onPreview =
        QPointF(anchor) + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QPointF onPicture =
        before.isEmpty() ? QPointF() : (onPreview - QPointF(before.topLeft())) / beforeScale;
    preview_->SetZoom(zoom);
    Relayout();
    const QRect after = preview_->PictureRect();
    if (!after.isEmpty()) {
        const QPointF now = onPicture * preview_->Scale() + QPointF(after.topLeft());
        horizontalScrollBar()->setValue(static_cast<int>(std::lround(now.x() - anchor.x())));
        verticalScrollBar()->setValue(static_cast<int>(std::lround(now.y() - anchor.y())));
    }
    emit zoomChanged();
}

void TZoomView::PictureChanged() {
    if (Zoom() == 1 || fittedForSize_) {
        const QSize own = PictureSize(*preview_);
        const QSize room = maximumViewportSize();
        fittedForSize_ =
            own.isValid() && (own.width() > room.width() || own.height() > room.height());
        preview_->SetZoom(fittedForSize_ ? TPreviewImage::kZoomFit : 1);
    }
    Relayout();
    // A picture larger than the view starts at its centre.
    horizontalScrollBar()->setValue(
        (horizontalScrollBar()->maximum() + horizontalScrollBar()->minimum()) / 2);
    verticalScrollBar()->setValue(
        (verticalScrollBar()->maximum() + verticalScrollBar()->minimum()) / 2);
    emit zoomChanged();
}

QString TZoomView::ZoomText() {
    if (PictureSize(*preview_).isEmpty()) {
        return {};
    }
    if (Zoom() != TPreviewImage::kZoomFit) {
        return QStringLiteral("%1\u00D7").arg(Zoom());
    }
    const double scale = preview_->Scale();
    if (scale >= 1) {
        return QStringLiteral("Fit (%1\u00D7)").arg(static_cast<int>(scale));
    }
    return QStringLiteral("Fit (%1%)").arg(std::max(1L, std::lround(scale * 100)));
}

void TZoomView::Relayout() {
    const QSize room = maximumViewportSize();
    const QSize own = PictureSize(*preview_);
    if (Zoom() == TPreviewImage::kZoomFit || own.isEmpty()) {
        preview_->resize(room);  // no scroll bars: the view's whole room
    } else {
        const QSize shown = own * Zoom();
        const int bar = verticalScrollBar()->sizeHint().width();
        bool across = shown.width() > room.width();
        bool down = shown.height() > room.height();
        across = across || (down && shown.width() > room.width() - bar);
        down = down || (across && shown.height() > room.height() - bar);
        const QSize view(room.width() - (down ? bar : 0), room.height() - (across ? bar : 0));
        preview_->resize(shown.expandedTo(view));
    }
    preview_->setCursor(Scrollable() ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

bool TZoomView::Scrollable() const {
    return preview_->width() > maximumViewportSize().width() ||
           preview_->height() > maximumViewportSize().height();
}

void TZoomView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (fittedForSize_) {
        // A larger view may now hold the picture at its own size.
        PictureChanged();
        return;
    }
    Relayout();
    if (Zoom() == TPreviewImage::kZoomFit) {
        emit zoomChanged();
    }
}

void TZoomView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        StepZoom(delta > 0 ? +1 : -1, event->position().toPoint());
    }
    event->accept();
}

bool TZoomView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == preview_) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* press = static_cast<QMouseEvent*>(event);
                if (press->button() == Qt::LeftButton && Scrollable()) {
                    dragging_ = true;
                    dragFrom_ = press->globalPosition().toPoint();
                    preview_->setCursor(Qt::ClosedHandCursor);
                }
                break;
            }
            case QEvent::MouseMove:
                if (dragging_) {
                    const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
                    const QPoint moved = at - dragFrom_;
                    dragFrom_ = at;
                    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
                    verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
                }
                break;
            case QEvent::MouseButtonRelease:
                if (dragging_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    dragging_ = false;
                    preview_->setCursor(Scrollable() ? Qt::OpenHandCursor : Qt::ArrowCursor);
                }
                break;
            default:
                break;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace lumigram
