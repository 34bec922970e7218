#include "ui/channel_graph_window.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "files/graph_image.h"
#include "files/graph_picture.h"
#include "ui/files_window_parts.h"
#include "ui/form_position.h"
#include "ui/menu_keys.h"
#include "ui/graph_address_dialog.h"
#include "ui/replay_window.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 10, .defaultTopTwips = 50, .defaultLeftTwips = 400};
// The plot sits at (8, 2) of the window's surface (and of the drawn image).
constexpr QPoint kPlotOrigin(8, 2);

}  // namespace

ChannelGraphWindow::ChannelGraphWindow(ReplayWindow& replayWindow, KeyValueStore& store, UserMessages& messages, float scale, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      replayWindow_(replayWindow), messages_(messages), scale_(scale) {
    setObjectName("ChannelGraphWindow");
    setWindowTitle(WindowTitle(u" Telemetry  Graph                                        Orv"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* menuBar = new QMenuBar(this);
    auto* picture = menuBar->addMenu(QStringLiteral("&Picture"));
    picture->addAction(QStringLiteral("&Save as PNG..."), this, &ChannelGraphWindow::SavePictureAs);
    layout->setMenuBar(menuBar);
    OpenMenusByKeyboard(this, menuBar);

    auto* readOut = new QHBoxLayout;
    readOut->setContentsMargins(8, 4, 8, 0);
    readOut->addStretch();
    readOut->addWidget(new QLabel(QStringLiteral("Block#:"), this));
    blockReadOut_ = SunkenPanel(QStringLiteral("BlockReadOut"), {}, 70, this);
    readOut->addWidget(blockReadOut_);
    readOut->addSpacing(12);
    readOut->addWidget(new QLabel(QStringLiteral("Value:"), this));
    valueReadOut_ = SunkenPanel(QStringLiteral("ValueReadOut"), {}, 70, this);
    readOut->addWidget(valueReadOut_);
    layout->addLayout(readOut);

    pictureLabel_ = new QLabel(this);
    pictureLabel_->setObjectName("Picture");
    pictureLabel_->setToolTip(QStringLiteral("Click to change start/stop block #'s or channel #"));
    pictureLabel_->setMouseTracking(true);
    pictureLabel_->setContextMenuPolicy(Qt::PreventContextMenu);
    pictureLabel_->installEventFilter(this);
    pictureLabel_->setFixedSize(static_cast<int>(kGraphPictureWidth * scale_) + kPlotOrigin.x(),
                          static_cast<int>(kGraphPictureHeight * scale_) + kPlotOrigin.y());
    layout->addWidget(pictureLabel_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    KeepFormPosition(this, store, kForm, kSaveOnClose | kSaveAtQuit);
}

void ChannelGraphWindow::GraphTypedAddress() {
    fromChannel_ = false;
    GraphChannel();
}

void ChannelGraphWindow::GraphSelectedChannel() {
    fromChannel_ = true;
    GraphChannel();
}

void ChannelGraphWindow::GraphChannel(const GraphRequest& request) {
    request_ = request;
    fromChannel_ = true;
    GraphChannel();
}

void ChannelGraphWindow::GraphChannel() {
    // With no file loaded nothing happens, not even the dialog.
    if (!replayWindow_.HasFile() || !graphAddressDialog_) return;
    graphAddressDialog_->Prepare(fromChannel_, typedAddress_, GraphRangeDefaults(replayWindow_.Range(), replayWindow_.Total()));
    // However the dialog is closed (OK, Return, its close box), the graph is drawn from its fields.
    graphAddressDialog_->exec();

    GraphInput input;
    input.fromChannel = fromChannel_;
    input.addressText = graphAddressDialog_->AddressText().toStdString();
    input.startText = graphAddressDialog_->StartText().toStdString();
    input.stopText = graphAddressDialog_->StopText().toStdString();
    input.raw = fromChannel_ && graphAddressDialog_->RawChecked();
    input.request = request_;
    GraphOutcome out = orv::GraphChannel(replayWindow_.Session().Image(), input, scale_);
    if (!fromChannel_) typedAddress_ = QString::fromStdString(out.typedAddressText);
    if (out.range) replayWindow_.Range() = *out.range;
    if (!out.message.empty()) {
        messages_.Inform(QString::fromStdString(out.message));
        return;
    }
    if (!out.plot) return;
    plot_ = std::move(out.plot);
    ShowPlot();
}

void ChannelGraphWindow::ShowPlot() {
    const double dpr = devicePixelRatioF();
    QImage picture = GraphImage(*plot_, dpr);
    picture.setDevicePixelRatio(dpr);
    pictureLabel_->setPixmap(QPixmap::fromImage(picture));
    blockReadOut_->clear();
    valueReadOut_->clear();
    show();
    raise();
}

void ChannelGraphWindow::ShowReadOutAt(QPoint position) {
    const QPoint p = position - kPlotOrigin;
    const auto readOut = plot_ ? GraphMouseReadOut(*plot_, p.x(), p.y()) : std::nullopt;
    blockReadOut_->setText(readOut ? QString::fromStdString(readOut->block) : QString());
    valueReadOut_->setText(readOut ? QString::fromStdString(readOut->value) : QString());
}

QString ChannelGraphWindow::BlockReadOut() const { return blockReadOut_->text(); }
QString ChannelGraphWindow::ValueReadOut() const { return valueReadOut_->text(); }

bool ChannelGraphWindow::SavePicture(const QString& path) {
    if (!plot_) return false;
    std::string error;
    if (!WriteGraphPng(*plot_, path.toStdString(), error)) {
        messages_.Inform(QStringLiteral("The picture was not saved:\n%1").arg(QString::fromStdString(error)));
        return false;
    }
    return true;
}

void ChannelGraphWindow::SavePictureAs() {
    if (!plot_) {
        messages_.Inform(QStringLiteral("There is no graph to save yet."));
        return;
    }
    const QString suggested = QDir(QFileInfo(replayWindow_.FilePath()).absolutePath())
                                  .filePath(QStringLiteral("graph-%1-%2-%3.png")
                                                .arg(plot_->address)
                                                .arg(plot_->start)
                                                .arg(plot_->stop));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save the graph as PNG"), suggested,
                                                      QStringLiteral("PNG pictures (*.png)"));
    if (!path.isEmpty()) SavePicture(path);
}

bool ChannelGraphWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pictureLabel_) {
        if (event->type() == QEvent::MouseMove) {
            ShowReadOutAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        } else if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                GraphChannel();
                return true;
            }
            if (mouse->button() == Qt::RightButton) {
                QMenu menu(this);
                menu.addAction(QStringLiteral("Save picture as PNG..."), this, &ChannelGraphWindow::SavePictureAs);
                menu.exec(mouse->globalPosition().toPoint());
                return true;
            }
        } else if (event->type() == QEvent::Leave) {
            blockReadOut_->clear();
            valueReadOut_->clear();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orv
