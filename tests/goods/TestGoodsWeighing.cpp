#include "GoodsShop.h"
#include "PlainGoodsView.h"
#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"

#include "goods/GoodsWeighing.h"

#include <QtTest>

namespace {

const char kMug[] = "陶瓷马克杯";  // single variant "350ml", 380 g
const char kHoney[] = "槐花蜂蜜";  // single variant "500g", never weighed
const char kCoffee[] = "挂耳咖啡"; // variants 01 "中度烘焙", 02 "深度烘焙", never weighed
const char kReplace[] = "是否替换原有的重量?";

// The weighing on a demo shop, at 12:00:00, with the scale (not typed weights).
struct Rig
{
    GoodsShop shop;
    PlainGoodsView view;
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    GoodsWeighing weighing{shop.orderDb, view, view, prompter, sounds};

    Rig()
    {
        weighing.setClock([] { return QTime(12, 0, 0); });
        weighing.setScaleTypeIndex(0);
    }

    void enter(const QString& weight, const QString& barcode, const QString& count = {})
    {
        view.weight = weight;
        view.barcode = barcode;
        view.count = count;
        weighing.enter();
    }
};

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestGoodsWeighing : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("scan"); // a statement whose single value is the scanned text
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("variant");
        const auto row = [](const char* tag, const QStringList& setup, const char* scan,
                            const char* name = "", const char* variant = "") {
            QTest::newRow(tag) << setup << u(scan) << u(name) << u(variant);
        };
        const QStringList heads = {
            "insert into G_Goods_GoodsList (GoodsID, GoodsName, Weight, BarCode, bMultiSpec) "
            "values (900, '长头商品', 10, 'X12', 1), (901, '短头商品', 20, 'X1', 1)",
            "insert into G_Goods_GoodsSpec (SpecID, GoodsID, SpecName, SpecCode) "
            "values (900, 900, '长头规格', '3'), (901, 901, '短头规格', '23'), (902, 901, '短头规格二', "
            "'24')"};
        const char* mug = "select BarCode from G_Goods_GoodsList where GoodsName='陶瓷马克杯'";

