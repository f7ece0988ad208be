#include "PostageTestDb.h"
#include "RecordingPrompter.h"
#include "TempDataFolder.h"
#include "base/ReportSink.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageCharge.h"
#include "postage/PostageText.h"

#include <QRegularExpression>
#include <QTest>

namespace {

const QString kExpress = QStringLiteral("顺丰速运");

RuleRow normal(const QString& province, const QString& ruleIndex, double start = 0, double end = 5000)
{
    RuleRow row;
    row.table = QStringLiteral("rule");
    row.express = kExpress;
    row.province = province;
    row.ruleIndex = ruleIndex;
    row.start = start;
    row.end = end;
    return row;
}

// A special rule; the level code follows from which of city and county are given.
RuleRow special(int style, const QString& province, const QVariant& city, const QVariant& town,
                const QString& ruleIndex, const QString& adr = QString())
{
    RuleRow row;
    row.table = style == 1 ? QStringLiteral("rule1") : QStringLiteral("rule2");
    row.express = kExpress;
    row.province = province;
    row.city = city;
    row.town = town;
    row.adr = adr;
    row.ruleIndex = ruleIndex;
    const bool hasCity = city.isValid();
    const bool hasTown = town.isValid();
    if (style == 1) {
        row.typle = hasCity ? (hasTown ? 4 : 2) : (hasTown ? 3 : 1);
    } else {
        row.typle = hasCity ? (hasTown ? 3 : 1) : 2;
    }
    return row;
}

RuleRow priced(RuleRow row, qint64 firstWeight, double firstFee, qint64 stepWeight, double stepFee)
{
    row.firstWeight = firstWeight;
    row.firstFee = firstFee;
    row.stepWeight = stepWeight;
    row.stepFee = stepFee;
    return row;
}

PostageTrade trade(const QString& province, const QString& city = QStringLiteral("南京市"),
                   const QString& town = QStringLiteral("江宁区"),
                   const QString& adr = QStringLiteral("东山街道1号"))
{
    return PostageTrade{kExpress, province, city, town, adr};
}

struct RecordingSink : ReportSink
{
    void reportResult(const QString& line, bool success) override { results.append({line, success}); }
    void reportAbnormal(const QString& line) override { others.append(line); }
    void reportOverweight(const QString& line) override { others.append(line); }
    QList<QPair<QString, bool>> results;
    QStringList others;
};

} // namespace

Q_DECLARE_METATYPE(QList<RuleRow>)
Q_DECLARE_METATYPE(PostageTrade)

class TestPostageCalculation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void searchKeys_data();
    void searchKeys();
    void addressKeywords_data();
    void addressKeywords();
    void fee_data();
    void fee();

    void search_data();
    void search();
    void smallestFirstWeight();
    void keptFinderReadsRulesAfresh();
    void textInPriceColumnIsAnError();
    void tablesRefuseTextWeights();

    void calculateFound();
    void calculateReportsMissingRule();
    void calculateStepWeightZeroIsAnError();
    void calculateWithoutTablesIsAnError();

private:
    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<PostageTestDb> m_db;
};

void TestPostageCalculation::init()
{
    m_folder = std::make_unique<TempDataFolder>();
    m_db = std::make_unique<PostageTestDb>(m_folder->file(QStringLiteral("Postage.db")));
    QVERIFY(m_db->isOpen());
}

void TestPostageCalculation::cleanup()
{
    m_db.reset();
    m_folder.reset();
}

void TestPostageCalculation::searchKeys_data()
{
    QTest::addColumn<QString>("province");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("provinceKey");
    QTest::addColumn<QString>("cityKey");

    QTest::newRow("Shanghai") << "上海市"
                              << "上海市"
                              << "上海"
                              << "上海";
    QTest::newRow("Beijing") << "北京市"
                             << "东城区"
                             << "北京"
                             << "东城";
    QTest::newRow("Chongqing") << "重庆市"
                               << ""
                               << "重庆"
                               << "";
    QTest::newRow("Tianjin") << "天津市"
                             << "津"
                             << "天津"
                             << "";
    QTest::newRow("province as stored") << "江苏省"
                                        << "南京市"
                                        << "江苏省"
                                        << "南京";
    QTest::newRow("short province unchanged") << "江苏"
                                              << "南京"
                                              << "江苏"
                                              << "南";
    QTest::newRow("municipality compared exactly") << "上海市 "
                                                   << "苏州市"
                                                   << "上海市 "
                                                   << "苏州";
    QTest::newRow("already short") << "上海"
                                   << "市"
                                   << "上海"
                                   << "";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("character beyond the basic plane") << "广东省"
                                                      << "a\U00020000"
                                                      << "广东省"
                                                      << "a";
}

