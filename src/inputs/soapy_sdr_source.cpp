#include "inputs/soapy_sdr_source.h"

#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <cstring>
#include <stdexcept>

namespace orv {
namespace {

constexpr double kQueueSeconds = 2.0;
constexpr long kReadTimeoutUs = 200000;

std::string ArgsText(const SoapySDR::Kwargs& args) {
    std::string text;
    for (const auto& [key, value] : args) text += (text.empty() ? "" : ",") + key + "=" + value;
    return text;
}

}  // namespace

std::vector<std::string> SoapySdrSource::DeviceList() {
    std::vector<std::string> list;
    for (const SoapySDR::Kwargs& args : SoapySDR::Device::enumerate()) list.push_back(ArgsText(args));
    return list;
}

std::unique_ptr<SoapySdrSource> SoapySdrSource::Open(const std::string& args, const SoapyTuning& tuning, std::string& error) {
    SoapySDR::Device* device = nullptr;
    try {
        device = SoapySDR::Device::make(args);
    } catch (const std::exception& e) {
        error = "cannot open the SDR \"" + args + "\": " + e.what() +
                " (orv-cli iq --list-devices lists the devices found; each kind needs its SoapySDR module)";
        return nullptr;
    }
    if (device == nullptr) {
        error = "cannot open the SDR \"" + args + "\"";
        return nullptr;
    }
    SoapySDR::Stream* stream = nullptr;
    try {
        device->setSampleRate(SOAPY_SDR_RX, 0, tuning.rate);
        device->setFrequency(SOAPY_SDR_RX, 0, tuning.frequencyHz);
        if (tuning.ppm != 0 && device->hasFrequencyCorrection(SOAPY_SDR_RX, 0))
            device->setFrequencyCorrection(SOAPY_SDR_RX, 0, tuning.ppm);
        if (device->hasGainMode(SOAPY_SDR_RX, 0)) device->setGainMode(SOAPY_SDR_RX, 0, !tuning.gainDb.has_value());
        if (tuning.gainDb) device->setGain(SOAPY_SDR_RX, 0, *tuning.gainDb);
        stream = device->setupStream(SOAPY_SDR_RX, SOAPY_SDR_CF32);
        if (device->activateStream(stream) != 0) throw std::runtime_error("the stream does not start");
    } catch (const std::exception& e) {
        error = "the SDR \"" + args + "\" refused its settings: " + e.what();
        if (stream != nullptr) device->closeStream(stream);
        SoapySDR::Device::unmake(device);
        return nullptr;
    }
    const double rate = device->getSampleRate(SOAPY_SDR_RX, 0);
    auto source = std::unique_ptr<SoapySdrSource>(new SoapySdrSource(device, stream, rate > 0.0 ? rate : tuning.rate));
    source->thread_ = std::thread([s = source.get()] { s->Run(); });
    return source;
}

SoapySdrSource::SoapySdrSource(SoapySDR::Device* device, SoapySDR::Stream* stream, double rate)
    : device_(device), stream_(stream), rate_(rate), queue_(2 * static_cast<std::size_t>(rate * kQueueSeconds)) {}

SoapySdrSource::~SoapySdrSource() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    device_->deactivateStream(stream_);
    device_->closeStream(stream_);
    SoapySDR::Device::unmake(device_);
}

void SoapySdrSource::Run() {
    const std::size_t mtu = std::max<std::size_t>(device_->getStreamMTU(stream_), 1024);
    std::vector<std::complex<float>> buffer(mtu);
    while (!stop_) {
        void* buffers[] = {buffer.data()};
        int flags = 0;
        long long timeNs = 0;
        const int n = device_->readStream(stream_, buffers, mtu, flags, timeNs, kReadTimeoutUs);
        if (n == SOAPY_SDR_TIMEOUT) continue;
        if (n == SOAPY_SDR_OVERFLOW) {
            overflows_ += 1;
            continue;
        }
        if (n < 0) {
            const std::lock_guard lock(errorMutex_);
            error_ = std::string("the SDR stopped: ") + SoapySDR::errToStr(n);
            return;
        }
        // Whole samples always: the queue's room is even, as is every push and take.
        const std::size_t floats = 2 * static_cast<std::size_t>(n);
        queue_.Push(std::span<const float>(reinterpret_cast<const float*>(buffer.data()), floats));
    }
}

std::size_t SoapySdrSource::Take(std::span<std::complex<float>> out) {
    taken_.resize(2 * out.size());
    const std::size_t floats = queue_.Pop(taken_);
    std::memcpy(static_cast<void*>(out.data()), taken_.data(), floats * sizeof(float));
    return floats / 2;
}

std::uint64_t SoapySdrSource::TakeLostSamples() { return queue_.TakeOverruns().samples / 2; }

std::string SoapySdrSource::Error() const {
    const std::lock_guard lock(errorMutex_);
    return error_;
}

}  // namespace orv
