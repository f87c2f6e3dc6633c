#pragma once

#include <QString>
#include <QWidget>

#include "display/file_picture.h"
#include "display/hint_info.h"

namespace lumigram {

// The preview: shows its picture centred at the picture's own size, or, with no
// picture, a dotted blue outline along its edges. It paints no background of
// its own (the window shows through) and raises no click events; it tells when
// the mouse enters and leaves it.
class TPreviewImage : public QWidget {
    Q_OBJECT

  public:
    explicit TPreviewImage(QWidget* parent = nullptr);

    // The owned picture: callers load into it and save from it directly.
    TFilePicture& Picture() { return *picture_; }
    // Copies the given picture into the owned one and repaints.
    void SetPicture(const TFilePicture* picture);

    THintInfo& PreviewHint() { return *previewHint_; }
    void SetPreviewHint(const THintInfo* hint) { previewHint_->Assign(hint); }

    // 1.0.0.0, major in the top byte.
    static constexpr unsigned GetVersionNr() { return 0x01000000u; }
    QString Version() const;
    void SetVersion(const QString&) {}  // read-only in effect

    // Paints the picture (or the outline) with the given painter, in this
    // control's coordinates.
    void DrawPicture(QPainter& canvas);

    // The scale the picture is drawn at: 1 (its own size, the start), 2, 4 or
    // 8, or kZoomFit to fit it into the control. Every scale but the own size
    // goes by nearest neighbour, so that each pixel stays a sharp square.
    static constexpr int kZoomFit = 0;
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }

    // The scale the picture is drawn at in this control's present size, and
    // where it lands (centred, rounding toward zero); an empty rectangle when
    // there is no picture to draw.
    double Scale();
    QRect PictureRect();

    // With the checkerboard on, the picture's rectangle is first filled with a
    // light checkerboard, so that pixels left transparent show as such.
    void SetCheckerboard(bool on);
    // Shown, centred, in place of the dotted outline while there is no picture
    // ("Select a member"); empty by default.
    void SetPlaceholder(const QString& text);

  signals:
    void mouseEntered();
    void mouseLeft();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void DrawScaled(QPainter& canvas);

    TFilePicture* picture_;  // child objects, freed with the control
    THintInfo* previewHint_;
    int zoom_ = 1;
    bool checkerboard_ = false;
    QString placeholder_;
};

}  // namespace lumigram
