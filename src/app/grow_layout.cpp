#include "app/grow_layout.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>
#include <cmath>

namespace lumigram {

TGrowLayout::TGrowLayout(QWidget* parent, QSize defaultSize, QSize maxShrink)
    : QLayout(parent), defaultSize_(defaultSize), maxShrink_(maxShrink) {
    setContentsMargins(0, 0, 0, 0);
}

void TGrowLayout::Add(QWidget* widget, const QRect& atDefault, Shares shares) {
    addChildWidget(widget);
    widget->setGeometry(atDefault);  // in place before the layout first runs
    entries_.push_back({std::make_unique<QWidgetItem>(widget), atDefault, shares});
    invalidate();
}

void TGrowLayout::addItem(QLayoutItem* item) {
    entries_.push_back({std::unique_ptr<QLayoutItem>(item), item->geometry(), {}});
}

QLayoutItem* TGrowLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].item.get()
                                         : nullptr;
}

QLayoutItem* TGrowLayout::takeAt(int index) {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    QLayoutItem* item = entries_[static_cast<std::size_t>(index)].item.release();
    entries_.erase(entries_.begin() + index);
    return item;
}

void TGrowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const int extraWidth = std::max(-maxShrink_.width(), rect.width() - defaultSize_.width());
    const int extraHeight = std::max(-maxShrink_.height(), rect.height() - defaultSize_.height());
    const auto share = [](double part, int extra) {
        return static_cast<int>(std::lround(part * extra));
    };
    for (const Entry& entry : entries_) {
        const QRect& r = entry.atDefault;
        const int left = r.left() + share(entry.shares.left, extraWidth);
        const int top = r.top() + share(entry.shares.top, extraHeight);
        const int right = r.left() + r.width() + share(entry.shares.right, extraWidth);
        const int bottom = r.top() + r.height() + share(entry.shares.bottom, extraHeight);
        const QRect place(rect.left() + left, rect.top() + top, right - left, bottom - top);
        // A widget gets exactly its place, whatever its size hint or policy says.
        if (QWidget* widget = entry.item->widget()) {
            widget->setGeometry(place);
        } else {
            entry.item->setGeometry(place);
        }
    }
}

}  // namespace lumigram
