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
#include "ui/torv5.h"
#include "ui/torv6.h"
#include "ui/torv7.h"
#include "ui/torv8.h"
#include "ui/torv9.h"
#include "ui/torv10.h"
#include "ui/torv11.h"
#include "ui/torv17.h"
#include "ui/torv18.h"
#include "ui/user_messages.h"

namespace {

// Creates every window once, in the program's order, and keeps them until exit.
struct Program {
    explicit Program(orv::Forms& f)
        : orv1(*f.store, *f.clock, *f.messages),
          orv2(orv1.Scale()),
          orv4(*f.store, orv1.station(), *f.clock, *f.messages),
          orv5(orv1, *f.store, *f.clock),
          orv6(orv1, orv2, *f.store, *f.messages),
          orv7(orv1, *f.store, *f.messages),
          orv8(*f.store, orv1.station()),
          orv9(*f.store, orv1.Scale()),
          orv10(orv6, *f.store, *f.messages, orv1.Scale()),
          orv11(*f.store),
          orv17(orv1, orv6, *f.store, *f.messages),
          orv18(orv1, *f.messages) {
        f.orv1 = &orv1;
        f.orv2 = &orv2;
        orv1.AttachRawWindow(&orv2);
        f.orv4 = &orv4;
        orv1.AttachSetup(&orv4);
        f.orv5 = &orv5;
        orv1.AttachMenuWindow(orv::MenuWindow::Logging, &orv5);
        orv1.SetLogOnStart([this] { orv5.LogOnStart(); });
        f.orv6 = &orv6;
        orv1.AttachMenuWindow(orv::MenuWindow::Replay, &orv6);
        orv1.SetReplayLoader([this](const QString& path) { orv6.LoadDroppedFile(path); });
        f.orv7 = &orv7;
        orv1.AttachMenuWindow(orv::MenuWindow::Filter, &orv7);
        f.orv8 = &orv8;
        f.orv9 = &orv9;
        orv8.AttachByteDump(&orv9);
        orv1.AttachMenuWindow(orv::MenuWindow::Monitor, &orv8);
        orv1.SetMonitorUpdate([this] { orv8.MonitorUpdate(); });
        orv6.AttachMonitor(&orv8);
        f.orv10 = &orv10;
        f.orv11 = &orv11;
        orv10.AttachDialog(&orv11);
        orv6.AttachGraph(&orv10);
        f.orv17 = &orv17;
        orv6.AttachExport(&orv17);
        f.orv18 = &orv18;
        orv1.AttachMenuWindow(orv::MenuWindow::DspLoad, &orv18);
    }
    orv::TOrv1 orv1;
    orv::TOrv2 orv2;
    orv::TOrv4 orv4;
    orv::TOrv5 orv5;
    orv::TOrv6 orv6;
    orv::TOrv7 orv7;
    orv::TOrv8 orv8;
    orv::TOrv9 orv9;
    orv::TOrv10 orv10;
    orv::TOrv11 orv11;
    orv::TOrv17 orv17;
    orv::TOrv18 orv18;
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
