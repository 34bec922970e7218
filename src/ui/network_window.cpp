#include "ui/network_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "ui/form_position.h"
#include "ui/main_window.h"

namespace orv {
namespace {

constexpr int kFormNumber = 19;
constexpr int kDefaultTopTwips = 3000;
constexpr int kDefaultLeftTwips = 6000;

}  // namespace

NetworkWindow::NetworkWindow(MainWindow& mainWindow, KeyValueStore& store, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow), store_(store), control_(mainWindow.station(), mainWindow.runtime().receiver(), this) {
    setObjectName("NetworkWindow");
    setWindowTitle(QStringLiteral("TCP/IP          Orv"));
    BuildControls();
    BuildMenu();
    // Every block the station receives passes the relay; the client's blocks enter its receiver.
    mainWindow_.runtime().SetRelay(&control_.relay());
    connect(&control_, &TcpIpControl::ViewChanged, this, &NetworkWindow::Refresh);
    control_.LoadSettings(store_);
    Refresh();
    RestoreFormPosition(this, store_, kFormNumber, kDefaultTopTwips, kDefaultLeftTwips);
    // The program ends by closing the main window; an open TCP/IP window keeps its place then too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveFormPosition(this, store_, kFormNumber);
    });
}

NetworkWindow::~NetworkWindow() {
    mainWindow_.SetTcpIpControl({}, {}, {});
    mainWindow_.runtime().SetRelay(nullptr);
}

void NetworkWindow::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* layout = new QGridLayout(central);

    const char* captions[] = {"Client (data in)", "Server (data out)", "TCP/IP Off", "UDP (data out)"};
    modeGroup_ = new QButtonGroup(this);
    auto* modes = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(captions[i]), central);
        b->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        modeGroup_->addButton(b, i);
        modes->addWidget(b);
        modeButtons_[static_cast<std::size_t>(i)] = b;
    }
    connect(modeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) SelectMode(static_cast<NetMode>(id));
    });
    layout->addLayout(modes, 0, 0, 4, 1);

    label1_ = new QLabel(central);
    label1_->setObjectName("Label1");
    edit1_ = new QLineEdit(central);
    edit1_->setObjectName("Edit1");
    edit1_->setMinimumWidth(180);
    connect(edit1_, &QLineEdit::textEdited, this, [this](const QString& text) { control_.SetAddressText(text); });
    layout->addWidget(label1_, 0, 1, 1, 2);
    layout->addWidget(edit1_, 1, 1, 1, 2);

    auto* label2 = new QLabel(QStringLiteral("Port:"), central);
    label2->setObjectName("Label2");
    edit2_ = new QLineEdit(central);
    edit2_->setObjectName("Edit2");
    edit2_->setMaximumWidth(70);
    connect(edit2_, &QLineEdit::textEdited, this, [this](const QString& text) { control_.SetPortText(text); });
    button1_ = new QPushButton(QStringLiteral("Connect"), central);
    button1_->setObjectName("Button1");
    connect(button1_, &QPushButton::clicked, this, &NetworkWindow::Button1Click);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(label2);
    portRow->addWidget(edit2_);
    portRow->addStretch(1);
    portRow->addWidget(button1_);
    layout->addLayout(portRow, 2, 1, 1, 2);

    radioGroup1_ = new QGroupBox(QStringLiteral("Relay"), central);
    radioGroup1_->setObjectName("RadioGroup1");
    auto* items = new QHBoxLayout(radioGroup1_);
    relayGroup_ = new QButtonGroup(this);
    const char* itemCaptions[] = {"Real time", "Full block"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(itemCaptions[i]), radioGroup1_);
        relayGroup_->addButton(b, i);
        items->addWidget(b);
        relayItems_[static_cast<std::size_t>(i)] = b;
    }
    connect(relayGroup_, &QButtonGroup::idClicked, this, &NetworkWindow::RadioGroup1Click);
    layout->addWidget(radioGroup1_, 3, 1, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The window keeps its size and layout while the address controls come and go with the mode.
    for (QWidget* w : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(edit1_), static_cast<QWidget*>(button1_)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }

    status_ = new QLabel(this);
    status_->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(status_, 1);
}

