#pragma once
// The program-wide window instances. The desktop program creates every window once, in the
// order of the fields below, fills this record and keeps the windows until exit; windows call
// each other through it. A window that is not part of the program yet stays null.
#include "reception/settings_store.h"

namespace orv {

class Clock;
class UserMessages;
class TOrv1;
class TOrv2;
class TOrv4;
class TOrv5;
class TOrv6;
class TOrv7;
class TOrv8;
class TOrv9;
class TOrv10;
class TOrv11;
class TOrv12;
class TOrv13;
class TOrv14;
class TOrv15;
class TOrv16;
class TOrv17;
class TOrv18;
class TOrv19;
class TOrv20;

struct Forms {
    KeyValueStore* store = nullptr;
    const Clock* clock = nullptr;
    UserMessages* messages = nullptr;

    TOrv1* orv1 = nullptr;    // main window
    TOrv2* orv2 = nullptr;    // raw data
    TOrv4* orv4 = nullptr;    // Setup
    TOrv5* orv5 = nullptr;    // Logging
    TOrv6* orv6 = nullptr;    // Replay
    TOrv7* orv7 = nullptr;    // Filter
    TOrv8* orv8 = nullptr;    // Monitor
    TOrv9* orv9 = nullptr;    // Byte dump
    TOrv10* orv10 = nullptr;  // Telemetry graph
    TOrv11* orv11 = nullptr;  // graph address dialog
    TOrv12* orv12 = nullptr;  // IF matrix
    TOrv13* orv13 = nullptr;  // Temperature
    TOrv14* orv14 = nullptr;  // Power
    TOrv16* orv16 = nullptr;  // Status
    TOrv15* orv15 = nullptr;  // Navigation
    TOrv17* orv17 = nullptr;  // Export
    TOrv18* orv18 = nullptr;  // DSP-93 loader
    TOrv19* orv19 = nullptr;  // TCP/IP
    TOrv20* orv20 = nullptr;  // ADC analysis
};

}  // namespace orv
