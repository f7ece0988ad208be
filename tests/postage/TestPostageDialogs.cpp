#include "PostageTestDb.h"
#include "RecordingPrompter.h"
#include "TempDataFolder.h"
#include "postage/gui/PostageDialogs.h"
#include "postage/gui/TPostageRuleDlg.h"
#include "postage/gui/TPostageStyleDlg.h"
#include "postage/gui/TRuleDlg.h"
#include "postage/gui/TSndStyleDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

const QString kExpress = QStringLiteral("顺丰速运");

void click(QWidget* dialog, const char* button)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
}

QLineEdit* box(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLineEdit*>(name);
}

QTreeWidget* list(QWidget* dialog)
{
    return dialog->findChild<QTreeWidget*>("ListView1");
}

// A row of the dialog's list, its columns joined by '|'.
QString rowText(QWidget* dialog, int row)
{
    QStringList texts;
    const QTreeWidgetItem* item = list(dialog)->topLevelItem(row);
    for (int column = 0; item && column < item->columnCount(); ++column) {
        texts.append(item->text(column));
    }
    return texts.join('|');
}

QListWidgetItem* listItem(QWidget* dialog, const char* list, const QString& text)
{
    return dialog->findChild<QListWidget*>(list)->findItems(text, Qt::MatchExactly).value(0);
}

// Runs the action on the modal dialog of type T as soon as it is shown. The tests note what the
// dialogs show and compare it at the end: a dialog that never shows leaves its notes out.
template <typename T> void whenShown(std::function<void(T*)> action)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries = 0, action]() mutable {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog || ++tries > 300) {
            poll->stop();
            poll->deleteLater();
        }
        if (dialog) {
            action(dialog);
        }
    });
    poll->start(10);
}

} // namespace

class TestPostageDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void companyAddedThroughAllDialogs();
    void normalRuleListedChangedAndDeleted();
    void specialTwoRuleChangedFromTheList();
    void testParcelFindsItsRule_data();
    void testParcelFindsItsRule();
    void stylesTheCompanyHasAreRefused();
    void missingSelectionsAndDeleteAll();
    void closedDatabasesLeaveListsEmpty();

private:
    void create(QSqlDatabase& db, bool orderOpen)
    {
        m_dialogs = createPostageDialogs(
            db, m_prompter, [orderOpen] { return orderOpen; },
            [] {
                return QStringList{kExpress, QStringLiteral("圆通速递")};
            },
            nullptr);
    }

    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<PostageTestDb> m_db;
    RecordingPrompter m_prompter;
    PostageDialogs m_dialogs;
};

void TestPostageDialogs::init()
{
    m_folder = std::make_unique<TempDataFolder>();
    m_db = std::make_unique<PostageTestDb>(m_folder->file("Postage.db"));
    QVERIFY(m_db->isOpen());
    m_prompter = RecordingPrompter();
    create(m_db->db(), true);
}

void TestPostageDialogs::cleanup()
{
    delete m_dialogs.sndStyleDlg;
    delete m_dialogs.postageStyleDlg;
    delete m_dialogs.postageRuleDlg;
    delete m_dialogs.ruleDlg;
    m_dialogs = PostageDialogs();
    m_db.reset();
    m_folder.reset();
}

void TestPostageDialogs::companyAddedThroughAllDialogs()
{
    TSndStyleDlg* entry = m_dialogs.sndStyleDlg;
    entry->show();
    auto* combo = entry->findChild<QComboBox*>("ComboSndStyleAdd");
    QCOMPARE(combo->count(), 3);
    combo->setCurrentIndex(1);

    QStringList seen;
    whenShown<TPostageStyleDlg>([&](TPostageStyleDlg* style) {
        whenShown<TPostageRuleDlg>([&](TPostageRuleDlg* rules) {
            whenShown<TRuleDlg>([&](TRuleDlg* editor) {
                auto* pages = editor->findChild<QTabWidget*>("pgc1");
                seen << editor->windowTitle()
                     << QStringLiteral("pages %1%2%3")
                            .arg(pages->isTabVisible(0))
                            .arg(pages->isTabVisible(1))
                            .arg(pages->isTabVisible(2));
                listItem(editor, "CheckListBox4", "江苏省")->setCheckState(Qt::Checked);
                click(editor, "Button11");
                box(editor, "EditCity1")->setText("南京");
                box(editor, "EditAdr")->setText("大学城");
                for (const char* name : {"EditWE1_1", "EditWSC1_1", "EditSF1_1", "EditWAC1_1", "EditAF1_1"}) {
                    QTest::keyClicks(box(editor, name), "2000");
                }
                click(editor, "BtnRuleDecide");
            });
            click(rules, "BtnAdd");
            seen << rowText(rules, 0);
            click(rules, "BtnExit");
        });
        click(style, "BtnSpecial1");
        click(style, "BtnCancel");
    });
    click(entry, "BtnAdd");

    QCOMPARE(seen,
             QStringList({kExpress + "邮资规则!", "pages 010", "1|特殊1|江苏省;|南京;||大学城;|0~2000克"}));
    QCOMPARE(m_prompter.messages, QStringList{"操作成功!"});
    QCOMPARE(list(entry)->topLevelItemCount(), 1);
    QCOMPARE(rowText(entry, 0), "1|特殊1|" + kExpress);
}

