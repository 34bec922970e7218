#pragma once
// MQTT out: publishes each block on PREFIX/block and the decoded values of each A block on
// PREFIX/telemetry (block_json.h), to one broker that serves any number of consumers. For
// dashboards: the last telemetry message is retained, PREFIX/status says "online" (retained) while
// the station is connected and "offline" when it stops or, as the broker's last will, when it
// dies; the broker's certificate is checked over TLS; Home Assistant's discovery messages
// (home_assistant.h) on request.
//
// The connection (name lookup, connecting, sending) runs on a thread of its own that reconnects
// by itself (1 s, then doubling up to a minute), also when the broker
// is not there at the start, and stops within moments whatever it is doing;
// Publish only hands a message over and returns: a broker that is down or slow never holds up
// reception. Messages not yet accepted by the broker wait in a
// bounded queue; QoS 1 messages (the default) wait across a lost link and go out after the
// reconnection, QoS 0 messages in flight at a lost link are gone. What does not fit is dropped
// and counted.
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "forward/status_level.h"
#include "reception/received_block.h"

struct mosquitto;

namespace orv {

struct MqttOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 1883;
    std::string topicPrefix = "orv";   // without a trailing '/'; no '+' or '#'
    std::string user;                  // empty: no login
    std::string password;
    int qos = 1;                       // 0 or 1
    std::size_t maxQueued = 10000;     // messages not yet accepted by the broker
    int keepAliveSeconds = 60;
    unsigned reconnectMaxSeconds = 60;
    std::string caFile;                // TLS with the broker's certificate checked against these CAs; empty: plain TCP
    bool discovery = false;            // Home Assistant's discovery messages on each connection
    std::string discoveryPrefix = "homeassistant";
};

// Reads a password file: its first line, without the line end. False with a reason when the
// file cannot be read.
bool ReadPasswordFile(const std::filesystem::path& path, std::string& password, std::string& error);

class MqttPublisher : public QObject {
    Q_OBJECT
public:
    explicit MqttPublisher(QObject* parent = nullptr);
    ~MqttPublisher() override;

    // Starts connecting in the background; a broker that is not there yet is no failure. False,
    // with the reason, for options that cannot work (bad prefix, QoS, host, a CA file that cannot
    // be read) or a library failure.
    bool Start(const MqttOptions& options, std::string& error);
    // Says "offline" on PREFIX/status (waiting a moment for the broker to take it), disconnects and
    // stops the connection thread; what was not yet sent is given up.
    void Stop();

    // Publishes the block (and its telemetry, retained, for a good A block). Never waits.
    void Publish(const ReceivedBlock& block);
    // Publishes one message on PREFIX/subtopic. False when it was dropped (DropReason says why).
    bool PublishMessage(const std::string& subtopic, const QByteArray& payload, bool retain = false);

    bool Connected() const { return connected_; }
    std::uint64_t Published() const { return published_; }   // accepted by the broker (QoS 1) or sent (QoS 0)
    std::uint64_t Dropped() const { return dropped_; }
    std::int64_t Queued() const { return queued_; }          // handed over, not yet accepted
    QString Status() const;
    // Why the last message was dropped ("the queue is full (10000 messages wait for the broker)").
    std::string DropReason() const;

    // Waits (up to timeoutMs) until nothing is queued; for tests, benchmarks and shutdown.
    bool WaitUntilSent(int timeoutMs) const;

signals:
    // "MQTT: connected to HOST:PORT", "MQTT: connection lost ...", "MQTT: refused: ...". Emitted
    // on the connection thread; connected slots run on their own thread.
    void StatusChanged(const QString& text, StatusLevel level);

private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnLog(mosquitto*, void* self, int level, const char* text);
    void SetStatus(const QString& text, StatusLevel level);
    void CountDropped(std::uint64_t count, std::string reason);
    QString Where() const;
    // Hands one message to the library. Called with pendingMutex_ held.
    bool Send(const std::string& topic, const QByteArray& payload, bool retain);
    // Publishes a retained QoS 1 message of the publisher's own (status, discovery), outside the
    // counts. False when the library refused it.
    bool SendOwn(const std::string& topic, const QByteArray& payload);
    // The reason of the last failure to connect: the library's text and its last error line
    // (OpenSSL's, for a certificate that is not trusted).
    QString FailureText(int rc) const;
    // The connection thread: connects, runs the link, and after a link that failed or could not
    // be made connects again after a wait (at once after a lost link).
    void Run();
    // Runs the library's loop until the link fails, or Stop has asked and the link is down (the
    // disconnection sent) or abandoned; a stop is seen within 100 ms, never slept through.
    int RunLink();
    bool Stopping();
    // Waits `seconds` unless Stop comes first; false when stopping.
    bool Pause(unsigned seconds);

    MqttOptions options_;
    mosquitto* mosq_ = nullptr;
    std::atomic<bool> connected_{false};
    // Messages published while there is no connection, oldest first. The library sends what it
    // was given before a connection in no fixed order, so they wait here and go out, in order,
    // when the connection is made.
    struct Pending {
        std::string topic;
        QByteArray payload;
        bool retain = false;
    };
    std::mutex pendingMutex_;
    std::deque<Pending> pending_;
    std::atomic<bool> hadConnection_{false};  // since the connection thread last started over
    std::atomic<std::uint64_t> published_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::int64_t> queued_{0};
    mutable std::mutex statusMutex_;
    QString status_;
    std::string dropReason_;
    std::string lastLibraryError_;
    // Ids of the messages SendOwn handed over and the broker has not acknowledged yet.
    mutable std::mutex ownMutex_;
    std::set<int> ownMessages_;
    std::thread thread_;
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
    bool finished_ = false;  // the connection thread has returned
    std::atomic<bool> abandonLink_{false};
};

}  // namespace orv
