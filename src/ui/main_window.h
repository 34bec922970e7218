#pragma once
// MainWindow, the main window "Orv": the station's reception state (block, byte count, CRCC), the
// text selection, the display check boxes, the menu and the station clock. It renders what the
// station computes and sends the operator's choices to it; as the station's view it runs the
// display dispatch and routes text blocks to the raw data window.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "displays/display_window.h"
#include "reception/dates.h"
#include "station/station.h"

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTemporaryDir;
class QTimer;
class QUrl;

namespace orv {

class FormPositionKeeper;
class GuideWindow;
class RawDataWindow;
class SetupWindow;
class UserMessages;

// Menu items that open other windows.
enum class MenuWindow { DspLoad, Logging, Monitor, Replay, Filter, TcpIp, AdcDisplay, Forwarding, AudioSignal };
inline constexpr std::size_t kMenuWindows = 9;

class MainWindow : public QMainWindow, private StationView {
    Q_OBJECT
public:
    // Runs the start-up: settings, data directory, position, scale, clock.
    MainWindow(Station& station, UserMessages& messages, QWidget* parent = nullptr);
    ~MainWindow() override;

    Station& station() { return station_; }
    const StationState& state() const { return station_.state(); }
    float Scale() const { return scale_; }

    // Windows created after the main window, in the program's order.
    void AttachRawWindow(RawDataWindow* rawDataWindow);
    void AttachSetup(SetupWindow* setupWindow);
    // A window opened from the "Menu" menu; `open` runs when the item is chosen (default: show).
    void AttachMenuWindow(MenuWindow item, QWidget* window, std::function<void()> open = {});
    // A display window updated by the dispatch while its check box is checked.
    void AttachDisplay(DisplayWindow which, QWidget* window, std::function<void()> update);
    // The Monitor and the ADC analysis refresh with each dispatch while they are visible.
    void SetMonitorUpdate(std::function<void()> update) { monitorUpdate_ = std::move(update); }
    void SetAdcRefresh(std::function<void()> refresh) { adcRefresh_ = std::move(refresh); }
    // Replay: load a dropped file, show the replay counter.
    void SetReplayLoader(std::function<void(const QString&)> load) { replayLoad_ = std::move(load); }
    void SetReplayCounterSink(std::function<void(const QString&)> sink) { replayCounter_ = std::move(sink); }
    // Start-up actions of the settings: "Boot Server" shows the TCP/IP window as a server, "Log on
    // Start" the Logging window logging.
    void SetBootServer(std::function<void()> boot) { bootServer_ = std::move(boot); }
    void SetLogOnStart(std::function<void()> start) { logOnStart_ = std::move(start); }
    // Where the clock line goes (the Status window's clock panel).
    void SetClockLineSink(std::function<void(const QString&)> sink) { clockSink_ = std::move(sink); }

    // The operator's choices.
    void SelectTextClick(TextSelection selection);  // "Raw", "K".."N", "OFF"
    void DisplayBoxClick(DisplayWindow which);      // "Status".."Temp": toggles the window
    void EventsClick();
    void ExitClick();
    void SetupClick();
    void HelpClick();
    // Opens a URL with the system's handler; true when one took it. QDesktopServices unless
    // replaced (window tests).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
    // The built-in guide's window, once Help has had to show it.
    QWidget* GuideWindowShown() const;
    void AboutClick();
    void ReplayClick();
    void DropFile(const QString& path);
    // Ctrl + right click on the form.
    void ToggleShowFailedData();
    // A click on the raw data window: save the block as data (.dat) or as text (.txt).
    void SaveRawBlock(bool asData);

    // The display dispatch (also run by the check boxes, "Events" and "ADC Display").
    void DispatchBlock() override;
    // The clock tick: the clock line in the chosen form.
    void ClockTick();
    // The Status window switches the clock form (Amsat Day or date and time).
    void SetClockForm(bool amsatDay);
    bool AmsatDayClockForm() const { return amsatDayForm_; }
    // The start-up steps that run when the window is first shown.
    void FirstShown();

