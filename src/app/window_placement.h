#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace lumigram {

// Where a window goes when it opens: the place (client geometry) it had when it
// was last closed, kept in the user's settings under key, else defaultPlace;
// either way within the available geometry of the screen it lands on, at any
// scale factor. A window that does not fit is made smaller (down to its
// minimum size), one that sticks out is moved in; one that fits stays exactly
// where it was asked to be.
QRect PlaceOnScreen(const QRect& wanted, const QRect& available, const QSize& minimum);
void PlaceWindow(QWidget& window, const QString& key, const QRect& defaultPlace);
// Keeps the window's place for the next run.
void RememberPlace(const QWidget& window, const QString& key);

}  // namespace lumigram
