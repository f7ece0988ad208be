#include "PostageTestDb.h"
#include "RecordingPrompter.h"
#include "TempDataFolder.h"
#include "postage/RuleBook.h"
#include "postage/RuleSave.h"
#include "postage/gui/TRuleDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {
const QString kExpress = QStringLiteral("顺丰速运");
// A normal rule saved long ago for 江苏省.
const RuleRow kOldRule{"rule", kExpress, "江苏省", {}, {}, 0, {}, "2013-01-01-00-00-00"};
} // namespace

class TestRuleDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void bracketBoxes_data();
    void bracketBoxes();
    void startLabelsFollowEndWeights();
    void regionsCheckTheirProvinces();
    void cityBoxNeedsProvince();
    void provincePanelKeepsTheWindowSize_data();
    void provincePanelKeepsTheWindowSize();
    void provincePanelByKeyboard_data();
    void provincePanelByKeyboard();

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
    QListWidgetItem* listItem(const QString& list, const QString& text)
    {
        const auto items = m_dlg->findChild<QListWidget*>(list)->findItems(text, Qt::MatchExactly);
        return items.isEmpty() ? nullptr : items.first();
    }
    void click(const QString& button)
    {
        QTest::mouseClick(m_dlg->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void fillRow(const QString& page, int row, const QStringList& values)
    {
        const QString suffix = page + QString::number(row);
        const QStringList names = {"EditWE", "EditWSC", "EditSF", "EditWAC", "EditAF"};
        for (int i = 0; i < names.size(); ++i) {
            box(names.at(i) + suffix)->setText(values.at(i));
        }
    }
    void chooseProvinces(int page, const QStringList& provinces)
    {
        const QString lists[] = {"CheckListBox2", "CheckListBox4", "CheckListBox6"};
        const QString ok[] = {"Button1", "Button11", "BtnOk"};
        for (const QString& province : provinces) {
            listItem(lists[page], province)->setCheckState(Qt::Checked);
        }
        click(ok[page]);
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
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    const auto row = [](const char* tag, const char* name, const char* typed, const char* pasted,
                        const char* text, const char* message = nullptr) {
        QTest::newRow(tag) << QString(name) << QString(typed) << QString(pasted) << QString(text)
                           << (message ? QStringList{QString::fromUtf8(message)} : QStringList());
    };
    const char* zero = "请输入大于0的数!";
    row("weight takes digits only", "EditWE1", "a1b2.3", "", "123");
    row("weight at most six", "EditWSC2_4", "1234567", "", "123456");
    row("end weight 0 emptied", "EditWE1_2", "0", "", "", zero);
    row("first weight 0 emptied", "EditWSC5", "0", "", "", zero);
    row("step weight 0 emptied", "EditWAC2_9", "0", "", "", zero);
    row("typed 05 loses its 0", "EditWE3", "05", "", "5", zero);
    row("pasted 05 is kept", "EditWE3", "", "05", "05");
    row("paste of letters refused", "EditWAC1", "", "12ab", "");
    row("fee takes one point", "EditSF1", "1.2.5x", "", "1.25");
    row("fee may not start with the point", "EditAF1_1", ".5", "", "5", "首位数字不能为'.'!");
    row("pasted fee with two points refused", "EditAF2", "", "1.2.3", "");
}

void TestRuleDlg::bracketBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    QLineEdit* edit = box(name);
    QVERIFY(edit);
    if (!typed.isEmpty()) {
        QTest::keyClicks(edit, typed);
    }
    if (!pasted.isEmpty()) {
        edit->insert(pasted);
    }
    QCOMPARE(edit->text(), text);
    QCOMPARE(m_prompter.messages, messages);
}

void TestRuleDlg::startLabelsFollowEndWeights()
{
    QTest::keyClicks(box("EditWE1"), "1000");
    QCOMPARE(m_dlg->findChild<QLabel*>("LabelWS2")->text(), QStringLiteral("1000克~"));
    QTest::keyClicks(box("EditWE1_8"), "500");
    QCOMPARE(m_dlg->findChild<QLabel*>("LabelWS1_9")->text(), QStringLiteral("500克~"));
    QCOMPARE(m_dlg->findChild<QLabel*>("LabelWS1_1")->text(), QStringLiteral("0克~"));
}

void TestRuleDlg::regionsCheckTheirProvinces()
{
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
    // The other tabs keep their own lists.
    listItem("CheckListBox5", "港澳台")->setCheckState(Qt::Checked);
    click("BtnOk");
    QCOMPARE(box("EditProvince2")->text(), QStringLiteral("台湾省;香港特别行政区;澳门特别行政区;"));
}

void TestRuleDlg::cityBoxNeedsProvince()
{
    box("EditCity1")->setText("南京");
    QTest::mouseClick(box("EditCity1"), Qt::LeftButton);
    QCOMPARE(box("EditCity1")->text(), QString());
    QCOMPARE(m_prompter.messages, QStringList{"省份不能为空，请选择省份!"});

    chooseProvinces(2, {"江苏省"});
    box("EditTown2")->setText("江宁");
    QTest::mouseClick(box("EditTown2"), Qt::LeftButton);
    QCOMPARE(box("EditTown2")->text(), QStringLiteral("江宁"));
}

void TestRuleDlg::normalSaveForThreeProvincesWithOneDeclined()
{
    QVERIFY(m_db->add(kOldRule));

    m_dlg->setRuleOwner(kExpress, "普通");
    chooseProvinces(0, {"浙江省", "上海", "江苏省"});
    fillRow("", 1, {"1000", "1000", "8", "500", "2"});
    fillRow("", 2, {"3000", "1000", "8", "1000", "1.5"});
    fillRow("", 4, {"9000", "1000", "9", "1000", "1"}); // after the incomplete row 3: not saved
    m_prompter.answers = {false};
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.questions, QStringList{"江苏省区域规则已存在，是否替换?"});
    QCOMPARE(m_prompter.messages, QStringList{"操作成功!"});
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    QCOMPARE(box("EditSndStyle")->text(), QString());
    QCOMPARE(m_db->count("select count(*) from rule where Province in ('上海', '浙江省')"), 4);
    QCOMPARE(m_db->count("select count(distinct RuleIndex) from rule where Province in ('上海', '浙江省')"),
             1);
    QCOMPARE(m_db->count("select count(*) from rule where Province = '江苏省' and RuleIndex = ?",
                         {kOldRule.ruleIndex}),
             1);
    QCOMPARE(m_db->count("select count(*) from rule where Province = '浙江省' and StartWeight = 1000 "
                         "and EndWeight = 3000 and typeof(StartWeight) = 'real' and DetaFee = 1.5"),
             1);
    QCOMPARE(m_db->count("select count(*) from SndStyle_Form where SndStyle = ? and Style = 3", {kExpress}),
             1);
}

