#pragma once
// The ADC sample stream decoded by a station in ADC mode, for orv-cli adc and orv-cli audio: the
// reception pipeline with one sink that appends every completed block to the log file as the
// Logging window does with Block " all" and CRCC "ignore", each as one whole record, and prints one
// line per block that is in the file: "<n> <kind> <OK|FAIL> <fec|uncoded>". The first block that
// cannot be appended stops it. The log "-" is standard output, record after record as they are
// decoded; the block lines then go to standard error. A log file is created by its first block,
// so a recording without blocks leaves none behind.
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pipeline/reception_pipeline.h"

namespace orv::cli {

class AdcDecoding {
public:
    // `command` names the subcommand in messages; the blocks are appended to the log file
    // `logPath`; `fecLogDirectory`, when given, receives the FEC log.
    AdcDecoding(std::string command, std::string logPath, const std::optional<std::string>& fecLogDirectory);
    ~AdcDecoding();

    // Whether the log file `logPath` can be appended to (a missing one created, a test that leaves
    // nothing behind), so a wrong path is reported before any samples are read; false after
    // "orv-cli COMMAND: cannot open ..." on stderr. "-" (standard output) always can.
    static bool LogOpens(const std::string& command, const std::string& logPath);

    // Samples in order, as many as there are: the clock advances one second per 400 samples, the
    // pace of the serial port, whatever the split into calls. Ignored once the log failed.
    void Feed(std::span<const std::uint8_t> samples);

    ReceptionPipeline& Pipeline();
    int Blocks() const;          // completed blocks
    int UncodedOk() const;       // uncoded blocks with CRCC OK
    int FecBlocks() const;       // blocks rebuilt from decoded FEC frames
    bool LogFailed() const;      // a block could not be appended to the log: decoding stopped
    bool Failed() const;         // the log or the FEC log could not be written

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    int intoSecond_ = 0;  // samples fed since the clock last advanced
};

// orv-cli audio and iq: a demodulator's ADC sample bytes decoded as adc decodes them (inverted
// syncs accepted: the demodulator's symbols carry the carrier's phase ambiguity), also written to
// --samples-out, and the summary line at the end.
class DemodulatedRun {
public:
    DemodulatedRun(std::string command, std::string logPath, const std::optional<std::string>& fecLogDirectory,
                   std::optional<std::string> samplesOut);

    // Whether the log and the samples file can be opened, before any input is read; false after
    // the message on stderr.
    bool Ready();
    // Decodes `bytes`, writes them to the samples file and clears them.
    void Deliver(std::vector<std::uint8_t>& bytes);
    // The carrier while the demodulator holds it; the last one goes into the summary.
    void Carrier(double hz, double esNoDb);

    // The summary on stderr, after the input's error if any: "orv-cli COMMAND: 34.7 s of WHAT, 3
    // blocks (2 uncoded with CRCC OK, 1 from FEC frames); " and `carrierText(hz)` ("carrier at
    // 1620.3 Hz") with Es/N0, or `noCarrier`. The exit status: 1 when the input, the log, the FEC
    // log or the samples file failed, else 0.
    int Finish(double seconds, const std::string& what, const std::string& inputError,
               const std::function<std::string(double hz)>& carrierText, const std::string& noCarrier);

private:
    std::string command_;
    std::string logPath_;
    std::optional<std::string> samplesOut_;
    AdcDecoding decoding_;
    std::ofstream samplesFile_;
    bool samplesFailed_ = false;
    bool carrierFound_ = false;
    double carrierHz_ = 0.0;
    double esNoDb_ = 0.0;
};

}  // namespace orv::cli
