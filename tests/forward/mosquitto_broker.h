#pragma once
// A real mosquitto broker for the MQTT tests, started by the test on a free loopback port with
// its own configuration and persistence in a temporary folder; and a subscriber that records
// what arrives.
#include <mosquitto.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <atomic>
#include <fstream>
#include <pwd.h>
#include <unistd.h>
#include <mutex>
#include <string>
#include <vector>

#include "qt_support.h"

namespace orv::test {

// The broker's program, or empty when it is not installed.
inline QString MosquittoProgram(const char* name = "mosquitto") {
    QString p = QStandardPaths::findExecutable(name);
    if (p.isEmpty()) p = QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
    return p;
}

inline quint16 FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class MosquittoBroker {
public:
    explicit MosquittoBroker(std::string extraConfig = {}) : port_(FreeLoopbackPort()) {
        config_ = dir_.filePath("mosquitto.conf").toStdString();
        // As root mosquitto would run as user "mosquitto", who cannot read the test's folder.
        const passwd* self = ::getpwuid(::geteuid());
        std::ofstream(config_) << "listener " << port_ << " 127.0.0.1\n"
                               << (self ? "user " + std::string(self->pw_name) + "\n" : std::string())
                               << "persistence true\npersistence_location " << dir_.path().toStdString() << "/\n"
                               << (extraConfig.empty() ? "allow_anonymous true\n" : extraConfig);
    }
    ~MosquittoBroker() { Stop(); }

    QString Dir() const { return dir_.path(); }
    quint16 Port() const { return port_; }

    // Starts the broker and waits until it takes connections.
    bool Start() {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(MosquittoProgram(), {"-c", QString::fromStdString(config_)});
        if (!process_.waitForStarted(10000)) return false;
        return WaitUntil([&] {
            if (process_.state() != QProcess::Running) return true;
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port_);
            return probe.waitForConnected(200);
        }) && process_.state() == QProcess::Running;
    }
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();  // saves the sessions
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished(2000);
    }
    QString Output() { return QString::fromLocal8Bit(process_.readAll()); }

private:
    QTemporaryDir dir_;
    quint16 port_;
    std::string config_;
    QProcess process_;
};

// A subscriber to TOPIC/# with a session the broker keeps (QoS 1), so that nothing published
// while it reconnects after a broker restart is lost to it.
class MqttRecorder {
public:
    struct Message {
        std::string topic, payload;
        bool retained = false;  // a retained message the broker kept, delivered at subscribing
    };

    // keepMessages false: only count them (for the benchmark). `clientId`: recorders that run
    // at the same time need ids of their own.
    MqttRecorder(quint16 port, std::string topic, bool keepMessages = true, const char* clientId = "orv-test-recorder")
        : topic_(std::move(topic)), keep_(keepMessages) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(clientId, false, this);
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0) mosquitto_subscribe(m, nullptr, (static_cast<MqttRecorder*>(self)->topic_ + "/#").c_str(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<MqttRecorder*>(self)->subscribed_ = true;
        });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* r = static_cast<MqttRecorder*>(self);
            ++r->count_;
            if (!r->keep_) return;
            std::lock_guard lock(r->mutex_);
            r->messages_.push_back({m->topic,
                                    std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
                                    m->retain});
        });
        mosquitto_connect_async(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
    }
    ~MqttRecorder() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    bool Subscribed() const { return subscribed_; }
    std::vector<Message> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::size_t Count() const { return count_; }
    // The messages on `topic` (the whole topic name).
    std::vector<Message> On(const std::string& topic) {
        std::vector<Message> out;
        for (const auto& m : Messages())
            if (m.topic == topic) out.push_back(m);
        return out;
    }

private:
    std::string topic_;
    bool keep_;
    std::atomic<std::size_t> count_{0};
    mosquitto* mosq_ = nullptr;
    std::atomic<bool> subscribed_{false};
    std::mutex mutex_;
    std::vector<Message> messages_;
};

}  // namespace orv::test
