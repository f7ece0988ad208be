#include "Commands.h"
#include "Options.h"

#include "scale/WeightDecoder.h"

#include <QFile>

int runDecode(const QStringList& arguments)
{
    Options options;
    if (!options.parse(arguments, {QStringLiteral("protocol"), QStringLiteral("range")})) {
        printError(options.error());
        return 2;
    }
    const auto index = options.protocol();
    const auto range = options.number(QStringLiteral("range"), 30.0);
    if (!index || !range) {
        printError(options.error());
        return 2;
    }
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        printError(QStringLiteral("cannot read standard input: ") + input.errorString());
        return 1;
    }
    // A recording is decoded from its first byte, as by a decoder that has just been created.
    WeightDecoder decoder;
    decoder.setSettings({*index, 1, *range});
    char buffer[4096];
    qint64 n = 0;
    while ((n = input.read(buffer, sizeof buffer)) > 0) {
        for (qint64 i = 0; i < n; ++i) {
            if (const auto text = decoder.decode(buffer[i])) {
                printLine(*text);
            }
        }
    }
    if (n < 0) {
        printError(QStringLiteral("cannot read standard input: ") + input.errorString());
        return 1;
    }
    return 0;
}
