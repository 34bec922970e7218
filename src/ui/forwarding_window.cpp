#include "ui/forwarding_window.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "forward/kiss_server.h"
#include "forward/mqtt_publisher.h"
#include "forward/sids_submitter.h"
#include "station/forwarding.h"
#include "station/station.h"
#include "ui/window_text.h"

namespace orv {
namespace {

QLineEdit* Field(const QString& name, QWidget* parent, int width = 220) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(name);
    f->setMinimumWidth(width);
    return f;
}

QString Text(const std::string& s) { return QString::fromStdString(s); }
std::string Text(const QLineEdit* f) { return f->text().toStdString(); }

}  // namespace

ForwardingWindow::ForwardingWindow(Station& station, QWidget* parent) : QMainWindow(parent), station_(station) {
    setWindowTitle(WindowTitle(u"Forwarding          Orv"));
    Build();
    SetFields(ReadForwardingSettings(station_.store()));
    connect(&station_.forwarding(), &Forwarding::StatusChanged, this, &ForwardingWindow::ShowStatus);
    connect(&station_, &Station::KissInputStatus, this, &ForwardingWindow::ShowStatus);
    connect(&station_.forwarding(), &Forwarding::CountsChanged, this, &ForwardingWindow::RefreshCounts);
    // A loss report's line also brings the losses up to date at once.
    connect(&station_.forwarding(), &Forwarding::StatusChanged, this, &ForwardingWindow::RefreshCounts);
    refresh_.setInterval(1000);
    connect(&refresh_, &QTimer::timeout, this, &ForwardingWindow::RefreshCounts);
    refresh_.start();
    RefreshCounts();
}

