#include "inputs/sound_card_input.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <vector>

namespace orv {

QStringList SoundCardInput::DeviceNames() {
    QStringList names;
    for (const QAudioDevice& d : QMediaDevices::audioInputs()) names << d.description();
    return names;
}

std::unique_ptr<SoundCardInput> SoundCardInput::Open(const QString& name, std::string& error) {
    QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (!name.isEmpty()) {
        device = {};
        for (const QAudioDevice& d : QMediaDevices::audioInputs())
            if (d.description() == name) device = d;
    }
    if (device.isNull()) {
        error = name.isEmpty() ? "there is no sound card input"
                               : "there is no sound card input \"" + name.toStdString() +
                                     "\" (orv-cli audio --list-devices lists them)";
        return nullptr;
    }
    QAudioFormat format = device.preferredFormat();
    format.setSampleFormat(QAudioFormat::Int16);
    if (format.channelCount() < 1) format.setChannelCount(1);
    if (!device.isFormatSupported(format)) format.setChannelCount(1);
    if (!device.isFormatSupported(format) || format.sampleRate() < 8000 || format.sampleRate() > 192000) {
        error = "the sound card \"" + device.description().toStdString() + "\" cannot record 16-bit samples at 8 to 192 kHz";
        return nullptr;
    }
    auto source = std::make_unique<QAudioSource>(device, format);
    return std::unique_ptr<SoundCardInput>(new SoundCardInput(std::move(source), format.sampleRate(), format.channelCount()));
}

SoundCardInput::SoundCardInput(std::unique_ptr<QAudioSource> source, double rate, int channels)
    : source_(std::move(source)), rate_(rate), channels_(channels), queue_(static_cast<std::size_t>(rate * 10)) {
    // A buffer of half a second rides out a busy moment of the station's thread.
    source_->setBufferSize(static_cast<qsizetype>(rate) * channels);  // bytes: 2 per sample, half a second
    device_ = source_->start();
    if (!device_) {
        error_ = QStringLiteral("the sound card did not start recording");
        return;
    }
    connect(device_, &QIODevice::readyRead, this, &SoundCardInput::ReadAvailable);
    connect(source_.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && source_->error() != QAudio::NoError)
            error_ = QStringLiteral("the sound card stopped recording (error %1)").arg(static_cast<int>(source_->error()));
    });
}

SoundCardInput::~SoundCardInput() {
    if (source_) source_->stop();
}

void SoundCardInput::ReadAvailable() {
    const QByteArray bytes = device_->readAll();
    const auto* s = reinterpret_cast<const qint16*>(bytes.constData());
    const qsizetype frames = bytes.size() / static_cast<qsizetype>(2 * channels_);
    std::vector<float> samples(static_cast<std::size_t>(frames));
    for (qsizetype i = 0; i < frames; ++i) samples[static_cast<std::size_t>(i)] = static_cast<float>(s[i * channels_]) / 32768.0f;
    received_ += samples.size();
    queue_.Push(samples);
}

std::uint64_t SoundCardInput::LostSamples() const {
    const double recorded = static_cast<double>(source_->processedUSecs()) * 1e-6 * rate_;
    // Half a second of slack: the card's count runs ahead of what its buffer has handed over.
    const double lost = recorded - static_cast<double>(received_) - rate_ * 0.5;
    return lost > 0 ? static_cast<std::uint64_t>(lost) : 0;
}

}  // namespace orv
