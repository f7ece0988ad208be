// Shows every window of the station one after the other on a fresh data folder, saves a picture of
// the screen for each, and says whether the window, its title bar included, lies wholly on the
// screen's available area.
//
//   zelvo-screenshots OUTPUT_DIR
//
// Meant for a virtual display (scripts/screenshots runs it under Xvfb at chosen sizes). Exit status
// 0 when every window fits, 1 when one does not, 2 when the windows could not be shown.
#include "app/gui/StationWindows.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "app/gui/TLoginSetDlg.h"
#include "app/gui/TPublishDlg.h"
#include "base/Texts.h"
#include "base/gui/WindowFit.h"
#include "postage/RuleBook.h"
#include "postage/gui/TPostageRuleDlg.h"
#include "postage/gui/TPostageStyleDlg.h"
#include "postage/gui/TRuleDlg.h"
#include "postage/gui/TSndStyleDlg.h"
#include "query/gui/TDataDetailDlg.h"
#include "query/gui/TFormProgress.h"
#include "scale/gui/TElectronicScaleSetDlg.h"
#include "settings/gui/TAlarmSetDlg.h"
#include "settings/gui/TOKRightDlg.h"
#include "settings/gui/TQtherSettingDlg.h"
#include "store/DemoOrderData.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The windows as the program builds them at start, on the data folder given. Kept in one place so
// that a change in how windows are built touches only this function.
std::unique_ptr<StationWindows> buildWindows(const QString& dataFolder)
{
    return std::make_unique<StationWindows>(dataFolder);
}

// A window or control the tool expects is not there.
struct Missing
{
    QString what;
};

template <typename T> T* windowOf()
{
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* window = qobject_cast<T*>(widget)) {
            return window;
        }
    }
    throw Missing{QStringLiteral("no window of class ") + QLatin1String(T::staticMetaObject.className())};
}

template <typename T> T* childOf(QWidget& window, const char* name)
{
    if (T* child = window.findChild<T*>(QString::fromLatin1(name))) {
        return child;
    }
    throw Missing{QStringLiteral("no control ") + QLatin1String(name)};
}

