#pragma once
// The running station: its state (block stores, receiver state, flags, settings read at
// start-up), the block receiver, the serial port, ADC reception, the telemetry logger, the relay
// (TCP server and UDP sender), the network client, replay and the data directory, and the rules
// of who holds the serial port. The desktop program and the headless station both run one; the
// windows render it and send the operator's intents to it.
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "fec/adc_reception.h"
#include "files/replay.h"
#include "files/telemetry_logger.h"
#include "net/network_client.h"
#include "net/relay.h"
#include "reception/clock.h"
#include "reception/receiver.h"
#include "reception/serial_port.h"
#include "reception/settings_store.h"
#include "reception/station_state.h"
#include "audio/audio_settings.h"
#include "station/input_arbiter.h"
#include "station/station_view.h"

namespace orv {

class AudioInput;
class Forwarding;
class NetworkControl;

class Station : public QObject, private ReceiverHooks, private SerialPortControl {
    Q_OBJECT
public:
    Station(KeyValueStore& store, const Clock& clock, QObject* parent = nullptr);
    ~Station() override;

    StationState& state() { return state_; }
    const StationState& state() const { return state_; }
    KeyValueStore& store() { return store_; }
    const Clock& clock() const { return clock_; }
    BlockReceiver& receiver() { return receiver_; }
    SerialPort& serial() { return serial_; }
    AdcReception& adc() { return adc_; }
    TelemetryLogger& logger() { return logger_; }
    Relay& relay() { return relay_; }
    NetworkClient& client() { return client_; }
    NetworkControl& network() { return *network_; }
    ReplaySession& replay() { return replay_; }
    // KISS in and out, SiDS submission, MQTT (forwarding.h).
    Forwarding& forwarding() { return *forwarding_; }
    const InputArbiter& inputs() const { return inputs_; }
    // With modem type "Audio" the audio input takes the serial port's place.
    AudioInput& audio() { return *audio_; }
    // The audio source and centre frequency: given on the command line, else the settings.
    void SetAudioOverride(const AudioSettings& settings) { audioOverride_ = settings; }
    AudioSettings AudioSetup() const { return audioOverride_ ? *audioOverride_ : ReadAudioSettings(store_); }

    // Where blocks are shown; null shows nothing.
    void SetView(StationView* view) { view_ = view; }

    // Reads the "Startup" settings, applies the modem type and takes the data directory.
    void LoadSettings();
    // The settings were saved again (Setup): every user follows the new values at once.
    void SettingsSaved();

    // The data directory and its subdirectories, as the settings give them now.
    std::string DataDirectory() const { return state_.workingDataDirectory; }
    std::filesystem::path TelemetryDirectory() const;
    std::filesystem::path DspDirectory() const;
    // Checks the data directory and creates what is missing; `inform` gets each message.
    void PrepareDataDirectory(const std::function<void(const std::string&)>& inform);

    // The serial device: --serial PATH, else the "Serial Device" setting, else the port number.
    void SetSerialOverride(const QString& path) { serialOverride_ = path; }
    QString SerialDevice() const;

    // The operator's text selection (see InputArbiter). A port that cannot be opened is reported
    // by PortOpenFailed and leaves "OFF" selected.
    SelectionResult SelectText(TextSelection selection);
    TextSelection Selection() const { return state_.flags.selection; }
    bool TelemetrySelectable() const { return inputs_.TelemetrySelectable(); }

    // The DSP-93 load takes the port for its transfer and gives it back.
    void BeginDspLoad();
    void EndDspLoad();
    // "Client (data in)" takes the serial port's place; its end gives the port back.
    void BeginNetworkInput() { inputs_.BeginNetworkInput(); }
    void EndNetworkInput();

    // Replay: opening switches live reception off (and the network link, when it is a client or
    // a server); closing frees the file. The opened flag opens the display gate for the run.
    void OpenReplay();
    void CloseReplay();
    ReplaySession::LoadResult LoadReplayFile(const std::filesystem::path& path);
    // Shows the replay's current block through the view and the dispatch.
    void ShowReplayBlock();

