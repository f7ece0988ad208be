// Windows kept on the screen: sized to the available area and moved onto it, frame included.
#include "base/gui/WindowFit.h"

#include <QScreen>
#include <QWidget>
#include <QtTest>

class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void windowsEndOnTheScreen_data()
    {
        QTest::addColumn<bool>("centre");
        QTest::addColumn<QRect>("before");
        QTest::addColumn<QRect>("after"); // relative to the available area; empty: centred

        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QMargins frame = WindowFit::assumedFrame();
        const QSize room = area.size().shrunkBy(frame);
        const QPoint inner(frame.left(), frame.top());
        QTest::newRow("small window centred") << true << QRect(0, 0, 300, 200) << QRect();
        QTest::newRow("taller than the screen") << true << QRect(0, 0, 300, 5000) << QRect();
        QTest::newRow("title bar above the top")
            << false << QRect(50, 5, 300, 200) << QRect(50, frame.top(), 300, 200);
        QTest::newRow("inside stays put") << false << QRect(100, 100, 300, 200) << QRect(100, 100, 300, 200);
        QTest::newRow("past the bottom right")
            << false << QRect(area.width() - 100, area.height() - 50, 300, 200)
            << QRect(QPoint(room.width() - 300, room.height() - 200) + inner, QSize(300, 200));
        QTest::newRow("larger than the screen") << false << QRect(-20, -20, 5000, 5000) << QRect(inner, room);
    }

    void windowsEndOnTheScreen()
    {
        QFETCH(bool, centre);
        QFETCH(QRect, before);
        QFETCH(QRect, after);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        window.setGeometry(before.translated(area.topLeft()));
        if (centre) {
            WindowFit::fitToScreen(window);
        } else {
            WindowFit::keepOnScreen(window);
        }
        const QRect frame = window.geometry().marginsAdded(WindowFit::assumedFrame());
        QCOMPARE(area.united(frame), area); // the frame lies within the area
        if (after.isEmpty()) {
            QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 1);
            QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 1 || frame.height() == area.height());
        } else {
            QCOMPARE(window.geometry(), after.translated(area.topLeft()));
        }
    }
};

QTEST_MAIN(TestWindowFit)
#include "TestWindowFit.moc"
