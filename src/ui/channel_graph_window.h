#pragma once
// ChannelGraphWindow, the Telemetry Graph window: one channel of the replayed file across a block range, as
// the core computes it, with the mouse read-out. A click asks again (GraphAddressDialog) and redraws; the
// picture can be saved as PNG (right click or the "Picture" menu).
#include <QImage>
#include <QString>
#include <QWidget>
#include <optional>

#include "displays/channel_conversion.h"
#include "files/channel_graph.h"
#include "ui/meta_types.h"
#include "reception/settings_store.h"

class QLabel;

namespace orv {

class ReplayWindow;
class GraphAddressDialog;
class UserMessages;

class ChannelGraphWindow : public QWidget {
    Q_OBJECT
public:
    ChannelGraphWindow(ReplayWindow& replayWindow, KeyValueStore& store, UserMessages& messages, float scale, QWidget* parent = nullptr);

    void AttachDialog(GraphAddressDialog* graphAddressDialog) { graphAddressDialog_ = graphAddressDialog; }

    // One graph with the current from-channel flag: the dialog, then the graph or a message.
    void GraphChannel();
    // The Replay window's "Enter byte address" (typed address) and "Graph selected channel ".
    void GraphTypedAddress();
    void GraphSelectedChannel();

    // Shows the block number and value under `position` (pixels of the picture label) in the
    // read-out panels; clears them where no plotted block is.
    void ShowReadOutAt(QPoint position);
    // Writes the picture as PNG, the same drawing as "orv-cli graph --png". False with a message.
    bool SavePicture(const QString& path);
    void SavePictureAs();

    const GraphPlot* Plot() const { return plot_ ? &*plot_ : nullptr; }
    const GraphRequest& Request() const { return request_; }
    QString BlockReadOut() const;
    QString ValueReadOut() const;

public slots:
    // A display window's caption click (while the Replay window is shown): graph that channel.
    void GraphChannel(const orv::GraphRequest& request);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPlot();

    ReplayWindow& replayWindow_;
    UserMessages& messages_;
    float scale_;
    GraphAddressDialog* graphAddressDialog_ = nullptr;
    bool fromChannel_ = false;
    QString typedAddress_;
    GraphRequest request_;
    std::optional<GraphPlot> plot_;

    QLabel* pictureLabel_ = nullptr;
    QLabel* blockReadOut_ = nullptr;  // block number under the mouse
    QLabel* valueReadOut_ = nullptr;  // value under the mouse
};

}  // namespace orv
