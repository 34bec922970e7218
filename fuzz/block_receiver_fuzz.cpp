// The block receiver fed arbitrary bytes in arbitrary chunks, as from a serial port, with relay,
// logging and the display dispatch on.
#include "fuzz_input.h"
#include "fuzz_receiver.h"

namespace {

struct AllOnHooks final : orv::ReceiverHooks {
    bool RelayHasClients() const override { return true; }
    bool UdpRelayOn() const override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    const std::uint8_t setup = in.Byte();
    AllOnHooks hooks;
    orv::fuzz::FuzzReceiver r((setup & 1) != 0 ? orv::ModemType::Bytes514 : orv::ModemType::Bytes512, &hooks);
    r.station.logging.logging = (setup & 2) != 0;
    r.station.logging.aOnly = (setup & 4) != 0;
    r.station.logging.useCrcc = (setup & 8) != 0;
    while (!in.Empty()) {
        r.receiver.ReceiveBlockBytes(in.Chunk());
        r.clock.Advance(in.Byte() & 3);
    }
    return 0;
}
