#include "station/forwarding.h"

#include <QHostAddress>
#include <QUrl>

#include "forward/kiss_server.h"
#include "forward/sids_submitter.h"

namespace orv {

Forwarding::Forwarding(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

Forwarding::~Forwarding() { StopAll(); }

bool Forwarding::StartKissServer(std::uint16_t port, QString& error, bool loopbackOnly) {
    StopKissServer();
    kissServer_ = std::make_unique<KissServer>();
    const QHostAddress address = loopbackOnly ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::Any);
    if (!kissServer_->Listen(port, address)) {
        error = QStringLiteral("KISS: cannot serve on port %1: %2").arg(port).arg(kissServer_->Server().ErrorText());
        kissServer_.reset();
        return false;
    }
    emit StatusChanged(QStringLiteral("KISS: serving on port %1").arg(kissServer_->Server().Port()));
    return true;
}

bool Forwarding::OpenKissFile(const std::filesystem::path& path, QString& error) {
    CloseKissFile();
    auto file = std::make_unique<KissFileWriter>();
    std::string reason;
    if (!file->Open(path, reason)) {
        error = QStringLiteral("KISS: cannot open \"%1\": %2")
                    .arg(QString::fromStdString(path.string()), QString::fromStdString(reason));
        return false;
    }
    kissFile_ = std::move(file);
    lastKissFileError_.clear();
    emit StatusChanged(QStringLiteral("KISS: appending to %1").arg(QString::fromStdString(path.string())));
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
                           .arg(sids_->Queued()));
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

void Forwarding::TakeBlock(const ReceivedBlock& block) {
    if (kissServer_) kissServer_->Send(block);
    if (kissFile_ && !kissFile_->Write(block) && kissFile_->LastError() != lastKissFileError_) {
        lastKissFileError_ = kissFile_->LastError();
        emit StatusChanged(QStringLiteral("KISS: a frame could not be written (%1 so far): %2")
                               .arg(kissFile_->Failed())
                               .arg(QString::fromStdString(lastKissFileError_)));
    }
    if (sids_ && ShouldSubmitToSids(block) && !sidsDuplicates_.SeenRecently(block.bytes, block.UtcSeconds()))
        sids_->Submit(block);
    if (mqtt_) {
        mqtt_->Publish(block);
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

}  // namespace orv
