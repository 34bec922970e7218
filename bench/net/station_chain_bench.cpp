// A station in the middle of a chain, as its own process: an upstream server in this program
// sends numbered full blocks at a steady 20,000 blocks/s to `orv-cli station --connect ...
// --serve 0 --full-block`, which relays them to 100 or 200 loopback clients read by a thread here.
// Every client must get every block, whole and in order, and none may be dropped.
// Run: build/bench/net/orv_station_chain_bench
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "loopback_readers.h"
#include "net/wire.h"
#include "reception/block.h"
#include "reception/crcc.h"

namespace orv {
namespace {

constexpr int kBlocksPerSecond = 20000;
constexpr int kSeconds = 3;
constexpr std::size_t kFrameBytes = kMarkerBytes + kFullBlockBytes;

// Block n carries n in bytes 2..5 and a correct CRCC.
Block514 NumberedBlock(std::uint32_t n) {
    Block514 b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 13 + n);
    b[0] = 'A';
    b[1] = ' ';
    std::memcpy(b.data() + 2, &n, 4);
    const std::uint16_t c = Crcc(std::span(b).first(kTelemetryBytes));
    b[512] = static_cast<std::uint8_t>(c >> 8);
    b[513] = static_cast<std::uint8_t>(c & 0xFF);
    return b;
}

int ListenLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) std::abort();
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// One client's stream checked frame by frame: marker, then block n with n counting up from 0.
struct StreamCheck {
    std::vector<std::uint8_t> partial;  // an unfinished frame
    std::uint32_t next = 0;
    int faults = 0;

    void Take(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const std::size_t n = std::min(size, kFrameBytes - partial.size());
            partial.insert(partial.end(), data, data + n);
            data += n;
            size -= n;
            if (partial.size() < kFrameBytes) return;
            std::uint32_t number = 0;
            std::memcpy(&number, partial.data() + kMarkerBytes + 2, 4);
            if (!std::equal(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end(), partial.begin()) || number != next) ++faults;
            next = number + 1;
            partial.clear();
        }
    }
};

// The clients, read on a thread of their own as stations on other machines would.
class Clients {
public:
    Clients(std::uint16_t port, int count) : checks_(static_cast<std::size_t>(count)) {
        for (int i = 0; i < count; ++i) fds_.push_back({bench::ConnectLoopback(port), POLLIN, 0});
        thread_ = std::thread([this] { Run(); });
    }
    ~Clients() {
        Stop();
        for (const pollfd& p : fds_) ::close(p.fd);
    }
    // Ends the reading; the checks are final then.
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // Clients the station closed.
    int Closed() const { return closed_.load(); }
    // Whether every client has blocks 0..count-1; the checks may be read once it is true.
    bool AllHave(std::uint32_t count) const { return complete_.load() >= count || Closed() > 0; }
    const std::vector<StreamCheck>& Checks() const { return checks_; }

private:
    void Run() {
        std::vector<std::uint8_t> buffer(1 << 16);
        while (!stop_) {
            if (::poll(fds_.data(), fds_.size(), 10) <= 0) continue;
            for (std::size_t i = 0; i < fds_.size(); ++i) {
                if (fds_[i].fd < 0 || !(fds_[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                const ssize_t n = ::recv(fds_[i].fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                if (n > 0) {
                    checks_[i].Take(buffer.data(), static_cast<std::size_t>(n));
                } else if (n == 0) {
                    ++closed_;
                    fds_[i].fd = -fds_[i].fd - 1;  // poll skips it
                }
            }
            std::uint32_t least = UINT32_MAX;
            for (const StreamCheck& c : checks_) least = std::min(least, c.next);
            complete_ = least;
        }
        for (pollfd& p : fds_)
            if (p.fd < 0) p.fd = -p.fd - 1;
    }

    std::vector<pollfd> fds_;
    std::vector<StreamCheck> checks_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> closed_{0};
    std::atomic<std::uint32_t> complete_{0};
};

// CPU seconds (user + system) a process has used.
double CpuSeconds(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void BM_StationRelaysTo(benchmark::State& state) {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "orv_station_chain_bench";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    const int clientCount = static_cast<int>(state.range(0));
    const std::uint32_t total = kBlocksPerSecond * kSeconds;
    std::vector<std::uint8_t> stream;
    std::vector<std::uint8_t> frame;
    for (std::uint32_t n = 0; n < total; ++n) {
        BuildFrame(frame, NumberedBlock(n), true);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }

    for (auto _ : state) {
        std::uint16_t upstreamPort = 0;
        const int listening = ListenLoopback(upstreamPort);
        QTemporaryDir dir;
        QProcess station;
        station.setStandardOutputFile(QProcess::nullDevice());  // one line per block
        QString err;
        QObject::connect(&station, &QProcess::readyReadStandardError, [&] { err += station.readAllStandardError(); });
        station.start(ORV_CLI, {"--settings", dir.filePath("orv.ini"), "station", "--connect",
                                QStringLiteral("127.0.0.1:%1").arg(upstreamPort), "--serve", "0", "--full-block"});
        const int upstream = ::accept(listening, nullptr, nullptr);
        std::uint16_t port = 0;
        for (int wait = 0; wait < 3000 && port == 0; wait += 10) {
            Pump(10);
            port = static_cast<std::uint16_t>(QRegularExpression("serving on port (\\d+)").match(err).captured(1).toUInt());
        }
        if (upstream < 0 || port == 0) {
            state.SkipWithError("the station did not start");
            return;
        }
        auto clients = std::make_unique<Clients>(port, clientCount);
        for (int wait = 0; wait < 10000 && !err.contains(QStringLiteral("Server Active: %1 site(s)").arg(clientCount)); wait += 10)
            Pump(10);

        // Paced: the blocks due by now, every millisecond.
        const double cpuBefore = CpuSeconds(station.processId());
        const auto start = std::chrono::steady_clock::now();
        std::size_t sent = 0;
        while (sent < stream.size()) {
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const auto due = std::min(stream.size(), static_cast<std::size_t>(elapsed * kBlocksPerSecond) * kFrameBytes);
            while (sent < due) {
                const ssize_t n = ::send(upstream, stream.data() + sent, due - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        const double sendSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (int wait = 0; wait < 30000 && !clients->AllHave(total); wait += 10) Pump(10);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = CpuSeconds(station.processId()) - cpuBefore;
        state.SetIterationTime(seconds);

        clients->Stop();
        int complete = 0;
        int faults = 0;
        for (const StreamCheck& c : clients->Checks()) {
            complete += c.next == total && c.faults == 0 ? 1 : 0;
            faults += c.faults;
        }
        state.counters["clients_with_every_block"] = complete;
        state.counters["order_faults"] = faults;
        state.counters["clients_dropped"] = clients->Closed();
        state.counters["upstream_blocks_per_s"] = total / sendSeconds;
        state.counters["station_CPU_share"] = cpu / seconds;
        if (complete != clientCount) state.SkipWithError("a client missed blocks or was dropped");
        clients.reset();
        ::close(upstream);
        ::close(listening);
        station.terminate();
        station.waitForFinished(10000);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(total) * state.iterations());
}
BENCHMARK(BM_StationRelaysTo)->ArgName("clients")->Arg(100)->Arg(200)->UseManualTime()->Iterations(1)->Repetitions(3)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace orv
