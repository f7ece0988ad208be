#include "base/gui/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent)
{
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Room for the ellipsis alone; the height is that of the whole text.
    const int frame = 2 * (frameWidth() + margin());
    return {fontMetrics().horizontalAdvance(QChar(0x2026)) + frame, QLabel::minimumSizeHint().height()};
}

QRect ElidedLabel::textArea() const
{
    return contentsRect().adjusted(margin(), margin(), -margin(), -margin());
}

bool ElidedLabel::elided() const
{
    return fontMetrics().horizontalAdvance(text()) > textArea().width();
}

bool ElidedLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && elided()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent* event)
{
    if (!elided()) {
        QLabel::paintEvent(event);
        return;
    }
    // A text a little too wide is drawn smaller first, down to two thirds of the font: the banner's
    // words stay whole at a narrow screen. Only what does not fit even then is cut.
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = textArea();
    QFont smaller = font();
    // A little below the exact ratio: text widths do not shrink exactly with the font.
    const qreal needed = 0.95 * area.width() / fontMetrics().horizontalAdvance(text());
    if (smaller.pointSizeF() > 0) {
        smaller.setPointSizeF(smaller.pointSizeF() * std::max(needed, 2.0 / 3.0));
    } else if (smaller.pixelSize() > 0) {
        smaller.setPixelSize(std::max(1, int(smaller.pixelSize() * std::max(needed, 2.0 / 3.0))));
    }
    painter.setFont(smaller);
    const QString shown = QFontMetrics(smaller).elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown, foregroundRole());
}
