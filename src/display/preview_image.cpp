#include "display/preview_image.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "display/checkerboard.h"

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

double TPreviewImage::Scale() {
    picture_->GetImageSizes();
    const int width = picture_->GetWidth();
    const int height = picture_->GetHeight();
    if (zoom_ != kZoomFit || width <= 0 || height <= 0) {
        return zoom_ == kZoomFit ? 1 : zoom_;
    }
    const double scale = std::min(static_cast<double>(this->width()) / width,
                                  static_cast<double>(this->height()) / height);
    // Enlarged by a whole factor, every picture pixel stays the same size.
    return scale >= 1 ? std::floor(scale) : scale;
}

QRect TPreviewImage::PictureRect() {
    if (picture_->GetEmpty()) {
        return {};
    }
    const double scale = Scale();
    const int width = picture_->GetWidth();
    const int height = picture_->GetHeight();
    if (width <= 0 || height <= 0) {
        return {};
    }
    const int shownWidth = std::max(1, static_cast<int>(width * scale));
    const int shownHeight = std::max(1, static_cast<int>(height * scale));
    // Signed division rounds toward zero: a picture larger than the control is
    // cut off equally on both sides.
    return {(this->width() - shownWidth) / 2, (this->height() - shownHeight) / 2, shownWidth,
            shownHeight};
}

void TPreviewImage::SetPlaceholder(const QString& text) {
    placeholder_ = text;
    update();
}

void TPreviewImage::DrawScaled(QPainter& canvas) {
    const QRect target = PictureRect();
    if (target.isEmpty()) {
        return;
    }
    // The picture at its own size (a BMP with its transparency), enlarged or
    // reduced pixel by pixel.
    const QImage own = picture_->OwnSizeImage();
    if (own.isNull()) {
        return;
    }
    if (checkerboard_) {
        const QRect visible =
            canvas.hasClipping() ? rect() & canvas.clipBoundingRect().toAlignedRect() : rect();
        DrawCheckerboard(canvas, target, visible);
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
    if (!placeholder_.isEmpty()) {
        canvas.setPen(palette().color(QPalette::PlaceholderText));
        canvas.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, placeholder_);
        return;
    }
    QPen pen(QColor(0, 0, 255), 0, Qt::DotLine);  // cosmetic: one pixel wide
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(0, 0, width() - 1, height() - 1);
}

void TPreviewImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());  // a large zoomed picture: only what is exposed
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
