#pragma once
// The desktop program for window tests: one station over the given settings and clock, and every
// window wired as `orv` wires them; and what a window test starts it over.
#include <QDir>
#include <QTemporaryDir>
#include <cstdint>

#include "reception/clock.h"
#include "reception/settings_store.h"
#include "recording_messages.h"
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

inline constexpr std::int64_t kTestDate = 1072793109;  // 2003-12-30 14:05:09 UTC

// What a window test starts the program over: a temporary folder for the data directory, a
// settings store, a clock standing still and the recorded messages. A test class derives from it
// (after QObject) and calls Reset from its init(), so that every test function starts afresh.
struct WindowTestSetup {
    // An empty folder and store, the clock at `now`, no messages.
    void Reset(std::int64_t now = kTestDate) {
        QDir(tmp.path()).removeRecursively();
        QDir().mkpath(tmp.path());
        store = MemoryStore();
        clock = ManualClock(now);
        messages = RecordingMessages();
    }

    QTemporaryDir tmp;
    MemoryStore store;
    ManualClock clock{kTestDate};
    RecordingMessages messages;
};

}  // namespace orv::test