void TestRuleDlg::specialLevels_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("town");
    QTest::addColumn<int>("typle");
    QTest::addColumn<QString>("storedCity");
    const auto row = [](const char* tag, const char* style, const char* city, const char* town, int typle,
                        const char* storedCity) {
        QTest::newRow(tag) << QString::fromUtf8(style) << QString::fromUtf8(city) << QString::fromUtf8(town)
                           << typle << QString::fromUtf8(storedCity);
    };
    row("special 1, province only", "特殊1", "", "", 1, "");
    row("special 1, city", "特殊1", "南京;苏州", "", 2, "南京;苏州;");
    row("special 1, county", "特殊1", "", "江宁", 3, "");
    row("special 1, both", "特殊1", "南京;", "江宁", 4, "南京;");
    row("special 2, city", "特殊2", "南京", "", 1, "南京;");
    row("special 2, county", "特殊2", "", "江宁", 2, "");
    row("special 2, both", "特殊2", "南京", "江宁", 3, "南京;");
}

void TestRuleDlg::specialLevels()
{
    QFETCH(QString, style);
    QFETCH(QString, city);
    QFETCH(QString, town);
    QFETCH(int, typle);
    QFETCH(QString, storedCity);
    const bool one = style == QStringLiteral("特殊1");
    const QString page = one ? "1_" : "2_";
    m_dlg->setRuleOwner(kExpress, style);
    chooseProvinces(one ? 1 : 2, {"江苏省", "浙江省"});
    box(one ? "EditCity1" : "EditCity2")->setText(city);
    box(one ? "EditTown1" : "EditTown2")->setText(town);
    if (one) {
        box("EditAdr")->setText("大学城");
    }
    fillRow(page, 1, {"2000", "1000", "8", "500", "2"});
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.messages, QStringList{"操作成功!"});
    const QString table = one ? "rule1" : "rule2";
    QCOMPARE(
        m_db->count(QString("select count(*) from %1 where Province = '江苏省;浙江省;' and Typle = ? and "
                            "ifnull(City, '') = ? and (Town is NULL) = ?")
                        .arg(table),
                    {typle, storedCity, town.isEmpty()}),
        1);
    QCOMPARE(m_db->count(QString("select count(*) from %1 where City = ''").arg(table)), 0);
    if (one) {
        QCOMPARE(m_db->count("select count(*) from rule1 where Adr = '大学城;'"), 1);
    }
    QCOMPARE(m_db->count("select Style from SndStyle_Form where SndStyle = ?", {kExpress}), one ? 1 : 2);
}

