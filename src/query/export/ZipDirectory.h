#pragma once

#include <QHash>
#include <QString>

// The uncompressed size of each member of a zip file, as its central directory lists them; false
// when the file has no central directory that can be read.
bool zipMemberSizes(const QString& path, QHash<QString, quint64>* sizes);
