// Who holds the serial port: the operator's selection, the DSP-93 load, the network client and
// replay, decided without a window or a real port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/input_arbiter.h"

namespace orv {
namespace {

// A port that records what was asked of it; it can be told to refuse opening.
struct FakePort : SerialPortControl {
    bool open = false;
    bool refuse = false;
    std::vector<std::string> calls;
    bool IsOpen() const override { return open; }
    bool Open(std::string& error) override {
        calls.push_back("open");
        if (refuse) {
            error = "Permission denied";
            return false;
        }
        open = true;
        return true;
    }
    void Close() override {
        if (open) calls.push_back("close");
        open = false;
    }
};

struct Arbitration : ::testing::Test {
    StationState state;
    FakePort port;
    InputArbiter inputs{state, port};
};

TEST_F(Arbitration, SelectionsOpenTheOffSelectionClosesAndAFailedOpenLeavesOff) {
    struct Case {
        TextSelection choose;
        bool refuse;
        bool open;
        TextSelection selected;
    };
    const Case cases[] = {
        {TextSelection::Raw, false, true, TextSelection::Raw},
        {TextSelection::L, false, true, TextSelection::L},  // already open: no second open
        {TextSelection::Off, false, false, TextSelection::Off},
        {TextSelection::K, true, false, TextSelection::Off},  // the port refuses: "OFF"
    };
    for (const Case& c : cases) {
        port.refuse = c.refuse;
        const SelectionResult r = inputs.Select(c.choose);
        EXPECT_EQ(port.open, c.open);
        EXPECT_EQ(inputs.Selection(), c.selected);
        EXPECT_EQ(r.portFailed, c.refuse);
        if (c.refuse) {
            EXPECT_EQ(r.error, "Permission denied");
        }
    }
    EXPECT_EQ(port.calls, (std::vector<std::string>{"open", "close", "open"}));
}

TEST_F(Arbitration, NetworkInputStandsInForThePort) {
    state.flags.networkInputActive = true;
    EXPECT_TRUE(inputs.Select(TextSelection::Raw).portOpened);
    EXPECT_FALSE(port.open);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(Arbitration, DspLoadTakesAnOpenPortAndGivesItBackWithRaw) {
    inputs.Select(TextSelection::M);
    inputs.BeginDspLoad();
    EXPECT_FALSE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Off);
    EXPECT_TRUE(state.flags.serialInputSuspended);
    EXPECT_FALSE(inputs.TelemetrySelectable());
    // The telemetry selections cannot take the port back while the load runs.
    inputs.Select(TextSelection::Raw);
    EXPECT_FALSE(port.open);
    const SelectionResult r = inputs.EndDspLoad();
    EXPECT_TRUE(r.portOpened);
    EXPECT_TRUE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Raw);
    EXPECT_FALSE(state.flags.serialInputSuspended);
    EXPECT_TRUE(inputs.TelemetrySelectable());
}

TEST_F(Arbitration, DspLoadWithTheStationOffLeavesItOff) {
    inputs.BeginDspLoad();
    inputs.EndDspLoad();
    EXPECT_FALSE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Off);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(Arbitration, ClientModeClosesThePortAndReopensItUnlessOffWasChosen) {
    inputs.Select(TextSelection::Raw);
    inputs.BeginNetworkInput();
    EXPECT_FALSE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Raw);  // the view keeps following "Raw"
    inputs.EndNetworkInput();
    EXPECT_TRUE(port.open);

    // "OFF" chosen while the client ran: the port stays closed when client mode ends.
    inputs.BeginNetworkInput();
    inputs.Select(TextSelection::Off);
    inputs.EndNetworkInput();
    EXPECT_FALSE(port.open);

    // A closed port is not reopened by the end of client mode.
    inputs.BeginNetworkInput();
    inputs.Select(TextSelection::Raw);
    port.Close();
    port.calls.clear();
    inputs.BeginNetworkInput();
    inputs.EndNetworkInput();
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(Arbitration, ReplaySwitchesReceptionOffUntilItEndsAndLeavesThePortClosed) {
    inputs.Select(TextSelection::Raw);
    inputs.BeginNetworkInput();  // a client that replay will end
    inputs.BeginReplay();
    EXPECT_FALSE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Off);
    EXPECT_FALSE(inputs.TelemetrySelectable());
    inputs.Select(TextSelection::K);
    EXPECT_FALSE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Off);
    // The end of client mode during replay does not take the port back.
    inputs.EndNetworkInput();
    EXPECT_FALSE(port.open);
    inputs.EndReplay();
    EXPECT_TRUE(inputs.TelemetrySelectable());
    EXPECT_FALSE(port.open);
    EXPECT_EQ(inputs.Selection(), TextSelection::Off);
}

}  // namespace
}  // namespace orv
