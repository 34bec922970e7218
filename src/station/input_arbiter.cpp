#include "station/input_arbiter.h"

namespace orv {

SelectionResult InputArbiter::OpenPort() {
    SelectionResult result;
    if (state_.flags.networkInputActive || port_.IsOpen()) {
        result.portOpened = true;
        return result;
    }
    if (port_.Open(result.error)) {
        result.portOpened = true;
        return result;
    }
    result.portFailed = true;
    state_.flags.selection = TextSelection::Off;
    return result;
}

SelectionResult InputArbiter::Select(TextSelection selection) {
    if (selection == TextSelection::Off) {
        state_.flags.selection = TextSelection::Off;
        port_.Close();
        return {};
    }
    if (!TelemetrySelectable()) return {};
    state_.flags.selection = selection;
    return OpenPort();
}

void InputArbiter::BeginDspLoad() {
    dspLoading_ = true;
    state_.flags.serialInputSuspended = true;
    reopenAfterDspLoad_ = port_.IsOpen();
    if (reopenAfterDspLoad_) Select(TextSelection::Off);
}

SelectionResult InputArbiter::EndDspLoad() {
    dspLoading_ = false;
    SelectionResult result;
    if (reopenAfterDspLoad_) {
        reopenAfterDspLoad_ = false;
        result = Select(TextSelection::Raw);
    }
    state_.flags.serialInputSuspended = false;
    return result;
}

void InputArbiter::BeginNetworkInput() {
    if (!port_.IsOpen()) return;
    port_.Close();
    reopenAfterNetwork_ = true;
}

SelectionResult InputArbiter::EndNetworkInput() {
    if (!reopenAfterNetwork_) return {};
    reopenAfterNetwork_ = false;
    if (state_.flags.selection == TextSelection::Off || !TelemetrySelectable()) return {};
    return OpenPort();
}

void InputArbiter::BeginReplay() {
    replayActive_ = true;
    reopenAfterNetwork_ = false;
    Select(TextSelection::Off);
}

void InputArbiter::EndReplay() { replayActive_ = false; }

}  // namespace orv
