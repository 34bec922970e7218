// orv-cli commands of the simulator: simulate.
#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/stop_on_signals.h"
#include "sim/byte_sink.h"
#include "sim/pseudo_terminal.h"
#include "sim/stream_pacer.h"
#include "station/station.h"
#include "net/relay.h"
#include "reception/clock.h"
#include "reception/dates.h"
#include "reception/serial_port.h"
#include "reception/settings_store.h"

namespace orv::cli {
namespace {

constexpr const char* kUsage = "(--pty | --serial PATH | --out FILE | --tcp-serve PORT) [OPTIONS]";

// The line speed of the ADC modem when --baud is not given: room for its 400 samples a second.
constexpr int kAdcDefaultBaudRate = 9600;


// The station's serial port as a sink; the simulated modem ignores handshake lines.
class SerialSink final : public sim::ByteSink {
public:
    bool Open(const QString& device, int baudRate, std::string& error) {
        QString reason;
        if (port_.Open({device, baudRate, false}, &reason)) return true;
        error = "cannot open \"" + device.toStdString() + "\": " + reason.toStdString();
        return false;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        if (port_.WriteAll(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))))
            return true;
        error_ = "cannot write to the serial port: " + port_.Port().errorString().toStdString();
        return false;
    }
    std::string Error() const override { return error_; }

private:
    SerialPort port_;
    std::string error_;
};

