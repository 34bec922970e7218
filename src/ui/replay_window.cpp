#include "ui/replay_window.h"

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
#include "reception/data_directory.h"
#include "ui/form_position.h"
#include "ui/menu_keys.h"
#include "ui/raw_data_window.h"
#include "ui/key_filter_validator.h"
#include "ui/files_window_parts.h"
#include "station/station.h"
#include "ui/channel_graph_window.h"
#include "ui/export_window.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 6, .defaultTopTwips = 50, .defaultLeftTwips = 300};

}  // namespace

ReplayWindow::ReplayWindow(Station& station, RawDataWindow& rawDataWindow, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      station_(station), rawDataWindow_(rawDataWindow), store_(station.store()), messages_(messages), session_(station.replay()) {
    setObjectName("ReplayWindow");
    setWindowTitle(WindowTitle(u" Replay               Orv"));
    AcceptDroppedFiles(this, [this](const QString& path) { DropFile(path); });
    BuildControls();
    KeepFormPosition(this, store_, kForm, kSaveOnClose | kSaveAtQuit);
    connect(&station_, &Station::SettingsChanged, this, [this] {
        if (isVisible()) fileList_->SetDirectory(TelemetryDirectoryText(station_));
    });
}

void ReplayWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    auto* graph = menuBar->addMenu(QStringLiteral("&Graph"));
    graph->addAction(QStringLiteral("&Enter byte address"), this, &ReplayWindow::GraphTypedAddressClick);
    graph->addAction(QStringLiteral("Graph &selected channel "), this, &ReplayWindow::GraphSelectedChannelClick);
    menuBar->addAction(QStringLiteral("E&xport"), this, &ReplayWindow::ExportClick);
    layout->setMenuBar(menuBar);
    OpenMenusByKeyboard(this, menuBar);

    fileList_ = new TelemetryFileList(this);
    fileList_->setObjectName("FileList");
    fileList_->setToolTip(QStringLiteral(" File to be replayed "));
    fileList_->setMinimumSize(260, 160);
    connect(fileList_, &TelemetryFileList::FileChosen, this, &ReplayWindow::FileClicked);
    layout->addWidget(fileList_);

    struct Step {
        const char* caption;
        const char* hint;
        void (ReplayWindow::*handler)();
    };
    const Step steps[] = {
        {"|<", " Beginning of file", &ReplayWindow::FirstBlock}, {"<<", " Back five blocks ", &ReplayWindow::BackFive},
        {"<", " Back one block ", &ReplayWindow::BackOne},    {">", " Forward one block ", &ReplayWindow::ForwardOne},
        {">>", " Forward five blocks ", &ReplayWindow::ForwardFive}, {">|", " End of file ", &ReplayWindow::LastBlock},
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
    goField_ = new QLineEdit(this);
    goField_->setObjectName("GoField");
    goField_->setFixedWidth(90);
    new KeyFilterValidator(goField_, [](char key, std::string_view) { return DigitKey(key); });
    connect(goField_, &QLineEdit::returnPressed, this, &ReplayWindow::GoClick);
    go->addWidget(goField_);
    auto* goButton = new QPushButton(QStringLiteral("Go"), this);
    goButton->setObjectName("GoButton");
    goButton->setFixedWidth(40);
    connect(goButton, &QPushButton::clicked, this, &ReplayWindow::GoClick);
    go->addWidget(goButton);
    go->addStretch();
    counterLabel_ = SunkenPanel(QStringLiteral("Counter"), QStringLiteral(" Current Blk# / Total Blk# "), 130, this);
    counterLabel_->setAlignment(Qt::AlignCenter);
    go->addWidget(counterLabel_);
    layout->addLayout(go);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ReplayWindow::FileClicked() {
    const QString path = fileList_->SelectedPath().trimmed();
    if (!path.isEmpty()) LoadReplayFile(path);
}

void ReplayWindow::LoadDroppedFile(const QString& path) {
    fileList_->ShowOnly(path);
    fileList_->setEnabled(false);
    LoadReplayFile(path);
}

void ReplayWindow::LoadReplayFile(const QString& path) {
    path_ = path;
    const ReplaySession::LoadResult result = station_.LoadReplayFile(path.toStdString());
    // A damaged length is reported and the whole records are used; a file that cannot be read
    // gets the same message and shows nothing.
    if (!result.message.empty()) messages_.Inform(QString::fromStdString(result.message));
    if (!result.loaded) counterLabel_->clear();
}

void ReplayWindow::ShowReplayBlock() { station_.ShowReplayBlock(); }

void ReplayWindow::FirstBlock() {
    session_.First();
    ShowReplayBlock();
}

void ReplayWindow::BackFive() {
    session_.BackFive();
    ShowReplayBlock();
}

void ReplayWindow::BackOne() {
    session_.BackOne();
    ShowReplayBlock();
}

void ReplayWindow::ForwardOne() {
    session_.ForwardOne();
    ShowReplayBlock();
}

void ReplayWindow::ForwardFive() {
    session_.ForwardFive();
    ShowReplayBlock();
}

void ReplayWindow::LastBlock() {
    session_.Last();
    ShowReplayBlock();
}

void ReplayWindow::GoClick() {
    if (const auto corrected = session_.Go(goField_->text().toStdString()))
        goField_->setText(QString::fromStdString(*corrected));
    ShowReplayBlock();
}

void ReplayWindow::GraphTypedAddressClick() {
    if (HasFile() && graphWindow_) graphWindow_->GraphTypedAddress();
}

void ReplayWindow::GraphSelectedChannelClick() {
    if (HasFile() && graphWindow_) graphWindow_->GraphSelectedChannel();
}

void ReplayWindow::ExportClick() {
    if (HasFile() && exportWindow_) exportWindow_->Open();
}

void ReplayWindow::DropFile(const QString& path) {
    if (dropHandler_) dropHandler_(path);
}

QString ReplayWindow::CounterText() const { return counterLabel_->text(); }

void ReplayWindow::ShowCounter(std::string_view text) {
    counterLabel_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}


void ReplayWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Replay replaces live reception: the serial port closes while this window is open.
    station_.OpenReplay();
    path_.clear();
    fileList_->setEnabled(true);
    fileList_->SetDirectory(TelemetryDirectoryText(station_));
    counterLabel_->clear();
}

void ReplayWindow::closeEvent(QCloseEvent* event) {
    station_.CloseReplay();
    path_.clear();
    rawDataWindow_.SetGroupCaption(QStringLiteral("Raw Data"));
    rawDataWindow_.hide();
    if (graphWindow_) graphWindow_->close();
    QWidget::closeEvent(event);
}

}  // namespace orv
