// Settings and order databases damaged or held by others: the ship names the real cause in the
// station log with the failure sound, and writes nothing.
#include "StationShop.h"

#include "base/Sounds.h"
#include "store/SqlConnection.h"

class TestDamagedSettings : public QObject
{
    Q_OBJECT

private slots:
    void shipNamesTheCause_data()
    {
        QTest::addColumn<QString>("database"); // login, order, or "holder": a second program's connection
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("startMessage"); // the scale settings are read at start; empty: no restart
        const QString scaleType =
            QStringLiteral(" where ID = (select ScaleType from Initialization where ID = 1)");
        // clang-format off
        QTest::newRow("scale type row gone") << "login" << "delete from ScaleTypel" + scaleType << "电子秤量程未设置" << "找不到所选的电子秤类型";
        QTest::newRow("scale range no number") << "login" << "update ScaleTypel set ScaleRange = '三十'" + scaleType << "电子秤量程未设置" << "量程不是大于0的数";
        QTest::newRow("stock table gone") << "order" << "drop table G_Stock_Spec" << "订单数据库中没有数据表G_Stock_Spec" << "";
        // Waits out the station's lock timeout once.
        QTest::newRow("locked by another program") << "holder" << "begin immediate" << "订单数据库正被其他程序占用,未发货,请稍后重新扫描!" << "";
        // clang-format on
    }

    void shipNamesTheCause()
    {
        QFETCH(QString, database);
        QFETCH(QString, damage);
        QFETCH(QString, line);
        QFETCH(QString, startMessage);
        StationShop shop;
        SqlConnection holder(QStringLiteral("QSQLITE"), QStringLiteral("lock-holder"));
        QVERIFY(openSqliteFile(holder, shop.demo.folder.file(QStringLiteral("zelvo-demo.db")), nullptr));
        StationShop::run(database == QStringLiteral("login")   ? shop.demo.stores().loginDb()
                         : database == QStringLiteral("order") ? shop.demo.stores().orderDb().db()
                                                               : holder.db(),
                         damage, {});
        RecordingPrompter startPrompter;
        RecordingSoundPlayer startSounds;
        StationSession restarted(shop.demo.folder.path(), startPrompter, startSounds);
        if (!startMessage.isEmpty()) {
            QString error;
            QVERIFY2(restarted.start(&error), qPrintable(error));
            shop.scaleRange = restarted.scale().scaleRange;
            QCOMPARE(startPrompter.messages.size(), 1);
            QVERIFY(startPrompter.messages.constFirst().contains(startMessage));
        }

        QCOMPARE(shop.ship(), ShipOutcome::Refused);
        QVERIFY(shop.lines().value(0).startsWith(QStringLiteral(" : ZT90001 : ") + line));
        QCOMPARE(shop.sounds.played, QStringList{QString::fromLatin1(Sounds::kFailure)});
        QCOMPARE(shop.prompter.messages, QStringList());
        QCOMPARE(shop.tradeColumn("TradeStatus, bStockOut").toString(), QStringLiteral("5|0"));
    }
};

QTEST_GUILESS_MAIN(TestDamagedSettings)
#include "TestDamagedSettings.moc"
