#include "station/forwarding_setup.h"

#include <system_error>

#include "station/forwarding.h"
#include "station/station.h"

namespace orv {

bool StartForwarding(const ForwardingSetup& setup, Station& station, const std::string& dataDirectory,
                     const std::function<void(StatusLevel, const std::string&)>& report) {
    Forwarding& f = station.forwarding();
    QString error;
    auto fail = [&] {
        report(StatusLevel::Error, error.toStdString());
        f.StopAll();
        station.StopKissInputs();
        return false;
    };
    if (setup.kissServePort &&
        !f.StartKissServer(*setup.kissServePort, QString::fromStdString(setup.kissServeAddress), setup.kissOut, error))
        return fail();
    if (!setup.kissOutFile.empty() && !f.OpenKissFile(setup.kissOutFile, setup.kissOut, error)) return fail();
    if (!setup.sidsUrl.empty()) {
        std::filesystem::path queue = setup.sidsQueueFile;
        if (queue.empty()) {
            if (dataDirectory.empty()) {
                error = QStringLiteral("SiDS: the queue needs a place: --data-dir DIR or --sids-queue FILE");
                return fail();
            }
            std::error_code ec;
            std::filesystem::create_directories(dataDirectory, ec);
            queue = std::filesystem::path(dataDirectory) / "sids_queue";
        }
        if (!f.StartSids(QString::fromStdString(setup.sidsUrl), setup.sids, queue, error)) return fail();
        if (station.Simulated())
            report(StatusLevel::Warning, "SiDS: this station's blocks are simulated; none will be submitted");
    }
    if (setup.mqtt && !f.StartMqtt(*setup.mqtt, error)) return fail();
    if (!setup.kissConnectHost.empty())
        station.ConnectKissInput(QString::fromStdString(setup.kissConnectHost), setup.kissConnectPort);
    if (!setup.kissIn.empty()) {
        if (!station.OpenKissInput(QString::fromStdString(setup.kissIn), error)) return fail();
        report(StatusLevel::Status, setup.kissIn == "-" ? std::string("reading KISS frames from standard input")
                                                        : "reading KISS frames from " + setup.kissIn);
    }
    return true;
}

}  // namespace orv