void TestRuleDlg::refusedInputKeepsWindowAndWritesNothing_data()
{
    QTest::addColumn<QString>("express");
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("province");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<QString>("message");
    const QStringList row = {"1000", "1000", "8", "500", "2"};
    const QString fields = QStringLiteral("操作失败，请检查字段!");
    QTest::newRow("no company") << ""
                                << "普通" << true << row << fields + "!";
    QTest::newRow("no province") << kExpress << "普通" << false << row << fields;
    QTest::newRow("row 1 incomplete")
        << kExpress << "普通" << true << QStringList{"1000", "1000", "", "500", "2"} << fields;
    QTest::newRow("special 1 without address") << kExpress << "特殊1" << true << row << fields;
    QTest::newRow("special 2 without city and county")
        << kExpress << "特殊2" << true << row << QStringLiteral("市县不能同时为空!");
    QTest::newRow("step weight 00") << kExpress << "普通" << true
                                    << QStringList{"1000", "1000", "8", "00", "2"}
                                    << QStringLiteral("请输入大于0的数!");
}

void TestRuleDlg::refusedInputKeepsWindowAndWritesNothing()
{
    QFETCH(QString, express);
    QFETCH(QString, style);
    QFETCH(bool, province);
    QFETCH(QStringList, row1);
    QFETCH(QString, message);
    const int page = style == "普通" ? 0 : style == "特殊1" ? 1 : 2;
    const QString suffixes[] = {"", "1_", "2_"};
    m_dlg->setRuleOwner(express, style);
    m_dlg->showOnlyPage(PostageStyle::fromName(style));
    if (province) {
        chooseProvinces(page, {"江苏省"});
    }
    fillRow(suffixes[page], 1, row1);
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.messages, QStringList{message});
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(box("EditSndStyle")->text(), express);
    QCOMPARE(box(QStringLiteral("EditWE") + suffixes[page] + "1")->text(), row1.at(0));
    QCOMPARE(m_db->count("select (select count(*) from rule) + (select count(*) from rule1) + "
                         "(select count(*) from rule2) + (select count(*) from SndStyle_Form)"),
             0);
}

void TestRuleDlg::changingSpecialRule()
{
    // Two special-1 rules of the company: the one being changed (南京) and another (苏州).
    for (const QString& city : {QStringLiteral("南京"), QStringLiteral("苏州")}) {
        m_dlg->setRuleOwner(kExpress, "特殊1");
        m_dlg->ResetRule();
        m_dlg->setRuleOwner(kExpress, "特殊1");
        chooseProvinces(1, {"江苏省"});
        box("EditCity1")->setText(city);
        box("EditAdr")->setText("大学城");
        fillRow("1_", 1, {"2000", "1000", "8", "500", "2"});
        click("BtnRuleDecide");
    }
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
    };

    // Moving it onto 苏州 and declining the replace keeps both rules as they were.
    openForChange();
    QCOMPARE(box("EditCity1")->text(), QStringLiteral("南京;"));
    QCOMPARE(box("EditUpdatecity")->text(), QStringLiteral("南京;"));
    QCOMPARE(box("EditWSC1_1")->text(), QStringLiteral("1000"));
    QCOMPARE(listItem("CheckListBox4", "江苏省")->checkState(), Qt::Checked);
    box("EditCity1")->setText("苏州");
    m_prompter = RecordingPrompter();
    m_prompter.answers = {false};
    click("BtnRuleDecide");
    QCOMPARE(m_prompter.questions, QStringList{"江苏省;苏州;大学城;区域规则已存在，是否替换?"});
    QCOMPARE(m_db->count("select count(*) from rule1 where City = '南京;'"), 1);
    QCOMPARE(m_db->count("select count(*) from rule1 where City = '苏州;'"), 1);

    // Changing only its prices asks nothing and replaces it.
    openForChange();
    box("EditSF1_1")->setText("9.5");
    m_prompter = RecordingPrompter();
    click("BtnRuleDecide");
    QVERIFY(m_prompter.questions.isEmpty());
    QCOMPARE(m_db->count("select count(*) from rule1 where City = '南京;' and BeginChargeFee = 9.5"), 1);
    QCOMPARE(m_db->count("select count(*) from rule1"), 2);

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
    fillRow("", 1, {"1000", "1000", "8", "500", "2"});
    fillRow("", 2, {"3000", "1000", "8", "500", "2"});
    click("BtnRuleDecide");

    QCOMPARE(m_prompter.messages.size(), 1);
    QVERIFY(m_prompter.messages.at(0).startsWith("保存邮资规则失败："));
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_db->count("select count(*) from rule where RuleIndex = ?", {kOldRule.ruleIndex}), 1);
    QCOMPARE(m_db->count("select count(*) from rule"), 1);
    QCOMPARE(m_db->count("select count(*) from SndStyle_Form"), 0);
}

