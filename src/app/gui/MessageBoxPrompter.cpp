#include "app/gui/MessageBoxPrompter.h"

#include <QMessageBox>

void MessageBoxPrompter::inform(const QString& text)
{
    QMessageBox::information(m_parent, QStringLiteral("Zelvo"), text);
}

bool MessageBoxPrompter::ask(const QString& text)
{
    return QMessageBox::question(m_parent, QStringLiteral("Zelvo"), text,
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}
