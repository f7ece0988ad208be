#include "PostageTestDb.h"
#include "TempDataFolder.h"
#include "ToolRun.h"
#include "postage/DemoPostageRules.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageRegions.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QStringList kCompanies = {QStringLiteral("顺丰速运"), QStringLiteral("圆通速递")};
}

class TestPostageTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void demoRulesPriceEveryProvince();
    void demoRulesLeaveExistingStyles();
    void tool_data();
    void tool();

private:
    TempDataFolder m_folder;
    std::unique_ptr<PostageTestDb> m_db; // goes before the folder it is in
};

void TestPostageTool::initTestCase()
{
    m_db = std::make_unique<PostageTestDb>(m_folder.file("Postage.db"));
    QVERIFY(m_db->isOpen());
    QString error;
    QVERIFY2(fillDemoPostageRules(m_db->db(), kCompanies, &error), qPrintable(error));
}

void TestPostageTool::demoRulesPriceEveryProvince()
{
    PostageRuleFinder finder(m_db->db());
    for (const QString& company : kCompanies) {
        for (QString province : PostageRegions::provinces()) {
            // As an order system stores them: the municipalities with their "市".
            if (!province.endsWith("省") && !province.endsWith("区")) {
                province += "市";
            }
            const PostageTrade trade{company, province, "某市", "某区", "人民路1号"};
            for (const int grams : {1, 1000, 1001, 15000, 30000, 30001}) {
                PostageRuleMatch match;
                QVERIFY(finder.find(trade, grams, &match, nullptr));
                const bool priced =
                    match.found && match.step == 8 && PostageFee(grams, match).value_or(0) > 0;
                QVERIFY2(priced == (grams <= 30000), qPrintable(province + QString::number(grams)));
            }
        }
    }
}

void TestPostageTool::demoRulesLeaveExistingStyles()
{
    const int rows = m_db->count("select count(*) from rule") + m_db->count("select count(*) from rule1");
    QVERIFY(m_db->exec("delete from rule2 where Express = '圆通速递'"));
    QVERIFY(m_db->exec("delete from SndStyle_Form where SndStyle = '圆通速递' and Style = 2"));
    QString error;
    QVERIFY2(fillDemoPostageRules(m_db->db(), kCompanies, &error), qPrintable(error));
    QCOMPARE(m_db->count("select count(*) from rule") + m_db->count("select count(*) from rule1"), rows);
    QCOMPARE(m_db->count("select count(*) from rule2 where Express = '圆通速递'"),
             m_db->count("select count(*) from rule2 where Express = '顺丰速运'"));
    QCOMPARE(m_db->count("select count(*) from SndStyle_Form"), 6);
}

void TestPostageTool::tool_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // a pattern over stdout and stderr
    const auto row = [](const char* tag, const QString& arguments, int exitCode, const char* output) {
        QTest::newRow(tag) << arguments.split(' ') << exitCode << QString::fromUtf8(output);
    };
    const QString express = "--express 顺丰速运 --province ";
    row("normal rule", express + "河北省 --city 保定市 --town 莲池区 --address 人民路1号 --weight 1500", 0,
        "^邮资: 15\n规则: rule 第8步 RuleIndex 2014-01-06-09-00-\\d\\d\n区间: 1000~3000克 起计重量 1000克 "
        "首重资费 10元 续计重量 1000克 续重资费 5元\nMinBeginChargeWeight: 1000\n$");
    // The demo rules' special rules: the capitals, campus addresses, a district with keywords.
    row("capital city, special 2", express + "北京市 --city 北京市 --town 东城区 --weight 800", 0,
        "^邮资: 9\n规则: rule2 第7步");
    row("campus address, special 1", express + "河北省 --city 保定市 --address 河北大学 --weight 800", 0,
        "^邮资: 12\n规则: rule1 第4步");
    row("district and keyword, special 1",
        express + "江苏省 --city 南京市 --town 江宁区 --address 经济开发区8号 --weight 2500", 0,
        "^邮资: 7\n规则: rule1 第1步");
    row("explained",
        express + "江苏省 --city 南京市 --town 江宁区 --address 经济开发区8号 --weight 2500 --explain", 0,
        "^邮资: 7\n特殊1规则 第1步\\(省\\+市\\+县\\+地址\\) 规则号\\S+\n省份含“江苏省” 市含“南京” "
        "县/区含“江宁” 地址关键字“[^”]+”\n重量2500克 在区间\\d+~\\d+克\n首重\\d+克[\\d.]+元.* = 7元\n$");
    row("unknown company", "--express 无此公司 --province 江苏省 --weight 800", 1,
        "^未设置无此公司0.8KG江苏省地区的邮资规则!\n$");
    row("weight missing", express + "江苏省", 2, "缺少参数 --weight");
    row("weight not whole grams", express + "江苏省 --weight 1.5", 2, "整数克数");
    row("folder without Postage.db", express + "江苏省 --weight 800 --data-dir /nonexistent", 2,
        "找不到邮资规则文件");
}

void TestPostageTool::tool()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QVERIFY2(qEnvironmentVariableIsSet("ZELVO_TOOLS_DIR"), "ZELVO_TOOLS_DIR is not set");
    const ToolRun run = ToolRun::run("zelvo-postage", QStringList{"--data-dir", m_folder.path()} + arguments);
    const QString printed = QString::fromUtf8(run.out + run.err);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(QRegularExpression(output).match(printed).hasMatch(), qPrintable(printed));
}

QTEST_GUILESS_MAIN(TestPostageTool)
#include "TestPostageTool.moc"
