#pragma once

#include <QLabel>

// A one-line label whose text never widens its window: a text wider than the label is cut at the
// end with "…" and shown whole as its tooltip. text() keeps the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
    bool elided() const;
};
