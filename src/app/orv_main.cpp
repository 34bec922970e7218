// orv: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QProxyStyle>
#include <QRadioButton>
#include <cstdio>
#include <memory>

#include "app/demo_station.h"
#include "app/station/station_runtime.h"
#include "reception/clock.h"
#include "reception/qt_settings_store.h"
#include "ui/forms.h"
#include "ui/torv1.h"
#include "ui/torv10.h"
#include "ui/torv11.h"
#include "ui/torv12.h"
#include "ui/torv13.h"
#include "ui/torv14.h"
#include "ui/torv15.h"
#include "ui/torv16.h"
#include "ui/torv17.h"
#include "ui/torv18.h"
#include "ui/torv19.h"
#include "ui/torv2.h"
#include "ui/torv4.h"
#include "ui/torv5.h"
#include "ui/torv6.h"
#include "ui/torv7.h"
#include "ui/torv8.h"
#include "ui/torv9.h"
#include "ui/torv20.h"
#include "ui/user_messages.h"

namespace {

// Hints appear after 1500 ms.
class OrvStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) return 1500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

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
          orv12(Displays(f), orv1.Scale()),
          orv13(Displays(f)),
          orv14(Displays(f)),
          orv16(Displays(f)),
          orv15(Displays(f)),
          orv17(orv1, orv6, *f.store, *f.messages),
          orv18(orv1, *f.messages),
          orv19(orv1, *f.store),
          orv20(*f.store, orv1.runtime().adc(), orv1.Scale(), *f.messages) {
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
        f.orv12 = &orv12;
        orv::AttachDisplayForm(orv1, orv::DisplayWindow::Matrix, orv12);
        f.orv13 = &orv13;
        orv::AttachDisplayForm(orv1, orv::DisplayWindow::Temp, orv13);
        f.orv14 = &orv14;
        orv::AttachDisplayForm(orv1, orv::DisplayWindow::Power, orv14);
        f.orv16 = &orv16;
        orv::AttachDisplayForm(orv1, orv::DisplayWindow::Status, orv16);
        orv16.AttachClock(orv1);
        f.orv15 = &orv15;
        orv::AttachDisplayForm(orv1, orv::DisplayWindow::Nav, orv15);
        // Caption clicks graph a channel of the replayed file; the raw/converted toggle redraws
        // the replayed block.
        for (orv::FieldForm* form : {static_cast<orv::FieldForm*>(&orv13), static_cast<orv::FieldForm*>(&orv14),
                                     static_cast<orv::FieldForm*>(&orv16), static_cast<orv::FieldForm*>(&orv15)}) {
            form->SetReplayWindow(&orv6);
            QObject::connect(form, &orv::FieldForm::GraphRequested, &orv10,
                             qOverload<const orv::GraphRequest&>(&orv::TOrv10::GraphChannel));
            QObject::connect(form, &orv::FieldForm::RawModeToggled, &orv6, &orv::TOrv6::ShowReplayBlock);
        }
        f.orv17 = &orv17;
        orv6.AttachExport(&orv17);
        f.orv18 = &orv18;
        orv1.AttachMenuWindow(orv::MenuWindow::DspLoad, &orv18);
        f.orv19 = &orv19;
        orv::AttachTcpIpWindow(orv1, orv19);
        f.orv20 = &orv20;
        orv1.AttachMenuWindow(orv::MenuWindow::AdcDisplay, &orv20);
        orv1.SetAdcRefresh([this] { orv20.RefreshAdcStatistics(); });
    }
    orv::DisplayContext Displays(const orv::Forms& f) { return {*f.store, orv1.station(), *f.messages}; }

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
    orv::TOrv12 orv12;
    orv::TOrv13 orv13;
    orv::TOrv14 orv14;
    orv::TOrv16 orv16;
    orv::TOrv15 orv15;
    orv::TOrv17 orv17;
    orv::TOrv18 orv18;
    orv::TOrv19 orv19;
    orv::TOrv20 orv20;
};

}  // namespace

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(guide);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orv"));
    QApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));
    QApplication::setStyle(new OrvStyle);

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
    orv::Forms forms;
    forms.store = demo ? &demo->Store() : store.get();
    forms.clock = &clock;
    forms.messages = &messages;

    Program program(forms);
    if (parser.isSet(serialOption)) forms.orv1->runtime().SetSerialOverride(parser.value(serialOption));
    forms.orv1->show();
    if (demo) {
        // The demo station receives through its real serial path, a pseudo-terminal.
        forms.orv1->runtime().SetSerialOverride(demo->SerialDevice());
        forms.orv1->TextButton(0)->click();
        if (!demo->Start()) {
            std::fprintf(stderr, "orv: the demo cannot start: %s\n", qPrintable(demo->Error()));
            return 1;
        }
    }
    return QApplication::exec();
}
