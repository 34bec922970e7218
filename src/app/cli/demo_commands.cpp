// orv-cli demo: the station without a window, fed by the built-in simulator through a
// pseudo-terminal, printing each completed block.
#include <QCoreApplication>
#include <iostream>

#include "app/cli/block_printers.h"
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
    // Each block's line; a block rebuilt from an FEC frame also gets the decoder's figures as the
    // status line shows them. The printer outlives the station it is added to.
    long long count = 0;
    const Station* receiving = nullptr;
    LinePrinter printer([&](const ReceivedBlock& block) {
        std::string line = DemoLine(block);
        if (block.FromFec()) line += "\n  FEC  " + FecStatusLine(receiving->Adc().Status(), true);
        if (limit > 0 && ++count >= limit) QCoreApplication::quit();
        return line;
    });
    HeadlessStation station(setup, demo.Store(), clock,
                            [](const std::string& line) { std::cerr << "orv-cli demo: " << line << "\n"; });
    receiving = &station.station();
    station.station().AddSink(printer);
    if (station.Start() != 0) return 1;
    if (!demo.Start()) {
        std::cerr << "orv-cli demo: " << demo.Error().toStdString() << "\n";
        return 1;
    }
    std::cerr << "orv-cli demo: receiving simulated telemetry from " << demo.SerialDevice().toStdString()
              << (*modem == ModemType::Adc ? " as ADC samples (a block every 10 to 13 s; Ctrl-C ends)\n"
                                           : " (a block about every 10 s; Ctrl-C ends)\n");
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
