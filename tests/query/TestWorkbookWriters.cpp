// Workbooks written by the export are read back by readers this project did not write: libfreexl and
// xlrd for .xls, Python's zipfile and XML parser for .xlsx.

#include "query/export/WorkbookWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <freexl.h>

#include <csignal>
#include <sys/resource.h>

using Sheet = QList<QList<WorkbookCell>>;
using Book = QList<Sheet>;
Q_DECLARE_METATYPE(Book)

namespace {

// A cell as a reader sees it: null for an empty cell, else "s:<text>" or "n:<number>".
using SeenSheet = QList<QStringList>;
using SeenBook = QList<SeenSheet>;

struct Seen
{
    SeenBook book;
    QList<QMap<int, double>> widths; // per sheet: column -> width in digits, where set
};

// The largest stream the header's 109 allocation table sectors map; beyond it the table needs
// extension sectors.
constexpr qint64 kHeaderMappedBytes = 109LL * 128 * 512;

WorkbookCell text(const QString& value)
{
    return {value, true};
}

WorkbookCell number(const QString& value)
{
    return {value, false};
}

QString seenNumber(double value)
{
    return QStringLiteral("n:") + QString::number(value, 'g', 15);
}

// What a reader should find: rows and cells as written, trailing empty ones dropped.
SeenBook expectedOf(const Book& book)
{
    SeenBook seen;
    for (const Sheet& sheet : book) {
        SeenSheet rows;
        for (const QList<WorkbookCell>& row : sheet) {
            QStringList cells;
            for (const WorkbookCell& cell : row) {
                if (cell.text.isEmpty()) {
                    cells << QString();
                } else if (cell.isText) {
                    cells << QStringLiteral("s:") + cell.text;
                } else {
                    cells << seenNumber(cell.text.toDouble());
                }
            }
            rows << cells;
        }
        seen << rows;
    }
    return seen;
}

void trim(SeenBook& book)
{
    for (SeenSheet& sheet : book) {
        for (QStringList& row : sheet) {
            while (!row.isEmpty() && row.last().isNull()) {
                row.removeLast();
            }
        }
        while (!sheet.isEmpty() && sheet.last().isEmpty()) {
            sheet.removeLast();
        }
    }
}

bool readWithFreexl(const QString& path, SeenBook* book, QString* problem)
{
    const void* handle = nullptr;
    const auto close = qScopeGuard([&handle]() { freexl_close(handle); });
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        *problem = QStringLiteral("freexl cannot open the file");
        return false;
    }
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    for (unsigned short s = 0; s < sheets; ++s) {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle, s) != FREEXL_OK ||
            freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
            *problem = QStringLiteral("freexl cannot read sheet %1").arg(s);
            return false;
        }
        SeenSheet sheet;
        for (unsigned int r = 0; r < rows; ++r) {
            QStringList row;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK) {
                    *problem = QStringLiteral("freexl cannot read cell %1,%2").arg(r).arg(c);
                    return false;
                }
                switch (value.type) {
                case FREEXL_CELL_NULL:
                    row << QString();
                    break;
                case FREEXL_CELL_INT:
                    row << seenNumber(value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    row << seenNumber(value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    row << QStringLiteral("s:") + QString::fromUtf8(value.value.text_value);
                    break;
                default:
                    row << QStringLiteral("?:") + QString::fromUtf8(value.value.text_value);
                }
            }
            sheet << row;
        }
        *book << sheet;
    }
    return true;
}

// Prints {"sheets": [{"rows": [[cell...]...], "widths": {col: width}}], "warnings": text}; a cell is
// null or [kind, value].
const char* const kPythonReader = R"PY(
import json, re, sys, zipfile
import xml.etree.ElementTree as ET

path, kind = sys.argv[1], sys.argv[2]
sheets = []
warnings = ''
if kind == 'xls':
    import xlrd

    class Log:
        text = ''

        def write(self, text):
            Log.text += text

    book = xlrd.open_workbook(path, formatting_info=True, logfile=Log())
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    row.append(['s', cell.value])
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    row.append(['n', cell.value])
                elif cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    row.append(None)
                else:
                    row.append(['?', str(cell.value)])
            rows.append(row)
        widths = {str(c): info.width / 256.0 for c, info in sheet.colinfo_map.items()}
        sheets.append({'rows': rows, 'widths': widths})
    warnings = Log.text