// A station's serial port as a sink: the bytes of each write enter the station on its own thread
// as one serial read, in order, and the station does with them what it does with a demodulator's.
class StationSink final : public sim::ByteSink {
public:
    explicit StationSink(Station& station) : station_(station) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        const QByteArray read(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        QMetaObject::invokeMethod(
            &station_,
            [this, read] {
                station_.SerialBytes({reinterpret_cast<const std::uint8_t*>(read.constData()),
                                      static_cast<std::size_t>(read.size())});
            },
            Qt::QueuedConnection);
        return true;
    }
    std::string Error() const override { return {}; }

private:
    Station& station_;
};

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SS" (UTC), years 1978..2099.
bool ParseStartTime(const std::string& text, std::int64_t& utc) {
    if (text.size() != 10 && text.size() != 19) return false;
    if (text[4] != '-' || text[7] != '-') return false;
    if (text.size() == 19 && ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')) return false;
    long long y, mo, d, h = 0, mi = 0, s = 0;
    const auto field = [&](std::size_t at, std::size_t n, long long& v) { return CliArgs::ParseInt(text.substr(at, n), v); };
    if (!field(0, 4, y) || !field(5, 2, mo) || !field(8, 2, d)) return false;
    if (text.size() == 19 && (!field(11, 2, h) || !field(14, 2, mi) || !field(17, 2, s))) return false;
    using namespace std::chrono;
    const year_month_day date{year{static_cast<int>(y)}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (!date.ok() || y < 1978 || y > 2099 || h > 23 || mi > 59 || s > 59) return false;
    utc = sys_days{date}.time_since_epoch().count() * 86400LL + h * 3600 + mi * 60 + s;
    return true;
}

// One line per block sent: number, kind, simulated UTC, line state (ADC: how it went out).
void PrintBlock(std::int64_t number, const sim::SimBlock& block, ModemType modem) {
    const DateTime t = BreakDownSeconds(block.utc);
    const char* state = modem == ModemType::Adc ? (block.fecFrame ? "FEC frame" : "uncoded")
                                                 : (block.intact ? "intact" : "damaged");
    std::fprintf(stderr, "%6lld  %c  %04d-%02d-%02d %02d:%02d:%02d  %s\n", static_cast<long long>(number),
                 block.Kind(), t.year, t.month, t.day, t.hour, t.minute, t.second, state);
}

struct SimulateRequest {
    sim::SimOptions options;
    std::int64_t blocks = 0;
    double speed = 1.0;
    bool verbose = false;
    bool pty = false;
    std::string serialPath;
    std::string outPath;
    std::optional<std::uint16_t> tcpPort;  // 0: any free port
    std::string bindAddress;               // empty: all interfaces
    bool fullBlock = false;
};

// Reads the options; on a mistake sets `error` and returns false.
bool ParseRequest(const CliArgs& a, SimulateRequest& r, std::string& error) {
    r.pty = a.Has("--pty");
    r.verbose = a.Has("--verbose");
    r.serialPath = Globals().serialPath;
    const auto modem = a.Value("--modem");
    const auto blocks = a.Value("--blocks");
    const auto seed = a.Value("--seed");
    const auto share = a.Value("--fail-share");
    const auto ebNo = a.Value("--ebno");
    const auto offset = a.Value("--adc-offset");
    const auto speed = a.Value("--speed");
    const auto baud = a.Value("--baud");
    const auto start = a.Value("--start");
    const auto out = a.Value("--out");
    const auto tcp = a.Value("--tcp-serve");
    r.fullBlock = a.Has("--full-block");
    if (!a.Rest().empty()) return error = "unexpected argument \"" + a.Rest().front() + "\"", false;

    if (modem) {
        if (*modem == "512") r.options.modem = ModemType::Bytes512;
        else if (*modem == "514") r.options.modem = ModemType::Bytes514;
        else if (*modem == "ADC" || *modem == "adc") r.options.modem = ModemType::Adc;
        else return error = "--modem takes 512, 514 or ADC, not \"" + *modem + "\"", false;
    }
    const bool adc = r.options.modem == ModemType::Adc;
    if (adc && share)
        return error = "--fail-share is for the 512 and 514 modems; with --modem ADC the noise of --ebno damages blocks",
               false;
    if (!adc && (ebNo || offset)) return error = "--ebno and --adc-offset are for --modem ADC", false;
    long long whole = 0;
    if (blocks && (!CliArgs::ParseInt(*blocks, whole) || whole < 1))
        return error = "--blocks takes a whole number of at least 1, not \"" + *blocks + "\"", false;
    if (blocks) r.blocks = whole;
    if (seed && (!CliArgs::ParseInt(*seed, whole) || whole < 0))
        return error = "--seed takes a whole number of 0 or more, not \"" + *seed + "\"", false;
    if (seed) r.options.seed = static_cast<std::uint64_t>(whole);
    double number = 0;
    if (share && (!ParseDecimalNumber(*share, number) || number < 0 || number > 1))
        return error = "--fail-share takes a number from 0 to 1 (0.05 for 5 %), not \"" + *share + "\"", false;
    if (share) r.options.failShare = number;
    if (ebNo && (!ParseDecimalNumber(*ebNo, number) || !(number >= sim::kMinEbNoDb && number <= sim::kMaxEbNoDb)))
        return error = "--ebno takes a number of dB from -10 to 100, not \"" + *ebNo + "\"", false;
    if (ebNo) r.options.ebNoDb = number;
    if (offset && (!ParseDecimalNumber(*offset, number) || !(number >= 0 && number <= 255)))
        return error = "--adc-offset takes the ADC reading of a zero signal, 0 to 255 (128 nominal), not \"" +
                       *offset + "\"", false;
    if (offset) r.options.adcOffset = number;
    if (speed && (!ParseDecimalNumber(*speed, number) || !std::isfinite(number) || number < 1))
        return error = "--speed takes a number of at least 1 (1 is real time), not \"" + *speed + "\"", false;
    if (speed) r.speed = number;
    if (baud && (!CliArgs::ParseInt(*baud, whole) || whole < sim::kMinBaudRate || whole > sim::kMaxBaudRate))
        return error = "--baud takes a rate from " + std::to_string(sim::kMinBaudRate) + " to " +
                       std::to_string(sim::kMaxBaudRate) + ", not \"" + *baud + "\"", false;
    if (baud) r.options.baudRate = static_cast<int>(whole);
    else if (adc) r.options.baudRate = kAdcDefaultBaudRate;
    if (adc && r.options.baudRate < sim::kAdcMinBaudRate)
        return error = "--modem ADC sends 400 samples a second and needs --baud " + std::to_string(sim::kAdcMinBaudRate) +
                       " or more", false;
    if (start && !ParseStartTime(*start, r.options.startUtc))
        return error = "--start takes a UTC time \"YYYY-MM-DD HH:MM:SS\" (or a date) from 1978 to 2099, not \"" +
                       *start + "\"", false;
    if (out) r.outPath = *out;
    if (tcp && (!CliArgs::ParseInt(*tcp, whole) || whole < 0 || whole > 65535))
        return error = "--tcp-serve takes a TCP port from 0 to 65535 (0: any free port), not \"" + *tcp + "\"", false;
    if (tcp) r.tcpPort = static_cast<std::uint16_t>(whole);
    if (r.fullBlock && !tcp) return error = "--full-block belongs to --tcp-serve", false;
    if (const auto bind = a.Value("--bind")) {
        if (!tcp) return error = "--bind belongs to --tcp-serve", false;
        if (!IsListenAddress(*bind)) return error = "--bind \"" + *bind + "\" is not an IPv4 or IPv6 address", false;
        r.bindAddress = *bind;
    }

    const int outputs =
        (r.pty ? 1 : 0) + (r.serialPath.empty() ? 0 : 1) + (r.outPath.empty() ? 0 : 1) + (r.tcpPort ? 1 : 0);
    if (outputs != 1) return error = "choose one output: --pty, --serial PATH, --out FILE or --tcp-serve PORT", false;
    if (!r.outPath.empty() && r.blocks == 0) return error = "--out writes without pauses and needs --blocks N", false;
    return true;
}

const char* ModemText(ModemType m) {
    switch (m) {
        case ModemType::Bytes512: return "512-byte blocks";
        case ModemType::Bytes514: return "514-byte blocks";
        case ModemType::Adc:
        case ModemType::Audio:
        case ModemType::Sdr: break;
    }
    return "ADC samples (400 a second)";
}

int Finish(const sim::StreamReport& report, std::int64_t dropped) {
    std::cerr << "orv-cli simulate: sent " << report.Summary();
    if (dropped > 0) std::cerr << "; " << dropped << " bytes found no reader";
    std::cerr << (report.stopped ? " (stopped)" : "") << "\n";
    if (!report.error.empty()) {
        std::cerr << "orv-cli simulate: " << report.error << "\n";
        return 1;
    }
    return 0;
}

// The stream served to TCP clients in the relay's wire format, as a station serves what its
// demodulator delivers: the bytes enter a station as serial reads (paced on a thread of their
// own, from the first client on) and the station's relay sends them on, "Real time" or
// "Full block". The port is the only line on stdout.
int ServeOverTcp(const SimulateRequest& r, sim::StopSignal& stop, StopOnSignals& onSignals,
                 const sim::BlockObserver& observer, const char* pace, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    MemoryStore settings;
    SystemClock clock;  // the receiver starts each block after the stream's pause between blocks
    Station station(settings, clock);
    station.LoadSettings();
    station.SetModemType(r.options.modem);
    Relay& relay = station.relay();
    relay.SetRealTime(!r.fullBlock);
    QObject::connect(&relay, &Relay::StatusChanged, [](const QString& text) {
        if (!text.isEmpty()) std::cerr << "orv-cli simulate: " << text.toStdString() << "\n";
    });
    const QHostAddress address = r.bindAddress.empty() ? QHostAddress(QHostAddress::Any)
                                                       : QHostAddress(QString::fromStdString(r.bindAddress));
    if (!relay.Server().Listen(*r.tcpPort, address)) return 1;  // the status has said why
    std::cout << relay.Server().Port() << std::endl;
    std::cerr << "orv-cli simulate: " << ModemText(r.options.modem) << " blocks served on TCP port "
              << relay.Server().Port() << (r.fullBlock ? " (Full block), " : " (Real time), ")
              << pace << "; the stream starts when the first client connects; stop with Ctrl+C\n";

    StationSink sink(station);
    sim::StreamReport report;
    report.stopped = true;  // unless the stream runs
    std::thread feeder;
    QObject::connect(&relay, &Relay::StatusChanged, [&] {
        if (feeder.joinable() || !relay.HasClients()) return;
        feeder = std::thread([&] {
            sim::PacedStream stream(r.options, r.speed);
            report = sim::PaceStream(stream.Schedule(), sink, r.blocks, stop, observer);
            // Queued behind the last bytes, so the station has handled them when the loop ends.
            QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        });
    });
    onSignals.ExitEventLoopWhenStopped();
    QCoreApplication::exec();
    stop.Request();
    if (feeder.joinable()) feeder.join();
    // Up to 2 s for the last bytes to leave before the server closes.
    QEventLoop drain;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (relay.Server().UnsentBytes() == 0) drain.quit();
    });
    check.start(20);
    QTimer::singleShot(2000, &drain, &QEventLoop::quit);
    drain.exec();
    relay.Server().Stop();
    return Finish(report, 0);
}