void settle(int ms = 300)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void clickInto(QWidget& widget)
{
    const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

class Photographer
{
public:
    explicit Photographer(const QString& folder)
        : m_folder(folder)
    {
    }

    // Shows the window, lets it lay out, runs afterShow (and lets the window lay out again), checks
    // it and hides it again.
    void shoot(const QString& name, QWidget& window, const std::function<void()>& afterShow = {})
    {
        window.show();
        window.raise();
        window.activateWindow();
        settle();
        if (afterShow) {
            afterShow();
            settle();
        }
        check(name, window);
        window.hide();
        settle(50);
    }

    // Saves the screen with the window shown and says whether its frame lies on the screen.
    void check(const QString& name, const QWidget& window)
    {
        QScreen* screen = window.screen();
        const QRect available = screen->availableGeometry();
        // Where no window manager draws a frame (a bare virtual display) a desktop's frame is assumed.
        const QRect frame = window.geometry().marginsAdded(WindowFit::frameOf(window));
        const bool fits = available.contains(frame);
        const bool saved = screen->grabWindow(0).save(QDir(m_folder).filePath(name + QStringLiteral(".png")));
        std::printf("%-32s %-4s frame %d,%d %dx%d on %dx%d%s\n", qPrintable(name), fits ? "fits" : "OFF",
                    frame.x(), frame.y(), frame.width(), frame.height(), available.width(),
                    available.height(), saved ? "" : "  (picture not saved)");
        std::fflush(stdout);
        m_allFit = m_allFit && fits;
        m_allSaved = m_allSaved && saved;
    }

    bool allFit() const { return m_allFit; }
    bool allSaved() const { return m_allSaved; }

private:
    QString m_folder;
    bool m_allFit = true;
    bool m_allSaved = true;
};

// The login window, the connection dialog over it, then the demo operator logs in.
TFunctionsDlg& logIn(StationWindows& windows, Photographer& camera)
{
    TLogin& login = windows.login();
    camera.shoot(QStringLiteral("login"), login);
    login.show();
    camera.shoot(QStringLiteral("connection"), *windowOf<TLoginSetDlg>());

    childOf<QComboBox>(login, "Username")->setEditText(QString::fromLatin1(DemoLogins::kOperatorName));
    childOf<QLineEdit>(login, "PSW")->setText(QString::fromLatin1(DemoLogins::kOperatorPassword));
    childOf<QPushButton>(login, "LoginBtn")->click();
    settle(500);
    if (!windows.mainWindow().isVisible()) {
        throw Missing{QStringLiteral("the login did not show the main window")};
    }
    return windows.mainWindow();
}

// The four tabs of the main window, the scan tab last so that it stays in front for the dialogs.
void shootMainWindow(TFunctionsDlg& main, Photographer& camera)
{
    // The widest texts the tabs show: an outcome with a long scan, the scale's state in words.
    childOf<QLineEdit>(main, "Edit2")->setText(QStringLiteral("1.25"));
    childOf<QLineEdit>(main, "Edit1")->setText(QStringLiteral("YT") + QString(40, QLatin1Char('8')));
    childOf<QPushButton>(main, "Button1")->click();
    for (const char* box : {"Edit2", "Edit4"}) {
        childOf<QLineEdit>(main, box)->setText(QString::fromUtf8(Texts::kScaleNotConnected));
    }
    auto* tabs = childOf<QTabWidget>(main, "PageControl1");
    const char* names[] = {"main-scan", "main-goods", "main-query", "main-settings"};
    for (int tab = tabs->count() - 1; tab >= 0; --tab) {
        tabs->setCurrentIndex(tab);
        settle();
        camera.check(QString::fromLatin1(names[tab]), main);
    }
}

// The query tab's record detail with the longest texts a trade holds, and its export progress.
void shootQueryWindows(TFunctionsDlg& main, Photographer& camera)
{
    auto* detail = windowOf<TDataDetailDlg>();
    QStringList fields;
    for (int field = 1; field <= 22; ++field) {
        fields << QStringLiteral("胜利街498号阳光公寓1栋3单元301室%1").arg(field);
    }
    detail->fill(QStringLiteral("65000"), fields);
    camera.shoot(QStringLiteral("record-detail"), *detail);

    auto* progress = windowOf<TFormProgress>();
    progress->start(&main, 100);
    progress->advanceTo(40);
    settle();
    camera.check(QStringLiteral("export-progress"), *progress);
    progress->hide();
}

// The postage windows on the first express company with rules; the rule editor on each of its
// pages, with its province panel closed and open.
void shootPostageWindows(StationWindows& windows, Photographer& camera)
{
    camera.shoot(QStringLiteral("logistics-styles"), *windowOf<TSndStyleDlg>());
    QString express = QStringLiteral("Zelvo");
    QList<RuleBook::StyleBinding> bindings;
    if (RuleBook::styleBindings(windows.session().stores().postageDb(), &bindings, nullptr) &&
        !bindings.isEmpty()) {
        express = bindings.first().express;
    }
    auto* styles = windowOf<TPostageStyleDlg>();
    styles->setCompany(express);
    camera.shoot(QStringLiteral("rule-styles"), *styles);

    auto* ruleList = windowOf<TPostageRuleDlg>();
    ruleList->setRuleOwner(express, PostageStyle::name(RuleStyle::Normal));
    ruleList->FillRuleList();
    camera.shoot(QStringLiteral("rule-list"), *ruleList);

    auto* editor = windowOf<TRuleDlg>();
    const struct
    {
        RuleStyle style;
        const char* provinceBox;
        const char* name;
    } pages[] = {{RuleStyle::Normal, "EditProvince", "rule-editor"},
                 {RuleStyle::Special1, "EditProvince1", "rule-editor-special1"},
                 {RuleStyle::Special2, "EditProvince2", "rule-editor-special2"}};
    for (const auto& page : pages) {
        editor->ResetRule();
        editor->setRuleOwner(express, PostageStyle::name(page.style));
        editor->showOnlyPage(page.style);
        camera.shoot(QString::fromLatin1(page.name), *editor);
        camera.shoot(QString::fromLatin1(page.name) + QStringLiteral("-provinces"), *editor,
                     [editor, &page] { clickInto(*childOf<QLineEdit>(*editor, page.provinceBox)); });
    }
    editor->showAllPages();
}

// The settings dialogs as the settings tab opens them, the other settings on each of its pages.
void shootSettingsWindows(Photographer& camera)
{
    auto* alarm = windowOf<TAlarmSetDlg>();
    alarm->AlarmFormShow();
    camera.shoot(QStringLiteral("alarm-settings"), *alarm);
    auto* other = windowOf<TQtherSettingDlg>();
    auto* pages = childOf<QTabWidget>(*other, "PageControl1");
    const char* names[] = {"other-settings-scan", "other-settings-query", "other-settings-alarm"};
    for (int page = 0; page < pages->count(); ++page) {
        other->FormShow();
        camera.shoot(QString::fromLatin1(names[page]), *other,
                     [pages, page] { pages->setCurrentIndex(page); });
    }
    camera.shoot(QStringLiteral("operation-code"), *windowOf<TOKRightDlg>());
}

int run(const QString& outputFolder)
{
    QTemporaryDir data;
    if (!data.isValid() || !QDir().mkpath(outputFolder)) {
        std::fprintf(stderr, "cannot prepare the folders\n");
        return 2;
    }
    // A message box would wait for a click that never comes: it is noted and closed.
    int messageBoxes = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&messageBoxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("message box: %s\n", qPrintable(box->text()));
            ++messageBoxes;
            box->reject();
        }
    });
    watcher.start(100);

    Photographer camera(outputFolder);
    try {
        std::unique_ptr<StationWindows> windows = buildWindows(data.path() + QLatin1Char('/'));
        TFunctionsDlg& main = logIn(*windows, camera);
        shootMainWindow(main, camera);
        shootQueryWindows(main, camera);
        camera.shoot(QStringLiteral("scale-settings"), *windowOf<TElectronicScaleSetDlg>());
        camera.shoot(QStringLiteral("version"), *windowOf<TPublishDlg>());
        shootPostageWindows(*windows, camera);
        shootSettingsWindows(camera);
        main.hide();
    } catch (const Missing& missing) {
        std::fprintf(stderr, "%s\n", qPrintable(missing.what));
        return 2;
    }
    if (messageBoxes > 0) {
        std::printf("%d message box(es) appeared while the windows were shown\n", messageBoxes);
    }
    if (!camera.allSaved()) {
        return 2;
    }
    return camera.allFit() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvo"));
    QApplication::setQuitOnLastWindowClosed(false);
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    const QStringList args = QApplication::arguments();
    if (args.size() != 2 || args.at(1).startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: zelvo-screenshots OUTPUT_DIR\n");
        return 2;
    }
    return run(args.at(1));
}
