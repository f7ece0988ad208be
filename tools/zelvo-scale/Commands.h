#pragma once

#include <QStringList>

// The three commands of zelvo-scale; each takes the arguments after its name and returns the
// exit code.
int runDecode(const QStringList& arguments);
int runSimulate(const QStringList& arguments);
int runMonitor(const QStringList& arguments);

// Prints a line to standard output or standard error and flushes it, so a program reading the
// other end of a pipe sees it at once.
void printLine(const QString& text);
void printError(const QString& text);
