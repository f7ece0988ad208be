#include "PostageTestDb.h"
#include "RecordingPrompter.h"
#include "TempDataFolder.h"
#include "base/ReportSink.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageCharge.h"
#include "postage/PostageExplanation.h"
#include "postage/PostageText.h"

#include <QTest>

namespace {

const QString kExpress = QStringLiteral("顺丰速运");

// Stands for a city or county a special rule leaves out (NULL in the table).
const QVariant no;

RuleRow normal(const QString& province, const QString& ruleIndex, double start = 0, double end = 5000)
{
    return RuleRow{"rule", kExpress, province, no, no, 0, {}, ruleIndex, start, end};
}

// Special rules, for 江苏省 unless told; the level code follows from which of city and county are given.
RuleRow special1(const QVariant& city, const QVariant& town, const QString& ruleIndex, const QString& adr,
                 const QString& province = QStringLiteral("江苏省;"))
{
    return RuleRow{"rule1", kExpress, province, city, town, 1 + city.isValid() + 2 * town.isValid(),
                   adr,     ruleIndex};
}

RuleRow special2(const QVariant& city, const QVariant& town, const QString& ruleIndex,
                 const QString& province = QStringLiteral("江苏省;"))
{
    return RuleRow{"rule2", kExpress, province, city, town, city.isValid() + 2 * town.isValid(),
                   {},      ruleIndex};
}

RuleRow priced(RuleRow row, qint64 firstWeight, double firstFee, qint64 stepWeight, double stepFee)
{
    row.firstWeight = firstWeight;
    row.firstFee = firstFee;
    row.stepWeight = stepWeight;
    row.stepFee = stepFee;
    return row;
}

PostageTrade trade(const QString& province = QStringLiteral("江苏省"),
                   const QString& city = QStringLiteral("南京市"),
                   const QString& town = QStringLiteral("江宁区"),
                   const QString& adr = QStringLiteral("东山街道1号"))
{
    return PostageTrade{kExpress, province, city, town, adr};
}

struct RecordingSink : ReportSink
{
    void reportResult(const QString& line, bool success) override { results.append({line, success}); }
    void reportAbnormal(const QString&) override {}
    void reportOverweight(const QString&) override {}
    QList<QPair<QString, bool>> results;
};

} // namespace

Q_DECLARE_METATYPE(QList<RuleRow>)
Q_DECLARE_METATYPE(PostageTrade)

class TestPostageCalculation : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void searchKeys();
    void numbers_data();
    void numbers();

    void search_data();
    void search();
    void explanation_data();
    void explanation();
    void smallestFirstWeight();
    void keptFinderReadsRulesAfresh();
    void textInNumberColumns();
    void calculate_data();
    void calculate();

private:
    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<PostageTestDb> m_db;
};

void TestPostageCalculation::init()
{
    m_db.reset();
    m_folder = std::make_unique<TempDataFolder>();
    m_db = std::make_unique<PostageTestDb>(m_folder->file(QStringLiteral("Postage.db")));
    QVERIFY(m_db->isOpen());
}

void TestPostageCalculation::searchKeys()
{
    // The municipalities are searched without their 市 (上海市 in the search table), other names as
    // given; city and county keys lose their last character, one beyond the basic plane whole.
    QCOMPARE(PostageText::provinceKey("北京市"), QStringLiteral("北京"));
    QCOMPARE(PostageText::provinceKey("重庆市"), QStringLiteral("重庆"));
    QCOMPARE(PostageText::provinceKey("天津市"), QStringLiteral("天津"));
    QCOMPARE(PostageText::provinceKey("上海市 "), QStringLiteral("上海市 "));
    QCOMPARE(PostageText::withoutLastCharacter("津"), QString());
    QCOMPARE(PostageText::withoutLastCharacter(""), QString());
    QCOMPARE(PostageText::withoutLastCharacter("a\U00020000"), QStringLiteral("a"));
}

void TestPostageCalculation::numbers_data()
{
    // Money and weights as the log lines and explanations write them: whole numbers take a quicker
    // path that must write what the general form writes.
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 30000.0 << "30000";
    QTest::newRow("negative whole") << -7.0 << "-7";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("decimals") << 10.4 << "10.4";
    QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("beyond fifteen digits") << 1e16 << "1e+16";
    QTest::newRow("binary remainder") << 0.1 + 0.2 << "0.3";
}