        row("own barcode", {}, mug, kMug, "350ml");
        row("assist barcode", {},
            "select BarCode from G_GOods_AssistBarCode a join G_Goods_GoodsSpec s on a.SpecID = s.SpecID "
            "where SpecName = '黑色 M'",
            "纯棉圆领T恤", "黑色 M");
        row("barcode and variant code", {},
            "select BarCode || '02' from G_Goods_GoodsList where GoodsName='纯棉圆领T恤'", "纯棉圆领T恤",
            "白色 L");
        row("own barcode before an equal assist barcode",
            {"insert into G_GOods_AssistBarCode (BarCode, GoodsID, SpecID) "
             "select BarCode, 1, 1 from G_Goods_GoodsList where GoodsName='陶瓷马克杯'"},
            mug, kMug, "350ml");
        row("longest goods barcode first", heads, "select 'X123'", "长头商品", "长头规格");
        row("shorter goods barcode when the longer fails", heads, "select 'X124'", "短头商品", "短头规格二");
        row("code after a goods without variants", {},
            "select BarCode || '01' from G_Goods_GoodsList where GoodsName='陶瓷马克杯'");
        row("unknown", {}, "select 'NOSUCH'");
        row("quote in the barcode", {}, "select 'A''B'");
    }

    void lookup()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, scan);
        QFETCH(QString, name);
        QFETCH(QString, variant);

        Rig rig;
        for (const QString& sql : setup) {
            QVERIFY2(rig.shop.orderDb.execute(sql), qPrintable(rig.shop.orderDb.lastError()));
        }
        const QString barcode = rig.shop.scalar(scan).toString();
        QVERIFY(!barcode.isEmpty());
        rig.prompter.defaultAnswer = false;
        rig.view.focused = QStringLiteral("none");
        rig.enter(QStringLiteral("0.1"), barcode);

        QCOMPARE(rig.view.name, name);
        if (name.isEmpty()) {
            QCOMPARE(rig.view.lines,
                     QStringList{QStringLiteral("12:00:00 : ") + barcode + u(" : 编号的商品不存在!")});
            QCOMPARE(rig.sounds.played, QStringList{"False.wav"});
            QCOMPARE(rig.view.focused, QStringLiteral("none"));
        } else {
            QCOMPARE(rig.view.spec, variant);
            QCOMPARE(rig.view.lines.mid(0, 2),
                     (QStringList{u("商品名称：") + name, u("商品规格：") + variant}));
        }
        QCOMPARE(rig.shop.writes(), 0);
    }

    void failingLookupIsNoMissingGoods()
    {
        Rig rig;
        QVERIFY(rig.shop.orderDb.execute(QStringLiteral("drop table G_GOods_AssistBarCode")));
        rig.enter(QStringLiteral("0.1"), QStringLiteral("NOSUCH"));
        QCOMPARE(rig.view.lines.size(), 1);
        QVERIFY2(rig.view.lines.first().startsWith(u("12:00:00 : NOSUCH : 商品查询失败!")),
                 qPrintable(rig.view.lines.first()));
        QCOMPARE(rig.sounds.played, QStringList{"False.wav"});

        // The goods' own barcode is asked first and still finds it.
        rig.enter(QStringLiteral("0.52"), rig.shop.barcode(u(kHoney)));
        QCOMPARE(rig.shop.weight(u(kHoney)), QStringLiteral("520"));
    }

    void refusedEntry_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<bool>("withBarcode");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("focused");

        // The weight box holds a status text, or no number the station can store.
        for (const char* status : {"", "电子秤未连接", "警告：重量为负!", "1.2.3", "inf"}) {
            QTest::newRow(status[0] ? status : "empty weight")
                << u(status) << true << QString() << u("12:00:00 : ") + u(status) + u(" : 重量值错误!")
                << "none";
        }
        QTest::newRow("empty barcode")
            << "0.5" << false << QString() << u("12:00:00 :  : 条形码值错误!") << "barcode";
        for (const char* count : {"0", "3a", "-2", " "}) {
            QTest::newRow(qPrintable(QStringLiteral("count '%1'").arg(count)))
                << "0.5" << true << u(count)
                << u("12:00:00 : ") + u(count) + u(" : 取样数量必须是大于0的整数!") << "count";
        }
    }

    void refusedEntry()
    {
        QFETCH(QString, weight);
        QFETCH(bool, withBarcode);
        QFETCH(QString, count);
        QFETCH(QString, line);
        QFETCH(QString, focused);

        Rig rig;
        rig.view.focused = QStringLiteral("none");
        rig.enter(weight, withBarcode ? rig.shop.barcode(u(kHoney)) : QString(), count);

        QCOMPARE(rig.view.lines, QStringList{line});
        QCOMPARE(rig.sounds.played, QStringList{"False.wav"});
        QCOMPARE(rig.view.focused, focused);
        QCOMPARE(rig.view.name, QString());
        QVERIFY(rig.prompter.questions.isEmpty());
        QCOMPARE(rig.shop.writes(), 0);
    }

    // An entry on goods found: the question, the stored weight, the log and the sound. A weight is
    // written exactly when it changes, so the same entry again writes nothing.
    void weighing_data()
    {
        QTest::addColumn<QString>("goods");
        QTest::addColumn<QString>("code"); // a variant code after the goods' barcode
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("count"); // of the sample weighed; empty for one article
        QTest::addColumn<bool>("answer");   // to the question whether to replace a stored weight
        QTest::addColumn<int>("refused");   // 1: the write fails, 2: it is silently skipped
        // The outcome line after the time, "#" standing for the barcode; empty for none.
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("stored");
        const auto row = [](const char* tag, const char* goods, const char* code, const char* variant,
                            const char* weight, bool answer, int refused, const char* line,
                            const char* stored, const char* count = "") {
            QTest::newRow(tag) << u(goods) << u(code) << u(variant) << u(weight) << u(count) << answer
                               << refused << u(line) << u(stored);
        };
        const char* changed = " : # : 商品重量信息更改成功!";
        const char* failed = " : # : 商品重量信息更改失败!";
        row("first weighing", kHoney, "", "500g", "0.52", true, 0, changed, "520");
        // Found through a join of goods and variant; the goods record is what gets the weight.
        row("first weighing by variant code", kCoffee, "01", "中度烘焙", "0.52", true, 0, changed, "520");
        row("other weight, OK", kMug, "", "350ml", "0.4", true, 0, " :型号为 # : 商品重量信息更改成功!",
            "400");
        row("other weight, Cancel", kMug, "", "350ml", "0.4", false, 0, "", "380");
        // 0.38 kg is not exactly 380 g in binary; it still counts as the same weight, and is not written.
        row("same weight, OK", kMug, "", "350ml", "0.38", true, 0, " : 型号为# : 商品重量信息更改成功!",
            "380");
        row("same weight, Cancel", kMug, "", "350ml", "0.38", false, 0, "", "380");
        row("first weighing, write fails", kHoney, "", "500g", "0.4", true, 1, failed, "0");
        row("first weighing, write skipped", kHoney, "", "500g", "0.4", true, 2, failed, "0");
        row("replace, write fails", kMug, "", "350ml", "0.4", true, 1, failed, "380");
        // A sample's share is cut, not rounded, to a tenth of a gram.
        row("sample", kHoney, "", "500g", "0.5", true, 0, changed, "166.6", "3");
        row("whole share", kHoney, "", "500g", "0.3", true, 0, changed, "100", "3");
        row("share below a gram", kHoney, "", "500g", "0.001", true, 0, changed, "0.3", "3");
        row("sample of one", kHoney, "", "500g", "0.285", true, 0, changed, "285", "1");
        row("largest sample", kHoney, "", "500g", "99.999", true, 0, changed, "1", "99999");
        row("replace, write skipped", kMug, "", "350ml", "0.4", true, 2, " : 型号为# : 商品重量信息更改失败!",
            "380");
    }

    void weighing()
    {
        QFETCH(QString, goods);
        QFETCH(QString, code);
        QFETCH(QString, variant);
        QFETCH(QString, weight);
        QFETCH(QString, count);
        QFETCH(bool, answer);
        QFETCH(int, refused);
        QFETCH(QString, line);
        QFETCH(QString, stored);

        Rig rig;
        const QString before = rig.shop.weight(goods);
        const QString barcode = rig.shop.barcode(goods) + code;
        QVERIFY(refused == 0 || rig.shop.refuseWrites(refused == 2));
        rig.prompter.defaultAnswer = answer;
        rig.enter(weight, barcode, count);

        // Goods never weighed take the weight without a question.
        QCOMPARE(rig.prompter.questions,
                 before == QLatin1String("0") ? QStringList() : QStringList{u(kReplace)});
        QCOMPARE(rig.shop.weight(goods), stored);
        QCOMPARE(rig.view.goodWeightText, stored);
        QCOMPARE(rig.shop.writes(), stored == before ? 0 : 1);
        QStringList lines = {u("商品名称：") + goods, u("商品规格：") + variant, u("商品重量：") + before};
        if (!line.isEmpty()) {
            lines.prepend(u("12:00:00") + QString(line).replace(QLatin1Char('#'), barcode));
        }
        QCOMPARE(rig.view.lines, lines);
        const QString sound =
            line.endsWith(u("成功!")) ? QStringLiteral("True.wav") : QStringLiteral("False.wav");
        QCOMPARE(rig.sounds.played, line.isEmpty() ? QStringList() : QStringList{sound});
        QCOMPARE(rig.view.focused, QStringLiteral("barcode"));
        QCOMPARE(rig.view.sampleWeight, count.isEmpty() ? QString() : stored);

        rig.enter(weight, barcode, count);
        QCOMPARE(rig.shop.weight(goods), stored);
        QCOMPARE(rig.shop.writes(), stored == before ? 0 : 1);
    }

    void logStartsAfresh()
    {
        // Three goods lines per cancelled entry jump from 48 over 50 to 51; the next entry starts afresh.
        Rig rig;
        rig.prompter.defaultAnswer = false;
        const QString barcode = rig.shop.barcode(u(kMug));
        for (int i = 0; i < 17; ++i) {
            rig.enter(QStringLiteral("0.38"), barcode);
        }
        QCOMPARE(rig.view.lines.size(), 51);
        rig.enter(QStringLiteral("0.38"), barcode);
        QCOMPARE(rig.view.lines.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestGoodsWeighing)
#include "TestGoodsWeighing.moc"
