// orv-cli demo: the station without a window, fed by the built-in simulator through a
// pseudo-terminal, printing each completed block.
#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/demo_station.h"
#include "app/station/station_runtime.h"
#include "reception/block.h"

namespace orv::cli {
namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

// "A OK  A  HI, THIS IS AMSAT OSCAR-40 ... 2003-12-30  14:05:09": kind, verdict, header line.
std::string BlockLine(const Station& s) {
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

int RunDemo(std::vector<std::string> args, int argc, char** argv) {
    CliArgs a(std::move(args));
    long long limit = 0;
    if (auto v = a.TakeValue("--blocks"); v && (!CliArgs::ParseInt(*v, limit) || limit < 1)) {
        std::cerr << "orv-cli demo: --blocks needs a whole number of at least 1\n";
        return 2;
    }
    if (!a.Rest().empty()) {
        std::cerr << "usage: orv-cli demo [--blocks N]\n";
        return 2;
    }
    QCoreApplication app(argc, argv);
    DemoStation demo;
    if (!demo.Error().isEmpty()) {
        std::cerr << "orv-cli demo: " << demo.Error().toStdString() << "\n";
        return 1;
    }
    SystemClock clock;
    StationRuntime runtime(demo.Store(), clock);
    runtime.LoadSettings();
    runtime.station().flags.selection = TextSelection::Raw;
    runtime.SetSerialOverride(demo.SerialDevice());
    QString reason;
    if (!runtime.OpenSerialPort(&reason) || !demo.Start()) {
        std::cerr << "orv-cli demo: " << (reason.isEmpty() ? demo.Error() : reason).toStdString() << "\n";
        return 1;
    }
    std::cerr << "Receiving simulated telemetry from " << demo.SerialDevice().toStdString()
              << " (a block about every 10 s; Ctrl-C ends)\n";
    long long count = 0;
    QObject::connect(&runtime, &StationRuntime::BlockHandled, [&] {
        std::cout << BlockLine(runtime.station()) << std::endl;
        if (limit > 0 && ++count >= limit) QCoreApplication::quit();
    });
    QObject::connect(&runtime, &StationRuntime::SerialPortLost, [&](const QString& r) {
        std::cerr << "orv-cli demo: serial port lost: " << r.toStdString() << "\n";
        QCoreApplication::exit(1);
    });
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, [] {
        if (gStop) QCoreApplication::quit();
    });
    stopCheck.start(200);
    return QCoreApplication::exec();
}

}  // namespace

std::vector<CliCommand> DemoCommands() {
    return {{"demo", "[--blocks N]",
             "receive simulated telemetry through a pseudo-terminal and print each block's kind, CRCC verdict and "
             "header line",
             RunDemo}};
}

}  // namespace orv::cli
