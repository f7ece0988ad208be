#pragma once

#include <QObject>
#include <QString>

// A window's control by its object name; a missing one ends the test program, as every later step
// would fail on it.
template <typename T> T* childControl(const QObject& parent, const QString& name)
{
    T* control = parent.findChild<T*>(name);
    if (!control) {
        qFatal("no control %s", qPrintable(name));
    }
    return control;
}
