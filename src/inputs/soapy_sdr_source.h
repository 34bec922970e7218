#pragma once
// An SDR through SoapySDR (RTL-SDR, Airspy, HackRF, Pluto, SDRplay: whichever modules are
// installed): opened by its device arguments ("driver=rtlsdr", "driver=airspy,serial=..."), tuned,
// and read as complex float by a thread of its own into a queue the station drains, so the
// station's thread never waits for the device. Samples the station could not take in time, and
// the device's own overflows, are counted.
#include <atomic>
#include <complex>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "audio/live_sample_queue.h"

namespace SoapySDR {
class Device;
class Stream;
}  // namespace SoapySDR

namespace orv {

struct SoapyTuning {
    double frequencyHz = 0.0;
    double rate = 1024000.0;
    std::optional<double> gainDb;  // nothing: automatic gain
    int ppm = 0;
};

class SoapySdrSource {
public:
    // The devices SoapySDR finds, one "key=value, ..." each, as --sdr takes them.
    static std::vector<std::string> DeviceList();

    // Opens, tunes and starts the device `args`; null with `error` for the operator when there is
    // no such device or it refuses the settings.
    static std::unique_ptr<SoapySdrSource> Open(const std::string& args, const SoapyTuning& tuning, std::string& error);
    ~SoapySdrSource();  // stops the thread, closes the device
    SoapySdrSource(const SoapySdrSource&) = delete;
    SoapySdrSource& operator=(const SoapySdrSource&) = delete;

    // Moves up to out.size() of the oldest samples into `out` and returns how many.
    std::size_t Take(std::span<std::complex<float>> out);
    // Samples lost since the last call because the station fell behind (the queue was full).
    std::uint64_t TakeLostSamples();
    // Overflows the device reported since the last call (samples it dropped itself).
    std::uint64_t TakeOverflows() { return overflows_.exchange(0); }
    // Empty while reading; else why the device stopped.
    std::string Error() const;
    double SampleRate() const { return rate_; }

private:
    SoapySdrSource(SoapySDR::Device* device, SoapySDR::Stream* stream, double rate);
    void Run();

    SoapySDR::Device* device_;
    SoapySDR::Stream* stream_;
    double rate_;
    LiveSampleQueue queue_;  // I and Q interleaved
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> overflows_{0};
    mutable std::mutex errorMutex_;
    std::string error_;
    std::vector<float> taken_;
};

}  // namespace orv
