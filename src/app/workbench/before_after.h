#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace lumigram {

class TZoomView;

// Two pictures side by side, each in its own zoomable view with a caption
// above it: a member's picture and what would take its place (Replace), or a
// member as two packages hold it (Compare).
class BeforeAfterPanel : public QWidget {
    Q_OBJECT

  public:
    explicit BeforeAfterPanel(QWidget* parent = nullptr);

    // A null image shows the caption's "(none)" in its view.
    void Show(const QString& beforeCaption, const QImage& before, const QString& afterCaption,
              const QImage& after);
    TZoomView* beforeView() const { return before_; }
    TZoomView* afterView() const { return after_; }

  private:
    QLabel* beforeCaption_;
    QLabel* afterCaption_;
    TZoomView* before_;
    TZoomView* after_;
};

// Shows image in view's preview (a null image: the placeholder text instead).
void ShowImage(TZoomView& view, const QImage& image, const QString& placeholder);

}  // namespace lumigram
