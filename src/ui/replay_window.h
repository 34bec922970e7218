#pragma once
// ReplayWindow, the Replay window: the station's replay of a logged telemetry file, stepped block
// by block by the operator through the same stores and the same dispatch that live reception uses.
// The channel graph and the export read the replayed file; the window opens them from its menu.
#include <QString>
#include <QWidget>
#include <functional>

#include "files/channel_graph.h"
#include "files/replay.h"
#include "reception/settings_store.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orv {

class Station;
class RawDataWindow;
class ChannelGraphWindow;
class ExportWindow;
class TelemetryFileList;
class UserMessages;

class ReplayWindow : public QWidget {
    Q_OBJECT
public:
    // Steps through the station's replay; `rawDataWindow` is hidden again when the window closes.
    ReplayWindow(Station& station, RawDataWindow& rawDataWindow, UserMessages& messages, QWidget* parent = nullptr);

    // Windows created after this one.
    void AttachGraph(ChannelGraphWindow* graphWindow) { graphWindow_ = graphWindow; }
    void AttachExport(ExportWindow* exportWindow) { exportWindow_ = exportWindow; }

    // LoadReplayFile for the list's selected file (FileClicked) and for a file dropped on
    // this or the main window (the list then shows that file alone).
    void FileClicked();
    void LoadDroppedFile(const QString& path);
    // Shows the current block; also what a display window's raw/converted toggle calls.
    void ShowReplayBlock();

    // The operator's steps: "|<", "<<", "<", ">", ">>", ">|", "Go", and the menu items.
    void FirstBlock();  // "|<"
    void BackFive();  // "<<"
    void BackOne();  // "<"
    void ForwardOne();  // ">"
    void ForwardFive();  // ">>"
    void LastBlock();  // ">|"
    void GoClick();  // "Go"
    void GraphTypedAddressClick();
    void GraphSelectedChannelClick();
    void ExportClick();
    // A file dropped on this window is handled as on the main window.
    void SetDropHandler(std::function<void(const QString&)> handler) { dropHandler_ = std::move(handler); }
    void DropFile(const QString& path);
    // The replay's "current / total" counter.
    void ShowCounter(std::string_view text);

    bool HasFile() const { return session_.Total() != 0; }
    const ReplaySession& Session() const { return session_; }
    std::uint32_t Total() const { return session_.Total(); }
    std::uint32_t Current() const { return session_.Current(); }
    const QString& FilePath() const { return path_; }
    // The block range shared by the channel graph and the export.
    BlockRange& Range() { return range_; }

    QString CounterText() const;
    QLineEdit* GoField() const { return goField_; }
    TelemetryFileList* FileList() const { return fileList_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void LoadReplayFile(const QString& path);

    Station& station_;
    RawDataWindow& rawDataWindow_;
    KeyValueStore& store_;
    UserMessages& messages_;
    ChannelGraphWindow* graphWindow_ = nullptr;
    ExportWindow* exportWindow_ = nullptr;
    ReplaySession& session_;
    std::function<void(const QString&)> dropHandler_;
    QString path_;
    BlockRange range_;

    TelemetryFileList* fileList_ = nullptr;
    QLabel* counterLabel_ = nullptr;  // counter
    QLineEdit* goField_ = nullptr;     // "Go To Blk:"
};

}  // namespace orv
