#include "display/preview_image.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace lumigram {

TPreviewImage::TPreviewImage(QWidget* parent)
    : QWidget(parent), picture_(new TFilePicture(this)), previewHint_(new THintInfo(this)) {
    resize(32, 32);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    setMouseTracking(false);
    connect(picture_, &TFilePicture::changed, this, qOverload<>(&QWidget::update));
}

void TPreviewImage::SetPicture(const TFilePicture* picture) {
    picture_->Assign(picture);
    update();
}

QString TPreviewImage::Version() const {
    const unsigned v = GetVersionNr();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(v >> 24)
        .arg((v >> 16) & 0xFF)
        .arg((v >> 8) & 0xFF)
        .arg(v & 0xFF);
}

void TPreviewImage::SetZoom(int zoom) {
    zoom_ = zoom;
    update();
}

void TPreviewImage::SetCheckerboard(bool on) {
    checkerboard_ = on;
    update();
}

void TPreviewImage::DrawScaled(QPainter& canvas) {
    picture_->GetImageSizes();
    const int width = picture_->GetWidth();
    const int height = picture_->GetHeight();
    if (width <= 0 || height <= 0) {
        return;
    }
    // The picture draws itself at its own size (a BMP with its automatic
    // transparency), and that is then enlarged pixel by pixel.
    QImage own(width, height, QImage::Format_ARGB32_Premultiplied);
    own.fill(Qt::transparent);
    {
        QPainter painter(&own);
        picture_->Draw(painter, QRect(0, 0, width, height));
    }
    double scale = zoom_;
    if (zoom_ == kZoomFit) {
        scale = std::min(static_cast<double>(this->width()) / width,
                         static_cast<double>(this->height()) / height);
        // Enlarged by a whole factor, every picture pixel stays the same size.
        if (scale >= 1) {
            scale = std::floor(scale);
        }
    }
    const int shownWidth = std::max(1, static_cast<int>(width * scale));
    const int shownHeight = std::max(1, static_cast<int>(height * scale));
    const QRect target((this->width() - shownWidth) / 2, (this->height() - shownHeight) / 2,
                       shownWidth, shownHeight);
    if (checkerboard_) {
        // Squares counted from the picture's corner, drawn only where visible.
        constexpr int kSquare = 8;
        const QRect visible = target & rect();
        const int firstColumn = (visible.left() - target.left()) / kSquare;
        const int firstRow = (visible.top() - target.top()) / kSquare;
        canvas.save();
        canvas.setClipRect(visible, Qt::IntersectClip);
        for (int row = firstRow; target.top() + row * kSquare <= visible.bottom(); ++row) {
            for (int column = firstColumn; target.left() + column * kSquare <= visible.right();
                 ++column) {
                const bool light = (row + column) % 2 == 0;
                canvas.fillRect(target.left() + column * kSquare, target.top() + row * kSquare,
                                kSquare, kSquare,
                                light ? QColor(255, 255, 255) : QColor(214, 214, 214));
            }
        }
        canvas.restore();
    }
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas.drawImage(target, own);
}

void TPreviewImage::DrawPicture(QPainter& canvas) {
    if (!picture_->GetEmpty() && (zoom_ != 1 || checkerboard_)) {
        DrawScaled(canvas);
        return;
    }
    if (!picture_->GetEmpty()) {
        picture_->GetImageSizes();
        // Signed division rounds toward zero: a picture larger than the control
        // is cut off equally on both sides.
        const int x = (width() - picture_->GetWidth()) / 2;
        const int y = (height() - picture_->GetHeight()) / 2;
        picture_->Draw(canvas, QRect(x, y, picture_->GetWidth(), picture_->GetHeight()));
        return;
    }
    QPen pen(QColor(0, 0, 255), 0, Qt::DotLine);  // cosmetic: one pixel wide
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(0, 0, width() - 1, height() - 1);
}

void TPreviewImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawPicture(painter);
}

void TPreviewImage::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    emit mouseEntered();
}

void TPreviewImage::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit mouseLeft();
}

}  // namespace lumigram
