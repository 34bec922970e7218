#pragma once
// The running station: one StationState (block stores, receiver state, flags, settings), its block
// receiver and its serial port ZComm2, wired to whatever shows, logs and relays the blocks. The
// desktop program's main window owns one; the headless station owns one too.
#include <QObject>
#include <QString>
#include <functional>
#include <span>

#include "fec/adc_reception.h"
#include "reception/clock.h"
#include "reception/receiver.h"
#include "reception/serial_port.h"
#include "reception/settings_store.h"
#include "reception/station_state.h"

namespace orv {

class StationRuntime : public QObject, private ReceiverHooks {
    Q_OBJECT
public:
    StationRuntime(KeyValueStore& store, const Clock& clock, QObject* parent = nullptr);
    ~StationRuntime() override;

    StationState& station() { return station_; }
    BlockReceiver& receiver() { return receiver_; }
    SerialPort& serial() { return serial_; }
    KeyValueStore& store() { return store_; }
    const Clock& clock() const { return clock_; }

    // Reads the "Startup" settings into the station and applies the modem type.
    void LoadSettings();

    // A device path that overrides the settings (--serial PATH).
    void SetSerialOverride(const QString& path) { serialOverride_ = path; }
    QString SerialDevice() const;

    // Opens ZComm2 with the station's settings unless it is open or network input is active.
    // Returns false with the system's reason when the port cannot be opened.
    bool OpenSerialPort(QString* error = nullptr);
    void CloseSerialPort();

    // Collaborators. Each may be null; the runtime forwards the receiver's call-outs to them.
    void SetView(ReceiverHooks* view) { view_ = view; }
    void SetRelay(RelayPort* relay) { relay_ = relay; }
    void SetLogSink(std::function<void(std::span<const std::uint8_t, kTelemetryBytes>)> sink) { logSink_ = std::move(sink); }
    // ADC reception: the sample path, the FEC decoder's status and the FEC log.
    AdcReception& adc() { return adc_; }

    // ZComm2's data-available event: reads the waiting bytes and routes them.
    void ZComm2TriggerAvail(qint64 count);
    // Routes bytes read from the port: discarded while suspended, to the ADC path in "ADC"
    // mode, otherwise to the receiver.
    void SerialBytes(std::span<const std::uint8_t> bytes);

signals:
    // The receiver has finished with a complete block: it is in the last complete block store,
    // its verdict ("OK", "FAIL", "NA") in the receiver state's CRCC label.
    void BlockHandled();
    // The open port failed or its device went away; the port is closed.
    void SerialPortLost(const QString& reason);

private:
    void ShowBlockId(char id) override;
    void ShowByteCount(std::string_view text) override;
    void ShowCrccStatus(std::string_view text) override;
    void EnableEvents() override;
    bool RelayHasClients() const override;
    bool RelayRealTime() const override;
    bool UdpRelayOn() const override;
    void ClearRelayStatus() override;
    void RelayChunk(std::span<const std::uint8_t> bytes, bool withMarker) override;
    void RelayFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) override;
    void RelayDatagram(std::span<const std::uint8_t> block) override;
    void ShowRelayMode(bool realTime) override;
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) override;
    void AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) override;
    void DispatchBlock() override;
    void BlockFinished() override;

    KeyValueStore& store_;
    const Clock& clock_;
    StationState station_;
    BlockReceiver receiver_;
    SerialPort serial_;
    QString serialOverride_;
    ReceiverHooks* view_ = nullptr;
    RelayPort* relay_ = nullptr;
    std::function<void(std::span<const std::uint8_t, kTelemetryBytes>)> logSink_;
    AdcReception adc_;
};

}  // namespace orv
