#include "station/demo_station.h"

#include <QDir>

#include "reception/data_directory.h"

namespace orv {
namespace {

// A fair signal: the FEC decoder has a few channel errors to correct now and then, and most
// uncoded blocks pass their CRCC.
constexpr double kDemoEbNoDb = 9.0;

}  // namespace

std::optional<ModemType> DemoModemType(const QString& text) {
    if (text == QLatin1String("512")) return ModemType::Bytes512;
    if (text == QLatin1String("514")) return ModemType::Bytes514;
    if (text.compare(QLatin1String("ADC"), Qt::CaseInsensitive) == 0) return ModemType::Adc;
    return std::nullopt;
}

DemoStation::DemoStation(ModemType modem) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("cannot create a temporary directory: %1").arg(dir_.errorString());
        return;
    }
    // The data directory as the station lays it out (the FEC log goes to "telemetry").
    std::string problem;
    if (!PrepareDataDirectory(dir_.path().toStdString(), [&problem](const std::string& message) { problem = message; })) {
        error_ = QString::fromStdString(problem);
        return;
    }
    store_ = std::make_unique<QtSettingsStore>(dir_.filePath(QStringLiteral("orv-demo.ini")));
    store_->Write(kStartupKey, "Log on Start", "no");
    store_->Write(kStartupKey, "Com Port No.", "1");
    store_->Write(kStartupKey, "Default Directory", dir_.path().toStdString());
    store_->Write(kStartupKey, "Modem Type", ModemTypeText(modem));
    // The ADC modem's 400 samples a second need a faster line; its FEC log goes to the throw-away
    // directory like everything else.
    const bool adc = modem == ModemType::Adc;
    store_->Write(kStartupKey, "Baud Rate", adc ? "9600" : "1200");
    if (adc) store_->Write(kStartupKey, "Log FEC", "true");
    store_->Write(kStartupKey, "Auto Time", "true");
    store_->Write(kStartupKey, "Boot Server", "0");
    sim::SimOptions options;
    options.modem = modem;
    if (adc) {
        options.baudRate = 9600;
        options.ebNoDb = kDemoEbNoDb;
    }
    feeder_ = std::make_unique<sim::PtyFeeder>(options);
    std::string reason;
    if (!feeder_->Open(reason)) error_ = QString::fromStdString(reason);
}

DemoStation::~DemoStation() {
    if (feeder_) feeder_->Stop();
}

QString DemoStation::SerialDevice() const { return QString::fromStdString(feeder_->SlavePath()); }

bool DemoStation::Start() {
    std::string reason;
    if (feeder_->Start(reason)) return true;
    error_ = QString::fromStdString(reason);
    return false;
}

QString DemoStation::StartNote() const {
    return QStringLiteral("The demo's data directory is %1. It is deleted on exit, unless you log telemetry "
                          "(Menu, Logging): the directory and its logs are then kept.")
        .arg(QDir::toNativeSeparators(dir_.path()));
}

QString DemoStation::Finish() {
    if (!dir_.isValid()) return {};
    const QDir telemetry(QString::fromStdString(TelemetryDirectory(dir_.path().toStdString()).string()));
    const QStringList logs = telemetry.entryList({QStringLiteral("*.raw"), QStringLiteral("*.tlm")}, QDir::Files);
    if (logs.isEmpty())
        return QStringLiteral("The demo's data directory %1 was deleted.").arg(QDir::toNativeSeparators(dir_.path()));
    dir_.setAutoRemove(false);
    return QStringLiteral("Telemetry was logged: the demo's logs are kept in %1 (%2).")
        .arg(QDir::toNativeSeparators(telemetry.path()), logs.join(QStringLiteral(", ")));
}

}  // namespace orv