    // Logging: the telemetry logger's rules are set on logger(); these start and stop it and
    // report through LoggingChanged.
    void StartLogging();
    void StopLogging();

    // Shows a block of the live stores (the last complete block, a text copy) in the text view,
    // with the FEC status line in ADC reception.
    void ShowLiveText(std::span<const std::uint8_t, kTelemetryBytes> bytes) { ShowTextBlock(bytes); }

    // Routes bytes read from the serial port: discarded while the DSP-93 load owns the port, to
    // the ADC path in "ADC" mode, otherwise to the receiver.
    void SerialBytes(std::span<const std::uint8_t> bytes);
    // A whole 512- or 514-byte block from another decoder (KISS in): judged, logged, displayed
    // and relayed like one from the serial port.
    void ReceiveWholeBlock(std::span<const std::uint8_t> block) { receiver_.ReceiveWholeBlock(block); }

    // Closes every input and link: the serial port, the client, the server, the UDP sender.
    void Shutdown();

signals:
    // The receiver has finished with a complete block (in the last complete block store; its
    // verdict in the receiver state's CRCC label).
    void BlockHandled();
    // The text selection changed (by the operator or by a rule: a failed port, replay, a load).
    void SelectionChanged();
    // Whether "Raw", "K".."N" can be chosen changed, or network input started or ended.
    void InputsChanged();
    // The port could not be opened for a selection; "OFF" is selected.
    void PortOpenFailed(const QString& device, const QString& reason);
    // The open port failed or its device went away; the port is closed and "OFF" selected.
    void SerialPortLost(const QString& reason);
    // One block went to the logger (written or not).
    void BlockLogged(const orv::LogAppendResult& result);
    // Logging started or stopped, or its rules or file name changed.
    void LoggingChanged();
    // The settings were saved: data directory, modem type and the rest may have changed.
    void SettingsChanged();
    // The audio input's status line (overruns, a stream that stopped or came back), or its end.
    void AudioStatus(const QString& text);
    void AudioEnded(const QString& reason);

private:
    // ReceiverHooks: the live block's road through the view, the logger and the relay.
    void ShowBlockId(char id) override;
    void ShowByteCount(std::string_view text) override;
    void ShowCrccStatus(std::string_view text) override;
    void EnableEvents() override;
    bool RelayHasClients() const override { return relay_.HasClients(); }
    bool RelayRealTime() const override { return relay_.RealTime(); }
    bool UdpRelayOn() const override { return relay_.UdpOn(); }
    void ClearRelayStatus() override { relay_.ClearStatus(); }
    void RelayChunk(std::span<const std::uint8_t> bytes, bool withMarker) override;
    void RelayFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) override;
    void RelayDatagram(std::span<const std::uint8_t> block) override;
    void ShowRelayMode(bool realTime) override { relay_.ShowMode(realTime); }
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) override;
    void AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) override;
    void DispatchBlock() override;
    void BlockFinished() override;

    // A replayed block's road: the view's replay text, the Monitor and the dispatch.
    class ReplayRoute;

    // SerialPortControl for the input rules.
    bool IsOpen() const override;
    bool Open(std::string& error) override;
    void Close() override;

    void ReadSerialPort(qint64 count);
    void OnPortLost(const QString& reason);
    void Report(const SelectionResult& result);

    KeyValueStore& store_;
    const Clock& clock_;
    StationState state_;
    BlockReceiver receiver_;
    SerialPort serial_;
    QString serialOverride_;
    AdcReception adc_;
    TelemetryLogger logger_;
    Relay relay_;
    NetworkClient client_;
    ReplaySession replay_;
    InputArbiter inputs_;
    std::unique_ptr<ReplayRoute> replayRoute_;
    std::unique_ptr<NetworkControl> network_;
    std::unique_ptr<AudioInput> audio_;
    std::optional<AudioSettings> audioOverride_;
    std::unique_ptr<Forwarding> forwarding_;
    StationView* view_ = nullptr;
};

}  // namespace orv