void TestPostageCalculation::numbers()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(PostageText::number(value), text);
    QCOMPARE(PostageText::number(value), QString::number(value, 'g', 15));
}

void TestPostageCalculation::search_data()
{
    QTest::addColumn<QList<RuleRow>>("rules");
    QTest::addColumn<int>("step"); // 0: no rule
    QTest::addColumn<QString>("ruleIndex");
    QTest::addColumn<PostageTrade>("trade");
    QTest::addColumn<int>("weight");
    QTest::addColumn<double>("fee");
    const auto row = [](const char* tag, const QList<RuleRow>& rules, int step, const char* ruleIndex,
                        const PostageTrade& destination = trade(), int weight = 800, double fee = 10) {
        QTest::newRow(tag) << rules << step << QString::fromUtf8(ruleIndex) << destination << weight << fee;
    };
    const auto nothing = [&](const char* tag, const QList<RuleRow>& rules, const PostageTrade& destination) {
        row(tag, rules, 0, "", destination, 800, 0);
    };
    const RuleRow js = normal("江苏省", "A");
    RuleRow otherCompany = js;
    otherCompany.express = QStringLiteral("顺丰");
    RuleRow cityTestWithoutCity = special2(no, no, "B");
    cityTestWithoutCity.typle = 1;

    const QList<RuleRow> brackets = {priced(normal("江苏省", "A", 0, 1000), 1000, 10, 500, 4),
                                     priced(normal("江苏省", "A", 1000, 3000), 1000, 12, 500, 3)};
    row("weight at end weight: that bracket", brackets, 8, "A", trade(), 1000, 10);
    row("weight above start weight: next bracket", brackets, 8, "A", trade(), 1001, 15);
    // The fee: one step fee for each started step beyond the first weight.
    row("one full step", brackets, 8, "A", trade(), 1500, 15);
    row("second step started", brackets, 8, "A", trade(), 1501, 18);
    row("decimals kept", {priced(js, 1000, 8.3, 1000, 1.25)}, 8, "A", trade(), 2100, 10.8);
    row("large weights do not overflow", {priced(normal("江苏省", "A", 0, 3e9), 1, 1, 1, 1)}, 8, "A", trade(),
        2147483647, 2147483647);
    row("weight 0: no bracket", brackets, 0, "", trade(), 0, 0);
    row("beyond the last bracket", brackets, 0, "", trade(), 3001, 0);
    row("end not above start never matches", {normal("江苏省", "A", 3000, 3000)}, 0, "", trade(), 3000, 0);

    const PostageTrade pudong = trade("上海市", "上海市", "浦东新区");
    row("municipality: normal rule", {normal("上海", "A")}, 8, "A", pudong);
    row("municipality: special list", {special2(no, "浦东新;", "B", "江苏省;上海;")}, 6, "B", pudong);
    row("short province: normal by prefix", {js}, 8, "A", trade("江苏"));
    row("short province: special by substring", {special2("南京;", no, "B", "安徽省;江苏省;")}, 7, "B",
        trade("江苏"));
    nothing("province is no substring for normal rules", {js}, trade("苏省"));
    row("empty province matches every province", {normal("浙江省", "A")}, 8, "A", trade(""));
    nothing("other company's rule", {otherCompany}, trade());

    row("empty city key matches a city list", {special2("南京;", no, "B")}, 7, "B", trade("江苏省", "市"));
    row("empty county key matches a county list", {special2(no, "江宁;", "B")}, 6, "B",
        trade("江苏省", "南京市", ""));
    row("NULL city never matches a city test", {cityTestWithoutCity, js}, 8, "A", trade("江苏省", ""));
    row("other city", {special2("苏州;", no, "B"), js}, 8, "A");

    row("rule1 before rule2 before rule",
        {js, special2("南京;", "江宁;", "B"), special1(no, no, "C", "东山;")}, 4, "C");
    row("rule2 before rule", {js, special2("南京;", "江宁;", "B")}, 5, "B");
    row("rule2 county before city", {special2("南京;", no, "B1"), special2(no, "江宁;", "B2")}, 6, "B2");
    row("rule1 finest level first",
        {special1(no, no, "C1", "东山;"), special1("南京;", no, "C2", "东山;"),
         special1(no, "江宁;", "C3", "东山;"), special1("南京;", "江宁;", "C4", "东山;")},
        1, "C4");
    row("keywords missing: next row of the level",
        {special1("南京;", "江宁;", "C1", "大学城;"), special1("南京;", "江宁;", "C2", "开发区;东山;")}, 1,
        "C2");
    row("keywords missing: lower level",
        {special1("南京;", "江宁;", "C1", "大学城;"), special1(no, no, "C2", "东山;")}, 4, "C2");
    row("keywords missing: on to the next table", {special1("南京;", "江宁;", "C", "大学城;"), js}, 8, "A");
    row("keyword after last separator is ignored", {special1(no, no, "C", "大学城;东山"), js}, 8, "A");
    row("empty keywords never match", {special1(no, no, "C", ";;"), js}, 8, "A");
    row("keyword wildcards are plain text", {special1(no, no, "C", "%;"), js}, 8, "A");
    row("rule2: first stored row wins",
        {priced(special2("南京;", no, "B1"), 1000, 7, 1000, 1),
         priced(special2("南京;杭州;", no, "B2", "江苏省;浙江省;"), 1000, 6, 1000, 1)},
        7, "B1", trade(), 800, 7);
    row("rule: first stored row wins", {normal("江苏省", "A1"), normal("江苏", "A2")}, 8, "A1",
        trade("江苏"));

    nothing("percent in province matches only itself", {js}, trade("%"));
    nothing("underscore in province matches only itself", {js}, trade("_苏省"));
    nothing("percent in city key matches only itself", {special2("南京;", no, "B")}, trade("江苏省", "%市"));
    row("percent stored in a name", {special2("50%;", no, "B")}, 7, "B", trade("江苏省", "50%市"));
    row("quote in a name", {normal("O'Brien", "A")}, 8, "A", trade("O'Brien"));
}

