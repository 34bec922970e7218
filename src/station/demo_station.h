#pragma once
// The built-in simulated station of the demo: a throw-away data directory and settings, and the
// simulator feeding a pseudo-terminal that the station opens as its serial port.
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "sim/pty_feeder.h"
#include "reception/qt_settings_store.h"

namespace orv {

// The demo's --modem value: "512", "514" or "ADC" (also "adc"); nothing for anything else.
std::optional<ModemType> DemoModemType(const QString& text);

class DemoStation {
public:
    // Prepares the directory, the settings ("Startup" filled, so there is no first-run Setup;
    // with the ADC modem "Log FEC" on) and the pseudo-terminal. Check Error() afterwards.
    explicit DemoStation(ModemType modem = ModemType::Bytes514);
    ~DemoStation();

    const QString& Error() const { return error_; }
    KeyValueStore& Store() { return *store_; }
    QString DataDirectory() const { return dir_.path(); }
    // The device the station opens as its serial port.
    QString SerialDevice() const;
    // Starts the simulated stream; call after the station has opened the port.
    bool Start();

    // For the operator at start: where the demo's data are and that they go on exit unless
    // telemetry is logged.
    QString StartNote() const;
    // At the end: when the operator logged telemetry (a .raw or .tlm file is in "telemetry"), the
    // directory is kept; otherwise it is deleted with this object. Says which, naming the place.
    QString Finish();

private:
    QTemporaryDir dir_;
    std::unique_ptr<QtSettingsStore> store_;
    std::unique_ptr<sim::PtyFeeder> feeder_;
    QString error_;
};

}  // namespace orv
