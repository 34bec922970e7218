#pragma once
// A pseudo-terminal that stands in for a serial port: the simulator writes into the master side,
// the station opens the slave device like any serial port. POSIX only.
#include <string>

namespace orv::sim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { Close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair: the master non-blocking, the line in raw mode (no echo, no character
    // translation, 8 bits). It keeps a handle on the slave side itself, so that readers may
    // open and close the device while the stream goes on. False with the reason on failure.
    bool Open(std::string& error);
    // Closes both sides; a reader then sees its device go away, and bytes it has not read yet
    // are lost.
    void Close();
    // Waits until a reader has taken every byte written, or `limitMs` milliseconds have passed.
    void Drain(int limitMs);

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace orv::sim
