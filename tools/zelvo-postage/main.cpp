// zelvo-postage: prices one parcel against the rules of a data folder's Postage.db, as the station
// would, so that an administrator can check a rule set before the station uses it.
// Exit status: 0 a rule was found, 1 no rule covers the trade, 2 error.

#include "base/Texts.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageCharge.h"
#include "postage/PostageExplanation.h"
#include "postage/PostageText.h"
#include "store/SqlConnection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

enum ExitStatus
{
    Found = 0,
    NoRule = 1,
    Error = 2,
};

int fail(const QString& message)
{
    QTextStream(stderr) << message << Qt::endl;
    return Error;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvo-postage"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("按数据目录中 Postage.db 的邮资规则计算一个包裹的邮资。\n"
                                                    "退出码：0 找到规则，1 未设置邮资规则，2 错误。"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("存放 Postage.db 的数据目录"),
                                     QStringLiteral("DIR"));
    const QCommandLineOption express(QStringLiteral("express"), QStringLiteral("物流公司名称"),
                                     QStringLiteral("NAME"));
    const QCommandLineOption province(QStringLiteral("province"), QStringLiteral("省份，如 江苏省、北京市"),
                                      QStringLiteral("P"));
    const QCommandLineOption city(QStringLiteral("city"), QStringLiteral("市，如 南京市"),
                                  QStringLiteral("C"));
    const QCommandLineOption town(QStringLiteral("town"), QStringLiteral("县/区，如 江宁区"),
                                  QStringLiteral("T"));
    const QCommandLineOption address(QStringLiteral("address"), QStringLiteral("街道地址"),
                                     QStringLiteral("A"));
    const QCommandLineOption weight(QStringLiteral("weight"), QStringLiteral("包裹重量（克，整数）"),
                                    QStringLiteral("GRAMS"));
    const QCommandLineOption explain(
        QStringLiteral("explain"),
        QStringLiteral("说明计费依据：规则表、查找步骤、匹配的地区或关键字、重量区间和算式"));
    parser.addOptions({dataDir, express, province, city, town, address, weight, explain});

    if (!parser.parse(QCoreApplication::arguments())) {
        return fail(parser.errorText() + QLatin1Char('\n') + parser.helpText());
    }
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return Found;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail(QStringLiteral("多余的参数：") + parser.positionalArguments().join(QLatin1Char(' ')));
    }
    for (const QCommandLineOption& required : {dataDir, express, province, weight}) {
        if (!parser.isSet(required)) {
            return fail(QStringLiteral("缺少参数 --") + required.names().first() + QLatin1Char('\n') +
                        parser.helpText());
        }
    }
    bool weightOk = false;
    const int grams = parser.value(weight).toInt(&weightOk);
    if (!weightOk) {
        return fail(QStringLiteral("重量必须是整数克数：") + parser.value(weight));
    }
    const QString path = QDir(parser.value(dataDir)).filePath(QStringLiteral("Postage.db"));
    if (!QFileInfo(path).isFile()) {
        return fail(QStringLiteral("找不到邮资规则文件：") + path);
    }

    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("zelvo-postage"));
    // Read only: checking a rule set never changes it, even while the station has it open.
    connection.db().setDatabaseName(path);
    connection.db().setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!connection.db().open()) {
        return fail(QString::fromUtf8(Texts::kConfigAccessFailed));
    }

    const PostageTrade trade{parser.value(express), parser.value(province), parser.value(city),
                             parser.value(town), parser.value(address)};
    PostageRuleMatch match;
    QString error;
    if (!FindPostageRule(connection.db(), trade, grams, &match, &error)) {
        return fail(QStringLiteral("计算邮资错误! ") + error);
    }
    QTextStream out(stdout);
    if (!match.found) {
        out << noPostageRuleMessage(trade, PostageText::number(grams / 1000.0)) << Qt::endl;
        return NoRule;
    }
    const std::optional<double> fee = PostageFee(grams, match);
    if (!fee) {
        return fail(QStringLiteral("计算邮资错误! 续计重量为0，无法计算超出起计重量的部分"));
    }
    out << QStringLiteral("邮资: ") << PostageText::number(*fee) << Qt::endl;
    if (parser.isSet(explain)) {
        out << PostageExplanation(trade, grams, match).text() << Qt::endl;
        return Found;
    }
    out << QStringLiteral("规则: %1 第%2步 RuleIndex %3")
               .arg(match.table)
               .arg(match.step)
               .arg(match.ruleIndex)
        << Qt::endl
        << QStringLiteral("区间: %1~%2克 起计重量 %3克 首重资费 %4元 续计重量 %5克 续重资费 %6元")
               .arg(PostageText::number(match.startWeight), PostageText::number(match.endWeight))
               .arg(match.beginChargeWeight)
               .arg(PostageText::number(match.beginChargeFee))
               .arg(match.detaWeight)
               .arg(PostageText::number(match.detaFee))
        << Qt::endl
        << QStringLiteral("MinBeginChargeWeight: ") << match.minBeginChargeWeight << Qt::endl;
    return Found;
}
