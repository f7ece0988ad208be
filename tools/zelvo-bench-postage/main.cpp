// zelvo-bench-postage: times one postage calculation (the eight-step search, its companion statement and
// the fee) against a Postage.db holding 10,000 rule rows over 20 express companies.

#include "base/Prompter.h"
#include "base/ReportSink.h"
#include "base/Transaction.h"
#include "postage/PostageCalculation.h"
#include "postage/PostageCharge.h"
#include "postage/PostageRegions.h"
#include "postage/PostageTables.h"
#include "postage/PostageText.h"
#include "store/SqlConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVariant>

#include <time.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kCompanies = 20;
constexpr int kRowsPerCompany = 500;
constexpr int kBrackets = 6;
constexpr std::array<qint64, kBrackets> kEnds = {1000, 3000, 5000, 10000, 20000, 30000};

struct Discard : ReportSink, Prompter
{
    void reportResult(const QString&, bool) override {}
    void reportAbnormal(const QString&) override {}
    void reportOverweight(const QString&) override {}
    void inform(const QString&) override {}
    bool ask(const QString&) override { return false; }
};

QString company(int index)
{
    return QStringLiteral("快递%1").arg(index + 1, 2, 10, QLatin1Char('0'));
}

// A city of each province as the rule lists hold it (without "市").
QString cityOf(int province)
{
    return QStringLiteral("城%1").arg(province);
}

const QStringList& towns()
{
    static const QStringList list = {QStringLiteral("江宁"), QStringLiteral("鼓楼"), QStringLiteral("城关"),
                                     QStringLiteral("新城"), QStringLiteral("高新"), QStringLiteral("开发")};
    return list;
}

