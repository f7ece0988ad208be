#include "PostageTestDb.h"
#include "RecordingPrompter.h"
#include "TempDataFolder.h"
#include "postage/RuleBook.h"
#include "postage/gui/TRuleDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {
const QString kExpress = QStringLiteral("顺丰速运");
// A normal rule saved long ago for 江苏省.
const RuleRow kOldRule{"rule", kExpress, "江苏省", {}, {}, 0, {}, "2013-01-01-00-00-00"};

// The three pages of the editor: normal, special 1, special 2.
const char* const kStyles[] = {"普通", "特殊1", "特殊2"};
const char* const kSuffixes[] = {"", "1_", "2_"};
const char* const kProvinceBoxes[] = {"EditProvince", "EditProvince1", "EditProvince2"};
const char* const kPanels[] = {"Panel1", "Panel2", "Panel3"};
const char* const kRegionLists[] = {"CheckListBox1", "CheckListBox3", "CheckListBox5"};
const char* const kProvinceLists[] = {"CheckListBox2", "CheckListBox4", "CheckListBox6"};
const char* const kPanelOks[] = {"Button1", "Button11", "BtnOk"};
const QStringList kRow = {"1000", "1000", "8", "500", "2"};
} // namespace

class TestRuleDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void bracketBoxes_data();
    void bracketBoxes();
    void labelsRegionsAndCityBox();
    void provincePanel_data();
    void provincePanel();

    void normalSaveForThreeProvincesWithOneDeclined();
    void specialLevels_data();
    void specialLevels();
    void refusedInputKeepsWindowAndWritesNothing_data();
    void refusedInputKeepsWindowAndWritesNothing();
    void changingSpecialRule();
    void failedWriteLeavesOldRule();
    void savesInOneSecondGetTheirOwnRuleIndex();

private:
    QLineEdit* box(const QString& name) { return m_dlg->findChild<QLineEdit*>(name); }
    QString label(const QString& name) { return m_dlg->findChild<QLabel*>(name)->text(); }
    QListWidgetItem* listItem(const QString& list, const QString& text)
    {
        return m_dlg->findChild<QListWidget*>(list)->findItems(text, Qt::MatchExactly).value(0);
    }
    void click(const QString& button)
    {
        QTest::mouseClick(m_dlg->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void fillRow(int page, int row, const QStringList& values)
    {
        const QStringList names = {"EditWE", "EditWSC", "EditSF", "EditWAC", "EditAF"};
        for (int i = 0; i < names.size(); ++i) {
            box(names.at(i) + kSuffixes[page] + QString::number(row))->setText(values.at(i));
        }
    }
    void chooseProvinces(int page, const QStringList& provinces)
    {
        for (const QString& province : provinces) {
            listItem(kProvinceLists[page], province)->setCheckState(Qt::Checked);
        }
        click(kPanelOks[page]);
    }
    int rowsWritten()
    {
        return m_db->count("select (select count(*) from rule) + (select count(*) from rule1) + "
                           "(select count(*) from rule2) + (select count(*) from SndStyle_Form)");
    }

    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<PostageTestDb> m_db;
    RecordingPrompter m_prompter;
    std::unique_ptr<TRuleDlg> m_dlg;
};

void TestRuleDlg::init()
{
    m_dlg.reset();
    m_db.reset();
    m_folder = std::make_unique<TempDataFolder>();
    m_db = std::make_unique<PostageTestDb>(m_folder->file("Postage.db"));
    QVERIFY(m_db->isOpen());
    m_prompter = RecordingPrompter();
    m_dlg = std::make_unique<TRuleDlg>(m_db->db(), m_prompter);
    m_dlg->show();
}

void TestRuleDlg::bracketBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    const auto row = [](const char* tag, const char* name, const char* input, bool pasted, const char* text,
                        const char* message = nullptr) {
        QTest::newRow(tag) << QString(name) << QString(input) << pasted << QString(text)
                           << (message ? QStringList{QString::fromUtf8(message)} : QStringList());
    };
    const char* zero = "请输入大于0的数!";
    row("weight takes digits only", "EditWE1", "a1b2.3", false, "123");
    row("weight at most six", "EditWSC2_4", "1234567", false, "123456");
    row("end weight 0 emptied", "EditWE1_2", "0", false, "", zero);
    row("first weight 0 emptied", "EditWSC5", "0", false, "", zero);
    row("step weight 0 emptied", "EditWAC2_9", "0", false, "", zero);
    row("typed 05 loses its 0", "EditWE3", "05", false, "5", zero);
    row("pasted 05 is kept", "EditWE3", "05", true, "05");
    row("paste of letters refused", "EditWAC1", "12ab", true, "");
    row("fee takes one point", "EditSF1", "1.2.5x", false, "1.25");
    row("fee may not start with the point", "EditAF1_1", ".5", false, "5", "首位数字不能为'.'!");
    row("pasted fee with two points refused", "EditAF2", "1.2.3", true, "");
}

