#pragma once

#include <QLayout>
#include <QRect>
#include <memory>
#include <vector>

namespace lumigram {

// Places each widget at its rectangle of the window's default client size and
// hands out the room that a larger window adds: each edge of a widget moves by
// its share (0 to 1) of the extra width or height. A smaller window, down to
// the default size less maxShrink (a small screen, a large scale factor), takes
// room away by the same shares, so that no control falls off its edge. At the
// default size every widget sits exactly at its rectangle.
class TGrowLayout : public QLayout {
  public:
    // How a widget's left, top, right and bottom edges follow the extra room.
    struct Shares {
        double left = 0, top = 0, right = 0, bottom = 0;
    };

    TGrowLayout(QWidget* parent, QSize defaultSize, QSize maxShrink = {});

    void Add(QWidget* widget, const QRect& atDefault, Shares shares);

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(entries_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override { return defaultSize_; }
    QSize minimumSize() const override { return defaultSize_ - maxShrink_; }
    void setGeometry(const QRect& rect) override;

  private:
    struct Entry {
        std::unique_ptr<QLayoutItem> item;
        QRect atDefault;
        Shares shares;
    };
    QSize defaultSize_;
    QSize maxShrink_;
    std::vector<Entry> entries_;
};

}  // namespace lumigram
