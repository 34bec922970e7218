#include "ui/replay_window.h"

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
#include "ui/main_window.h"
#include "ui/channel_graph_window.h"
#include "ui/export_window.h"
#include "ui/raw_data_window.h"
#include "ui/monitor_window.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

constexpr int kFormNumber = 6;
constexpr int kDefaultTopTwips = 50;
constexpr int kDefaultLeftTwips = 300;
constexpr int kTelemetryTextButtons = 5;  // "Raw", "K".."N"

}  // namespace

ReplayWindow::ReplayWindow(MainWindow& mainWindow, RawDataWindow& rawDataWindow, KeyValueStore& store, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow), rawDataWindow_(rawDataWindow), store_(store), messages_(messages) {
    setObjectName("ReplayWindow");
    setWindowTitle(QStringLiteral(" Replay               Orv"));
    AcceptDroppedFiles(this, [this](const QString& path) { DropFile(path); });
    BuildControls();
    RestoreFormPosition(this, store_, kFormNumber, kDefaultTopTwips, kDefaultLeftTwips);
    if (!mainWindow_.FirstRun()) fileListBox1_->SetDirectory(mainWindow_.TelemetryDirectory());
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveFormPosition(this, store_, kFormNumber);
    });
}

void ReplayWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    auto* graph = menuBar->addMenu(QStringLiteral("Graph"));
    graph->addAction(QStringLiteral("Enter byte address"), this, &ReplayWindow::Enterbyteaddress1Click);
    graph->addAction(QStringLiteral("Graph selected channel "), this, &ReplayWindow::Graphselectedchannel1Click);
    menuBar->addAction(QStringLiteral("Export"), this, &ReplayWindow::Export1Click);
    layout->setMenuBar(menuBar);

    fileListBox1_ = new TelemetryFileList(this);
    fileListBox1_->setObjectName("FileListBox1");
    fileListBox1_->setToolTip(QStringLiteral(" File to be replayed "));
    fileListBox1_->setMinimumSize(260, 160);
    connect(fileListBox1_, &TelemetryFileList::FileChosen, this, &ReplayWindow::FileListBox1Click);
    layout->addWidget(fileListBox1_);

    struct Step {
        const char* caption;
        const char* hint;
        void (ReplayWindow::*handler)();
    };
    const Step steps[] = {
        {"|<", " Beginning of file", &ReplayWindow::Button1Click}, {"<<", " Back five blocks ", &ReplayWindow::Button2Click},
        {"<", " Back one block ", &ReplayWindow::Button3Click},    {">", " Forward one block ", &ReplayWindow::Button4Click},
        {">>", " Forward five blocks ", &ReplayWindow::Button5Click}, {">|", " End of file ", &ReplayWindow::Button6Click},
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
    connect(edit1_, &QLineEdit::returnPressed, this, &ReplayWindow::Button7Click);
    go->addWidget(edit1_);
    auto* button7 = new QPushButton(QStringLiteral("Go"), this);
    button7->setObjectName("Button7");
    button7->setFixedWidth(40);
    connect(button7, &QPushButton::clicked, this, &ReplayWindow::Button7Click);
    go->addWidget(button7);
    go->addStretch();
    staticText1_ = SunkenPanel(QStringLiteral("StaticText1"), QStringLiteral(" Current Blk# / Total Blk# "), 130, this);
    staticText1_->setAlignment(Qt::AlignCenter);
    go->addWidget(staticText1_);
    layout->addLayout(go);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ReplayWindow::FileListBox1Click() {
    const QString path = fileListBox1_->SelectedPath().trimmed();
    if (!path.isEmpty()) LoadReplayFile(path);
}

void ReplayWindow::LoadDroppedFile(const QString& path) {
    fileListBox1_->ShowOnly(path);
    fileListBox1_->setEnabled(false);
    LoadReplayFile(path);
}

void ReplayWindow::LoadReplayFile(const QString& path) {
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

void ReplayWindow::ShowReplayBlock() { session_.ShowReplayBlock(mainWindow_.station(), *this); }

void ReplayWindow::Button1Click() {
    session_.First();
    ShowReplayBlock();
}

void ReplayWindow::Button2Click() {
    session_.BackFive();
    ShowReplayBlock();
}

void ReplayWindow::Button3Click() {
    session_.BackOne();
    ShowReplayBlock();
}

void ReplayWindow::Button4Click() {
    session_.ForwardOne();
    ShowReplayBlock();
}

void ReplayWindow::Button5Click() {
    session_.ForwardFive();
    ShowReplayBlock();
}

void ReplayWindow::Button6Click() {
    session_.Last();
    ShowReplayBlock();
}

void ReplayWindow::Button7Click() {
    if (const auto corrected = session_.Go(edit1_->text().toStdString()))
        edit1_->setText(QString::fromStdString(*corrected));
    ShowReplayBlock();
}

void ReplayWindow::Enterbyteaddress1Click() {
    if (HasFile() && graphWindow_) graphWindow_->GraphTypedAddress();
}

void ReplayWindow::Graphselectedchannel1Click() {
    if (HasFile() && graphWindow_) graphWindow_->GraphSelectedChannel();
}

void ReplayWindow::Export1Click() {
    if (HasFile() && exportWindow_) exportWindow_->Open();
}

void ReplayWindow::DropFile(const QString& path) { mainWindow_.DropFile(path); }

QString ReplayWindow::CounterText() const { return staticText1_->text(); }

void ReplayWindow::ShowCounter(std::string_view text) {
    staticText1_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void ReplayWindow::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    // The short form of the raw data window (no status line), captioned "Replay".
    rawDataWindow_.ShowTextBlock(bytes, std::nullopt);
    rawDataWindow_.SetGroupCaption(QStringLiteral("Replay"));
    rawDataWindow_.show();
}

void ReplayWindow::UpdateMonitor() {
    if (monitorWindow_ && monitorWindow_->isVisible()) monitorWindow_->MonitorUpdate();
}

void ReplayWindow::EnableEvents() { mainWindow_.EventsBox()->setEnabled(true); }

void ReplayWindow::DispatchBlock() { mainWindow_.DispatchBlock(); }

void ReplayWindow::FreeFile() {
    session_.Close();
    path_.clear();
}

void ReplayWindow::SetTextButtonsEnabled(bool enabled) {
    for (int i = 0; i < kTelemetryTextButtons; ++i) mainWindow_.TextButton(i)->setEnabled(enabled);
}

void ReplayWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Replay replaces live reception: the serial port closes while this window is open.
    SetTextButtonsEnabled(false);
    FreeFile();
    mainWindow_.TextButton(5)->setChecked(true);
    mainWindow_.RadioButton4Click();
    fileListBox1_->setEnabled(true);
    fileListBox1_->SetDirectory(mainWindow_.FirstRun() ? QString() : mainWindow_.TelemetryDirectory());
    staticText1_->clear();
}

void ReplayWindow::closeEvent(QCloseEvent* event) {
    FreeFile();
    SaveFormPosition(this, store_, kFormNumber);
    SetTextButtonsEnabled(true);
    rawDataWindow_.SetGroupCaption(QStringLiteral("Raw Data"));
    rawDataWindow_.hide();
    if (graphWindow_) graphWindow_->close();
    QWidget::closeEvent(event);
}

}  // namespace orv
