// orv-cli station: the headless station. The same station core as the desktop program, without
// any window, until SIGINT or SIGTERM: input from a serial demodulator or from another station's
// relay server, the relay to clients and by UDP, one line per completed block on stdout; status
// and errors on stderr.
#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/stop_on_signals.h"
#include "station/station_runtime.h"
#include "files/telemetry_logger.h"
#include "net/block_line.h"
#include "net/network_client.h"
#include "net/relay.h"
#include "net/wire.h"
#include "reception/qt_settings_store.h"

namespace orv::cli {
namespace {

constexpr const char* kStationUsage =
    "(--serial PATH [--baud N] [--modem 512|514|ADC] | --connect HOST:PORT [--reconnect SECONDS])\n"
    "        [--data-dir DIR [--log all|A] [--crcc ignore|use] [--log-fec]]\n"
    "        [--serve PORT [--full-block]] [--udp HOST:PORT]";

struct StationOptions {
    std::string serialPath;
    std::optional<int> baud;
    std::optional<ModemType> modem;
    std::string connectHost;
    std::uint16_t connectPort = 0;
    int reconnectSeconds = 0;
    std::string dataDir;
    bool logAOnly = false;
    bool useCrcc = false;
    bool logFec = false;
    std::optional<std::uint16_t> servePort;  // 0: any free port, reported on stderr
    bool fullBlock = false;
    std::string udpHost;
    std::uint16_t udpPort = 0;
};

void Complain(const std::string& message) { std::cerr << "orv-cli station: " << message << "\n"; }

bool Refuse(const std::string& message) {
    Complain(message);
    return false;
}

bool ReadWhole(const std::string& option, const std::string& text, long long low, long long high, long long& value) {
    if (CliArgs::ParseInt(text, value) && value >= low && value <= high) return true;
    return Refuse(option + " \"" + text + "\" is not a whole number " + std::to_string(low) + ".." +
                  std::to_string(high));
}

bool ReadHostPort(const std::string& option, const std::string& text, std::string& host, std::uint16_t& port) {
    std::string error;
    if (ParseHostPort(text, host, port, &error)) return true;
    return Refuse(option + ": " + error);
}

// Reads the command line; false (with a message) on anything it cannot use.
bool ReadStationOptions(std::vector<std::string> args, StationOptions& o) {
    CliArgs a(std::move(args));
    o.serialPath = Globals().serialPath;  // --serial is read before the subcommand
    const auto baud = a.TakeValue("--baud");
    const auto modem = a.TakeValue("--modem");
    const auto connect = a.TakeValue("--connect");
    const auto reconnect = a.TakeValue("--reconnect");
    const auto dataDir = a.TakeValue("--data-dir");
    const auto log = a.TakeValue("--log");
    const auto crcc = a.TakeValue("--crcc");
    o.logFec = a.TakeFlag("--log-fec");
    const auto serve = a.TakeValue("--serve");
    o.fullBlock = a.TakeFlag("--full-block");
    const auto udp = a.TakeValue("--udp");
    if (!a.Error().empty()) return Refuse(a.Error());
    if (const std::string unknown = a.UnknownOption(); !unknown.empty()) return Refuse("unknown option " + unknown);
    if (!a.Rest().empty()) return Refuse("unexpected argument \"" + a.Rest().front() + "\"");

    long long v = 0;
    if (connect) {
        if (!o.serialPath.empty()) return Refuse("give either --serial or --connect, not both");
        if (baud || modem) return Refuse("--baud and --modem belong to --serial input");
        if (!ReadHostPort("--connect", *connect, o.connectHost, o.connectPort)) return false;
        if (reconnect) {
            if (!ReadWhole("--reconnect", *reconnect, 1, 86400, v)) return false;
            o.reconnectSeconds = static_cast<int>(v);
        }
    } else {
        if (o.serialPath.empty()) return Refuse("give the input: --serial PATH or --connect HOST:PORT");
        if (reconnect) return Refuse("--reconnect belongs to --connect input");
        if (baud) {
            if (!ReadWhole("--baud", *baud, 50, 4000000, v)) return false;
            o.baud = static_cast<int>(v);
        }
        if (modem) {
            if (*modem == "512") o.modem = ModemType::Bytes512;
            else if (*modem == "514") o.modem = ModemType::Bytes514;
            else if (*modem == "ADC") o.modem = ModemType::Adc;
            else return Refuse("--modem \"" + *modem + "\" is not 512, 514 or ADC");
        }
    }

    if (dataDir) {
        if (dataDir->empty()) return Refuse("--data-dir needs a directory");
        o.dataDir = *dataDir;
        if (log && *log != "all" && *log != "A") return Refuse("--log \"" + *log + "\" is not all or A");
        if (crcc && *crcc != "ignore" && *crcc != "use")
            return Refuse("--crcc \"" + *crcc + "\" is not ignore or use");
        o.logAOnly = log && *log == "A";
        o.useCrcc = crcc && *crcc == "use";
    } else if (log || crcc || o.logFec) {
        return Refuse("--log, --crcc and --log-fec belong to --data-dir");
    }

    if (serve) {
        if (!ReadWhole("--serve", *serve, 0, 65535, v)) return false;
        o.servePort = static_cast<std::uint16_t>(v);
    } else if (o.fullBlock) {
        return Refuse("--full-block belongs to --serve");
    }
    if (udp && !ReadHostPort("--udp", *udp, o.udpHost, o.udpPort)) return false;
    return true;
}

// Status texts on stderr, each once: a link that keeps failing or a run of sent datagrams does not
// fill the log with the same line.
void PrintStatus(const QString& text) {
    static QString last;
    if (text.isEmpty() || text == last) return;
    last = text;
    Complain(text.toStdString());
}

// One headless station, put together from the options and run until a signal or a fatal loss.
class HeadlessStation {
public:
    HeadlessStation(const StationOptions& options, KeyValueStore& store)
        : o_(options), runtime_(store, clock_), station_(runtime_.station()) {}

