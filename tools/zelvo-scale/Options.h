#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// "--name value" pairs of one command; anything else is an error.
class Options
{
public:
    // Reads the pairs; names outside `known` or a name without a value are refused.
    bool parse(const QStringList& arguments, const QStringList& known);
    QString error() const { return m_error; }

    bool has(const QString& name) const { return m_values.contains(name); }
    QString text(const QString& name) const { return m_values.value(name); }
    // The value as a number; nullopt (with error()) when it is present but not a number.
    std::optional<double> number(const QString& name, double fallback);
    std::optional<int> integer(const QString& name, int fallback);
    // The protocol letter as a scale type index.
    std::optional<int> protocol();

private:
    QHash<QString, QString> m_values;
    QString m_error;
};