void TestPostageCalculation::search()
{
    QFETCH(QList<RuleRow>, rules);
    QFETCH(int, step);
    QFETCH(QString, ruleIndex);
    QFETCH(PostageTrade, trade);
    QFETCH(int, weight);
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
    QCOMPARE(PostageFee(weight, match).value_or(0), fee);
}

void TestPostageCalculation::explanation_data()
{
    QTest::addColumn<QList<RuleRow>>("rules");
    QTest::addColumn<PostageTrade>("trade");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* tag, const QList<RuleRow>& rules, const PostageTrade& destination,
                        int weight, const QStringList& lines) {
        QTest::newRow(tag) << rules << destination << weight << lines.join('\n');
    };
    // Every step of the search, each with a fee worked out by hand. A rule of the step before
    // that does not cover the parcel shows the explanation names the row that priced it.
    row("step 1",
        {special1("南京;", "江宁;", "C0", "大学城;"),
         priced(special1("南京;", "江宁;", "C1", "开发区;东山;"), 1000, 9, 1000, 2)},
        trade(), 3000,
        {"特殊1规则 第1步(省+市+县+地址) 规则号C1",
         "省份含“江苏省” 市含“南京” 县/区含“江宁” 地址关键字“东山”", "重量3000克 在区间0~5000克",
         "首重1000克9元 + 2×续重1000克2元 = 13元"});
    row("step 2", {priced(special1(no, "江宁;", "C2", "东山;"), 500, 6.5, 300, 1.5)}, trade(), 1200,
        {"特殊1规则 第2步(省+县+地址) 规则号C2", "省份含“江苏省” 县/区含“江宁” 地址关键字“东山”",
         "重量1200克 在区间0~5000克", "首重500克6.5元 + 3×续重300克1.5元 = 11元"});
    row("step 3, within the first weight", {priced(special1("南京;", no, "C3", "街道;"), 1000, 9, 1000, 2)},
        trade(), 800,
        {"特殊1规则 第3步(省+市+地址) 规则号C3", "省份含“江苏省” 市含“南京” 地址关键字“街道”",
         "重量800克 在区间0~5000克", "首重1000克9元 = 9元"});
    row("step 4, second keyword", {special1(no, no, "C4", "大学;东山;")}, trade(), 1001,
        {"特殊1规则 第4步(省+地址) 规则号C4", "省份含“江苏省” 地址关键字“东山”", "重量1001克 在区间0~5000克",
         "首重1000克10元 + 1×续重1000克2元 = 12元"});
    row("step 5", {priced(special2("南京;", "江宁;", "B5"), 1000, 8, 500, 1.2)}, trade(), 2000,
        {"特殊2规则 第5步(省+市+县) 规则号B5", "省份含“江苏省” 市含“南京” 县/区含“江宁”",
         "重量2000克 在区间0~5000克", "首重1000克8元 + 2×续重500克1.2元 = 10.4元"});
    row("step 6", {special2(no, "江宁;", "B6")}, trade(), 1000,
        {"特殊2规则 第6步(省+县) 规则号B6", "省份含“江苏省” 县/区含“江宁”", "重量1000克 在区间0~5000克",
         "首重1000克10元 = 10元"});
    row("step 7, municipality", {special2("上海;", no, "B7", "上海;")}, trade("上海市", "上海市", "浦东新区"),
        4999,
        {"特殊2规则 第7步(省+市) 规则号B7", "省份含“上海” 市含“上海”", "重量4999克 在区间0~5000克",
         "首重1000克10元 + 4×续重1000克2元 = 18元"});
    row("step 8",
        {normal("江苏省", "A7", 0, 1000), priced(normal("江苏省", "A8", 1000, 3000), 1000, 10, 500, 4)},
        trade("江苏"), 2500,
        {"普通规则 第8步(省) 规则号A8", "省份以“江苏”开头", "重量2500克 在区间1000~3000克",
         "首重1000克10元 + 3×续重500克4元 = 22元"});
    row("step 8, no province", {normal("浙江省", "A")}, trade(""), 5000,
        {"普通规则 第8步(省) 规则号A", "省份不限", "重量5000克 在区间0~5000克",
         "首重1000克10元 + 4×续重1000克2元 = 18元"});
}

