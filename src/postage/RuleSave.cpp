#include "postage/RuleSave.h"

#include "base/Texts.h"

#include "base/Prompter.h"
#include "base/Transaction.h"
#include "postage/PostageStyles.h"
#include "postage/PostageText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kCheckFields = QStringLiteral("操作失败，请检查字段!");

// The region columns that make a special rule unique; an empty city or county is stored as NULL.
struct SpecialRegion
{
    QString province;
    QString city;
    QString town;
    QString adr;
    bool withAdr = false;
};

QString regionCondition(const SpecialRegion& region)
{
    QString sql = QStringLiteral(" where Express = ? and Province = ?");
    sql += region.city.isEmpty() ? QStringLiteral(" and City is NULL") : QStringLiteral(" and City = ?");
    sql += region.town.isEmpty() ? QStringLiteral(" and Town is NULL") : QStringLiteral(" and Town = ?");
    if (region.withAdr) {
        sql += QStringLiteral(" and Adr = ?");
    }
    return sql;
}

void bindRegion(QSqlQuery& query, const QString& express, const SpecialRegion& region)
{
    query.addBindValue(express);
    query.addBindValue(region.province);
    if (!region.city.isEmpty()) {
        query.addBindValue(region.city);
    }
    if (!region.town.isEmpty()) {
        query.addBindValue(region.town);
    }
    if (region.withAdr) {
        query.addBindValue(region.adr);
    }
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

bool isDigits(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

std::optional<qint64> parseWeight(const QString& text)
{
    if (!isDigits(text) || text.size() > 9) {
        return std::nullopt;
    }
    return text.toLongLong();
}

std::optional<double> parseFee(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char('.'));
    if (!isDigits(digits) || text.count(QLatin1Char('.')) > 1 || digits.size() > 15) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

class RuleWriter
{
public:
    RuleWriter(QSqlDatabase& db, RuleStyle style, const QString& express, Prompter& prompter)
        : m_db(db)
        , m_style(style)
        , m_table(PostageStyle::table(style))
        , m_express(express)
        , m_prompter(prompter)
    {
    }

    bool failed(const QSqlQuery& query)
    {
        m_prompter.inform(QStringLiteral("保存邮资规则失败：") + query.lastError().text());
        return false;
    }

    bool normalRuleExists(const QString& province, bool* exists)
    {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("select 1 from rule where Express = ? and Province = ? limit 1"));
        query.addBindValue(m_express);
        query.addBindValue(province);
        if (!query.exec()) {
            return failed(query);
        }
        *exists = query.next();
        return true;
    }

    bool deleteNormalRule(const QString& province)
    {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("delete from rule where Express = ? and Province = ?"));
        query.addBindValue(m_express);
        query.addBindValue(province);
        return query.exec() || failed(query);
    }

    bool specialRuleExists(const SpecialRegion& region, bool* exists)
    {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("select 1 from %1").arg(m_table) + regionCondition(region) +
                      QStringLiteral(" limit 1"));
        bindRegion(query, m_express, region);
        if (!query.exec()) {
            return failed(query);
        }
        *exists = query.next();
        return true;
    }

    bool deleteSpecialRule(const SpecialRegion& region)
    {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("delete from %1").arg(m_table) + regionCondition(region));
        bindRegion(query, m_express, region);
        return query.exec() || failed(query);
    }

    // Saves within one second share a time; moving on to the next free second keeps one
    // RuleIndex per rule, so deleting one rule never takes another with it.
    bool chooseRuleIndex(QDateTime time)
    {
        QSqlQuery query(m_db);
        query.prepare(
            QStringLiteral("select 1 from %1 where Express = ? and RuleIndex = ? limit 1").arg(m_table));
        for (;;) {
            m_ruleIndex = ruleIndexText(time);
            query.addBindValue(m_express);
            query.addBindValue(m_ruleIndex);
            if (!query.exec()) {
                return failed(query);
            }
            if (!query.next()) {
                return true;
            }
            time = time.addSecs(1);
        }
    }

    bool writeRows(const QVector<Bracket>& brackets, const QString& province, const SpecialRegion& region,
                   int typle)
    {
        QSqlQuery query(m_db);
        QString sql;
        if (m_style == RuleStyle::Normal) {
            sql = QStringLiteral("insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, "
                                 "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee) "
                                 "values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        } else if (m_style == RuleStyle::Special1) {
            sql = QStringLiteral(
                "insert into rule1 (Express, Province, RuleIndex, StartWeight, EndWeight, "
                "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee, City, Town, Typle, Adr) "
                "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        } else {
            sql = QStringLiteral("insert into rule2 (Express, Province, RuleIndex, StartWeight, EndWeight, "
                                 "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee, City, Town, Typle) "
                                 "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        }
        if (!query.prepare(sql)) {
            return failed(query);
        }
        for (const Bracket& bracket : brackets) {
            query.addBindValue(m_express);
            query.addBindValue(province);
            query.addBindValue(m_ruleIndex);
            query.addBindValue(bracket.startWeight);
            query.addBindValue(bracket.endWeight);
            query.addBindValue(bracket.beginChargeWeight);
            query.addBindValue(bracket.beginChargeFee);
            query.addBindValue(bracket.detaWeight);
            query.addBindValue(bracket.detaFee);
            if (m_style != RuleStyle::Normal) {
                query.addBindValue(textOrNull(region.city));
                query.addBindValue(textOrNull(region.town));
                query.addBindValue(typle);
                if (m_style == RuleStyle::Special1) {
                    query.addBindValue(region.adr);
                }
            }
            if (!query.exec()) {
                return failed(query);
            }
        }
        return true;
    }

    bool rewriteBinding()
    {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("delete from SndStyle_Form where SndStyle = ? and Style = ?"));
        query.addBindValue(m_express);
        query.addBindValue(PostageStyle::code(m_style));
        if (!query.exec()) {
            return failed(query);
        }
        query.prepare(QStringLiteral("insert into SndStyle_Form (SndStyle, Style) values (?, ?)"));
        query.addBindValue(m_express);
        query.addBindValue(PostageStyle::code(m_style));
        return query.exec() || failed(query);
    }

    bool beginFailed()
    {
        m_prompter.inform(QStringLiteral("保存邮资规则失败：") + m_db.lastError().text());
        return false;
    }

private:
    QSqlDatabase& m_db;
    RuleStyle m_style;
    QString m_table;
    QString m_express;
    Prompter& m_prompter;
    QString m_ruleIndex;
};

const QString kReplaceQuestion = QStringLiteral("区域规则已存在，是否替换?");

RuleSaveOutcome saveNormal(QSqlDatabase& db, const RuleDraft& draft, const QVector<Bracket>& brackets,
                           const QDateTime& now, Prompter& prompter)
{
    RuleWriter writer(db, RuleStyle::Normal, draft.express, prompter);
    QStringList provinces;
    for (const QString& province : draft.checkedProvinces) {
        bool exists = false;
        if (!writer.normalRuleExists(province, &exists)) {
            return RuleSaveOutcome::Failed;
        }
        if (exists && !prompter.ask(province + kReplaceQuestion)) {
            continue;
        }
        provinces.append(province);
    }
    if (!provinces.isEmpty()) {
        Transaction transaction(db);
        if (!transaction.isOpen()) {
            writer.beginFailed();
            return RuleSaveOutcome::Failed;
        }
        if (!writer.chooseRuleIndex(now)) {
            return RuleSaveOutcome::Failed;
        }
        for (const QString& province : provinces) {
            if (!writer.deleteNormalRule(province) || !writer.writeRows(brackets, province, {}, 0)) {
                return RuleSaveOutcome::Failed;
            }
        }
        if (!writer.rewriteBinding()) {
            return RuleSaveOutcome::Failed;
        }
        if (!transaction.commit()) {
            writer.beginFailed();
            return RuleSaveOutcome::Failed;
        }
    }
    prompter.tell(QStringLiteral("操作成功!"));
    return RuleSaveOutcome::Saved;
}

RuleSaveOutcome saveSpecial(QSqlDatabase& db, RuleStyle style, const RuleDraft& draft,
                            const QVector<Bracket>& brackets, const QDateTime& now, Prompter& prompter)
{
    const bool withAdr = style == RuleStyle::Special1;
    const SpecialRegion region{draft.provinceText, PostageText::withFinalSeparator(draft.city),
                               PostageText::withFinalSeparator(draft.town),
                               PostageText::withFinalSeparator(draft.adr), withAdr};
    const SpecialRegion oldRegion{draft.oldProvince, draft.oldCity, draft.oldTown, draft.oldAdr, withAdr};
    const bool changing = !draft.oldProvince.isEmpty();
    const bool sameRegion = changing && oldRegion.province == region.province &&
                            oldRegion.city == region.city && oldRegion.town == region.town &&
                            (!withAdr || oldRegion.adr == region.adr);

    RuleWriter writer(db, style, draft.express, prompter);
    // The rule being changed is its own region's rule: replacing it needs no question.
    if (!sameRegion) {
        bool exists = false;
        if (!writer.specialRuleExists(region, &exists)) {
            return RuleSaveOutcome::Failed;
        }
        if (exists && !prompter.ask(region.province + region.city + region.town +
                                    (withAdr ? region.adr : QString()) + kReplaceQuestion)) {
            return RuleSaveOutcome::Declined;
        }
    }

    int typle = 0;
    if (style == RuleStyle::Special1) {
        typle = region.city.isEmpty() ? (region.town.isEmpty() ? 1 : 3) : (region.town.isEmpty() ? 2 : 4);
    } else {
        typle = region.city.isEmpty() ? 2 : (region.town.isEmpty() ? 1 : 3);
    }

    Transaction transaction(db);
    if (!transaction.isOpen()) {
        writer.beginFailed();
        return RuleSaveOutcome::Failed;
    }
    if (changing && !writer.deleteSpecialRule(oldRegion)) {
        return RuleSaveOutcome::Failed;
    }
    if (!writer.deleteSpecialRule(region) || !writer.chooseRuleIndex(now) ||
        !writer.writeRows(brackets, region.province, region, typle) || !writer.rewriteBinding()) {
        return RuleSaveOutcome::Failed;
    }
    if (!transaction.commit()) {
        writer.beginFailed();
        return RuleSaveOutcome::Failed;
    }
    prompter.tell(QStringLiteral("操作成功!"));
    return RuleSaveOutcome::Saved;
}

} // namespace

QString ruleIndexText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss"));
}

