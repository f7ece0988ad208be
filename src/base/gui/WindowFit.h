#pragma once

#include <QMargins>

class QWidget;

namespace WindowFit {

// The frame a desktop draws around a window (title bar and borders), used while the real one is
// not known: before the window is first shown, or where no window manager draws one.
QMargins assumedFrame();

// The frame around a shown window, or the assumed one.
QMargins frameOf(const QWidget& window);

// Makes the window, frame included, no larger than the available area of its screen and centres
// it there.
void fitToScreen(QWidget& window);

// Makes the window no larger than the available area and moves it no further than needed to bring
// it, frame included, wholly onto that area.
void keepOnScreen(QWidget& window);

} // namespace WindowFit