void TestPostageCalculation::explanation()
{
    QFETCH(QList<RuleRow>, rules);
    QFETCH(PostageTrade, trade);
    QFETCH(int, weight);
    QFETCH(QString, text);

    for (const RuleRow& row : rules) {
        QVERIFY(m_db->add(row));
    }
    PostageRuleMatch match;
    QString error;
    QVERIFY2(FindPostageRule(m_db->db(), trade, weight, &match, &error), qPrintable(error));
    QVERIFY(match.found);
    QCOMPARE(PostageExplanation(trade, weight, match).text(), text);
    // The fee the station charges is the one the arithmetic ends with.
    RecordingSink sink;
    RecordingPrompter prompter;
    const PostageCharge charge = CalculatePostage(m_db->db(), trade, weight, QString(), sink, prompter);
    QCOMPARE(charge.explanation.text(), text);
    QVERIFY(text.endsWith(" = " + PostageText::number(charge.fee) + "元"));
}

void TestPostageCalculation::smallestFirstWeight()
{
    // Keywords do not count for the smallest first weight: C2's row is not the match, but its first
    // weight is the smallest of the level.
    QVERIFY(m_db->add(priced(special1("南京;", "江宁;", "C1", "大学城;"), 300, 5, 100, 1)));
    QVERIFY(m_db->add(priced(special1("南京;", "江宁;", "C2", "东山;"), 800, 8, 100, 1)));
    RuleRow heavy = priced(special1("南京;", "江宁;", "C2", "东山;"), 2000, 20, 100, 1);
    heavy.start = 5000;
    heavy.end = 9000;
    QVERIFY(m_db->add(heavy));
    // Another level does not count.
    QVERIFY(m_db->add(priced(special1(no, no, "C3", "东山;"), 100, 5, 100, 1)));

    PostageRuleMatch match;
    QString error;
    QVERIFY(FindPostageRule(m_db->db(), trade(), 6000, &match, &error));
    QCOMPARE(match.step, 1);
    QCOMPARE(match.beginChargeWeight, qint64(2000));
    QCOMPARE(match.minBeginChargeWeight, qint64(300));
    QCOMPARE(match.startWeight, 5000.0);
    QCOMPARE(match.endWeight, 9000.0);
}

void TestPostageCalculation::keptFinderReadsRulesAfresh()
{
    PostageRuleFinder finder(m_db->db());
    const auto step = [&] {
        PostageRuleMatch match;
        return finder.find(trade(), 800, &match, nullptr) ? match.step : -1;
    };
    QCOMPARE(step(), 0);
    // Rules saved or deleted between two parcels count for the second.
    QVERIFY(m_db->add(normal("江苏省", "A")));
    QCOMPARE(step(), 8);
    QVERIFY(m_db->add(special2("南京;", no, "B")));
    QCOMPARE(step(), 7);
    QVERIFY(m_db->exec("delete from rule2"));
    QCOMPARE(step(), 8);
}

