#include "station/forwarding.h"

#include <QHostAddress>
#include <QUrl>

#include "forward/kiss_server.h"
#include "forward/sids_submitter.h"

namespace orv {

Forwarding::Forwarding(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

Forwarding::~Forwarding() { StopAll(); }

bool Forwarding::StartKissServer(std::uint16_t port, const QString& address, const KissOutOptions& options,
                                 QString& error) {
    StopKissServer();
    kissServer_ = std::make_unique<KissServer>(options);
    const QHostAddress listen = address.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(address);
    if (listen.isNull()) {
        error = QStringLiteral("KISS: \"%1\" is not an address to listen on").arg(address);
        kissServer_.reset();
        return false;
    }
    if (!kissServer_->Listen(port, listen)) {
        error = QStringLiteral("KISS: cannot serve on port %1: %2").arg(port).arg(kissServer_->Server().ErrorText());
        kissServer_.reset();
        return false;
    }
    const QString where = address.isEmpty() ? QString() : address + QLatin1Char(' ');
    emit StatusChanged(QStringLiteral("KISS: serving on %1port %2").arg(where).arg(kissServer_->Server().Port()),
                       StatusLevel::Status);
    return true;
}

bool Forwarding::OpenKissFile(const std::filesystem::path& path, const KissOutOptions& options, QString& error) {
    CloseKissFile();
    auto file = std::make_unique<KissFileWriter>(options);
    std::string reason;
    if (!file->Open(path, reason)) {
        error = QStringLiteral("KISS: %1").arg(QString::fromStdString(reason));
        return false;
    }
    kissFile_ = std::move(file);
    kissFileLosses_ = LossReport("KISS file", "frame", "frames");
    emit StatusChanged(QStringLiteral("KISS: appending to %1").arg(QString::fromStdString(path.string())),
                       StatusLevel::Status);
    return true;
}

bool Forwarding::ReopenKissFile(QString& line) {
    line.clear();
    if (!kissFile_) return true;
    std::string reason;
    if (!kissFile_->Reopen(reason)) {
        line = QStringLiteral("KISS: %1; frames are lost until it opens").arg(QString::fromStdString(reason));
        return false;
    }
    line = QStringLiteral("KISS: reopened %1").arg(QString::fromStdString(kissFile_->Path().string()));
    return true;
}

bool Forwarding::StartSids(const QString& url, const SidsStation& station, const std::filesystem::path& queue,
                           QString& error) {
    StopSids();
    const QUrl server(url, QUrl::StrictMode);
    if (!server.isValid() || (server.scheme() != QLatin1String("http") && server.scheme() != QLatin1String("https")) ||
        server.host().isEmpty()) {
        error = QStringLiteral("SiDS: \"%1\" is not an http:// or https:// URL").arg(url);
        return false;
    }
    if (const std::string problem = SidsStationProblem(station); !problem.empty()) {
        error = QStringLiteral("SiDS: %1").arg(QString::fromStdString(problem));
        return false;
    }
    auto submitter = std::make_unique<SidsSubmitter>(clock_);
    connect(submitter.get(), &SidsSubmitter::StatusChanged, this, &Forwarding::StatusChanged);
    connect(submitter.get(), &SidsSubmitter::CountsChanged, this, &Forwarding::CountsChanged);
    QString reason;
    if (!submitter->OpenQueue(queue, &reason)) {
        error = QStringLiteral("SiDS: %1").arg(reason);
        return false;
    }
    submitter->SetServer(server);
    submitter->SetStation(station);
    sids_ = std::move(submitter);
    emit StatusChanged(QStringLiteral("SiDS: submitting to %1 as %2 (NORAD %3), %4 waiting in the queue")
                           .arg(url, QString::fromStdString(station.callsign))
                           .arg(station.noradId)
                           .arg(sids_->Queued()),
                       StatusLevel::Status);
    return true;
}

bool Forwarding::StartMqtt(const MqttOptions& options, QString& error) {
    StopMqtt();
    auto publisher = std::make_unique<MqttPublisher>();
    // The publisher reports from its connection thread; the queued connection brings it here.
    connect(publisher.get(), &MqttPublisher::StatusChanged, this, &Forwarding::StatusChanged, Qt::QueuedConnection);
    std::string reason;
    if (!publisher->Start(options, reason)) {
        error = QStringLiteral("MQTT: %1").arg(QString::fromStdString(reason));
        return false;
    }
    mqtt_ = std::move(publisher);
    mqttLosses_ = LossReport("MQTT queue", "message", "messages");
    mqttDropped_ = 0;
    return true;
}

void Forwarding::StopKissServer() { kissServer_.reset(); }

void Forwarding::CloseKissFile() { kissFile_.reset(); }

void Forwarding::StopSids() { sids_.reset(); }

void Forwarding::StopMqtt() {
    // What the broker has not taken yet gets a short moment to go out.
    if (mqtt_) mqtt_->WaitUntilSent(2000);
    mqtt_.reset();
}

void Forwarding::StopAll() {
    StopKissServer();
    CloseKissFile();
    StopSids();
    StopMqtt();
}

void Forwarding::Tell(const std::string& line, StatusLevel level) {
    if (!line.empty()) emit StatusChanged(QString::fromStdString(line), level);
}

void Forwarding::TakeBlock(const ReceivedBlock& block) {
    if (kissServer_) kissServer_->Send(block);
    if (kissFile_) {
        if (kissFile_->Write(block)) Tell(kissFileLosses_.Written(), StatusLevel::Status);
        else Tell(kissFileLosses_.Lost(clock_.Now(), kissFile_->LastError()), StatusLevel::Error);
    }
    if (sids_ && ShouldSubmitToSids(block) && !sidsDuplicates_.SeenRecently(TransmittedFrame(block), block.UtcSeconds()))
        sids_->Submit(block);
    if (mqtt_) {
        mqtt_->Publish(block);
        // Drops since the last block, also those of the connection thread (QoS 0 at a lost link).
        const std::uint64_t dropped = mqtt_->Dropped();
        if (dropped > mqttDropped_) Tell(mqttLosses_.Lost(clock_.Now(), mqtt_->DropReason(), dropped - mqttDropped_), StatusLevel::Error);
        else Tell(mqttLosses_.Written(), StatusLevel::Status);
        mqttDropped_ = dropped;
        emit CountsChanged();
    }
}

QString Forwarding::SidsCountsText() const {
    if (!sids_) return {};
    QString text = QStringLiteral("SiDS: %1 submitted, %2 queued, %3 failed")
                       .arg(sids_->Submitted())
                       .arg(sids_->Queued())
                       .arg(sids_->Failed());
    if (sidsDuplicates_.Duplicates() > 0) text += QStringLiteral(", %1 duplicates skipped").arg(sidsDuplicates_.Duplicates());
    return text;
}

QStringList Forwarding::LossTexts() const {
    QStringList lines;
    for (const LossReport* report : {kissFile_ ? &kissFileLosses_ : nullptr, sids_ ? &sids_->QueueLosses() : nullptr,
                                     mqtt_ ? &mqttLosses_ : nullptr})
        if (report != nullptr && !report->StatusText().empty()) lines << QString::fromStdString(report->StatusText());
    return lines;
}

bool Forwarding::Losing() const {
    return (kissFile_ && kissFileLosses_.Failing()) || (sids_ && sids_->QueueLosses().Failing()) ||
           (mqtt_ && mqttLosses_.Failing());
}

}  // namespace orv
