// A KISS stream of arbitrary bytes into the reception pipeline as the KISS input hands it on:
// cut into pieces the input chooses, with a reconnection now and then. Every frame handed on is a
// block or an FEC frame's data with a time in range, the blocks pass the pipeline's checks, and
// the stream in one piece gives the same frames as the stream in pieces.
#include <cstdlib>
#include <vector>

#include "forward/kiss.h"
#include "fuzz_input.h"
#include "fuzz_receiver.h"

namespace {

struct Handed {
    std::size_t size;
    std::optional<std::int64_t> time;
    unsigned sum;
    bool operator==(const Handed&) const = default;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    const std::uint8_t setup = in.Byte();
    const std::span<const std::uint8_t> stream = in.Rest();
    orv::fuzz::FuzzPipeline r(orv::ModemType::Bytes514);

    std::vector<Handed> whole, pieces;
    std::vector<Handed>* into = &whole;
    orv::KissBlockDeframer deframer([&](const orv::KissData& d) {
        if (d.bytes.size() != orv::kFecDataBytes && d.bytes.size() != orv::kTelemetryBytes &&
            d.bytes.size() != orv::kFullBlockBytes)
            std::abort();
        if (d.utcMilliseconds && (*d.utcMilliseconds < 0 || *d.utcMilliseconds > 253402300799999)) std::abort();
        unsigned sum = 0;
        for (const std::uint8_t b : d.bytes) sum = sum * 31 + b;
        into->push_back({d.bytes.size(), d.utcMilliseconds, sum});
        const orv::InputFacts facts{d.utcMilliseconds, d.utcMilliseconds.has_value()};
        if (d.bytes.size() == orv::kFecDataBytes)
            r.pipeline.DecodedFecData(d.bytes.first<orv::kFecDataBytes>(), orv::BlockOrigin::Kiss, facts);
        else
            r.pipeline.WholeBlock(d.bytes, orv::BlockOrigin::Kiss, facts);
    });
    deframer.Feed(stream);

    orv::KissBlockDeframer cut([&](const orv::KissData& d) {
        unsigned sum = 0;
        for (const std::uint8_t b : d.bytes) sum = sum * 31 + b;
        pieces.push_back({d.bytes.size(), d.utcMilliseconds, sum});
    });
    const std::size_t longest = static_cast<std::size_t>(setup % 64) + 1;
    for (std::size_t at = 0, n = 1; at < stream.size(); at += n, n = n % longest + 1)
        cut.Feed(stream.subspan(at, std::min(n, stream.size() - at)));
    if (pieces != whole || cut.Skips().Total() != deframer.Skips().Total()) std::abort();

    // A reconnection in the middle: what follows is read as a new stream, without the old time.
    if ((setup & 0x80) != 0) {
        deframer.Reset();
        deframer.Feed(stream.subspan(stream.size() / 2));
    }
    return 0;
}
