// The relay client's block reader fed arbitrary socket reads, its blocks going on into a reception
// pipeline as the relay client input passes them.
#include "fuzz_input.h"
#include "fuzz_receiver.h"
#include "net/network_block_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    orv::fuzz::FuzzPipeline r(orv::ModemType::Bytes514);
    r.station.flags.networkInputActive = true;
    struct IntoPipeline final : orv::NetworkBlockSink {
        explicit IntoPipeline(orv::ReceptionPipeline& p) : pipeline(p) {}
        void SignalNetworkNewBlock() override { pipeline.RelayMarker(); }
        void ReceiveBlockBytes(std::span<const std::uint8_t> bytes) override { pipeline.RelayBytes(bytes); }
        orv::ReceptionPipeline& pipeline;
    } sink(r.pipeline);
    orv::NetworkBlockReader reader(sink);
    while (!in.Empty()) {
        // Reads up to the reader's read size, sometimes a new connection.
        const std::uint8_t choice = in.Byte();
        if (choice == 0xFF) reader.Reset();
        reader.Read(in.Take(static_cast<std::size_t>(choice) * 3 % orv::NetworkBlockReader::kReadSize + 1));
    }
    return 0;
}
