#include "app/gui/PanelStatusBar.h"

#include "base/gui/ElidedLabel.h"

PanelStatusBar::PanelStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    const int widths[] = {200, 50};
    for (int i = 0; i < 2; ++i) {
        // A long operator name is cut rather than widening the window.
        m_panels[i] = new ElidedLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]);
        addWidget(m_panels[i], i == 0 ? 0 : 1);
    }
}

void PanelStatusBar::setPanelText(int panel, const QString& text)
{
    if (panel >= 0 && panel < int(m_panels.size())) {
        m_panels[panel]->setText(text);
    }
}

QString PanelStatusBar::panelText(int panel) const
{
    return panel >= 0 && panel < int(m_panels.size()) ? m_panels[panel]->text() : QString();
}