else:
    m = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
    r_id = '{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id'
    archive = zipfile.ZipFile(path)
    broken = archive.testzip()
    if broken:
        warnings += 'bad member ' + broken
    targets = {rel.get('Id'): rel.get('Target')
               for rel in ET.fromstring(archive.read('xl/_rels/workbook.xml.rels'))}
    shared = []
    if 'xl/sharedStrings.xml' in archive.namelist():
        for si in ET.fromstring(archive.read('xl/sharedStrings.xml')):
            shared.append(''.join(t.text or '' for t in si.iter(m + 't')))
    unescape = lambda s: re.sub('_x([0-9A-Fa-f]{4})_', lambda g: chr(int(g.group(1), 16)), s)
    for entry in ET.fromstring(archive.read('xl/workbook.xml')).find(m + 'sheets'):
        root = ET.fromstring(archive.read('xl/' + targets[entry.get(r_id)]))
        rows = []
        for row in root.find(m + 'sheetData'):
            index = int(row.get('r')) - 1
            while len(rows) <= index:
                rows.append([])
            cells = rows[index]
            for cell in row:
                letters = re.match('[A-Z]+', cell.get('r')).group(0)
                column = 0
                for letter in letters:
                    column = column * 26 + ord(letter) - 64
                column -= 1
                kind = cell.get('t')
                if kind == 'inlineStr':
                    value = ['s', unescape(''.join(t.text or '' for t in cell.iter(m + 't')))]
                elif kind == 's':
                    value = ['s', unescape(shared[int(cell.find(m + 'v').text)])]
                elif cell.find(m + 'v') is not None:
                    value = ['n', float(cell.find(m + 'v').text)]
                else:
                    value = None
                while len(cells) <= column:
                    cells.append(None)
                cells[column] = value
        widths = {}
        cols = root.find(m + 'cols')
        if cols is not None:
            for col in cols:
                for c in range(int(col.get('min')) - 1, int(col.get('max'))):
                    widths[str(c)] = float(col.get('width'))
        sheets.append({'rows': rows, 'widths': widths})
json.dump({'sheets': sheets, 'warnings': warnings}, sys.stdout)
)PY";

QString python()
{
    // The distribution's interpreter: xlrd is installed for it.
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

bool readWithPython(const QString& path, const QString& format, Seen* seen, QString* problem)
{
    QProcess reader;
    reader.start(python(), {QStringLiteral("-c"), QString::fromUtf8(kPythonReader), path, format});
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0) {
        *problem = QString::fromUtf8(reader.readAllStandardError());
        return false;
    }
    const QJsonObject root = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    if (!root.value(QStringLiteral("warnings")).toString().isEmpty()) {
        *problem = QStringLiteral("reader warnings: ") + root.value(QStringLiteral("warnings")).toString();
        return false;
    }
    for (const QJsonValue& sheetValue : root.value(QStringLiteral("sheets")).toArray()) {
        const QJsonObject sheet = sheetValue.toObject();
        SeenSheet rows;
        for (const QJsonValue& rowValue : sheet.value(QStringLiteral("rows")).toArray()) {
            QStringList cells;
            for (const QJsonValue& cell : rowValue.toArray()) {
                const QJsonArray pair = cell.toArray();
                if (cell.isNull()) {
                    cells << QString();
                } else if (pair.at(0).toString() == QLatin1String("n")) {
                    cells << seenNumber(pair.at(1).toDouble());
                } else {
                    cells << pair.at(0).toString() + QLatin1Char(':') + pair.at(1).toString();
                }
            }
            rows << cells;
        }
        seen->book << rows;
        QMap<int, double> widths;
        const QJsonObject widthObject = sheet.value(QStringLiteral("widths")).toObject();
        for (auto it = widthObject.begin(); it != widthObject.end(); ++it) {
            widths.insert(it.key().toInt(), it.value().toDouble());
        }
        seen->widths << widths;
    }
    return true;
}

bool write(const QString& path, const Book& book, QString* error)
{
    const std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
    for (const Sheet& sheet : book) {
        if (!writer->addSheet(error)) {
            return false;
        }
        for (const QList<WorkbookCell>& row : sheet) {
            if (!writer->writeRow(row, error)) {
                return false;
            }
        }
    }
    return writer->finish(error);
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Folder permissions alone do not stop root: the immutable attribute does, where the file system has it.
void setWritable(const QString& folder, bool writable)
{
    QProcess chattr;
    chattr.setStandardErrorFile(QProcess::nullDevice());
    chattr.start(QStringLiteral("chattr"), {writable ? QStringLiteral("-i") : QStringLiteral("+i"), folder});
    chattr.waitForFinished(10000);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                      (writable ? QFile::WriteOwner : QFile::Permissions()));
}

// Writes that make a file larger than the limit fail as on a full disk, instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

