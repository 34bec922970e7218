#pragma once
// The ADC sample stream decoded by a station in ADC mode, for orv-cli adc and orv-cli audio:
// every completed block is appended to the log file as the Logging window does with Block " all"
// and CRCC "ignore", and one line per block goes to stdout: "<n> <kind> <OK|FAIL> <fec|uncoded>".
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "fec/adc_reception.h"
#include "reception/clock.h"
#include "reception/receiver.h"

namespace orv::cli {

class AdcDecoding {
public:
    // `command` names the subcommand in messages; the log file `log` is open for appending;
    // `fecLogDirectory`, when given, receives the FEC log.
    AdcDecoding(std::string command, std::ofstream& log, std::string logPath,
                const std::optional<std::string>& fecLogDirectory);
    ~AdcDecoding();

    // Samples in order, as many as there are: the clock advances one second per 400 samples, the
    // pace of the serial port, whatever the split into calls.
    void Feed(std::span<const std::uint8_t> samples);

    AdcReception& Reception();
    int Blocks() const;          // completed blocks
    int UncodedOk() const;       // uncoded blocks with CRCC OK
    int FecBlocks() const;       // blocks rebuilt from decoded FEC frames
    bool Failed() const;         // the log or the FEC log could not be written

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    int intoSecond_ = 0;  // samples fed since the clock last advanced
};

}  // namespace orv::cli