void TestRuleDlg::savesInOneSecondGetTheirOwnRuleIndex()
{
    RuleDraft draft;
    draft.express = kExpress;
    draft.styleName = "普通";
    draft.rows[0] = BracketTexts{"1000", "1000", "8", "500", "2"};
    const QDateTime now(QDate(2014, 1, 6), QTime(9, 0, 0));
    for (const QString& province : {QStringLiteral("江苏省"), QStringLiteral("浙江省")}) {
        draft.provinceText = province + ';';
        draft.checkedProvinces = {province};
        QCOMPARE(SaveRule(m_db->db(), draft, now, m_prompter), RuleSaveOutcome::Saved);
    }
    QCOMPARE(m_db->count("select count(distinct RuleIndex) from rule"), 2);
    QCOMPARE(m_db->count("select count(*) from rule where RuleIndex = '2014-01-06-09-00-01'"), 1);
}

void TestRuleDlg::provincePanelKeepsTheWindowSize_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("provinceBox");
    QTest::addColumn<QString>("panel");
    QTest::newRow("normal") << "普通"
                            << "EditProvince"
                            << "Panel1";
    QTest::newRow("special 1") << "特殊1"
                               << "EditProvince1"
                               << "Panel2";
    QTest::newRow("special 2") << "特殊2"
                               << "EditProvince2"
                               << "Panel3";
}

void TestRuleDlg::provincePanelKeepsTheWindowSize()
{
    QFETCH(QString, style);
    QFETCH(QString, provinceBox);
    QFETCH(QString, panel);
    m_dlg->showOnlyPage(PostageStyle::fromName(style));
    QTest::qWait(20);
    const QSize before = m_dlg->size();
    QTest::mouseClick(box(provinceBox), Qt::LeftButton);
    QVERIFY(m_dlg->findChild<QWidget*>(panel)->isVisible());
    QTest::qWait(20); // the layout takes in the panel
    QCOMPARE(m_dlg->size(), before);
    QVERIFY(m_dlg->findChild<QPushButton*>("BtnRuleDecide")->isVisible());
}

void TestRuleDlg::provincePanelByKeyboard_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("provinceBox");
    QTest::addColumn<QString>("regions");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QKeySequence>("key");
    QTest::newRow("space") << "普通"
                           << "EditProvince"
                           << "CheckListBox1"
                           << "Button1" << QKeySequence(Qt::Key_Space);
    QTest::newRow("enter") << "特殊1"
                           << "EditProvince1"
                           << "CheckListBox3"
                           << "Button11" << QKeySequence(Qt::Key_Return);
    QTest::newRow("F4") << "特殊2"
                        << "EditProvince2"
                        << "CheckListBox5"
                        << "BtnOk" << QKeySequence(Qt::Key_F4);
    QTest::newRow("alt+down") << "普通"
                              << "EditProvince"
                              << "CheckListBox1"
                              << "Button1" << QKeySequence(Qt::AltModifier | Qt::Key_Down);
}

void TestRuleDlg::provincePanelByKeyboard()
{
    QFETCH(QString, style);
    QFETCH(QString, provinceBox);
    QFETCH(QString, regions);
    QFETCH(QString, ok);
    QFETCH(QKeySequence, key);
    m_dlg->showOnlyPage(PostageStyle::fromName(style));
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    box(provinceBox)->setFocus();
    QTest::keySequence(box(provinceBox), key);
    // The panel takes the focus; Space ticks the first region, its OK button takes the choice back.
    QCOMPARE(QApplication::focusWidget(), m_dlg->findChild<QListWidget*>(regions));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(m_dlg->findChild<QPushButton*>(ok), Qt::Key_Space);
    QCOMPARE(box(provinceBox)->text(), QStringLiteral("上海;江苏省;浙江省;"));
    QCOMPARE(QApplication::focusWidget(), box(provinceBox));
}

QTEST_MAIN(TestRuleDlg)
#include "TestRuleDlg.moc"