QString repeated(const QString& unit, int length)
{
    return unit.repeated(length / unit.size() + 1).left(length);
}

// Texts of many lengths and both widths, so that text boundaries fall everywhere in the table's
// records.
Book manyTexts()
{
    Sheet sheet;
    const QStringList shops = {QStringLiteral("青禾家居"), QStringLiteral("OLO"), QStringLiteral("山水茶舍")};
    for (int r = 0; r < 3000; ++r) {
        QList<WorkbookCell> row;
        for (int c = 0; c < 7; ++c) {
            const int length = (r * 7 + c) * 37 % 41;
            const QString stem =
                (r + c) % 3 == 0 ? QStringLiteral("订单%1-%2 ") : QStringLiteral("trade %1-%2 ");
            row << text(stem.arg(r).arg(c) +
                        repeated(c % 2 ? QStringLiteral("备注") : QStringLiteral("x"), length));
        }
        row << text(shops.at(r % shops.size())); // the same few texts again and again
        sheet << row;
    }
    return {sheet};
}

// The export's split: 65000 records under a title row on the first sheet, the rest on the next.
Book twoFullSheets()
{
    const QList<WorkbookCell> title = {text(QStringLiteral("序号")),   text(QStringLiteral("订单编号")),
                                       text(QStringLiteral("收货人")), text(QStringLiteral("地址")),
                                       text(QStringLiteral("运单号")), text(QStringLiteral("重量")),
                                       text(QStringLiteral("运费")),   text(QStringLiteral("发货时间"))};
    Book book;
    for (int record = 0; record < 65001; ++record) {
        const int serial = record % 65000;
        if (serial == 0) {
            book << Sheet{title};
        }
        book.last() << QList<WorkbookCell>{
            text(QString::number(serial + 1)),
            text(QStringLiteral("T20261206%1").arg(record, 8, 10, QLatin1Char('0'))),
            text(QStringLiteral("王") + QString::number(record % 97)),
            text(QStringLiteral("江苏省南京市中山路%1号").arg(record)),
            text(QStringLiteral("YT%1").arg(7000000000LL + record)),
            number(QString::number(record % 5000 / 1000.0)),
            number(QString::number(5 + record % 20)),
            text(QStringLiteral("2026-12-06 18:%1").arg(record % 60, 2, 10, QLatin1Char('0')))};
    }
    return book;
}

} // namespace

class TestWorkbookWriters : public QObject
{
    Q_OBJECT

private slots:
    void readBack_data();
    void readBack();
    void columnWidths_data();
    void columnWidths();
    void failedWrite_data();
    void failedWrite();
    void replacesOnlyWhenComplete_data();
    void replacesOnlyWhenComplete();
};

void TestWorkbookWriters::readBack_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<Book>("book");
    QTest::addColumn<Book>("expected"); // as read back; empty: as written
    // libfreexl reads a text over two records at most; Excel and xlrd read any.
    QTest::addColumn<bool>("freexl");

    const Book mixed = {{
        {text(QStringLiteral("序号")), text(QStringLiteral("订单编号")), text(QStringLiteral("收货地址")),
         text(QStringLiteral("重量")), text(QStringLiteral("备注"))},
        {text(QStringLiteral("1")), text(QStringLiteral("T2026120600000001")),
         text(QStringLiteral("江苏省南京市中山路1号")), number(QStringLiteral("1.25")), text(QString())},
        {text(QStringLiteral("00123")), text(QStringLiteral("café ÿ")), text(QStringLiteral("𠀀𠀁 扩展字")),
         number(QStringLiteral("-3")), text(QStringLiteral(" 前后空格 "))},
        {text(QString()), text(QString())},
        {text(QString()), text(QString()), text(QString()), text(QString()), text(QStringLiteral("末列"))},
        {text(QStringLiteral("a\x01"
                             "b\tc")),
         number(QStringLiteral("0")), number(QStringLiteral("n/a")), number(QStringLiteral("0.1")),
         number(QStringLiteral("inf")), number(QStringLiteral("nan"))},
    }};
    Book mixedSeen = mixed;
    // A numeric cell without a number a cell can hold stays its text.
    mixedSeen[0][5][2] = text(QStringLiteral("n/a"));
    mixedSeen[0][5][4] = text(QStringLiteral("inf"));
    mixedSeen[0][5][5] = text(QStringLiteral("nan"));

    // The table starts with "abc" and a text that leaves five bytes of the first record: the next
    // text's header and first character fill it exactly; the one after leaves four bytes, too few
    // for the last one's header and first character.
    const Book twoRecords = {{
        {text(QStringLiteral("abc")), text(repeated(QStringLiteral("0123456789"), 8202))},
        {text(repeated(QStringLiteral("运单"), 3000))},
        {text(repeated(QStringLiteral("发货备注"), 1109))},
        {text(repeated(QStringLiteral("收货人"), 100))},
    }};
    const QString cut = repeated(QStringLiteral("长文字ab"), 40000);
    const Book manyRecords = {{
        {text(repeated(QStringLiteral("0123456789"), 20000)), text(repeated(QStringLiteral("x中"), 20001))},
        {text(cut)},
    }};
    Book manySeen = manyRecords;
    manySeen[0][1][0] = text(cut.left(32767)); // the most a cell holds

    const Book emptySheetFirst = {{}, {{text(QStringLiteral("第二页"))}}};

    for (const QString& format : {QStringLiteral("xls"), QStringLiteral("xlsx")}) {
        const auto row = [&format](const char* name) -> QTestData& {
            return QTest::addRow("%s %s", qPrintable(format), name) << format;
        };
        row("Chinese and ASCII texts, empty and numeric cells") << mixed << mixedSeen << true;
        row("texts across two records") << twoRecords << Book() << true;
        row("texts across many records, one cut") << manyRecords << manySeen << false;
        row("many distinct texts") << manyTexts() << Book() << true;
        row("65001 rows over two sheets") << twoFullSheets() << Book() << true;
        row("a sheet without rows before one with") << emptySheetFirst << Book() << true;
        row("no sheet added: one empty sheet") << Book() << Book{Sheet()} << true;
    }
}

