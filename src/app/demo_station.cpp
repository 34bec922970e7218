#include "app/demo_station.h"

namespace orv {

DemoStation::DemoStation(ModemType modem) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("cannot create a temporary directory: %1").arg(dir_.errorString());
        return;
    }
    store_ = std::make_unique<QtSettingsStore>(dir_.filePath(QStringLiteral("orv-demo.ini")));
    store_->Write(kStartupKey, "Log on Start", "no");
    store_->Write(kStartupKey, "Com Port No.", "1");
    store_->Write(kStartupKey, "Default Directory", dir_.path().toStdString());
    store_->Write(kStartupKey, "Modem Type", ModemTypeText(modem));
    store_->Write(kStartupKey, "Baud Rate", "1200");
    store_->Write(kStartupKey, "Auto Time", "true");
    store_->Write(kStartupKey, "Boot Server", "0");
    sim::SimOptions options;
    options.modem = modem;
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

}  // namespace orv
