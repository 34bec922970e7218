// orv-cli station: the headless station until SIGINT or SIGTERM. The options become the station
// library's setup; one line per completed block on stdout, status and errors on stderr.
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/forwarding_options.h"
#include "app/cli/stop_on_signals.h"
#include "net/block_line.h"
#include "net/wire.h"
#include "reception/qt_settings_store.h"
#include "station/headless_station.h"

namespace orv::cli {
namespace {

const std::string kStationUsage =
    std::string("(--serial PATH [--baud N] [--modem 512|514|ADC] | --connect HOST:PORT [--reconnect SECONDS])\n"
                "        [--data-dir DIR [--log all|A] [--crcc ignore|use] [--log-fec]]\n"
                "        [--serve PORT [--full-block]] [--udp HOST:PORT]\n") +
    kForwardingUsage;

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
bool ReadStationOptions(std::vector<std::string> args, HeadlessSetup& o) {
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
    std::string forwardingError;
    if (!TakeForwardingOptions(a, o.forwarding, forwardingError)) return Refuse(forwardingError);
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
        if (o.serialPath.empty() && !o.forwarding.HasKissInput())
            return Refuse("give the input: --serial PATH, --connect HOST:PORT, --kiss-connect HOST:PORT or --kiss-in FILE");
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

void PrintBlock(const Station& station, const Clock& clock) {
    const StationState& s = station.state();
    const std::string line = BlockLine(s.stores.current, s.receiver.crccLabel, clock.Now());
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// 0 after SIGINT/SIGTERM; 1 when the input is lost or cannot be opened; 2 for options that do not
// fit the station's settings.
int RunStation(std::vector<std::string> args, int argc, char** argv) {
    HeadlessSetup setup;
    if (!ReadStationOptions(std::move(args), setup)) return 2;
    QCoreApplication app(argc, argv);
    auto store = OpenSettingsStore(QString::fromStdString(Globals().settingsFile));
    SystemClock clock;
    HeadlessStation station(setup, *store, clock, Complain);
    if (const int code = station.Start(); code != 0) return code;
    QObject::connect(&station.station(), &Station::BlockHandled, [&] { PrintBlock(station.station(), clock); });
    // Ends the station with status 1 once the event loop runs (also when it has not started yet).
    QObject::connect(&station, &HeadlessStation::Ended, [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                                  Qt::QueuedConnection);
    });
    QObject::connect(&station, &HeadlessStation::Failed, [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(1); },
                                  Qt::QueuedConnection);
    });
    sim::StopSignal stop;
    StopOnSignals onSignals(stop);
    onSignals.ExitEventLoopWhenStopped();
    const int code = QCoreApplication::exec();
    station.Stop();
    Complain("stopped");
    return code;
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
