// The simulated ADC modem feeding the station: the sample path finds every transmission, uncoded
// blocks arrive as sent, A blocks come rebuilt from their FEC frames and marked as delivered by
// the FEC reconstruction; through a ManualClock feed and through a real pseudo-terminal.
#include <QTest>

#include <span>
#include <string>
#include <vector>

#include "serial_feed.h"
#include "memory_sink.h"
#include "sim/pty_feeder.h"
#include "sim/stream_pacer.h"
#include "fec/fec_block.h"

using namespace orv;

namespace {

constexpr std::int64_t kStart = 1796911200;  // 2026-12-10 14:00:00 UTC

sim::SimOptions AdcOptions(double ebNoDb, double adcOffset) {
    sim::SimOptions o;
    o.modem = ModemType::Adc;
    o.baudRate = 9600;
    o.seed = 12;
    o.startUtc = kStart;
    o.ebNoDb = ebNoDb;
    o.adcOffset = adcOffset;
    return o;
}

struct Received {
    Block512 block{};
    std::string crcc;
    bool fec = false;       // rebuilt from an FEC frame
    float ebNoDb = 0.0F;    // the decoder's figure at that moment
    int channelErrors = 0;
};

// Records each complete block as the station keeps it, with its verdict and the FEC figures.
class Recorder final : public BlockSink {
public:
    explicit Recorder(Station& runtime) : runtime_(runtime) { runtime.AddSink(*this); }
    ~Recorder() override { runtime_.RemoveSink(*this); }
    void TakeBlock(const ReceivedBlock& block) override {
        Received r;
        std::copy_n(block.record.begin(), kTelemetryBytes, r.block.begin());
        r.crcc = std::string(VerdictText(block.verdict));
        r.fec = block.FromFec();
        r.ebNoDb = runtime_.adc().Status().ebNoDb;
        r.channelErrors = runtime_.adc().Status().channelErrors;
        blocks.push_back(r);
    }
    std::vector<Received> blocks;

private:
    Station& runtime_;
};

// What the station must show for a block the simulator sent: the block itself, or for an FEC
// frame the A block rebuilt from its telemetry bytes.
Block512 Expected(const sim::SimBlock& sent) {
    Block514 b = sent.block;
    if (sent.fecFrame) b = ReconstructFecBlock(std::span(sent.block).subspan<256, 256>());
    Block512 out;
    std::copy_n(b.begin(), 512, out.begin());
    return out;
}

}  // namespace

class SimAdcStationTest : public QObject {
    Q_OBJECT
private slots:
    void StationDecodesTheSimulatedSamples_data() {
        QTest::addColumn<double>("ebNoDb");
        QTest::addColumn<double>("adcOffset");
        QTest::addColumn<bool>("uncodedPass");
        QTest::addColumn<int>("secondsPerRead");
        QTest::newRow("good signal") << 12.0 << 128.0 << true << 1;
        QTest::newRow("ADC offset 10 steps high") << 12.0 << 138.0 << true << 1;
        // Only the sync words start blocks: no FEC block is lost behind the one before it.
        QTest::newRow("faster than real time") << 12.0 << 128.0 << true << 0;
        // Uncoded blocks fail in this much noise; the FEC frames still decode.
        QTest::newRow("noisy") << 4.0 << 128.0 << false << 1;
    }