int RunSimulate(const CliArgs& args, int argc, char** argv) {
    SimulateRequest r;
    std::string error;
    if (!ParseRequest(args, r, error)) return UsageError("simulate", error);
    sim::StopSignal stop;
    StopOnSignals onSignals(stop);
    std::int64_t number = 0;
    const sim::BlockObserver observer = [&](const sim::SimBlock& b) {
        ++number;
        if (r.verbose) PrintBlock(number, b, r.options.modem);
    };
    const char* pace = r.speed == 1.0 ? "real time" : "faster than real time";
    if (r.tcpPort) return ServeOverTcp(r, stop, onSignals, observer, pace, argc, argv);

    if (!r.outPath.empty()) {
        sim::FileSink file(r.outPath);
        if (!file.IsOpen()) {
            std::cerr << "orv-cli simulate: " << file.Error() << "\n";
            return 1;
        }
        sim::TelemetryGenerator generator(r.options);
        sim::StreamReport report = sim::WriteStream(generator, file, r.blocks, stop, observer);
        if (!file.Close() && report.error.empty()) report.error = file.Error();
        return Finish(report, 0);
    }
    sim::PacedStream stream(r.options, r.speed);
    if (r.pty) {
        sim::PseudoTerminal pty;
        if (!pty.Open(error)) {
            std::cerr << "orv-cli simulate: " << error << "\n";
            return 1;
        }
        std::cout << pty.SlavePath() << std::endl;
        std::cerr << "orv-cli simulate: " << ModemText(r.options.modem) << " on " << pty.SlavePath() << ", "
                  << pace << "; stop with Ctrl+C\n";
        sim::PtyMasterSink sink(pty.MasterFd());
        const sim::StreamReport report = sim::PaceStream(stream.Schedule(), sink, r.blocks, stop, observer);
        // All blocks sent: give the reader a moment to take the last bytes before the device goes.
        if (!report.stopped && report.error.empty()) pty.Drain(2000);
        return Finish(report, sink.Dropped());
    }
    QCoreApplication app(argc, argv);
    SerialSink serial;
    if (!serial.Open(QString::fromStdString(r.serialPath), r.options.baudRate, error)) {
        std::cerr << "orv-cli simulate: " << error << "\n";
        return 1;
    }
    std::cerr << "orv-cli simulate: " << ModemText(r.options.modem) << " on " << r.serialPath << " at "
              << r.options.baudRate << " baud, " << pace << "; stop with Ctrl+C\n";
    return Finish(sim::PaceStream(stream.Schedule(), serial, r.blocks, stop, observer), 0);
}

}  // namespace

