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
#include "app/cli/hangup_signal.h"
#include "app/cli/service_manager.h"
#include "app/cli/station_audio_options.h"
#include "app/cli/station_config.h"
#include "app/cli/stop_on_signals.h"
#include "app/cli/block_printers.h"
#include "inputs/input_table.h"
#include "net/wire.h"
#include "reception/qt_settings_store.h"
#include "station/headless_station.h"

namespace orv::cli {
namespace {

constexpr const char* kStationUsage =
    "[--config FILE] (--serial PATH | --connect HOST:PORT | --audio-... | --rtl-tcp HOST:PORT | --sdr ARGS) [OPTIONS]";

// Every option of the station; each can also be a key of the --config file.
std::vector<CliOption> StationOptions() {
    std::vector<CliOption> options = {
        {{"config"}, "FILE", "read the options from the INI file FILE (key = value, one per option, e.g. "
                             "data-dir = /var/lib/orv); options on the command line override it"},
        SerialOption(),
        {{"baud"}, "N", "the serial line speed (default: the settings)"},
        {{"modem"}, "TYPE", "the modem: 512, 514 or ADC (default: the settings)"},
        {{"connect"}, "HOST:PORT", "receive from another station's relay server instead of a serial device"},
        {{"reconnect"}, "SECONDS", "with --connect: try again after a lost or refused link (default: stop)"},
        {{"audio-file"}, "FILE", "receive from a recording through the audio demodulator, at the pace of the air"},
        {{"audio-udp"}, "PORT", "receive raw s16le mono audio datagrams on UDP PORT (SDR programs: 7355)"},
        {{"audio-stdin"}, "", "receive raw s16le mono audio on standard input (needs --rate)"},
        {{"audio-device"}, "NAME", "receive from a sound card (orv-cli audio --list-devices)"},
        {{"rate"}, "HZ", "the sample rate of raw audio (default 48000)"},
        {{"center"}, "HZ", "the audio frequency the carrier is sought around (default 1500)"},
        {{"rtl-tcp"}, "HOST:PORT", "receive IQ from an rtl_tcp server (tuned with --frequency, --sdr-rate, --gain, --ppm)"},
        {{"sdr"}, "ARGS", "receive IQ from a SoapySDR device, e.g. driver=rtlsdr (orv-cli iq --list-devices)"},
        {{"iq-file"}, "FILE", "receive from an IQ recording (SigMF, 2-channel WAV, or cu8 at --sdr-rate) at the pace of the air"},
        {{"frequency"}, "HZ", "the centre frequency the SDR is tuned to (required for --rtl-tcp and --sdr)"},
        {{"offset"}, "HZ", "where the beacon is relative to the centre (default 0)"},
        {{"search"}, "HZ", "how far the carrier is sought: either side of --center for audio, 0..1500 (default 1000); of --offset for the SDR (default 5000)"},
        {{"sdr-rate"}, "HZ", "the SDR's sample rate (default 1024000)"},
        {{"gain"}, "DB|auto", "the SDR's gain (default auto)"},
        {{"ppm"}, "N", "the SDR's frequency correction in ppm (default 0)"},
        {{"data-dir"}, "DIR", "log the blocks into DIR/telemetry, named as the Logging window names them"},
        {{"log"}, "WHICH", "all (default) or A: the blocks logged"},
        {{"crcc"}, "MODE", "ignore (default) or use: with use, blocks with a wrong CRCC are marked (514 modem)"},
        {{"log-fec"}, "", "also write the FEC log (ADC modem)"},
        {{"daily"}, "", "at UTC midnight go on logging in the next day's file"},
        {{"serve"}, "PORT", "relay the blocks to TCP clients on PORT (0: any free port)"},
        {{"bind"}, "ADDRESS", "the address every server of the station listens on (--serve, --kiss-serve; "
                              "default: all interfaces)"},
        {{"full-block"}, "", "with --serve: send whole blocks instead of real time"},
        {{"udp"}, "HOST:PORT", "also send each block as a UDP datagram to HOST:PORT"},
        {{"json"}, "", "print one JSON object per block (JSON Lines) instead of the text line"},
        SettingsOption(),
    };
    const auto forwarding = ForwardingOptions();
    options.insert(options.end() - 1, forwarding.begin(), forwarding.end());
    return options;
}

// A status line on standard error; in the journal with its priority.
void Complain(StatusLevel level, const std::string& message) {
    static const bool journal = StandardErrorIsJournal();
    std::cerr << (journal ? JournalPrefix(level) : std::string()) << "orv-cli station: " << message << "\n";
}

bool Refuse(const std::string& message) {
    UsageError("station", message);
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
bool ReadStationOptions(const CliArgs& a, HeadlessSetup& o) {
    o.serialPath = Globals().serialPath;
    const auto baud = a.Value("--baud");
    const auto modem = a.Value("--modem");
    const auto connect = a.Value("--connect");
    const auto reconnect = a.Value("--reconnect");
    const auto dataDir = a.Value("--data-dir");
    const auto log = a.Value("--log");
    const auto crcc = a.Value("--crcc");
    o.logFec = a.Has("--log-fec");
    o.daily = a.Has("--daily");
    const auto serve = a.Value("--serve");
    const auto bind = a.Value("--bind");
    o.fullBlock = a.Has("--full-block");
    const auto udp = a.Value("--udp");
    std::string audioError;
    if (!TakeStationAudioOptions(a, o.audio, audioError)) return Refuse(audioError);
    if (!TakeStationSdrOptions(a, o.sdr, audioError)) return Refuse(audioError);
    if (o.audio && o.sdr) return Refuse("give one input: an audio input or an SDR");
    std::string forwardingError;
    if (!ReadForwardingOptions(a, o.forwarding, forwardingError)) return Refuse(forwardingError);
    if (!a.Rest().empty()) return Refuse("unexpected argument \"" + a.Rest().front() + "\"");

    long long v = 0;
    if (o.audio || o.sdr) {
        if (connect || !o.serialPath.empty() || baud || modem || reconnect)
            return Refuse(std::string(o.audio ? "audio" : "the SDR") +
                          " is the station's input: give no --serial, --connect, --baud, --modem or --reconnect");
    } else if (connect) {
        if (!o.serialPath.empty()) return Refuse("give either --serial or --connect, not both");
        if (baud || modem) return Refuse("--baud and --modem belong to --serial input");
        if (!ReadHostPort("--connect", *connect, o.connectHost, o.connectPort)) return false;
        if (reconnect) {
            if (!ReadWhole("--reconnect", *reconnect, 1, 86400, v)) return false;
            o.reconnectSeconds = static_cast<int>(v);
        }
    } else {
        if (o.serialPath.empty() && !o.forwarding.HasKissInput())
            return Refuse("give the input: --serial PATH, --connect HOST:PORT, --kiss-connect HOST:PORT or --kiss-in FILE, an audio input or an SDR");
        if (reconnect) return Refuse("--reconnect belongs to --connect input");
        if (baud) {
            if (!ReadWhole("--baud", *baud, 50, 4000000, v)) return false;
            o.baud = static_cast<int>(v);
        }
        if (modem) {
            const InputRow* row = SerialModemNamed(*modem);
            if (row == nullptr) return Refuse("--modem \"" + *modem + "\" is not " + SerialModemNames());
            o.modem = *row->modem;
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
    } else if (log || crcc || o.logFec || o.daily) {
        return Refuse("--log, --crcc, --log-fec and --daily belong to --data-dir");
    }

    if (serve) {
        if (!ReadWhole("--serve", *serve, 0, 65535, v)) return false;
        o.servePort = static_cast<std::uint16_t>(v);
    } else if (o.fullBlock) {
        return Refuse("--full-block belongs to --serve");
    }
    if (bind && !serve && !o.forwarding.kissServePort) return Refuse("--bind belongs to --serve or --kiss-serve");
    if (bind) {
        if (!IsListenAddress(*bind)) return Refuse("--bind \"" + *bind + "\" is not an IPv4 or IPv6 address");
        o.bindAddress = *bind;
    }
    if (udp && !ReadHostPort("--udp", *udp, o.udpHost, o.udpPort)) return false;
    return true;
}

// 0 after SIGINT/SIGTERM; 1 when the input is lost or cannot be opened; 2 for options that do not
// fit the station's settings.
int RunStation(const CliArgs& commandLine, int argc, char** argv) {
    // The signals are taken before anything starts: a hangup while the station starts (logrotate
    // during a service restart) is kept until the files are open, a stop ends it once it runs.
    HangupSignal hangup;
    sim::StopSignal stop;
    StopOnSignals onSignals(stop);
    UnblockStationSignals();
    // The --config file's options come first, so that those on the command line override them.
    std::optional<CliArgs> merged;
    if (const auto config = commandLine.Value("--config")) {
        std::string error;
        const auto words = ConfigArguments(*config, StationOptions(), error);
        if (!words) return UsageError("station", error);
        std::vector<std::string> all = *words;
        all.insert(all.end(), commandLine.Words().begin(), commandLine.Words().end());
        merged = CliArgs::Parse(StationOptions(), all, error);
        if (!merged) return UsageError("station", *config + ": " + error);
        // --serial and --settings from the command line (before or after "station") win over the file.
        const GlobalOptions commandLineGlobals = Globals();
        TakeGlobals(*merged);
        if (!commandLineGlobals.serialPath.empty()) Globals().serialPath = commandLineGlobals.serialPath;
        if (!commandLineGlobals.settingsFile.empty()) Globals().settingsFile = commandLineGlobals.settingsFile;
    }
    const CliArgs& args = merged ? *merged : commandLine;
    HeadlessSetup setup;
    if (!ReadStationOptions(args, setup)) return kExitUsage;
    const bool json = args.Has("--json");
    QCoreApplication app(argc, argv);
    auto store = OpenSettingsStore(QString::fromStdString(Globals().settingsFile));
    SystemClock clock;
    LinePrinter printer(json ? StationJsonLine : StationLine);
    HeadlessStation station(setup, *store, clock, HeadlessStation::Report(Complain));
    station.station().AddSink(printer);
    if (const int code = station.Start(); code != 0) return code;
    // SIGHUP (logrotate): every file the station appends to is opened anew.
    hangup.ApplyOnEventLoop([&] { station.Hangup(); });
    NotifyServiceManager("READY=1");
    // Ends the station with status 1 once the event loop runs (also when it has not started yet).
    QObject::connect(&station, &HeadlessStation::Ended, [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                                  Qt::QueuedConnection);
    });
    QObject::connect(&station, &HeadlessStation::Failed, [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(1); },
                                  Qt::QueuedConnection);
    });
    onSignals.ExitEventLoopWhenStopped();
    const int code = QCoreApplication::exec();
    NotifyServiceManager("STOPPING=1");
    station.Stop();
    Complain(StatusLevel::Status, "stopped");
    return code;
}

}  // namespace

std::vector<CliCommand> NetCommands() {
    return {
        {"station", kStationUsage,
         "Run a headless station until SIGINT or SIGTERM: one line per completed block on standard output (UTC "
         "time, kind, CRCC verdict, A-block header date and time), status and errors on standard error (with the "
         "journal's priorities under systemd). SIGHUP reopens the log file and the KISS file (for logrotate) and "
         "never ends the station.",
         StationOptions(),
         RunStation},
    };
}

}  // namespace orv::cli
