#pragma once
// The desktop program for window tests: one station over the given settings and clock, and every
// window wired as `orv` wires them.
#include "station/station.h"
#include "ui/desktop_program.h"

namespace orv::test {

struct ProgramStation {
    ProgramStation(KeyValueStore& store, const Clock& clock) : ownStation(store, clock) {}
    Station ownStation;
};

struct Program : ProgramStation, DesktopProgram {
    Program(KeyValueStore& store, const Clock& clock, UserMessages& messages)
        : ProgramStation(store, clock), DesktopProgram(ownStation, messages) {}
};

}  // namespace orv::test
