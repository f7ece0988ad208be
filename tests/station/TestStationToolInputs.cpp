// zelvo-station's inputs: where the password comes from, which weights it takes, and what its
// output may hold.
#include "TempDataFolder.h"

#include "store/SqlConnection.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QStringList lines() const { return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

} // namespace

class TestStationToolInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void passwordSources_data();
    void passwordSources();
    void weightsKeepToTheWeightBox();
    void controlCharactersAreNotPrinted();

private:
    Run run(const QStringList& arguments, const QByteArray& input = {},
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const;
    QStringList dataDirAndUser() const
    {
        return {QStringLiteral("--data-dir"), m_folder.path(), QStringLiteral("--user"),
                QStringLiteral("operator")};
    }
    QString waybillReadyToShip() const;
    int tradeStatus(const QString& waybill) const;

    QString m_tool;
    TempDataFolder m_folder;
};

Run TestStationToolInputs::run(const QStringList& arguments, const QByteArray& input,
                               const QProcessEnvironment& environment) const
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(m_tool, arguments);
    process.write(input);
    process.closeWriteChannel();
    Run result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestStationToolInputs::initTestCase()
{
    m_tool = qEnvironmentVariable("ZELVO_TOOLS_DIR") + QStringLiteral("/zelvo-station");
    if (!QFileInfo(m_tool).isExecutable()) {
        QSKIP("zelvo-station is not built");
    }
    const Run first = run(
        dataDirAndUser() + QStringList{QStringLiteral("--password"), QStringLiteral("1234")}, "1.5 NOPE\n");
    QVERIFY2(first.exitCode == 1 && first.lines().size() == 1, first.out + first.err);
}

QString TestStationToolInputs::waybillReadyToShip() const
{
    SqlConnection order(QStringLiteral("QSQLITE"), QStringLiteral("inputs-order"));
    QString error;
    if (!openSqliteFile(order, m_folder.file(QStringLiteral("zelvo-demo.db")), &error)) {
        qFatal("%s", qPrintable(error));
    }
    QSqlQuery query(order.db());
    if (!query.exec(QStringLiteral(
            "select PostID from G_Trade_TradeList t where TradeStatus = 5 and PostID is not null and not "
            "exists (select 1 from G_Trade_GoodsList l left join G_Stock_Spec s on s.GoodsID = l.GoodsID "
            "and s.SpecID = l.SpecID where l.TradeID = t.TradeID and ifnull(s.Stock, 0) < l.SellCount) "
            "order by TradeID limit 1")) ||
        !query.next()) {
        qFatal("no trade to ship: %s", qPrintable(query.lastError().text()));
    }
    return query.value(0).toString();
}

int TestStationToolInputs::tradeStatus(const QString& waybill) const
{
    SqlConnection order(QStringLiteral("QSQLITE"), QStringLiteral("inputs-status"));
    QString error;
    if (!openSqliteFile(order, m_folder.file(QStringLiteral("zelvo-demo.db")), &error)) {
        qFatal("%s", qPrintable(error));
    }
    QSqlQuery query(order.db());
    query.prepare(QStringLiteral("select TradeStatus from G_Trade_TradeList where PostID = ?"));
    query.addBindValue(waybill);
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}

void TestStationToolInputs::passwordSources_data()
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

void TestStationToolInputs::passwordSources()
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
    QStringList arguments = dataDirAndUser();
    QTemporaryFile passwordFile;
    if (!file.isNull()) {
        QVERIFY(passwordFile.open());
        passwordFile.write(file);
        passwordFile.close();
        arguments << QStringLiteral("--password-file") << passwordFile.fileName();
    }
    if (!option.isNull()) {
        arguments << QStringLiteral("--password") << option;
    }
    const Run result = run(arguments, "1.5 NOPE\n", environment);
    QVERIFY2(result.exitCode == exitCode, result.out + result.err);
    if (exitCode == 1) {
        QVERIFY2(result.lines().constLast().endsWith(QStringLiteral(" : NOPE : 不存在!")), result.out);
    }
}

void TestStationToolInputs::weightsKeepToTheWeightBox()
{
    const QString waybill = waybillReadyToShip();
    const QStringList refused = {QStringLiteral("1e1"),     QStringLiteral("+1"),  QStringLiteral("-1"),
                                 QStringLiteral("1.23456"), QStringLiteral("1,2"), QStringLiteral("0x1"),
                                 QStringLiteral("１.2")};
    QByteArray input;
    for (const QString& weight : refused) {
        input += (weight + QLatin1Char(' ') + waybill + QLatin1Char('\n')).toUtf8();
    }
    // The box's keys type ".5" and its change check warns; the tool warns alike.
    input += (QStringLiteral(".5 NOPE\n1.2 ") + waybill + QLatin1Char('\n')).toUtf8();
    const Run result =
        run(dataDirAndUser() + QStringList{QStringLiteral("--password"), QStringLiteral("1234")}, input);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err).count(QStringLiteral("消息: 重量值类型错误!")), refused.size());
    const QStringList lines = result.lines();
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(0).endsWith(QStringLiteral(" : 输入非法数据!!.5")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).endsWith(QStringLiteral(" : NOPE : 不存在!")), qPrintable(lines.at(1)));
    // The first weight the box could hold ships the trade.
    QVERIFY2(lines.at(2).contains(QStringLiteral("包裹:1.200kg")) &&
                 lines.at(2).endsWith(QStringLiteral("发货成功!")),
             qPrintable(lines.at(2)));
    QCOMPARE(tradeStatus(waybill), 8);
}

void TestStationToolInputs::controlCharactersAreNotPrinted()
{
    // A scan with an escape sequence and a bell, and a trade whose province holds one: the line
    // that says no postage rule covers it repeats the province.
    const QString waybill = waybillReadyToShip();
    {
        SqlConnection order(QStringLiteral("QSQLITE"), QStringLiteral("inputs-province"));
        QString error;
        QVERIFY2(openSqliteFile(order, m_folder.file(QStringLiteral("zelvo-demo.db")), &error),
                 qPrintable(error));
        QSqlQuery query(order.db());
        query.prepare(QStringLiteral("update G_Trade_TradeList set Province = ? where PostID = ?"));
        query.addBindValue(QStringLiteral("江苏\u001B[2J省"));
        query.addBindValue(waybill);
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    }
    const Run result =
        run(dataDirAndUser() + QStringList{QStringLiteral("--password"), QStringLiteral("1234")},
            "1.5 \x1b[2JNO\x07PE\n1.5 " + waybill.toUtf8() + "\n");
    QCOMPARE(result.exitCode, 1);
    for (const QByteArray& stream : {result.out, result.err}) {
        for (const char c : stream) {
            QVERIFY2(static_cast<unsigned char>(c) >= 0x20 || c == '\n',
                     stream.toPercentEncoding().constData());
        }
    }
    const QStringList lines = result.lines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).endsWith(QStringLiteral(" : [2JNOPE : 不存在!")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).contains(QStringLiteral("江苏\\x1B[2J省")), qPrintable(lines.at(1)));
    QCOMPARE(tradeStatus(waybill), 5);
}

QTEST_GUILESS_MAIN(TestStationToolInputs)
#include "TestStationToolInputs.moc"
