#pragma once
// LoggingWindow, the Logging window "  Logging": the rules of what the receiver logs, the name of the
// day's telemetry file, the count of its blocks, the Event Grid and any write failure. The
// logging itself goes on while the window is closed.
#include <QImage>
#include <QWidget>
#include <span>

#include "files/telemetry_logger.h"
#include "reception/clock.h"
#include "reception/settings_store.h"

class QAction;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orv {

class MainWindow;

class LoggingWindow : public QWidget {
    Q_OBJECT
public:
    // Restores the position and takes over the receiver's log call-out.
    LoggingWindow(MainWindow& mainWindow, KeyValueStore& store, const Clock& clock, QWidget* parent = nullptr);
    ~LoggingWindow() override;

    // "Log on Start": show the window, select "Logging" and start.
    void LogOnStart();

    // Handlers under the names of the window layout.
    void All1Click();        // Block / " all"
    void UQ1Click();         // Block / "A"
    void Ignore1Click();     // CRCC / "ignore"
    void Use1Click();        // CRCC / "use"
    void EventBuff1Click();  // "E-buffer size": asks for the size
    void RadioGroup1Click(); // "Logging" / "Stop/Pause"
    // The answer to the "Event Buffer Size" box.
    void EventBufferAnswered(const QString& answer);

    // One block that passed the receiver's log decision.
    void AppendBlockToLog(std::span<const std::uint8_t, kTelemetryBytes> record);
    void DrawEventGrid();
    void UpdateLogFileName();

    TelemetryLogger& Logger() { return logger_; }
    QString NameField() const;
    QString CountText() const;
    QString FailureText() const;
    bool EventGridVisible() const;
    const QImage& EventGridImage() const { return grid_; }
    QRadioButton* LoggingButton() const { return logging_; }
    QRadioButton* StopButton() const { return stop_; }
    QAction* UseAction() const { return use1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ShowFailure();

    MainWindow& mainWindow_;
    KeyValueStore& store_;
    TelemetryLogger logger_;
    QImage grid_;
    bool loggingChosen_ = false;  // the item of the "Logging" group last acted on

    QLineEdit* edit1_ = nullptr;      // file name
    QLabel* staticText1_ = nullptr;   // count
    QLabel* failure_ = nullptr;       // write failures, in red
    QLabel* image1_ = nullptr;        // Event Grid
    QRadioButton* logging_ = nullptr;
    QRadioButton* stop_ = nullptr;
    QAction* use1_ = nullptr;
};

}  // namespace orv
