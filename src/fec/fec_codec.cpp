#include "fec/fec_codec.h"

#include <algorithm>

#include "fec/eb_no.h"
#include "fec/fec_tables.h"
#include "fec/reed_solomon.h"
#include "fec/viterbi.h"

namespace orv {
namespace {

using Codeword = std::array<std::uint8_t, kRsLength>;

// Transmitted byte t is position 95 + t / 2 of codeword t mod 2.
constexpr std::size_t CodewordOf(std::size_t t) { return t % 2; }
constexpr std::size_t PositionOf(std::size_t t) { return kRsPadding + t / 2; }

}  // namespace

std::array<std::uint8_t, kFecCodedBytes> FecTransmittedBytes(std::span<const std::uint8_t, kFecDataBytes> data) {
    std::array<std::uint8_t, kFecCodedBytes> bytes{};
    std::array<std::array<std::uint8_t, kRsParity>, 2> parity{};
    for (std::size_t t = 0; t < kFecDataBytes; ++t) {
        bytes[t] = data[t];
        RsParityStep(data[t], parity[CodewordOf(t)]);
    }
    for (std::size_t t = kFecDataBytes; t < kFecCodedBytes; ++t) bytes[t] = parity[CodewordOf(t)][(t - kFecDataBytes) / 2];
    return bytes;
}

void FecFrameFromBytes(std::span<const std::uint8_t, kFecCodedBytes> bytes, std::span<std::uint8_t, kFecFrameSymbols> frame) {
    std::fill(frame.begin(), frame.end(), std::uint8_t{0});
    const auto& sync = SyncVector();
    for (std::size_t i = 0; i < kFecRows; ++i) frame[kFecColumns * i] = sync[i];

    // Coded symbol n goes to row n mod 65, column 1 + n / 65.
    std::size_t row = 0;
    std::size_t column = 1;
    auto place = [&](unsigned symbol) {
        frame[kFecColumns * row + column] = static_cast<std::uint8_t>(symbol);
        if (++row == kFecRows) {
            row = 0;
            ++column;
        }
    };
    unsigned reg = 0;
    auto encodeBit = [&](unsigned bit) {
        reg = ((reg << 1) | bit) & 0xFF;
        place(static_cast<unsigned>(Parity(reg & 0x4F)));
        place(1U - static_cast<unsigned>(Parity(reg & 0x6D)));
    };
    const auto& scrambler = ScramblerTable();
    for (std::size_t t = 0; t < kFecCodedBytes; ++t) {
        const unsigned byte = bytes[t] ^ scrambler[t];
        for (int b = 7; b >= 0; --b) encodeBit((byte >> b) & 1U);
    }
    for (int b = 0; b < 6; ++b) encodeBit(0);
}

void FecEncodeFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::span<std::uint8_t, kFecFrameSymbols> frame) {
    FecFrameFromBytes(FecTransmittedBytes(data), frame);
}

bool DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame, FecStatus& status,
                    std::span<std::uint8_t, kFecDataBytes> data) {
    // De-interleave: coded symbol (j - 1) 65 + k is frame[80 k + j]; 5135 slots, 5132 used.
    std::array<SoftSymbol, kFecRows * (kFecColumns - 1)> coded;
    for (std::size_t j = 1; j < kFecColumns; ++j)
        for (std::size_t k = 0; k < kFecRows; ++k) coded[(j - 1) * kFecRows + k] = frame[kFecColumns * k + j];

    std::array<std::uint8_t, kFecCodedBytes> bytes{};
    ViterbiDecode(std::span<const SoftSymbol>(coded.data(), kFecCodedSymbols), kFecViterbiSteps, bytes);

    std::array<Codeword, 2> codewords{};
    const auto& scrambler = ScramblerTable();
    for (std::size_t t = 0; t < kFecCodedBytes; ++t) codewords[CodewordOf(t)][PositionOf(t)] = bytes[t] ^ scrambler[t];

    status.rsCorrections[0] = RsDecode(codewords[0]);
    status.rsCorrections[1] = RsDecode(codewords[1]);
    if (!status.Decoded()) return false;

    for (std::size_t t = 0; t < kFecDataBytes; ++t) data[t] = codewords[CodewordOf(t)][PositionOf(t)];

    std::array<std::uint8_t, kFecFrameSymbols> reencoded;
    FecEncodeFrame(data, reencoded);
    int errors = 0;
    for (std::size_t i = 0; i < kFecFrameSymbols; ++i) errors += (reencoded[i] != (HardBit(frame[i]) ? 1 : 0)) ? 1 : 0;
    status.channelErrors = errors;
    status.ebNoDb = EbNoFromChannelErrors(errors);
    return true;
}

}  // namespace orv
