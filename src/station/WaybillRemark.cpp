#include "station/WaybillRemark.h"

#include <functional>

namespace WaybillRemark {
namespace {

// Characters that continue a waybill number: where one follows, the mention is a longer number.
bool continuesNumber(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '-' || u == '_';
}

// Calls visit(end) with the position after the number for each mention of the whole number, in
// order, until visit returns true. Letters compare without case, as the order database does.
void eachMention(const QString& remark, const QString& number, const std::function<bool(qsizetype)>& visit)
{
    if (number.isEmpty()) {
        return;
    }
    const QString needle = QString::fromUtf8(kMarker) + number;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = remark.indexOf(needle, from, Qt::CaseInsensitive);
        if (at < 0) {
            return;
        }
        const qsizetype end = at + needle.size();
        if ((end >= remark.size() || !continuesNumber(remark.at(end))) && visit(end)) {
            return;
        }
        from = at + 1;
    }
}

bool shippedAt(const QString& remark, qsizetype end)
{
    return QStringView(remark).mid(end).startsWith(QString::fromUtf8(kShipped));
}

} // namespace

bool names(const QString& remark, const QString& number)
{
    bool found = false;
    eachMention(remark, number, [&](qsizetype) { return found = true; });
    return found;
}

bool isShipped(const QString& remark, const QString& number)
{
    bool shipped = false;
    eachMention(remark, number, [&](qsizetype end) { return shipped = shippedAt(remark, end); });
    return shipped;
}

QString marked(const QString& remark, const QString& number, const QString& note)
{
    qsizetype pending = -1;
    eachMention(remark, number, [&](qsizetype end) {
        if (shippedAt(remark, end)) {
            return false;
        }
        pending = end;
        return true;
    });
    if (pending < 0) {
        return remark;
    }
    QString result = remark;
    result.insert(pending, note);
    return result;
}

QString onceNote(const QString& weightBoxText)
{
    return QString::fromUtf8(kShipped) + QStringLiteral("(仅算1个首重，单票重量：") + weightBoxText +
           QStringLiteral("kg)");
}

QString separateNote(const QString& weightBoxText, const QString& parcelPostage)
{
    return QString::fromUtf8(kShipped) + QStringLiteral("(分别计算首重，单票重量：") + weightBoxText +
           QStringLiteral("kg，单票邮资：") + parcelPostage + QStringLiteral("元)");
}

} // namespace WaybillRemark
