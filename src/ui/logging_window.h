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
#include "ui/window_text.h"

class QAction;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orv {

class Station;

class LoggingWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the station's telemetry logger; restores the position. `scale` is the screen scale.
    LoggingWindow(Station& station, float scale, QWidget* parent = nullptr);

    // "Log on Start": show the window, select "Logging" and start.
    void LogOnStart();

    // The operator's choices: the "Block" and "CRCC" rules, "E-buffer size", "Logging"/"Stop/Pause".
    void LogAllBlocksClick();        // Block / " all"
    void LogABlocksClick();         // Block / "A"
    void IgnoreCrccClick();     // CRCC / "ignore"
    void UseCrccClick();        // CRCC / "use"
    void EventBufferClick();  // "E-buffer size": asks for the size
    void LoggingChoiceClick(); // "Logging" / "Stop/Pause"
    // The answer to the "Event Buffer Size" box.
    void EventBufferAnswered(const QString& answer);

    // One block went to the logger: the count, the Event Grid and any failure.
    void ShowLoggedBlock(const LogAppendResult& result);
    void DrawEventGrid();
    void UpdateLogFileName();

    TelemetryLogger& Logger() { return logger_; }
    QString NameField() const;
    // "Logging to " and the log file's full path (cut in the middle when long, the whole in its
    // tooltip); hidden while not logging.
    ElidedLabel* LogPathField() const { return logPathField_; }
    QString CountText() const;
    // The red failure text, whole (the window may show a path in it cut in the middle).
    QString FailureText() const;
    bool EventGridVisible() const;
    const QImage& EventGridImage() const { return grid_; }
    QRadioButton* LoggingButton() const { return logging_; }
    QRadioButton* StopButton() const { return stop_; }
    QAction* UseAction() const { return useCrccAction_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ShowFailure();
    void ShowLogPath();
    // The station's logging changed (started, stopped, a saved Setup moved the data directory).
    void ShowLogging();

    Station& station_;
    KeyValueStore& store_;
    TelemetryLogger& logger_;
    float scale_;
    QImage grid_;
    bool loggingChosen_ = false;  // the item of the "Logging" group last acted on

    QLineEdit* fileNameField_ = nullptr;      // file name
    ElidedLabel* logPathField_ = nullptr;     // the full path while logging
    QLabel* countLabel_ = nullptr;   // count
    QLabel* failure_ = nullptr;       // write failures, in red
    QLabel* eventGridLabel_ = nullptr;        // Event Grid
    QRadioButton* logging_ = nullptr;
    QRadioButton* stop_ = nullptr;
    QAction* useCrccAction_ = nullptr;
};

}  // namespace orv
