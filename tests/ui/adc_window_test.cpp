// The ADC analysis window AdcAnalysisWindow with the main window on an ADC station: the histogram and the
// figures of each half, the refresh by the display dispatch and by the sample path, calibration,
// the "ADC Display" menu item, the FEC log failure message, and the raw data window's status line
// under blocks rebuilt from FEC frames.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <vector>

#include "sim/stream_pacer.h"
#include "recording_messages.h"
#include "serial_feed.h"
#include "station_store.h"
#include "test_program.h"

using namespace orv;

namespace {

constexpr std::int64_t kStart = 1796911200;  // 2026-12-10 14:00:00 UTC

// The desktop program of an ADC station.
struct AdcProgram : test::WindowTestSetup {
    explicit AdcProgram(const char* modem = "ADC") {
        Reset(kStart);
        test::FillStoreWithDirectories(store, tmp.path());
        store.Write(kStartupKey, "Modem Type", modem);
        program = std::make_unique<test::Program>(store, clock, messages);
        mainWindow = &program->mainWindow;
        rawDataWindow = &program->rawDataWindow;
        adcAnalysisWindow = &program->adcAnalysisWindow;
    }
    void Feed(const std::vector<std::uint8_t>& samples) { test::FeedAdcSamples(program->station, clock, samples); }
    const StationState& State() { return program->station.state(); }

    std::unique_ptr<test::Program> program;
    MainWindow* mainWindow = nullptr;
    RawDataWindow* rawDataWindow = nullptr;
    AdcAnalysisWindow* adcAnalysisWindow = nullptr;
};

// Raw bytes that the differential detection turns into one soft symbol each: a steady level
// (no phase reversal) gives stored value 120, a level reversing every sample gives 135.
std::vector<std::uint8_t> Steady(int n) { return std::vector<std::uint8_t>(static_cast<std::size_t>(n), 148); }
std::vector<std::uint8_t> Reversing(int n) {
    std::vector<std::uint8_t> v;
    for (int i = 0; i < n; ++i) v.push_back(i % 2 == 0 ? 108 : 148);
    return v;
}

// The simulated ADC modem on a channel without errors.
sim::SimOptions CleanAdcModem() {
    sim::SimOptions o;
    o.modem = ModemType::Adc;
    o.baudRate = 9600;
    o.startUtc = kStart;
    o.ebNoDb = 30;
    return o;
}

// A transmission and the idle samples after it, so that the station sees an FEC frame end.
std::vector<std::uint8_t> WithClosing(std::vector<std::uint8_t> samples, sim::TelemetryGenerator& generator) {
    const auto closing = generator.Closing();
    samples.insert(samples.end(), closing.begin(), closing.end());
    return samples;
}

SymbolHistogram TwoBins(int a, int b, int count) {
    SymbolHistogram h{};
    h[static_cast<std::size_t>(a)] += count;
    h[static_cast<std::size_t>(b)] += count;
    return h;
}

QStringList Lines(const SymbolHistogram& h) {
    QStringList out;
    for (const auto& l : LowerHalfLines(LowerHalfFigures(h))) out << QString::fromStdString(l);
    for (const auto& l : UpperHalfLines(UpperHalfFigures(h))) out << QString::fromStdString(l);
    return out;
}

}  // namespace

class AdcWindowTest : public QObject {
    Q_OBJECT
private slots:
    void FiguresOfEachHalf() {
        struct Case {
            const char* name;
            SymbolHistogram histogram;
            QStringList lines;
        };
        SymbolHistogram clipped{};
        clipped[0] = 2600;
        clipped[255] = 2600;
        const Case cases[] = {
            // Clipped symbols belong to neither half: an empty half counts 1, at -128.
            {"clipped", clipped,
             {"Tot:      1", "Mean: -128.0", "S.D.:   0.0", "Tot:     1", "Mean: -128.0", "S.D.:  0.0"}},
            // Below 10 the deviation gets a leading space, from 10 on it does not.
            {"deviation 10", TwoBins(100, 120, 1000),
             {"Tot:   2000", "Mean: -18.0", "S.D.:  10.0", "Tot:     1", "Mean: -128.0", "S.D.:  0.0"}},
            {"deviation 9.5", TwoBins(100, 119, 1000),
             {"Tot:   2000", "Mean: -18.5", "S.D.:   9.5", "Tot:     1", "Mean: -128.0", "S.D.:  0.0"}},
            {"upper half", TwoBins(150, 170, 30),
             {"Tot:      1", "Mean: -128.0", "S.D.:   0.0", "Tot:    60", "Mean: 32.0", "S.D.: 10.0"}},
            {"upper half near zero", TwoBins(128, 129, 5),
             {"Tot:      1", "Mean: -128.0", "S.D.:   0.0", "Tot:    10", "Mean:  0.5", "S.D.:  0.5"}},
        };
        for (const Case& c : cases) QVERIFY2(Lines(c.histogram) == c.lines, qPrintable(Lines(c.histogram).join('|')));
    }

