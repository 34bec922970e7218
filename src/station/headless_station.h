#pragma once
// The station without windows, as `orv-cli station` and `orv-cli demo` run it: serial or network
// input, logging into the data directory, the relay server and the UDP sender, all set up from one
// record, with status lines for the operator through a reporter, each with how much it matters
// (StatusLevel: the journal's priority under systemd).
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forward/status_level.h"
#include "pipeline/adc_reception.h"
#include "reception/startup_settings.h"
#include "station/forwarding_setup.h"
#include "station/station.h"

namespace orv {

struct HeadlessSetup {
    // Input: a serial device, or another station's relay server.
    std::string serialPath;
    std::optional<int> baud;
    std::optional<ModemType> modem;
    std::string connectHost;
    std::uint16_t connectPort = 0;
    int reconnectSeconds = 0;      // 0: a lost or refused link ends the station
    // Or audio through the software demodulator (modem type "Audio").
    std::optional<AudioSettings> audio;
    // Or IQ from an SDR through the IQ receiver (modem type "SDR").
    std::optional<SdrSettings> sdr;
    // Logging into dataDir/telemetry, as the Logging window does it.
    std::string dataDir;
    bool logAOnly = false;
    bool useCrcc = false;
    bool logFec = false;
    bool daily = false;            // at midnight (the naming rule's date) go on in the next day's file
    // The relay: TCP server (port 0: any free port) and UDP datagrams.
    std::optional<std::uint16_t> servePort;
    bool fullBlock = false;
    std::string bindAddress;       // every server's listening address (relay, KISS); empty: all interfaces
    std::string udpHost;
    std::uint16_t udpPort = 0;
    // KISS in and out, SiDS, MQTT. A KISS input may be the only input.
    ForwardingSetup forwarding;
    // The demo or the simulator feeds the station: nothing is submitted to SiDS.
    bool simulated = false;
};

class HeadlessStation : public QObject, private AdcReceptionHooks {
    Q_OBJECT
public:
    using Report = std::function<void(StatusLevel level, const std::string& line)>;

    // `report` gets each status line for the operator (without a trailing newline) and its level.
    HeadlessStation(const HeadlessSetup& setup, KeyValueStore& store, const Clock& clock, Report report,
                    QObject* parent = nullptr);
    // The same for a reporter that takes the lines only.
    HeadlessStation(const HeadlessSetup& setup, KeyValueStore& store, const Clock& clock,
                    std::function<void(const std::string&)> report, QObject* parent = nullptr);
    ~HeadlessStation() override;

    Station& station() { return station_; }

    // Loads the settings, applies the setup and starts logging, the relay and the input.
    // 0 when running; 2 when the setup does not fit the station's settings; 1 when something
    // could not be started (the report says why).
    int Start();
    // Says what the KISS inputs skipped and closes every input and link.
    void Stop();
    // SIGHUP, after logrotate moved the files away: every file the station appends to is opened
    // anew under its name. The log is written by whole-record appends that open and close the
    // file each time, so the next block creates it; the KISS file is closed and opened again.
    // The KISS inputs say what they skipped so far. Each step is reported.
    void Hangup();

signals:
    // The input is gone for good (a lost serial port, a link that is not retried).
    void Failed(const QString& reason);
    // The only input, a KISS file or standard input, has ended.
    void Ended();

private:
    int ApplySetup();
    bool StartLogging();
    bool StartRelay();
    bool StartInput();
    bool StartAudioInput();
    bool StartSdrInput();
    bool StartKiss();
    void Say(StatusLevel level, const std::string& line) { report_(level, line); }
    void ReportOnce(const QString& text, StatusLevel level);
    void ReportKissSkips();
    void FecLogFailed(const std::filesystem::path& path) override;

    HeadlessSetup setup_;
    Report report_;
    Station station_;
    QString lastStatus_;
    std::filesystem::path failedFecLog_;
    bool stopping_ = false;
};

}  // namespace orv
