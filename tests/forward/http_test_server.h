#pragma once
// A small HTTP/1.1 server on loopback for the submission tests: records each request and answers
// with the status the test chooses (or not at all, to play a server that hangs).
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <string>
#include <vector>

namespace orv::test {

class HttpTestServer : public QObject {
public:
    struct Request {
        std::string method, path, contentType, userAgent, body;
    };

    HttpTestServer() {
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { OnRead(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

    // Listens on 127.0.0.1 (port 0: any free one).
    bool Listen(quint16 port = 0) { return server_.listen(QHostAddress::LocalHost, port); }
    void Close() { server_.close(); }
    quint16 Port() const { return server_.serverPort(); }

    int status = 201;       // the answer to every request
    bool answer = true;     // false: read requests and never answer
    std::vector<Request> requests;

private:
    void OnRead(QTcpSocket* s) {
        std::string& buffer = buffers_[s];
        buffer += s->readAll().toStdString();
        const auto headerEnd = buffer.find("\r\n\r\n");
        if (headerEnd == std::string::npos) return;
        const std::string head = buffer.substr(0, headerEnd);
        Request r;
        const auto sp1 = head.find(' '), sp2 = head.find(' ', sp1 + 1);
        r.method = head.substr(0, sp1);
        r.path = head.substr(sp1 + 1, sp2 - sp1 - 1);
        std::size_t length = 0;
        std::size_t at = head.find("\r\n");
        while (at != std::string::npos && at < head.size()) {
            const std::size_t next = head.find("\r\n", at + 2);
            const std::string line = head.substr(at + 2, (next == std::string::npos ? head.size() : next) - at - 2);
            const auto colon = line.find(':');
            if (colon != std::string::npos) {
                std::string name = line.substr(0, colon);
                for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                const std::string value = line.substr(line.find_first_not_of(' ', colon + 1));
                if (name == "content-length") length = std::stoul(value);
                if (name == "content-type") r.contentType = value;
                if (name == "user-agent") r.userAgent = value;
            }
            at = next;
        }
        if (buffer.size() < headerEnd + 4 + length) return;
        r.body = buffer.substr(headerEnd + 4, length);
        buffers_.erase(s);
        requests.push_back(r);
        if (!answer) return;
        const std::string reply = "HTTP/1.1 " + std::to_string(status) + " Test\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        s->write(reply.data(), static_cast<qint64>(reply.size()));
        s->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QTcpSocket*, std::string> buffers_;
};

}  // namespace orv::test
