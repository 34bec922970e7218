// orv: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>
#include <memory>

#include "app/station/station_runtime.h"
#include "reception/clock.h"
#include "reception/qt_settings_store.h"
#include "ui/torv1.h"
#include "ui/torv2.h"
#include "ui/torv4.h"
#include "ui/user_messages.h"

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(guide);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orv"));
    QApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));

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
    parser.addOption(settingsOption);
    parser.addOption(serialOption);
    parser.process(app);

    std::unique_ptr<orv::QtSettingsStore> store = parser.isSet(settingsOption)
                                                      ? std::make_unique<orv::QtSettingsStore>(parser.value(settingsOption))
                                                      : std::make_unique<orv::QtSettingsStore>();
    orv::SystemClock clock;
    orv::QtUserMessages messages;

    // The windows, created once in the program's order and kept until exit.
    orv::TOrv1 orv1(*store, clock, messages);
    if (parser.isSet(serialOption)) orv1.runtime().SetSerialOverride(parser.value(serialOption));
    orv::TOrv2 orv2(orv1.Scale());
    orv1.AttachRawWindow(&orv2);
    orv::TOrv4 orv4(*store, orv1.station(), clock, messages);
    orv1.AttachSetup(&orv4);

    orv1.show();
    return QApplication::exec();
}
