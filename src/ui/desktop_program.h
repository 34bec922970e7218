#pragma once
// The desktop program: every window created once, in the program's order, over one station, and
// wired together. `orv` runs one; the window tests build the same program.
#include "station/station.h"
#include "ui/adc_analysis_window.h"
#include "ui/audio_signal_window.h"
#include "ui/byte_dump_window.h"
#include "ui/channel_graph_window.h"
#include "ui/dsp_loader_window.h"
#include "ui/export_window.h"
#include "ui/filter_window.h"
#include "ui/forwarding_window.h"
#include "ui/graph_address_dialog.h"
#include "ui/if_matrix_window.h"
#include "ui/logging_window.h"
#include "ui/main_window.h"
#include "ui/monitor_window.h"
#include "ui/navigation_window.h"
#include "ui/network_window.h"
#include "ui/power_window.h"
#include "ui/raw_data_window.h"
#include "ui/replay_window.h"
#include "ui/setup_window.h"
#include "ui/status_window.h"
#include "ui/temperature_window.h"

namespace orv {

class UserMessages;

struct DesktopProgram {
    // The station is the program's; the windows are created (the main window first, whose
    // start-up loads the settings and checks the data directory) and wired.
    DesktopProgram(Station& station, UserMessages& messages);

    Station& station;
    UserMessages& messages;
    MainWindow mainWindow;
    RawDataWindow rawDataWindow;
    SetupWindow setupWindow;
    LoggingWindow loggingWindow;
    ReplayWindow replayWindow;
    FilterWindow filterWindow;
    MonitorWindow monitorWindow;
    ByteDumpWindow byteDumpWindow;
    ChannelGraphWindow graphWindow;
    GraphAddressDialog graphAddressDialog;
    IfMatrixWindow ifMatrixWindow;
    TemperatureWindow temperatureWindow;
    PowerWindow powerWindow;
    StatusWindow statusWindow;
    NavigationWindow navigationWindow;
    ExportWindow exportWindow;
    DspLoaderWindow dspLoaderWindow;
    NetworkWindow networkWindow;
    AdcAnalysisWindow adcAnalysisWindow;
    AudioSignalWindow audioSignalWindow;
    ForwardingWindow forwardingWindow;

private:
    DisplayContext Displays();
    void Wire();
};

}  // namespace orv
