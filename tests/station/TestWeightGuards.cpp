#include "EventSpin.h"
#include "StationShop.h"

#include "base/Sounds.h"
#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsApply.h"
#include "station/ReaderScale.h"
#include "store/LoginDbUpgrades.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace {

constexpr int kProtocolA = 0;
const QString kSecondWaybill = QStringLiteral("ZT90002");

// The shop's station weighing with a real reader: a scale on a pseudo-terminal sends a frame every
// 100 ms, and the weight box follows the reader as the scan tab's does.
struct WeighingStation
{
    WeighingStation()
    {
        shop.scaleTypeIndex = kProtocolA;
        shop.addTrade(90002, kSecondWaybill, QStringLiteral("T90002"), 5, QString());
        shop.order("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) values "
                   "(90002, 7, 0, 1, '个')");
        QObject::connect(&host, &ScaleReaderHost::weightText, &host,
                         [this](const QString& text) { shop.view.weight = text; });
        frames.setInterval(100);
        QObject::connect(&frames, &QTimer::timeout, &host, [this] {
            if (!weights.isEmpty()) {
                line.write(ScaleFrames::frame(kProtocolA, weights.at(next++ % weights.size())));
            }
        });
        started = host.start(ReaderConfig{kProtocolA, 1, line.devicePath(), 9600, 30.0});
        frames.start();
    }

    // The scale's weights from now on, one per frame in turn; none: the scale is silent.
    void put(const QList<double>& cycle)
    {
        weights = cycle;
        next = 0;
    }

    bool setGuards(bool stableShip, bool emptyScaleGate, int grams = 20)
    {
        QString error;
        const bool stored =
            shop.demo.session->settings().storeWeightGuards(stableShip, emptyScaleGate, grams, &error);
        if (!stored) {
            qWarning() << error;
        }
        return stored;
    }

    ShipOutcome ship(const QString& waybill)
    {
        StationServices services{shop.demo.orderDb(),
                                 shop.demo.session->settings(),
                                 &shop.demo.postageDb(),
                                 shop.prompter,
                                 shop.report,
                                 shop.sounds,
                                 shop.context.operatorName,
                                 kProtocolA,
                                 30.0,
                                 &scale};
        shop.view.scan = waybill;
        return ShipProcedure(services, shop.view).run();
    }

    StationShop shop;
    PseudoTerminal line;
    ScaleState state{1, kProtocolA, 9600, 30.0};
    ScaleReaderHost host{shop.prompter};
    ReaderScale scale{state, host};
    QTimer frames;
    QList<double> weights;
    int next = 0;
    bool started = false;
};

} // namespace

class TestWeightGuards : public QObject
{
    Q_OBJECT

private slots:
    void emptyScaleGate_data();
    void emptyScaleGate();
    void stableShip_data();
    void stableShip();
    void optionsStoredAndUpgraded();
};

void TestWeightGuards::emptyScaleGate_data()
{
    QTest::addColumn<bool>("gate");
    QTest::addColumn<int>("grams");
    QTest::addColumn<QList<double>>("between"); // held 400 ms each between the two parcels
    QTest::addColumn<bool>("typed");            // the second weight typed by hand
    QTest::addColumn<bool>("shipped");
    const auto row = [](const char* tag, bool gate, int grams, const QList<double>& between, bool typed,
                        bool shipped) { QTest::newRow(tag) << gate << grams << between << typed << shipped; };
    row("parcel left on", true, 20, {}, false, false);
    row("taken off, a new parcel put on", true, 20, {0, 0.98}, false, true);
    row("lifted only to the threshold", true, 20, {0.02, 1.25}, false, false);
    row("lifted below the threshold, the same weight again", true, 20, {0.019, 1.25}, false, true);
    row("a negative reading is an empty scale", true, 20, {-0.05, 1.25}, false, true);
    row("a higher threshold", true, 1000, {0.5, 1.25}, false, true);
    row("typed weights are not gated", true, 20, {}, true, true);
    row("option off", false, 20, {}, false, true);
}

