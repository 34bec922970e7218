// orv-cli demo: the station without a window, fed by the built-in simulator through a
// pseudo-terminal, printing each completed block.
#include <QCoreApplication>
#include <iostream>
#include <utility>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/stop_on_signals.h"
#include "station/demo_station.h"
#include "station/headless_station.h"
#include "fec/fec_log.h"
#include "reception/block.h"

namespace orv::cli {
namespace {

constexpr const char* kUsage = "[OPTIONS]";

// "A OK  A  HI, THIS IS AMSAT OSCAR-40 ... 2003-12-30  14:05:09": kind, verdict, header line.
std::string BlockLine(const StationState& s) {
    const auto& b = s.stores.lastComplete;
    std::string header;
    for (std::size_t i = 0; i < 64; ++i) {
        const unsigned char c = b[i] & 0x7F;
        header.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ');
    }
    while (!header.empty() && header.back() == ' ') header.pop_back();
    const char kind = BlockId(b);
    return std::string(1, kind >= 0x20 && kind < 0x7F ? kind : '?') + " " + s.receiver.crccLabel + "  " + header;
}

// Whether the block just finished was delivered by the FEC reconstruction (the byte counter
// reads "FEC").
class FecDeliveryView final : public StationView {
public:
    void ShowByteCount(std::string_view text) override { fecDelivered_ = text == "FEC"; }
    bool TakeFecDelivered() { return std::exchange(fecDelivered_, false); }

private:
    bool fecDelivered_ = false;
};

int RunDemo(const CliArgs& a, int argc, char** argv) {
    long long limit = 0;
    if (auto v = a.Value("--blocks"); v && (!CliArgs::ParseInt(*v, limit) || limit < 1))
        return UsageError("demo", "--blocks needs a whole number of at least 1");
    const auto modemText = a.Value("--modem");
    const auto modem = modemText ? DemoModemType(QString::fromStdString(*modemText)) : ModemType::Bytes514;
    if (!modem) return UsageError("demo", "--modem takes 512, 514 or ADC");
    if (!a.Rest().empty()) return UsageError("demo", "unexpected argument \"" + a.Rest().front() + "\"");
    QCoreApplication app(argc, argv);
    DemoStation demo(*modem);
    if (!demo.Error().isEmpty()) {
        std::cerr << "orv-cli demo: " << demo.Error().toStdString() << "\n";
        return 1;
    }
    SystemClock clock;
    HeadlessSetup setup;
    setup.serialPath = demo.SerialDevice().toStdString();
    setup.logFec = *modem == ModemType::Adc;
    setup.simulated = true;
    HeadlessStation station(setup, demo.Store(), clock,
                            [](const std::string& line) { std::cerr << "orv-cli demo: " << line << "\n"; });
    FecDeliveryView view;
    station.station().SetView(&view);
    if (station.Start() != 0) return 1;
    if (!demo.Start()) {
        std::cerr << "orv-cli demo: " << demo.Error().toStdString() << "\n";
        return 1;
    }
    std::cerr << "orv-cli demo: receiving simulated telemetry from " << demo.SerialDevice().toStdString()
              << (*modem == ModemType::Adc ? " as ADC samples (a block every 10 to 13 s; Ctrl-C ends)\n"
                                           : " (a block about every 10 s; Ctrl-C ends)\n");
    long long count = 0;
    Station& s = station.station();
    QObject::connect(&s, &Station::BlockHandled, [&] {
        std::cout << BlockLine(s.state()) << std::endl;
        // A block rebuilt from an FEC frame: the decoder's figures as the status line shows them.
        if (view.TakeFecDelivered()) std::cout << "  FEC  " << FecStatusLine(s.adc().Status(), true) << std::endl;
        if (limit > 0 && ++count >= limit) QCoreApplication::quit();
    });
    QObject::connect(&station, &HeadlessStation::Failed, [] { QCoreApplication::exit(1); });
    sim::StopSignal stop;
    StopOnSignals onSignals(stop);
    onSignals.ExitEventLoopWhenStopped();
    return QCoreApplication::exec();
}

}  // namespace

std::vector<CliCommand> DemoCommands() {
    return {{"demo", kUsage,
             "Receive simulated telemetry through a pseudo-terminal and print each block's kind, CRCC verdict and "
             "header line (with --modem ADC also the FEC figures of each block rebuilt from an FEC frame), until "
             "SIGINT or SIGTERM.",
             {{{"modem"}, "TYPE", "the simulated modem: 512, 514 (default) or ADC"},
              {{"blocks"}, "N", "stop after N blocks"}},
             RunDemo}};
}

}  // namespace orv::cli
