// The desktop program on a real X server under the openbox window manager (run by
// tests/support/with_window_manager.sh): over the demo station with the display windows open,
// every window's frame lies whole on the screen and none covers the main window; the main window
// cannot be resized or maximised. Windows that have no place yet go into free space, none over
// another. The first-run Setup shows what an untouched Save stores. Screenshots of the desktop,
// the main window, Setup and a display window are kept in the build tree
// (screenshots/openbox-*.png) for a look.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
#include "free_port.h"
#include "pty.h"
#include "station_store.h"
#include "test_program.h"
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

// The program's windows that are shown and framed, by title.
QString Frames(const QList<QWidget*>& windows) {
    QStringList out;
    for (QWidget* w : windows) {
        const QRect f = w->frameGeometry();
        out << QStringLiteral("%1 %2,%3 %4x%5").arg(w->windowTitle()).arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height());
    }
    return out.join("; ");
}

}  // namespace

class WindowManagerTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() { Reset(); }

    // Nothing stored: Status, Matrix, Nav and Logging each go where no other window is, all on the
    // screen; once the screen has no room for a window of its size (the Filter), it cascades,
    // still on the screen, off the main window and at a corner of its own.
    void NewWindowsGoIntoFreeSpace() {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run under with_window_manager.sh");
        test::FillStoreWithDirectories(store, tmp.path());
        test::Program p(store, clock, messages);
        p.mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.mainWindow));
        QTRY_VERIFY_WITH_TIMEOUT(p.mainWindow.frameGeometry() != p.mainWindow.geometry(), 10000);
        const auto settle = [] {
            for (QWidget* w : ShownWindows()) QVERIFY(QTest::qWaitForWindowExposed(w));
            QTest::qWait(1500);  // placed again once openbox has framed them
        };
        for (DisplayWindow d : {DisplayWindow::Status, DisplayWindow::Matrix, DisplayWindow::Nav}) {
            p.mainWindow.DataCheckBox(d)->click();
            settle();
        }
        p.loggingWindow.show();
        settle();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QList<QWidget*> shown = ShownWindows();
        QCOMPARE(shown.size(), 5);
        for (int i = 0; i < shown.size(); ++i) {
            const QRect a = shown[i]->frameGeometry();
            QVERIFY2(screen.contains(a), qPrintable(Frames(shown)));
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!a.intersects(shown[j]->frameGeometry()),
                         qPrintable(shown[i]->windowTitle() + " over " + shown[j]->windowTitle() + ": " + Frames(shown)));
        }
        Save(screen, "free-space");
        p.filterWindow.show();
        settle();
        const QRect filter = p.filterWindow.frameGeometry();
        QVERIFY2(screen.contains(filter), qPrintable(Frames(ShownWindows())));
        QVERIFY(!filter.intersects(p.mainWindow.frameGeometry()));
        for (QWidget* w : shown) QVERIFY2(w->frameGeometry().topLeft() != filter.topLeft(), qPrintable(Frames(ShownWindows())));
    }

    // The first-run Setup under the window manager: on the screen beside the main window, with
    // what an untouched "Save" stores selected and the audio fields filled.
    void FirstRunSetupShowsWhatSaveStores() {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run under with_window_manager.sh");
        // Values Setup does not show: the device behind the port and the relay's port.
        test::PtyPair pty;
        store.Write(kStartupKey, "Serial Device", pty.SlavePath());
        store.Write(kStartupKey, "TCP/IP Port", std::to_string(test::FreeTcpPort()));
        test::Program p(store, clock, messages);
        p.mainWindow.show();
        QTRY_VERIFY_WITH_TIMEOUT(p.setupWindow.isVisible(), 10000);
        QVERIFY(QTest::qWaitForWindowExposed(&p.setupWindow));
        QTest::qWait(1500);
        QStringList checked;
        for (QRadioButton* b : p.setupWindow.findChildren<QRadioButton*>())
            if (b->isChecked() && b->isVisible()) checked << b->text();
        for (const char* item : {"514 byte", "Yes", "Server", "Auto"})
            QVERIFY2(checked.contains(item), qPrintable(checked.join(", ")));
        QCOMPARE(p.setupWindow.findChild<QLineEdit*>("AudioPortField")->text(), QString("7355"));
        QCOMPARE(p.setupWindow.findChild<QLineEdit*>("AudioCentreField")->text(), QString("1500"));
        QCOMPARE(p.setupWindow.AudioRateField()->text(), QString("48000"));
        QVERIFY(!p.setupWindow.OffsetField()->isVisible());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect setup = p.setupWindow.frameGeometry();
        QVERIFY2(screen.contains(setup), "Setup leaves the screen");
        QVERIFY2(!setup.intersects(p.mainWindow.frameGeometry()), "Setup covers the main window");
        Save(setup, "first-run-setup");
        // Saved with a data directory only: stored as shown, port 1 included.
        SetupChoices c = p.setupWindow.Choices();
        c.directoryField = tmp.path().toStdString();
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("|")));
        QCOMPARE(store.Read(kStartupKey, "Com Port No."), std::string("1"));
        QCOMPARE(store.Read(kStartupKey, "Modem Type"), std::string("514"));
        QCOMPARE(store.Read(kStartupKey, "Boot Server"), std::string("1"));
        QCOMPARE(store.Read(kStartupKey, "Log on Start"), std::string("yes"));
        QCOMPARE(store.Read(kStartupKey, "Auto Time"), std::string("true"));
    }

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
            QVERIFY2(!frame.intersects(checkBoxes), qPrintable(what + " covers the check boxes: " + Frames(shown)));
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