void TestPostageDialogs::normalRuleListedChangedAndDeleted()
{
    QVERIFY(m_db->save(ruleDraft(kExpress, "普通", {"江苏省", "浙江省"})));
    QVERIFY(m_db->save(ruleDraft(kExpress, "特殊1", {"江苏省"}, "南京", "", "大学城")));
    TSndStyleDlg* entry = m_dialogs.sndStyleDlg;
    entry->show();
    QCOMPARE(list(entry)->topLevelItemCount(), 2);
    list(entry)->setCurrentItem(list(entry)->findItems("普通", Qt::MatchExactly, 1).first());

    QStringList seen;
    whenShown<TPostageRuleDlg>([&](TPostageRuleDlg* rules) {
        // A normal rule has no city, county or address columns.
        seen << rowText(rules, 0)
             << QStringLiteral("hidden %1%2")
                    .arg(list(rules)->isColumnHidden(3))
                    .arg(list(rules)->isColumnHidden(5));
        list(rules)->setCurrentItem(list(rules)->topLevelItem(0));
        whenShown<TRuleDlg>([&](TRuleDlg* editor) {
            seen << box(editor, "EditProvince")->text() << box(editor, "EditWE2")->text();
            for (const char* province : {"江苏省", "浙江省"}) {
                seen << QString::number(listItem(editor, "CheckListBox2", province)->checkState());
            }
            click(editor, "BtnRuleCance");
        });
        click(rules, "BtnUpdate");
        list(rules)->setCurrentItem(list(rules)->topLevelItem(0));
        click(rules, "BtnDelete");
        seen << QString::number(list(rules)->topLevelItemCount());
        click(rules, "BtnExit");
    });
    click(entry, "BtnDetail");

    QCOMPARE(seen, QStringList({"1|普通|江苏省;浙江省;||||0~3000克", "hidden 11", "江苏省;浙江省;", "3000",
                                QString::number(Qt::Checked), QString::number(Qt::Checked), "0"}));
    QCOMPARE(m_prompter.questions, QStringList{"删除所选定的规则?"});
    QCOMPARE(m_db->count("select count(*) from rule"), 0);
    QCOMPARE(m_db->count("select count(*) from rule1"), 2);
    // The normal pair left with its last rule; the special-1 pair stays.
    QCOMPARE(list(entry)->topLevelItemCount(), 1);
    QCOMPARE(rowText(entry, 0), "1|特殊1|" + kExpress);
}

void TestPostageDialogs::specialTwoRuleChangedFromTheList()
{
    QVERIFY(m_db->save(ruleDraft(kExpress, "特殊2", {"江苏省"}, "南京")));
    TPostageRuleDlg* rules = m_dialogs.postageRuleDlg;
    rules->setRuleOwner(kExpress, "特殊2");
    rules->FillRuleList();
    rules->show();
    QVERIFY(QTest::qWaitForWindowExposed(rules));
    QCOMPARE(rules->windowTitle(), kExpress + "邮资规则");
    QCOMPARE(rowText(rules, 0), QStringLiteral("1|特殊2|江苏省;|南京;|||0~3000克"));
    QVERIFY(!list(rules)->isColumnHidden(5));

    QStringList seen;
    whenShown<TRuleDlg>([&](TRuleDlg* editor) {
        seen << box(editor, "EditUpdatecity2")->text();
        box(editor, "EditTown2")->setText("江宁");
        click(editor, "BtnRuleDecide");
    });
    // An item view takes a double click only after the press that starts it.
    const QPoint itemCentre = list(rules)->visualItemRect(list(rules)->topLevelItem(0)).center();
    QTest::mousePress(list(rules)->viewport(), Qt::LeftButton, {}, itemCentre);
    QTest::mouseDClick(list(rules)->viewport(), Qt::LeftButton, {}, itemCentre);
    QCOMPARE(seen, QStringList{"南京;"});
    QVERIFY(m_prompter.questions.isEmpty());
    QCOMPARE(rowText(rules, 0), QStringLiteral("1|特殊2|江苏省;|南京;|江宁;||0~3000克"));
    QCOMPARE(m_db->rows("select Typle, Town from rule2"), QStringList(2, "3|江宁;"));
}