    // State for tests and for the windows built elsewhere.
    QString ClockLine() const { return clockLine_; }
    // A short message at the mouse that confirms an action (saved block, failed-data toggle).
    void ShowFeedback(const QString& text);
    // The latest confirmation shown.
    QString LastFeedback() const { return feedback_; }
    QString BlockLabel() const;
    QString ByteLabel() const;
    QString CrccLabel() const;
    QCheckBox* DataCheckBox(DisplayWindow which) const { return dataBoxes_[static_cast<int>(which)]; }
    QCheckBox* EventsBox() const { return eventsBox_; }
    QRadioButton* TextButton(TextSelection selection) const {
        return textButtons_[static_cast<std::size_t>(selection)];
    }
    QAction* MenuAction(MenuWindow item) const { return menuActions_[static_cast<std::size_t>(item)]; }
    QTimer* ClockTimer() const { return clockTimer_; }
    // The line that says replay has switched live reception off, and its button that switches it
    // on again; hidden while there is nothing to say.
    QLabel* LiveReceptionNote() const { return liveNote_; }
    QPushButton* ResumeButton() const { return resumeButton_; }
    bool FirstRun() const { return state().settings.firstRun; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void StartUp();
    void BuildControls();
    void BuildMenu();
    void RunStartupActions();
    void AfterSetupSaved();
    // Mirrors the station's selection and input state into the controls.
    void ShowSelection();
    void ShowInputsEnabled();
    void ShowLiveReceptionNote();
    void SetByteCounterActive(bool active);
    void OnPortOpenFailed(const QString& device, const QString& reason);
    bool OpenUrl(const QUrl& url);
    void OnSerialPortLost(const QString& reason);
    bool OnForm(const QPoint& position) const;

    // StationView.
    void ShowBlockId(char id) override;
    void ShowByteCount(std::string_view text) override;
    void ShowCrccStatus(std::string_view text) override;
    void EnableEvents() override;
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes,
                       const std::optional<std::string>& statusLine) override;
    void ShowReplayBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) override;
    void ShowReplayCounter(std::string_view text) override;
    void UpdateMonitor() override;

    Station& station_;
    UserMessages& messages_;
    RawDataWindow* rawDataWindow_ = nullptr;
    FormPositionKeeper* rawDataPosition_ = nullptr;
    SetupWindow* setupWindow_ = nullptr;
    float scale_ = 1.0F;
    bool amsatDayForm_ = true;
    bool shownOnce_ = false;
    QString clockLine_;
    QString feedback_;
    std::function<bool(const QUrl&)> urlOpener_;
    std::unique_ptr<QTemporaryDir> guideCopy_;
    std::unique_ptr<GuideWindow> guideWindow_;

    QLabel* blockIdLabel_ = nullptr;
    QLabel* byteCaption_ = nullptr;
    QLabel* byteCountLabel_ = nullptr;
    QLabel* crccLabel_ = nullptr;
    std::array<QRadioButton*, 6> textButtons_{};  // in TextSelection order: Raw, K, L, M, N, Off
    std::array<QCheckBox*, 5> dataBoxes_{};
    QCheckBox* eventsBox_ = nullptr;
    std::array<QAction*, kMenuWindows> menuActions_{};
    QLabel* liveNote_ = nullptr;
    QPushButton* resumeButton_ = nullptr;
    QTimer* clockTimer_ = nullptr;

    std::array<QPointer<QWidget>, 5> displays_{};
    std::array<std::function<void()>, 5> displayUpdates_{};
    std::array<QPointer<QWidget>, kMenuWindows> menuWindows_{};
    std::array<std::function<void()>, kMenuWindows> menuOpen_{};
    std::function<void()> monitorUpdate_;
    std::function<void()> adcRefresh_;
    std::function<void(const QString&)> replayLoad_;
    std::function<void(const QString&)> replayCounter_;
    std::function<void()> bootServer_;
    std::function<void()> logOnStart_;
    std::function<void(const QString&)> clockSink_;
};

}  // namespace orv
