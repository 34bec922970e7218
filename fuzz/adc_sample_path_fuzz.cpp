// The ADC reception (sync search, frame decoding, block delivery) on arbitrary sample bytes in
// arbitrary reads.
#include "fec/adc_reception.h"
#include "fuzz_input.h"
#include "reception/clock.h"
#include "reception/receiver.h"
#include "reception/station_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    orv::StationState station;
    station.SetModemType(orv::ModemType::Adc);
    station.logging.logging = true;
    orv::ManualClock clock(1'000'000'000);
    orv::ReceiverHooks hooks;
    orv::BlockReceiver receiver(station, clock, hooks);
    orv::AdcReception adc(receiver);
    while (!in.Empty()) {
        adc.ProcessAdcBytes(in.Chunk());
        clock.Advance(1);
    }
    return 0;
}
