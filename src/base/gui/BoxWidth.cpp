#include "base/gui/BoxWidth.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

int lineEditWidthFor(const QLineEdit& box, const QStringList& texts)
{
    int text = 0;
    for (const QString& t : texts) {
        text = std::max(text, box.fontMetrics().horizontalAdvance(t));
    }
    // A line edit keeps 2 pixels on each side of its text and a pixel for the cursor.
    const QMargins margins = box.textMargins() + box.contentsMargins();
    const QSize inner(text + 2 * 2 + 1 + margins.left() + margins.right(), box.sizeHint().height());
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.lineWidth =
        box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    return box.style()->sizeFromContents(QStyle::CT_LineEdit, &option, inner, &box).width();
}
