#include "ui/torv6.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "files/telemetry_number.h"
#include "ui/form_position.h"
#include "ui/key_filter_validator.h"
#include "ui/files_window_parts.h"
#include "ui/torv1.h"
#include "ui/torv10.h"
#include "ui/torv17.h"
#include "ui/torv2.h"
#include "ui/torv8.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

constexpr int kFormNumber = 6;
constexpr int kDefaultTopTwips = 50;
constexpr int kDefaultLeftTwips = 300;
constexpr int kTelemetryTextButtons = 5;  // "Raw", "K".."N"

}  // namespace

TOrv6::TOrv6(TOrv1& orv1, TOrv2& orv2, KeyValueStore& store, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      orv1_(orv1), orv2_(orv2), store_(store), messages_(messages) {
    setObjectName("Orv6");
    setWindowTitle(QStringLiteral(" Replay               Orv"));
    AcceptDroppedFiles(this, [this](const QString& path) { DropFile(path); });
    BuildControls();
    RestoreFormPosition(this, store_, kFormNumber, kDefaultTopTwips, kDefaultLeftTwips);
    if (!orv1_.FirstRun()) fileListBox1_->SetDirectory(orv1_.TelemetryDirectory());
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveFormPosition(this, store_, kFormNumber);
    });
}

void TOrv6::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    auto* graph = menuBar->addMenu(QStringLiteral("Graph"));
    graph->addAction(QStringLiteral("Enter byte address"), this, &TOrv6::Enterbyteaddress1Click);
    graph->addAction(QStringLiteral("Graph selected channel "), this, &TOrv6::Graphselectedchannel1Click);
    menuBar->addAction(QStringLiteral("Export"), this, &TOrv6::Export1Click);
    layout->setMenuBar(menuBar);

    fileListBox1_ = new TelemetryFileList(this);
    fileListBox1_->setObjectName("FileListBox1");
    fileListBox1_->setToolTip(QStringLiteral(" File to be replayed "));
    fileListBox1_->setMinimumSize(260, 160);
    connect(fileListBox1_, &TelemetryFileList::FileChosen, this, &TOrv6::FileListBox1Click);
    layout->addWidget(fileListBox1_);

    struct Step {
        const char* caption;
        const char* hint;
        void (TOrv6::*handler)();
    };
    const Step steps[] = {
        {"|<", " Beginning of file", &TOrv6::Button1Click}, {"<<", " Back five blocks ", &TOrv6::Button2Click},
        {"<", " Back one block ", &TOrv6::Button3Click},    {">", " Forward one block ", &TOrv6::Button4Click},
        {">>", " Forward five blocks ", &TOrv6::Button5Click}, {">|", " End of file ", &TOrv6::Button6Click},
    };
    auto* buttons = new QHBoxLayout;
    int n = 1;
    for (const Step& step : steps) {
        auto* b = new QPushButton(QString::fromLatin1(step.caption), this);
        b->setObjectName(QStringLiteral("Button%1").arg(n++));
        b->setToolTip(QString::fromLatin1(step.hint));
        b->setFixedWidth(40);
        b->setAutoRepeat(true);  // holding a button steps on
        connect(b, &QPushButton::clicked, this, step.handler);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    auto* go = new QHBoxLayout;
    go->addWidget(new QLabel(QStringLiteral("Go To Blk:"), this));
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName("Edit1");
    edit1_->setFixedWidth(90);
    new KeyFilterValidator(edit1_, [](char key, std::string_view) { return DigitKey(key); });
    connect(edit1_, &QLineEdit::returnPressed, this, &TOrv6::Button7Click);
    go->addWidget(edit1_);
    auto* button7 = new QPushButton(QStringLiteral("Go"), this);
    button7->setObjectName("Button7");
    button7->setFixedWidth(40);
    connect(button7, &QPushButton::clicked, this, &TOrv6::Button7Click);
    go->addWidget(button7);
    go->addStretch();
    staticText1_ = SunkenPanel(QStringLiteral("StaticText1"), QStringLiteral(" Current Blk# / Total Blk# "), 130, this);
    staticText1_->setAlignment(Qt::AlignCenter);
    go->addWidget(staticText1_);
    layout->addLayout(go);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TOrv6::FileListBox1Click() {
    const QString path = fileListBox1_->SelectedPath().trimmed();
    if (!path.isEmpty()) LoadReplayFile(path);
}

void TOrv6::LoadDroppedFile(const QString& path) {
    fileListBox1_->ShowOnly(path);
    fileListBox1_->setEnabled(false);
    LoadReplayFile(path);
}

void TOrv6::LoadReplayFile(const QString& path) {
    path_ = path;
    const ReplaySession::LoadResult result = session_.Load(path.toStdString());
    // A damaged length is reported and the whole records are used; a file that cannot be read
    // gets the same message and shows nothing.
    if (!result.message.empty()) messages_.Inform(QString::fromStdString(result.message));
    if (!result.loaded) {
        staticText1_->clear();
        return;
    }
    ShowCounter(session_.CounterText());
    ShowReplayBlock();
}

void TOrv6::ShowReplayBlock() { session_.ShowReplayBlock(orv1_.station(), *this); }

void TOrv6::Button1Click() {
    session_.First();
    ShowReplayBlock();
}

void TOrv6::Button2Click() {
    session_.BackFive();
    ShowReplayBlock();
}

void TOrv6::Button3Click() {
    session_.BackOne();
    ShowReplayBlock();
}

void TOrv6::Button4Click() {
    session_.ForwardOne();
    ShowReplayBlock();
}

void TOrv6::Button5Click() {
    session_.ForwardFive();
    ShowReplayBlock();
}

void TOrv6::Button6Click() {
    session_.Last();
    ShowReplayBlock();
}

void TOrv6::Button7Click() {
    if (const auto corrected = session_.Go(edit1_->text().toStdString()))
        edit1_->setText(QString::fromStdString(*corrected));
    ShowReplayBlock();
}

void TOrv6::Enterbyteaddress1Click() {
    if (HasFile() && orv10_) orv10_->GraphTypedAddress();
}

void TOrv6::Graphselectedchannel1Click() {
    if (HasFile() && orv10_) orv10_->GraphSelectedChannel();
}

void TOrv6::Export1Click() {
    if (HasFile() && orv17_) orv17_->Open();
}

void TOrv6::DropFile(const QString& path) { orv1_.DropFile(path); }

QString TOrv6::CounterText() const { return staticText1_->text(); }

void TOrv6::ShowCounter(std::string_view text) {
    staticText1_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TOrv6::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    // The short form of the raw data window (no status line), captioned "Replay".
    orv2_.ShowTextBlock(bytes, std::nullopt);
    orv2_.SetGroupCaption(QStringLiteral("Replay"));
    orv2_.show();
}

void TOrv6::UpdateMonitor() {
    if (orv8_ && orv8_->isVisible()) orv8_->MonitorUpdate();
}

void TOrv6::EnableEvents() { orv1_.EventsBox()->setEnabled(true); }

void TOrv6::DispatchBlock() { orv1_.DispatchBlock(); }

void TOrv6::FreeFile() {
    session_.Close();
    path_.clear();
}

void TOrv6::SetTextButtonsEnabled(bool enabled) {
    for (int i = 0; i < kTelemetryTextButtons; ++i) orv1_.TextButton(i)->setEnabled(enabled);
}

void TOrv6::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Replay replaces live reception: the serial port closes while this window is open.
    SetTextButtonsEnabled(false);
    FreeFile();
    orv1_.TextButton(5)->setChecked(true);
    orv1_.RadioButton4Click();
    fileListBox1_->setEnabled(true);
    fileListBox1_->SetDirectory(orv1_.FirstRun() ? QString() : orv1_.TelemetryDirectory());
    staticText1_->clear();
}

void TOrv6::closeEvent(QCloseEvent* event) {
    FreeFile();
    SaveFormPosition(this, store_, kFormNumber);
    SetTextButtonsEnabled(true);
    orv2_.SetGroupCaption(QStringLiteral("Raw Data"));
    orv2_.hide();
    if (orv10_) orv10_->close();
    QWidget::closeEvent(event);
}

}  // namespace orv