void TestPostageCalculation::textInNumberColumns()
{
    // The tables take numbers only: decimal text is stored as a number and compares as one.
    QSqlQuery query(m_db->db());
    QVERIFY(
        !query.exec("insert into rule values ('顺丰速运', '江苏省', 'A', 'abc', 5000, 1000, 10, 500, 2)"));
    QVERIFY(!query.exec("insert into rule values ('顺丰速运', '江苏省', 'A', 0, 5000, 1000.5, 10, 500, 2)"));
    QVERIFY(query.exec(
        "insert into rule values ('顺丰速运', '江苏省', 'A', '0', '900', '1000', '10', '500', '2')"));
    PostageRuleMatch match;
    QString error;
    QVERIFY(FindPostageRule(m_db->db(), trade(), 850, &match, &error) && match.found);
    QVERIFY(FindPostageRule(m_db->db(), trade(), 1000, &match, &error) && !match.found);

    // A file of an older layout may hold texts in the price columns: an error, not a price.
    QVERIFY(query.exec("drop table rule"));
    QVERIFY(query.exec("create table rule (Express text, Province text, RuleIndex text, StartWeight text, "
                       "EndWeight text, BeginChargeWeight text, BeginChargeFee text, DetaWeight text, "
                       "DetaFee text)"));
    QVERIFY(query.exec("insert into rule values ('顺丰速运', '江苏省', 'A', 0, 5000, 1000, '十元', 500, 2)"));
    QVERIFY(!FindPostageRule(m_db->db(), trade(), 3000, &match, &error));
    QVERIFY(!error.isEmpty());
}

void TestPostageCalculation::calculate_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QString>("province");
    QTest::addColumn<double>("fee");
    QTest::addColumn<QString>("message"); // through the prompter
    QTest::addColumn<QString>("line");    // into the station log, after the time
    const auto row = [](const char* tag, const char* breakage, int weight, const char* province, double fee,
                        const char* message = "", const char* line = "") {
        QTest::newRow(tag) << QString(breakage) << weight << QString::fromUtf8(province) << fee
                           << QString::fromUtf8(message) << QString::fromUtf8(line);
    };
    const char* zeroStep = "update rule set DetaWeight = 0";
    row("found", "", 1501, "江苏省", 18);
    row("no rule", "", 1250, "上海市", -1, "", " : 未设置顺丰速运1.25KG上海地区的邮资规则!");
    row("step weight 0 within first weight", zeroStep, 1000, "江苏省", 10);
    row("step weight 0 beyond first weight", zeroStep, 1001, "江苏省", -1, "计算邮资错误!");
    row("tables missing", "drop table rule1", 800, "江苏省", -1, "计算邮资错误!");
}

void TestPostageCalculation::calculate()
{
    QFETCH(QString, breakage);
    QFETCH(int, weight);
    QFETCH(QString, province);
    QFETCH(double, fee);
    QFETCH(QString, message);
    QFETCH(QString, line);

    QVERIFY(m_db->add(priced(normal("江苏省", "A"), 1000, 10, 500, 4)));
    QVERIFY(breakage.isEmpty() || m_db->exec(breakage));
    RecordingSink sink;
    RecordingPrompter prompter;
    const PostageCharge charge = CalculatePostage(m_db->db(), trade(province), weight,
                                                  QString::number(weight / 1000.0), sink, prompter);
    QCOMPARE(charge.fee, fee);
    QCOMPARE(charge.explanation.isValid(), fee >= 0);
    QCOMPARE(prompter.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(charge.postageBoxText, line.isEmpty() ? QString() : QStringLiteral("未设置邮资规则!"));
    QCOMPARE(sink.results.size(), line.isEmpty() ? 0 : 1);
    if (!line.isEmpty()) {
        QVERIFY(!sink.results.at(0).second);
        QCOMPARE(sink.results.at(0).first.mid(8), line);
        QVERIFY(QTime::fromString(sink.results.at(0).first.left(8), "HH:mm:ss").isValid());
    }
}

QTEST_GUILESS_MAIN(TestPostageCalculation)
#include "TestPostageCalculation.moc"
