// The serial path end to end: a pseudo-terminal stands in for the demodulator, the station
// reads it through the same QSerialPort adapter the program uses.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <vector>

#include "station/station.h"
#include "block_recorder.h"
#include "pty.h"
#include "sealed_block.h"

class StationSerialTest : public QObject {
    Q_OBJECT
private slots:
    void BlocksInUnevenChunksWithARealPause() {
        orv::test::PtyPair pty;
        QVERIFY(pty.Ok());
        orv::MemoryStore store;
        orv::SystemClock clock;
        orv::Station runtime(store, clock);
        runtime.LoadSettings();
        runtime.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        QString error;
        { const auto opened = runtime.SelectText(orv::TextSelection::Raw); error = QString::fromStdString(opened.error); QVERIFY2(!opened.portFailed, qPrintable(error)); }
        std::vector<std::string> verdicts;
        orv::test::BlockRecorder recorder;
        recorder.onBlock = [&](const orv::ReceivedBlock& block) {
            verdicts.push_back(std::string(1, block.Kind()) + ":" + std::string(orv::VerdictText(block.verdict)));
        };
        runtime.AddSink(recorder);

        const auto good = orv::test::SealedBlock('A', true, 0x30);
        const auto bad = orv::test::SealedBlock('K', false, 0x30);
        // First block in chunks of 7, 100, 1, 300 and the rest.
        std::size_t offset = 0;
        for (std::size_t n : {7, 100, 1, 300, 106}) {
            QVERIFY(pty.Write(good.data() + offset, n));
            offset += n;
            QTest::qWait(30);
        }
        QTRY_COMPARE_WITH_TIMEOUT(verdicts.size(), std::size_t(1), 10000);
        // A real pause of more than two clock seconds starts the next block.
        QTest::qWait(2300);
        QVERIFY(pty.Write(bad.data(), 200));
        QTest::qWait(50);
        QVERIFY(pty.Write(bad.data() + 200, 314));
        QTRY_COMPARE_WITH_TIMEOUT(verdicts.size(), std::size_t(2), 10000);
        QCOMPARE(verdicts[0], std::string("A:OK"));
        QCOMPARE(verdicts[1], std::string("K:FAIL"));
        QCOMPARE(runtime.state().stores.lastA[5], std::uint8_t(0x30));
    }

    void DeviceRemovedUnderAnOpenPortIsReported() {
        auto pty = std::make_unique<orv::test::PtyPair>();
        QVERIFY(pty->Ok());
        orv::MemoryStore store;
        orv::SystemClock clock;
        orv::Station runtime(store, clock);
        runtime.SetSerialOverride(QString::fromStdString(pty->SlavePath()));
        QVERIFY(!runtime.SelectText(orv::TextSelection::Raw).portFailed);
        QString reason;
        connect(&runtime, &orv::Station::InputLost, [&](const QString& r) { reason = r.isEmpty() ? "lost" : r; });
        pty.reset();  // the device goes away
        QTRY_VERIFY_WITH_TIMEOUT(!reason.isEmpty(), 10000);
        QVERIFY(!runtime.PortOpen());
    }

    void MissingDeviceFailsToOpenWithAReason() {
        orv::MemoryStore store;
        orv::SystemClock clock;
        orv::Station runtime(store, clock);
        runtime.SetSerialOverride("/dev/orv-no-such-device");
        QString error;
        { const auto opened = runtime.SelectText(orv::TextSelection::Raw); error = QString::fromStdString(opened.error); QVERIFY(opened.portFailed); }
        QVERIFY(!error.isEmpty());
        QVERIFY(!runtime.PortOpen());
    }
};

QTEST_GUILESS_MAIN(StationSerialTest)
#include "station_serial_test.moc"
