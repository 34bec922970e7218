#pragma once
// The FEC frame: 256 data bytes in two interleaved Reed-Solomon codewords, scrambled,
// convolutionally encoded at rate 1/2 and block-interleaved with the 65-bit sync vector into
// 65 rows of 80 channel symbols.
#include <array>
#include <cstdint>
#include <span>

#include "fec/soft_symbol.h"

namespace orv {

// The record of the last FEC decode; one instance per station, overwritten by each decode.
struct FecStatus {
    std::array<std::int32_t, 2> rsCorrections{};  // symbols corrected per codeword; -1: not decodable
    std::int32_t channelErrors = 0;               // frame positions whose hard decision differs from the re-encoding
    float ebNoDb = 0.0F;                          // from channelErrors; exactly 20 without errors
    float syncGain = 0.0F;                        // normalised sync correlation, written by the sample path

    bool Decoded() const { return rsCorrections[0] != -1 && rsCorrections[1] != -1; }
};

using FecFrame = std::array<SoftSymbol, kFecFrameSymbols>;
using FecData = std::array<std::uint8_t, kFecDataBytes>;

// Builds the frame of hard symbols (0 or 1), sync vector included, the three spare slots 0:
// FecFrameFromBytes of FecTransmittedBytes.
void FecEncodeFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::span<std::uint8_t, kFecFrameSymbols> frame);

// The 320 bytes sent before scrambling: the data bytes in order (byte t is position 95 + t / 2 of
// codeword t mod 2), then the parity bytes of codewords 0 and 1 alternately.
std::array<std::uint8_t, kFecCodedBytes> FecTransmittedBytes(std::span<const std::uint8_t, kFecDataBytes> data);

// Scrambles, convolutionally encodes (six zero bits flush the encoder) and interleaves 320
// transmitted bytes into a frame of hard symbols, with the sync vector in column 0.
void FecFrameFromBytes(std::span<const std::uint8_t, kFecCodedBytes> bytes, std::span<std::uint8_t, kFecFrameSymbols> frame);

// Decodes a frame of soft symbols. Stores both Reed-Solomon results in `status`; when both
// codewords decode, writes the 256 data bytes, stores the channel error count and the Eb/No
// figure, and returns true. Otherwise `data`, channelErrors and ebNoDb are left as they were.
bool DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame, FecStatus& status,
                    std::span<std::uint8_t, kFecDataBytes> data);

}  // namespace orv