void TestWorkbookWriters::readBack()
{
    QFETCH(QString, format);
    QFETCH(Book, book);
    QFETCH(Book, expected);
    QFETCH(bool, freexl);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("导出.") + format);
    QString error;
    QVERIFY2(write(path, book, &error), qPrintable(error));
    QCOMPARE(folderEntries(folder.path()), QStringList{QFileInfo(path).fileName()});

    SeenBook want = expectedOf(expected.isEmpty() ? book : expected);
    trim(want);
    Seen seen;
    QString problem;
    QVERIFY2(readWithPython(path, format, &seen, &problem), qPrintable(problem));
    trim(seen.book);
    QCOMPARE(seen.book.size(), want.size());
    for (int s = 0; s < want.size(); ++s) {
        QCOMPARE(seen.book.at(s), want.at(s));
    }
    if (format == QLatin1String("xls") && freexl) {
        SeenBook freexlBook;
        QVERIFY2(readWithFreexl(path, &freexlBook, &problem), qPrintable(problem));
        trim(freexlBook);
        QCOMPARE(freexlBook, want);
        if (book.size() == 2 && book.at(0).size() == 65001) {
            // This one also needs allocation table sectors beyond those the header lists.
            QVERIFY(QFileInfo(path).size() > kHeaderMappedBytes);
        }
    }
}

void TestWorkbookWriters::columnWidths_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("xls") << QStringLiteral("xls");
    QTest::newRow("xlsx") << QStringLiteral("xlsx");
}

// Columns fit their widest text, wide characters taking two digits' room; an overlong text gives a
// wide column, not a broken one.
void TestWorkbookWriters::columnWidths()
{
    QFETCH(QString, format);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("widths.") + format);
    const Book book = {{
        {text(QStringLiteral("ab")), text(QStringLiteral("abcdefghij")), text(QStringLiteral("中文中文中文")),
         text(QString()), text(repeated(QStringLiteral("很长的地址"), 500))},
        {text(QStringLiteral("a")), text(QStringLiteral("abc")), text(QStringLiteral("中"))},
    }};
    QString error;
    QVERIFY2(write(path, book, &error), qPrintable(error));
    Seen seen;
    QString problem;
    QVERIFY2(readWithPython(path, format, &seen, &problem), qPrintable(problem));
    const QMap<int, double> widths = seen.widths.value(0);
    QVERIFY2(widths.value(0) >= 2 && widths.value(0) < widths.value(1), qPrintable(format));
    QVERIFY(widths.value(1) >= 10 && widths.value(1) < widths.value(2));
    QVERIFY(widths.value(2) >= 12);
    QVERIFY(!widths.contains(3));
    QVERIFY(widths.value(4) > widths.value(2) && widths.value(4) <= 255);
}

