#pragma once

#include <QObject>

class QLineEdit;

// The keys a bracket box takes: digits, Backspace and the clipboard keys; a fee box also takes one
// ".". Other typed characters are dropped; keys that type nothing (arrows, Tab) pass. A validator
// keeps pasted text to the same form.
class BracketKeyFilter : public QObject
{
    Q_OBJECT

public:
    explicit BracketKeyFilter(QObject* parent = nullptr);

    void watchWeightBox(QLineEdit* box);
    void watchFeeBox(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key is to be dropped.
    static bool EditWKeyPress(QEvent* event);
    static bool EditFKeyPress(QEvent* event, const QLineEdit* box);
};
