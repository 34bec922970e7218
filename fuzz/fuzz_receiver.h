#pragma once
// A block receiver over its own station state and a manual clock, for the targets that feed one.
#include "reception/clock.h"
#include "reception/receiver.h"
#include "reception/station_state.h"

namespace orv::fuzz {

// Hooks: the receiver's (all off), or the caller's, which must outlive it. The station state can
// be changed after construction: the receiver reads it as it receives.
struct FuzzReceiver {
    explicit FuzzReceiver(ModemType modem, ReceiverHooks* callerHooks = nullptr)
        : receiver(station, clock, callerHooks != nullptr ? *callerHooks : hooks) {
        station.SetModemType(modem);
    }

    StationState station;
    ManualClock clock{1'000'000'000};
    ReceiverHooks hooks;
    BlockReceiver receiver;
};

}  // namespace orv::fuzz
