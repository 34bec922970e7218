// orv: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <memory>

#include "app/station/station_runtime.h"
#include "reception/clock.h"
#include "reception/qt_settings_store.h"
#include "ui/forms.h"
#include "ui/torv1.h"
#include "ui/torv2.h"
#include "ui/torv4.h"
#include "ui/user_messages.h"

namespace {

// Creates every window once, in the program's order, and keeps them until exit.
struct Program {
    explicit Program(orv::Forms& f)
        : orv1(*f.store, *f.clock, *f.messages),
          orv2(orv1.Scale()),
          orv4(*f.store, orv1.station(), *f.clock, *f.messages) {
        f.orv1 = &orv1;
        f.orv2 = &orv2;
        orv1.AttachRawWindow(&orv2);
        f.orv4 = &orv4;
        orv1.AttachSetup(&orv4);
    }
    orv::TOrv1 orv1;
    orv::TOrv2 orv2;
    orv::TOrv4 orv4;
};

}  // namespace

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
    orv::Forms forms;
    forms.store = store.get();
    forms.clock = &clock;
    forms.messages = &messages;

    Program program(forms);
    if (parser.isSet(serialOption)) forms.orv1->runtime().SetSerialOverride(parser.value(serialOption));
    forms.orv1->show();
    return QApplication::exec();
}
