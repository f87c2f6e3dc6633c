#pragma once

#include <QColor>
#include <QWidget>

namespace lumigram {

// A rectangle drawn with a one-pixel black outline, filled with a colour or left
// transparent: the preview's frame and the transparency-colour swatch.
class TShape : public QWidget {
    Q_OBJECT

  public:
    explicit TShape(QWidget* parent = nullptr) : QWidget(parent) {}

    // An invalid colour leaves the inside transparent.
    void SetBrushColour(const QColor& colour);
    QColor BrushColour() const { return brush_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor brush_;
};

}  // namespace lumigram