    void StationDecodesTheSimulatedSamples() {
        QFETCH(double, ebNoDb);
        QFETCH(double, adcOffset);
        QFETCH(bool, uncodedPass);
        QFETCH(int, secondsPerRead);
        const sim::SimOptions options = AdcOptions(ebNoDb, adcOffset);
        sim::TelemetryGenerator generator(options);
        sim::test::MemorySink file;
        sim::StopSignal stop;
        std::vector<sim::SimBlock> sent;
        sim::WriteStream(generator, file, 9, stop, [&](const sim::SimBlock& b) { sent.push_back(b); });

        MemoryStore store;
        ManualClock clock(kStart);
        Station runtime(store, clock);
        runtime.SetModemType(ModemType::Adc);
        Recorder recorder(runtime);
        test::FeedAdcSamples(runtime, clock, file.bytes, secondsPerRead);

        std::vector<const sim::SimBlock*> fecFrames;
        for (const auto& b : sent)
            if (b.fecFrame) fecFrames.push_back(&b);
        QCOMPARE(fecFrames.size(), std::size_t(6));
        if (uncodedPass) {
            // Every block, in order; the uncoded ones as sent.
            QCOMPARE(recorder.blocks.size(), sent.size());
            for (std::size_t i = 0; i < sent.size(); ++i) {
                const Received& r = recorder.blocks[i];
                QVERIFY2(r.block == Expected(sent[i]), qPrintable(QStringLiteral("block %1").arg(i)));
                QCOMPARE(r.crcc, std::string("OK"));
                QCOMPARE(r.fec, sent[i].fecFrame);
            }
        } else {
            std::vector<Received> rebuilt;
            for (const auto& r : recorder.blocks) {
                if (r.fec) rebuilt.push_back(r);
                else QCOMPARE(r.crcc, std::string("FAIL"));
            }
            QCOMPARE(rebuilt.size(), fecFrames.size());
            for (std::size_t i = 0; i < rebuilt.size(); ++i) {
                QVERIFY(rebuilt[i].block == Expected(*fecFrames[i]));
                QCOMPARE(rebuilt[i].crcc, std::string("OK"));
                // The decoder measures about the noise the channel had.
                QVERIFY2(rebuilt[i].channelErrors > 0, qPrintable(QString::number(rebuilt[i].channelErrors)));
                QVERIFY2(std::abs(rebuilt[i].ebNoDb - ebNoDb) < 1.0, qPrintable(QString::number(rebuilt[i].ebNoDb)));
            }
        }
        // The rebuilt header line tells the spacecraft's date, time and command counter as the
        // A block sent did.
        for (std::size_t i = 0; i < recorder.blocks.size(); ++i) {
            const Received& r = recorder.blocks[i];
            if (!r.fec) continue;
            const sim::SimBlock& a = *fecFrames[static_cast<std::size_t>(
                std::count_if(recorder.blocks.begin(), recorder.blocks.begin() + static_cast<std::ptrdiff_t>(i),
                              [](const Received& x) { return x.fec; }))];
            QCOMPARE(std::string(r.block.begin() + 36, r.block.begin() + 63),
                     std::string(a.block.begin() + 36, a.block.begin() + 63));
        }
    }

    void StationReceivesThroughAPseudoTerminal() {
#ifdef _WIN32
        QSKIP("pseudo-terminals are not available on this platform");
#else
        const sim::SimOptions options = AdcOptions(12.0, 128.0);
        const int blocks = 3;  // A, A, K: 36 s of samples, fed ten times faster
        sim::PtyFeeder feeder(options, 10, blocks);
        std::string error;
        QVERIFY2(feeder.Open(error), error.c_str());
        MemoryStore store;
        SystemClock clock;
        Station runtime(store, clock);
        runtime.SetModemType(ModemType::Adc);
        Recorder recorder(runtime);
        runtime.SetSerialOverride(QString::fromStdString(feeder.SlavePath()));
        QString reason;
        { const auto opened = runtime.SelectText(orv::TextSelection::Raw); reason = QString::fromStdString(opened.error); QVERIFY2(!opened.portFailed, qPrintable(reason)); }
        QVERIFY2(feeder.Start(error), error.c_str());
        QTRY_COMPARE_WITH_TIMEOUT(recorder.blocks.size(), std::size_t(blocks), 60000);

        sim::TelemetryGenerator twin(options);
        for (std::size_t i = 0; i < recorder.blocks.size(); ++i) {
            const sim::SimBlock sent = twin.Next();
            QVERIFY2(recorder.blocks[i].block == Expected(sent), qPrintable(QStringLiteral("block %1").arg(i)));
            QCOMPARE(recorder.blocks[i].fec, sent.fecFrame);
            QCOMPARE(recorder.blocks[i].crcc, std::string("OK"));
        }
        feeder.Stop();
#endif
    }
};

QTEST_GUILESS_MAIN(SimAdcStationTest)
#include "adc_station_test.moc"