void TestRuleDlg::bracketBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, input);
    QFETCH(bool, pasted);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    QLineEdit* edit = box(name);
    QVERIFY(edit);
    if (pasted) {
        edit->insert(input);
    } else {
        QTest::keyClicks(edit, input);
    }
    QCOMPARE(edit->text(), text);
    QCOMPARE(m_prompter.messages, messages);
}

void TestRuleDlg::labelsRegionsAndCityBox()
{
    // A row's start label follows the end weight of the row above, on every page.
    QTest::keyClicks(box("EditWE1"), "1000");
    QCOMPARE(label("LabelWS2"), QStringLiteral("1000克~"));
    QTest::keyClicks(box("EditWE1_8"), "500");
    QCOMPARE(label("LabelWS1_9"), QStringLiteral("500克~"));

    // Regions check their provinces; unchecking one leaves the provinces of another checked region.
    listItem("CheckListBox1", "江浙沪")->setCheckState(Qt::Checked);
    listItem("CheckListBox1", "华东")->setCheckState(Qt::Checked);
    listItem("CheckListBox2", "北京")->setCheckState(Qt::Checked);
    click("Button1");
    QCOMPARE(box("EditProvince")->text(), QStringLiteral("北京;上海;江苏省;浙江省;安徽省;江西省;"));
    listItem("CheckListBox1", "华东")->setCheckState(Qt::Unchecked);
    click("Button1");
    QCOMPARE(box("EditProvince")->text(), QStringLiteral("北京;"));
    QCOMPARE(listItem("CheckListBox1", "江浙沪")->checkState(), Qt::Checked);
    click("Button6"); // invert
    click("Button1");
    QCOMPARE(box("EditProvince")->text().count(';'), 33);
    click("Button5"); // none
    click("Button1");
    QCOMPARE(box("EditProvince")->text(), QString());
    // The other pages keep their own lists.
    listItem("CheckListBox5", "港澳台")->setCheckState(Qt::Checked);
    click("BtnOk");
    QCOMPARE(box("EditProvince2")->text(), QStringLiteral("台湾省;香港特别行政区;澳门特别行政区;"));

    // A city or county wants its province first.
    box("EditCity1")->setText("南京");
    QTest::mouseClick(box("EditCity1"), Qt::LeftButton);
    QCOMPARE(box("EditCity1")->text(), QString());
    QCOMPARE(m_prompter.messages, QStringList{"省份不能为空，请选择省份!"});
    box("EditTown2")->setText("江宁");
    QTest::mouseClick(box("EditTown2"), Qt::LeftButton);
    QCOMPARE(box("EditTown2")->text(), QStringLiteral("江宁"));
}

void TestRuleDlg::provincePanel_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QKeySequence>("key"); // empty: a click
    QTest::newRow("click") << 1 << QKeySequence();
    QTest::newRow("space") << 0 << QKeySequence(Qt::Key_Space);
    QTest::newRow("enter") << 1 << QKeySequence(Qt::Key_Return);
    QTest::newRow("F4") << 2 << QKeySequence(Qt::Key_F4);
    QTest::newRow("alt+down") << 0 << QKeySequence(Qt::AltModifier | Qt::Key_Down);
}

void TestRuleDlg::provincePanel()
{
    QFETCH(int, page);
    QFETCH(QKeySequence, key);
    QLineEdit* provinces = box(kProvinceBoxes[page]);
    m_dlg->showOnlyPage(PostageStyle::fromName(kStyles[page]));
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    QTest::qWait(20);
    const QSize before = m_dlg->size();
    provinces->setFocus();
    if (key.isEmpty()) {
        QTest::mouseClick(provinces, Qt::LeftButton);
    } else {
        QTest::keySequence(provinces, key);
    }
    // The panel opens in place of the brackets: the window keeps its size and its buttons.
    QVERIFY(m_dlg->findChild<QWidget*>(kPanels[page])->isVisible());
    QTest::qWait(20);
    QCOMPARE(m_dlg->size(), before);
    QVERIFY(m_dlg->findChild<QPushButton*>("BtnRuleDecide")->isVisible());
    // The panel takes the focus; Space ticks the first region, its OK button takes the choice back.
    QCOMPARE(QApplication::focusWidget(), m_dlg->findChild<QListWidget*>(kRegionLists[page]));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(m_dlg->findChild<QPushButton*>(kPanelOks[page]), Qt::Key_Space);
    QCOMPARE(provinces->text(), QStringLiteral("上海;江苏省;浙江省;"));
    QCOMPARE(QApplication::focusWidget(), provinces);
}