void TestPostageCalculation::searchKeys()
{
    QFETCH(QString, province);
    QFETCH(QString, city);
    QFETCH(QString, provinceKey);
    QFETCH(QString, cityKey);
    QCOMPARE(PostageText::provinceKey(province), provinceKey);
    QCOMPARE(PostageText::withoutLastCharacter(city), cityKey);
}

void TestPostageCalculation::addressKeywords_data()
{
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("matches");

    QTest::newRow("second keyword") << "开发区;大学城;"
                                    << "江宁大学城文苑路1号" << true;
    QTest::newRow("no keyword occurs") << "开发区;大学城;"
                                       << "东山街道1号" << false;
    QTest::newRow("text after last separator is no keyword") << "甲;乙"
                                                             << "乙路" << false;
    QTest::newRow("element before it is") << "甲;乙"
                                          << "甲路" << true;
    QTest::newRow("empty keywords never match") << ";;"
                                                << "任何地址" << false;
    QTest::newRow("empty keyword skipped") << ";大学;"
                                           << "南京大学" << true;
    QTest::newRow("empty list") << ""
                                << "地址" << false;
    QTest::newRow("case sensitive") << "Road;"
                                    << "1 road" << false;
    QTest::newRow("wildcards are plain text") << "%;"
                                              << "大学" << false;
}

void TestPostageCalculation::addressKeywords()
{
    QFETCH(QString, keywords);
    QFETCH(QString, address);
    QFETCH(bool, matches);
    QCOMPARE(PostageText::addressMatches(keywords, address), matches);
}

void TestPostageCalculation::fee_data()
{
    QTest::addColumn<qint64>("weight");
    QTest::addColumn<qint64>("firstWeight");
    QTest::addColumn<double>("firstFee");
    QTest::addColumn<qint64>("stepWeight");
    QTest::addColumn<double>("stepFee");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<double>("fee");

    QTest::newRow("below first weight")
        << qint64(800) << qint64(1000) << 10.0 << qint64(500) << 4.0 << true << 10.0;
    QTest::newRow("at first weight") << qint64(1000) << qint64(1000) << 10.0 << qint64(500) << 4.0 << true
                                     << 10.0;
    QTest::newRow("one gram over") << qint64(1001) << qint64(1000) << 10.0 << qint64(500) << 4.0 << true
                                   << 14.0;
    QTest::newRow("one full step") << qint64(1500) << qint64(1000) << 10.0 << qint64(500) << 4.0 << true
                                   << 14.0;
    QTest::newRow("second step started")
        << qint64(1501) << qint64(1000) << 10.0 << qint64(500) << 4.0 << true << 18.0;
    QTest::newRow("decimals kept") << qint64(2100) << qint64(1000) << 8.3 << qint64(1000) << 1.25 << true
                                   << 10.8;
    QTest::newRow("step 0 within first weight")
        << qint64(900) << qint64(1000) << 10.0 << qint64(0) << 4.0 << true << 10.0;
    QTest::newRow("step 0 beyond first weight")
        << qint64(1001) << qint64(1000) << 10.0 << qint64(0) << 4.0 << false << 0.0;
    QTest::newRow("large weights do not overflow")
        << qint64(2147483647) << qint64(1) << 1.0 << qint64(1) << 1.0 << true << 2147483647.0;
}

void TestPostageCalculation::fee()
{
    QFETCH(qint64, weight);
    QFETCH(qint64, firstWeight);
    QFETCH(double, firstFee);
    QFETCH(qint64, stepWeight);
    QFETCH(double, stepFee);
    QFETCH(bool, priced);
    QFETCH(double, fee);
    const std::optional<double> result = PostageFee(weight, firstWeight, firstFee, stepWeight, stepFee);
    QCOMPARE(result.has_value(), priced);
    if (priced) {
        QCOMPARE(*result, fee);
    }
}

