// zelvo-bench-export: times a full export of 100,000 records × 22 text columns of shop-like Chinese and
// ASCII texts to .xls and to .xlsx, 65,000 records to a sheet under a title row, and prints the time
// and the peak resident memory of each.
//
// Usage: zelvo-bench-export [folder] [records] [xls|xlsx]   (default: a temporary folder, 100000, both)

#include "query/export/WorkbookWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <time.h>

#include <array>

namespace {

constexpr int kColumns = 22;
constexpr int kRecordsPerSheet = 65000;

const std::array<QString, kColumns - 1> kTitles = {
    QStringLiteral("店铺"),     QStringLiteral("订单编号"), QStringLiteral("买家昵称"),
    QStringLiteral("收货人"),   QStringLiteral("手机"),     QStringLiteral("省"),
    QStringLiteral("市"),       QStringLiteral("收货地址"), QStringLiteral("快递公司"),
    QStringLiteral("运单号"),   QStringLiteral("商品"),     QStringLiteral("数量"),
    QStringLiteral("商品重量"), QStringLiteral("包裹重量"), QStringLiteral("重量差"),
    QStringLiteral("运费"),     QStringLiteral("发货员"),   QStringLiteral("发货时间"),
    QStringLiteral("备注"),     QStringLiteral("状态"),     QStringLiteral("仓库")};

const QStringList kShops = {QStringLiteral("青禾家居旗舰店"), QStringLiteral("小鹿童装"),
                            QStringLiteral("OLO数码专营"), QStringLiteral("山水茶舍"),
                            QStringLiteral("Mint&Co 美妆")};
const QStringList kSurnames = {QStringLiteral("王"), QStringLiteral("李"), QStringLiteral("张"),
                               QStringLiteral("刘"), QStringLiteral("陈"), QStringLiteral("杨"),
                               QStringLiteral("赵"), QStringLiteral("黄")};
const QStringList kGiven = {QStringLiteral("伟"),   QStringLiteral("芳"), QStringLiteral("娜"),
                            QStringLiteral("秀英"), QStringLiteral("敏"), QStringLiteral("静"),
                            QStringLiteral("丽"),   QStringLiteral("强"), QStringLiteral("磊"),
                            QStringLiteral("晓明")};
const QStringList kProvinces = {QStringLiteral("江苏省"), QStringLiteral("浙江省"), QStringLiteral("广东省"),
                                QStringLiteral("四川省"), QStringLiteral("山东省"), QStringLiteral("北京")};
const QStringList kCities = {QStringLiteral("南京市"), QStringLiteral("杭州市"), QStringLiteral("广州市"),
                             QStringLiteral("成都市"), QStringLiteral("济南市"), QStringLiteral("北京市")};
const QStringList kStreets = {QStringLiteral("中山路"), QStringLiteral("解放大道"),
                              QStringLiteral("人民南路"), QStringLiteral("建设西街"),
                              QStringLiteral("滨江路")};
const QStringList kExpress = {QStringLiteral("圆通速递"), QStringLiteral("中通快递"),
                              QStringLiteral("韵达快递"), QStringLiteral("顺丰速运"), QStringLiteral("EMS")};
const QStringList kGoods = {QStringLiteral("北欧风陶瓷马克杯 350ml 礼盒装"),
                            QStringLiteral("儿童纯棉短袖T恤 110cm"),
                            QStringLiteral("USB-C 快充数据线 1.5m 编织款"),
                            QStringLiteral("明前龙井 250g 罐装"), QStringLiteral("保湿修护面霜 50g")};
const QStringList kRemarks = {QString(),
                              QString(),
                              QString(),
                              QStringLiteral("请尽快发货，谢谢！"),
                              QStringLiteral("送人的，不要放发票"),
                              QStringLiteral("Please ship with care")};

QString pick(const QStringList& list, QRandomGenerator& random)
{
    return list.at(int(random.bounded(quint32(list.size()))));
}

QString weight(quint32 grams)
{
    return QString::number(grams / 1000.0, 'f', 3);
}

// One record as the query tab shows it: every value a text.
QList<WorkbookCell> record(int serial, QRandomGenerator& random)
{
    QList<WorkbookCell> cells;
    cells.reserve(kColumns);
    const auto add = [&cells](const QString& text) { cells.append({text, true}); };
    const quint32 goods = 200 + random.bounded(5000u);
    const quint32 packed = goods + random.bounded(300u);
    const int city = int(random.bounded(quint32(kCities.size())));
    add(QString::number(serial));
    add(pick(kShops, random));
    add(QStringLiteral("T%1").arg(2026120600000000LL + serial * 7LL + random.bounded(7u)));
    add(QStringLiteral("tb_%1%2").arg(pick(kGiven, random)).arg(random.bounded(100000u)));
    add(pick(kSurnames, random) + pick(kGiven, random));
    add(QStringLiteral("1%1").arg(3000000000LL + random.bounded(999999999u)));
    add(kProvinces.at(city));
    add(kCities.at(city));
    add(kProvinces.at(city) + kCities.at(city) + pick(kStreets, random) +
        QStringLiteral("%1号%2栋%3室")
            .arg(random.bounded(999u) + 1)
            .arg(random.bounded(30u) + 1)
            .arg(random.bounded(2000u) + 101));
    add(pick(kExpress, random));
    add(QStringLiteral("YT%1").arg(7000000000000LL + serial * 13LL));
    add(pick(kGoods, random));
    add(QString::number(random.bounded(5u) + 1));
    add(weight(goods));
    add(weight(packed));
    add(weight(packed - goods));
    add(QString::number(5 + random.bounded(20u)) + QStringLiteral(".00"));
    add(pick(kSurnames, random) + pick(kGiven, random));
    add(QStringLiteral("2026-12-%1 %2:%3:%4")
            .arg(random.bounded(28u) + 1, 2, 10, QLatin1Char('0'))
            .arg(random.bounded(24u), 2, 10, QLatin1Char('0'))
            .arg(random.bounded(60u), 2, 10, QLatin1Char('0'))
            .arg(random.bounded(60u), 2, 10, QLatin1Char('0')));
    add(pick(kRemarks, random));
    add(QStringLiteral("已发货"));
    add(QStringLiteral("一号仓"));
    return cells;
}

QList<WorkbookCell> titleRow()
{
    QList<WorkbookCell> cells = {{QStringLiteral("序号"), true}};
    for (const QString& title : kTitles) {
        cells.append({title, true});
    }
    return cells;
}

// The peak resident size of this process in kB, and a fresh start for the next measurement.
qint64 peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

// CPU time of this process in ms: on a busy machine a steadier figure than the elapsed time.
qint64 cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// Writes the records to path (or only makes them when path is empty); false with the reason.
bool run(const QString& path, int records, QString* error)
{
    QRandomGenerator random(20261206);
    std::unique_ptr<WorkbookWriter> writer = path.isEmpty() ? nullptr : makeWorkbookWriter(path);
    for (int i = 0; i < records; ++i) {
        if (i % kRecordsPerSheet == 0 && writer &&
            (!writer->addSheet(error) || !writer->writeRow(titleRow(), error))) {
            return false;
        }
        const QList<WorkbookCell> cells = record(i % kRecordsPerSheet + 1, random);
        if (writer && !writer->writeRow(cells, error)) {
            return false;
        }
    }
    return !writer || writer->finish(error);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir temp;
    const QString folder = args.size() > 1 ? args.at(1) : temp.path();
    const int records = args.size() > 2 ? args.at(2).toInt() : 100000;
    QTextStream out(stdout);

    out << "records: " << records << " x " << kColumns << " columns\n";
    out << "peak RSS before: " << peakKb() / 1024 << " MB\n";
    const QString only = args.value(3);
    for (const QString& name : {QString(), QStringLiteral("bench.xls"), QStringLiteral("bench.xlsx")}) {
        if (!only.isEmpty() && !name.endsWith(QLatin1Char('.') + only)) {
            continue;
        }
        resetPeak();
        const qint64 before = peakKb();
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuBefore = cpuMs();
        QString error;
        const QString path = name.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
        if (!run(path, records, &error)) {
            out << name << ": " << error << '\n';
            return 1;
        }
        const qint64 ms = timer.elapsed();
        const qint64 cpu = cpuMs() - cpuBefore;
        const qint64 peak = peakKb();
        out << (name.isEmpty() ? QStringLiteral("making the records only") : name) << ": " << ms
            << " ms (CPU " << cpu << " ms), peak RSS " << peak / 1024 << " MB (" << (peak - before) / 1024
            << " MB above the start)";
        if (!path.isEmpty()) {
            out << ", file " << QFileInfo(path).size() / 1024 << " kB";
        }
        out << '\n';
        out.flush();
    }
    return 0;
}
