#include "PostageTestDb.h"
#include "TempDataFolder.h"
#include "postage/DemoPostageRules.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageRegions.h"

#include <QProcess>
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
        QCOMPARE(m_db->count("select count(distinct Style) from SndStyle_Form where SndStyle = ?", {company}),
                 3);
        for (QString province : PostageRegions::provinces()) {
            // As an order system stores them: the municipalities with their "市".
            if (!province.endsWith("省") && !province.endsWith("区")) {
                province += "市";
            }
            const PostageTrade trade{company, province, "某市", "某区", "人民路1号"};
            for (const int grams : {1, 1000, 1001, 15000, 30000}) {
                PostageRuleMatch match;
                QString error;
                QVERIFY2(finder.find(trade, grams, &match, &error), qPrintable(error));
                QVERIFY2(match.found && match.step == 8, qPrintable(province));
                QVERIFY(PostageFee(grams, match).value_or(0) > 0);
            }
            PostageRuleMatch beyond;
            QVERIFY(finder.find(trade, 30001, &beyond, nullptr));
            QVERIFY(!beyond.found);
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

    const auto trade = [](const QString& province, const QString& city, const QString& town,
                          const QString& adr, const QString& grams) {
        return QStringList{"--express", "顺丰速运", "--province", province, "--city",   city,
                           "--town",    town,       "--address",  adr,      "--weight", grams};
    };
    QTest::newRow("normal rule")
        << trade("河北省", "保定市", "莲池区", "人民路1号", "1500") << 0
        << "^邮资: 15\n规则: rule 第8步 RuleIndex 2014-01-06-09-00-\\d\\d\n区间: 1000~3000克 起计重量 1000克 "
           "首重资费 10元 续计重量 1000克 续重资费 5元\nMinBeginChargeWeight: 1000\n$";
    QTest::newRow("capital city, special 2")
        << trade("北京市", "北京市", "东城区", "人民路1号", "800") << 0 << "^邮资: 9\n规则: rule2 第7步";
    QTest::newRow("campus address, special 1")
        << trade("河北省", "保定市", "莲池区", "河北大学", "800") << 0 << "^邮资: 12\n规则: rule1 第4步";
    QTest::newRow("district and keyword, special 1")
        << trade("江苏省", "南京市", "江宁区", "经济开发区8号", "2500") << 0 << "^邮资: 7\n规则: rule1 第1步";
    QTest::newRow("beyond 30 kg") << trade("江苏省", "南京市", "鼓楼区", "人民路1号", "30001") << 1
                                  << "^未设置顺丰速运30.001KG江苏省地区的邮资规则!\n$";
    QTest::newRow("unknown company") << QStringList{"--express", "无此公司", "--province",
                                                    "江苏省",    "--weight", "800"}
                                     << 1 << "^未设置无此公司0.8KG江苏省地区的邮资规则!\n$";
    QTest::newRow("weight missing") << QStringList{"--express", "顺丰速运", "--province", "江苏省"} << 2
                                    << "缺少参数 --weight";
    QTest::newRow("weight not whole grams")
        << QStringList{"--express", "顺丰速运", "--province", "江苏省", "--weight", "1.5"} << 2 << "整数克数";
    QTest::newRow("folder without Postage.db")
        << QStringList{"--express", "顺丰速运", "--province", "江苏省",
                       "--weight",  "800",      "--data-dir", "/nonexistent"}
        << 2 << "找不到邮资规则文件";
}

void TestPostageTool::tool()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const QString tools = qEnvironmentVariable("ZELVO_TOOLS_DIR");
    QVERIFY2(!tools.isEmpty(), "ZELVO_TOOLS_DIR is not set");
    QProcess tool;
    tool.start(tools + "/zelvo-postage", QStringList{"--data-dir", m_folder.path()} + arguments);
    QVERIFY(tool.waitForFinished(30000));
    const QString printed = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), exitCode);
    QVERIFY2(QRegularExpression(output).match(printed).hasMatch(), qPrintable(printed));
}

QTEST_GUILESS_MAIN(TestPostageTool)
#include "TestPostageTool.moc"
