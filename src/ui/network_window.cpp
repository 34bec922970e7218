#include "ui/network_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "station/station.h"
#include "ui/form_position.h"
#include "ui/menu_keys.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 19, .defaultTopTwips = 3000, .defaultLeftTwips = 6000};

}  // namespace

NetworkWindow::NetworkWindow(Station& station, KeyValueStore& store, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      store_(store), control_(station.network()) {
    setObjectName("NetworkWindow");
    setWindowTitle(WindowTitle(u"TCP/IP          Orv"));
    BuildControls();
    BuildMenu();
    connect(&control_, &NetworkControl::ViewChanged, this, &NetworkWindow::Refresh);
    control_.LoadSettings(store_);
    Refresh();
    KeepFormPosition(this, store_, kForm, kSaveOnClose | kSaveAtQuit);
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
        b->setObjectName(QStringLiteral("ModeButton%1").arg(i + 1));
        modeGroup_->addButton(b, i);
        modes->addWidget(b);
        modeButtons_[static_cast<std::size_t>(i)] = b;
    }
    connect(modeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) SelectMode(static_cast<NetMode>(id));
    });
    layout->addLayout(modes, 0, 0, 4, 1);

    addressLabel_ = new QLabel(central);
    addressLabel_->setObjectName("AddressLabel");
    addressField_ = new QLineEdit(central);
    addressField_->setObjectName("AddressField");
    addressField_->setMinimumWidth(180);
    connect(addressField_, &QLineEdit::textEdited, this, [this](const QString& text) { control_.SetAddressText(text); });
    layout->addWidget(addressLabel_, 0, 1, 1, 2);
    layout->addWidget(addressField_, 1, 1, 1, 2);

    auto* label2 = new QLabel(QStringLiteral("Port:"), central);
    label2->setObjectName("Label2");
    portField_ = new QLineEdit(central);
    portField_->setObjectName("PortField");
    portField_->setMaximumWidth(70);
    connect(portField_, &QLineEdit::textEdited, this, [this](const QString& text) { control_.SetPortText(text); });
    connectButton_ = new QPushButton(QStringLiteral("Connect"), central);
    connectButton_->setObjectName("ConnectButton");
    connect(connectButton_, &QPushButton::clicked, this, &NetworkWindow::ConnectClick);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(label2);
    portRow->addWidget(portField_);
    portRow->addStretch(1);
    portRow->addWidget(connectButton_);
    layout->addLayout(portRow, 2, 1, 1, 2);

    relayBox_ = new QGroupBox(QStringLiteral("Relay"), central);
    relayBox_->setObjectName("RelayBox");
    auto* items = new QHBoxLayout(relayBox_);
    relayGroup_ = new QButtonGroup(this);
    const char* itemCaptions[] = {"Real time", "Full block"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(itemCaptions[i]), relayBox_);
        relayGroup_->addButton(b, i);
        items->addWidget(b);
        relayItems_[static_cast<std::size_t>(i)] = b;
    }
    connect(relayGroup_, &QButtonGroup::idClicked, this, &NetworkWindow::ChooseRelayItem);
    layout->addWidget(relayBox_, 3, 1, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The window keeps its size and layout while the address controls come and go with the mode.
    for (QWidget* w : {static_cast<QWidget*>(addressLabel_), static_cast<QWidget*>(addressField_), static_cast<QWidget*>(connectButton_)}) {
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
    auto* menu = menuBar()->addMenu(QStringLiteral("&Menu"));
    saveServerSite_ = menu->addAction(QStringLiteral("Save Server &IP Addr"), this, &NetworkWindow::SaveServerSiteClick);
    savePort_ = menu->addAction(QStringLiteral("Save &Port"), this, &NetworkWindow::SavePortClick);
    OpenMenusByKeyboard(this, menuBar());
}

void NetworkWindow::SelectMode(NetMode mode) {
    if (control_.Mode() == mode) {
        Refresh();
        return;
    }
    control_.SelectMode(mode);
}

void NetworkWindow::ChooseMode(NetMode mode) { modeButtons_[static_cast<std::size_t>(mode)]->setChecked(true); }

void NetworkWindow::ConnectClick() { control_.PressConnect(); }

void NetworkWindow::ChooseRelayItem(int item) { control_.SelectRelayItem(item); }

void NetworkWindow::SaveServerSiteClick() { control_.SaveServerSite(store_); }
void NetworkWindow::SavePortClick() { control_.SavePort(store_); }

QString NetworkWindow::StatusText() const { return status_->text(); }

void NetworkWindow::Refresh() {
    const NetworkView& v = control_.View();
    {
        const QSignalBlocker blocker(modeGroup_);
        modeButtons_[static_cast<std::size_t>(control_.Mode())]->setChecked(true);
    }
    addressLabel_->setText(v.addressLabel);
    addressLabel_->setVisible(v.addressVisible);
    addressField_->setVisible(v.addressVisible);
    connectButton_->setVisible(v.buttonVisible);
    connectButton_->setText(v.buttonText);
    portField_->setEnabled(v.portEnabled);
    saveServerSite_->setEnabled(v.saveServerSiteEnabled);
    savePort_->setEnabled(v.savePortEnabled);
    relayBox_->setEnabled(v.modeGroupEnabled);
    {
        const QSignalBlocker blocker(relayGroup_);
        relayItems_[static_cast<std::size_t>(v.relayItem)]->setChecked(true);
    }
    status_->setText(v.status);
    if (addressField_->text() != control_.AddressText()) addressField_->setText(control_.AddressText());
    if (portField_->text() != control_.PortText()) portField_->setText(control_.PortText());
}

void NetworkWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Refresh();
    modeButtons_[static_cast<std::size_t>(NetMode::Off)]->setFocus();
}

void NetworkWindow::closeEvent(QCloseEvent* event) {
    // Closing the window ends the TCP link (client or server); the UDP relay keeps sending, and
    // the window shows it again when reopened.
    if (control_.Mode() != NetMode::Udp) ChooseMode(NetMode::Off);
    control_.Close();
    QMainWindow::closeEvent(event);
}

}  // namespace orv
