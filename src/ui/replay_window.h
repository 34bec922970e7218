#pragma once
// ReplayWindow, the Replay window: a logged telemetry file, mapped into memory, fed block by block as the
// operator steps into the same stores and the same dispatch that live reception uses. It owns the
// loaded file for the channel graph and the export, which it opens from its menu.
#include <QString>
#include <QWidget>

#include "files/channel_graph.h"
#include "files/replay.h"
#include "reception/settings_store.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orv {

class MainWindow;
class RawDataWindow;
class MonitorWindow;
class ChannelGraphWindow;
class ExportWindow;
class TelemetryFileList;
class UserMessages;

class ReplayWindow : public QWidget, private ReplayHooks {
    Q_OBJECT
public:
    ReplayWindow(MainWindow& mainWindow, RawDataWindow& rawDataWindow, KeyValueStore& store, UserMessages& messages, QWidget* parent = nullptr);

    // Windows created after this one.
    void AttachMonitor(MonitorWindow* monitorWindow) { monitorWindow_ = monitorWindow; }
    void AttachGraph(ChannelGraphWindow* graphWindow) { graphWindow_ = graphWindow; }
    void AttachExport(ExportWindow* exportWindow) { exportWindow_ = exportWindow; }

    // LoadReplayFile for the list's selected file (FileListBox1Click) and for a file dropped on
    // this or the main window (the list then shows that file alone).
    void FileListBox1Click();
    void LoadDroppedFile(const QString& path);
    // Shows the current block; also what a display window's raw/converted toggle calls.
    void ShowReplayBlock();

    // Handlers under the names of the window layout.
    void Button1Click();  // "|<"
    void Button2Click();  // "<<"
    void Button3Click();  // "<"
    void Button4Click();  // ">"
    void Button5Click();  // ">>"
    void Button6Click();  // ">|"
    void Button7Click();  // "Go"
    void Enterbyteaddress1Click();
    void Graphselectedchannel1Click();
    void Export1Click();
    // A file dropped on this window: as on the main window.
    void DropFile(const QString& path);

    bool HasFile() const { return session_.Total() != 0; }
    const ReplaySession& Session() const { return session_; }
    std::uint32_t Total() const { return session_.Total(); }
    std::uint32_t Current() const { return session_.Current(); }
    const QString& FilePath() const { return path_; }
    // The block range shared by the channel graph and the export.
    BlockRange& Range() { return range_; }

    QString CounterText() const;
    QLineEdit* GoField() const { return edit1_; }
    TelemetryFileList* FileList() const { return fileListBox1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void LoadReplayFile(const QString& path);
    void FreeFile();
    void SetTextButtonsEnabled(bool enabled);

    // ReplayHooks: where a replayed block goes.
    void ShowCounter(std::string_view text) override;
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) override;
    void UpdateMonitor() override;
    void EnableEvents() override;
    void DispatchBlock() override;

    MainWindow& mainWindow_;
    RawDataWindow& rawDataWindow_;
    KeyValueStore& store_;
    UserMessages& messages_;
    MonitorWindow* monitorWindow_ = nullptr;
    ChannelGraphWindow* graphWindow_ = nullptr;
    ExportWindow* exportWindow_ = nullptr;
    ReplaySession session_;
    QString path_;
    BlockRange range_;

    TelemetryFileList* fileListBox1_ = nullptr;
    QLabel* staticText1_ = nullptr;  // counter
    QLineEdit* edit1_ = nullptr;     // "Go To Blk:"
};

}  // namespace orv