void TestRuleDlg::normalSaveForThreeProvincesWithOneDeclined()
{
    QVERIFY(m_db->add(kOldRule));
    m_dlg->setRuleOwner(kExpress, "普通");
    chooseProvinces(0, {"浙江省", "上海", "江苏省"});
    fillRow(0, 1, kRow);
    fillRow(0, 2, {"3000", "1000", "8", "1000", "1.5"});
    fillRow(0, 4, {"9000", "1000", "9", "1000", "1"}); // after the incomplete row 3: not saved
    m_prompter.answers = {false};
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.questions, QStringList{"江苏省区域规则已存在，是否替换?"});
    QCOMPARE(m_prompter.messages, QStringList{"操作成功!"});
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    QCOMPARE(box("EditSndStyle")->text(), QString());
    // 江苏省 keeps its old rule; 上海 and 浙江省 get the two complete rows, under one new index.
    QCOMPARE(
        m_db->rows("select Province, StartWeight, EndWeight, typeof(StartWeight), DetaFee, RuleIndex = ? "
                   "from rule order by Province, StartWeight",
                   {kOldRule.ruleIndex}),
        QStringList({"上海|0|1000|real|2|0", "上海|1000|3000|real|1.5|0", "江苏省|0|5000|real|2|1",
                     "浙江省|0|1000|real|2|0", "浙江省|1000|3000|real|1.5|0"}));
    QCOMPARE(m_db->count("select count(distinct RuleIndex) from rule"), 2);
    QCOMPARE(m_db->rows("select SndStyle, Style from SndStyle_Form"), QStringList{kExpress + "|3"});
}

void TestRuleDlg::specialLevels_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("town");
    QTest::addColumn<QString>("stored"); // level code, city and county as stored
    const auto row = [](const char* tag, int page, const char* city, const char* town, const char* stored) {
        QTest::newRow(tag) << page << QString::fromUtf8(city) << QString::fromUtf8(town)
                           << QString::fromUtf8(stored);
    };
    row("special 1, province only", 1, "", "", "1|NULL|NULL");
    row("special 1, city", 1, "南京;苏州", "", "2|'南京;苏州;'|NULL");
    row("special 1, county", 1, "", "江宁", "3|NULL|'江宁;'");
    row("special 1, both", 1, "南京;", "江宁", "4|'南京;'|'江宁;'");
    row("special 2, city", 2, "南京", "", "1|'南京;'|NULL");
    row("special 2, county", 2, "", "江宁", "2|NULL|'江宁;'");
    row("special 2, both", 2, "南京", "江宁", "3|'南京;'|'江宁;'");
}

void TestRuleDlg::specialLevels()
{
    QFETCH(int, page);
    QFETCH(QString, city);
    QFETCH(QString, town);
    QFETCH(QString, stored);
    m_dlg->setRuleOwner(kExpress, kStyles[page]);
    chooseProvinces(page, {"江苏省", "浙江省"});
    box(QStringLiteral("EditCity%1").arg(page))->setText(city);
    box(QStringLiteral("EditTown%1").arg(page))->setText(town);
    if (page == 1) {
        box("EditAdr")->setText("大学城");
        stored += "|大学城;";
    }
    fillRow(page, 1, kRow);
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.messages, QStringList{"操作成功!"});
    QCOMPARE(m_db->rows(QStringLiteral("select Province, Typle, quote(City), quote(Town)%1 from rule%2")
                            .arg(page == 1 ? ", Adr" : "")
                            .arg(page)),
             QStringList{"江苏省;浙江省;|" + stored});
    QCOMPARE(m_db->rows("select SndStyle, Style from SndStyle_Form"),
             QStringList{kExpress + "|" + QString::number(page)});
}

void TestRuleDlg::refusedInputKeepsWindowAndWritesNothing_data()
{
    QTest::addColumn<QString>("express");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("province");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* tag, const QString& express, int page, bool province,
                        const QStringList& row1, const char* message = "操作失败，请检查字段!") {
        QTest::newRow(tag) << express << page << province << row1 << QString::fromUtf8(message);
    };
    row("no company", "", 0, true, kRow, "操作失败，请检查字段!!");
    row("no province", kExpress, 0, false, kRow);
    row("row 1 incomplete", kExpress, 0, true, {"1000", "1000", "", "500", "2"});
    row("special 1 without address", kExpress, 1, true, kRow);
    row("special 2 without city and county", kExpress, 2, true, kRow, "市县不能同时为空!");
    row("step weight 00", kExpress, 0, true, {"1000", "1000", "8", "00", "2"}, "请输入大于0的数!");
}

