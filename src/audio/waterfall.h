#pragma once
// The history of the audio spectrum around the centre frequency for a waterfall picture: each
// row's power as levels 0..1 from the row's noise floor (its median bin) up to kRangeDb above it,
// so the picture shows a weak carrier over the noise whatever the audio level.
#include <cstddef>
#include <deque>
#include <vector>

#include "audio/carrier_search.h"

namespace orv {

class Waterfall {
public:
    static constexpr float kRangeDb = 30.0f;

    // Keeps the newest `rows` spectra (at least 1).
    explicit Waterfall(std::size_t rows);

    // Adds a spectrum as the newest row; an empty one is ignored. A spectrum of another span or
    // resolution starts the history afresh.
    void Add(const AudioSpectrum& spectrum);

    // Rows of levels 0..1, newest first; all of the same size.
    const std::deque<std::vector<float>>& Rows() const { return rows_; }
    double FirstHz() const { return firstHz_; }  // frequency of each row's first bin
    double StepHz() const { return stepHz_; }    // spacing of the bins

private:
    std::size_t capacity_;
    std::deque<std::vector<float>> rows_;
    double firstHz_ = 0.0;
    double stepHz_ = 0.0;
};

}  // namespace orv
