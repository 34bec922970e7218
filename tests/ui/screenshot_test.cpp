// Renders the main window and the raw data window on a real X display (Xvfb) and checks that
// the pictures are not blank; renders the windows the user guide shows (Setup with the audio
// input, the Forwarding window, the TCP/IP window as a client of another station). The pictures
// are kept in the build tree (screenshots/) for a look; the guide's copies are in docs/guide/.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QTest>

#include "audio/audio_demodulator.h"
#include "audio/audio_synth.h"
#include "free_port.h"
#include "iq/iq_receiver.h"
#include "iq/iq_synth.h"
#include "recording_messages.h"
#include "sealed_block.h"
#include "station_store.h"
#include "serial_feed.h"
#include "test_program.h"
#include "ui/audio_signal_window.h"

using namespace orv;

namespace {

QString ScreenshotDirectory() {
    const QString out = QDir(QCoreApplication::applicationDirPath()).filePath("screenshots");
    QDir().mkpath(out);
    return out;
}

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    return colours.size();
}

}  // namespace

class ScreenshotTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() {
        Reset();
        test::FillStore(store, tmp.path());
    }

    void MainAndRawWindowsRender() {
        test::Program program(store, clock, messages);
        MainWindow& mainWindow = program.mainWindow;
        RawDataWindow& rawDataWindow = program.rawDataWindow;
        mainWindow.show();
        rawDataWindow.show();

        Block514 block{};
        const char* header = "A  AO-40 telemetry  2003-12-30  14:05:09  CMD 1F2E  orbit 1234";
        std::fill(block.begin(), block.end(), ' ');
        std::copy(header, header + std::strlen(header), block.begin());
        for (int i = 64; i < 512; ++i) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        block[1] = ' ';
        test::SealCrcc(block);
        test::PseudoTerminalModem modem(program.station);
        QVERIFY(modem.Select(TextSelection::Raw));
        program.station.SerialBytes(block);
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        QVERIFY(QTest::qWaitForWindowExposed(&rawDataWindow));
        QTest::qWait(200);

        const QString out = QDir(QCoreApplication::applicationDirPath()).filePath("screenshots");
        QDir().mkpath(out);
        const QImage main = mainWindow.grab().toImage();
        const QImage raw = rawDataWindow.grab().toImage();
        main.save(out + "/main-window.png");
        raw.save(out + "/raw-data-window.png");
        QVERIFY(main.width() > 100 && main.height() > 50);
        QVERIFY2(DistinctColours(main) > 3, "the main window is blank");
        QVERIFY2(DistinctColours(raw) > 3, "the raw data window is blank");
        QCOMPARE(mainWindow.CrccLabel(), QString("OK"));
    }

    // The pictures of the user guide.
    void GuidePictures() {
        test::Program program(store, clock, messages);
        const QString out = ScreenshotDirectory();
        auto keep = [&](QWidget& w, const char* name) {
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::qWait(200);
            const QImage picture = w.grab().toImage();
            picture.save(out + "/guide-" + name + ".png");
            QVERIFY2(DistinctColours(picture) > 3, name);
        };

        // Setup with the audio input from an SDR program's UDP stream.
        program.mainWindow.SetupClick();
        SetupChoices c = program.setupWindow.Choices();
        c.modemItem = 3;
        c.audio.sourceItem = 1;
        c.directoryField = " /home/operator/orv";  // shown only; the window is cancelled
        program.setupWindow.SetChoices(c);
        keep(program.setupWindow, "setup-audio");
        program.setupWindow.CancelClick();

        // Forwarding: KISS served to other programs and kept in a file; SiDS filled in.
        ForwardingSettings f;
        f.kissServeOn = true;
        f.kissServePort = std::to_string(test::FreeTcpPort());
        f.kissOutOn = true;
        f.kissOutFile = (tmp.path() + "/ao40.kiss").toStdString();
        f.callsign = "DL1ABC";
        f.latitude = "52.0146N";
        f.longitude = "4.3647E";
        program.forwardingWindow.SetFields(f);
        program.forwardingWindow.show();
        QVERIFY(program.forwardingWindow.ApplyClick());
        keep(program.forwardingWindow, "forwarding");
        program.forwardingWindow.close();

        // After a replay: what it switched off, offered back.
        {
            test::PseudoTerminalModem modem(program.station);
            QVERIFY(modem.Select(TextSelection::Raw));
            program.mainWindow.show();
            program.mainWindow.ReplayClick();
            program.replayWindow.close();
            QVERIFY(program.mainWindow.ResumeButton()->isVisible());
            keep(program.mainWindow, "main-after-replay");
            program.mainWindow.SelectTextClick(TextSelection::Off);
        }

        // The desktop as a client of a station that serves its blocks (a headless station does
        // the same with --serve).
        MemoryStore serverStore;
        test::FillStore(serverStore, tmp.path());
        Station server(serverStore, clock);
        server.LoadSettings();
        server.relay().Server().Listen(test::FreeTcpPort());
        QVERIFY(server.relay().Server().IsListening());
        NetworkWindow& net = program.networkWindow;
        program.mainWindow.show();
        net.show();
        net.ChooseMode(NetMode::Client);
        net.Control().SetAddressText("127.0.0.1");
        net.Control().SetPortText(QString::number(server.relay().Server().Port()));
        net.ConnectClick();
        QTRY_VERIFY(program.station.state().flags.networkInputActive);
        QTRY_VERIFY(server.relay().Server().ClientCount() == 1);
        Block514 block{};
        const char* header = "A  AO-40 telemetry  2003-12-30  14:05:09";
        std::fill(block.begin(), block.end(), ' ');
        std::copy(header, header + std::strlen(header), block.begin());
        test::SealCrcc(block);
        clock.Advance(3);
        server.SerialBytes(block);
        QTRY_COMPARE(program.mainWindow.CrccLabel(), QString("OK"));
        keep(net, "tcpip-client");
        keep(program.mainWindow, "main-client");
        net.close();
    }

    // The picture of the audio signal with a carrier 90 Hz above the centre: the waterfall shows
    // it, the marker and the summary give the locked frequency, the symbols form two clusters.
    void AudioSignalWindowRenders() {
        AudioSynthOptions o;
        o.sampleRate = 8000.0;
        o.carrierHz = 1590.0;
        o.esNoDb = 14.0;
        o.levelDbfs = -20.0;
        AudioSynthesizer synth(o);
        std::vector<float> audio;
        synth.AppendIdle(4000, audio);
        AudioDemodOptions d;
        d.sampleRate = 8000.0;
        AudioDemodulator demod(d);
        AudioSignalWindow window([&demod] { return &demod; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        std::vector<std::uint8_t> bytes;
        for (std::size_t at = 0; at + 1600 <= audio.size(); at += 1600) {
            demod.Process(std::span<const float>(audio).subspan(at, 1600), bytes);
            window.Refresh();
        }
        window.ShowStatus("audio from UDP port 7355 at 48000 Hz again");
        QTest::qWait(100);
        QVERIFY2(window.SummaryText().startsWith("carrier 159"), qPrintable(window.SummaryText()));
        QVERIFY(window.History().Rows().size() > 20);
        const QString out = QDir(QCoreApplication::applicationDirPath()).filePath("screenshots");
        QDir().mkpath(out);
        const QImage picture = window.grab().toImage();
        picture.save(out + "/audio-signal-window.png");
        QVERIFY2(DistinctColours(picture) > 20, "the audio signal picture is blank");
        // The Manchester symbols' power is in two lobes either side of a dip at the carrier: the
        // brightest part of the waterfall is near the carrier but not on it.
        std::vector<float> sum(window.History().Rows().front().size());
        for (const auto& row : window.History().Rows())
            for (std::size_t i = 0; i < row.size(); ++i) sum[i] += row[i];
        const auto peak = std::max_element(sum.begin(), sum.end()) - sum.begin();
        const double offset = std::abs(window.History().FirstHz() + peak * window.History().StepHz() - 1590.0);
        QVERIFY2(offset > 100.0 && offset < 500.0, qPrintable(QString::number(offset)));
    }

    // The SDR's band: a beacon 3.3 kHz above an offset of -20 kHz, drifting 8 Hz/s, under the DC
    // spike's noise. The band's waterfall shows it where the marker and the summary put it, and
    // the summary gives its drift (8 Hz/s within 0.2).
    void SdrBandRenders() {
        const IqSynthOptions o{
            .sampleRate = 96000.0, .beaconHz = -20000.0 + 3300.0, .driftHzPerSecond = 8.0, .esNoDb = 16.0, .dcLevel = 0.02};
        IqSynthesizer synth(o);
        std::vector<std::complex<float>> samples;
        synth.AppendIdle(8000, samples);  // 20 s
        IqReceiver receiver({.sampleRate = 96000.0, .offsetHz = -20000.0, .searchHz = 5000.0});
        AudioSignalWindow window([&receiver] { return &receiver.Demodulator(); }, [&receiver] { return &receiver; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        std::vector<std::uint8_t> bytes;
        for (std::size_t at = 0; at + 19200 <= samples.size(); at += 19200) {  // refreshed every 0.2 s of signal
            receiver.Process(std::span<const std::complex<float>>(samples).subspan(at, 19200), bytes);
            window.Refresh();
        }
        window.ShowStatus("beacon found at -16700 Hz from the centre (+3300 Hz from the offset), Es/N0 15.2 dB");
        QTest::qWait(100);
        QVERIFY2(window.SummaryText().startsWith("beacon at -165"), qPrintable(window.SummaryText()));
        QVERIFY2(window.SummaryText().contains(QRegularExpression(", drifting (7\\.[89]|8\\.[01])[0-9] Hz/s, Es/N0 1")),
                 qPrintable(window.SummaryText()));
        QVERIFY(window.BandHistory().Rows().size() > 50);
        const QString out = QDir(QCoreApplication::applicationDirPath()).filePath("screenshots");
        QDir().mkpath(out);
        const QImage picture = window.grab().toImage();
        picture.save(out + "/sdr-signal-window.png");
        QVERIFY2(DistinctColours(picture) > 20, "the SDR signal picture is blank");
        // The newest row's strongest part lies within the beacon's main lobe.
        const auto& row = window.BandHistory().Rows().front();
        const auto peak = std::max_element(row.begin(), row.end()) - row.begin();
        const double hz = window.BandHistory().FirstHz() + peak * window.BandHistory().StepHz();
        QVERIFY2(std::abs(hz - (o.beaconHz + 8.0 * 20.0)) < 800.0, qPrintable(QString::number(hz)));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
