// Settings and order databases damaged or held by others: the ship names the real cause in the
// station log with the failure sound, and writes nothing.
#include "StationShop.h"

#include "base/Sounds.h"
#include "store/SqlConnection.h"

class TestDamagedSettings : public QObject
{
    Q_OBJECT

private slots:
    void shipNamesTheCause_data();
    void shipNamesTheCause();
};

namespace {

enum class Damage
{
    ScaleTypeRowGone,
    ScaleRangeNoNumber,
    StockTableGone,
    LockedByAnotherProgram,
};

} // namespace

void TestDamagedSettings::shipNamesTheCause_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("startMessage");
    QTest::newRow("scale type row gone") << int(Damage::ScaleTypeRowGone) << "电子秤量程未设置"
                                         << "找不到所选的电子秤类型";
    QTest::newRow("scale range no number") << int(Damage::ScaleRangeNoNumber) << "电子秤量程未设置"
                                           << "量程不是大于0的数";
    QTest::newRow("stock table gone")
        << int(Damage::StockTableGone) << "订单数据库中没有数据表G_Stock_Spec" << QString();
    // Waits out the station's lock timeout once.
    QTest::newRow("locked by another program")
        << int(Damage::LockedByAnotherProgram) << "订单数据库正被其他程序占用,未发货,请稍后重新扫描!"
        << QString();
}

void TestDamagedSettings::shipNamesTheCause()
{
    QFETCH(int, damage);
    QFETCH(QString, line);
    QFETCH(QString, startMessage);
    StationShop shop;

    // The scale settings are read at start: a later start on the damaged file gives the range.
    RecordingPrompter startPrompter;
    RecordingSoundPlayer startSounds;
    std::unique_ptr<StationSession> restarted;
    const auto restart = [&] {
        restarted = std::make_unique<StationSession>(shop.demo.folder.path(), startPrompter, startSounds);
        QString error;
        QVERIFY2(restarted->start(&error), qPrintable(error));
        shop.scaleRange = restarted->scale().scaleRange;
    };
    SqlConnection holder(QStringLiteral("QSQLITE"), QStringLiteral("lock-holder"));
    switch (Damage(damage)) {
    case Damage::ScaleTypeRowGone:
        shop.login("delete from ScaleTypel where ID = (select ScaleType from Initialization where ID = 1)");
        restart();
        break;
    case Damage::ScaleRangeNoNumber:
        shop.login("update ScaleTypel set ScaleRange = '三十' "
                   "where ID = (select ScaleType from Initialization where ID = 1)");
        restart();
        break;
    case Damage::StockTableGone:
        shop.order("drop table G_Stock_Spec");
        break;
    case Damage::LockedByAnotherProgram: {
        QString error;
        QVERIFY2(openSqliteFile(holder, shop.demo.folder.file(QStringLiteral("zelvo-demo.db")), &error),
                 qPrintable(error));
        QSqlQuery lock(holder.db());
        QVERIFY2(lock.exec(QStringLiteral("begin immediate")), qPrintable(lock.lastError().text()));
        break;
    }
    }
    if (!startMessage.isEmpty()) {
        QCOMPARE(startPrompter.messages.size(), 1);
        QVERIFY2(startPrompter.messages.constFirst().contains(startMessage),
                 qPrintable(startPrompter.messages.constFirst()));
    }

    QCOMPARE(shop.ship(), ShipOutcome::Refused);
    QVERIFY2(!shop.lines().isEmpty() &&
                 shop.lines().constFirst().startsWith(QStringLiteral(" : ZT90001 : ") + line),
             qPrintable(shop.lines().join(QLatin1Char('|'))));
    QCOMPARE(shop.sounds.played, QStringList{QString::fromLatin1(Sounds::kFailure)});
    QCOMPARE(shop.prompter.messages, QStringList());
    QCOMPARE(shop.tradeColumn("TradeStatus").toInt(), 5);
    QCOMPARE(shop.tradeColumn("bStockOut").toInt(), 0);
}

QTEST_GUILESS_MAIN(TestDamagedSettings)
#include "TestDamagedSettings.moc"
