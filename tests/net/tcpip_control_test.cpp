#include <gtest/gtest.h>

#include <QTcpServer>

#include "net/tcpip_control.h"
#include "relay_fixture.h"

namespace orv {
namespace {

using namespace test;

struct FakeMainWindow : MainWindowLink {
    bool open = true;
    std::vector<std::string> calls;
    bool SerialPortOpen() const override { return open; }
    void CloseSerialPort() override {
        open = false;
        calls.push_back("close");
    }
    void OpenSerialPort() override {
        open = true;
        calls.push_back("open");
    }
    void SelectRawView() override { calls.push_back("raw"); }
};

// A port that was free a moment ago.
QString FreePortText() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return QString::number(probe.serverPort());
}

struct Control : ::testing::Test {
    TestStation station;
    FakeMainWindow mainWindow;
    TcpIpControl control{station.station(), station.runtime.receiver(), &mainWindow};
    Control() {
        EnsureApp();
        station.runtime.SetRelay(&control.relay());
    }
};

TEST_F(Control, ModesSetTheControlsTheLinksAndTheSerialPort) {
    control.SetPortText(FreePortText());
    const TcpIpView& v = control.View();

    control.SelectMode(NetMode::Client);
    EXPECT_EQ(mainWindow.calls, (std::vector<std::string>{"close"}));
    EXPECT_TRUE(v.addressVisible && v.buttonVisible && v.portEnabled && v.saveServerSiteEnabled && v.savePortEnabled);
    EXPECT_FALSE(v.modeGroupEnabled);
    EXPECT_EQ(v.addressLabel, "Host TCP/IP Address:");
    EXPECT_EQ(v.buttonText, "Connect");

    control.SelectMode(NetMode::Server);
    EXPECT_EQ(mainWindow.calls, (std::vector<std::string>{"close", "open"}));  // the port is given back
    EXPECT_TRUE(control.relay().Server().IsListening());
    EXPECT_EQ(QString::number(control.relay().Server().Port()), control.PortText());
    EXPECT_EQ(v.status, "Listening...");
    EXPECT_FALSE(v.addressVisible || v.buttonVisible || v.portEnabled || v.saveServerSiteEnabled || v.savePortEnabled);
    EXPECT_TRUE(v.modeGroupEnabled);
    EXPECT_EQ(v.relayItem, 0);

    control.SelectMode(NetMode::Udp);
    EXPECT_FALSE(control.relay().Server().IsListening());
    EXPECT_TRUE(control.relay().UdpOn());
    EXPECT_FALSE(control.relay().RealTime());
    EXPECT_EQ(v.relayItem, 1);
    EXPECT_FALSE(v.modeGroupEnabled);
    EXPECT_EQ(v.addressLabel, "UDP To Address:");
    EXPECT_TRUE(v.addressVisible && v.buttonVisible && v.portEnabled);
    EXPECT_EQ(v.status, "");

    control.SelectMode(NetMode::Off);
    EXPECT_FALSE(control.relay().UdpOn());
    EXPECT_FALSE(v.addressVisible || v.buttonVisible);
    EXPECT_TRUE(v.portEnabled && v.modeGroupEnabled);
    control.SelectRelayItem(0);
    EXPECT_TRUE(control.relay().RealTime());
    EXPECT_EQ(mainWindow.calls.size(), 2U);  // the port was open all along

    // A port already taken: the status says so.
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::Any, 0));
    control.SetPortText(QString::number(squatter.serverPort()));
    control.SelectMode(NetMode::Server);
    EXPECT_FALSE(control.relay().Server().IsListening());
    EXPECT_TRUE(v.status.startsWith(QStringLiteral("Cannot listen on port %1: ").arg(squatter.serverPort()))) << v.status.toStdString();
}

TEST_F(Control, ClientConnectsFollowsTheServersModeAndDisconnects) {
    ServingStation server(false);
    control.SetPortText(QString::number(server.Port()));
    control.SelectMode(NetMode::Client);
    const TcpIpView& v = control.View();

    control.SetAddressText("   ");
    control.PressConnect();  // no address: nothing to connect to
    EXPECT_EQ(control.client().State(), NetworkClient::LinkState::Off);

    control.SetAddressText(" 127.0.0.1 ");
    control.PressConnect();
    EXPECT_FALSE(v.portEnabled || v.savePortEnabled);
    ASSERT_TRUE(WaitUntil([&] { return control.client().IsConnected(); }));
    EXPECT_EQ(v.buttonText, "Disconnect");
    EXPECT_EQ(v.status, "Connect to: 127.0.0.1");
    EXPECT_EQ(mainWindow.calls.back(), "raw");
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
    EXPECT_EQ(control.relay().Udp().Host(), "127.0.0.1");
    EXPECT_EQ(control.relay().Udp().DestinationPort(), kDefaultUdpPort);
    EXPECT_TRUE(control.relay().Udp().Ready());
    EXPECT_FALSE(control.View().buttonVisible);
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
    TcpIpControl again(station.station(), station.runtime.receiver(), nullptr);
    again.LoadSettings(store);
    EXPECT_EQ(again.AddressText(), "ground.example.org");
    EXPECT_EQ(again.PortText(), "5000");
}

}  // namespace
}  // namespace orv