class Filler
{
public:
    explicit Filler(QSqlDatabase& db)
        : m_normal(db)
        , m_special1(db)
        , m_special2(db)
    {
        m_normal.prepare(
            QStringLiteral("insert into rule (Express, Province, RuleIndex, StartWeight, EndWeight, "
                           "BeginChargeWeight, BeginChargeFee, DetaWeight, DetaFee) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        m_special1.prepare(
            QStringLiteral("insert into rule1 (Express, Province, City, Town, Typle, Adr, RuleIndex, "
                           "StartWeight, EndWeight, BeginChargeWeight, BeginChargeFee, DetaWeight, "
                           "DetaFee) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        m_special2.prepare(
            QStringLiteral("insert into rule2 (Express, Province, City, Town, Typle, RuleIndex, "
                           "StartWeight, EndWeight, BeginChargeWeight, BeginChargeFee, DetaWeight, "
                           "DetaFee) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    }

    // Writes a rule of up to six brackets; returns the rows written or -1.
    int add(QSqlQuery& query, const QVariantList& region, int brackets, double firstFee)
    {
        const QString ruleIndex = QStringLiteral("2014-01-06-%1").arg(++m_serial, 8, 10, QLatin1Char('0'));
        qint64 start = 0;
        for (int b = 0; b < brackets; ++b) {
            for (const QVariant& value : region) {
                query.addBindValue(value);
            }
            query.addBindValue(ruleIndex);
            query.addBindValue(start);
            query.addBindValue(kEnds[b]);
            query.addBindValue(1000);
            query.addBindValue(firstFee);
            query.addBindValue(1000);
            query.addBindValue(2.0);
            if (!query.exec()) {
                QTextStream(stderr) << query.lastError().text() << Qt::endl;
                return -1;
            }
            start = kEnds[b];
        }
        return brackets;
    }

    bool fillCompany(const QString& express)
    {
        const QStringList& provinces = PostageRegions::provinces();
        const QVariant null(QMetaType::fromType<QString>());
        int rows = 0;
        for (const QString& province : provinces) {
            rows += add(m_normal, {express, province}, kBrackets, 10);
        }
        // Special 2: a city, a county, or both, of one province each.
        for (int r = 0; r < 25; ++r) {
            const int p = (r * 7) % provinces.size();
            const int typle = r % 3 + 1;
            const QVariant city = typle == 2 ? null : QVariant(cityOf(p) + QLatin1Char(';'));
            const QVariant town =
                typle == 1 ? null : QVariant(towns().at(r % towns().size()) + QLatin1Char(';'));
            rows += add(m_special2, {express, provinces.at(p) + QLatin1Char(';'), city, town, typle},
                        kBrackets, 8);
        }
        // Special 1: address keywords at every level, until the company has its 500 rows.
        for (int r = 0; rows < kRowsPerCompany; ++r) {
            const int p = (r * 11) % provinces.size();
            const int typle = r % 4 + 1;
            const QVariant city = (typle == 2 || typle == 4) ? QVariant(cityOf(p) + QLatin1Char(';')) : null;
            const QVariant town = (typle == 3 || typle == 4)
                                      ? QVariant(towns().at(r % towns().size()) + QLatin1Char(';'))
                                      : null;
            const QString adr = r % 2 ? QStringLiteral("大学;学院;") : QStringLiteral("开发区;工业园;");
            const int brackets = std::min(kBrackets, kRowsPerCompany - rows);
            rows += add(m_special1, {express, provinces.at(p) + QLatin1Char(';'), city, town, typle, adr},
                        brackets, 12);
        }
        return rows == kRowsPerCompany;
    }

private:
    QSqlQuery m_normal;
    QSqlQuery m_special1;
    QSqlQuery m_special2;
    int m_serial = 0;
};

// A destination as an order system stores it: municipalities with "市", cities and counties with
// their suffix.
PostageTrade randomTrade(QRandomGenerator& random)
{
    const QStringList& provinces = PostageRegions::provinces();
    const int p = random.bounded(int(provinces.size()));
    QString province = provinces.at(p);
    if (!province.endsWith(QStringLiteral("省")) && !province.contains(QStringLiteral("自治区")) &&
        !province.contains(QStringLiteral("行政区"))) {
        province += QStringLiteral("市");
    }
    const QString city = (random.bounded(2) ? cityOf(p) : QStringLiteral("远郊")) + QStringLiteral("市");
    const QString town = towns().at(random.bounded(int(towns().size()))) + QStringLiteral("区");
    static const QStringList addresses = {QStringLiteral("文苑路1号南京大学"),
                                          QStringLiteral("科技园开发区8栋"), QStringLiteral("人民路100号"),
                                          QStringLiteral("幸福小区3-201")};
    return PostageTrade{company(random.bounded(kCompanies)), province, city, town,
                        addresses.at(random.bounded(int(addresses.size())))};
}

// The CPU time of this thread: unlike the wall clock it does not grow when other processes hold
// the processor.
qint64 threadCpuNanos()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double percentile(std::vector<qint64> sorted, double p)
{
    return sorted.empty()
               ? 0
               : sorted.at(std::min(sorted.size() - 1, size_t(p * double(sorted.size())))) / 1000.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20000;

    QTemporaryDir dir;
    SqlConnection connection(QStringLiteral("QSQLITE"), QStringLiteral("bench-postage"));
    QString error;
    if (!dir.isValid() || !openSqliteFile(connection, dir.filePath(QStringLiteral("Postage.db")), &error) ||
        !createPostageTables(connection.db(), &error)) {
        QTextStream(stderr) << "Postage.db: " << error << Qt::endl;
        return 2;
    }
    {
        Transaction transaction(connection.db());
        Filler filler(connection.db());
        for (int c = 0; c < kCompanies; ++c) {
            if (!filler.fillCompany(company(c))) {
                return 2;
            }
        }
        if (!transaction.commit()) {
            return 2;
        }
    }
    QSqlQuery count(connection.db());
    count.exec(QStringLiteral("select (select count(*) from rule) + (select count(*) from rule1) + "
                              "(select count(*) from rule2)"));
    count.next();
    const int rows = count.value(0).toInt();

    QTextStream out(stdout);
    out << "rule rows: " << rows << " over " << kCompanies << " companies" << Qt::endl
        << "calculations per run: " << iterations << Qt::endl;

    Discard discard;
    PostageRuleFinder finder(connection.db());
    // Statements prepared for each calculation alone, as CalculatePostage(db, …) does; kept in a
    // finder from one calculation to the next; kept, but only the search and the fee without the
    // explanation of what priced the parcel; and kept with the explanation put into words as the
    // station shows it. The last three tell what the explanation costs.
    enum Mode
    {
        PerCalculation,
        KeptWithoutExplanation,
        Kept,
        KeptAndWorded
    };
    qsizetype words = 0;
    for (const Mode mode : {PerCalculation, KeptWithoutExplanation, Kept, KeptAndWorded}) {
        const auto calculate = [&](const PostageTrade& trade, int weight) {
            if (mode == KeptWithoutExplanation) {
                PostageCharge charge;
                PostageRuleMatch match;
                if (finder.find(trade, weight, &match, &error) && match.found) {
                    charge.fee = PostageFee(weight, match).value_or(-1);
                }
                return charge;
            }
            if (mode == PerCalculation) {
                return CalculatePostage(connection.db(), trade, weight, QString(), discard, discard);
            }
            PostageCharge charge = CalculatePostage(finder, trade, weight, QString(), discard, discard);
            if (mode == KeptAndWorded) {
                words += charge.explanation.text().size();
            }
            return charge;
        };
        QRandomGenerator random(20140106);
        for (int i = 0; i < 500; ++i) { // warm the page cache
            calculate(randomTrade(random), 1 + random.bounded(30000));
        }
        std::vector<qint64> nanos;
        std::vector<qint64> cpuNanos;
        nanos.reserve(iterations);
        cpuNanos.reserve(iterations);
        std::array<int, 9> steps{};
        QElapsedTimer timer;
        for (int i = 0; i < iterations; ++i) {
            const PostageTrade trade = randomTrade(random);
            const int weight = 1 + random.bounded(30000);
            const qint64 cpuStart = threadCpuNanos();
            timer.start();
            const PostageCharge charge = calculate(trade, weight);
            nanos.push_back(timer.nsecsElapsed());
            cpuNanos.push_back(threadCpuNanos() - cpuStart);
            PostageRuleMatch match;
            if (charge.fee >= 0 && finder.find(trade, weight, &match, &error) && match.found) {
                ++steps[match.step];
            } else {
                ++steps[0];
            }
        }
        std::sort(nanos.begin(), nanos.end());
        std::sort(cpuNanos.begin(), cpuNanos.end());
        double total = 0;
        for (const qint64 n : nanos) {
            total += double(n);
        }
        const char* const titles[] = {
            "statements prepared per calculation:",
            "statements kept, search and fee without the explanation:",
            "statements kept in a PostageRuleFinder:", "statements kept, the explanation put into words:"};
        out << titles[mode] << Qt::endl
            << "  wall clock: median " << percentile(nanos, 0.5) << " us, mean "
            << total / double(nanos.size()) / 1000.0 << " us, p90 " << percentile(nanos, 0.9) << " us, p99 "
            << percentile(nanos, 0.99) << " us, max " << nanos.back() / 1000.0 << " us" << Qt::endl
            << "  thread CPU: median " << percentile(cpuNanos, 0.5) << " us, p90 "
            << percentile(cpuNanos, 0.9) << " us, p99 " << percentile(cpuNanos, 0.99) << " us" << Qt::endl
            << "  matched by step (0 = no rule):";
        for (int step = 0; step <= 8; ++step) {
            out << ' ' << step << '=' << steps[step];
        }
        out << Qt::endl;
    }
    // The warm-up calculations are worded too.
    out << "explanation in words: " << double(words) / (iterations + 500) << " characters per calculation"
        << Qt::endl;
    return 0;
}