void TestWeightGuards::emptyScaleGate()
{
    QFETCH(bool, gate);
    QFETCH(int, grams);
    QFETCH(QList<double>, between);
    QFETCH(bool, typed);
    QFETCH(bool, shipped);
    WeighingStation station;
    QVERIFY(station.started);
    QVERIFY(station.setGuards(false, gate, grams));
    station.put({1.25});
    QVERIFY(spinUntil([&] { return station.shop.view.weight == QStringLiteral("1.25"); }));
    QCOMPARE(station.ship(StationShop::kWaybill), ShipOutcome::Shipped);

    for (const double weight : between) {
        station.put({weight});
        spin(400);
    }
    if (typed) {
        station.shop.view.manualWeight = true;
        station.shop.view.weight = QStringLiteral("1.250");
    }
    station.shop.forget();
    const QString before = station.shop.fingerprint();
    const ShipOutcome outcome = station.ship(kSecondWaybill);
    if (shipped) {
        QCOMPARE(outcome, ShipOutcome::Shipped);
        QCOMPARE(station.shop.tradeColumn("TradeStatus", 90002).toInt(), 8);
        return;
    }
    QCOMPARE(outcome, ShipOutcome::ParcelOn);
    QCOMPARE(station.shop.lines(), QStringList{" : ZT90002 : 请先取下上一个包裹!"});
    QCOMPARE(station.shop.sounds.played, QStringList{QString::fromLatin1(Sounds::kFailure)});
    QVERIFY(station.shop.prompter.messages.isEmpty());
    QCOMPARE(station.shop.fingerprint(), before);

    // Taken off now: the next scan ships it.
    station.put({0});
    spin(300);
    station.put({1.25});
    QVERIFY(spinUntil([&] { return station.shop.view.weight == QStringLiteral("1.25"); }));
    QCOMPARE(station.ship(kSecondWaybill), ShipOutcome::Shipped);
}

void TestWeightGuards::stableShip_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<QList<double>>("scale"); // the frames in turn when Enter is pressed
    QTest::addColumn<int>("settlesAfter");    // ms after Enter the scale sends 1.25 steadily; -1 never
    QTest::addColumn<bool>("typed");          // 1.250 typed by hand
    QTest::addColumn<int>("weight");          // grams shipped; 0: nothing shipped
    QTest::addColumn<QList<int>>("waitedMs"); // how long the run took, at least and at most
    const QList<double> swinging{1.2, 1.31};
    QTest::newRow("settled parcel ships at once")
        << true << QList<double>{1.25} << -1 << false << 1250 << QList<int>{0, 300};
    QTest::newRow("swinging parcel settles in time")
        << true << swinging << 800 << false << 1250 << QList<int>{900, 2000};
    QTest::newRow("parcel never settles") << true << swinging << -1 << false << 0 << QList<int>{2000, 2600};
    QTest::newRow("scale gone silent")
        << true << QList<double>{} << -1 << false << 0 << QList<int>{2000, 2600};
    QTest::newRow("typed weights are stable") << true << swinging << -1 << true << 1250 << QList<int>{0, 300};
    QTest::newRow("option off ships the swinging weight")
        << false << swinging << -1 << false << -1 << QList<int>{0, 300};
}

