// The desktop program over the demo station on a real X server under the openbox window manager
// (run by tests/support/with_window_manager.sh): with the display windows open, every window's frame lies whole on
// the screen and none covers the main window; the main window cannot be resized or maximised.
// Screenshots of the desktop, the main window, Setup and a display window are kept in the build
// tree (screenshots/openbox-*.png) for a look.
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include "displays/status_content.h"
#include "displays/temperature_content.h"
#include "recording_messages.h"
#include "station/demo_station.h"
#include "station/station.h"
#include "ui/desktop_program.h"

using namespace orv;

namespace {

// The window manager's allowed actions for a window (_NET_WM_ALLOWED_ACTIONS), as xprop prints them.
QString AllowedActions(const QWidget& w) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w.winId()),
                                          QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
    xprop.waitForFinished(10000);
    return QString::fromLocal8Bit(xprop.readAllStandardOutput());
}

QList<QWidget*> ShownWindows() {
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w->isVisible() && (type == Qt::Window || type == Qt::Dialog)) shown << w;
    }
    return shown;
}

void Save(const QRect& frame, const QString& name) {
    const QString out = QDir(QCoreApplication::applicationDirPath()).filePath("screenshots");
    QDir().mkpath(out);
    QScreen* screen = QGuiApplication::primaryScreen();
    screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(out + "/openbox-" + name + ".png");
}

}  // namespace

class WindowManagerTest : public QObject {
    Q_OBJECT
private slots:
    void DisplayWindowsStandBesideTheMainWindowOnTheScreen() {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run under with_window_manager.sh");
        DemoStation demo(ModemType::Bytes514);
        QVERIFY2(demo.Error().isEmpty(), qPrintable(demo.Error()));
        // Stored places: the Status window's covers the main window's check boxes (it is put
        // beside instead); the Temperature window's is sound and kept.
        const int status = StatusWindowInfo().formNumber;
        const int temperature = TemperatureWindowInfo().formNumber;
        WriteFormPosition(demo.Store(), status, {40, 120});
        WriteFormPosition(demo.Store(), temperature, {480, 760});
        SystemClock clock;
        test::RecordingMessages messages;
        Station station(demo.Store(), clock);
        DesktopProgram program(station, messages);
        MainWindow& main = program.mainWindow;
        main.show();
        station.SetSerialOverride(demo.SerialDevice());
        main.SelectTextClick(TextSelection::Raw);
        QVERIFY2(demo.Start(), qPrintable(demo.Error()));
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_VERIFY_WITH_TIMEOUT(main.frameGeometry() != main.geometry(), 10000);  // framed by openbox

        for (const char* box : {"Status", "Matrix", "Nav", "Power", "Temp"}) {
            auto* check = main.findChild<QCheckBox*>(QString::fromLatin1(box));
            QVERIFY(check && check->isEnabled());
            check->click();
        }
        for (QWidget* w : ShownWindows()) QVERIFY(QTest::qWaitForWindowExposed(w));
        // The frames are placed again once openbox has framed the windows.
        QTest::qWait(1500);

        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect mainFrame = main.frameGeometry();
        QGroupBox* data = nullptr;
        for (QGroupBox* g : main.findChildren<QGroupBox*>())
            if (g->title() == "Data") data = g;
        QVERIFY(data);
        const QRect checkBoxes(data->mapToGlobal(QPoint(0, 0)), data->size());
        QList<QWidget*> shown = ShownWindows();
        QVERIFY2(shown.size() >= 7, "main, raw data and five display windows");
        for (QWidget* w : shown) {
            const QRect frame = w->frameGeometry();
            const QString what = QStringLiteral("%1 at %2,%3 %4x%5").arg(w->windowTitle()).arg(frame.x()).arg(frame.y())
                                     .arg(frame.width()).arg(frame.height());
            QVERIFY2(screen.contains(frame), qPrintable(what + " leaves the screen"));
            if (w == &main) continue;
            QVERIFY2(!frame.intersects(checkBoxes), qPrintable(what + " covers the check boxes"));
            QVERIFY2(!frame.intersects(mainFrame), qPrintable(what + " covers the main window"));
        }
        // The sound stored place was kept; the one over the check boxes was not.
        QCOMPARE(program.temperatureWindow.frameGeometry().topLeft(), QPoint(760, 480));
        QVERIFY(program.statusWindow.frameGeometry().topLeft() != QPoint(120, 40));

        // A fixed border: openbox offers no maximising and no resizing, and minimising still.
        const QString actions = AllowedActions(main);
        QVERIFY2(actions.contains("_NET_WM_ACTION_MINIMIZE"), qPrintable(actions));
        QVERIFY2(!actions.contains("MAXIMIZE"), qPrintable(actions));
        QVERIFY2(!actions.contains("_NET_WM_ACTION_RESIZE"), qPrintable(actions));
        // Asked to maximise all the same, the window keeps its size.
        const QSize mainSize = main.frameGeometry().size();
        main.setWindowState(Qt::WindowMaximized);
        QTest::qWait(500);
        QCOMPARE(main.frameGeometry().size(), mainSize);
        main.setWindowState(Qt::WindowNoState);

        Save(screen, "desktop");
        Save(mainFrame, "main-window");
        program.statusWindow.raise();
        QTest::qWait(300);
        Save(program.statusWindow.frameGeometry(), "status-window");
        main.SetupClick();
        QVERIFY(QTest::qWaitForWindowExposed(&program.setupWindow));
        QTest::qWait(1000);
        const QRect setup = program.setupWindow.frameGeometry();
        QVERIFY2(screen.contains(setup), "Setup leaves the screen");
        QVERIFY2(!setup.intersects(mainFrame), "Setup covers the main window");
        Save(setup, "setup-window");
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));
    }
};

QTEST_MAIN(WindowManagerTest)
#include "window_manager_test.moc"
