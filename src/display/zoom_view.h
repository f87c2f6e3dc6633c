#pragma once

#include <QPoint>
#include <QScrollArea>
#include <QString>

namespace lumigram {

class TPreviewImage;

// A preview in a scroll area, the zoom of both windows: scroll bars when the
// picture is larger than the view, a drag with the left button pans, Ctrl and
// the wheel zoom around the pointer, and a picture that does not fit at its own
// size is first shown fitted. Pixels stay sharp squares at every whole factor.
class TZoomView : public QScrollArea {
    Q_OBJECT

  public:
    // The zoom steps, smallest first; fitting is the other choice.
    static constexpr int kSteps[] = {1, 2, 4, 8};

    explicit TZoomView(QWidget* parent = nullptr);

    TPreviewImage* preview() const { return preview_; }

    // The user's choice: one of kSteps, or TPreviewImage::kZoomFit.
    void SetZoom(int zoom);
    int Zoom() const;
    // One step in (+1) or out (-1), keeping the picture point under anchor (in
    // the view's coordinates) where it is; the view's centre when omitted.
    void StepZoom(int direction);
    void StepZoom(int direction, QPoint anchor);
    // What the status bar shows: "4×", or "Fit (25%)".
    QString ZoomText();

    // Tells the view that another picture is shown: one that does not fit at
    // its own size is fitted, and back at its own size when the next one fits,
    // unless the user chose a zoom of their own.
    void PictureChanged();

  signals:
    void zoomChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Sizes the preview to the picture at its scale, or to the view when that
    // is larger (the picture is then centred in it).
    void Relayout();
    bool Scrollable() const;
    void Apply(int zoom, QPoint anchor);

    TPreviewImage* preview_;
    bool fittedForSize_ = false;  // fitted by the view, not by the user
    bool dragging_ = false;
    QPoint dragFrom_;
};

}  // namespace lumigram
