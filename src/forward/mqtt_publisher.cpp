#include "forward/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "forward/block_json.h"
#include "forward/home_assistant.h"

namespace orv {
namespace {

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

}  // namespace

bool ReadPasswordFile(const std::filesystem::path& path, std::string& password, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the password file \"" + path.string() + "\"";
        return false;
    }
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    password = line;
    return true;
}

MqttPublisher::MqttPublisher(QObject* parent) : QObject(parent) {}

MqttPublisher::~MqttPublisher() { Stop(); }

bool MqttPublisher::Start(const MqttOptions& options, std::string& error) {
    Stop();
    MqttOptions o = options;
    while (!o.topicPrefix.empty() && o.topicPrefix.back() == '/') o.topicPrefix.pop_back();
    if (o.topicPrefix.empty() || o.topicPrefix.find_first_of("+#") != std::string::npos) {
        error = "the MQTT topic prefix \"" + options.topicPrefix + "\" must not be empty nor hold '+' or '#'";
        return false;
    }
    if (o.qos != 0 && o.qos != 1) {
        error = "the MQTT QoS must be 0 or 1";
        return false;
    }
    if (o.host.empty() || o.port == 0) {
        error = "the MQTT broker needs a host and a port";
        return false;
    }
    if (!o.caFile.empty() && !std::ifstream(o.caFile)) {
        error = "cannot read the CA file \"" + o.caFile + "\"";
        return false;
    }
    InitLibraryOnce();
    mosq_ = mosquitto_new(nullptr, true, this);
    if (mosq_ == nullptr) {
        error = "cannot create the MQTT client";
        return false;
    }
    options_ = o;
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_max_inflight_messages_set(mosq_, 100);
    if (!o.user.empty()) mosquitto_username_pw_set(mosq_, o.user.c_str(), o.password.c_str());
    const std::string statusTopic = o.topicPrefix + "/status";
    if (mosquitto_will_set(mosq_, statusTopic.c_str(), 7, "offline", 1, true) != MOSQ_ERR_SUCCESS) {
        error = "cannot set the MQTT last will";
        Stop();
        return false;
    }
    // The broker's certificate is checked against the CA file, and its name against the host.
    if (!o.caFile.empty() && mosquitto_tls_set(mosq_, o.caFile.c_str(), nullptr, nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS) {
        error = "cannot use the CA file \"" + o.caFile + "\" for TLS";
        Stop();
        return false;
    }
    mosquitto_connect_callback_set(mosq_, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttPublisher::OnDisconnect);
    mosquitto_publish_callback_set(mosq_, &MqttPublisher::OnPublish);
    mosquitto_log_callback_set(mosq_, &MqttPublisher::OnLog);
    // Publish is called on the station's thread while the connection thread runs the loop.
    mosquitto_threaded_set(mosq_, true);
    SetStatus(QStringLiteral("MQTT: connecting to %1").arg(Where()), StatusLevel::Status);
    stopping_ = finished_ = false;
    abandonLink_ = false;
    thread_ = std::thread([this] {
        Run();
        std::lock_guard lock(stopMutex_);
        finished_ = true;
        stopSignal_.notify_all();
    });
    return true;
}

void MqttPublisher::Run() {
    unsigned wait = 1;
    while (true) {
        int rc = mosquitto_connect_async(mosq_, options_.host.c_str(), options_.port, options_.keepAliveSeconds);
        if (rc == MOSQ_ERR_SUCCESS && !Pause(0)) return;
        if (rc == MOSQ_ERR_SUCCESS) rc = RunLink();
        if (Stopping()) return;
        // A lost link has said so (OnDisconnect); the waits start over.
        if (hadConnection_.exchange(false)) wait = 1;
        else if (!Status().contains(QStringLiteral("refused")))
            SetStatus(QStringLiteral("MQTT: %1: %2; trying again in %3 s").arg(Where(), FailureText(rc)).arg(wait),
                      StatusLevel::Warning);
        if (!Pause(wait)) return;
        wait = std::min(wait * 2, std::max(1u, options_.reconnectMaxSeconds));
    }
}

int MqttPublisher::RunLink() {
    int rc = MOSQ_ERR_SUCCESS;
    while (rc == MOSQ_ERR_SUCCESS && ((connected_ && !abandonLink_) || !Stopping())) rc = mosquitto_loop(mosq_, 100, 1);
    return rc;
}

bool MqttPublisher::Stopping() {
    std::lock_guard lock(stopMutex_);
    return stopping_;
}

bool MqttPublisher::Pause(unsigned seconds) {
    std::unique_lock lock(stopMutex_);
    return !stopSignal_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_; });
}

