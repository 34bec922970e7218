#pragma once
// Settings for window tests: a store filled as after a normal Setup.
#include <QString>

#include "reception/settings_store.h"

namespace orv::test {

// "Log on Start" no, port 1, the 514-byte modem and the data directory given.
inline void FillStore(MemoryStore& store, const QString& dir) {
    store.Write(kStartupKey, "Log on Start", "no");
    store.Write(kStartupKey, "Com Port No.", "1");
    store.Write(kStartupKey, "Default Directory", dir.toStdString());
    store.Write(kStartupKey, "Modem Type", "514");
}

}  // namespace orv::test
