// The Logging, Replay, Filter, Export and channel graph windows on the offscreen platform, wired
// as the desktop program wires them. What the windows write must be what the core writes.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "sim/telemetry_generator.h"
#include "files/channel_graph.h"
#include "files/telemetry_export.h"
#include "files/telemetry_filter.h"
#include "file_contents.h"
#include "serial_feed.h"
#include "recording_messages.h"
#include "station_store.h"
#include "telemetry_records.h"
#include "ui/files_window_parts.h"
#include "test_program.h"

using namespace orv;
using test::Concat;
using test::MakeABlock;
using test::MakeEBlock;
using test::OnTheWire;
using test::ReadBytes;
using test::StandardBlock;
using test::With;
using test::WriteBytes;

namespace {

constexpr std::int64_t kDecember30 = 1072793109;  // 2003-12-30 14:05:09 UTC

// An A block whose channel 0x10 holds `value`, with MA and orbit number.
Block512 ChannelBlock(std::uint8_t value, std::uint8_t ma, int orbit) {
    return With(MakeABlock("2003-12-30  14:05:09"), {{0x10, value},
                                                     {421, ma},
                                                     {422, static_cast<std::uint8_t>(orbit & 0xFF)},
                                                     {423, static_cast<std::uint8_t>(orbit >> 8)}});
}

// The desktop program, with a display window in place of Status that counts its updates.
struct Program : test::Program {
    Program(KeyValueStore& store, Clock& clock, test::RecordingMessages& messages)
        : test::Program(store, clock, messages) {
        mainWindow.AttachDisplay(DisplayWindow::Status, &status, [this] { ++updates; });
        mainWindow.DataCheckBox(DisplayWindow::Status)->click();
    }
    QString Telemetry() const { return QString::fromStdString(station.TelemetryDirectory().string()); }
    std::filesystem::path TelemetryPath(const QString& name) const {
        return QDir(Telemetry()).filePath(name).toStdString();
    }

    QWidget status;
    int updates = 0;
};

// Answers the graph dialog once it is shown: fields as given, then OK (or its close box).
void AnswerDialog(GraphAddressDialog& dialog, const QString& address, const QString& start, const QString& stop, bool raw,
                  bool closeBox = false) {
    QTimer::singleShot(0, &dialog, [&dialog, address, start, stop, raw, closeBox] {
        if (dialog.AddressField()->isVisible()) dialog.AddressField()->setText(address);
        dialog.StartField()->setText(start);
        dialog.StopField()->setText(stop);
        (raw ? dialog.RawButton() : dialog.TranslatedButton())->setChecked(true);
        if (closeBox) dialog.close();
        else dialog.accept();
    });
}

}  // namespace

class FilesWindowsTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() {
        Reset(kDecember30);
        test::FillStoreWithDirectories(store, tmp.path());
        p_ = std::make_unique<Program>(store, clock, messages);
    }
    void cleanup() { p_.reset(); }

    void LoggingAppendsReceivedBlocksToTheDaysFile() {
        Program& p = *p_;
        auto feed = [&](const Block512& block, bool good) {
            clock.Advance(3);
            p.station.SerialBytes(OnTheWire(block, good));
        };
        p.loggingWindow.show();
        QVERIFY(p.loggingWindow.UseAction()->isEnabled());  // 514-byte modem
        p.loggingWindow.LoggingButton()->click();
        QCOMPARE(p.loggingWindow.NameField(), QString(" T031230.raw"));
        QCOMPARE(p.loggingWindow.CountText(), QString("---"));
        // The whole path of the file being logged, in the platform's form.
        QVERIFY(p.loggingWindow.LogPathField()->isVisibleTo(&p.loggingWindow));
        QCOMPARE(p.loggingWindow.LogPathField()->FullText(),
                 "Logging to " + QDir::toNativeSeparators(QString::fromStdString(p.TelemetryPath("T031230.raw").string())));

        const Block512 a = MakeABlock();
        feed(a, true);
        feed(a, false);
        feed(MakeEBlock("0013"), true);
        QCOMPARE(p.loggingWindow.CountText(), QString("3"));
        const auto raw = ReadBytes(p.TelemetryPath("T031230.raw"));
        QCOMPARE(raw.size(), std::size_t{3 * 512});
        QCOMPARE(raw[512], std::uint8_t{0xC1});  // the failed mark and the failed-CRCC stamp
        QCOMPARE(std::string(raw.begin() + 512 + 466, raw.begin() + 512 + 469), std::string("P3D"));
        // The E block's slot (0x13 mod 16 = 3) is navy in the grid.
        QVERIFY(p.loggingWindow.EventGridVisible());
        QCOMPARE(p.loggingWindow.EventGridImage().pixelColor(3 * 10 + 5, 5), QColor(0, 0, 128));

        // "use": a new file name; failed blocks are no longer logged.
        p.loggingWindow.UseCrccClick();
        QCOMPARE(p.loggingWindow.NameField(), QString(" T031230.tlm"));
        feed(a, false);
        feed(a, true);
        QCOMPARE(p.loggingWindow.CountText(), QString("1"));
        // Logging goes on with the window closed, into the same file.
        p.loggingWindow.close();
        QVERIFY(!p.loggingWindow.EventGridVisible());
        feed(a, true);
        QCOMPARE(ReadBytes(p.TelemetryPath("T031230.tlm")).size(), std::size_t{2 * 512});
        QVERIFY(p.loggingWindow.FailureText().isEmpty());
        p.loggingWindow.show();
        p.loggingWindow.StopButton()->click();  // no path while not logging
        QVERIFY(!p.loggingWindow.LogPathField()->isVisibleTo(&p.loggingWindow));
    }

    void FailedWritesAreShownWithTheirCount() {
        Program& p = *p_;
        // A folder where the log file should be: every append fails.
        QVERIFY(QDir().mkpath(p.Telemetry() + "/T031230.raw"));
        p.loggingWindow.show();
        p.loggingWindow.LoggingButton()->click();
        for (int i = 0; i < 2; ++i) {
            clock.Advance(3);
            p.station.SerialBytes(OnTheWire(MakeABlock(), true));
        }
        QVERIFY2(p.loggingWindow.FailureText().startsWith("2 blocks not logged: "), qPrintable(p.loggingWindow.FailureText()));
        QCOMPARE(p.loggingWindow.CountText(), QString("0"));
        // Cleared when logging starts again into a file that can be written.
        QVERIFY(QDir(p.Telemetry() + "/T031230.raw").removeRecursively());
        p.loggingWindow.StopButton()->click();
        p.loggingWindow.LoggingButton()->click();
        clock.Advance(3);
        p.station.SerialBytes(OnTheWire(MakeABlock(), true));
        QVERIFY(p.loggingWindow.FailureText().isEmpty());
        QCOMPARE(p.loggingWindow.CountText(), QString("1"));
    }

    // A saved Setup while logging: the same file name (the day logging started), in the new
    // directory, shown at once; a path too long for the window is cut in its middle, whole in the
    // tooltip.
    void LoggingWindowFollowsASavedSetupAndCutsLongPathsInTheMiddle() {
        Program& p = *p_;
        p.loggingWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.loggingWindow));
        p.loggingWindow.LoggingButton()->click();
        const QSize size = p.loggingWindow.size();
        clock.Advance(86400);
        const QString moved = tmp.path() + "/a-data-directory-with-a-name-long-enough-to-need-cutting/station";
        p.mainWindow.SetupClick();
        SetupChoices c = p.setupWindow.Choices();
        c.directoryField = moved.toStdString();
        p.setupWindow.SetChoices(c);
        p.setupWindow.SaveButton()->click();
        QVERIFY2(!p.setupWindow.isVisible(), qPrintable(messages.texts.join("|")));
        QCOMPARE(p.loggingWindow.NameField(), QString(" T031230.raw"));
        const QString full = "Logging to " + QDir::toNativeSeparators(moved + "/telemetry/T031230.raw");
        ElidedLabel* path = p.loggingWindow.LogPathField();
        QCOMPARE(path->FullText(), full);
        QCOMPARE(path->toolTip(), full);
        QCoreApplication::processEvents();
        QVERIFY2(path->text().contains(QChar(0x2026)) && path->text().endsWith("T031230.raw"), qPrintable(path->text()));
        QVERIFY(path->text().startsWith("Logging to "));
        QCOMPARE(p.loggingWindow.size(), size);  // the window did not grow for it
        clock.Advance(3);
        p.station.SerialBytes(OnTheWire(MakeABlock(), true));
        QVERIFY(QFile::exists(moved + "/telemetry/T031230.raw"));
    }

    void LogOnStartShowsTheWindowAndLogs() {
        store.Write(kStartupKey, "Log on Start", "yes");
        p_.reset();
        p_ = std::make_unique<Program>(store, clock, messages);
        p_->mainWindow.FirstShown();  // the serial port of the test settings does not open; logging starts anyway
        QVERIFY(p_->loggingWindow.isVisible());
        QVERIFY(p_->loggingWindow.LoggingButton()->isChecked());
        QVERIFY(p_->station.logger().Logging());
        QCOMPARE(p_->loggingWindow.NameField(), QString(" T031230.raw"));
    }

    void ReplayStepsThroughAFileAndDrivesTheDisplays() {
        Program& p = *p_;
        // A, A, E, A, D, K, A
        const std::vector<Block512> blocks = {
            With(MakeABlock(), {{2, 1}}), With(MakeABlock(), {{2, 2}}), MakeEBlock("0005"),
            With(MakeABlock(), {{2, 4}}), StandardBlock('D'),               StandardBlock('K'),
            With(MakeABlock(), {{2, 7}}),
        };
        WriteBytes(p.TelemetryPath("T031230.tlm"), Concat(blocks));
        p.mainWindow.ReplayClick();
        QVERIFY(p.replayWindow.isVisible());
        QVERIFY(p.station.state().flags.replayOpened);
        QVERIFY(!p.mainWindow.TextButton(TextSelection::Raw)->isEnabled());
        QVERIFY(p.mainWindow.TextButton(TextSelection::Off)->isChecked());
        QCOMPARE(p.replayWindow.FileList()->FileNames(), QStringList{"T031230.tlm"});

        p.updates = 0;
        p.replayWindow.FileList()->setCurrentRow(0);
        QCOMPARE(p.replayWindow.CounterText(), QString("1 / 7"));
        QVERIFY(p.rawDataWindow.isVisible());
        QCOMPARE(p.rawDataWindow.GroupCaption(), QString("Replay"));
        QCOMPARE(p.updates, 1);
        QCOMPARE(p.station.state().stores.display[2], std::uint8_t{1});

        struct Step {
            void (ReplayWindow::*button)();
            std::uint32_t block;
        };
        const Step steps[] = {{&ReplayWindow::ForwardFive, 6}, {&ReplayWindow::ForwardFive, 7}, {&ReplayWindow::BackFive, 2},
                              {&ReplayWindow::BackOne, 1}, {&ReplayWindow::BackOne, 1}, {&ReplayWindow::ForwardOne, 2},
                              {&ReplayWindow::LastBlock, 7}, {&ReplayWindow::ForwardOne, 7}, {&ReplayWindow::FirstBlock, 1}};
        for (const Step& step : steps) {
            (p.replayWindow.*step.button)();
            QCOMPARE(p.replayWindow.Current(), step.block);
            QCOMPARE(p.replayWindow.CounterText(), QString("%1 / 7").arg(step.block));
        }
        // "Go": digits only; 0 and beyond the end are corrected in the field.
        const struct {
            const char* typed;
            std::uint32_t block;
            const char* field;
        } gos[] = {{"", 1, ""}, {"0", 1, "1"}, {"4", 4, "4"}, {"9999", 7, "7"}};
        for (const auto& go : gos) {
            p.replayWindow.GoField()->clear();
            QTest::keyClicks(p.replayWindow.GoField(), go.typed);
            p.replayWindow.GoClick();
            QCOMPARE(p.replayWindow.Current(), go.block);
            QCOMPARE(p.replayWindow.GoField()->text(), QString(go.field));
        }
        QTest::keyClicks(p.replayWindow.GoField(), "x#");
        QCOMPARE(p.replayWindow.GoField()->text(), QString("7"));
        // "Replay" chosen again raises the window with its file where it was.
        p.mainWindow.ReplayClick();
        QCOMPARE(p.replayWindow.Total(), 7U);
        QCOMPARE(p.replayWindow.CounterText(), QString("7 / 7"));
        p.replayWindow.BackOne();
        QCOMPARE(p.replayWindow.CounterText(), QString("6 / 7"));
        // "OFF" hides the raw data window, also while it shows replayed blocks.
        QVERIFY(p.rawDataWindow.isVisible());
        p.mainWindow.TextButton(TextSelection::Off)->click();
        QVERIFY(!p.rawDataWindow.isVisible());

        // An E block with Events mode off: text view and "Events" only, no display update.
        p.mainWindow.EventsBox()->setEnabled(false);
        p.replayWindow.FirstBlock();
        p.updates = 0;
        p.replayWindow.ForwardOne();
        p.replayWindow.ForwardOne();
        QCOMPARE(p.station.state().stores.current[0], std::uint8_t{'E'});
        QVERIFY(p.mainWindow.EventsBox()->isEnabled());
        QCOMPARE(p.updates, 1);  // only the A block at 2

        p.replayWindow.close();
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isEnabled());
        QVERIFY(!p.rawDataWindow.isVisible());
        QCOMPARE(p.rawDataWindow.GroupCaption(), QString("Raw Data"));
        QCOMPARE(p.replayWindow.Total(), 0U);
    }

    void ListsLoadAgainOnAClickAndFollowTheDirectory() {
        Program& p = *p_;
        WriteBytes(p.TelemetryPath("short.raw"), std::vector<std::uint8_t>(1030, 'A'));
        p.mainWindow.ReplayClick();
        TelemetryFileList* list = p.replayWindow.FileList();
        QVERIFY(QTest::qWaitForWindowExposed(&p.replayWindow));
        const int row = static_cast<int>(list->FileNames().indexOf("short.raw"));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(messages.texts.size(), 1);  // loaded (and found damaged)
        // A click on the file already highlighted loads it again.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(messages.texts.size(), 2);
        QCOMPARE(list->SelectedPath(), QString::fromStdString(p.TelemetryPath("short.raw").string()));

        // Files that come and go (a Filter output, a removed log) show in both lists at once.
        p.filterWindow.show();
        WriteBytes(p.TelemetryPath("F031230.tlm"), Concat({MakeABlock()}));
        QTRY_VERIFY(list->FileNames().contains("F031230.tlm"));
        QTRY_VERIFY(p.filterWindow.FileList()->FileNames().contains("F031230.tlm"));
        QVERIFY(QFile::remove(QString::fromStdString(p.TelemetryPath("F031230.tlm").string())));
        QTRY_VERIFY(!list->FileNames().contains("F031230.tlm"));
        QTRY_VERIFY(!p.filterWindow.FileList()->FileNames().contains("F031230.tlm"));
        // The highlighted file stays highlighted, and nothing was loaded meanwhile.
        QCOMPARE(list->SelectedPath(), QString::fromStdString(p.TelemetryPath("short.raw").string()));
        QCOMPARE(messages.texts.size(), 2);
    }

    void ReplayReportsDamagedFilesAndTakesDrops() {
        Program& p = *p_;
        WriteBytes(p.TelemetryPath("short.raw"), std::vector<std::uint8_t>(1030, 'A'));
        p.mainWindow.ReplayClick();
        p.replayWindow.FileList()->setCurrentRow(p.replayWindow.FileList()->FileNames().indexOf("short.raw"));
        QCOMPARE(messages.texts, QStringList{"File error!\nFile altered or incorrect length"});
        QCOMPARE(p.replayWindow.CounterText(), QString("1 / 2"));

        // A drop on the main window: ".tlm" in any case is replayed, the list shows it alone.
        const QString elsewhere = tmp.path() + "/X.TLM";
        WriteBytes(elsewhere.toStdString(), Concat({MakeABlock(), MakeABlock(), MakeABlock()}));
        p.mainWindow.DropFile(tmp.path() + "/x.raw");
        QCOMPARE(p.replayWindow.Total(), 2U);
        p.mainWindow.DropFile(elsewhere);
        QCOMPARE(p.replayWindow.CounterText(), QString("1 / 3"));
        QCOMPARE(p.replayWindow.FileList()->FileNames(), QStringList{"X.TLM"});
        QVERIFY(!p.replayWindow.FileList()->isEnabled());
    }

    void GraphFromTheDialogAndItsMessages() {
        Program& p = *p_;
        std::vector<Block512> blocks;
        for (int i = 0; i < 9; ++i)
            blocks.push_back(
                ChannelBlock(static_cast<std::uint8_t>(10 + 5 * i), static_cast<std::uint8_t>(i * 20), 300 + i));
        WriteBytes(p.TelemetryPath("A031230.tlm"), Concat(blocks));
        p.mainWindow.ReplayClick();
        p.replayWindow.FileList()->setCurrentRow(0);

        // Typed address: the window shows what the core computes for the same fields.
        AnswerDialog(p.graphAddressDialog, "#10", "1", "9", false);
        p.replayWindow.GraphTypedAddressClick();
        QVERIFY(p.graphWindow.isVisible());
        QVERIFY(p.graphWindow.Plot() != nullptr);
        const GraphInput input{
            .fromChannel = false, .addressText = "#10", .startText = "1", .stopText = "9", .raw = true, .request = {}};
        const GraphOutcome core = GraphChannel(p.replayWindow.Session().Image(), input, 1.0);
        QVERIFY(core.plot);
        const GraphPlot& plot = *p.graphWindow.Plot();
        QCOMPARE(plot.label7, std::string("Data Addr = #10"));
        QCOMPARE(plot.label1, core.plot->label1);
        QCOMPARE(plot.label3, core.plot->label3);
        QCOMPARE(plot.label11, std::string("80"));       // MA of block 5
        QCOMPARE(plot.label5, std::string("Start Orbit# 304"));
        QVERIFY(plot.points == core.plot->points);
        QCOMPARE(p.replayWindow.Range().stop, 9U);

        // The read-out over block 5 (x 59 + 310 in layout units, scaled by kx, plus the image offset).
        const int x = static_cast<int>((59 + 310) * plot.factors.kx) + 8;
        const int y = static_cast<int>(150 * plot.factors.ky) + 2;
        p.graphWindow.ShowReadOutAt(QPoint(x, y));
        QCOMPARE(p.graphWindow.BlockReadOut(), QString("5"));
        QVERIFY(!p.graphWindow.ValueReadOut().isEmpty());
        p.graphWindow.ShowReadOutAt(QPoint(2, 2));
        QVERIFY(p.graphWindow.BlockReadOut().isEmpty());

        // The picture: drawn, and saved as PNG at twice its size.
        const QString png = tmp.path() + "/graph.png";
        QVERIFY(p.graphWindow.SavePicture(png));
        const QImage saved(png);
        QCOMPARE(saved.width(), 2 * (plot.pictureWidth + 8));

        // Range errors: a clear message and no new graph.
        const struct {
            const char* start;
            const char* stop;
            const char* message;
        } errors[] = {
            {"5", "5", "Start and stop are the same block!\nA graph needs at least two blocks."},
            {"6", "2", "Stop Blk# is below Start Blk#!"},
            {"1", "99", "Stop Blk# 99 is beyond the end of the file (9 blocks)!"},
        };
        for (const auto& e : errors) {
            messages.texts.clear();
            AnswerDialog(p.graphAddressDialog, "#10", e.start, e.stop, false);
            p.graphWindow.GraphChannel();
            QCOMPARE(messages.texts, QStringList{QString(e.message)});
            QCOMPARE(p.graphWindow.Plot()->start, 1U);
        }

        // Channel case: before any caption click, then from a caption click.
        messages.texts.clear();
        AnswerDialog(p.graphAddressDialog, {}, "1", "9", true);
        p.replayWindow.GraphSelectedChannelClick();
        QCOMPARE(messages.texts, QStringList{QString(kSelectChannelText)});
        // Closed by its close box, the dialog's fields still make the graph.
        AnswerDialog(p.graphAddressDialog, {}, "2", "8", false, true);
        p.graphWindow.GraphChannel(GraphRequest{0x10, "Some channel", "Units"});
        QVERIFY(!p.graphAddressDialog.AddressField()->isVisibleTo(&p.graphAddressDialog));
        QCOMPARE(p.graphWindow.Plot()->label7, std::string("Some channel"));
        QCOMPARE(p.graphWindow.Plot()->start, 2U);

        // Closing the Replay window hides the graph.
        p.replayWindow.close();
        QVERIFY(!p.graphWindow.isVisible());
    }

    void FilterWritesWhatTheCoreWritesAndAsksBeforeOverwriting() {
        Program& p = *p_;
        const Block512 a = MakeABlock();
        const std::vector<Block512> blocks = {a, a, With(a, {{0, 0xC1}}), MakeEBlock("0005"), StandardBlock('K'),
                                              With(a, {{40, '9'}}), MakeEBlock("0045"), a};
        const auto input = p.TelemetryPath("T030415.raw");
        WriteBytes(input, Concat(blocks));
        WriteBytes(p.TelemetryPath("other.tlr"), Concat({a}));
        p.filterWindow.show();
        QCOMPARE(p.filterWindow.FileList()->FileNames(), (QStringList{"other.tlr", "T030415.raw"}));
        // Drops: ".tlm" and ".raw" are taken, other files are not.
        auto drop = [&](const QString& name) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(p.Telemetry() + "/" + name)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&p.filterWindow, &enter);
            QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&p.filterWindow, &event);
        };
        drop("other.tlr");
        QVERIFY(p.filterWindow.InputPath().isEmpty());
        drop("T030415.raw");
        QCOMPARE(p.filterWindow.InputCount(), QString("8"));

        const struct {
            FilterKind kind;
            CrccMode mode;
            const char* output;
        } runs[] = {
            {FilterKind::A, CrccMode::Filter, "A030415.tlm"},
            {FilterKind::All, CrccMode::Ignore, "T030415.tlr"},
            {FilterKind::E, CrccMode::Filter, "E030415.tlm"},
        };
        for (const auto& run : runs) {
            p.filterWindow.KindButton(run.kind)->click();
            p.filterWindow.CrccButton(run.mode)->click();
            QCOMPARE(p.filterWindow.OutputName(), QString(run.output));
            p.filterWindow.StartFiltering();
            QTRY_VERIFY(!p.filterWindow.Running());
            const auto expected = p.TelemetryPath(QString("core-") + run.output);
            const FilterResult core = FilterFile(input, expected, run.kind, run.mode, {});
            QCOMPARE(ReadBytes(p.TelemetryPath(run.output)), ReadBytes(expected));
            QCOMPARE(p.filterWindow.FilteredCount(), QString::number(core.writtenBlocks));
        }
        QVERIFY(messages.texts.isEmpty());

        // The output exists: "No" leaves it as it is, "Yes" replaces it.
        p.filterWindow.KindButton(FilterKind::A)->click();
        p.filterWindow.CrccButton(CrccMode::Filter)->click();
        WriteBytes(p.TelemetryPath("A030415.tlm"), {1, 2, 3});
        messages.answer = false;
        p.filterWindow.StartFiltering();
        QCOMPARE(messages.texts, QStringList{QString("Output file already exists! \nDo you want to overwrite?")});
        QVERIFY(!p.filterWindow.Running());
        QCOMPARE(ReadBytes(p.TelemetryPath("A030415.tlm")), (std::vector<std::uint8_t>{1, 2, 3}));
        messages.answer = true;
        p.filterWindow.StartFiltering();
        QTRY_VERIFY(!p.filterWindow.Running());
        QCOMPARE(ReadBytes(p.TelemetryPath("A030415.tlm")), ReadBytes(p.TelemetryPath("core-A030415.tlm")));

        // Nothing selected: the empty output is deleted.
        p.filterWindow.KindButton(FilterKind::D)->click();
        p.filterWindow.StartFiltering();
        QTRY_VERIFY(!p.filterWindow.Running());
        QCOMPARE(p.filterWindow.FilteredCount(), QString("0"));
        QVERIFY(!QFile::exists(p.Telemetry() + "/D030415.tlm"));
    }

    void ExportWritesWhatTheCoreWrites() {
        Program& p = *p_;
        std::vector<Block512> blocks;
        for (int i = 0; i < 6; ++i) {
            Block512 b = ChannelBlock(static_cast<std::uint8_t>(0xA0 + i), 7, 1234);
            b[448] = static_cast<std::uint8_t>(i);
            b[449] = 0x5B;
            blocks.push_back(b);
        }
        blocks[3][0] = 0xC1;  // a marked A block has no line
        WriteBytes(p.TelemetryPath("A031230.tlm"), Concat(blocks));
        p.mainWindow.ReplayClick();
        p.replayWindow.FileList()->setCurrentRow(0);
        p.replayWindow.Range() = BlockRange{2, 0};
        p.replayWindow.ExportClick();
        QVERIFY(p.exportWindow.isVisible());
        QCOMPARE(p.exportWindow.StartField()->text(), QString("2"));
        QCOMPARE(p.exportWindow.StopField()->text(), QString("6"));

        // The shared key filters: addresses as the Monitor's, masks at most 3 characters.
        QTest::keyClicks(p.exportWindow.AddressField(0), "#1a7");
        QTest::keyClicks(p.exportWindow.AddressField(1), "448x");
        QTest::keyClicks(p.exportWindow.AddressField(2), "16");
        p.exportWindow.MaskField(2)->clear();
        QTest::keyClicks(p.exportWindow.MaskField(2), "#0fz");
        QCOMPARE(p.exportWindow.AddressField(0)->text(), QString("#1A7"));
        QCOMPARE(p.exportWindow.AddressField(1)->text(), QString("448"));
        QCOMPARE(p.exportWindow.MaskField(2)->text(), QString("#0F"));
        p.exportWindow.TransButton()->setChecked(true);

        const ExportFields fields = p.exportWindow.Fields();
        p.exportWindow.StartExport();
        QTRY_VERIFY(!p.exportWindow.Running());
        // One message: where the export went.
        QCOMPARE(messages.texts, QStringList({"4 lines exported to\n" + QDir::toNativeSeparators(
                                                    QString::fromStdString(p.TelemetryPath("export.txt").string()))}));
        messages.texts.clear();
        QVERIFY(!p.exportWindow.isVisible());
        const ExportCheck check = PrepareExport(fields, 6);
        QVERIFY(check.plan);
        const auto expected = p.TelemetryPath("core-export.txt");
        QVERIFY(ExportFile(p.replayWindow.Session().Image(), *check.plan, expected).written);
        const auto written = ReadBytes(p.TelemetryPath("export.txt"));
        QCOMPARE(written, ReadBytes(expected));
        const std::string text(written.begin(), written.end());
        QVERIFY(text.starts_with("Blk#, Amsat Day, Telem. addr. = #1A7, 448, 16\r\n"));
        QCOMPARE(store.Read(kExportKey, "Addr. #1"), std::string("#1A7"));
        QCOMPARE(store.Read(kExportKey, "Raw/Trans"), std::string("1"));

        // A lone "#" is refused: the header and the columns would not agree.
        p.replayWindow.ExportClick();
        p.exportWindow.AddressField(3)->setText("#");
        p.exportWindow.StartExport();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().contains("is not a number"));
        QVERIFY(p.exportWindow.isVisible());
    }

    // The road of a simulated pass: logged, filtered, replayed, graphed and exported. Each window
    // must draw something; with ORV_SCREENSHOTS set to a folder the pictures are kept there.
    void WindowsRenderASimulatedPass() {
        Program& p = *p_;
        p.loggingWindow.Logger().SetSyncEachRecord(false);
        p.loggingWindow.show();
        p.loggingWindow.LoggingButton()->click();
        test::PseudoTerminalModem modem(p.station);
        QVERIFY(modem.Select(TextSelection::Raw));
        sim::SimOptions options;
        options.startUtc = kDecember30;
        sim::TelemetryGenerator generator(options);
        for (int i = 0; i < 900; ++i) {
            const sim::SimBlock block = generator.Next();
            clock.Set(std::max(block.utc, clock.Now() + 3));
            p.station.SerialBytes(block.wire);
        }
        QVERIFY(p.loggingWindow.CountText().toInt() > 800);

        p.filterWindow.show();
        p.filterWindow.FileList()->setCurrentRow(p.filterWindow.FileList()->FileNames().indexOf("T031230.raw"));
        p.filterWindow.KindButton(FilterKind::A)->click();
        p.filterWindow.StartFiltering();
        QTRY_VERIFY(!p.filterWindow.Running());
        QVERIFY(p.filterWindow.FilteredCount().toInt() > 400);

        p.mainWindow.ReplayClick();
        p.replayWindow.FileList()->setCurrentRow(p.replayWindow.FileList()->FileNames().indexOf("A031230.tlm"));
        p.replayWindow.ForwardFive();
        // A caption click in the Temperature window, wired as the desktop program wires it.
        TemperatureWindow temperatureWindow(DisplayContext{store, p.station.state(), messages});
        temperatureWindow.SetReplayWindow(&p.replayWindow);
        connect(&temperatureWindow, &FieldForm::GraphRequested, &p.graphWindow, qOverload<const GraphRequest&>(&ChannelGraphWindow::GraphChannel));
        AnswerDialog(p.graphAddressDialog, {}, "1", QString::number(p.replayWindow.Total()), false);
        QTest::mouseClick(temperatureWindow.CaptionLabel("pnl1"), Qt::LeftButton);
        QVERIFY2(p.graphWindow.Plot() != nullptr, qPrintable(messages.texts.join("|")));
        QCOMPARE(p.graphWindow.Plot()->label7, std::string("Temp. Solar Panel #1"));
        QCOMPARE(p.graphWindow.Plot()->label13, std::string("Deg.C"));
        p.graphWindow.ShowReadOutAt(QPoint(400, 200));
        p.replayWindow.ExportClick();
        p.exportWindow.AddressField(0)->setText("#14C");
        p.exportWindow.AddressField(1)->setText("448");

        const QString keep = qEnvironmentVariable("ORV_SCREENSHOTS");
        const std::pair<QWidget*, const char*> windows[] = {
            {&p.loggingWindow, "logging"}, {&p.replayWindow, "replay"}, {&p.filterWindow, "filter"}, {&p.graphWindow, "graph"}, {&p.exportWindow, "export"},
        };
        for (const auto& [window, name] : windows) {
            QVERIFY(window->isVisible());
            const QImage picture = window->grab().toImage();
            QSet<QRgb> colours;
            for (int y = 0; y < picture.height(); y += 2)
                for (int x = 0; x < picture.width(); x += 2) colours.insert(picture.pixel(x, y));
            QVERIFY2(colours.size() > 3, name);
            if (!keep.isEmpty()) picture.save(QDir(keep).filePath(QString("%1.png").arg(name)));
        }
        if (!keep.isEmpty()) {
            // The dialog as the graph shows it, and the picture a save writes.
            p.graphAddressDialog.Prepare(true, {}, p.replayWindow.Range());
            p.graphAddressDialog.show();
            p.graphAddressDialog.grab().save(QDir(keep).filePath("graph-dialog.png"));
            p.graphAddressDialog.hide();
            QVERIFY(p.graphWindow.SavePicture(QDir(keep).filePath("graph-saved.png")));
        }
    }

private:
    std::unique_ptr<Program> p_;
};

QTEST_MAIN(FilesWindowsTest)
#include "files_windows_test.moc"
