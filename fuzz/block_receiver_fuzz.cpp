// The reception pipeline fed arbitrary bytes in arbitrary chunks, as from a serial port, with the
// modem type, failed data shown and Events mode chosen by the input, and now and then a whole
// block from another decoder.
#include "fuzz_input.h"
#include "fuzz_receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    const std::uint8_t setup = in.Byte();
    orv::fuzz::FuzzPipeline r((setup & 1) != 0 ? orv::ModemType::Bytes514 : orv::ModemType::Bytes512);
    r.station.flags.showCrccFailedData = (setup & 2) != 0;
    r.station.flags.eventsMode = (setup & 4) != 0;
    while (!in.Empty()) {
        const auto chunk = in.Chunk();
        if ((setup & 8) != 0 && (chunk.size() == 512 || chunk.size() == 514))
            r.pipeline.WholeBlock(chunk, orv::BlockOrigin::Kiss);
        else
            r.pipeline.SerialBytes(chunk);
        r.clock.Advance(in.Byte() & 3);
    }
    return 0;
}
