// Renders the main window and the raw data window on a real X display (Xvfb) and checks that
// the pictures are not blank. The pictures are kept in the build tree for a look.
#include <QDir>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "recording_messages.h"
#include "sealed_block.h"
#include "station_store.h"
#include "test_program.h"

using namespace orv;

namespace {

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    return colours.size();
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void MainAndRawWindowsRender() {
        QTemporaryDir tmp;
        MemoryStore store;
        test::FillStore(store, tmp.path());
        ManualClock clock(1072793109);
        test::RecordingMessages messages;
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
        program.station.state().flags.selection = TextSelection::Raw;
        program.station.receiver().ReceiveBlockBytes(block);
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
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
