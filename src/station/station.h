#pragma once
// The running station: its state (block stores, receiver state, flags, settings read at start-up),
// the reception pipeline with its sinks (the view, the telemetry logger, the relay, forwarding and
// whoever else adds one), the inputs that feed it (the one "Raw" opens, the relay client, KISS),
// replay and the data directory, and the rules of who holds the modem. The desktop program and the
// headless station both run one; the windows render it and send the operator's intents to it. Only
// the station writes its state.
//
//   input drivers --> ReceptionPipeline --> ReceivedBlock --> view text, logger, dispatch, relay,
//                                                             stores, forwarding, added sinks
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_settings.h"
#include "iq/sdr_settings.h"
#include "files/replay.h"
#include "files/telemetry_logger.h"
#include "inputs/block_input.h"
#include "inputs/relay_client_input.h"
#include "net/relay.h"
#include "pipeline/reception_pipeline.h"
#include "reception/clock.h"
#include "reception/settings_store.h"
#include "reception/station_state.h"
#include "station/input_arbiter.h"
#include "station/station_view.h"

namespace orv {

class AudioDemodulator;
class AudioInput;
class IqReceiver;
class Forwarding;
class KissInput;
class NetworkControl;
struct SetupChoices;

class Station : public QObject, private SerialPortControl, private ReceptionProgressView {
    Q_OBJECT
public:
    Station(KeyValueStore& store, const Clock& clock, QObject* parent = nullptr);
    ~Station() override;

    const StationState& state() const { return state_; }
    KeyValueStore& store() { return store_; }
    const Clock& clock() const { return clock_; }
    ReceptionPipeline& pipeline() { return pipeline_; }
    AdcReception& adc() { return pipeline_.Adc(); }
    const AdcReception& Adc() const { return pipeline_.Adc(); }
    TelemetryLogger& logger() { return logger_; }
    Relay& relay() { return relay_; }
    RelayClientInput& client() { return client_; }
    NetworkControl& network() { return *network_; }
    ReplaySession& replay() { return replay_; }
    // KISS out, SiDS submission, MQTT (forwarding.h).
    Forwarding& forwarding() { return *forwarding_; }
    const InputArbiter& inputs() const { return inputs_; }

    // Where blocks are shown; null shows nothing.
    void SetView(StationView* view) { view_ = view; }
    // A sink after the station's own (log, relay, forwarding): printers, tests. It must outlive
    // the station or be removed.
    void AddSink(BlockSink& sink) { pipeline_.AddSink(sink); }
    void RemoveSink(BlockSink& sink) { pipeline_.RemoveSink(sink); }
    // The demo and the simulator feed the station: its blocks are not live reception (never
    // submitted to SiDS, "live": false over MQTT).
    void SetSimulated(bool simulated);
    bool Simulated() const { return simulated_; }

    // Reads the "Startup" settings, applies the modem type and the event buffer size, and takes
    // the data directory.
    void LoadSettings();
    // The first Setup was saved: the start-up goes on.
    void FinishFirstRun() { state_.settings.firstRun = false; }
    // Setup's "Save": writes the choices to the store and into the settings; an error for the
    // operator leaves both as they were.
    std::optional<std::string> SaveSetup(const SetupChoices& choices);
    // The settings were saved again (Setup): every user follows the new values at once. A log
    // being written keeps its name (the day it started) and follows a new data directory; an
    // input that is open reopens when what it was opened with changed (modem type, device, baud
    // rate, audio source).
    void SettingsSaved();
    // A headless station's options override the stored settings for this run.
    void SetModemType(ModemType modem) { state_.SetModemType(modem); }
    void SetBaudRate(int baud) { state_.settings.baudRate = baud; }
    void SetLogFec(bool on) { state_.settings.logFec = on; }
    void SetDataDirectory(const std::string& directory);

    // The data directory and its subdirectories, as the settings give them now.
    std::string DataDirectory() const { return state_.workingDataDirectory; }
    std::filesystem::path TelemetryDirectory() const;
    std::filesystem::path DspDirectory() const;
    // Checks the data directory and creates what is missing; `inform` gets each message.
    void PrepareDataDirectory(const std::function<void(const std::string&)>& inform);
    // Whether a data directory is set: without one nothing is logged.
    bool HasDataDirectory() const { return !state_.workingDataDirectory.empty(); }