void TestWorkbookWriters::failedWrite_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("fault");

    for (const QString& format : {QStringLiteral("xls"), QStringLiteral("xlsx")}) {
        for (const char* fault :
             {"missing folder", "read-only folder", "disk full while rows come", "disk full while finishing",
              "name taken by a folder", "given up before finishing"}) {
            QTest::addRow("%s %s", qPrintable(format), fault) << format << QString::fromLatin1(fault);
        }
    }
    // The older format's sheets end at row 65536; a row beyond would overwrite the first.
    QTest::newRow("xls a row beyond a sheet's last")
        << QStringLiteral("xls") << QStringLiteral("row beyond the last");
}

// A write that does not complete reports why, in the program's words, and leaves the folder as it
// was: no part file, and a file already under the name unchanged.
void TestWorkbookWriters::failedWrite()
{
    QFETCH(QString, format);
    QFETCH(QString, fault);
    QTemporaryDir temp;
    const QString folder = temp.filePath(QStringLiteral("exports"));
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("/记录.") + format;
    const QByteArray old = "an earlier export";
    if (fault == QLatin1String("missing folder")) {
        path = folder + QStringLiteral("/gone/记录.") + format;
    } else if (fault == QLatin1String("name taken by a folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    const QStringList before = folderEntries(folder);

    const auto writable = qScopeGuard([&folder]() { setWritable(folder, true); });
    if (fault == QLatin1String("read-only folder")) {
        setWritable(folder, false);
        if (QFile(folder + QStringLiteral("/probe")).open(QIODevice::WriteOnly)) {
            QFile::remove(folder + QStringLiteral("/probe"));
            QSKIP("this user writes in any folder and the file system has no immutable attribute");
        }
    }
    std::unique_ptr<FileSizeLimit> limit;
    if (fault == QLatin1String("disk full while rows come")) {
        limit = std::make_unique<FileSizeLimit>(64 * 1024);
    }

    QString error;
    bool written = true;
    int rowsWritten = 0;
    {
        const std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
        written = writer->addSheet(&error);
        const int rows = fault == QLatin1String("row beyond the last") ? 65537 : 20000;
        for (int r = 0; written && r < rows; ++r) {
            written = writer->writeRow({text(QStringLiteral("订单%1").arg(r)),
                                        text(QStringLiteral("T%1").arg(r * 7)), number(QString::number(r))},
                                       &error);
            rowsWritten += written ? 1 : 0;
        }
        if (fault == QLatin1String("disk full while finishing")) {
            limit = std::make_unique<FileSizeLimit>(64 * 1024);
        }
        if (written && fault != QLatin1String("given up before finishing")) {
            written = writer->finish(&error);
        }
    }
    limit.reset();
    setWritable(folder, true);

    if (fault == QLatin1String("given up before finishing")) {
        QVERIFY2(written, qPrintable(error));
    } else {
        QVERIFY(!written);
        QVERIFY2(error.startsWith(QStringLiteral("无法写入文件:") + path + QStringLiteral(" (")),
                 qPrintable(error));
    }
    if (fault == QLatin1String("row beyond the last")) {
        QCOMPARE(rowsWritten, 65536);
    }
    QCOMPARE(folderEntries(folder), before);
    if (before.contains(QFileInfo(path).fileName()) && QFileInfo(path).isFile()) {
        QCOMPARE(contents(path), old);
    }
}

void TestWorkbookWriters::replacesOnlyWhenComplete_data()
{
    columnWidths_data();
}

// An earlier export under the chosen name is replaced by the new workbook once it is complete.
void TestWorkbookWriters::replacesOnlyWhenComplete()
{
    QFETCH(QString, format);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("default.") + format);
    QString error;
    QVERIFY2(write(path, {{{text(QStringLiteral("旧"))}}}, &error), qPrintable(error));
    const Book book = {{{text(QStringLiteral("新")), number(QStringLiteral("2"))}}};
    {
        const std::unique_ptr<WorkbookWriter> writer = makeWorkbookWriter(path);
        QVERIFY(writer->addSheet(&error));
        QVERIFY(writer->writeRow(book.at(0).at(0), &error));
        Seen meanwhile;
        QString problem;
        QVERIFY2(readWithPython(path, format, &meanwhile, &problem), qPrintable(problem));
        QCOMPARE(meanwhile.book, SeenBook{{{QStringLiteral("s:旧")}}});
        QVERIFY2(writer->finish(&error), qPrintable(error));
    }
    Seen seen;
    QString problem;
    QVERIFY2(readWithPython(path, format, &seen, &problem), qPrintable(problem));
    trim(seen.book);
    QCOMPARE(seen.book, expectedOf(book));
    QCOMPARE(folderEntries(folder.path()), QStringList{QFileInfo(path).fileName()});
}

QTEST_GUILESS_MAIN(TestWorkbookWriters)
#include "TestWorkbookWriters.moc"
