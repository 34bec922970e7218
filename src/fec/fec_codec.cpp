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

namespace {

// Frame position of coded symbol n: row n mod 65, column 1 + n / 65.
const std::array<std::uint16_t, kFecCodedSymbols>& CodedPositions() {
    static const auto table = [] {
        std::array<std::uint16_t, kFecCodedSymbols> t{};
        for (std::size_t n = 0; n < kFecCodedSymbols; ++n) t[n] = static_cast<std::uint16_t>(kFecColumns * (n % kFecRows) + 1 + n / kFecRows);
        return t;
    }();
    return table;
}

// The symbol pair sent for each 7-bit encoder register: the first symbol in bit 1.
constexpr std::array<std::uint8_t, 128> kEncoderOutput = [] {
    std::array<std::uint8_t, 128> t{};
    for (unsigned r = 0; r < 128; ++r) t[r] = static_cast<std::uint8_t>(BranchLabel(r));
    return t;
}();

}  // namespace

namespace {

// The hard symbols (0 or 1) of the scrambled, convolutionally encoded bytes in coded order
// (before interleaving): kFecCodedSymbols symbols, the six flush bits included.
using CodedHardSymbols = std::array<std::uint8_t, kFecCodedSymbols>;

void EncodeCodedSymbols(std::span<const std::uint8_t, kFecCodedBytes> bytes, CodedHardSymbols& coded) {
    std::size_t n = 0;
    unsigned reg = 0;
    auto encodeBit = [&](unsigned bit) {
        reg = ((reg << 1) | bit) & 0x7F;  // the register's bit 7 takes part in neither symbol
        const unsigned pair = kEncoderOutput[reg];
        coded[n++] = static_cast<std::uint8_t>(pair >> 1);
        coded[n++] = static_cast<std::uint8_t>(pair & 1U);
    };
    const auto& scrambler = ScramblerTable();
    for (std::size_t t = 0; t < kFecCodedBytes; ++t) {
        const unsigned byte = bytes[t] ^ scrambler[t];
        for (int b = 7; b >= 0; --b) encodeBit((byte >> b) & 1U);
    }
    for (int b = 0; b < 6; ++b) encodeBit(0);
}

}  // namespace

void FecFrameFromBytes(std::span<const std::uint8_t, kFecCodedBytes> bytes, std::span<std::uint8_t, kFecFrameSymbols> frame) {
    std::fill(frame.begin(), frame.end(), std::uint8_t{0});
    const auto& sync = SyncVector();
    for (std::size_t i = 0; i < kFecRows; ++i) frame[kFecColumns * i] = sync[i];
    CodedHardSymbols coded;
    EncodeCodedSymbols(bytes, coded);
    const auto& position = CodedPositions();
    for (std::size_t n = 0; n < kFecCodedSymbols; ++n) frame[position[n]] = coded[n];
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

    // Channel errors: the frame's hard decisions against the frame that was sent, compared in
    // coded order (no interleaving needed): the coded symbols, the sync column and the spare
    // slots, which are sent as 0.
    CodedHardSymbols reencoded;
    EncodeCodedSymbols(FecTransmittedBytes(data), reencoded);
    int errors = 0;
    for (std::size_t n = 0; n < kFecCodedSymbols; ++n) errors += (reencoded[n] != (HardBit(coded[n]) ? 1 : 0)) ? 1 : 0;
    for (std::size_t n = kFecCodedSymbols; n < coded.size(); ++n) errors += HardBit(coded[n]) ? 1 : 0;
    const auto& sync = SyncVector();
    for (std::size_t k = 0; k < kFecRows; ++k) errors += (sync[k] != (HardBit(frame[kFecColumns * k]) ? 1 : 0)) ? 1 : 0;
    status.channelErrors = errors;
    status.ebNoDb = EbNoFromChannelErrors(errors);
    return true;
}

}  // namespace orv
