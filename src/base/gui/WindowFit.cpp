#include "base/gui/WindowFit.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// Places the window's inner area so that its frame lies at frameTopLeft. The inner geometry is set
// rather than the frame's position, which a window not yet shown does not know.
void place(QWidget& window, QPoint frameTopLeft, QSize size, const QMargins& frame)
{
    window.setGeometry(QRect(frameTopLeft + QPoint(frame.left(), frame.top()), size));
}

QSize boundedSize(const QWidget& window, const QRect& area, const QMargins& frame)
{
    return window.size().boundedTo(area.size().shrunkBy(frame)).expandedTo(window.minimumSize());
}

} // namespace

QMargins WindowFit::assumedFrame()
{
    return {4, 32, 4, 4};
}

QMargins WindowFit::frameOf(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    if (!window.isVisible() || frame == inner) {
        return assumedFrame();
    }
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

void WindowFit::fitToScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize size = boundedSize(window, area, frame);
    const QSize outer = size.grownBy(frame);
    place(window,
          {area.x() + std::max(0, (area.width() - outer.width()) / 2),
           area.y() + std::max(0, (area.height() - outer.height()) / 2)},
          size, frame);
}

void WindowFit::keepOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize size = boundedSize(window, area, frame);
    const QRect outer(window.geometry().topLeft() - QPoint(frame.left(), frame.top()), size.grownBy(frame));
    // The right and bottom edges first, so that a window larger than the area keeps its title bar.
    const int x = std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    place(window, {x, y}, size, frame);
}