void TestPostageCalculation::search_data()
{
    QTest::addColumn<QList<RuleRow>>("rules");
    QTest::addColumn<PostageTrade>("trade");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("step"); // 0: no rule
    QTest::addColumn<QString>("ruleIndex");
    QTest::addColumn<double>("fee");

    const QList<RuleRow> brackets = {priced(normal("江苏省", "A", 0, 1000), 1000, 10, 500, 4),
                                     priced(normal("江苏省", "A", 1000, 3000), 1000, 12, 500, 3)};
    QTest::newRow("weight at end weight: that bracket")
        << brackets << trade("江苏省") << 1000 << 8 << "A" << 10.0;
    QTest::newRow("weight above start weight: next bracket")
        << brackets << trade("江苏省") << 1001 << 8 << "A" << 15.0;
    QTest::newRow("weight 0: no bracket") << brackets << trade("江苏省") << 0 << 0 << "" << 0.0;
    QTest::newRow("beyond the last bracket") << brackets << trade("江苏省") << 3001 << 0 << "" << 0.0;
    QTest::newRow("end not above start never matches")
        << QList<RuleRow>{normal("江苏省", "A", 3000, 3000)} << trade("江苏省") << 3000 << 0 << "" << 0.0;
    QTest::newRow("first weight above bracket end")
        << QList<RuleRow>{priced(normal("江苏省", "A", 0, 1000), 2000, 9, 500, 4)} << trade("江苏省") << 1000
        << 8 << "A" << 9.0;

    QTest::newRow("municipality: normal rule")
        << QList<RuleRow>{normal("上海", "A")} << trade("上海市", "上海市", "浦东新区") << 800 << 8 << "A"
        << 10.0;
    QTest::newRow("municipality: special list")
        << QList<RuleRow>{special(2, "江苏省;上海;", QVariant(), "浦东新;", "B")}
        << trade("上海市", "上海市", "浦东新区") << 800 << 6 << "B" << 10.0;
    QTest::newRow("short province: normal by prefix")
        << QList<RuleRow>{normal("江苏省", "A")} << trade("江苏") << 800 << 8 << "A" << 10.0;
    QTest::newRow("short province: special by substring")
        << QList<RuleRow>{special(2, "安徽省;江苏省;", "南京;", QVariant(), "B")} << trade("江苏") << 800 << 7
        << "B" << 10.0;
    QTest::newRow("province is no substring for normal rules")
        << QList<RuleRow>{normal("江苏省", "A")} << trade("苏省") << 800 << 0 << "" << 0.0;
    QTest::newRow("empty province matches every province")
        << QList<RuleRow>{normal("浙江省", "A")} << trade("") << 800 << 8 << "A" << 10.0;
    QTest::newRow("other company's rule") << QList<RuleRow>{[] {
        RuleRow row = normal("江苏省", "A");
        row.express = QStringLiteral("顺丰");
        return row;
    }()} << trade("江苏省") << 800 << 0 << ""
                                          << 0.0;

    QTest::newRow("empty city key matches a city list")
        << QList<RuleRow>{special(2, "江苏省;", "南京;", QVariant(), "B")} << trade("江苏省", "市") << 800
        << 7 << "B" << 10.0;
    QTest::newRow("empty county key matches a county list")
        << QList<RuleRow>{special(2, "江苏省;", QVariant(), "江宁;", "B")} << trade("江苏省", "南京市", "")
        << 800 << 6 << "B" << 10.0;
    QTest::newRow("NULL city never matches a city test")
        << QList<RuleRow>{[] {
                              RuleRow row = special(2, "江苏省;", QVariant(), QVariant(), "B");
                              row.typle = 1;
                              return row;
                          }(),
                          normal("江苏省", "A")}
        << trade("江苏省", "") << 800 << 8 << "A" << 10.0;
    QTest::newRow("other city") << QList<RuleRow>{special(2, "江苏省;", "苏州;", QVariant(), "B"),
                                                  normal("江苏省", "A")}
                                << trade("江苏省") << 800 << 8 << "A" << 10.0;

    QTest::newRow("rule1 before rule2 before rule")
        << QList<RuleRow>{normal("江苏省", "A"), special(2, "江苏省;", "南京;", "江宁;", "B"),
                          special(1, "江苏省;", QVariant(), QVariant(), "C", "东山;")}
        << trade("江苏省") << 800 << 4 << "C" << 10.0;
    QTest::newRow("rule2 before rule")
        << QList<RuleRow>{normal("江苏省", "A"), special(2, "江苏省;", "南京;", "江宁;", "B")}
        << trade("江苏省") << 800 << 5 << "B" << 10.0;
    QTest::newRow("rule2 county before city")
        << QList<RuleRow>{special(2, "江苏省;", "南京;", QVariant(), "B1"),
                          special(2, "江苏省;", QVariant(), "江宁;", "B2")}
        << trade("江苏省") << 800 << 6 << "B2" << 10.0;
    QTest::newRow("rule1 finest level first")
        << QList<RuleRow>{special(1, "江苏省;", QVariant(), QVariant(), "C1", "东山;"),
                          special(1, "江苏省;", "南京;", QVariant(), "C2", "东山;"),
                          special(1, "江苏省;", QVariant(), "江宁;", "C3", "东山;"),
                          special(1, "江苏省;", "南京;", "江宁;", "C4", "东山;")}
        << trade("江苏省") << 800 << 1 << "C4" << 10.0;
    QTest::newRow("keywords missing: next row of the level")
        << QList<RuleRow>{special(1, "江苏省;", "南京;", "江宁;", "C1", "大学城;"),
                          special(1, "江苏省;", "南京;", "江宁;", "C2", "开发区;东山;")}
        << trade("江苏省") << 800 << 1 << "C2" << 10.0;
    QTest::newRow("keywords missing: lower level")
        << QList<RuleRow>{special(1, "江苏省;", "南京;", "江宁;", "C1", "大学城;"),
                          special(1, "江苏省;", QVariant(), QVariant(), "C2", "东山;")}
        << trade("江苏省") << 800 << 4 << "C2" << 10.0;
    QTest::newRow("keywords missing: on to rule2, then rule")
        << QList<RuleRow>{special(1, "江苏省;", "南京;", "江宁;", "C", "大学城;"), normal("江苏省", "A")}
        << trade("江苏省") << 800 << 8 << "A" << 10.0;
    QTest::newRow("keyword after last separator is ignored")
        << QList<RuleRow>{special(1, "江苏省;", QVariant(), QVariant(), "C", "大学城;东山"),
                          normal("江苏省", "A")}
        << trade("江苏省") << 800 << 8 << "A" << 10.0;
    QTest::newRow("rule2: first stored row wins")
        << QList<RuleRow>{priced(special(2, "江苏省;", "南京;", QVariant(), "B1"), 1000, 7, 1000, 1),
                          priced(special(2, "江苏省;浙江省;", "南京;杭州;", QVariant(), "B2"), 1000, 6, 1000,
                                 1)}
        << trade("江苏省") << 800 << 7 << "B1" << 7.0;
    QTest::newRow("rule: first stored row wins")
        << QList<RuleRow>{normal("江苏省", "A1"), normal("江苏", "A2")} << trade("江苏") << 800 << 8 << "A1"
        << 10.0;

    QTest::newRow("percent in province matches only itself")
        << QList<RuleRow>{normal("江苏省", "A")} << trade("%") << 800 << 0 << "" << 0.0;
    QTest::newRow("underscore in province matches only itself")
        << QList<RuleRow>{normal("江苏省", "A")} << trade("_苏省") << 800 << 0 << "" << 0.0;
    QTest::newRow("percent in city key matches only itself")
        << QList<RuleRow>{special(2, "江苏省;", "南京;", QVariant(), "B")} << trade("江苏省", "%市") << 800
        << 0 << "" << 0.0;
    QTest::newRow("percent stored in a name")
        << QList<RuleRow>{special(2, "江苏省;", "50%;", QVariant(), "B")} << trade("江苏省", "50%市") << 800
        << 7 << "B" << 10.0;
    QTest::newRow("quote in a name") << QList<RuleRow>{normal("O'Brien", "A")} << trade("O'Brien") << 800 << 8
                                     << "A" << 10.0;
}

