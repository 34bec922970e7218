// The block receiver fed arbitrary bytes in arbitrary chunks, as from a serial port, with relay,
// logging and the display dispatch on.
#include "fuzz_input.h"
#include "reception/clock.h"
#include "reception/receiver.h"
#include "reception/station_state.h"

namespace {

struct AllOnHooks final : orv::ReceiverHooks {
    bool RelayHasClients() const override { return true; }
    bool UdpRelayOn() const override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    orv::StationState station;
    const std::uint8_t setup = in.Byte();
    station.SetModemType((setup & 1) != 0 ? orv::ModemType::Bytes514 : orv::ModemType::Bytes512);
    station.logging.logging = (setup & 2) != 0;
    station.logging.aOnly = (setup & 4) != 0;
    station.logging.useCrcc = (setup & 8) != 0;
    orv::ManualClock clock(1'000'000'000);
    AllOnHooks hooks;
    orv::BlockReceiver receiver(station, clock, hooks);
    while (!in.Empty()) {
        receiver.ReceiveBlockBytes(in.Chunk());
        clock.Advance(in.Byte() & 3);
    }
    return 0;
}