    // The serial device: --serial PATH, else the "Serial Device" setting, else the port number;
    // empty when none of them names one.
    void SetSerialOverride(const QString& path) { serialOverride_ = path; }
    QString SerialDevice() const;
    // The audio source and centre frequency: given on the command line, else the settings.
    void SetAudioOverride(const AudioSettings& settings) { audioOverride_ = settings; }
    AudioSettings AudioSetup() const { return audioOverride_ ? *audioOverride_ : ReadAudioSettings(store_); }
    // The SDR and its tuning: given on the command line, else the settings.
    void SetSdrOverride(const SdrSettings& settings) { sdrOverride_ = settings; }
    SdrSettings SdrSetup() const { return sdrOverride_ ? *sdrOverride_ : ReadSdrSettings(store_); }

    // The operator's text selection (see InputArbiter). An input that cannot be opened is reported
    // by PortOpenFailed and leaves "OFF" selected.
    SelectionResult SelectText(TextSelection selection);
    TextSelection Selection() const { return state_.flags.selection; }
    bool TelemetrySelectable() const { return inputs_.TelemetrySelectable(); }
    // The input "Raw" opens (the row of the modem type) while it runs, else null.
    const BlockInput* PortInput() const { return portInput_.get(); }
    bool PortOpen() const { return portInput_ && portInput_->Running(); }
    // The audio input while it runs, and the demodulator of the audio or SDR input (for the
    // picture of the signal), else null.
    AudioInput* Audio();
    AudioDemodulator* Demodulator();
    // The SDR input's receiver while it runs (the searched band, the beacon's drift), else null.
    IqReceiver* Receiver();

    // The DSP-93 load takes the modem for its transfer and gives it back.
    void BeginDspLoad();
    void EndDspLoad();
    // "Client (data in)" takes the modem's place; its end gives it back.
    void BeginNetworkInput() { inputs_.BeginNetworkInput(); }
    void EndNetworkInput();

    // KISS in, besides any other input: a KISS server (reconnecting) or a file or standard input
    // ("-"; KissInputEnded follows its end). False with the reason.
    void ConnectKissInput(const QString& host, std::uint16_t port);
    bool OpenKissInput(const QString& path, QString& error);
    void StopKissInputs();
    const std::vector<std::unique_ptr<KissInput>>& KissInputs() const { return kissInputs_; }

    // The "Events" check box: Events mode on or off, the display block taken from the last E or A
    // block. ClearEventsMode only switches it off (a replayed file brings its own display block).
    void ChooseEvents(bool on);
    void ClearEventsMode() { state_.flags.eventsMode = false; }
    // Ctrl + right click: CRCC-failed data shown or not.
    void SetShowCrccFailedData(bool on) { state_.flags.showCrccFailedData = on; }

    // Replay: opening switches live reception off ("OFF", then the network link when it is a
    // client or a server) and frees a file of an earlier opening; opening it again while it is
    // open keeps its file. Closing frees the file. The opened flag opens the display gate for the
    // run.
    void OpenReplay();
    void CloseReplay();
    // What replay switched off, offered back once it has ended: the text selection, the relay
    // server, the client's link. Nothing once the operator chose an input or took the offer.
    bool LiveReceptionToResume() const { return liveBeforeReplay_.has_value(); }
    // It in words, for the operator: "Raw" (quoted), "K" and the relay server, the link to HOST:PORT.
    std::string LiveReceptionBeforeReplay() const;
    // Switches on again what replay switched off.
    void ResumeLiveReception();
    ReplaySession::LoadResult LoadReplayFile(const std::filesystem::path& path);
    // Shows the replay's current block through the view and the dispatch.
    void ShowReplayBlock();

    // Logging: the telemetry logger's rules are set on logger(); these start and stop it and
    // report through LoggingChanged. Without a data directory logging does not start (false).
    bool StartLogging();
    void StopLogging();
    // "E-buffer size": the answer as the operator typed it; returns the new size.
    int SetEventBufferSize(const std::string& answer);

