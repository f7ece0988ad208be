#include "base/gui/WindowFit.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <optional>

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

// What placing a window works from: the screen's free area, the window's frame, and the inner
// size that fits in that area.
struct Placement
{
    QRect area;
    QMargins frame;
    QSize size;
};

std::optional<Placement> placementOf(const QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen) {
        return std::nullopt;
    }
    Placement placement{screen->availableGeometry(), WindowFit::frameOf(window), {}};
    placement.size = boundedSize(window, placement.area, placement.frame);
    return placement;
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
    const auto p = placementOf(window);
    if (!p) {
        return;
    }
    const QSize outer = p->size.grownBy(p->frame);
    place(window,
          {p->area.x() + std::max(0, (p->area.width() - outer.width()) / 2),
           p->area.y() + std::max(0, (p->area.height() - outer.height()) / 2)},
          p->size, p->frame);
}

void WindowFit::keepOnScreen(QWidget& window)
{
    const auto p = placementOf(window);
    if (!p) {
        return;
    }
    const QRect outer(window.geometry().topLeft() - QPoint(p->frame.left(), p->frame.top()),
                      p->size.grownBy(p->frame));
    // The right and bottom edges first, so that a window larger than the area keeps its title bar.
    const int x = std::max(p->area.left(), std::min(outer.left(), p->area.right() + 1 - outer.width()));
    const int y = std::max(p->area.top(), std::min(outer.top(), p->area.bottom() + 1 - outer.height()));
    place(window, {x, y}, p->size, p->frame);
}
