// The ADC reception (sync search, frame decoding, block delivery) on arbitrary sample bytes in
// arbitrary reads.
#include "fec/adc_reception.h"
#include "fuzz_input.h"
#include "fuzz_receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    orv::fuzz::FuzzReceiver r(orv::ModemType::Adc);
    r.station.logging.logging = true;
    orv::AdcReception adc(r.receiver);
    while (!in.Empty()) {
        adc.ProcessAdcBytes(in.Chunk());
        r.clock.Advance(1);
    }
    return 0;
}
