#include "app/workbench/before_after.h"

#include <QGridLayout>
#include <QLabel>

#include "display/file_picture.h"
#include "display/preview_image.h"
#include "display/zoom_view.h"

namespace lumigram {

void ShowImage(TZoomView& view, const QImage& image, const QString& placeholder) {
    TPreviewImage& preview = *view.preview();
    preview.SetPlaceholder(placeholder);
    if (image.isNull()) {
        preview.SetPicture(nullptr);
    } else {
        TFilePicture picture;
        picture.LoadFromPixels(image);
        preview.SetPicture(&picture);
    }
    view.PictureChanged();
}

BeforeAfterPanel::BeforeAfterPanel(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    beforeCaption_ = new QLabel(this);
    afterCaption_ = new QLabel(this);
    before_ = new TZoomView(this);
    after_ = new TZoomView(this);
    for (TZoomView* view : {before_, after_}) {
        view->preview()->SetCheckerboard(true);
        view->setMinimumSize(120, 120);
    }
    grid->addWidget(beforeCaption_, 0, 0);
    grid->addWidget(afterCaption_, 0, 1);
    grid->addWidget(before_, 1, 0);
    grid->addWidget(after_, 1, 1);
    grid->setRowStretch(1, 1);
}

void BeforeAfterPanel::Show(const QString& beforeCaption, const QImage& before,
                            const QString& afterCaption, const QImage& after) {
    beforeCaption_->setText(beforeCaption);
    afterCaption_->setText(afterCaption);
    ShowImage(*before_, before, QStringLiteral("(none)"));
    ShowImage(*after_, after, QStringLiteral("(none)"));
}

}  // namespace lumigram
