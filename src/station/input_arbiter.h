#pragma once
// Who holds the serial port. The operator's text selection ("Raw", "K".."N") opens it and "OFF"
// closes it; three other users take it away and give it back:
// - the DSP-93 load owns the port for its transfer: serial input is suspended, an open port is
//   switched "OFF" and, when the load ends, "Raw" is selected again, which reopens it;
// - the network client replaces serial input: an open port closes when "Client (data in)" is
//   chosen and reopens when the client mode ends, unless the operator chose "OFF" meanwhile;
// - replay replaces live reception: "OFF" is selected and the telemetry selections stay disabled
//   until replay ends; the port then stays closed.
// Plain C++: the port is reached through SerialPortControl, so the rules are tested without Qt.
#include <string>

#include "reception/station_state.h"

namespace orv {

class SerialPortControl {
public:
    virtual ~SerialPortControl() = default;
    virtual bool IsOpen() const = 0;
    // Opens the port with the station's settings; false with the system's reason.
    virtual bool Open(std::string& error) = 0;
    virtual void Close() = 0;
};

// What a selection did to the port.
struct SelectionResult {
    bool portOpened = false;   // the port is open (or network input stands in for it)
    bool portFailed = false;   // it could not be opened: "OFF" has been selected instead
    std::string error;         // the system's reason when portFailed
};

class InputArbiter {
public:
    InputArbiter(StationState& state, SerialPortControl& port) : state_(state), port_(port) {}

    // The operator's text selection. "Raw" and "K".."N" open the port unless network input is
    // active; a port that cannot be opened leaves "OFF" selected. "OFF" closes the port.
    // A telemetry selection is refused (nothing changes) while TelemetrySelectable() is false.
    SelectionResult Select(TextSelection selection);
    TextSelection Selection() const { return state_.flags.selection; }
    // "Raw", "K".."N" can be chosen: neither replay nor a DSP-93 load is under way.
    bool TelemetrySelectable() const { return !replayActive_ && !dspLoading_; }

    // The DSP-93 load starts: serial input is suspended and an open port is switched "OFF".
    void BeginDspLoad();
    // The load has ended: "Raw" again if the port was open before, and serial input resumes.
    SelectionResult EndDspLoad();

    // "Client (data in)" chosen: an open port closes and is remembered for reopening.
    void BeginNetworkInput();
    // Client mode ends: the remembered port reopens, unless "OFF" was chosen meanwhile.
    SelectionResult EndNetworkInput();

    // The Replay window opens: "OFF", port closed, telemetry selections disabled.
    void BeginReplay();
    // The Replay window closes: the selections are enabled again; the port stays closed.
    void EndReplay();
    bool ReplayActive() const { return replayActive_; }

private:
    SelectionResult OpenPort();

    StationState& state_;
    SerialPortControl& port_;
    bool dspLoading_ = false;
    bool reopenAfterDspLoad_ = false;
    bool reopenAfterNetwork_ = false;
    bool replayActive_ = false;
};

}  // namespace orv