void TestPostageCalculation::search()
{
    QFETCH(QList<RuleRow>, rules);
    QFETCH(PostageTrade, trade);
    QFETCH(int, weight);
    QFETCH(int, step);
    QFETCH(QString, ruleIndex);
    QFETCH(double, fee);

    for (const RuleRow& row : rules) {
        QVERIFY(m_db->add(row));
    }
    PostageRuleMatch match;
    QString error;
    QVERIFY2(FindPostageRule(m_db->db(), trade, weight, &match, &error), qPrintable(error));
    QCOMPARE(match.found, step != 0);
    QCOMPARE(match.step, step);
    QCOMPARE(match.ruleIndex, ruleIndex);
    if (step != 0) {
        QCOMPARE(match.table, step <= 4   ? QStringLiteral("rule1")
                              : step <= 7 ? QStringLiteral("rule2")
                                          : QStringLiteral("rule"));
        QCOMPARE(PostageFee(weight, match).value_or(-1), fee);
    }
}

void TestPostageCalculation::smallestFirstWeight()
{
    // Keywords do not count for the smallest first weight: C2's row is not the match, but its first
    // weight is the smallest of the level.
    QVERIFY(m_db->add(priced(special(1, "江苏省;", "南京;", "江宁;", "C1", "大学城;"), 300, 5, 100, 1)));
    QVERIFY(m_db->add(priced(special(1, "江苏省;", "南京;", "江宁;", "C2", "东山;"), 800, 8, 100, 1)));
    RuleRow heavy = priced(special(1, "江苏省;", "南京;", "江宁;", "C2", "东山;"), 2000, 20, 100, 1);
    heavy.start = 5000;
    heavy.end = 9000;
    QVERIFY(m_db->add(heavy));
    // Another level does not count.
    QVERIFY(m_db->add(priced(special(1, "江苏省;", QVariant(), QVariant(), "C3", "东山;"), 100, 5, 100, 1)));

    PostageRuleMatch match;
    QString error;
    QVERIFY(FindPostageRule(m_db->db(), trade("江苏省"), 6000, &match, &error));
    QCOMPARE(match.step, 1);
    QCOMPARE(match.beginChargeWeight, qint64(2000));
    QCOMPARE(match.minBeginChargeWeight, qint64(300));
    QCOMPARE(match.startWeight, 5000.0);
    QCOMPARE(match.endWeight, 9000.0);
}

