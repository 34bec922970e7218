// Windows under a real window manager (openbox on Xvfb): a window reopens exactly where it was
// closed, frame included, and never with its title bar off the screen.
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "recording_messages.h"
#include "station_store.h"
#include "test_program.h"

using namespace orv;

namespace {

// Shows the main window and waits until the window manager has framed it.
QRect ShowFramed(MainWindow& window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return {};
    QTest::qWaitFor([&] { return window.frameGeometry().height() > window.geometry().height(); }, 20000);
    return window.frameGeometry();
}

}  // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void WindowReopensWhereItWasClosedFrameIncluded() {
        QTemporaryDir tmp;
        MemoryStore store;
        test::FillStore(store, tmp.path());
        store.Write(kFormPositionsKey, "Form1.Left", "3000");  // 200 px
        store.Write(kFormPositionsKey, "Form1.Top", "2250");   // 150 px
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        for (int start = 0; start < 3; ++start) {
            test::Program p(store, clock, messages);
            const QRect frame = ShowFramed(p.mainWindow);
            QVERIFY2(frame.isValid(), "the main window was not shown");
            QVERIFY2(frame.height() > p.mainWindow.height(),
                     qPrintable(QStringLiteral("start %1: no window manager frame: %2,%3 %4x%5")
                                    .arg(start).arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
            QTRY_COMPARE_WITH_TIMEOUT(p.mainWindow.frameGeometry().topLeft(), QPoint(200, 150), 10000);
            p.mainWindow.close();
            QCOMPARE(store.Read(kFormPositionsKey, "Form1.Left"), std::string("3000"));
            QCOMPARE(store.Read(kFormPositionsKey, "Form1.Top"), std::string("2250"));
            QTest::qWait(200);  // the window manager lets go of the closed window
        }
    }

    void TitleBarAboveTheScreenIsBroughtOntoIt() {
        QTemporaryDir tmp;
        MemoryStore store;
        test::FillStore(store, tmp.path());
        store.Write(kFormPositionsKey, "Form1.Left", "1500");
        store.Write(kFormPositionsKey, "Form1.Top", "-1500");  // -100 px: the title bar off screen
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
        test::Program p(store, clock, messages);
        ShowFramed(p.mainWindow);
        const QRect screen = p.mainWindow.screen()->availableGeometry();
        QTRY_VERIFY_WITH_TIMEOUT(screen.contains(p.mainWindow.frameGeometry().topLeft()), 10000);
        QCOMPARE(p.mainWindow.frameGeometry().left(), 100);
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
