#include "station/station.h"

#include <cstring>

#include "fec/fec_log.h"
#include "inputs/audio_input.h"
#include "inputs/iq_input.h"
#include "inputs/input_table.h"
#include "inputs/make_input.h"
#include "inputs/kiss_input.h"
#include "reception/data_directory.h"
#include "reception/serial_port.h"
#include "reception/startup_settings.h"
#include "station/forwarding.h"
#include "station/network_control.h"
#include "station/setup_choices.h"
#include "text/text_parse.h"

namespace orv {

// The text view follows a completed block while "Raw" is selected.
class Station::LiveTextSink final : public BlockSink {
public:
    explicit LiveTextSink(Station& station) : station_(station) {}
    void TakeBlock(const ReceivedBlock& block) override {
        if (station_.state_.flags.selection != TextSelection::Raw) return;
        station_.ShowTextBlock(block.record.first<kTelemetryBytes>(), block.FromFec());
    }

private:
    Station& station_;
};

// The display dispatch by block kind: D blocks always, A blocks under "Raw", K..N blocks under
// their letter, E blocks in Events mode.
class Station::DispatchSink final : public BlockSink {
public:
    explicit DispatchSink(Station& station) : station_(station) {}
    void TakeBlock(const ReceivedBlock& block) override {
        const ReceptionFlags& flags = station_.state_.flags;
        const char id = block.Kind();
        const char letter = SelectionLetter(flags.selection);
        const bool dispatch = id == 'D' || (id == 'A' && flags.selection == TextSelection::Raw) ||
                              (TextCopyIndex(id) >= 0 && id == letter) || (id == 'E' && flags.eventsMode);
        if (dispatch && station_.view_) station_.view_->DispatchBlock();
    }

private:
    Station& station_;
};

// The station's own bookkeeping once the log and the relay have had the block: a full-block send
// renews the pause timer, and the last complete block (and the current block) keep the failed-CRCC
// stamp while logging, as the log has it.
class Station::StoreKeeper final : public BlockSink {
public:
    explicit StoreKeeper(Station& station) : station_(station) {}
    void TakeBlock(const ReceivedBlock& block) override {
        if (station_.relay_.SentLastBlock()) station_.pipeline_.RenewPauseTimer();
        BlockStores& stores = station_.state_.stores;
        if (station_.logger_.Logging() && block.verdict == CrccVerdict::Fail) WriteFailedCrccStamp(stores.current);
        std::memcpy(stores.lastComplete.data(), stores.current.data(), kTelemetryBytes);
    }

private:
    Station& station_;
};

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
      pipeline_(state_, clock_),
      logger_(state_, clock_),
      relay_(),
      client_(pipeline_),
      inputs_(state_, *this),
      liveText_(std::make_unique<LiveTextSink>(*this)),
      dispatch_(std::make_unique<DispatchSink>(*this)),
      storeKeeper_(std::make_unique<StoreKeeper>(*this)),
      replayRoute_(std::make_unique<ReplayRoute>(*this)) {
    // The station is in network input mode while its client is connected; connected first, so that
    // this runs before any other listener of the client's state.
    connect(&client_, &RelayClientInput::StateChanged, this, [this](RelayClientInput::LinkState s) {
        state_.flags.networkInputActive = s == RelayClientInput::LinkState::Connected;
        emit InputsChanged();
    });
    network_ = std::make_unique<NetworkControl>(*this);
    forwarding_ = std::make_unique<Forwarding>(clock_);
    // A completed block's road, in this order.
    pipeline_.SetProgressView(this);
    pipeline_.SetByteTap(&relay_);
    pipeline_.AddSink(*liveText_);
    pipeline_.AddSink(logger_);
    pipeline_.AddSink(*dispatch_);
    pipeline_.AddSink(relay_);
    pipeline_.AddSink(*storeKeeper_);
    pipeline_.AddSink(*forwarding_);
    logger_.SetAppendHandler([this](const LogAppendResult& result) { emit BlockLogged(result); });
}

Station::~Station() {
    // Whoever listened may be gone already: closing down reports to no one.
    view_ = nullptr;
    client_.disconnect();
    relay_.disconnect();
    relay_.Server().disconnect();
    if (portInput_) portInput_->disconnect();
    for (auto& kiss : kissInputs_) kiss->disconnect();
    Shutdown();
}

void Station::SetSimulated(bool simulated) {
    simulated_ = simulated;
    pipeline_.SetLive(!simulated);
}

void Station::LoadSettings() {
    state_.settings = ReadStartupSettings(store_);
    state_.SetModemType(state_.settings.modemType);
    state_.workingDataDirectory = state_.settings.dataDirectory;
    // The grid takes the size as it can show it (8, 16, 24 or 32 slots).
    logger_.Grid().SetBufferSize(state_.settings.eventBufferSize);
    state_.settings.eventBufferSize = logger_.Grid().BufferSize();
}

std::optional<std::string> Station::SaveSetup(const SetupChoices& choices) {
    return SaveSetupChoices(choices, store_, state_, clock_);
}

void Station::SettingsSaved() {
    // Setup has written the settings into the state already; the data directory follows them.
    state_.workingDataDirectory = state_.settings.dataDirectory;
    // The log's name was fixed when logging started: a Save after midnight does not start the
    // next day's file.
    if (logger_.Logging()) logger_.FollowDataDirectory();
    ReopenChangedInput();
    emit SettingsChanged();
    emit LoggingChanged();
}

std::string Station::InputConfiguration() const {
    const AudioSettings a = AudioSetup();
    return ModemTypeText(state_.settings.modemType) + '\n' + SerialDevice().toStdString() + '\n' +
           std::to_string(state_.settings.baudRate) + '\n' + AudioSourceText(a.source) + '\n' + a.device + '\n' +
           std::to_string(a.udpPort) + '\n' + std::to_string(a.rate) + '\n' + a.file + '\n' + std::to_string(a.centreHz);
}

void Station::ReopenChangedInput() {
    if (!PortOpen() || InputConfiguration() == openedConfiguration_) return;
    std::string error;
    if (Open(error)) {
        emit SelectionChanged();
        return;
    }
    inputs_.Select(TextSelection::Off);
    SelectionResult result;
    result.portFailed = true;
    result.error = error;
    Report(result);
}

void Station::SetDataDirectory(const std::string& directory) {
    state_.settings.dataDirectory = state_.workingDataDirectory = directory;
}

std::filesystem::path Station::TelemetryDirectory() const { return orv::TelemetryDirectory(DataDirectory()); }

std::filesystem::path Station::DspDirectory() const { return orv::DspDirectory(DataDirectory()); }

void Station::PrepareDataDirectory(const std::function<void(const std::string&)>& inform) {
    orv::PrepareDataDirectory(state_.settings.dataDirectory, inform);
    state_.workingDataDirectory = state_.settings.dataDirectory;
}

QString Station::SerialDevice() const {
    if (!serialOverride_.isEmpty()) return serialOverride_;
    // Port 0 is no port ("Com Port No." saved with none chosen by an earlier version).
    if (state_.settings.comPort < 1 && TrimSpaces(state_.settings.serialDevice).empty()) return {};
    return SerialDevicePath(state_.settings.comPort, QString::fromStdString(state_.settings.serialDevice));
}

AudioInput* Station::Audio() {
    if (!portInput_ || !portInput_->Running()) return nullptr;
    return qobject_cast<AudioInput*>(portInput_.get());
}

AudioDemodulator* Station::Demodulator() {
    if (AudioInput* audio = Audio()) return audio->Demodulator();
    IqReceiver* receiver = Receiver();
    return receiver ? &receiver->Demodulator() : nullptr;
}

IqReceiver* Station::Receiver() {
    if (!portInput_ || !portInput_->Running()) return nullptr;
    auto* iq = qobject_cast<IqInput*>(portInput_.get());
    return iq ? iq->Receiver() : nullptr;
}

bool Station::SamplesInput() const { return InputForModem(state_.settings.modemType).samples; }

bool Station::Open(std::string& error) {
    Close();
    const InputRow& row = InputForModem(state_.settings.modemType);
    if (row.serialDevice && SerialDevice().isEmpty()) {
        error = "no serial device is chosen: choose it in Setup";
        return false;
    }
    auto input = MakeInput(row, {pipeline_, state_, SerialDevice(), AudioSetup(), SdrSetup()});
    if (!input) {
        error = std::string(row.name) + " is not opened with \"Raw\"";
        return false;
    }
    if (!input->Start(error)) return false;
    connect(input.get(), &BlockInput::Lost, this, &Station::OnInputLost);
    connect(input.get(), &BlockInput::Status, this, &Station::InputStatus);
    connect(input.get(), &BlockInput::Ended, this, &Station::InputEnded);
    portInput_ = std::move(input);
    openedConfiguration_ = InputConfiguration();
    // A new source's status replaces whatever the last one said.
    emit InputStatus(QStringLiteral("reading %1").arg(portInput_->Description()));
    return true;
}

void Station::Close() {
    if (!portInput_) return;
    // A closed input reports nothing more.
    portInput_->disconnect(this);
    portInput_->Stop();
    // Kept until the next close: the input may be closing from inside its own signal.
    closedInput_ = std::move(portInput_);
}

void Station::Report(const SelectionResult& result) {
    emit SelectionChanged();
    if (result.portFailed) emit PortOpenFailed(SerialDevice(), QString::fromStdString(result.error));
}

SelectionResult Station::SelectText(TextSelection selection) {
    // "Raw" with the input closed: the first data after opening starts a new block.
    if (selection == TextSelection::Raw && !PortOpen() && !state_.flags.networkInputActive) pipeline_.ForgetLastTime();
    const SelectionResult result = inputs_.Select(selection);
    // An input chosen after replay: what replay switched off is no longer offered back.
    if (selection != TextSelection::Off && inputs_.TelemetrySelectable()) liveBeforeReplay_.reset();
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

void Station::SerialBytes(std::span<const std::uint8_t> bytes) {
    if (state_.flags.serialInputSuspended || bytes.empty()) return;
    if (SamplesInput()) pipeline_.AdcSamples(bytes);
    else pipeline_.SerialBytes(bytes);
}

void Station::ConnectKissInput(const QString& host, std::uint16_t port) {
    auto input = std::make_unique<KissInput>(pipeline_);
    connect(input.get(), &BlockInput::Status, this, &Station::KissInputStatus);
    input->ConnectTo(host, port);
    kissInputs_.push_back(std::move(input));
}

bool Station::OpenKissInput(const QString& path, QString& error) {
    auto input = std::make_unique<KissInput>(pipeline_);
    QString reason;
    if (!input->OpenStream(path, &reason)) {
        error = QStringLiteral("KISS: %1").arg(reason);
        return false;
    }
    connect(input.get(), &BlockInput::Status, this, &Station::KissInputStatus);
    connect(input.get(), &BlockInput::Ended, this, &Station::KissInputEnded);
    kissInputs_.push_back(std::move(input));
    return true;
}

void Station::StopKissInputs() {
    // Kept until the next stop: an input may be ending from inside its own signal.
    closedKissInputs_.clear();
    for (auto& input : kissInputs_) {
        input->disconnect(this);
        input->Stop();
        closedKissInputs_.push_back(std::move(input));
    }
    kissInputs_.clear();
}

void Station::ChooseEvents(bool on) {
    state_.flags.eventsMode = on;
    const auto& source = on ? state_.stores.lastE : state_.stores.lastA;
    std::copy_n(source.begin(), kTelemetryBytes, state_.stores.display.begin());
}

void Station::OpenReplay() {
    state_.flags.replayOpened = true;
    // Opened again while it is open: the window is only raised, its file stays loaded.
    if (inputs_.ReplayActive()) return;
    LiveReception live;
    live.selection = state_.flags.selection;
    live.server = relay_.Server().IsListening();
    live.client = client_.State() != RelayClientInput::LinkState::Off;
    if (live.selection != TextSelection::Off || live.server || live.client) liveBeforeReplay_ = live;
    replay_.Close();
    // Replay replaces every live input: "OFF" first, so that the end of the client mode below
    // finds no port to give back; then a client or a listening server is switched off.
    inputs_.BeginReplay();
    if (network_->LinkActive()) network_->SelectMode(NetMode::Off);
    emit SelectionChanged();
    emit InputsChanged();
}

std::string Station::LiveReceptionBeforeReplay() const {
    if (!liveBeforeReplay_) return {};
    const LiveReception& live = *liveBeforeReplay_;
    if (live.client)
        return "the link to " + network_->AddressText().trimmed().toStdString() + ":" + network_->PortText().toStdString();
    std::string text;
    if (live.selection != TextSelection::Off) {
        const char letter = SelectionLetter(live.selection);
        text = letter ? std::string("\"") + letter + "\"" : std::string("\"Raw\"");
    }
    if (live.server) text += text.empty() ? "the relay server" : " and the relay server";
    return text;
}

void Station::ResumeLiveReception() {
    if (!liveBeforeReplay_ || inputs_.ReplayActive()) return;
    const LiveReception live = *liveBeforeReplay_;
    liveBeforeReplay_.reset();
    if (live.client) {
        // The text view follows "Raw" once the link is made.
        network_->SelectMode(NetMode::Client);
        network_->PressConnect();
    } else {
        if (live.server) network_->SelectMode(NetMode::Server);
        if (live.selection != TextSelection::Off) SelectText(live.selection);
    }
    emit SelectionChanged();
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

bool Station::StartLogging() {
    // Without a data directory the log would go to a "telemetry" folder wherever the program was
    // started.
    if (!HasDataDirectory()) return false;
    logger_.StartLogging();
    emit LoggingChanged();
    return true;
}

void Station::StopLogging() {
    logger_.StopLogging();
    emit LoggingChanged();
}

int Station::SetEventBufferSize(const std::string& answer) {
    const int n = logger_.SetEventBufferSize(answer, store_);
    state_.settings.eventBufferSize = n;
    return n;
}

void Station::OnInputLost(const QString& reason) {
    inputs_.Select(TextSelection::Off);
    emit InputLost(reason);
    emit SelectionChanged();
}

void Station::Shutdown() {
    client_.Disconnect();
    StopKissInputs();
    forwarding_->StopAll();
    relay_.Server().Stop();
    relay_.Udp().SetDestination(QString(), 0);
    Close();
}

void Station::Progress(const ReceiverState& r, bool eventsBlock) {
    if (!view_) return;
    view_->ShowCrccStatus(CrccLabelText(r));
    view_->ShowBlockId(r.blockId);
    if (eventsBlock) view_->EnableEvents();
    // Once complete: "FB" for whole blocks from a server, "FEC" for a block rebuilt from a frame.
    if (r.verdict && state_.flags.networkInputActive && !relay_.RealTime()) view_->ShowByteCount("FB");
    else if (r.verdict && r.origin == BlockOrigin::FecFrame) view_->ShowByteCount("FEC");
    else view_->ShowByteCount(std::to_string(r.position));
}

void Station::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes, bool fromFec) {
    if (!view_) return;
    // In ADC reception the text view carries the FEC decoder's status line.
    std::optional<std::string> status;
    if (SamplesInput() && !state_.flags.networkInputActive) status = FecStatusLine(pipeline_.Adc().Status(), fromFec);
    view_->ShowTextBlock(bytes, status);
}

}  // namespace orv
