#pragma once
// The program-wide window instances. The desktop program creates every window once, in the
// order of the fields below, fills this record and keeps the windows until exit; windows call
// each other through it. A window that is not part of the program yet stays null.
#include "reception/settings_store.h"

namespace orv {

class Clock;
class UserMessages;
class MainWindow;
class RawDataWindow;
class SetupWindow;
class LoggingWindow;
class ReplayWindow;
class FilterWindow;
class MonitorWindow;
class ByteDumpWindow;
class ChannelGraphWindow;
class GraphAddressDialog;
class IfMatrixWindow;
class TemperatureWindow;
class PowerWindow;
class NavigationWindow;
class StatusWindow;
class ExportWindow;
class DspLoaderWindow;
class NetworkWindow;
class AdcAnalysisWindow;

struct Forms {
    KeyValueStore* store = nullptr;
    const Clock* clock = nullptr;
    UserMessages* messages = nullptr;

    MainWindow* mainWindow = nullptr;    // main window
    RawDataWindow* rawDataWindow = nullptr;    // raw data
    SetupWindow* setupWindow = nullptr;    // Setup
    LoggingWindow* loggingWindow = nullptr;    // Logging
    ReplayWindow* replayWindow = nullptr;    // Replay
    FilterWindow* filterWindow = nullptr;    // Filter
    MonitorWindow* monitorWindow = nullptr;    // Monitor
    ByteDumpWindow* byteDumpWindow = nullptr;    // Byte dump
    ChannelGraphWindow* graphWindow = nullptr;  // Telemetry graph
    GraphAddressDialog* graphAddressDialog = nullptr;  // graph address dialog
    IfMatrixWindow* ifMatrixWindow = nullptr;  // IF matrix
    TemperatureWindow* temperatureWindow = nullptr;  // Temperature
    PowerWindow* powerWindow = nullptr;  // Power
    StatusWindow* statusWindow = nullptr;  // Status
    NavigationWindow* navigationWindow = nullptr;  // Navigation
    ExportWindow* exportWindow = nullptr;  // Export
    DspLoaderWindow* dspLoaderWindow = nullptr;  // DSP-93 loader
    NetworkWindow* networkWindow = nullptr;  // TCP/IP
    AdcAnalysisWindow* adcAnalysisWindow = nullptr;  // ADC analysis
};

}  // namespace orv
