#pragma once
// MainWindow, the main window "Orv": reception state, text selection, display check boxes, menu and
// the station clock. It owns the running station and runs the display dispatch.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "station/station_runtime.h"
#include "reception/dates.h"
#include "reception/dispatch.h"
#include "reception/text_view.h"

class QAction;
class QCheckBox;
class QLabel;
class QRadioButton;
class QTimer;

namespace orv {

class RawDataWindow;
class SetupWindow;
class UserMessages;

// Menu items that open windows built elsewhere; each stays disabled until its window is attached.
enum class MenuWindow { DspLoad, Logging, Monitor, Replay, Filter, Internet, AdcDisplay };

class MainWindow : public QMainWindow, private ReceiverHooks {
    Q_OBJECT
public:
    // Runs the create handler: settings, data directory, position, scale, timer.
    MainWindow(KeyValueStore& store, const Clock& clock, UserMessages& messages, QWidget* parent = nullptr);
    ~MainWindow() override;

    StationRuntime& runtime() { return *runtime_; }
    StationState& station() { return runtime_->station(); }
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
    // Replay: load a dropped file; the TCP/IP window: switch off, active, boot as server.
    void SetReplayLoader(std::function<void(const QString&)> load) { replayLoad_ = std::move(load); }
    void SetTcpIpControl(std::function<bool()> active, std::function<void()> off, std::function<void()> bootServer);
    // "Log on Start": show the Logging window and start logging.
    void SetLogOnStart(std::function<void()> start) { logOnStart_ = std::move(start); }
    // Where the clock line goes (the Status window's clock panel).
    void SetClockLineSink(std::function<void(const QString&)> sink) { clockSink_ = std::move(sink); }

    // Handlers under the names of the window layout.
    void RadioButton1Click();  // "Raw"
    void TextButtonClick(char letter);  // "K".."N"
    void RadioButton4Click();  // "OFF"
    void CheckBoxClick(DisplayWindow which);
    void EventsClick();
    void Timer1Timer();
    void Exit2Click();
    void Setup1Click();
    void Help1Click();
    void About1Click();
    void ReplayClick();
    void DispatchBlock() override;
    // The data directory checks of start-up.
    void CheckDataDirectories();
    // Ctrl + right click on the form.
    void ToggleShowFailedData();
    void DropFile(const QString& path);
    void OpenSerialPort();
    // A click on the raw data window: save the block as data (.dat) or as text (.txt).
    void SaveRawBlock(bool asData);
    // The Status window switches the clock form (Amsat Day or date and time).
    void SetClockForm(bool amsatDay);
    bool AmsatDayClockForm() const { return amsatDayForm_; }
    // Runs the start-up steps that happen when the window is first shown.
    void FirstShown();
    // The text view of a block, with the status line in ADC reception.
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) override;

    // State for tests and for the windows built elsewhere.
    QString ClockLine() const { return clockLine_; }
    QString BlockLabel() const;
    QString ByteLabel() const;
    QString CrccLabel() const;
    QCheckBox* DataCheckBox(DisplayWindow which) const { return dataBoxes_[static_cast<int>(which)]; }
    QCheckBox* EventsBox() const { return checkBox6_; }
    QRadioButton* TextButton(int index) const { return textButtons_[static_cast<std::size_t>(index)]; }
    QAction* MenuAction(MenuWindow item) const { return menuActions_[static_cast<std::size_t>(item)]; }
    QTimer* Timer() const { return timer1_; }
    const QString& TelemetryDirectory() const { return telemetryDir_; }
    bool FirstRun() const { return station().settings.firstRun; }
    const StationState& station() const { return runtime_->station(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateHandler();
    void BuildControls();
    void BuildMenu();
    void ShowBlockId(char id) override;
    void ShowByteCount(std::string_view text) override;
    void ShowCrccStatus(std::string_view text) override;
    void EnableEvents() override;
    void SetByteCounterActive(bool active);
    void OnSerialPortLost(const QString& reason);
    void SelectText(int index);
    void AfterSetupSaved();

    KeyValueStore& store_;
    const Clock& clock_;
    UserMessages& messages_;
    std::unique_ptr<StationRuntime> runtime_;
    RawDataWindow* rawDataWindow_ = nullptr;
    SetupWindow* setupWindow_ = nullptr;
    float scale_ = 1.0F;
    bool amsatDayForm_ = true;
    bool shownOnce_ = false;
    QString clockLine_;
    QString telemetryDir_;
    QString droppedReplayFile_;
    bool dropped_ = false;

    QLabel* label4_ = nullptr;  // block ID
    QLabel* label2_ = nullptr;  // "Byte"
    QLabel* label5_ = nullptr;  // byte counter
    QLabel* label6_ = nullptr;  // CRCC status
    std::array<QRadioButton*, 6> textButtons_{};
    std::array<QCheckBox*, 5> dataBoxes_{};
    QCheckBox* checkBox6_ = nullptr;  // "Events"
    std::array<QAction*, 7> menuActions_{};
    QAction* adcDisplayAction_ = nullptr;
    QTimer* timer1_ = nullptr;

    std::array<QPointer<QWidget>, 5> displays_{};
    std::array<std::function<void()>, 5> displayUpdates_{};
    std::array<QPointer<QWidget>, 7> menuWindows_{};
    std::array<std::function<void()>, 7> menuOpen_{};
    std::function<void()> monitorUpdate_;
    std::function<void()> adcRefresh_;
    std::function<void(const QString&)> replayLoad_;
    std::function<bool()> tcpIpActive_;
    std::function<void()> tcpIpOff_;
    std::function<void()> bootServer_;
    std::function<void()> logOnStart_;
    std::function<void(const QString&)> clockSink_;
};

}  // namespace orv