std::optional<QVector<Bracket>> parseBrackets(const std::array<BracketTexts, kBracketRows>& rows,
                                              QString* message)
{
    QVector<Bracket> brackets;
    qint64 start = 0;
    for (const BracketTexts& row : rows) {
        if (!row.isComplete()) {
            break;
        }
        const std::optional<qint64> end = parseWeight(row.endWeight);
        const std::optional<qint64> first = parseWeight(row.firstWeight);
        const std::optional<qint64> step = parseWeight(row.stepWeight);
        const std::optional<double> firstFee = parseFee(row.firstFee);
        const std::optional<double> stepFee = parseFee(row.stepFee);
        if (!end || !first || !step || !firstFee || !stepFee) {
            *message = kCheckFields;
            return std::nullopt;
        }
        // A weight of 0 typed as "00" slips past the box's own check; a step of 0 could never be priced.
        if (*end == 0 || *first == 0 || *step == 0) {
            *message = QStringLiteral("请输入大于0的数!");
            return std::nullopt;
        }
        brackets.append(Bracket{start, *end, *first, *firstFee, *step, *stepFee});
        start = *end;
    }
    if (brackets.isEmpty()) {
        *message = kCheckFields;
        return std::nullopt;
    }
    return brackets;
}

RuleSaveOutcome SaveRule(QSqlDatabase& db, const RuleDraft& draft, const QDateTime& now, Prompter& prompter)
{
    if (draft.express.isEmpty() || draft.styleName.isEmpty()) {
        prompter.inform(QStringLiteral("操作失败，请检查字段!!"));
        return RuleSaveOutcome::Refused;
    }
    const RuleStyle style = PostageStyle::fromName(draft.styleName);
    if (style == RuleStyle::Special2 && draft.city.isEmpty() && draft.town.isEmpty()) {
        prompter.inform(QStringLiteral("市县不能同时为空!"));
        return RuleSaveOutcome::Refused;
    }
    const bool regionMissing = style == RuleStyle::Normal
                                   ? draft.provinceText.isEmpty() || draft.checkedProvinces.isEmpty()
                                   : draft.provinceText.isEmpty();
    if (regionMissing || (style == RuleStyle::Special1 && draft.adr.isEmpty()) ||
        !draft.rows[0].isComplete()) {
        prompter.inform(kCheckFields);
        return RuleSaveOutcome::Refused;
    }
    QString message;
    const std::optional<QVector<Bracket>> brackets = parseBrackets(draft.rows, &message);
    if (!brackets) {
        prompter.inform(message);
        return RuleSaveOutcome::Refused;
    }
    if (!db.isOpen()) {
        prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
        return RuleSaveOutcome::Failed;
    }
    if (style == RuleStyle::Normal) {
        return saveNormal(db, draft, *brackets, now, prompter);
    }
    return saveSpecial(db, style, draft, *brackets, now, prompter);
}