void TestPostageCalculation::keptFinderReadsRulesAfresh()
{
    PostageRuleFinder finder(m_db->db());
    PostageRuleMatch match;
    QString error;
    QVERIFY(finder.find(trade("江苏省"), 800, &match, &error));
    QVERIFY(!match.found);

    // A rule saved between two parcels prices the second.
    QVERIFY(m_db->add(priced(normal("江苏省", "A"), 1000, 7, 500, 1)));
    QVERIFY(finder.find(trade("江苏省"), 800, &match, &error));
    QCOMPARE(match.ruleIndex, QStringLiteral("A"));
    QVERIFY(m_db->add(special(2, "江苏省;", "南京;", QVariant(), "B")));
    QVERIFY(finder.find(trade("江苏省"), 800, &match, &error));
    QCOMPARE(match.step, 7);
    QSqlQuery query(m_db->db());
    QVERIFY(query.exec("delete from rule2"));
    QVERIFY(finder.find(trade("江苏省"), 800, &match, &error));
    QCOMPARE(match.step, 8);
}

void TestPostageCalculation::textInPriceColumnIsAnError()
{
    // A file of an older layout may hold texts in the price columns.
    QSqlQuery query(m_db->db());
    QVERIFY(query.exec("drop table rule"));
    QVERIFY(query.exec(
        "create table rule (Express text, Province text, RuleIndex text, StartWeight text, "
        "EndWeight text, BeginChargeWeight text, BeginChargeFee text, DetaWeight text, DetaFee text)"));
    QVERIFY(query.exec("insert into rule values ('顺丰速运', '江苏省', 'A', 0, 5000, 1000, '十元', 500, 2)"));
    PostageRuleMatch match;
    QString error;
    QVERIFY(!FindPostageRule(m_db->db(), trade("江苏省"), 3000, &match, &error));
    QVERIFY(!error.isEmpty());
}