void MqttPublisher::Stop() {
    if (mosq_ == nullptr) return;
    if (connected_ && SendOwn(options_.topicPrefix + "/status", "offline")) {
        // A clean disconnection sends no last will: the station says it itself.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (connected_ && std::chrono::steady_clock::now() < end) {
            {
                std::lock_guard lock(ownMutex_);
                if (ownMessages_.empty()) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    {
        std::unique_lock lock(stopMutex_);
        stopping_ = true;
        stopSignal_.notify_all();
        // A disconnection that comes while the thread is still connecting can be overtaken by the
        // connection: ask again until the thread has returned. A link that takes no disconnection
        // within two seconds (a broker gone silent) is left.
        for (int tries = 0; !finished_; ++tries) {
            lock.unlock();
            mosquitto_disconnect(mosq_);
            lock.lock();
            stopSignal_.wait_for(lock, std::chrono::milliseconds(100), [this] { return finished_; });
            if (tries == 20) abandonLink_ = true;
        }
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(pendingMutex_);
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    connected_ = false;
    pending_.clear();
    queued_ = 0;
    std::lock_guard own(ownMutex_);
    ownMessages_.clear();
}

QString MqttPublisher::Where() const {
    return QStringLiteral("%1:%2").arg(QString::fromStdString(options_.host)).arg(options_.port);
}

void MqttPublisher::Publish(const ReceivedBlock& block) {
    PublishMessage("block", JsonText(BlockJson(block)));
    // Retained: a dashboard that starts shows the last values at once.
    if (HasTelemetry(block)) PublishMessage("telemetry", JsonText(BlockTelemetryJson(block)), true);
}

bool MqttPublisher::PublishMessage(const std::string& subtopic, const QByteArray& payload, bool retain) {
    std::lock_guard lock(pendingMutex_);
    if (mosq_ == nullptr) {
        CountDropped(1, "MQTT is not started");
        return false;
    }
    if (queued_ >= static_cast<std::int64_t>(options_.maxQueued)) {
        CountDropped(1, "the queue is full (" + std::to_string(options_.maxQueued) + " messages wait for the broker)");
        return false;
    }
    std::string topic = options_.topicPrefix + "/" + subtopic;
    if (!connected_ || !pending_.empty()) {
        if (options_.qos == 0 && !connected_) {
            CountDropped(1, "no connection to the broker, and QoS 0 messages are not kept");
            return false;
        }
        pending_.push_back({std::move(topic), payload, retain});
        ++queued_;
        return true;
    }
    return Send(topic, payload, retain);
}

bool MqttPublisher::Send(const std::string& topic, const QByteArray& payload, bool retain) {
    ++queued_;  // before the hand-over: the broker's acknowledgement may come first
    const int rc = mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                                     payload.constData(), options_.qos, retain);
    // When the link has just dropped a QoS 1 message stays in the library's queue and goes out
    // after the reconnection; a QoS 0 message is gone.
    if (rc == MOSQ_ERR_SUCCESS || (rc == MOSQ_ERR_NO_CONN && options_.qos > 0)) return true;
    --queued_;
    CountDropped(1, std::string("the library refused the message: ") + mosquitto_strerror(rc));
    return false;
}

bool MqttPublisher::SendOwn(const std::string& topic, const QByteArray& payload) {
    std::lock_guard lock(ownMutex_);
    int id = 0;
    if (mosquitto_publish(mosq_, &id, topic.c_str(), static_cast<int>(payload.size()), payload.constData(), 1, true) !=
        MOSQ_ERR_SUCCESS)
        return false;
    ownMessages_.insert(id);
    return true;
}

void MqttPublisher::CountDropped(std::uint64_t count, std::string reason) {
    {
        std::lock_guard lock(statusMutex_);
        dropReason_ = std::move(reason);
    }
    dropped_ += count;
}

std::string MqttPublisher::DropReason() const {
    std::lock_guard lock(statusMutex_);
    return dropReason_;
}

QString MqttPublisher::FailureText(int rc) const {
    QString text = QString::fromLocal8Bit(rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc));
    std::lock_guard lock(statusMutex_);
    if (!lastLibraryError_.empty()) text += QStringLiteral(" (%1)").arg(QString::fromStdString(lastLibraryError_));
    return text;
}

QString MqttPublisher::Status() const {
    std::lock_guard lock(statusMutex_);
    return status_;
}

bool MqttPublisher::WaitUntilSent(int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (queued_ > 0) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void MqttPublisher::SetStatus(const QString& text, StatusLevel level) {
    {
        std::lock_guard lock(statusMutex_);
        status_ = text;
    }
    emit StatusChanged(text, level);
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
    auto* p = static_cast<MqttPublisher*>(self);
    if (rc == 0) {
        {
            std::lock_guard lock(p->statusMutex_);
            p->lastLibraryError_.clear();
        }
        // Before any block: the station is there, and what Home Assistant needs to show it.
        p->SendOwn(p->options_.topicPrefix + "/status", "online");
        if (p->options_.discovery)
            for (const auto& m : HomeAssistantDiscovery(p->options_.topicPrefix, p->options_.discoveryPrefix))
                p->SendOwn(m.topic, m.payload);
        {
            // Runs with the library's callback lock held; the station's thread takes the two locks
            // in the other order only for QoS 0 (never pending), so QoS 0 skips the lock here.
            std::unique_lock lock(p->pendingMutex_, std::defer_lock);
            if (p->options_.qos > 0) lock.lock();
            p->connected_ = true;
            for (; !p->pending_.empty(); p->pending_.pop_front()) {
                --p->queued_;  // counted again by Send
                const Pending& m = p->pending_.front();
                p->Send(m.topic, m.payload, m.retain);
            }
        }
        p->hadConnection_ = true;
        p->SetStatus(QStringLiteral("MQTT: connected to %1").arg(p->Where()), StatusLevel::Status);
    } else {
        p->SetStatus(QStringLiteral("MQTT: %1 refused the connection: %2").arg(p->Where(), mosquitto_connack_string(rc)),
                     StatusLevel::Error);
    }
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int rc) {
    auto* p = static_cast<MqttPublisher*>(self);
    {
        std::lock_guard lock(p->pendingMutex_);
        p->connected_ = false;
    }
    if (p->options_.qos == 0) {
        // QoS 0 messages still in the library's send queue are thrown away with the link.
        const auto lost = static_cast<std::uint64_t>(std::max<std::int64_t>(0, p->queued_.exchange(0)));
        if (lost > 0) p->CountDropped(lost, "the connection to the broker was lost with QoS 0 messages on their way");
    }
    if (rc != 0)
        p->SetStatus(QStringLiteral("MQTT: connection to %1 lost (%2); reconnecting").arg(p->Where(), mosquitto_strerror(rc)),
                     StatusLevel::Warning);
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int id) {
    auto* p = static_cast<MqttPublisher*>(self);
    {
        std::lock_guard lock(p->ownMutex_);
        if (p->ownMessages_.erase(id) > 0) return;
    }
    --p->queued_;
    ++p->published_;
}

void MqttPublisher::OnLog(mosquitto*, void* self, int level, const char* text) {
    if ((level & MOSQ_LOG_ERR) == 0 || text == nullptr) return;
    auto* p = static_cast<MqttPublisher*>(self);
    std::lock_guard lock(p->statusMutex_);
    p->lastLibraryError_ = text;
}

}  // namespace orv