    // 0 after SIGINT/SIGTERM; 1 when the input is lost or cannot be opened; 2 for options that do
    // not fit the station's settings.
    int Run() {
        runtime_.LoadSettings();
        if (const int refused = ApplyOptions(); refused != 0) return refused;
        if (!StartLogging() || !StartRelay() || !StartInput()) return 1;
        QObject::connect(&runtime_, &StationRuntime::BlockHandled, [this] { PrintBlock(); });

        StopOnSignals onSignals(stop_);
        onSignals.ExitEventLoopWhenStopped();
        const int code = QCoreApplication::exec();
        stop_.Request();  // what follows is the station's own doing
        if (client_) client_->Disconnect();
        relay_.Server().Stop();
        runtime_.CloseSerialPort();
        Complain("stopped");
        return code;
    }

private:
    int ApplyOptions() {
        // Blocks from the network always carry their CRCC bytes.
        if (!o_.connectHost.empty()) station_.SetModemType(ModemType::Bytes514);
        if (o_.modem) station_.SetModemType(*o_.modem);
        if (o_.baud) station_.settings.baudRate = *o_.baud;
        if (o_.logFec && !station_.AdcPath()) {
            Complain("--log-fec needs FEC frames: --modem ADC");
            return 2;
        }
        if (o_.useCrcc && station_.receiver.blockLength != 514) {
            Complain("--crcc use needs 514-byte blocks");
            return 2;
        }
        station_.settings.logFec = o_.logFec;
        return 0;
    }