void TestPostageDialogs::testParcelFindsItsRule_data()
{
    QTest::addColumn<QString>("province");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("selectedCity"); // the City column of the selected rule; empty: none
    QTest::addColumn<QString>("result");       // a pattern over the text under the parcel
    const auto row = [](const char* tag, const char* province, const char* city, const char* weight,
                        const char* selectedCity, const char* result) {
        QTest::newRow(tag) << QString::fromUtf8(province) << QString::fromUtf8(city)
                           << QString::fromUtf8(weight) << QString::fromUtf8(selectedCity)
                           << QString::fromUtf8(result);
    };
    row("rule of this list", "江苏省", "苏州市", "1500", "苏州;",
        "^特殊2规则 第7步\\(省\\+市\\) 规则号\\S+\n省份含“江苏省” 市含“苏州”\n重量1500克 在区间1000~3000克\n"
        "首重1000克8元 \\+ 1×续重1000克1.5元 = 9.5元$");
    row("other city of the list", "江苏省", "南京市", "800", "南京;", "首重1000克8元 = 8元$");
    row("priced by another table", "浙江省", "杭州市", "800", "",
        "^此包裹不按本列表的规则计费:\n普通规则 第8步");
    row("no rule", "安徽省", "合肥市", "1500", "", "^未设置顺丰速运1.5KG安徽省地区的邮资规则!$");
    row("weight not whole grams", "江苏省", "苏州市", "1.5", "", "^重量必须是整数克数$");
}

void TestPostageDialogs::testParcelFindsItsRule()
{
    QFETCH(QString, province);
    QFETCH(QString, city);
    QFETCH(QString, weight);
    QFETCH(QString, selectedCity);
    QFETCH(QString, result);
    const QDateTime saved = QDateTime::currentDateTime();
    QVERIFY(m_db->save(ruleDraft(kExpress, "特殊2", {"江苏省"}, "南京"), saved));
    QVERIFY(m_db->save(ruleDraft(kExpress, "特殊2", {"江苏省"}, "苏州"), saved.addSecs(1)));
    QVERIFY(m_db->save(ruleDraft(kExpress, "普通", {"浙江省"}), saved.addSecs(2)));
    TPostageRuleDlg* rules = m_dialogs.postageRuleDlg;
    rules->setRuleOwner(kExpress, "特殊2");
    rules->FillRuleList();
    rules->show();
    QVERIFY(QTest::qWaitForWindowExposed(rules));
    // A selection left from an earlier parcel must not stand for this one.
    list(rules)->setCurrentItem(list(rules)->topLevelItem(0));

    box(rules, "EditTestProvince")->setText(province);
    box(rules, "EditTestCity")->setText(city);
    box(rules, "EditTestWeight")->setText(weight);
    click(rules, "BtnTestParcel");
    const QTreeWidgetItem* selected = list(rules)->currentItem();
    QCOMPARE(selected ? selected->text(3) : QString(), selectedCity);
    const QString shown = rules->findChild<QLabel*>("LabelTestResult")->text();
    QVERIFY2(QRegularExpression(result).match(shown).hasMatch(), qPrintable(shown));
    QVERIFY(m_prompter.messages.isEmpty());
}

