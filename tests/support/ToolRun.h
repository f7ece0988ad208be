#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// One run of a command-line tool built beside the tests (ctest names their folder).
struct ToolRun
{
    int exitCode = -1; // -1: it crashed or did not finish
    QByteArray out;
    QByteArray err;
    QStringList lines; // standard output, one line each, blank lines left out
    QString errors;    // standard error: message boxes and questions

    static QString path(const char* tool)
    {
        return qEnvironmentVariable("ZELVO_TOOLS_DIR") + QLatin1Char('/') + QLatin1String(tool);
    }

    static ToolRun run(const char* tool, const QStringList& arguments, const QByteArray& input = {},
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(path(tool), arguments);
        process.write(input);
        process.closeWriteChannel();
        ToolRun result;
        if (!process.waitForFinished(120000)) {
            qWarning("%s did not finish", tool);
            return result;
        }
        if (process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = process.exitCode();
        }
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        result.lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        result.errors = QString::fromUtf8(result.err);
        return result;
    }
};
