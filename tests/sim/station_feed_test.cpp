// The built-in simulated station feeding the real serial path: the station opens the
// pseudo-terminal like a serial port and receives exactly the blocks the simulator sent.
#include <QTest>

#include <string>
#include <vector>

#include "block_recorder.h"
#include "sim/pty_feeder.h"
#include "sim/telemetry_generator.h"
#include "station/station.h"

class SimStationFeedTest : public QObject {
    Q_OBJECT
private slots:
    void StationReceivesTheSimulatedBlocks() {
#ifdef _WIN32
        QSKIP("pseudo-terminals are not available on this platform");
#else
        orv::sim::SimOptions options;
        options.seed = 21;
        options.failShare = 0.4;
        options.startUtc = 1796911200;
        const int blocks = 4;
        orv::sim::PtyFeeder feeder(options, 1000, blocks);
        std::string error;
        QVERIFY2(feeder.Open(error), error.c_str());

        orv::MemoryStore store;
        orv::SystemClock clock;
        orv::Station runtime(store, clock);
        runtime.LoadSettings();
        runtime.SetSerialOverride(QString::fromStdString(feeder.SlavePath()));
        QString reason;
        { const auto opened = runtime.SelectText(orv::TextSelection::Raw); reason = QString::fromStdString(opened.error); QVERIFY2(!opened.portFailed, qPrintable(reason)); }
        std::vector<orv::Block512> received;
        std::vector<std::string> labels;
        orv::test::BlockRecorder recorder;
        recorder.onBlock = [&](const orv::ReceivedBlock& block) {
            orv::Block512 record;
            std::copy_n(block.record.begin(), orv::kTelemetryBytes, record.begin());
            received.push_back(record);
            labels.emplace_back(orv::VerdictText(block.verdict));
        };
        runtime.AddSink(recorder);
        QVERIFY2(feeder.Start(error), error.c_str());
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), std::size_t(blocks), 30000);

        orv::sim::TelemetryGenerator twin(options);
        for (int i = 0; i < blocks; ++i) {
            const orv::sim::SimBlock sent = twin.Next();
            orv::Block512 expected;
            std::copy(sent.wire.begin(), sent.wire.begin() + 512, expected.begin());
            if (!sent.intact) expected[0] |= orv::kFailedMark;
            QCOMPARE(labels[i], std::string(sent.intact ? "OK" : "FAIL"));
            QVERIFY2(received[i] == expected, qPrintable(QStringLiteral("block %1").arg(i)));
        }
        feeder.Stop();
#endif
    }
};

QTEST_GUILESS_MAIN(SimStationFeedTest)
#include "station_feed_test.moc"
