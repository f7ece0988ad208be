#pragma once

#include <QStringList>

class QLineEdit;

// The width a line edit needs to show each of the texts whole at its font, frame and margins
// included.
int lineEditWidthFor(const QLineEdit& box, const QStringList& texts);
