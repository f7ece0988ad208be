#include "app/gui/MessageBoxPrompter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Takes the characters typed while a question is open. A scanner sends its number followed by
// Enter; the characters would otherwise vanish in the box, and Enter answers with the default.
class TypedKeys : public QObject
{
public:
    explicit TypedKeys(QMessageBox& box)
        : m_box(box)
    {
        qApp->installEventFilter(this);
    }
    ~TypedKeys() override { qApp->removeEventFilter(this); }
    TypedKeys(const TypedKeys&) = delete;
    TypedKeys& operator=(const TypedKeys&) = delete;

    const QString& text() const { return m_text; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || (widget != &m_box && !m_box.isAncestorOf(widget))) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        if (typed.size() != 1 || !typed.at(0).isPrint() || typed.at(0).isSpace() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            return false;
        }
        m_text += typed;
        return true;
    }

private:
    QMessageBox& m_box;
    QString m_text;
};

} // namespace

void MessageBoxPrompter::inform(const QString& text)
{
    QMessageBox::warning(m_parent, QStringLiteral("Zelvo"), text);
}

void MessageBoxPrompter::tell(const QString& text)
{
    QMessageBox::information(m_parent, QStringLiteral("Zelvo"), text);
}

bool MessageBoxPrompter::ask(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Zelvo"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    TypedKeys typed(box);
    const bool yes = box.exec() == QMessageBox::Ok;
    m_typedDuringQuestion += typed.text();
    return yes;
}

bool MessageBoxPrompter::askWarning(const QString& caption, const QString& text)
{
    // Over every window of the program, owned by none of them.
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    // A scanned number's letters would otherwise reach the buttons' shortcuts ("Y" for Yes).
    const TypedKeys swallowed(box);
    return box.exec() == QMessageBox::Yes;
}

QString MessageBoxPrompter::takeTypedDuringQuestion()
{
    return std::exchange(m_typedDuringQuestion, QString());
}
