#include "iq/iq_source.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include <sndfile.h>

#include "iq/sigmf_meta.h"

namespace orv {
namespace {

constexpr std::size_t kReadSamples = 16384;

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A 2-channel WAV file through libsndfile: I in the left channel, Q in the right.
class IqWavReader final : public IqSource {
public:
    static std::unique_ptr<IqWavReader> Open(const std::string& path, std::string& error) {
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        if (file == nullptr) {
            error = Quoted(path) + " is not a WAV file that can be read: " + sf_strerror(nullptr);
            return nullptr;
        }
        if (info.channels != 2) {
            sf_close(file);
            error = Quoted(path) + " has " + std::to_string(info.channels) + " channel" + (info.channels == 1 ? "" : "s") +
                    "; IQ needs two (I left, Q right)";
            return nullptr;
        }
        return std::unique_ptr<IqWavReader>(new IqWavReader(file, path, info.samplerate));
    }
    ~IqWavReader() override { sf_close(file_); }

    double SampleRate() const override { return rate_; }
    std::size_t Read(std::span<std::complex<float>> out) override {
        if (out.empty()) return 0;
        // Two floats per frame: the layout of std::complex<float>.
        const sf_count_t n = sf_readf_float(file_, reinterpret_cast<float*>(out.data()), static_cast<sf_count_t>(out.size()));
        if (n <= 0 && sf_error(file_) != SF_ERR_NO_ERROR) error_ = Quoted(path_) + ": " + sf_strerror(file_);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    const std::string& Error() const override { return error_; }

private:
    IqWavReader(SNDFILE* file, std::string path, double rate) : file_(file), path_(std::move(path)), rate_(rate) {}
    SNDFILE* file_;
    std::string path_;
    double rate_;
    std::string error_;
};

std::unique_ptr<IqSource> OpenSigmf(const std::string& path, std::string& error) {
    const std::string base = path.substr(0, path.size() - std::string_view(".sigmf-meta").size());
    const std::string metaPath = base + ".sigmf-meta";
    const std::string dataPath = base + ".sigmf-data";
    std::ifstream metaFile(metaPath, std::ios::binary);
    if (!metaFile) {
        error = "cannot open the SigMF metadata " + Quoted(metaPath);
        return nullptr;
    }
    std::ostringstream text;
    text << metaFile.rdbuf();
    std::string why;
    const auto meta = ParseSigmfMeta(text.str(), why);
    if (!meta) {
        error = Quoted(metaPath) + ": " + why;
        return nullptr;
    }
    auto data = std::make_unique<std::ifstream>(dataPath, std::ios::binary);
    if (!*data) {
        error = "cannot open the SigMF data " + Quoted(dataPath);
        return nullptr;
    }
    return std::make_unique<RawIqReader>(std::move(data), meta->format, meta->sampleRate, meta->centreHz);
}

}  // namespace

RawIqReader::RawIqReader(std::istream& in, IqFormat format, double rate, std::optional<double> centreHz)
    : in_(in), format_(format), rate_(rate), centreHz_(centreHz) {}

RawIqReader::RawIqReader(std::unique_ptr<std::istream> owned, IqFormat format, double rate, std::optional<double> centreHz)
    : owned_(std::move(owned)), in_(*owned_), format_(format), rate_(rate), centreHz_(centreHz) {}

std::size_t RawIqReader::Read(std::span<std::complex<float>> out) {
    const std::size_t sampleBytes = IqSampleBytes(format_);
    const std::size_t want = std::min(out.size(), kReadSamples) * sampleBytes;
    bytes_.resize(want);
    in_.read(reinterpret_cast<char*>(bytes_.data()), static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (got < want && in_.bad()) error_ = "reading the IQ stream failed";
    else if (got % sampleBytes != 0)
        error_ = "the IQ stream ends inside a sample (" + std::to_string(got % sampleBytes) + " of " +
                 std::to_string(sampleBytes) + " bytes)";
    converted_.clear();
    IqToComplex(format_, std::span<const std::uint8_t>(bytes_.data(), got - got % sampleBytes), converted_);
    std::copy(converted_.begin(), converted_.end(), out.begin());
    return converted_.size();
}

bool IqRecordingHasHeader(const std::string& path) {
    return EndsWith(path, ".sigmf-meta") || EndsWith(path, ".sigmf-data") || EndsWith(path, ".wav") || EndsWith(path, ".WAV");
}

std::unique_ptr<IqSource> OpenIqRecording(const std::string& path, const IqFileHints& hints, std::string& error) {
    if (IqRecordingHasHeader(path) && (hints.format || hints.rate)) {
        error = "--format and --rate are for headerless IQ; " + Quoted(path) + " gives its own";
        return nullptr;
    }
    if (EndsWith(path, ".sigmf-meta")) return OpenSigmf(path, error);
    if (EndsWith(path, ".sigmf-data")) return OpenSigmf(path.substr(0, path.size() - 5) + "-meta", error);
    if (EndsWith(path, ".wav") || EndsWith(path, ".WAV")) return IqWavReader::Open(path, error);
    if (!hints.rate) {
        error = "headerless IQ needs --rate HZ (and --format, default cu8): " + Quoted(path) + " carries neither";
        return nullptr;
    }
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file) {
        error = "cannot open " + Quoted(path);
        return nullptr;
    }
    return std::make_unique<RawIqReader>(std::move(file), hints.format.value_or(IqFormat::Cu8), *hints.rate, std::nullopt);
}

}  // namespace orv
