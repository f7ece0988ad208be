#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh data folder for one test: login.db, Postage.db and an embedded order database go here.
class TempDataFolder
{
public:
    TempDataFolder() { m_dir.setAutoRemove(true); }
    bool isValid() const { return m_dir.isValid(); }
    // The folder path with a trailing separator, as the program folder is kept.
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
