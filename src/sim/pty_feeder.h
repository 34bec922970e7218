#pragma once
// The built-in simulated station for the desktop demo: a pseudo-terminal fed with a simulated
// stream on a thread of its own, so that the program receives through its real serial path.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "sim/pseudo_terminal.h"
#include "sim/sim_options.h"
#include "sim/stop_signal.h"

namespace orv::sim {

class PtyFeeder {
public:
    // speed >= 1 (see serial_line.h); limit: blocks to send, 0 for no limit.
    PtyFeeder(const SimOptions& options, double speed = 1.0, std::int64_t limit = 0);
    ~PtyFeeder() { Stop(); }
    PtyFeeder(const PtyFeeder&) = delete;
    PtyFeeder& operator=(const PtyFeeder&) = delete;

    // Creates the pseudo-terminal without feeding it yet, so that a reader can open the device
    // before the first block. False with the reason when the options are unusable or the
    // platform has no pseudo-terminals.
    bool Open(std::string& error);
    // Starts feeding (creating the pseudo-terminal first unless Open did). False with the reason
    // when Open fails or the feeder was started before.
    bool Start(std::string& error);
    // Stops feeding and closes the pseudo-terminal (a reader sees its device go away).
    void Stop();

    // The device to open as the serial port, once open.
    const std::string& SlavePath() const { return pty_.SlavePath(); }
    bool Running() const { return running_.load(); }
    std::int64_t BlocksSent() const { return sent_.load(); }
    // Why feeding ended early, if it did.
    std::string Error() const;

private:
    void Run();

    SimOptions options_;
    double speed_;
    std::int64_t limit_;
    PseudoTerminal pty_;
    StopSignal stop_;
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> running_{false};
    std::atomic<std::int64_t> sent_{0};
    mutable std::mutex mutex_;
    std::string error_;
};

}  // namespace orv::sim
