// End to end: the simulator writes into a pseudo-terminal, the program receives through its
// serial path, and the main window and the raw data window show what was sent.
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "sim/pty_feeder.h"
#include "sim/telemetry_generator.h"
#include "recording_messages.h"
#include "station_store.h"
#include "block_recorder.h"
#include "test_program.h"

using namespace orv;

class SimulatedStationTest : public QObject {
    Q_OBJECT
private slots:
    void MainWindowShowsTheSimulatedBlocks() {
        sim::SimOptions options;
        options.seed = 7;
        options.failShare = 0.5;
        options.startUtc = 1796911200;
        const int blocks = 3;
        sim::PtyFeeder feeder(options, 1000, blocks);
        std::string error;
        QVERIFY2(feeder.Open(error), error.c_str());

        QTemporaryDir tmp;
        MemoryStore store;
        test::FillStoreWithDirectories(store, tmp.path());
        SystemClock clock;
        test::RecordingMessages messages;
        test::Program program(store, clock, messages);
        MainWindow& mainWindow = program.mainWindow;
        RawDataWindow& rawDataWindow = program.rawDataWindow;
        program.station.SetSerialOverride(QString::fromStdString(feeder.SlavePath()));
        mainWindow.TextButton(TextSelection::Raw)->click();  // "Raw" opens the port
        QVERIFY(program.station.PortOpen());

        std::vector<Block512> shown;
        std::vector<QString> verdicts;
        test::BlockRecorder recorder;
        recorder.onBlock = [&](const ReceivedBlock& block) {
            Block512 record;
            std::copy_n(block.record.begin(), kTelemetryBytes, record.begin());
            shown.push_back(record);
            verdicts.push_back(mainWindow.CrccLabel());
        };
        program.station.AddSink(recorder);
        QVERIFY2(feeder.Start(error), error.c_str());
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), std::size_t(blocks), 60000);

        sim::TelemetryGenerator twin(options);
        for (int i = 0; i < blocks; ++i) {
            const sim::SimBlock sent = twin.Next();
            Block512 expected;
            std::copy(sent.wire.begin(), sent.wire.begin() + 512, expected.begin());
            if (!sent.intact) expected[0] |= kFailedMark;
            QCOMPARE(verdicts[static_cast<std::size_t>(i)], QString(sent.intact ? "OK" : "FAIL"));
            QVERIFY2(shown[static_cast<std::size_t>(i)] == expected, qPrintable(QStringLiteral("block %1").arg(i)));
        }
        // The Input group shows the last block; the raw data window drew it.
        QCOMPARE(mainWindow.BlockLabel(), QString(QChar(BlockId(shown.back()))));
        QCOMPARE(mainWindow.ByteLabel(), QString("514"));
        QVERIFY(rawDataWindow.isVisible());
        QCOMPARE(rawDataWindow.GroupCaption(), QString("Raw Data"));
        QVERIFY(messages.texts.isEmpty());
        feeder.Stop();
    }
};

QTEST_MAIN(SimulatedStationTest)
#include "simulated_station_test.moc"