void ForwardingWindow::Build() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* kiss = new QGroupBox(QStringLiteral("KISS"), central);
    auto* kissForm = new QFormLayout(kiss);
    kissServeOn_ = new QCheckBox(QStringLiteral("Serve on TCP port"), kiss);
    kissServePort_ = Field(QStringLiteral("KissServePort"), kiss, 80);
    kissForm->addRow(kissServeOn_, kissServePort_);
    kissOutOn_ = new QCheckBox(QStringLiteral("Append to file"), kiss);
    kissOutFile_ = Field(QStringLiteral("KissOutFile"), kiss);
    kissForm->addRow(kissOutOn_, kissOutFile_);
    kissConnectOn_ = new QCheckBox(QStringLiteral("Read from server"), kiss);
    kissConnect_ = Field(QStringLiteral("KissConnect"), kiss);
    kissConnect_->setPlaceholderText(QStringLiteral("host:port, e.g. localhost:8001"));
    kissForm->addRow(kissConnectOn_, kissConnect_);
    kissGoodOnly_ = new QCheckBox(QStringLiteral("Out: blocks with a good CRCC only"), kiss);
    kissGoodOnly_->setObjectName(QStringLiteral("KissGoodOnly"));
    kissForm->addRow(kissGoodOnly_);
    kissTimestamps_ = new QCheckBox(QStringLiteral("Out: a timestamp frame before each block (gr-satellites)"), kiss);
    kissTimestamps_->setObjectName(QStringLiteral("KissTimestamps"));
    kissForm->addRow(kissTimestamps_);
    layout->addWidget(kiss);

    auto* sids = new QGroupBox(QStringLiteral("SiDS submission"), central);
    auto* sidsForm = new QFormLayout(sids);
    sidsOn_ = new QCheckBox(QStringLiteral("Submit to"), sids);
    sidsUrl_ = Field(QStringLiteral("SidsUrl"), sids, 300);
    sidsForm->addRow(sidsOn_, sidsUrl_);
    callsign_ = Field(QStringLiteral("Callsign"), sids, 100);
    sidsForm->addRow(QStringLiteral("Callsign"), callsign_);
    latitude_ = Field(QStringLiteral("Latitude"), sids, 100);
    latitude_->setPlaceholderText(QStringLiteral("52.0146N"));
    sidsForm->addRow(QStringLiteral("Latitude"), latitude_);
    longitude_ = Field(QStringLiteral("Longitude"), sids, 100);
    longitude_->setPlaceholderText(QStringLiteral("4.3647E"));
    sidsForm->addRow(QStringLiteral("Longitude"), longitude_);
    noradId_ = Field(QStringLiteral("NoradId"), sids, 80);
    noradId_->setToolTip(QStringLiteral("26609 for AO-40, 43700 for the QO-100 beacon"));
    sidsForm->addRow(QStringLiteral("NORAD ID"), noradId_);
    layout->addWidget(sids);

    auto* mqtt = new QGroupBox(QStringLiteral("MQTT"), central);
    auto* mqttForm = new QFormLayout(mqtt);
    mqttOn_ = new QCheckBox(QStringLiteral("Publish to broker"), mqtt);
    mqttBroker_ = Field(QStringLiteral("MqttBroker"), mqtt);
    mqttForm->addRow(mqttOn_, mqttBroker_);
    mqttTopic_ = Field(QStringLiteral("MqttTopic"), mqtt);
    mqttForm->addRow(QStringLiteral("Topic prefix"), mqttTopic_);
    mqttUser_ = Field(QStringLiteral("MqttUser"), mqtt);
    mqttForm->addRow(QStringLiteral("User (optional)"), mqttUser_);
    mqttPasswordFile_ = Field(QStringLiteral("MqttPasswordFile"), mqtt);
    mqttForm->addRow(QStringLiteral("Password file"), mqttPasswordFile_);
    mqttCaFile_ = Field(QStringLiteral("MqttCaFile"), mqtt);
    mqttCaFile_->setPlaceholderText(QStringLiteral("empty: no TLS"));
    mqttForm->addRow(QStringLiteral("CA file (TLS)"), mqttCaFile_);
    mqttDiscovery_ = new QCheckBox(QStringLiteral("Home Assistant discovery"), mqtt);
    mqttDiscovery_->setObjectName(QStringLiteral("MqttDiscovery"));
    mqttForm->addRow(mqttDiscovery_);
    layout->addWidget(mqtt);

    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QStringLiteral("Apply"), central);
    apply->setObjectName(QStringLiteral("Apply"));
    connect(apply, &QPushButton::clicked, this, [this] { ApplyClick(); });
    buttons->addStretch();
    buttons->addWidget(apply);
    layout->addLayout(buttons);

    counts_ = new QLabel(central);
    counts_->setObjectName(QStringLiteral("Counts"));
    layout->addWidget(counts_);
    losses_ = new QLabel(central);
    losses_->setObjectName(QStringLiteral("Losses"));
    losses_->setWordWrap(true);
    layout->addWidget(losses_);
    status_ = new QLabel(central);
    status_->setObjectName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    setCentralWidget(central);
}

ForwardingSettings ForwardingWindow::Fields() const {
    ForwardingSettings s;
    s.kissServeOn = kissServeOn_->isChecked();
    s.kissServePort = Text(kissServePort_);
    s.kissOutOn = kissOutOn_->isChecked();
    s.kissOutFile = Text(kissOutFile_);
    s.kissConnectOn = kissConnectOn_->isChecked();
    s.kissConnect = Text(kissConnect_);
    s.kissGoodOnly = kissGoodOnly_->isChecked();
    s.kissTimestamps = kissTimestamps_->isChecked();
    s.sidsOn = sidsOn_->isChecked();
    s.sidsUrl = Text(sidsUrl_);
    s.callsign = Text(callsign_);
    s.latitude = Text(latitude_);
    s.longitude = Text(longitude_);
    s.noradId = Text(noradId_);
    s.mqttOn = mqttOn_->isChecked();
    s.mqttBroker = Text(mqttBroker_);
    s.mqttTopic = Text(mqttTopic_);
    s.mqttUser = Text(mqttUser_);
    s.mqttPasswordFile = Text(mqttPasswordFile_);
    s.mqttCaFile = Text(mqttCaFile_);
    s.mqttDiscovery = mqttDiscovery_->isChecked();
    return s;
}

