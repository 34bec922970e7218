#pragma once
// Settings for window tests: a store filled as after a normal Setup.
#include <QDir>
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

// The same, with the data directory and its "telemetry" and "Dsp" subdirectories made, so that
// the program starts without a message about them.
inline void FillStoreWithDirectories(MemoryStore& store, const QString& dir) {
    QDir(dir).mkpath("telemetry");
    QDir(dir).mkpath("Dsp");
    FillStore(store, dir);
}

}  // namespace orv::test