    void WindowShowsTheRingAndTheDispatchRestartsTheCount() {
        AdcProgram p;
        // Right after start the ring holds only zeros, which neither half counts.
        QCOMPARE(p.adcAnalysisWindow->FigureLines(), QStringList({"Tot:      1", "Mean: -128.0", "S.D.:   0.0", "Tot:     1",
                                                      "Mean: -128.0", "S.D.:  0.0"}));
        p.mainWindow->MenuAction(MenuWindow::AdcDisplay)->trigger();
        QVERIFY(p.adcAnalysisWindow->isVisible());

        // 5000 samples: the first (no previous sample) stores 128, the rest 120.
        p.Feed(Steady(5000));
        p.mainWindow->DispatchBlock();
        const QStringList afterDispatch({"Tot:   4999", "Mean:  -8.0", "S.D.:   0.0", "Tot:     1", "Mean:  0.0",
                                         "S.D.:  0.0"});
        QCOMPARE(p.adcAnalysisWindow->FigureLines(), afterDispatch);
        // The curve: on the baseline where a bin is empty, far up at bin 120.
        const QImage& picture = p.adcAnalysisWindow->Picture();
        QCOMPARE(picture.size(), QSize(266, 300));
        QCOMPARE(picture.pixelColor(5 + 60, 220), QColor(Qt::black));
        QVERIFY(picture.pixelColor(5 + 60, 218) != QColor(Qt::black));
        bool rises = false;
        for (int x = 5 + 118; x <= 5 + 122; ++x) rises = rises || picture.pixelColor(x, 100) == QColor(Qt::black);
        QVERIFY(rises);

        // The dispatch restarted the path's count: its own refresh comes 5400 samples later, not
        // 5400 samples after the start.
        const std::vector<std::uint8_t> reversing = Reversing(5400);
        p.Feed({reversing.begin(), reversing.end() - 1});
        QCOMPARE(p.adcAnalysisWindow->FigureLines(), afterDispatch);
        p.Feed({reversing.end() - 1, reversing.end()});
        QCOMPARE(p.adcAnalysisWindow->FigureLines(), QStringList({"Tot:      1", "Mean: -128.0", "S.D.:   0.0", "Tot:  5200",
                                                      "Mean:  7.0", "S.D.:  0.0"}));
        // Hidden, the window is left alone by the dispatch.
        p.adcAnalysisWindow->hide();
        p.Feed(Steady(300));
        p.mainWindow->DispatchBlock();
        QCOMPARE(p.adcAnalysisWindow->FigureLines()[3], QString("Tot:  5200"));
    }

    void AdcDisplayItemOnlyForTheAdcModem() {
        for (const char* modem : {"ADC", "514", "512"}) {
            AdcProgram p(modem);
            QMenu* menu = nullptr;
            for (QAction* a : p.mainWindow->menuBar()->actions())
                if (a->text() == "&Menu") menu = a->menu();
            QVERIFY(menu);
            emit menu->aboutToShow();
            QCOMPARE(p.mainWindow->MenuAction(MenuWindow::AdcDisplay)->isVisible(), QString(modem) == "ADC");
            // The Setup can change the modem type while the program runs.
            p.program->station.SetModemType(ModemType::Adc);
            emit menu->aboutToShow();
            QVERIFY(p.mainWindow->MenuAction(MenuWindow::AdcDisplay)->isVisible());
        }
    }