std::vector<CliCommand> SimCommands() {
    return {
        {"simulate", kUsage,
         "Send a simulated AO-40 telemetry stream (with --modem ADC: the demodulator's raw samples, FEC frames "
         "and uncoded blocks in noise) to a new pseudo-terminal (its device path is printed), a serial port, a file, "
         "or TCP clients in the relay's wire format (the port is printed).",
         {{{"pty"}, "", "send to a new pseudo-terminal; its device path is printed on standard output"},
          SerialOption(),
          {{"out"}, "FILE", "write the stream to FILE without pauses (needs --blocks)"},
          {{"tcp-serve"}, "PORT", "serve the stream to TCP clients on PORT (0: any free port, printed)"},
          {{"bind"}, "ADDRESS", "the address the --tcp-serve server listens on (default: all interfaces)"},
          {{"full-block"}, "", "with --tcp-serve: send whole blocks instead of real time"},
          {{"modem"}, "TYPE", "the simulated modem: 512, 514 (default) or ADC (raw demodulator samples)"},
          {{"blocks"}, "N", "stop after N blocks (default: until SIGINT or SIGTERM)"},
          {{"seed"}, "S", "the seed of the random generator, for a repeatable stream"},
          {{"fail-share"}, "F", "the share of damaged blocks, 0 to 1 (512 and 514 modems)"},
          {{"ebno"}, "DB", "the Eb/No of the noise in dB, -10 to 100 (ADC modem)"},
          {{"adc-offset"}, "N", "the ADC reading of a zero signal, 0 to 255 (ADC modem; 128 nominal)"},
          {{"speed"}, "X", "how many times faster than real time (at least 1)"},
          {{"baud"}, "B", "the line speed of --serial (ADC default 9600)"},
          {{"start"}, "TIME", "the UTC time of the first block: \"YYYY-MM-DD HH:MM:SS\" or a date"},
          {{"verbose"}, "", "print one line per block sent on standard error"}},
         RunSimulate},
    };
}

}  // namespace orv::cli
