// ADC reception (sync search, frame decoding, block delivery) on arbitrary sample bytes in
// arbitrary reads.
#include "fuzz_input.h"
#include "fuzz_receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    orv::fuzz::FuzzPipeline r(orv::ModemType::Adc);
    while (!in.Empty()) {
        r.pipeline.AdcSamples(in.Chunk());
        r.clock.Advance(1);
    }
    return 0;
}
