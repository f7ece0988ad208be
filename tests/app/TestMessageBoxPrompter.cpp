// The message boxes as the operator sees them, in Qt's Chinese texts as the program loads them:
// the icon, the buttons, and the answer Enter and Esc give.
#include "app/gui/MessageBoxPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

class TestMessageBoxPrompter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)),
                 "Qt's Chinese texts are missing (Debian package qt6-translations-l10n)");
        QApplication::installTranslator(&m_qtTexts);
    }

    void boxes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed"); // before the key, as a scanner sends its number
        QTest::addColumn<int>("key");       // 0: the OK button is clicked
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<bool>("answer");
        // The buttons' captions in sorted order.
        const QString one = QStringLiteral("确定");
        const QString two = QStringLiteral("取消 确定");
        const int enter = Qt::Key_Return;
        QTest::newRow("refusal") << "inform"
                                 << "" << enter << int(QMessageBox::Warning) << one << true;
        QTest::newRow("success") << "tell"
                                 << "" << enter << int(QMessageBox::Information) << one << true;
        QTest::newRow("question, Enter") << "ask"
                                         << "" << enter << int(QMessageBox::Question) << two << false;
        QTest::newRow("question, Esc")
            << "ask"
            << "" << int(Qt::Key_Escape) << int(QMessageBox::Question) << two << false;
        QTest::newRow("question, OK") << "ask"
                                      << "" << 0 << int(QMessageBox::Question) << two << true;
        // A scanner's number never answers Yes; it is kept for the waybill box.
        QTest::newRow("question, scan") << "ask"
                                        << "YT999" << enter << int(QMessageBox::Question) << two << false;
    }

    void boxes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, icon);
        QFETCH(QString, buttons);
        QFETCH(bool, answer);

        int shownIcon = -1;
        QStringList shownButtons;
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            title = box->windowTitle();
            shownIcon = box->icon();
            for (QAbstractButton* button : box->buttons()) {
                shownButtons << button->text().remove(QLatin1Char('&'));
            }
            QWidget* focused = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClicks(focused, typed);
            if (key != 0) {
                QTest::keyClick(focused, Qt::Key(key));
            } else {
                box->button(QMessageBox::Ok)->click();
            }
        });
        MessageBoxPrompter prompter;
        bool given = true;
        if (kind == QLatin1String("ask")) {
            given = prompter.ask(QStringLiteral("删除所选定的物流方式所有规则?"));
        } else if (kind == QLatin1String("tell")) {
            prompter.tell(QStringLiteral("操作成功!"));
        } else {
            prompter.inform(QStringLiteral("输入不能为空!"));
        }
        QCOMPARE(title, QStringLiteral("Zelvo"));
        QCOMPARE(shownIcon, icon);
        shownButtons.sort();
        QCOMPARE(shownButtons.join(QLatin1Char(' ')), buttons);
        QCOMPARE(given, answer);
        QCOMPARE(prompter.takeTypedDuringQuestion(), typed);
        QCOMPARE(prompter.takeTypedDuringQuestion(), QString());
    }

private:
    QTranslator m_qtTexts;
};

QTEST_MAIN(TestMessageBoxPrompter)
#include "TestMessageBoxPrompter.moc"