void TestPostageCalculation::tablesRefuseTextWeights()
{
    QSqlQuery query(m_db->db());
    QVERIFY(
        !query.exec("insert into rule values ('顺丰速运', '江苏省', 'A', 'abc', 5000, 1000, 10, 500, 2)"));
    QVERIFY(!query.exec("insert into rule values ('顺丰速运', '江苏省', 'A', 0, 5000, 1000.5, 10, 500, 2)"));
    // Numbers given as decimal text are stored as numbers and compare as numbers.
    QVERIFY(query.exec(
        "insert into rule values ('顺丰速运', '江苏省', 'A', '0', '900', '1000', '10', '500', '2')"));
    PostageRuleMatch match;
    QString error;
    QVERIFY(FindPostageRule(m_db->db(), trade("江苏省"), 850, &match, &error));
    QVERIFY(match.found);
    QVERIFY(FindPostageRule(m_db->db(), trade("江苏省"), 1000, &match, &error));
    QVERIFY(!match.found);
}

void TestPostageCalculation::calculateFound()
{
    QVERIFY(m_db->add(priced(normal("江苏省", "A"), 1000, 10, 500, 4)));
    RecordingSink sink;
    RecordingPrompter prompter;
    const PostageCharge charge =
        CalculatePostage(m_db->db(), trade("江苏省"), 1501, QStringLiteral("1.501"), sink, prompter);
    QCOMPARE(charge.fee, 18.0);
    QVERIFY(charge.postageBoxText.isEmpty());
    QVERIFY(sink.results.isEmpty());
    QVERIFY(prompter.messages.isEmpty());
}

void TestPostageCalculation::calculateReportsMissingRule()
{
    QVERIFY(m_db->add(normal("江苏省", "A")));
    RecordingSink sink;
    RecordingPrompter prompter;
    const PostageCharge charge =
        CalculatePostage(m_db->db(), trade("上海市"), 1250, QStringLiteral("1.25"), sink, prompter);
    QCOMPARE(charge.fee, -1.0);
    QCOMPARE(charge.postageBoxText, QStringLiteral("未设置邮资规则!"));
    QCOMPARE(sink.results.size(), 1);
    QVERIFY(!sink.results.at(0).second);
    const QRegularExpression line(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d : 未设置顺丰速运1.25KG上海地区的邮资规则!$"));
    QVERIFY2(line.match(sink.results.at(0).first).hasMatch(), qPrintable(sink.results.at(0).first));
    QVERIFY(prompter.messages.isEmpty());
    QCOMPARE(noPostageRuleLine(QTime(10, 15, 2), trade("江苏省"), QStringLiteral("1.25")),
             QStringLiteral("10:15:02 : 未设置顺丰速运1.25KG江苏省地区的邮资规则!"));
}

void TestPostageCalculation::calculateStepWeightZeroIsAnError()
{
    QVERIFY(m_db->add(priced(normal("江苏省", "A"), 1000, 10, 0, 4)));
    RecordingSink sink;
    RecordingPrompter prompter;
    QCOMPARE(CalculatePostage(m_db->db(), trade("江苏省"), 1000, "1", sink, prompter).fee, 10.0);
    const PostageCharge charge = CalculatePostage(m_db->db(), trade("江苏省"), 1001, "1.001", sink, prompter);
    QCOMPARE(charge.fee, -1.0);
    QCOMPARE(prompter.messages, QStringList{QStringLiteral("计算邮资错误!")});
    QVERIFY(sink.results.isEmpty());
}

void TestPostageCalculation::calculateWithoutTablesIsAnError()
{
    QSqlQuery query(m_db->db());
    QVERIFY(query.exec("drop table rule1"));
    RecordingSink sink;
    RecordingPrompter prompter;
    QCOMPARE(CalculatePostage(m_db->db(), trade("江苏省"), 800, "0.8", sink, prompter).fee, -1.0);
    QCOMPARE(prompter.messages, QStringList{QStringLiteral("计算邮资错误!")});
    QVERIFY(sink.results.isEmpty());
}

QTEST_GUILESS_MAIN(TestPostageCalculation)
#include "TestPostageCalculation.moc"
