#pragma once
// The station's forwarding in the formats of the amateur-satellite world: KISS out (TCP server,
// appended file), SiDS submission and MQTT. A sink of the reception pipeline: each completed block
// goes to every running output. Each output is off until it is started. (KISS in is an input:
// inputs/kiss_input.h.)
#include <QObject>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "forward/duplicate_filter.h"
#include "forward/kiss_file_writer.h"
#include "forward/mqtt_publisher.h"
#include "reception/received_block.h"
#include "forward/sids_form.h"
#include "reception/clock.h"

namespace orv {

class KissServer;
class SidsSubmitter;

class Forwarding : public QObject, public BlockSink {
    Q_OBJECT
public:
    explicit Forwarding(const Clock& clock, QObject* parent = nullptr);
    ~Forwarding() override;

    // KISS out over TCP on `port` (0: any free port; loopback only when `loopbackOnly`). False
    // with the reason.
    bool StartKissServer(std::uint16_t port, QString& error, bool loopbackOnly = false);
    // KISS out appended to `path`. False with the reason.
    bool OpenKissFile(const std::filesystem::path& path, QString& error);
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
    void StopSids();
    void StopMqtt();

    // A completed block: KISS out, SiDS (live blocks with a good CRCC, not the same frame again
    // within a minute), MQTT.
    void TakeBlock(const ReceivedBlock& block) override;

    // The running parts, or null.
    KissServer* kissServer() const { return kissServer_.get(); }
    const KissFileWriter* kissFile() const { return kissFile_.get(); }
    SidsSubmitter* sids() const { return sids_.get(); }
    MqttPublisher* mqtt() const { return mqtt_.get(); }

    // "SiDS: 120 submitted, 3 queued, 0 failed" (and ", 2 duplicates skipped"); empty when SiDS is off.
    QString SidsCountsText() const;

signals:
    // A status line of any part ("KISS: ...", "SiDS: ...", "MQTT: ...").
    void StatusChanged(const QString& text);
    // The SiDS or MQTT counts changed.
    void CountsChanged();

private:
    const Clock& clock_;
    std::unique_ptr<KissServer> kissServer_;
    std::unique_ptr<KissFileWriter> kissFile_;
    std::unique_ptr<SidsSubmitter> sids_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::string lastKissFileError_;
    DuplicateFilter sidsDuplicates_;
};

}  // namespace orv
