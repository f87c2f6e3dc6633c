#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace lumigram {
namespace {

// Room kept for the frame a window manager adds, which is not known before the
// window is first shown: a title bar above, thin borders elsewhere.
constexpr int kFrameSide = 4;
constexpr int kFrameTop = 28;

QString SettingsKey(const QString& key) {
    return QStringLiteral("windows/") + key;
}

}  // namespace

QRect PlaceOnScreen(const QRect& wanted, const QRect& available, const QSize& minimum) {
    // wanted: the frame's top-left corner and the client area's size, as
    // QWidget::pos() and size() give them.
    const QSize frame(2 * kFrameSide, kFrameTop + kFrameSide);
    const QSize room = available.size() - frame;
    if (room.isEmpty()) {
        return wanted;
    }
    const QSize size = wanted.size().boundedTo(room).expandedTo(minimum);
    const QSize outer = size + frame;
    const int left = std::clamp(wanted.left(), available.left(),
                                std::max(available.left(), available.right() + 1 - outer.width()));
    const int top = std::clamp(wanted.top(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - outer.height()));
    return {QPoint(left, top), size};
}

void PlaceWindow(QWidget& window, const QString& key, const QRect& defaultPlace) {
    QRect wanted = QSettings().value(SettingsKey(key)).toRect();
    if (!wanted.isValid()) {
        wanted = defaultPlace;
    }
    const QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect place = screen == nullptr ? wanted
                                          : PlaceOnScreen(wanted, screen->availableGeometry(),
                                                          window.minimumSize());
    window.move(place.topLeft());
    window.resize(place.size());
}

void RememberPlace(const QWidget& window, const QString& key) {
    if (window.isVisible() && !window.isMaximized() && !window.isFullScreen()) {
        QSettings().setValue(SettingsKey(key), QRect(window.pos(), window.size()));
    }
}

}  // namespace lumigram
