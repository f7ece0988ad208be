#include "app/gui/MessageBoxPrompter.h"

#include <QMessageBox>

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
    // Enter or Esc without thought takes the safe answer.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}
