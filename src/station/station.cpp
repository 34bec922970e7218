#include "station/station.h"

#include "fec/fec_log.h"
#include "reception/data_directory.h"
#include "reception/startup_settings.h"
#include "station/audio_input.h"
#include "station/forwarding.h"
#include "station/network_control.h"

namespace orv {

class Station::ReplayRoute final : public ReplayHooks {
public:
    explicit ReplayRoute(Station& station) : station_(station) {}
    void ShowCounter(std::string_view text) override {
        if (station_.view_) station_.view_->ShowReplayCounter(text);
    }
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) override {
        if (station_.view_) station_.view_->ShowReplayBlock(bytes);
    }
    void UpdateMonitor() override {
        if (station_.view_) station_.view_->UpdateMonitor();
    }
    void EnableEvents() override {
        if (station_.view_) station_.view_->EnableEvents();
    }
    void DispatchBlock() override {
        if (station_.view_) station_.view_->DispatchBlock();
    }

private:
    Station& station_;
};

Station::Station(KeyValueStore& store, const Clock& clock, QObject* parent)
    : QObject(parent),
      store_(store),
      clock_(clock),
      receiver_(state_, clock_, *this),
      adc_(receiver_),
      logger_(state_, clock_),
      client_(state_, receiver_),
      inputs_(state_, *this),
      replayRoute_(std::make_unique<ReplayRoute>(*this)) {
    relay_.SetReceiverState(&state_.receiver);
    network_ = std::make_unique<NetworkControl>(*this);
    forwarding_ = std::make_unique<Forwarding>(clock_, [this](std::span<const std::uint8_t> b) { ReceiveWholeBlock(b); });
    connect(&serial_, &SerialPort::DataAvailable, this, &Station::ReadSerialPort);
    connect(&serial_, &SerialPort::PortLost, this, &Station::OnPortLost);
    connect(&client_, &NetworkClient::StateChanged, this, &Station::InputsChanged);
    audio_ = std::make_unique<AudioInput>([this](std::span<const std::uint8_t> bytes) { SerialBytes(bytes); });
    connect(audio_.get(), &AudioInput::Status, this, &Station::AudioStatus);
    connect(audio_.get(), &AudioInput::Ended, this, &Station::AudioEnded);
}

Station::~Station() {
    // Whoever listened may be gone already: closing down reports to no one.
    view_ = nullptr;
    client_.disconnect();
    relay_.disconnect();
    relay_.Server().disconnect();
    serial_.disconnect();
    audio_->disconnect();
    Shutdown();
}

void Station::LoadSettings() {
    state_.settings = ReadStartupSettings(store_);
    state_.SetModemType(state_.settings.modemType);
    state_.workingDataDirectory = state_.settings.dataDirectory;
}

void Station::SettingsSaved() {
    // Setup has written the settings into the state already; the data directory follows them.
    state_.workingDataDirectory = state_.settings.dataDirectory;
    if (logger_.Logging()) logger_.UpdateLogFileName();
    emit SettingsChanged();
    emit LoggingChanged();
}

std::filesystem::path Station::TelemetryDirectory() const { return orv::TelemetryDirectory(DataDirectory()); }

std::filesystem::path Station::DspDirectory() const { return orv::DspDirectory(DataDirectory()); }

void Station::PrepareDataDirectory(const std::function<void(const std::string&)>& inform) {
    orv::PrepareDataDirectory(state_.settings.dataDirectory, inform);
    state_.workingDataDirectory = state_.settings.dataDirectory;
}

QString Station::SerialDevice() const {
    if (!serialOverride_.isEmpty()) return serialOverride_;
    return SerialDevicePath(state_.settings.comPort, QString::fromStdString(state_.settings.serialDevice));
}

bool Station::IsOpen() const { return serial_.IsOpen() || audio_->Running(); }

void Station::Close() {
    serial_.Close();
    audio_->Stop();
}

bool Station::Open(std::string& error) {
    // The demodulator's symbols carry the carrier's phase ambiguity: inverted syncs are data too.
    adc_.Path().SetAcceptInverted(state_.settings.modemType == ModemType::Audio);
    if (state_.settings.modemType == ModemType::Audio) return audio_->Start(AudioSetup(), error);
    SerialConfig config;
    config.device = SerialDevice();
    config.baudRate = state_.settings.baudRate;
    QString reason;
    if (serial_.Open(config, &reason)) return true;
    error = reason.toStdString();
    return false;
}

