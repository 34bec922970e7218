#include "station/headless_station.h"

#include <QHostAddress>

#include <filesystem>

#include "inputs/input_table.h"
#include "inputs/kiss_input.h"
#include "station/forwarding.h"
#include "station/network_control.h"
#include "text/number_text.h"

namespace orv {
namespace {

// The relay's status lines: a server that cannot listen is an error, a dropped client a warning.
StatusLevel RelayStatusLevel(const QString& text) {
    if (text.startsWith(QStringLiteral("Cannot listen"))) return StatusLevel::Error;
    if (text.startsWith(QStringLiteral("Dropped site"))) return StatusLevel::Warning;
    return StatusLevel::Status;
}

}  // namespace

HeadlessStation::HeadlessStation(const HeadlessSetup& setup, KeyValueStore& store, const Clock& clock, Report report,
                                 QObject* parent)
    : QObject(parent), setup_(setup), report_(std::move(report)), station_(store, clock) {
    station_.adc().SetHooks(this);
}

HeadlessStation::HeadlessStation(const HeadlessSetup& setup, KeyValueStore& store, const Clock& clock,
                                 std::function<void(const std::string&)> report, QObject* parent)
    : HeadlessStation(setup, store, clock, Report([report = std::move(report)](StatusLevel, const std::string& line) {
                          report(line);
                      }),
                      parent) {}

HeadlessStation::~HeadlessStation() {
    station_.adc().SetHooks(nullptr);
    Stop();
}

int HeadlessStation::Start() {
    station_.LoadSettings();
    if (const int refused = ApplySetup(); refused != 0) return refused;
    if (!StartLogging() || !StartRelay() || !StartKiss() || !StartInput()) return 1;
    return 0;
}

void HeadlessStation::Stop() {
    if (!stopping_) ReportKissSkips();
    stopping_ = true;
    station_.Shutdown();
}

int HeadlessStation::ApplySetup() {
    // Blocks from the network always carry their CRCC bytes.
    if (!setup_.connectHost.empty()) station_.SetModemType(ModemType::Bytes514);
    if (setup_.modem) station_.SetModemType(*setup_.modem);
    if (setup_.audio) {
        station_.SetModemType(ModemType::Audio);
        station_.SetAudioOverride(*setup_.audio);
    }
    if (setup_.sdr) {
        station_.SetModemType(ModemType::Sdr);
        station_.SetSdrOverride(*setup_.sdr);
    }
    if (setup_.baud) station_.SetBaudRate(*setup_.baud);
    const StationState& s = station_.state();
    if (setup_.logFec && !InputForModem(s.settings.modemType).samples && !setup_.forwarding.HasKissInput()) {
        Say(StatusLevel::Error, "--log-fec needs FEC frames: --modem ADC, audio or a KISS input");
        return 2;
    }
    if (setup_.useCrcc && s.receiver.blockLength != 514) {
        Say(StatusLevel::Error, "--crcc use needs 514-byte blocks");
        return 2;
    }
    station_.SetLogFec(setup_.logFec);
    return 0;
}

bool HeadlessStation::StartLogging() {
    if (setup_.dataDir.empty()) return true;
    station_.SetDataDirectory(setup_.dataDir);
    const auto telemetry = station_.TelemetryDirectory();
    std::error_code error;
    std::filesystem::create_directories(telemetry, error);
    if (error) {
        Say(StatusLevel::Error, "cannot create " + telemetry.string() + ": " + error.message());
        return false;
    }
    TelemetryLogger& logger = station_.logger();
    if (setup_.logAOnly) logger.LogABlocksOnly();
    if (setup_.useCrcc) logger.UseCrcc();
    logger.SetFollowDate(setup_.daily);
    station_.StartLogging();
    Say(StatusLevel::Status, "logging to " + logger.LogPath().string());
    connect(&station_, &Station::BlockLogged, this, [this](const LogAppendResult& result) {
        if (result.newFile) Say(StatusLevel::Status, "new day: logging to " + station_.logger().LogPath().string());
        if (!result.lossLine.empty()) Say(result.written ? StatusLevel::Status : StatusLevel::Error, result.lossLine);
        if (!result.notice.empty()) Say(StatusLevel::Warning, result.notice);
    });
    return true;
}

void HeadlessStation::Hangup() {
    if (setup_.dataDir.empty()) {
        Say(StatusLevel::Status, "SIGHUP: no log file to reopen");
    } else {
        station_.logger().UpdateLogFileName();
        Say(StatusLevel::Status,
            "SIGHUP: log file closed; the next block reopens " + station_.logger().LogPath().string());
    }
    QString kiss;
    const bool reopened = station_.forwarding().ReopenKissFile(kiss);
    if (!kiss.isEmpty()) Say(reopened ? StatusLevel::Status : StatusLevel::Error, "SIGHUP: " + kiss.toStdString());
    ReportKissSkips();
}

void HeadlessStation::ReportKissSkips() {
    for (const auto& input : station_.KissInputs())
        if (const QString summary = input->NewSkipsSummary(); !summary.isEmpty()) Say(StatusLevel::Warning, summary.toStdString());
}

bool HeadlessStation::StartRelay() {
    Relay& relay = station_.relay();
    relay.SetRealTime(!setup_.fullBlock);
    connect(&relay, &Relay::StatusChanged, this, [this](const QString& text) { ReportOnce(text, RelayStatusLevel(text)); });
    if (setup_.servePort) {
        const QHostAddress address = setup_.bindAddress.empty() ? QHostAddress(QHostAddress::Any)
                                                                : QHostAddress(QString::fromStdString(setup_.bindAddress));
        if (!relay.Server().Listen(*setup_.servePort, address)) return false;  // the status has said why
        Say(StatusLevel::Status, "serving on " + (setup_.bindAddress.empty() ? std::string() : setup_.bindAddress + " ") +
                                     "port " + std::to_string(relay.Server().Port()) +
                                     (setup_.fullBlock ? " (Full block)" : " (Real time)"));
    }
    if (!setup_.udpHost.empty()) {
        relay.SetUdpOn(true);
        relay.Udp().SetDestination(QString::fromStdString(setup_.udpHost), setup_.udpPort);
    }
    return true;
}

bool HeadlessStation::StartKiss() {
    Forwarding& forwarding = station_.forwarding();
    station_.SetSimulated(setup_.simulated);
    connect(&forwarding, &Forwarding::StatusChanged, this, &HeadlessStation::ReportOnce);
    connect(&station_, &Station::KissInputStatus, this,
            [this](const QString& text) { ReportOnce(text, KissInput::LevelOf(text)); });
    connect(&station_, &Station::KissInputEnded, this, [this](const QString& error) {
        if (error.isEmpty()) Say(StatusLevel::Status, "end of the KISS input");
        else Say(StatusLevel::Error, "KISS input: " + error.toStdString());
        if (setup_.serialPath.empty() && setup_.connectHost.empty() && setup_.forwarding.kissConnectHost.empty())
            emit Ended();
    });
    // --bind applies to every server the station opens.
    ForwardingSetup forwardingSetup = setup_.forwarding;
    if (forwardingSetup.kissServeAddress.empty()) forwardingSetup.kissServeAddress = setup_.bindAddress;
    return StartForwarding(forwardingSetup, station_, station_.DataDirectory(), report_);
}

bool HeadlessStation::StartInput() {
    if (setup_.audio) return StartAudioInput();
    if (setup_.sdr) return StartSdrInput();
    if (setup_.serialPath.empty() && setup_.connectHost.empty() && setup_.forwarding.HasKissInput()) return true;
    if (!setup_.connectHost.empty()) {
        RelayClientInput& client = station_.client();
        client.SetReconnectSeconds(setup_.reconnectSeconds);
        connect(&client, &RelayClientInput::Status, this,
                [this](const QString& text) { ReportOnce(text, StatusLevel::Status); });
        connect(&client, &RelayClientInput::StateChanged, this, [this](RelayClientInput::LinkState state) {
            if (state != RelayClientInput::LinkState::Off || stopping_) return;
            const std::string message = "no link to " + setup_.connectHost + ":" + std::to_string(setup_.connectPort) +
                                        "; stopping (--reconnect SECONDS keeps trying)";
            Say(StatusLevel::Error, message);
            emit Failed(QString::fromStdString(message));
        });
        client.ConnectTo(QString::fromStdString(setup_.connectHost), setup_.connectPort);
        return true;
    }
    station_.SetSerialOverride(QString::fromStdString(setup_.serialPath));
    const SelectionResult opened = station_.SelectText(TextSelection::Raw);
    if (opened.portFailed) {
        Say(StatusLevel::Error, "cannot open serial port " + setup_.serialPath + ": " + opened.error);
        return false;
    }
    connect(&station_, &Station::InputLost, this, [this](const QString& reason) {
        const std::string message = "serial port lost: " + reason.toStdString();
        Say(StatusLevel::Error, message);
        emit Failed(QString::fromStdString(message));
    });
    const StationState& s = station_.state();
    Say(StatusLevel::Status, "reading " + setup_.serialPath + " at " + std::to_string(s.settings.baudRate) +
                                 " baud, modem " + ModemTypeText(s.settings.modemType));
    return true;
}

bool HeadlessStation::StartAudioInput() {
    const SelectionResult opened = station_.SelectText(TextSelection::Raw);
    if (opened.portFailed) {
        Say(StatusLevel::Error, "cannot open the audio input: " + opened.error);
        return false;
    }
    connect(&station_, &Station::InputStatus, this,
            [this](const QString& text) { Say(StatusLevel::Status, text.toStdString()); });
    connect(&station_, &Station::InputEnded, this, [this](const QString& reason) {
        // Standard input is the station's only input: its end ends the station. A file's end
        // leaves the station serving what it decoded until it is stopped.
        if (setup_.audio->source == AudioSourceKind::Stdin) {
            Say(StatusLevel::Status, reason.toStdString() + "; stopping");
            emit Failed(reason);
        } else {
            Say(StatusLevel::Status, reason.toStdString() + "; the station goes on until it is stopped");
        }
    });
    Say(StatusLevel::Status, "reading audio from " + station_.PortInput()->Description().toStdString() +
                                 ", carrier sought around " + std::to_string(static_cast<int>(setup_.audio->centreHz)) +
                                 " Hz, modem Audio");
    return true;
}

bool HeadlessStation::StartSdrInput() {
    const SelectionResult opened = station_.SelectText(TextSelection::Raw);
    if (opened.portFailed) {
        Say(StatusLevel::Error, "cannot open the SDR input: " + opened.error);
        return false;
    }
    connect(&station_, &Station::InputStatus, this,
            [this](const QString& text) { ReportOnce(text, StatusLevel::Status); });
    connect(&station_, &Station::InputLost, this, [this](const QString& reason) {
        Say(StatusLevel::Error, reason.toStdString() + "; stopping");
        emit Failed(reason);
    });
    connect(&station_, &Station::InputEnded, this, [this](const QString& reason) {
        Say(StatusLevel::Status, reason.toStdString() + "; the station goes on until it is stopped");
    });
    const SdrSettings& s = *setup_.sdr;
    Say(StatusLevel::Status, "receiving IQ from " + station_.PortInput()->Description().toStdString() + ", beacon sought within " +
            PlainNumberText(s.searchHz) + " Hz of " + PlainNumberText(s.offsetHz) + " Hz from the centre, modem SDR");
    return true;
}

// Status texts, each once: a link that keeps failing or a run of sent datagrams does not fill the
// log with the same line.
void HeadlessStation::ReportOnce(const QString& text, StatusLevel level) {
    if (text.isEmpty() || text == lastStatus_) return;
    lastStatus_ = text;
    Say(level, text.toStdString());
}

void HeadlessStation::FecLogFailed(const std::filesystem::path& path) {
    if (path == failedFecLog_) return;
    failedFecLog_ = path;
    Say(StatusLevel::Error, "cannot write the FEC log \"" + path.string() + "\"; its lines are lost");
}

}  // namespace orv
