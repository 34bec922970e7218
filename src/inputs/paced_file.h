#pragma once
// A recording played at the pace of the air, as a live source would deliver it: the drivers that
// read files (audio, IQ) take what is due each time they are polled.
#include <QString>
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/live_stream_reader.h"

namespace orv {

// Reads from `source` what is due `rate` samples a second after `startedMs`, in pieces of at most
// 65536 samples, and hands each to `take`; `samplesRead` counts what was read. False when the
// source has no more (its Error() says why, if it failed).
template <typename Sample, typename Source, typename Take>
bool ReadDueSamples(Source& source, double rate, std::int64_t startedMs, std::int64_t& samplesRead,
                    std::vector<Sample>& buffer, Take&& take) {
    const auto due = static_cast<std::int64_t>((LiveStreamReader::NowMs() - startedMs) * rate / 1000.0);
    while (samplesRead < due) {
        buffer.resize(static_cast<std::size_t>(std::min<std::int64_t>(due - samplesRead, 65536)));
        const std::size_t n = source.Read(buffer);
        if (n == 0) return false;
        samplesRead += static_cast<std::int64_t>(n);
        take(std::span<const Sample>(buffer.data(), n));
    }
    return true;
}

// "the KIND file NAME ended", with ": WHY" when it failed.
inline QString FileEndedText(const QString& kind, const std::string& file, const std::string& why) {
    return QStringLiteral("the %1 file %2 ended%3")
        .arg(kind, QString::fromStdString(file), why.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(why));
}

}  // namespace orv
