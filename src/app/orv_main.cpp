// orv: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>

#include "reception/clock.h"
#include "reception/qt_settings_store.h"
#include "station/demo_station.h"
#include "station/forwarding.h"
#include "station/station.h"
#include "ui/desktop_program.h"
#include "ui/hint_timing.h"
#include "ui/user_messages.h"

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(guide);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orv"));
    QApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));
    orv::InstallHintTiming(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("AO-40 telemetry ground station"));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption settingsOption(QStringLiteral("settings"),
                                      QStringLiteral("Keep the settings in FILE (INI) instead of the user's store."),
                                      QStringLiteral("FILE"));
    QCommandLineOption serialOption(QStringLiteral("serial"),
                                    QStringLiteral("Serial device to use, overriding the \"Com Port No.\" setting."),
                                    QStringLiteral("PATH"));
    QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("Run on a built-in simulated station, with a throw-away data directory and settings."));
    QCommandLineOption modemOption(QStringLiteral("modem"), QStringLiteral("Modem type of the demo: 512, 514 or ADC."),
                                   QStringLiteral("TYPE"), QStringLiteral("514"));
    parser.addOption(settingsOption);
    parser.addOption(serialOption);
    parser.addOption(demoOption);
    parser.addOption(modemOption);
    parser.process(app);

    std::unique_ptr<orv::DemoStation> demo;
    if (parser.isSet(demoOption)) {
        const auto modem = orv::DemoModemType(parser.value(modemOption));
        if (!modem) {
            std::fprintf(stderr, "orv: --modem takes 512, 514 or ADC\n");
            return 2;
        }
        demo = std::make_unique<orv::DemoStation>(*modem);
        if (!demo->Error().isEmpty()) {
            std::fprintf(stderr, "orv: the demo cannot start: %s\n", qPrintable(demo->Error()));
            return 1;
        }
    }
    std::unique_ptr<orv::QtSettingsStore> store;
    if (!demo)
        store = orv::OpenSettingsStore(parser.value(settingsOption));
    orv::SystemClock clock;
    orv::QtUserMessages messages;
    orv::Station station(demo ? demo->Store() : *store, clock);
    if (parser.isSet(serialOption)) station.SetSerialOverride(parser.value(serialOption));
    orv::DesktopProgram program(station, messages);
    program.mainWindow.show();
    if (demo) {
        // Simulated blocks are never submitted anywhere as received.
        station.forwarding().SetLiveSource(false);
        // The demo station receives through its real serial path, a pseudo-terminal.
        station.SetSerialOverride(demo->SerialDevice());
        program.mainWindow.SelectTextClick(orv::TextSelection::Raw);
        if (!demo->Start()) {
            std::fprintf(stderr, "orv: the demo cannot start: %s\n", qPrintable(demo->Error()));
            return 1;
        }
        std::fprintf(stderr, "orv: %s\n", qPrintable(demo->StartNote()));
        program.mainWindow.setWindowTitle(QStringLiteral("Orv demo"));
        program.mainWindow.ShowFeedback(demo->StartNote());
    }
    const int code = QApplication::exec();
    if (demo) std::fprintf(stderr, "orv: %s\n", qPrintable(demo->Finish()));
    return code;
}
