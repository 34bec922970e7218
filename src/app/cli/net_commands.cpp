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
#include "app/station/station_runtime.h"
#include "fec/adc_reception.h"
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

class StationAdcHooks final : public AdcReceptionHooks {
public:
    void FecLogFailed(const std::filesystem::path& path) override {
        Complain("FEC log line lost: cannot write " + path.string());
    }
};

volatile std::sig_atomic_t stopRequested = 0;
extern "C" void RequestStop(int) { stopRequested = 1; }

// Status texts on stderr, each once: a link that keeps failing or a run of sent datagrams does not
// fill the log with the same line.
void PrintStatus(const QString& text) {
    static QString last;
    if (text.isEmpty() || text == last) return;
    last = text;
    Complain(text.toStdString());
}

int RunStation(std::vector<std::string> args, int argc, char** argv) {
    StationOptions o;
    if (!ReadStationOptions(std::move(args), o)) return 2;

    QCoreApplication app(argc, argv);
    auto store = Globals().settingsFile.empty()
                     ? std::make_unique<QtSettingsStore>()
                     : std::make_unique<QtSettingsStore>(QString::fromStdString(Globals().settingsFile));
    SystemClock clock;
    StationRuntime runtime(*store, clock);
    runtime.LoadSettings();
    Station& station = runtime.station();
    int exitCode = 0;
    auto fail = [&](const std::string& message) {
        Complain(message);
        exitCode = 1;
        app.exit(1);
    };

    // Blocks from the network always carry their CRCC bytes.
    if (!o.connectHost.empty()) station.SetModemType(ModemType::Bytes514);
    if (o.modem) station.SetModemType(*o.modem);
    if (o.baud) station.settings.baudRate = *o.baud;
    if (o.logFec && !station.AdcPath()) {
        Complain("--log-fec needs FEC frames: --modem ADC");
        return 2;
    }
    if (o.useCrcc && station.receiver.blockLength != 514) {
        Complain("--crcc use needs 514-byte blocks");
        return 2;
    }
    station.settings.logFec = o.logFec;

    // Logging, as the Logging window does it, into DIR/telemetry.
    std::unique_ptr<TelemetryLogger> logger;
    if (!o.dataDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(o.dataDir) / "telemetry", error);
        if (error) {
            Complain("cannot create " + (std::filesystem::path(o.dataDir) / "telemetry").string() + ": " +
                     error.message());
            return 1;
        }
        station.workingDataDirectory = o.dataDir;
        logger = std::make_unique<TelemetryLogger>(station, clock);
        if (o.logAOnly) logger->LogABlocksOnly();
        if (o.useCrcc) logger->UseCrcc();
        logger->StartLogging();
        Complain("logging to " + logger->LogPath().string());
        runtime.SetLogSink([&](std::span<const std::uint8_t, kTelemetryBytes> record) {
            const LogAppendResult result = logger->AppendBlockToLog(record);
            if (!result.written)
                Complain("block not logged (" + std::to_string(logger->LostBlocks()) + " lost): " + result.error);
        });
    }

    // "ADC": the serial bytes are samples; blocks come from sync detection and FEC decoding.
    StationAdcHooks adcHooks;
    std::unique_ptr<AdcReception> adc;
    if (station.AdcPath()) {
        adc = std::make_unique<AdcReception>(runtime.receiver(), &adcHooks);
        runtime.SetAdcSink([&](std::span<const std::uint8_t> bytes) { adc->ProcessAdcBytes(bytes); });
    }

    // One line per completed block.
    QObject::connect(&runtime, &StationRuntime::BlockHandled, [&] {
        const std::string line = BlockLine(station.stores.current, station.receiver.crccLabel, clock.Now());
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });

    Relay relay;
    relay.SetReceiverState(&station.receiver);
    relay.SetRealTime(!o.fullBlock);
    runtime.SetRelay(&relay);
    QObject::connect(&relay, &Relay::StatusChanged, &PrintStatus);
    if (o.servePort) {
        if (!relay.Server().Listen(*o.servePort)) return 1;  // the status has said why
        Complain("serving on port " + std::to_string(relay.Server().Port()) +
                 (o.fullBlock ? " (Full block)" : " (Real time)"));
    }
    if (!o.udpHost.empty()) {
        relay.SetUdpOn(true);
        relay.Udp().SetDestination(QString::fromStdString(o.udpHost), o.udpPort);
    }

    std::unique_ptr<NetworkClient> client;
    if (!o.connectHost.empty()) {
        client = std::make_unique<NetworkClient>(station, runtime.receiver());
        client->SetReconnectSeconds(o.reconnectSeconds);
        QObject::connect(client.get(), &NetworkClient::StatusChanged, &PrintStatus);
        QObject::connect(client.get(), &NetworkClient::StateChanged, [&](NetworkClient::LinkState state) {
            // Without --reconnect a lost or refused link ends the station.
            if (state == NetworkClient::LinkState::Off && !stopRequested)
                fail("no link to " + o.connectHost + ":" + std::to_string(o.connectPort) +
                     "; stopping (--reconnect SECONDS keeps trying)");
        });
        client->ConnectTo(QString::fromStdString(o.connectHost), o.connectPort);
    } else {
        runtime.SetSerialOverride(QString::fromStdString(o.serialPath));
        QString error;
        if (!runtime.OpenSerialPort(&error)) {
            Complain("cannot open serial port " + o.serialPath + ": " + error.toStdString());
            return 1;
        }
        QObject::connect(&runtime, &StationRuntime::SerialPortLost,
                         [&](const QString& reason) { fail("serial port lost: " + reason.toStdString()); });
        Complain("reading " + o.serialPath + " at " + std::to_string(station.settings.baudRate) + " baud, modem " +
                 ModemTypeText(station.settings.modemType));
    }

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&] {
        if (stopRequested) app.exit(0);
    });
    stopWatch.start(100);

    app.exec();
    stopRequested = 1;  // what follows is the station's own doing
    if (client) client->Disconnect();
    relay.Server().Stop();
    runtime.CloseSerialPort();
    Complain("stopped");
    return exitCode;
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
