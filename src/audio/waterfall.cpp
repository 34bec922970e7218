#include "audio/waterfall.h"

#include <algorithm>

namespace orv {

Waterfall::Waterfall(std::size_t rows) : capacity_(std::max<std::size_t>(rows, 1)) {}

void Waterfall::Add(const AudioSpectrum& spectrum) {
    if (spectrum.powerDb.empty()) return;
    if (!rows_.empty() && (rows_.front().size() != spectrum.powerDb.size() || spectrum.firstHz != firstHz_ ||
                           spectrum.stepHz != stepHz_))
        rows_.clear();
    firstHz_ = spectrum.firstHz;
    stepHz_ = spectrum.stepHz;
    std::vector<float> sorted = spectrum.powerDb;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const float floor = sorted[sorted.size() / 2];
    std::vector<float> row(spectrum.powerDb.size());
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = std::clamp((spectrum.powerDb[i] - floor) / kRangeDb, 0.0f, 1.0f);
    rows_.push_front(std::move(row));
    if (rows_.size() > capacity_) rows_.pop_back();
}

}  // namespace orv
