#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Keeps a second copy of the station from starting for the same user: a lock file named
// "CalcSingleInstance", held while the program runs; a lock left by a crashed copy is taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& lockFolder = QString());
    // False when another running copy holds the lock.
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
