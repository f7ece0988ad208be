#include "Options.h"

#include "scale/ScaleFrames.h"

bool Options::parse(const QStringList& arguments, const QStringList& known)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")) || !known.contains(argument.mid(2))) {
            m_error = QStringLiteral("unknown argument: ") + argument;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            m_error = QStringLiteral("missing value for ") + argument;
            return false;
        }
        m_values.insert(argument.mid(2), arguments.at(++i));
    }
    return true;
}

std::optional<double> Options::number(const QString& name, double fallback)
{
    if (!has(name)) {
        return fallback;
    }
    bool ok = false;
    const double value = text(name).toDouble(&ok);
    if (!ok) {
        m_error = QStringLiteral("--%1 needs a number, not '%2'").arg(name, text(name));
        return std::nullopt;
    }
    return value;
}

std::optional<int> Options::integer(const QString& name, int fallback)
{
    if (!has(name)) {
        return fallback;
    }
    bool ok = false;
    const int value = text(name).toInt(&ok);
    if (!ok || value <= 0) {
        m_error = QStringLiteral("--%1 needs a whole number above 0, not '%2'").arg(name, text(name));
        return std::nullopt;
    }
    return value;
}

std::optional<int> Options::protocol()
{
    const auto index = ScaleFrames::scaleTypeIndexOf(text(QStringLiteral("protocol")));
    if (!index) {
        m_error = QStringLiteral("--protocol must be A, B, C or D");
    }
    return index;
}
