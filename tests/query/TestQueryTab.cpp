// The query tab through its controls: a search on the worker thread and its pages, the weight
// boxes, the sort, the detail dialog with a hidden column, and a change of the settings.
#include "DemoFolder.h"
#include "QueryShop.h"
#include "WorkbookReader.h"

#include "app/gui/PanelStatusBar.h"
#include "query/gui/QueryTab.h"
#include "query/gui/TDataDetailDlg.h"
#include "query/gui/TFormProgress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

void runLogin(QSqlDatabase& db, const char* sql)
{
    QSqlQuery query(db);
    if (!query.exec(QString::fromUtf8(sql))) {
        qFatal("login.db: %s", sql);
    }
}

// Pages of three rows, the customer's nick (list column 3) hidden.
void threeRowsNoNick(QSqlDatabase& db)
{
    runLogin(db, "update Initialization set DefaultPageSize = 3");
    runLogin(db, "update ListView1Conf set Sel = 0 where ColIndex = 2");
}

} // namespace

class TestQueryTab : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DemoFolder> m_demo;
    std::unique_ptr<QueryTab> m_tab;

    template <typename T> T* control(const char* name)
    {
        return m_tab->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidget* list() { return control<QTreeWidget>("ListView1"); }
    QStringList column(int index)
    {
        QStringList texts;
        for (int row = 0; row < list()->topLevelItemCount(); ++row) {
            texts << list()->topLevelItem(row)->text(index);
        }
        return texts;
    }
    void search()
    {
        QTest::mouseClick(control<QPushButton>("ButtonSearch"), Qt::LeftButton);
        m_tab->waitUntilIdle();
    }

private slots:
    void init()
    {
        m_demo = std::make_unique<DemoFolder>(threeRowsNoNick);
        m_demo->logIn();
        QueryShop::addCustomers(m_demo->orderDb());
        QueryShop::addMany(m_demo->orderDb(), 900001, 7, QStringLiteral("2031-06-02"));
        m_tab = std::make_unique<QueryTab>(*m_demo->session);
        m_tab->fillFromOrderDatabase();
        control<QDateEdit>("DateTimePickerFrom")->setDate(QDate(2031, 6, 1));
        control<QDateEdit>("DateTimePickerTo")->setDate(QDate(2031, 6, 30));
        m_tab->show();
    }

    void cleanup()
    {
        m_tab.reset();
        m_demo.reset();
    }

    void searchAndPages()
    {
        auto* searchButton = control<QPushButton>("ButtonSearch");
        auto* down = control<QPushButton>("ButtonDown");
        auto* up = control<QPushButton>("ButtonUp");
        QTest::mouseClick(searchButton, Qt::LeftButton);
        // The buttons wait for the worker.
        QVERIFY(m_tab->busy());
        QVERIFY(!searchButton->isEnabled());
        m_tab->waitUntilIdle();
        QVERIFY(searchButton->isEnabled());
        QCOMPARE(column(0), (QStringList{"1", "2", "3", "合计"}));
        QCOMPARE(column(1), (QStringList{"900001", "900002", "900003", " "}));
        QVERIFY(list()->isColumnHidden(3));
        QCOMPARE(m_tab->statusBar()->panelText(0), QStringLiteral("第1至3 条记录"));
        QCOMPARE(
            m_tab->statusBar()->panelText(1),
            QStringLiteral(
                "商品重量合计:6克 包裹重量合计:306克 重量差合计:300克 邮资合计:4.5元  共查询到7 条记录"));
        QVERIFY(down->isEnabled());
        QVERIFY(!up->isEnabled());

        QTest::mouseClick(down, Qt::LeftButton);
        m_tab->waitUntilIdle();
        QCOMPARE(column(0), (QStringList{"4", "5", "6", "合计"}));
        QVERIFY(up->isEnabled() && down->isEnabled());
        QTest::mouseClick(down, Qt::LeftButton);
        m_tab->waitUntilIdle();
        QCOMPARE(column(1), (QStringList{"900007", " "}));
        QCOMPARE(m_tab->statusBar()->panelText(0), QStringLiteral("第7至7 条记录"));
        QVERIFY(!down->isEnabled());
        QTest::mouseClick(up, Qt::LeftButton);
        m_tab->waitUntilIdle();
        QCOMPARE(column(0), (QStringList{"4", "5", "6", "合计"}));
        QVERIFY(m_demo->prompter.messages.isEmpty());

        // A refused search leaves an empty list and says why.
        auto* weightType = control<QComboBox>("WeightTypel");
        weightType->setCurrentIndex(1);
        QTest::keyClicks(control<QLineEdit>("EditWFrom"), "800");
        QTest::keyClicks(control<QLineEdit>("EditWTo"), "5a00");
        QCOMPARE(control<QLineEdit>("EditWTo")->text(), QStringLiteral("500"));
        search();
        QCOMPARE(m_demo->prompter.messages, QStringList{"起始重量必须小于终止中重量!"});
        QCOMPARE(list()->topLevelItemCount(), 0);
        QVERIFY(!down->isEnabled() && !up->isEnabled());
    }

    void weightBoxes()
    {
        auto* from = control<QLineEdit>("EditWFrom");
        QVERIFY(!from->isEnabled());
        control<QComboBox>("WeightTypel")->setCurrentIndex(3);
        QVERIFY(from->isEnabled());
        QTest::keyClicks(from, "0");
        QCOMPARE(from->text(), QStringLiteral("0"));
        QVERIFY(m_demo->prompter.messages.isEmpty());
        QTest::keyClicks(from, "0");
        QCOMPARE(from->text(), QString());
        QCOMPARE(m_demo->prompter.messages, QStringList{"请输入大于0 的数!"});
        control<QComboBox>("WeightTypel")->setCurrentIndex(0);
        QVERIFY(!from->isEnabled());
    }

    void sortAndDetail()
    {
        search();
        // Away from the rows with no row focused.
        list()->setCurrentItem(nullptr);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                           QPoint(20, list()->viewport()->height() - 5));
        QCOMPARE(m_demo->prompter.messages, QStringList{"请选择记录!"});
        QHeaderView* header = list()->header();
        const auto clickTitle = [&](int index) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(index) + 5, header->height() / 2));
        };
        clickTitle(1);
        QCOMPARE(column(1), (QStringList{"900003", "900002", "900001", " "}));
        clickTitle(1);
        QCOMPARE(column(1), (QStringList{" ", "900001", "900002", "900003"}));
        clickTitle(20);
        QCOMPARE(column(20), (QStringList{"4.5", "1.5", "1.5", "1.5"}));

        QTreeWidgetItem* row = list()->topLevelItem(1);
        list()->setCurrentItem(row);
        QStringList fields;
        QTimer::singleShot(0, this, [&] {
            TDataDetailDlg& dialog = m_tab->detailDialog();
            for (int field = 0; field <= 22; ++field) {
                fields << dialog.fieldText(field);
            }
            dialog.accept();
        });
        const QRect place = list()->visualItemRect(row);
        const QPoint at(place.left() + 20, place.center().y());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(fields.size(), 23);
        QCOMPARE(fields.at(0), row->text(0));
        QCOMPARE(fields.at(1), row->text(1));
        QCOMPARE(fields.at(3), QStringLiteral("此项数据未显示！"));
        QCOMPARE(fields.at(11), QStringLiteral("王芳"));
        QCOMPARE(fields.at(20), QStringLiteral("1.5"));
    }

    void settingsChangeSearchesAgain()
    {
        search();
        QSqlDatabase& login = m_demo->loginDb();
        runLogin(login, "update Initialization set DefaultPageSize = 5");
        runLogin(login, "update ListView1Conf set Sel = 0 where ColIndex = 19");
        emit m_demo->session->settings().changed();
        m_tab->waitUntilIdle();
        // The new columns and sums at once, on pages of the old size; the new size for the next search.
        QCOMPARE(column(0), (QStringList{"1", "2", "3", "合计"}));
        QVERIFY(list()->isColumnHidden(20));
        QCOMPARE(m_tab->statusBar()->panelText(1),
                 QStringLiteral("商品重量合计:6克 包裹重量合计:306克 重量差合计:300克  共查询到7 条记录"));
        QCOMPARE(control<QLineEdit>("Edit7")->text(), QStringLiteral("5"));
        search();
        QCOMPARE(list()->topLevelItemCount(), 6);

        // The fuzzy box is kept, and keeps the list as it is.
        QTest::mouseClick(control<QCheckBox>("Chkfuzzy"), Qt::LeftButton);
        StationSettings::Options options;
        QVERIFY(m_demo->session->settings().read(&options, nullptr));
        QVERIFY(options.fuzzy);
        QVERIFY(!m_tab->busy());
        QCOMPARE(list()->topLevelItemCount(), 6);
    }

    void exports()
    {
        auto* exportPage = control<QPushButton>("ButtonExportPage");
        auto* exportAll = control<QPushButton>("ButtonExport");
        QString chosen;
        m_tab->setFileChooser([&chosen] { return chosen; });
        QTest::mouseClick(exportPage, Qt::LeftButton);
        QTest::mouseClick(exportAll, Qt::LeftButton);
        QCOMPARE(m_demo->prompter.messages, (QStringList{"共查询到0条记录!", "共查询到0条记录!"}));
        m_demo->prompter.messages.clear();

        search();
        // A cancelled save dialog: nothing written, nothing said.
        QTest::mouseClick(exportPage, Qt::LeftButton);
        QVERIFY(!m_tab->busy());
        QVERIFY(m_demo->prompter.messages.isEmpty());

        chosen = m_demo->folder.file(QStringLiteral("page.xls"));
        QTest::mouseClick(exportPage, Qt::LeftButton);
        QVERIFY(m_tab->progressWindow().isVisible());
        QCOMPARE(m_tab->progressWindow().maximum(), 4);
        m_tab->waitUntilIdle();
        QVERIFY(!m_tab->progressWindow().isVisible());
        QCOMPARE(m_demo->prompter.messages, QStringList{"共导出3条记录!"});
        QJsonArray sheets = readWorkbook(chosen);
        QCOMPARE(sheets.at(0).toObject().value("nrows").toInt(), 5);
        QCOMPARE(rowTexts(sheets, 0, 0).mid(0, 4), (QStringList{"序号", "交易ID", "订单编号", "收件人姓名"}));

        chosen = m_demo->folder.file(QStringLiteral("all.xlsx"));
        QTest::mouseClick(exportAll, Qt::LeftButton);
        m_tab->waitUntilIdle();
        QCOMPARE(m_demo->prompter.messages.last(), QStringLiteral("共导出7条记录!"));
        sheets = readWorkbook(chosen);
        QCOMPARE(sheets.at(0).toObject().value("nrows").toInt(), 9);
        QCOMPARE(rowTexts(sheets, 0, 7).mid(0, 2), (QStringList{"7", "900007"}));
        QCOMPARE(rowTexts(sheets, 0, 8).at(0), QStringLiteral("合计"));
    }
};

QTEST_MAIN(TestQueryTab)
#include "TestQueryTab.moc"
