#pragma once
// Where IQ samples come from: a recording (SigMF, a 2-channel WAV file, a headerless file) or a
// stream of raw samples (standard input). Live SDRs feed the receiver directly (src/inputs/).
#include <complex>
#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "iq/iq_format.h"

namespace orv {

class IqSource {
public:
    virtual ~IqSource() = default;
    virtual double SampleRate() const = 0;  // complex samples per second
    // Reads up to out.size() samples (full scale 1.0) and returns how many; 0 at the end of the
    // input or on a failure, which Error() then describes.
    virtual std::size_t Read(std::span<std::complex<float>> out) = 0;
    // Empty, or why the input ended early or could not be read.
    virtual const std::string& Error() const = 0;
    // The centre frequency the recording was made at, when it says (SigMF), Hz.
    virtual std::optional<double> CentreHz() const { return std::nullopt; }
};

// Headerless samples of a given format and rate from a stream (a file, standard input).
class RawIqReader final : public IqSource {
public:
    // `in` must outlive the reader unless it is owned (OpenIqRecording).
    RawIqReader(std::istream& in, IqFormat format, double rate, std::optional<double> centreHz = std::nullopt);
    RawIqReader(std::unique_ptr<std::istream> owned, IqFormat format, double rate, std::optional<double> centreHz);

    double SampleRate() const override { return rate_; }
    // Blocks until out.size() samples or the end of the stream arrived.
    std::size_t Read(std::span<std::complex<float>> out) override;
    const std::string& Error() const override { return error_; }
    std::optional<double> CentreHz() const override { return centreHz_; }

private:
    std::unique_ptr<std::istream> owned_;
    std::istream& in_;
    IqFormat format_;
    double rate_;
    std::optional<double> centreHz_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::complex<float>> converted_;
    std::string error_;
};

// What the operator said about a recording without a header; a file with a header gives its own.
struct IqFileHints {
    std::optional<IqFormat> format;  // default cu8, rtl_sdr's
    std::optional<double> rate;      // required for a headerless file
};

// Opens `path` by its name: NAME.sigmf-meta or NAME.sigmf-data (the pair), NAME.wav (I left, Q
// right, any sample type libsndfile reads), anything else headerless with `hints`. Null with
// `error` naming the file when it cannot be opened or read, or the hints do not fit it.
std::unique_ptr<IqSource> OpenIqRecording(const std::string& path, const IqFileHints& hints, std::string& error);

// Whether `path` names a recording that carries its own format and rate (SigMF, WAV).
bool IqRecordingHasHeader(const std::string& path);

}  // namespace orv
