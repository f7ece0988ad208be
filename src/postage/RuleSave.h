#pragma once

#include "postage/RuleDraft.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <optional>

class Prompter;

enum class RuleSaveOutcome
{
    // The input was refused with a message; nothing was written and the editor stays open.
    Refused,
    // The rule was written (or, for a normal rule, every replace prompt was declined).
    Saved,
    // The replace prompt of a special rule was declined; nothing was written.
    Declined,
    // The database could not be written; nothing was written.
    Failed,
};

// The rule identity written into RuleIndex: the save time as "yyyy-MM-dd-hh-mm-ss".
QString ruleIndexText(const QDateTime& time);

// The brackets of the complete rows, from row 1 up to the first incomplete row. Empty with a
// message for the user when row 1 is incomplete or a box does not hold a usable number.
std::optional<QVector<Bracket>> parseBrackets(const std::array<BracketTexts, kBracketRows>& rows,
                                              QString* message);

// Saves the editor's rule into the table of its style and rewrites the company's binding for the
// style, asking before an existing rule of the same region is replaced. The rows of the rule, the
// replaced rows, the old rule being changed and the binding are written in one transaction.
RuleSaveOutcome SaveRule(QSqlDatabase& db, const RuleDraft& draft, const QDateTime& now, Prompter& prompter);
