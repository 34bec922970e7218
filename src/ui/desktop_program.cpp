#include "ui/desktop_program.h"

#include "station/network_control.h"
#include "ui/form_position.h"

namespace orv {
namespace {

// The picture of the audio signal keeps its place like the program's other windows.
constexpr FormSlot kAudioSignalForm{.number = 21, .defaultTopTwips = 3000, .defaultLeftTwips = 6000};

}  // namespace

DesktopProgram::DesktopProgram(Station& s, UserMessages& m)
    : station(s),
      messages(m),
      mainWindow(station, messages),
      rawDataWindow(mainWindow.Scale()),
      setupWindow(station, messages),
      loggingWindow(station, mainWindow.Scale()),
      replayWindow(station, rawDataWindow, messages),
      filterWindow(station, station.store(), messages),
      monitorWindow(station.store(), station.state()),
      byteDumpWindow(station.store(), mainWindow.Scale()),
      graphWindow(replayWindow, station.store(), messages, mainWindow.Scale()),
      graphAddressDialog(station.store()),
      ifMatrixWindow(Displays(), mainWindow.Scale()),
      temperatureWindow(Displays()),
      powerWindow(Displays()),
      statusWindow(Displays()),
      navigationWindow(Displays()),
      exportWindow(station, replayWindow, station.store(), messages),
      dspLoaderWindow(station, messages),
      networkWindow(station, station.store()),
      adcAnalysisWindow(station.store(), station.adc(), mainWindow.Scale(), messages),
      audioSignalWindow([&s] { return s.Demodulator(); }, [&s] { return s.Receiver(); }),
      forwardingWindow(station) {
    Wire();
    // KISS, SiDS and MQTT run from the start, as they were left.
    forwardingWindow.ApplyStored();
}

DisplayContext DesktopProgram::Displays() { return {station.store(), station.state(), messages}; }

void DesktopProgram::Wire() {
    mainWindow.AttachRawWindow(&rawDataWindow);
    mainWindow.AttachSetup(&setupWindow);
    setupWindow.SetDeviceInUse([this] { return station.SerialDevice(); });

    mainWindow.AttachMenuWindow(MenuWindow::Logging, &loggingWindow);
    mainWindow.SetLogOnStart([this] { loggingWindow.LogOnStart(); });

    mainWindow.AttachMenuWindow(MenuWindow::Replay, &replayWindow);
    mainWindow.SetReplayLoader([this](const QString& path) { replayWindow.LoadDroppedFile(path); });
    mainWindow.SetReplayCounterSink([this](const QString& text) { replayWindow.ShowCounter(text.toStdString()); });
    replayWindow.SetDropHandler([this](const QString& path) { mainWindow.DropFile(path); });
    replayWindow.AttachGraph(&graphWindow);
    replayWindow.AttachExport(&exportWindow);

    mainWindow.AttachMenuWindow(MenuWindow::Filter, &filterWindow);

    monitorWindow.AttachByteDump(&byteDumpWindow);
    mainWindow.AttachMenuWindow(MenuWindow::Monitor, &monitorWindow);
    mainWindow.SetMonitorUpdate([this] { monitorWindow.MonitorUpdate(); });

    graphWindow.AttachDialog(&graphAddressDialog);

    AttachDisplayForm(mainWindow, DisplayWindow::Matrix, ifMatrixWindow);
    AttachDisplayForm(mainWindow, DisplayWindow::Temp, temperatureWindow);
    AttachDisplayForm(mainWindow, DisplayWindow::Power, powerWindow);
    AttachDisplayForm(mainWindow, DisplayWindow::Status, statusWindow);
    statusWindow.AttachClock(mainWindow);
    AttachDisplayForm(mainWindow, DisplayWindow::Nav, navigationWindow);
    // Caption clicks graph a channel of the replayed file; the raw/converted toggle redraws the
    // replayed block.
    for (FieldForm* form : {static_cast<FieldForm*>(&temperatureWindow), static_cast<FieldForm*>(&powerWindow),
                            static_cast<FieldForm*>(&statusWindow), static_cast<FieldForm*>(&navigationWindow)}) {
        form->SetReplayWindow(&replayWindow);
        QObject::connect(form, &FieldForm::GraphRequested, &graphWindow,
                         qOverload<const GraphRequest&>(&ChannelGraphWindow::GraphChannel));
        QObject::connect(form, &FieldForm::RawModeToggled, &replayWindow, &ReplayWindow::ShowReplayBlock);
    }

    mainWindow.AttachMenuWindow(MenuWindow::DspLoad, &dspLoaderWindow);

    mainWindow.AttachMenuWindow(MenuWindow::TcpIp, &networkWindow, [this] {
        networkWindow.show();
        networkWindow.raise();
        networkWindow.activateWindow();
    });
    mainWindow.SetBootServer([this] {
        networkWindow.show();
        networkWindow.ChooseMode(NetMode::Server);
    });

    mainWindow.AttachMenuWindow(MenuWindow::AdcDisplay, &adcAnalysisWindow);
    mainWindow.AttachMenuWindow(MenuWindow::Forwarding, &forwardingWindow);
    mainWindow.SetAdcRefresh([this] { adcAnalysisWindow.RefreshAdcStatistics(); });

    // With modem type "Audio" or "SDR" the picture of the signal opens when the input starts: the
    // operator tunes the receiver by it. The menu opens it again once closed.
    KeepFormPosition(&audioSignalWindow, station.store(), kAudioSignalForm, kSaveOnClose | kSaveAtQuit);
    mainWindow.AttachMenuWindow(MenuWindow::AudioSignal, &audioSignalWindow, [this] {
        audioSignalWindow.show();
        audioSignalWindow.raise();
        audioSignalWindow.activateWindow();
    });
    QObject::connect(&station, &Station::SelectionChanged, &audioSignalWindow, [this] {
        if ((station.Audio() || station.Receiver()) && !audioSignalWindow.isVisible()) audioSignalWindow.show();
    });
    QObject::connect(&station, &Station::InputStatus, &audioSignalWindow, &AudioSignalWindow::ShowStatus);
    QObject::connect(&station, &Station::InputEnded, &audioSignalWindow, &AudioSignalWindow::ShowStatus);
}

}  // namespace orv
