#include <gtest/gtest.h>

#include "free_port.h"
#include "pty.h"
#include "station/network_control.h"
#include "relay_fixture.h"

namespace orv {
namespace {

using namespace test;

// A station receiving from a serial port (a pseudo-terminal), with "Raw" chosen.
struct Control : ::testing::Test {
    test::PtyPair pty;
    TestStation station;
    NetworkControl& control = station.facade.network();
    Relay& relay = station.facade.relay();
    Control() {
        EnsureApp();
        station.facade.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        station.facade.SelectText(TextSelection::Raw);
    }
    bool SerialOpen() { return station.facade.PortOpen(); }
};

TEST_F(Control, ModesSetTheControlsTheLinksAndTheSerialPort) {
    control.SetPortText(QString::number(FreeTcpPort()));
    const NetworkView& v = control.View();

    ASSERT_TRUE(SerialOpen());
    control.SelectMode(NetMode::Client);
    EXPECT_FALSE(SerialOpen());  // the server's blocks take the serial port's place
    EXPECT_TRUE(v.addressVisible && v.buttonVisible && v.portEnabled && v.saveServerSiteEnabled && v.savePortEnabled);
    EXPECT_FALSE(v.modeGroupEnabled);
    EXPECT_EQ(v.addressLabel, "Host TCP/IP Address:");
    EXPECT_EQ(v.buttonText, "Connect");

    control.SelectMode(NetMode::Server);
    EXPECT_TRUE(SerialOpen());  // the port is given back
    EXPECT_TRUE(relay.Server().IsListening());
    EXPECT_EQ(QString::number(relay.Server().Port()), control.PortText());
    EXPECT_EQ(v.status, "Listening...");
    EXPECT_FALSE(v.addressVisible || v.buttonVisible || v.portEnabled || v.saveServerSiteEnabled || v.savePortEnabled);
    EXPECT_TRUE(v.modeGroupEnabled);
    EXPECT_EQ(v.relayItem, 0);

    control.SelectMode(NetMode::Udp);
    EXPECT_FALSE(relay.Server().IsListening());
    EXPECT_TRUE(relay.UdpOn());
    EXPECT_FALSE(relay.RealTime());
    EXPECT_EQ(v.relayItem, 1);
    EXPECT_FALSE(v.modeGroupEnabled);
    EXPECT_EQ(v.addressLabel, "UDP To Address:");
    EXPECT_TRUE(v.addressVisible && v.buttonVisible && v.portEnabled);
    EXPECT_EQ(v.status, "");

    control.SelectMode(NetMode::Off);
    EXPECT_FALSE(relay.UdpOn());
    EXPECT_FALSE(v.addressVisible || v.buttonVisible);
    EXPECT_TRUE(v.portEnabled && v.modeGroupEnabled);
    control.SelectRelayItem(0);
    EXPECT_TRUE(relay.RealTime());
    EXPECT_TRUE(SerialOpen());  // the port stayed open since

    // A port already taken: the status says so.
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::Any, 0));
    control.SetPortText(QString::number(squatter.serverPort()));
    control.SelectMode(NetMode::Server);
    EXPECT_FALSE(relay.Server().IsListening());
    EXPECT_TRUE(v.status.startsWith(QStringLiteral("Cannot listen on port %1: ").arg(squatter.serverPort()))) << v.status.toStdString();
}

TEST_F(Control, ClientConnectsFollowsTheServersModeAndDisconnects) {
    ServingStation server(false);
    control.SetPortText(QString::number(server.Port()));
    control.SelectMode(NetMode::Client);
    const NetworkView& v = control.View();

    control.SetAddressText("   ");
    control.PressConnect();  // no address: nothing to connect to
    EXPECT_EQ(station.facade.client().State(), RelayClientInput::LinkState::Off);

    control.SetAddressText(" 127.0.0.1 ");
    control.PressConnect();
    EXPECT_FALSE(v.portEnabled || v.savePortEnabled);
    ASSERT_TRUE(WaitUntil([&] { return station.facade.client().IsConnected(); }));
    EXPECT_EQ(v.buttonText, "Disconnect");
    EXPECT_EQ(v.status, "Connect to: 127.0.0.1");
    EXPECT_EQ(station.facade.Selection(), TextSelection::Raw);  // the view follows "Raw"
    EXPECT_TRUE(station.station().flags.networkInputActive);

    control.SelectRelayItem(1);  // not while connected
    EXPECT_EQ(v.relayItem, 0);
    ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().HasClients(); }));
    server.Receive(NumberedBlock(1), 514);
    ASSERT_TRUE(WaitUntil([&] { return station.blocks.size() == 1; }));
    EXPECT_EQ(v.relayItem, 1);  // learned: the server sends whole blocks

    control.PressConnect();
    EXPECT_EQ(v.buttonText, "Connect");
    EXPECT_TRUE(v.portEnabled && v.savePortEnabled);
    EXPECT_FALSE(station.station().flags.networkInputActive);
    ASSERT_TRUE(WaitUntil([&] { return !server.relay.Server().HasClients(); }));
}

TEST_F(Control, UdpConnectSetsTheDestinationAndHidesTheButton) {
    control.SelectMode(NetMode::Udp);
    control.SetAddressText(" 127.0.0.1 ");
    control.SetPortText("not a port");
    control.PressConnect();
    EXPECT_EQ(relay.Udp().Host(), "127.0.0.1");
    EXPECT_EQ(relay.Udp().DestinationPort(), kDefaultUdpPort);
    EXPECT_TRUE(relay.Udp().Ready());
    EXPECT_FALSE(control.View().buttonVisible);

    // Closing the window ends the TCP links only: the UDP relay goes on to the same destination.
    control.Close();
    EXPECT_TRUE(relay.UdpOn());
    EXPECT_EQ(relay.Udp().Host(), "127.0.0.1");
    EXPECT_TRUE(relay.Udp().Ready());
}

TEST_F(Control, AddressAndPortAreSavedAndReadBack) {
    MemoryStore store;
    control.LoadSettings(store);
    EXPECT_EQ(control.PortText(), "1024");
    EXPECT_EQ(control.AddressText(), "");
    control.SetAddressText("ground.example.org");
    control.SetPortText("5000");
    control.SaveServerSite(store);
    control.SavePort(store);
    EXPECT_EQ(store.Read("Startup", "Server Site"), "ground.example.org");
    EXPECT_EQ(store.Read("Startup", "TCP/IP Port"), "5000");
    NetworkControl again(station.facade);
    again.LoadSettings(store);
    EXPECT_EQ(again.AddressText(), "ground.example.org");
    EXPECT_EQ(again.PortText(), "5000");
}

}  // namespace
}  // namespace orv
