// orv: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QProxyStyle>
#include <QRadioButton>
#include <cstdio>
#include <memory>

#include "station/demo_station.h"
#include "station/station_runtime.h"
#include "reception/clock.h"
#include "reception/qt_settings_store.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/channel_graph_window.h"
#include "ui/graph_address_dialog.h"
#include "ui/if_matrix_window.h"
#include "ui/temperature_window.h"
#include "ui/power_window.h"
#include "ui/navigation_window.h"
#include "ui/status_window.h"
#include "ui/export_window.h"
#include "ui/dsp_loader_window.h"
#include "ui/network_window.h"
#include "ui/raw_data_window.h"
#include "ui/setup_window.h"
#include "ui/logging_window.h"
#include "ui/replay_window.h"
#include "ui/filter_window.h"
#include "ui/monitor_window.h"
#include "ui/byte_dump_window.h"
#include "ui/adc_analysis_window.h"
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
        : mainWindow(*f.store, *f.clock, *f.messages),
          rawDataWindow(mainWindow.Scale()),
          setupWindow(*f.store, mainWindow.station(), *f.clock, *f.messages),
          loggingWindow(mainWindow, *f.store, *f.clock),
          replayWindow(mainWindow, rawDataWindow, *f.store, *f.messages),
          filterWindow(mainWindow, *f.store, *f.messages),
          monitorWindow(*f.store, mainWindow.station()),
          byteDumpWindow(*f.store, mainWindow.Scale()),
          graphWindow(replayWindow, *f.store, *f.messages, mainWindow.Scale()),
          graphAddressDialog(*f.store),
          ifMatrixWindow(Displays(f), mainWindow.Scale()),
          temperatureWindow(Displays(f)),
          powerWindow(Displays(f)),
          statusWindow(Displays(f)),
          navigationWindow(Displays(f)),
          exportWindow(mainWindow, replayWindow, *f.store, *f.messages),
          dspLoaderWindow(mainWindow, *f.messages),
          networkWindow(mainWindow, *f.store),
          adcAnalysisWindow(*f.store, mainWindow.runtime().adc(), mainWindow.Scale(), *f.messages) {
        f.mainWindow = &mainWindow;
        f.rawDataWindow = &rawDataWindow;
        mainWindow.AttachRawWindow(&rawDataWindow);
        f.setupWindow = &setupWindow;
        mainWindow.AttachSetup(&setupWindow);
        f.loggingWindow = &loggingWindow;
        mainWindow.AttachMenuWindow(orv::MenuWindow::Logging, &loggingWindow);
        mainWindow.SetLogOnStart([this] { loggingWindow.LogOnStart(); });
        f.replayWindow = &replayWindow;
        mainWindow.AttachMenuWindow(orv::MenuWindow::Replay, &replayWindow);
        mainWindow.SetReplayLoader([this](const QString& path) { replayWindow.LoadDroppedFile(path); });
        f.filterWindow = &filterWindow;
        mainWindow.AttachMenuWindow(orv::MenuWindow::Filter, &filterWindow);
        f.monitorWindow = &monitorWindow;
        f.byteDumpWindow = &byteDumpWindow;
        monitorWindow.AttachByteDump(&byteDumpWindow);
        mainWindow.AttachMenuWindow(orv::MenuWindow::Monitor, &monitorWindow);
        mainWindow.SetMonitorUpdate([this] { monitorWindow.MonitorUpdate(); });
        replayWindow.AttachMonitor(&monitorWindow);
        f.graphWindow = &graphWindow;
        f.graphAddressDialog = &graphAddressDialog;
        graphWindow.AttachDialog(&graphAddressDialog);
        replayWindow.AttachGraph(&graphWindow);
        f.ifMatrixWindow = &ifMatrixWindow;
        orv::AttachDisplayForm(mainWindow, orv::DisplayWindow::Matrix, ifMatrixWindow);
        f.temperatureWindow = &temperatureWindow;
        orv::AttachDisplayForm(mainWindow, orv::DisplayWindow::Temp, temperatureWindow);
        f.powerWindow = &powerWindow;
        orv::AttachDisplayForm(mainWindow, orv::DisplayWindow::Power, powerWindow);
        f.statusWindow = &statusWindow;
        orv::AttachDisplayForm(mainWindow, orv::DisplayWindow::Status, statusWindow);
        statusWindow.AttachClock(mainWindow);
        f.navigationWindow = &navigationWindow;
        orv::AttachDisplayForm(mainWindow, orv::DisplayWindow::Nav, navigationWindow);
        // Caption clicks graph a channel of the replayed file; the raw/converted toggle redraws
        // the replayed block.
        for (orv::FieldForm* form : {static_cast<orv::FieldForm*>(&temperatureWindow), static_cast<orv::FieldForm*>(&powerWindow),
                                     static_cast<orv::FieldForm*>(&statusWindow), static_cast<orv::FieldForm*>(&navigationWindow)}) {
            form->SetReplayWindow(&replayWindow);
            QObject::connect(form, &orv::FieldForm::GraphRequested, &graphWindow,
                             qOverload<const orv::GraphRequest&>(&orv::ChannelGraphWindow::GraphChannel));
            QObject::connect(form, &orv::FieldForm::RawModeToggled, &replayWindow, &orv::ReplayWindow::ShowReplayBlock);
        }
        f.exportWindow = &exportWindow;
        replayWindow.AttachExport(&exportWindow);
        f.dspLoaderWindow = &dspLoaderWindow;
        mainWindow.AttachMenuWindow(orv::MenuWindow::DspLoad, &dspLoaderWindow);
        f.networkWindow = &networkWindow;
        orv::AttachTcpIpWindow(mainWindow, networkWindow);
        f.adcAnalysisWindow = &adcAnalysisWindow;
        mainWindow.AttachMenuWindow(orv::MenuWindow::AdcDisplay, &adcAnalysisWindow);
        mainWindow.SetAdcRefresh([this] { adcAnalysisWindow.RefreshAdcStatistics(); });
    }
    orv::DisplayContext Displays(const orv::Forms& f) { return {*f.store, mainWindow.station(), *f.messages}; }

    orv::MainWindow mainWindow;
    orv::RawDataWindow rawDataWindow;
    orv::SetupWindow setupWindow;
    orv::LoggingWindow loggingWindow;
    orv::ReplayWindow replayWindow;
    orv::FilterWindow filterWindow;
    orv::MonitorWindow monitorWindow;
    orv::ByteDumpWindow byteDumpWindow;
    orv::ChannelGraphWindow graphWindow;
    orv::GraphAddressDialog graphAddressDialog;
    orv::IfMatrixWindow ifMatrixWindow;
    orv::TemperatureWindow temperatureWindow;
    orv::PowerWindow powerWindow;
    orv::StatusWindow statusWindow;
    orv::NavigationWindow navigationWindow;
    orv::ExportWindow exportWindow;
    orv::DspLoaderWindow dspLoaderWindow;
    orv::NetworkWindow networkWindow;
    orv::AdcAnalysisWindow adcAnalysisWindow;
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
    if (parser.isSet(serialOption)) forms.mainWindow->runtime().SetSerialOverride(parser.value(serialOption));
    forms.mainWindow->show();
    if (demo) {
        // The demo station receives through its real serial path, a pseudo-terminal.
        forms.mainWindow->runtime().SetSerialOverride(demo->SerialDevice());
        forms.mainWindow->TextButton(0)->click();
        if (!demo->Start()) {
            std::fprintf(stderr, "orv: the demo cannot start: %s\n", qPrintable(demo->Error()));
            return 1;
        }
    }
    return QApplication::exec();
}