void ForwardingWindow::SetFields(const ForwardingSettings& s) {
    kissServeOn_->setChecked(s.kissServeOn);
    kissServePort_->setText(Text(s.kissServePort));
    kissOutOn_->setChecked(s.kissOutOn);
    kissOutFile_->setText(Text(s.kissOutFile));
    kissConnectOn_->setChecked(s.kissConnectOn);
    kissConnect_->setText(Text(s.kissConnect));
    kissGoodOnly_->setChecked(s.kissGoodOnly);
    kissTimestamps_->setChecked(s.kissTimestamps);
    sidsOn_->setChecked(s.sidsOn);
    sidsUrl_->setText(Text(s.sidsUrl));
    callsign_->setText(Text(s.callsign));
    latitude_->setText(Text(s.latitude));
    longitude_->setText(Text(s.longitude));
    noradId_->setText(Text(s.noradId));
    mqttOn_->setChecked(s.mqttOn);
    mqttBroker_->setText(Text(s.mqttBroker));
    mqttTopic_->setText(Text(s.mqttTopic));
    mqttUser_->setText(Text(s.mqttUser));
    mqttPasswordFile_->setText(Text(s.mqttPasswordFile));
    mqttCaFile_->setText(Text(s.mqttCaFile));
    mqttDiscovery_->setChecked(s.mqttDiscovery);
}

bool ForwardingWindow::ApplyStored() { return Apply(ReadForwardingSettings(station_.store())); }

bool ForwardingWindow::ApplyClick() {
    const ForwardingSettings settings = Fields();
    WriteForwardingSettings(station_.store(), settings);
    return Apply(settings);
}

bool ForwardingWindow::Apply(const ForwardingSettings& settings) {
    const std::string error = ApplyForwardingSettings(settings, station_, [](const std::string&) {});
    if (!error.empty()) ShowStatus(Text(error));
    else if (!settings.kissServeOn && !settings.kissOutOn && !settings.kissConnectOn && !settings.sidsOn && !settings.mqttOn)
        ShowStatus(QStringLiteral("Forwarding off"));
    RefreshCounts();
    return error.empty();
}

void ForwardingWindow::ShowStatus(const QString& text) { status_->setText(text); }

void ForwardingWindow::RefreshCounts() {
    const Forwarding& f = station_.forwarding();
    QStringList lines;
    if (f.kissServer())
        lines << QStringLiteral("KISS: %1 client(s) on port %2, %3 frames sent")
                     .arg(f.kissServer()->Server().ClientCount())
                     .arg(f.kissServer()->Server().Port())
                     .arg(f.kissServer()->FramesSent());
    if (f.kissFile())
        lines << QStringLiteral("KISS file: %1 frames written, %2 failed").arg(f.kissFile()->Written()).arg(f.kissFile()->Failed());
    if (f.sids()) lines << f.SidsCountsText();
    if (f.mqtt())
        lines << QStringLiteral("MQTT: %1, %2 published, %3 waiting, %4 dropped")
                     .arg(f.mqtt()->Connected() ? QStringLiteral("connected") : QStringLiteral("not connected"))
                     .arg(f.mqtt()->Published())
                     .arg(f.mqtt()->Queued())
                     .arg(f.mqtt()->Dropped());
    counts_->setText(lines.join(QLatin1Char('\n')));
    // What an output lost: red while it loses, in the window's colour once it writes again.
    losses_->setText(f.LossTexts().join(QLatin1Char('\n')));
    QPalette palette = losses_->palette();
    palette.setColor(QPalette::WindowText, f.Losing() ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    losses_->setPalette(palette);
    losses_->setVisible(!losses_->text().isEmpty());
}

}  // namespace orv
