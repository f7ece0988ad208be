#pragma once

#include <QString>

#include <optional>

// The three styles of postage rule. The value is the code kept in SndStyle_Form.Style.
enum class RuleStyle
{
    Special1 = 1,
    Special2 = 2,
    Normal = 3,
};

namespace PostageStyle {
// "普通", "特殊1" or "特殊2": the name the dialogs show and pass to each other.
QString name(RuleStyle style);
// "rule", "rule1" or "rule2".
QString table(RuleStyle style);
int code(RuleStyle style);
// "普通" and "特殊1" are their styles; any other name is treated as special 2, as the editor does.
RuleStyle fromName(const QString& name);
std::optional<RuleStyle> fromCode(int code);
} // namespace PostageStyle
