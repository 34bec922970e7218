#pragma once
// The station's forwarding in the formats of the amateur-satellite world: KISS out (TCP server,
// appended file), SiDS submission and MQTT. A sink of the reception pipeline: each completed block
// goes to every running output. Each output is off until it is started. What an output cannot
// take is told through its loss report (files/loss_report.h): the KISS file, the SiDS queue and
// the MQTT queue. (KISS in is an input: inputs/kiss_input.h.)
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "files/loss_report.h"
#include "forward/duplicate_filter.h"
#include "forward/kiss.h"
#include "forward/kiss_file_writer.h"
#include "forward/mqtt_publisher.h"
#include "forward/sids_form.h"
#include "forward/status_level.h"
#include "reception/clock.h"
#include "reception/received_block.h"

namespace orv {

class KissServer;
class SidsSubmitter;

class Forwarding : public QObject, public BlockSink {
    Q_OBJECT
public:
    explicit Forwarding(const Clock& clock, QObject* parent = nullptr);
    ~Forwarding() override;

    // KISS out over TCP on `port` (0: any free port) at `address` (empty: all interfaces). False
    // with the reason.
    bool StartKissServer(std::uint16_t port, const QString& address, const KissOutOptions& options, QString& error);
    // KISS out appended to `path`. False with the reason.
    bool OpenKissFile(const std::filesystem::path& path, const KissOutOptions& options, QString& error);
    // After logrotate: the KISS file closed and opened again under its name. `line` says so
    // ("KISS: reopened PATH"), or why it could not (false); it stays empty without a KISS file.
    bool ReopenKissFile(QString& line);
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
    // The loss reports' status of the running outputs that have lost anything (LossReport::
    // StatusText), and whether one of them is failing now.
    QStringList LossTexts() const;
    bool Losing() const;

signals:
    // A status line of any part ("KISS: ...", "SiDS: ...", "MQTT: ...", a loss report's line).
    void StatusChanged(const QString& text, StatusLevel level);
    // The SiDS or MQTT counts changed.
    void CountsChanged();

private:
    void Tell(const std::string& line, StatusLevel level);

    const Clock& clock_;
    std::unique_ptr<KissServer> kissServer_;
    std::unique_ptr<KissFileWriter> kissFile_;
    std::unique_ptr<SidsSubmitter> sids_;
    std::unique_ptr<MqttPublisher> mqtt_;
    DuplicateFilter sidsDuplicates_;
    LossReport kissFileLosses_ = LossReport("KISS file", "frame", "frames");
    LossReport mqttLosses_ = LossReport("MQTT queue", "message", "messages");
    std::uint64_t mqttDropped_ = 0;  // the publisher's drops already told
};

}  // namespace orv