void TestRuleDlg::refusedInputKeepsWindowAndWritesNothing()
{
    QFETCH(QString, express);
    QFETCH(int, page);
    QFETCH(bool, province);
    QFETCH(QStringList, row1);
    QFETCH(QString, message);
    m_dlg->setRuleOwner(express, kStyles[page]);
    m_dlg->showOnlyPage(PostageStyle::fromName(kStyles[page]));
    if (province) {
        chooseProvinces(page, {"江苏省"});
    }
    fillRow(page, 1, row1);
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.messages, QStringList{message});
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(box("EditSndStyle")->text(), express);
    QCOMPARE(box(QStringLiteral("EditWE") + kSuffixes[page] + "1")->text(), row1.at(0));
    QCOMPARE(rowsWritten(), 0);
}

void TestRuleDlg::changingSpecialRule()
{
    // Two special-1 rules of the company: the one being changed (南京) and another (苏州).
    QVERIFY(m_db->save(ruleDraft(kExpress, "特殊1", {"江苏省"}, "南京", "", "大学城")));
    QVERIFY(m_db->save(ruleDraft(kExpress, "特殊1", {"江苏省"}, "苏州", "", "大学城")));
    QList<RuleBook::RuleSummary> rules;
    QVERIFY(RuleBook::ruleSummaries(m_db->db(), kExpress, RuleStyle::Special1, &rules, nullptr));
    QCOMPARE(rules.size(), 2);
    const RuleBook::RuleSummary nanjing = rules.at(0).city == "南京;" ? rules.at(0) : rules.at(1);
    const auto openForChange = [&] {
        RuleBook::LoadedRule loaded;
        QVERIFY(RuleBook::loadRule(m_db->db(), kExpress, RuleStyle::Special1, nanjing, &loaded, nullptr));
        m_dlg->ResetRule();
        m_dlg->setRuleOwner(kExpress, "特殊1");
        m_dlg->loadRule(RuleStyle::Special1, loaded, nanjing);
        m_prompter = RecordingPrompter();
    };

    // Moving it onto 苏州 and declining the replace keeps both rules as they were.
    openForChange();
    QCOMPARE(box("EditCity1")->text(), QStringLiteral("南京;"));
    QCOMPARE(box("EditUpdatecity")->text(), QStringLiteral("南京;"));
    QCOMPARE(box("EditWE1_2")->text(), QStringLiteral("3000"));
    QCOMPARE(listItem("CheckListBox4", "江苏省")->checkState(), Qt::Checked);
    box("EditCity1")->setText("苏州");
    m_prompter.answers = {false};
    click("BtnRuleDecide");
    QCOMPARE(m_prompter.questions, QStringList{"江苏省;苏州;大学城;区域规则已存在，是否替换?"});
    QCOMPARE(m_db->count("select count(*) from rule1 where City = '南京;'"), 2);
    QCOMPARE(m_db->count("select count(*) from rule1 where City = '苏州;'"), 2);

    // Changing only its prices asks nothing and replaces it.
    openForChange();
    box("EditSF1_1")->setText("9.5");
    click("BtnRuleDecide");
    QVERIFY(m_prompter.questions.isEmpty());
    QCOMPARE(m_db->count("select count(*) from rule1 where City = '南京;' and BeginChargeFee = 9.5"), 1);
    QCOMPARE(m_db->count("select count(*) from rule1"), 4);

    // Cancelling a change leaves no old region behind for the next new rule.
    openForChange();
    m_dlg->ResetRule();
    QCOMPARE(box("EditUpdateprovince")->text(), QString());
}

void TestRuleDlg::failedWriteLeavesOldRule()
{
    QVERIFY(m_db->add(kOldRule));
    QVERIFY(m_db->exec("create trigger no_second before insert on rule when new.StartWeight > 0 "
                       "begin select raise(abort, 'disk full'); end"));
    m_dlg->setRuleOwner(kExpress, "普通");
    chooseProvinces(0, {"江苏省"});
    fillRow(0, 1, kRow);
    fillRow(0, 2, {"3000", "1000", "8", "500", "2"});
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.messages.size(), 1);
    QVERIFY(m_prompter.messages.at(0).startsWith("保存邮资规则失败："));
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_db->count("select count(*) from rule where RuleIndex = ?", {kOldRule.ruleIndex}), 1);
    QCOMPARE(rowsWritten(), 1);
}

void TestRuleDlg::savesInOneSecondGetTheirOwnRuleIndex()
{
    const QDateTime now(QDate(2014, 1, 6), QTime(9, 0, 0));
    QVERIFY(m_db->save(ruleDraft(kExpress, "普通", {"江苏省"}), now));
    QVERIFY(m_db->save(ruleDraft(kExpress, "普通", {"浙江省"}), now));
    QCOMPARE(m_db->count("select count(distinct RuleIndex) from rule"), 2);
    QCOMPARE(m_db->count("select count(*) from rule where RuleIndex = '2014-01-06-09-00-01'"), 2);
}

QTEST_MAIN(TestRuleDlg)
#include "TestRuleDlg.moc"
