#include "postage/PostageStyles.h"

namespace PostageStyle {

QString name(RuleStyle style)
{
    switch (style) {
    case RuleStyle::Special1:
        return QStringLiteral("特殊1");
    case RuleStyle::Special2:
        return QStringLiteral("特殊2");
    case RuleStyle::Normal:
        break;
    }
    return QStringLiteral("普通");
}

QString table(RuleStyle style)
{
    switch (style) {
    case RuleStyle::Special1:
        return QStringLiteral("rule1");
    case RuleStyle::Special2:
        return QStringLiteral("rule2");
    case RuleStyle::Normal:
        break;
    }
    return QStringLiteral("rule");
}

int code(RuleStyle style)
{
    return static_cast<int>(style);
}

RuleStyle fromName(const QString& styleName)
{
    if (styleName == name(RuleStyle::Normal)) {
        return RuleStyle::Normal;
    }
    if (styleName == name(RuleStyle::Special1)) {
        return RuleStyle::Special1;
    }
    return RuleStyle::Special2;
}

std::optional<RuleStyle> fromCode(int value)
{
    switch (value) {
    case 1:
        return RuleStyle::Special1;
    case 2:
        return RuleStyle::Special2;
    case 3:
        return RuleStyle::Normal;
    default:
        return std::nullopt;
    }
}

} // namespace PostageStyle