void Station::Report(const SelectionResult& result) {
    emit SelectionChanged();
    if (result.portFailed) emit PortOpenFailed(SerialDevice(), QString::fromStdString(result.error));
}

SelectionResult Station::SelectText(TextSelection selection) {
    // "Raw" with the port closed: the first data after opening starts a new block.
    if (selection == TextSelection::Raw && !serial_.IsOpen() && !state_.flags.networkInputActive)
        receiver_.ForgetLastTime();
    const SelectionResult result = inputs_.Select(selection);
    Report(result);
    return result;
}

void Station::BeginDspLoad() {
    inputs_.BeginDspLoad();
    emit SelectionChanged();
    emit InputsChanged();
}

void Station::EndDspLoad() {
    const SelectionResult result = inputs_.EndDspLoad();
    emit InputsChanged();
    Report(result);
}

void Station::EndNetworkInput() {
    const SelectionResult result = inputs_.EndNetworkInput();
    if (result.portOpened || result.portFailed) Report(result);
}

void Station::OpenReplay() {
    // Replay replaces every live input: a client or a listening server is switched off first.
    if (network_->LinkActive()) network_->SelectMode(NetMode::Off);
    state_.flags.replayOpened = true;
    replay_.Close();
    inputs_.BeginReplay();
    emit SelectionChanged();
    emit InputsChanged();
}

void Station::CloseReplay() {
    replay_.Close();
    inputs_.EndReplay();
    emit InputsChanged();
}

ReplaySession::LoadResult Station::LoadReplayFile(const std::filesystem::path& path) {
    ReplaySession::LoadResult result = replay_.Load(path);
    if (result.loaded) {
        replayRoute_->ShowCounter(replay_.CounterText());
        ShowReplayBlock();
    }
    return result;
}

void Station::ShowReplayBlock() { replay_.ShowReplayBlock(state_, *replayRoute_); }

void Station::StartLogging() {
    logger_.StartLogging();
    emit LoggingChanged();
}

void Station::StopLogging() {
    logger_.StopLogging();
    emit LoggingChanged();
}

void Station::ReadSerialPort(qint64 count) {
    if (state_.flags.serialInputSuspended) {
        serial_.FlushInput();
        return;
    }
    const QByteArray bytes = serial_.Read(count);
    SerialBytes({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
}

void Station::SerialBytes(std::span<const std::uint8_t> bytes) {
    if (state_.flags.serialInputSuspended || bytes.empty()) return;
    if (state_.AdcPath()) {
        adc_.ProcessAdcBytes(bytes);
        return;
    }
    receiver_.ReceiveBlockBytes(bytes);
}

void Station::OnPortLost(const QString& reason) {
    inputs_.Select(TextSelection::Off);
    emit SerialPortLost(reason);
    emit SelectionChanged();
}

void Station::Shutdown() {
    client_.Disconnect();
    forwarding_->StopAll();
    relay_.Server().Stop();
    relay_.Udp().SetDestination(QString(), 0);
    serial_.Close();
    audio_->Stop();
}

void Station::ShowBlockId(char id) {
    if (view_) view_->ShowBlockId(id);
}

void Station::ShowByteCount(std::string_view text) {
    if (view_) view_->ShowByteCount(text);
}

void Station::ShowCrccStatus(std::string_view text) {
    if (view_) view_->ShowCrccStatus(text);
}

void Station::EnableEvents() {
    if (view_) view_->EnableEvents();
}

void Station::RelayChunk(std::span<const std::uint8_t> bytes, bool withMarker) { relay_.SendChunk(bytes, withMarker); }

void Station::RelayFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) { relay_.SendFullBlock(block); }

void Station::RelayDatagram(std::span<const std::uint8_t> block) { relay_.SendDatagram(block); }

void Station::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    if (!view_) return;
    // In ADC reception the text view carries the FEC decoder's status line.
    std::optional<std::string> status;
    if (state_.AdcPath() && !state_.flags.networkInputActive)
        status = FecStatusLine(adc_.Status(), state_.receiver.fecDelivery);
    view_->ShowTextBlock(bytes, status);
}

void Station::AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) {
    const LogAppendResult result = logger_.AppendBlockToLog(Record(record.data(), kRecordBytes));
    emit BlockLogged(result);
}

void Station::DispatchBlock() {
    if (view_) view_->DispatchBlock();
}

void Station::BlockFinished() {
    forwarding_->BlockCompleted(CompletedBlock(state_, clock_.Now(), forwarding_->LiveSource()));
    if (view_) view_->BlockFinished();
    emit BlockHandled();
}

}  // namespace orv