void TestPostageDialogs::stylesTheCompanyHasAreRefused()
{
    QVERIFY(m_db->exec("insert into SndStyle_Form (SndStyle, Style) values ('顺丰速运', 1), ('顺丰速运', 2), "
                       "('顺丰速运', 3)"));
    TSndStyleDlg* entry = m_dialogs.sndStyleDlg;
    entry->show();
    entry->findChild<QComboBox*>("ComboSndStyleAdd")->setCurrentIndex(1);
    click(entry, "BtnAdd");
    QCOMPARE(m_prompter.messages, QStringList{kExpress + "所有类型规则已存在请重新选择!"});

    QVERIFY(m_db->exec("delete from SndStyle_Form where Style = 2"));
    m_prompter.messages.clear();
    QStringList seen;
    whenShown<TPostageStyleDlg>([&](TPostageStyleDlg* style) {
        click(style, "BtnCommon");
        click(style, "BtnSpecial1");
        whenShown<TPostageRuleDlg>([&](TPostageRuleDlg* rules) {
            seen << box(rules, "EditSndTyple")->text();
            click(rules, "BtnExit");
        });
        click(style, "BtnSpecial2");
        click(style, "BtnCancel");
    });
    click(entry, "BtnAdd");
    QCOMPARE(m_prompter.messages,
             QStringList({kExpress + "普通规则已存在请重新选择!", kExpress + "特殊规则1已存在请重新选择!"}));
    QCOMPARE(seen, QStringList{"特殊2"});
}

void TestPostageDialogs::missingSelectionsAndDeleteAll()
{
    QVERIFY(m_db->save(ruleDraft(kExpress, "普通", {"江苏省", "浙江省"})));
    QVERIFY(m_db->save(ruleDraft("圆通速递", "普通", {"江苏省"})));
    TSndStyleDlg* entry = m_dialogs.sndStyleDlg;
    entry->show();
    QCOMPARE(list(entry)->topLevelItemCount(), 2);

    // Nothing chosen: each button says what is missing and changes nothing.
    for (const char* button : {"BtnAdd", "BtnCancel", "BtnDetail"}) {
        click(entry, button);
    }
    TPostageRuleDlg* rules = m_dialogs.postageRuleDlg;
    rules->setRuleOwner(kExpress, "普通");
    rules->FillRuleList();
    rules->show();
    click(rules, "BtnUpdate");
    click(rules, "BtnDelete");
    rules->hide();
    QCOMPARE(m_prompter.messages, QStringList({"请选择物流方式!", "请选择要删除的规则!", "请选择规则!",
                                               "请选择规则!", "请选择规则!"}));
    QCOMPARE(m_db->count("select count(*) from rule"), 6);

    // Deleting every rule of a pair asks first.
    QTreeWidgetItem* pair = list(entry)->findItems(kExpress, Qt::MatchExactly, 2).first();
    m_prompter.answers = {false};
    list(entry)->setCurrentItem(pair);
    click(entry, "BtnCancel");
    QCOMPARE(m_db->count("select count(*) from rule"), 6);
    list(entry)->setCurrentItem(pair);
    click(entry, "BtnCancel");
    QCOMPARE(m_prompter.questions, QStringList(2, "删除所选定的物流方式所有规则?"));
    QCOMPARE(m_db->count("select count(*) from rule where Express = ?", {kExpress}), 0);
    QCOMPARE(m_db->count("select count(*) from rule"), 2);
    QCOMPARE(list(entry)->topLevelItemCount(), 1);
    QCOMPARE(rowText(entry, 0), QStringLiteral("1|普通|圆通速递"));
}

void TestPostageDialogs::closedDatabasesLeaveListsEmpty()
{
    QVERIFY(m_db->save(ruleDraft(kExpress, "普通", {"江苏省"})));
    cleanup();
    SqlConnection closed(QStringLiteral("QSQLITE"), QStringLiteral("never-opened"));
    create(closed.db(), false);
    TSndStyleDlg* entry = m_dialogs.sndStyleDlg;
    entry->show();
    QCOMPARE(entry->findChild<QComboBox*>("ComboSndStyleAdd")->count(), 0);
    QCOMPARE(list(entry)->topLevelItemCount(), 0);
    m_dialogs.postageRuleDlg->setRuleOwner(kExpress, "普通");
    m_dialogs.postageRuleDlg->FillRuleList();
    QCOMPARE(list(m_dialogs.postageRuleDlg)->topLevelItemCount(), 0);
    QVERIFY(m_prompter.messages.isEmpty());
    cleanup();
}

QTEST_MAIN(TestPostageDialogs)
#include "TestPostageDialogs.moc"