    // Bytes as the modem of the modem type delivers them (ADC samples for "ADC" and "Audio"), from a
    // feed other than the modem's own driver (the simulator's served stream, tests); discarded
    // while the DSP-93 load owns the modem.
    void SerialBytes(std::span<const std::uint8_t> bytes);

    // Shows a block of the live stores (the last complete block, a text copy) in the text view,
    // with the FEC status line in ADC reception.
    void ShowLiveText(std::span<const std::uint8_t, kTelemetryBytes> bytes) { ShowTextBlock(bytes, false); }

    // Closes every input and link: the modem, the client, the KISS inputs, the server, the UDP
    // sender, forwarding.
    void Shutdown();

signals:
    // The text selection changed (by the operator or by a rule: a failed port, replay, a load),
    // or what replay switched off is no longer offered back.
    void SelectionChanged();
    // Whether "Raw", "K".."N" can be chosen changed, or network input started or ended.
    void InputsChanged();
    // The input could not be opened for a selection; "OFF" is selected.
    void PortOpenFailed(const QString& device, const QString& reason);
    // The open input failed or its device went away; it is closed and "OFF" selected.
    void InputLost(const QString& reason);
    // A status line of the input "Raw" opens (what it reads once opened, audio overruns, a
    // stream that stopped or came back), and its end (the end of an audio file or of standard
    // input).
    void InputStatus(const QString& text);
    void InputEnded(const QString& reason);
    // A status line of a KISS input, and the end of a KISS file or of standard input (`error` is
    // empty at a normal end).
    void KissInputStatus(const QString& text);
    void KissInputEnded(const QString& error);
    // One block went to the logger (written or not).
    void BlockLogged(const orv::LogAppendResult& result);
    // Logging started or stopped, or its rules or file name changed.
    void LoggingChanged();
    // The settings were saved: data directory, modem type and the rest may have changed.
    void SettingsChanged();

private:
    class LiveTextSink;
    class DispatchSink;
    class StoreKeeper;
    class ReplayRoute;

    // ReceptionProgressView: the Input labels.
    void Progress(const ReceiverState& state, bool eventsBlock) override;
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes, bool fromFec);
    // Whether the input of the modem type delivers ADC samples (the FEC status line applies).
    bool SamplesInput() const;

    // SerialPortControl for the input rules: the input of the modem type.
    bool IsOpen() const override { return PortOpen(); }
    bool Open(std::string& error) override;
    void Close() override;

    void OnInputLost(const QString& reason);
    void Report(const SelectionResult& result);
    // What the input of the modem type is opened with now, to tell whether a saved Setup changed it.
    std::string InputConfiguration() const;
    void ReopenChangedInput();

    // What was on when replay switched live reception off.
    struct LiveReception {
        TextSelection selection = TextSelection::Off;
        bool server = false;
        bool client = false;
    };

    KeyValueStore& store_;
    const Clock& clock_;
    StationState state_;
    ReceptionPipeline pipeline_;
    TelemetryLogger logger_;
    Relay relay_;
    RelayClientInput client_;
    ReplaySession replay_;
    InputArbiter inputs_;
    std::unique_ptr<BlockInput> portInput_;
    std::unique_ptr<BlockInput> closedInput_;
    std::string openedConfiguration_;  // InputConfiguration() when the running input opened
    std::optional<LiveReception> liveBeforeReplay_;
    std::vector<std::unique_ptr<KissInput>> kissInputs_;
    std::vector<std::unique_ptr<KissInput>> closedKissInputs_;
    QString serialOverride_;
    std::optional<AudioSettings> audioOverride_;
    std::optional<SdrSettings> sdrOverride_;
    bool simulated_ = false;
    std::unique_ptr<LiveTextSink> liveText_;
    std::unique_ptr<DispatchSink> dispatch_;
    std::unique_ptr<StoreKeeper> storeKeeper_;
    std::unique_ptr<ReplayRoute> replayRoute_;
    std::unique_ptr<NetworkControl> network_;
    std::unique_ptr<Forwarding> forwarding_;
    StationView* view_ = nullptr;
};

}  // namespace orv