void TestWeightGuards::stableShip()
{
    QFETCH(bool, option);
    QFETCH(QList<double>, scale);
    QFETCH(int, settlesAfter);
    QFETCH(bool, typed);
    QFETCH(int, weight);
    QFETCH(QList<int>, waitedMs);
    WeighingStation station;
    QVERIFY(station.started);
    QVERIFY(station.setGuards(option, false));
    station.put({1.25});
    QVERIFY(spinUntil([&] { return station.host.isStable(); }));
    station.put(scale);
    spin(400);
    QCOMPARE(station.host.isStable(), scale == QList<double>{1.25});
    if (typed) {
        station.shop.view.manualWeight = true;
        station.shop.view.weight = QStringLiteral("1.250");
    }
    if (settlesAfter >= 0) {
        QTimer::singleShot(settlesAfter, &station.host, [&station] { station.put({1.25}); });
    }
    const QString before = station.shop.fingerprint();
    QElapsedTimer clock;
    clock.start();
    const ShipOutcome outcome = station.ship(StationShop::kWaybill);
    const qint64 waited = clock.elapsed();
    QVERIFY2(waited >= waitedMs.at(0) && waited <= waitedMs.at(1), qPrintable(QString::number(waited)));
    if (weight == 0) {
        QCOMPARE(outcome, ShipOutcome::Unstable);
        QCOMPARE(station.shop.lines(), QStringList{" : ZT90001 : 重量不稳定,请稍候重新扫描!"});
        QCOMPARE(station.shop.sounds.played, QStringList{QString::fromLatin1(Sounds::kFailure)});
        QCOMPARE(station.shop.fingerprint(), before);
        return;
    }
    QCOMPARE(outcome, ShipOutcome::Shipped);
    const int packaged = station.shop.tradeColumn("PackagedWeight").toInt();
    if (weight > 0) {
        QCOMPARE(packaged, weight);
    } else {
        // Without the option the weight of the moment is shipped, whichever of the swing it was.
        QVERIFY2(packaged == 1200 || packaged == 1310 || packaged == 1250,
                 qPrintable(QString::number(packaged)));
    }
}

void TestWeightGuards::optionsStoredAndUpgraded()
{
    StationShop shop;
    StationSettings& settings = shop.demo.session->settings();
    StationSettings::Options options;
    QVERIFY(settings.read(&options, nullptr));
    // A new station starts with both guards off and 20 g.
    QCOMPARE(options.stableShip, false);
    QCOMPARE(options.emptyScaleGate, false);
    QCOMPARE(options.emptyScaleGrams, 20);

    int changes = 0;
    connect(&settings, &StationSettings::changed, &settings, [&changes] { ++changes; });
    QVERIFY(settings.storeWeightGuards(true, true, 35, nullptr));
    QCOMPARE(changes, 1);
    QVERIFY(settings.read(&options, nullptr));
    QCOMPARE(options.stableShip, true);
    QCOMPARE(options.emptyScaleGate, true);
    QCOMPARE(options.emptyScaleGrams, 35);

    // A file of the layout before the guards: the upgrade adds them, off, once; other options stay.
    QSqlDatabase db = shop.demo.stores().loginDb();
    QSqlQuery query(db);
    QVERIFY(query.exec("create table Old as select * from Initialization"));
    QVERIFY(query.exec("drop table Initialization"));
    QVERIFY(
        query.exec("create table Initialization as select ID, Com, ScaleType, check4, MultiPostID from Old"));
    QVERIFY(query.exec("update Initialization set check4 = 1"));
    QVERIFY(settings.read(&options, nullptr));
    QCOMPARE(options.stableShip, false);
    QCOMPARE(options.emptyScaleGrams, 20);
    QVERIFY(!settings.storeWeightGuards(true, false, 20, nullptr));
    QVERIFY(LoginDbUpgrades::addWeightGuardColumns(db));
    QVERIFY(LoginDbUpgrades::addWeightGuardColumns(db));
    QVERIFY(settings.read(&options, nullptr));
    QCOMPARE(options.summary, true);
    QCOMPARE(options.emptyScaleGrams, 20);
    QVERIFY(settings.storeWeightGuards(false, true, 50, nullptr));
    QVERIFY(settings.read(&options, nullptr));
    QCOMPARE(options.emptyScaleGate, true);
    QCOMPARE(options.emptyScaleGrams, 50);
}

QTEST_GUILESS_MAIN(TestWeightGuards)
#include "TestWeightGuards.moc"
