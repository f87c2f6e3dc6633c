#include "display/preview_image.h"

#include <QPainter>
#include <QPen>

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

void TPreviewImage::DrawPicture(QPainter& canvas) {
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