void NetworkWindow::BuildMenu() {
    auto* menu = menuBar()->addMenu(QStringLiteral("Menu"));
    saveServerSite_ = menu->addAction(QStringLiteral("Save Server IP Addr"), this, &NetworkWindow::SaveServerIPAddr1Click);
    savePort_ = menu->addAction(QStringLiteral("Save Port"), this, &NetworkWindow::SavePort1Click);
}

void NetworkWindow::SelectMode(NetMode mode) {
    if (control_.Mode() == mode) {
        Refresh();
        return;
    }
    control_.SelectMode(mode);
}

void NetworkWindow::RadioButton1Click() { modeButtons_[0]->setChecked(true); }
void NetworkWindow::RadioButton2Click() { modeButtons_[1]->setChecked(true); }
void NetworkWindow::RadioButton3Click() { modeButtons_[2]->setChecked(true); }
void NetworkWindow::RadioButton4Click() { modeButtons_[3]->setChecked(true); }

void NetworkWindow::Button1Click() { control_.PressConnect(); }

void NetworkWindow::RadioGroup1Click(int item) { control_.SelectRelayItem(item); }

void NetworkWindow::SaveServerIPAddr1Click() { control_.SaveServerSite(store_); }
void NetworkWindow::SavePort1Click() { control_.SavePort(store_); }

void NetworkWindow::BootServer() {
    show();
    RadioButton2Click();
}

bool NetworkWindow::LinkActive() {
    // A client that is connected or still trying, or a listening server.
    return control_.client().State() != NetworkClient::LinkState::Off || control_.relay().Server().IsListening();
}

QString NetworkWindow::StatusText() const { return status_->text(); }

void NetworkWindow::Refresh() {
    const TcpIpView& v = control_.View();
    {
        const QSignalBlocker blocker(modeGroup_);
        modeButtons_[static_cast<std::size_t>(control_.Mode())]->setChecked(true);
    }
    label1_->setText(v.addressLabel);
    label1_->setVisible(v.addressVisible);
    edit1_->setVisible(v.addressVisible);
    button1_->setVisible(v.buttonVisible);
    button1_->setText(v.buttonText);
    edit2_->setEnabled(v.portEnabled);
    saveServerSite_->setEnabled(v.saveServerSiteEnabled);
    savePort_->setEnabled(v.savePortEnabled);
    radioGroup1_->setEnabled(v.modeGroupEnabled);
    {
        const QSignalBlocker blocker(relayGroup_);
        relayItems_[static_cast<std::size_t>(v.relayItem)]->setChecked(true);
    }
    status_->setText(v.status);
    if (edit1_->text() != control_.AddressText()) edit1_->setText(control_.AddressText());
    if (edit2_->text() != control_.PortText()) edit2_->setText(control_.PortText());
}

void NetworkWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Refresh();
    modeButtons_[static_cast<std::size_t>(NetMode::Off)]->setFocus();
}

void NetworkWindow::closeEvent(QCloseEvent* event) {
    // Closing the window ends the network link: both sockets close.
    RadioButton3Click();
    control_.Close();
    SaveFormPosition(this, store_, kFormNumber);
    QMainWindow::closeEvent(event);
}

bool NetworkWindow::SerialPortOpen() const { return mainWindow_.runtime().serial().IsOpen(); }

void NetworkWindow::CloseSerialPort() { mainWindow_.runtime().CloseSerialPort(); }

void NetworkWindow::OpenSerialPort() {
    // Given back only while the main window still wants data ("OFF" chosen meanwhile keeps it shut).
    if (mainWindow_.station().flags.selection != TextSelection::Off) mainWindow_.OpenSerialPort();
}

void NetworkWindow::SelectRawView() {
    mainWindow_.TextButton(0)->setChecked(true);
    mainWindow_.RadioButton1Click();
}

void AttachTcpIpWindow(MainWindow& mainWindow, NetworkWindow& networkWindow) {
    mainWindow.AttachMenuWindow(MenuWindow::Internet, &networkWindow, [&networkWindow] {
        networkWindow.show();
        networkWindow.raise();
        networkWindow.activateWindow();
    });
    mainWindow.SetTcpIpControl([&networkWindow] { return networkWindow.LinkActive(); }, [&networkWindow] { networkWindow.RadioButton3Click(); },
                         [&networkWindow] { networkWindow.BootServer(); });
}

}  // namespace orv