    void CalibrationShowsTheMeanAndGrowsTheWindow() {
        AdcProgram p;
        AdcAnalysisWindow& w = *p.adcAnalysisWindow;
        w.show();
        const int middle = w.screen()->geometry().height() / 2;
        w.move(40, middle);  // lower half: the window grows upwards
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect before = w.frameGeometry();
        w.CalibrateBox()->click();
        QVERIFY(w.CalibrationGroup()->isVisible());
        const int grown = w.frameGeometry().height() - before.height();
        QVERIFY(grown > 0);
        QCOMPARE(w.y(), before.y() - grown);

        // 400 raw bytes of 200 with a time constant of 1 s (400 samples): the running mean
        // covers 1 - 1/e of the way from 0.
        p.Feed(std::vector<std::uint8_t>(400, 200));
        QVERIFY2(std::abs(w.MeanRawValue().toDouble() - 200 * (1 - std::pow(1 - 1 / 400.0, 400))) < 0.1,
                 qPrintable(w.MeanRawValue()));
        // 10 s: 400 bytes of 0 take the mean down by a tenth of the way only.
        const double mean = w.MeanRawValue().toDouble();
        w.TimeConstantButton(1)->click();
        p.Feed(std::vector<std::uint8_t>(400, 0));
        QVERIFY2(std::abs(w.MeanRawValue().toDouble() - mean * std::pow(1 - 1 / 4000.0, 400)) < 0.1,
                 qPrintable(w.MeanRawValue()));

        // Unchecked: calibration stops, the window shrinks and moves back.
        const QString shown = w.MeanRawValue();
        w.CalibrateBox()->click();
        QVERIFY(!w.CalibrationGroup()->isVisible());
        QCOMPARE(w.frameGeometry(), before);
        p.Feed(std::vector<std::uint8_t>(800, 90));
        QCOMPARE(w.MeanRawValue(), shown);

        // In the upper half it grows downwards and stays put.
        w.move(40, 0);
        w.CalibrateBox()->click();
        QCOMPARE(w.y(), 0);
        w.CalibrateBox()->click();
        QCOMPARE(w.y(), 0);
    }

    void FecLogFailureIsReportedOnce() {
        AdcProgram p;
        p.program->station.SetLogFec(true);
        p.program->station.adc().SetFecLogDirectory(p.tmp.filePath("missing/telemetry").toStdString());
        sim::TelemetryGenerator generator(CleanAdcModem());
        p.Feed(generator.Next().wire);
        p.Feed(WithClosing(generator.Next().wire, generator));
        // Not inside the sample path: the box waits until the serial read is done.
        QVERIFY(p.messages.texts.isEmpty());
        QTRY_COMPARE(p.messages.texts.size(), 1);
        QVERIFY(p.messages.texts[0].startsWith("The FEC log cannot be written:\n"));
        QVERIFY(p.messages.texts[0].contains("17875_FEC.txt"));
        QTest::qWait(50);
        QCOMPARE(p.messages.texts.size(), 1);
    }

    void RawWindowShowsTheFecFiguresUnderRebuiltBlocks() {
        AdcProgram p;
        test::PseudoTerminalModem modem(p.program->station);
        QVERIFY(modem.Select(TextSelection::Raw));
        sim::TelemetryGenerator generator(CleanAdcModem());
        const QRegularExpression fecLine(R"(^Sync Gain: \d+\.\d     Chan Errs: 0     RS Corrs: 0 0     Eb/No: >8\.3$)");
        const QRegularExpression syncOnly(R"(^Sync Gain: -?\d+\.\d$)");
        for (int i = 0; i < 4; ++i) {  // A, A, then K, A
            const sim::SimBlock sent = generator.Next();
            p.Feed(WithClosing(sent.wire, generator));
            QVERIFY(p.rawDataWindow->StatusLineVisible());
            const QString status = p.rawDataWindow->StatusText();
            if (sent.fecFrame) {
                QVERIFY2(fecLine.match(status).hasMatch(), qPrintable(status));
                QCOMPARE(p.mainWindow->ByteLabel(), QString("FEC"));
                QCOMPARE(std::string(p.State().stores.lastComplete.begin() + 128,
                                     p.State().stores.lastComplete.begin() + 192),
                         std::string("|             RECONSTRUCTED FROM DECODED FEC BLOCK             |"));
            } else {
                QVERIFY2(syncOnly.match(status).hasMatch(), qPrintable(status));
                QCOMPARE(p.mainWindow->ByteLabel(), QString("514"));
                QCOMPARE(BlockId(p.State().stores.lastComplete), 'K');
            }
            QCOMPARE(p.mainWindow->CrccLabel(), QString("OK"));
        }
    }
};

QTEST_MAIN(AdcWindowTest)
#include "adc_window_test.moc"
