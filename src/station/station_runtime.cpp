#include "station/station_runtime.h"

#include "reception/startup_settings.h"

namespace orv {

StationRuntime::StationRuntime(KeyValueStore& store, const Clock& clock, QObject* parent)
    : QObject(parent), store_(store), clock_(clock), receiver_(station_, clock_, *this), adc_(receiver_) {
    connect(&serial_, &SerialPort::DataAvailable, this, &StationRuntime::ZComm2TriggerAvail);
    connect(&serial_, &SerialPort::PortLost, this, &StationRuntime::SerialPortLost);
}

StationRuntime::~StationRuntime() { serial_.Close(); }

void StationRuntime::LoadSettings() {
    station_.settings = ReadStartupSettings(store_);
    station_.SetModemType(station_.settings.modemType);
    station_.workingDataDirectory = station_.settings.dataDirectory;
}

QString StationRuntime::SerialDevice() const {
    if (!serialOverride_.isEmpty()) return serialOverride_;
    return SerialDevicePath(station_.settings.comPort, QString::fromStdString(station_.settings.serialDevice));
}

bool StationRuntime::OpenSerialPort(QString* error) {
    if (station_.flags.networkInputActive || serial_.IsOpen()) return true;
    SerialConfig config;
    config.device = SerialDevice();
    config.baudRate = station_.settings.baudRate;
    return serial_.Open(config, error);
}

void StationRuntime::CloseSerialPort() { serial_.Close(); }

void StationRuntime::ZComm2TriggerAvail(qint64 count) {
    if (station_.flags.serialInputSuspended) {
        serial_.FlushInput();
        return;
    }
    const QByteArray bytes = serial_.Read(count);
    SerialBytes({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
}

void StationRuntime::SerialBytes(std::span<const std::uint8_t> bytes) {
    if (station_.flags.serialInputSuspended || bytes.empty()) return;
    if (station_.AdcPath()) {
        adc_.ProcessAdcBytes(bytes);
        return;
    }
    receiver_.ReceiveBlockBytes(bytes);
}

void StationRuntime::ShowBlockId(char id) {
    if (view_) view_->ShowBlockId(id);
}
void StationRuntime::ShowByteCount(std::string_view text) {
    if (view_) view_->ShowByteCount(text);
}
void StationRuntime::ShowCrccStatus(std::string_view text) {
    if (view_) view_->ShowCrccStatus(text);
}
void StationRuntime::EnableEvents() {
    if (view_) view_->EnableEvents();
}
bool StationRuntime::RelayHasClients() const { return relay_ && relay_->HasClients(); }
bool StationRuntime::RelayRealTime() const { return !relay_ || relay_->RealTime(); }
bool StationRuntime::UdpRelayOn() const { return relay_ && relay_->UdpOn(); }
void StationRuntime::ClearRelayStatus() {
    if (relay_) relay_->ClearStatus();
}
void StationRuntime::RelayChunk(std::span<const std::uint8_t> bytes, bool withMarker) {
    if (relay_) relay_->SendChunk(bytes, withMarker);
}
void StationRuntime::RelayFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) {
    if (relay_) relay_->SendFullBlock(block);
}
void StationRuntime::RelayDatagram(std::span<const std::uint8_t> block) {
    if (relay_) relay_->SendDatagram(block);
}
void StationRuntime::ShowRelayMode(bool realTime) {
    if (relay_) relay_->ShowMode(realTime);
}
void StationRuntime::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    if (view_) view_->ShowTextBlock(bytes);
}
void StationRuntime::AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) {
    if (logSink_) logSink_(record);
}
void StationRuntime::DispatchBlock() {
    if (view_) view_->DispatchBlock();
}

}  // namespace orv

namespace orv {

void StationRuntime::BlockFinished() {
    if (view_) view_->BlockFinished();
    emit BlockHandled();
}

}  // namespace orv
