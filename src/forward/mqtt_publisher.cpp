#include "forward/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "forward/block_json.h"

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
    InitLibraryOnce();
    mosq_ = mosquitto_new(nullptr, true, this);
    if (mosq_ == nullptr) {
        error = "cannot create the MQTT client";
        return false;
    }
    options_ = o;
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_max_inflight_messages_set(mosq_, 100);
    mosquitto_reconnect_delay_set(mosq_, 1, o.reconnectMaxSeconds, true);
    if (!o.user.empty()) mosquitto_username_pw_set(mosq_, o.user.c_str(), o.password.c_str());
    mosquitto_connect_callback_set(mosq_, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttPublisher::OnDisconnect);
    mosquitto_publish_callback_set(mosq_, &MqttPublisher::OnPublish);
    // Publish is called on the station's thread while the connection thread runs the loop.
    mosquitto_threaded_set(mosq_, true);
    SetStatus(QStringLiteral("MQTT: connecting to %1").arg(Where()));
    stopping_ = finished_ = false;
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
        if (rc == MOSQ_ERR_SUCCESS)
            rc = mosquitto_loop_forever(mosq_, -1, 1);  // returns on Stop or a failure it does not retry
        if (hadConnection_.exchange(false)) wait = 1;
        {
            std::lock_guard lock(stopMutex_);
            if (stopping_) return;
        }
        const char* reason = rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
        if (!Status().contains(QStringLiteral("refused")))
            SetStatus(QStringLiteral("MQTT: %1: %2; trying again in %3 s").arg(Where(), reason).arg(wait));
        if (!Pause(wait)) return;
        wait = std::min(wait * 2, std::max(1u, options_.reconnectMaxSeconds));
    }
}

bool MqttPublisher::Pause(unsigned seconds) {
    std::unique_lock lock(stopMutex_);
    return !stopSignal_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_; });
}

void MqttPublisher::Stop() {
    if (mosq_ == nullptr) return;
    {
        std::unique_lock lock(stopMutex_);
        stopping_ = true;
        stopSignal_.notify_all();
        // A disconnection that comes while the thread is still connecting can be overtaken by the
        // connection: ask again until the thread has returned.
        while (!finished_) {
            lock.unlock();
            mosquitto_disconnect(mosq_);
            lock.lock();
            stopSignal_.wait_for(lock, std::chrono::milliseconds(100), [this] { return finished_; });
        }
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(pendingMutex_);
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    connected_ = false;
    pending_.clear();
    queued_ = 0;
}

QString MqttPublisher::Where() const {
    return QStringLiteral("%1:%2").arg(QString::fromStdString(options_.host)).arg(options_.port);
}

void MqttPublisher::Publish(const ReceivedBlock& block) {
    PublishMessage("block", JsonText(BlockJson(block)));
    if (HasTelemetry(block)) PublishMessage("telemetry", JsonText(BlockTelemetryJson(block)));
}

bool MqttPublisher::PublishMessage(const std::string& subtopic, const QByteArray& payload) {
    std::lock_guard lock(pendingMutex_);
    if (mosq_ == nullptr || queued_ >= static_cast<std::int64_t>(options_.maxQueued)) {
        ++dropped_;
        return false;
    }
    std::string topic = options_.topicPrefix + "/" + subtopic;
    if (!connected_ || !pending_.empty()) {
        if (options_.qos == 0 && !connected_) {
            ++dropped_;  // QoS 0 is not kept for a later connection
            return false;
        }
        pending_.push_back({std::move(topic), payload});
        ++queued_;
        return true;
    }
    return Send(topic, payload);
}

bool MqttPublisher::Send(const std::string& topic, const QByteArray& payload) {
    ++queued_;  // before the hand-over: the broker's acknowledgement may come first
    const int rc = mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                                     payload.constData(), options_.qos, false);
    // When the link has just dropped a QoS 1 message stays in the library's queue and goes out
    // after the reconnection; a QoS 0 message is gone.
    if (rc == MOSQ_ERR_SUCCESS || (rc == MOSQ_ERR_NO_CONN && options_.qos > 0)) return true;
    --queued_;
    ++dropped_;
    return false;
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

void MqttPublisher::SetStatus(const QString& text) {
    {
        std::lock_guard lock(statusMutex_);
        status_ = text;
    }
    emit StatusChanged(text);
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
    auto* p = static_cast<MqttPublisher*>(self);
    if (rc == 0) {
        {
            // Runs with the library's callback lock held; the station's thread takes the two locks
            // in the other order only for QoS 0 (never pending), so QoS 0 skips the lock here.
            std::unique_lock lock(p->pendingMutex_, std::defer_lock);
            if (p->options_.qos > 0) lock.lock();
            p->connected_ = true;
            for (; !p->pending_.empty(); p->pending_.pop_front()) {
                --p->queued_;  // counted again by Send
                p->Send(p->pending_.front().topic, p->pending_.front().payload);
            }
        }
        p->hadConnection_ = true;
        p->SetStatus(QStringLiteral("MQTT: connected to %1").arg(p->Where()));
    } else {
        p->SetStatus(QStringLiteral("MQTT: %1 refused the connection: %2").arg(p->Where(), mosquitto_connack_string(rc)));
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
        p->dropped_ += static_cast<std::uint64_t>(std::max<std::int64_t>(0, p->queued_.exchange(0)));
    }
    if (rc != 0)
        p->SetStatus(QStringLiteral("MQTT: connection to %1 lost (%2); reconnecting").arg(p->Where(), mosquitto_strerror(rc)));
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int) {
    auto* p = static_cast<MqttPublisher*>(self);
    --p->queued_;
    ++p->published_;
}

}  // namespace orv
