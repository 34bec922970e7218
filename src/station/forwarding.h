#pragma once
// The station's forwarding in the formats of the amateur-satellite world: KISS out (TCP server,
// appended file), SiDS submission, MQTT, and KISS in (TCP client, file or standard input). The
// station hands it every completed block; blocks read from a KISS input go back to the station as
// received blocks. Each part is off until it is started.
#include <QObject>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "forward/duplicate_filter.h"
#include "forward/kiss_file_writer.h"
#include "forward/mqtt_publisher.h"
#include "forward/received_block.h"
#include "forward/sids_form.h"
#include "reception/clock.h"
#include "reception/station_state.h"

namespace orv {

class KissServer;
class KissStreamInput;
class KissTcpInput;
class SidsSubmitter;

// The completed block in the station's stores as the outputs take it: the bytes as received (the
// relay store, without failed mark or stamp, blockLength bytes), the verdict from the CRCC label.
// `live` is false for blocks that this station did not receive itself: the demo and the
// simulator (liveSource false) and blocks relayed from another Orv station (network input).
ReceivedBlock CompletedBlock(const StationState& state, std::int64_t utcSeconds, bool liveSource);

class Forwarding : public QObject {
    Q_OBJECT
public:
    // `receive` takes a 512- or 514-byte block read from a KISS input into the station.
    Forwarding(const Clock& clock, std::function<void(std::span<const std::uint8_t>)> receive,
               QObject* parent = nullptr);
    ~Forwarding() override;

    // False for the demo, the simulator and tests: nothing they produce is submitted to SiDS, and
    // the MQTT messages say "live": false.
    void SetLiveSource(bool live) { liveSource_ = live; }
    bool LiveSource() const { return liveSource_; }

    // KISS out over TCP on `port` (0: any free port; loopback only when `loopbackOnly`). False
    // with the reason.
    bool StartKissServer(std::uint16_t port, QString& error, bool loopbackOnly = false);
    // KISS out appended to `path`. False with the reason.
    bool OpenKissFile(const std::filesystem::path& path, QString& error);
    // KISS in from a TCP server; reconnects after 5 s.
    void ConnectKissInput(const QString& host, std::uint16_t port);
    // KISS in from a file, or standard input for "-". KissInputEnded follows its end. False with
    // the reason.
    bool OpenKissStream(const QString& path, QString& error);
    // SiDS submission to `url`, through the queue file `queue` (entries of an earlier run are sent
    // first). False with the reason (a bad URL, an incomplete station, a queue that cannot open).
    bool StartSids(const QString& url, const SidsStation& station, const std::filesystem::path& queue,
                   QString& error);
    // MQTT to a broker (connects in the background). False with the reason.
    bool StartMqtt(const MqttOptions& options, QString& error);
    // Stops and closes every part.
    void StopAll();
    void StopKissServer();
    void CloseKissFile();
    void StopKissInputs();
    void StopSids();
    void StopMqtt();

    // The station completed a block: KISS out, SiDS (live blocks with a good CRCC, not the same
    // frame again within a minute), MQTT.
    void BlockCompleted(const ReceivedBlock& block);

    // The running parts, or null.
    KissServer* kissServer() const { return kissServer_.get(); }
    const KissFileWriter* kissFile() const { return kissFile_.get(); }
    KissTcpInput* kissTcpInput() const { return kissTcp_.get(); }
    KissStreamInput* kissStreamInput() const { return kissStream_.get(); }
    SidsSubmitter* sids() const { return sids_.get(); }
    MqttPublisher* mqtt() const { return mqtt_.get(); }

    // "SiDS: 120 submitted, 3 queued, 0 failed" (and ", 2 duplicates skipped"); empty when SiDS is off.
    QString SidsCountsText() const;

signals:
    // A status line of any part ("KISS: ...", "SiDS: ...", "MQTT: ...").
    void StatusChanged(const QString& text);
    // The SiDS or MQTT counts changed.
    void CountsChanged();
    // The KISS file or standard input ended; `error` is empty at a normal end.
    void KissInputEnded(const QString& error);

private:
    void KissFrameIn(std::span<const std::uint8_t> block);

    const Clock& clock_;
    std::function<void(std::span<const std::uint8_t>)> receive_;
    bool liveSource_ = true;
    std::unique_ptr<KissServer> kissServer_;
    std::unique_ptr<KissFileWriter> kissFile_;
    std::unique_ptr<KissTcpInput> kissTcp_;
    std::unique_ptr<KissStreamInput> kissStream_;
    std::unique_ptr<SidsSubmitter> sids_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::string lastKissFileError_;
    DuplicateFilter sidsDuplicates_;
};

}  // namespace orv
