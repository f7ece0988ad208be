// zelvo-station's inputs: where the password comes from, which weights it takes, and what its
// output may hold.
#include "StationShop.h"
#include "ToolRun.h"

using Run = ToolRun;

class TestStationToolInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo(m_tool).isExecutable()) {
            QSKIP("zelvo-station is not built");
        }
    }

    void passwordSources_data()
    {
        QTest::addColumn<QString>("variable"); // ZELVO_PASSWORD; null when unset
        QTest::addColumn<QByteArray>("file");  // the password file's content; null for no --password-file
        QTest::addColumn<QString>("option");   // --password; null when not given
        QTest::addColumn<int>("exitCode");     // 1: logged in, NOPE not found
        QTest::newRow("environment") << "1234" << QByteArray() << QString() << 1;
        QTest::newRow("file") << QString() << QByteArray("1234\r\n") << QString() << 1;
        QTest::newRow("file without line end") << QString() << QByteArray("1234") << QString() << 1;
        QTest::newRow("file before environment") << "wrong" << QByteArray("1234\n") << QString() << 1;
        QTest::newRow("wrong in file") << QString() << QByteArray("12345\n") << QString() << 3;
        QTest::newRow("file and option") << QString() << QByteArray("1234\n") << "1234" << 2;
        QTest::newRow("none") << QString() << QByteArray() << QString() << 2;
    }

    void passwordSources()
    {
        QFETCH(QString, variable);
        QFETCH(QByteArray, file);
        QFETCH(QString, option);
        QFETCH(int, exitCode);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("ZELVO_PASSWORD"));
        if (!variable.isNull()) {
            environment.insert(QStringLiteral("ZELVO_PASSWORD"), variable);
        }
        QTemporaryFile passwordFile;
        QVERIFY(passwordFile.open() && passwordFile.write(file) == file.size() && passwordFile.flush());
        const QStringList arguments =
            (file.isNull() ? QStringList()
                           : QStringList{QStringLiteral("--password-file"), passwordFile.fileName()}) +
            (option.isNull() ? QStringList() : QStringList{QStringLiteral("--password"), option});
        const Run result = run(arguments, "1.5 NOPE\n", environment);
        QVERIFY2(result.exitCode == exitCode, result.out + result.err);
        QVERIFY(exitCode != 1 || result.lines.constLast().endsWith(QStringLiteral(" : NOPE : 不存在!")));
    }

    // Weights the weight box's keys could not type are refused; a scan with an escape sequence and a
    // bell, and a trade whose province holds one (the line saying no postage rule covers it repeats the
    // province), print no control character.
    void weightsAndControlCharacters()
    {
        const QStringList waybills{StationShop::kWaybill, QStringLiteral("ZT90002")};
        m_shop.addTrade(90002, waybills[1], QStringLiteral("T90002"), 5, QString());
        m_shop.order("insert into G_Trade_GoodsList (TradeID, GoodsID, SpecID, SellCount, Unit) values "
                     "(90002, 7, 0, 1, '个')");
        m_shop.order("update G_Trade_TradeList set Province = ? where TradeID = 90002",
                     {QStringLiteral("江苏\u001B[2J省")});

        const QStringList refused = {QStringLiteral("1e1"),     QStringLiteral("+1"),  QStringLiteral("-1"),
                                     QStringLiteral("1.23456"), QStringLiteral("1,2"), QStringLiteral("0x1"),
                                     QStringLiteral("１.2")};
        QByteArray input;
        for (const QString& weight : refused) {
            input += (weight + QLatin1Char(' ') + waybills[0] + QLatin1Char('\n')).toUtf8();
        }
        // The box's keys type ".5" and its change check warns; the tool warns alike.
        input += ".5 NOPE\n1.5 \x1b[2JNO\x07PE\n1.5 " + waybills[1].toUtf8() + "\n1.2 " +
                 waybills[0].toUtf8() + "\n";
        const Run result = run({QStringLiteral("--password"), QStringLiteral("1234")}, input);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(QString::fromUtf8(result.err).count(QStringLiteral("消息: 重量值类型错误!")),
                 refused.size());
        for (const QByteArray& stream : {result.out, result.err}) {
            for (const char c : stream) {
                QVERIFY2(static_cast<unsigned char>(c) >= 0x20 || c == '\n',
                         stream.toPercentEncoding().constData());
            }
        }
        // The first weight the box could hold ships the trade; the one no rule covers stays waiting.
        const QStringList lines = result.lines;
        const QStringList expected{" : 输入非法数据!!.5", " : NOPE : 不存在!", " : [2JNOPE : 不存在!",
                                   "江苏\\x1B[2J省", "包裹:1.200kg"};
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i) {
            QVERIFY2(lines[i].contains(expected[i]), qPrintable(lines[i]));
        }
        QVERIFY(lines[4].endsWith(QStringLiteral("发货成功!")));
        QCOMPARE(m_shop.tradeColumn("TradeStatus").toInt(), 8);
        QCOMPARE(m_shop.tradeColumn("TradeStatus", 90002).toInt(), 5);
    }

private:
    Run run(QStringList arguments, const QByteArray& input,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const
    {
        return ToolRun::run("zelvo-station",
                            QStringList{QStringLiteral("--data-dir"), m_shop.demo.folder.path(),
                                        QStringLiteral("--user"), QStringLiteral("operator")} +
                                arguments,
                            input, environment);
    }

    QString m_tool = ToolRun::path("zelvo-station");
    StationShop m_shop;
};

QTEST_GUILESS_MAIN(TestStationToolInputs)
#include "TestStationToolInputs.moc"
