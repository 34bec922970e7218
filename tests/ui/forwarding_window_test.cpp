// The Forwarding window in the desktop program on the offscreen platform: its menu item, settings
// that survive a restart of the program and start the forwarding again, the SiDS and KISS file
// counts as blocks arrive (a local HTTP server on loopback), and a bad value refused with its
// reason while nothing starts.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "../forward/forward_blocks.h"
#include "../forward/http_test_server.h"
#include "forward/sids_submitter.h"
#include "qt_support.h"
#include "recording_messages.h"
#include "station/forwarding.h"
#include "station_store.h"
#include "test_program.h"

using namespace orv;

class ForwardingWindowTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() {
        Reset(1796869479);
        test::FillStore(store, tmp.path());
    }

    void SettingsStartTheForwardingAndSurviveARestart() {
        test::HttpTestServer server;
        QVERIFY(server.Listen());
        const QString kissFile = tmp.filePath("out.kiss");
        {
            test::Program p(store, clock, messages);
            ForwardingWindow& w = p.forwardingWindow;
            p.mainWindow.MenuAction(MenuWindow::Forwarding)->trigger();
            QVERIFY(w.isVisible());
            QVERIFY(!p.station.forwarding().sids());
            ForwardingSettings s = w.Fields();
            QCOMPARE(s.noradId, std::string("26609"));
            s.kissOutOn = true;
            s.kissOutFile = kissFile.toStdString();
            s.sidsOn = true;
            s.sidsUrl = "http://127.0.0.1:" + std::to_string(server.Port()) + "/telemetry/";
            s.callsign = "TE5T";
            s.latitude = "52.0146N";
            s.longitude = "4.3647W";
            w.SetFields(s);
            QVERIFY2(w.ApplyClick(), qPrintable(w.StatusText()));
            QVERIFY(p.station.forwarding().sids());

            const Block514 block = test::ForwardBlock(1);
            p.station.pipeline().WholeBlock(block, BlockOrigin::Kiss);
            QVERIFY(test::WaitUntil([&] { return server.requests.size() == 1; }));
            QVERIFY(test::WaitUntil([&] {
                w.RefreshCounts();
                return w.CountsText().contains("SiDS: 1 submitted, 0 queued, 0 failed");
            }));
            QVERIFY2(w.CountsText().contains("KISS file: 1 frames written"), qPrintable(w.CountsText()));
        }
        QCOMPARE(store.Read(kForwardingKey, "SiDS"), std::string("yes"));
        QCOMPARE(store.Read(kForwardingKey, "Callsign"), std::string("TE5T"));

        // The next start of the program forwards at once, with the same settings.
        test::Program p(store, clock, messages);
        QCOMPARE(p.forwardingWindow.Fields().longitude, std::string("4.3647W"));
        QVERIFY(p.station.forwarding().sids());
        QVERIFY(p.station.forwarding().kissFile());
        p.station.pipeline().WholeBlock(test::ForwardBlock(2), BlockOrigin::Kiss);
        QVERIFY(test::WaitUntil([&] { return server.requests.size() == 2; }));
        QFile kiss(kissFile);
        QVERIFY(kiss.open(QIODevice::ReadOnly));
        QVERIFY(kiss.size() >= 2 * 517);  // two frames: C0 00, 514 bytes and escapes, C0
    }

    void BadValueIsRefusedWithItsReason() {
        test::Program p(store, clock, messages);
        ForwardingWindow& w = p.forwardingWindow;
        ForwardingSettings s = w.Fields();
        s.sidsOn = true;
        s.callsign = "TE5T";
        s.latitude = "95N";
        s.longitude = "4E";
        s.mqttOn = true;
        w.SetFields(s);
        QVERIFY(!w.ApplyClick());
        QVERIFY2(w.StatusText().contains("latitude"), qPrintable(w.StatusText()));
        QVERIFY(!p.station.forwarding().sids());
        QVERIFY(!p.station.forwarding().mqtt());
    }
};

QTEST_MAIN(ForwardingWindowTest)
#include "forwarding_window_test.moc"