    // Logging as the Logging window does it, into DIR/telemetry.
    bool StartLogging() {
        if (o_.dataDir.empty()) return true;
        const auto telemetry = std::filesystem::path(o_.dataDir) / "telemetry";
        std::error_code error;
        std::filesystem::create_directories(telemetry, error);
        if (error) return Refuse("cannot create " + telemetry.string() + ": " + error.message());
        station_.workingDataDirectory = o_.dataDir;
        logger_ = std::make_unique<TelemetryLogger>(station_, clock_);
        if (o_.logAOnly) logger_->LogABlocksOnly();
        if (o_.useCrcc) logger_->UseCrcc();
        logger_->StartLogging();
        Complain("logging to " + logger_->LogPath().string());
        runtime_.SetLogSink([this](std::span<const std::uint8_t, kTelemetryBytes> record) {
            const LogAppendResult result = logger_->AppendBlockToLog(record);
            if (!result.written)
                Complain("block not logged (" + std::to_string(logger_->LostBlocks()) + " lost): " + result.error);
        });
        return true;
    }

    bool StartRelay() {
        relay_.SetReceiverState(&station_.receiver);
        relay_.SetRealTime(!o_.fullBlock);
        runtime_.SetRelay(&relay_);
        QObject::connect(&relay_, &Relay::StatusChanged, &PrintStatus);
        if (o_.servePort) {
            if (!relay_.Server().Listen(*o_.servePort)) return false;  // the status has said why
            Complain("serving on port " + std::to_string(relay_.Server().Port()) +
                     (o_.fullBlock ? " (Full block)" : " (Real time)"));
        }
        if (!o_.udpHost.empty()) {
            relay_.SetUdpOn(true);
            relay_.Udp().SetDestination(QString::fromStdString(o_.udpHost), o_.udpPort);
        }
        return true;
    }

    bool StartInput() {
        if (!o_.connectHost.empty()) {
            client_ = std::make_unique<NetworkClient>(station_, runtime_.receiver());
            client_->SetReconnectSeconds(o_.reconnectSeconds);
            QObject::connect(client_.get(), &NetworkClient::StatusChanged, &PrintStatus);
            QObject::connect(client_.get(), &NetworkClient::StateChanged, [this](NetworkClient::LinkState state) {
                // Without --reconnect a lost or refused link ends the station.
                if (state == NetworkClient::LinkState::Off && !stop_.Requested())
                    Fail("no link to " + o_.connectHost + ":" + std::to_string(o_.connectPort) +
                         "; stopping (--reconnect SECONDS keeps trying)");
            });
            client_->ConnectTo(QString::fromStdString(o_.connectHost), o_.connectPort);
            return true;
        }
        runtime_.SetSerialOverride(QString::fromStdString(o_.serialPath));
        QString error;
        if (!runtime_.OpenSerialPort(&error))
            return Refuse("cannot open serial port " + o_.serialPath + ": " + error.toStdString());
        QObject::connect(&runtime_, &StationRuntime::SerialPortLost,
                         [this](const QString& reason) { Fail("serial port lost: " + reason.toStdString()); });
        Complain("reading " + o_.serialPath + " at " + std::to_string(station_.settings.baudRate) + " baud, modem " +
                 ModemTypeText(station_.settings.modemType));
        return true;
    }

    void PrintBlock() {
        const std::string line = BlockLine(station_.stores.current, station_.receiver.crccLabel, clock_.Now());
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    // Ends the station with status 1 once the event loop runs (also when it has not started yet).
    void Fail(const std::string& message) {
        Complain(message);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }

    const StationOptions& o_;
    SystemClock clock_;
    sim::StopSignal stop_;
    StationRuntime runtime_;
    StationState& station_;
    std::unique_ptr<TelemetryLogger> logger_;
    Relay relay_;
    std::unique_ptr<NetworkClient> client_;
};

int RunStation(std::vector<std::string> args, int argc, char** argv) {
    StationOptions options;
    if (!ReadStationOptions(std::move(args), options)) return 2;
    QCoreApplication app(argc, argv);
    auto store = OpenSettingsStore(QString::fromStdString(Globals().settingsFile));
    HeadlessStation station(options, *store);
    return station.Run();
}

}  // namespace

std::vector<CliCommand> NetCommands() {
    return {
        {"station", kStationUsage,
         "run a headless station until SIGINT/SIGTERM: one line per completed block on stdout "
         "(UTC time, kind, CRCC verdict, A-block header date and time)",
         RunStation},
    };
}

}  // namespace orv::cli
