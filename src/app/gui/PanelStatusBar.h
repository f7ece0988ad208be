#pragma once

#include <QLabel>
#include <QStatusBar>

#include <array>

// A status bar of two fixed panels, 200 and 50 pixels wide: the operator and a short note.
class PanelStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit PanelStatusBar(QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;

private:
    std::array<QLabel*, 2> m_panels{};
};
