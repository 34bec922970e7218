#pragma once
// ForwardingWindow, "Forwarding": the KISS, SiDS and MQTT settings of the desktop program, each
// part with its on/off switch, "Apply" (saves and restarts the forwarding), the last status line,
// the counts (SiDS submitted, queued, failed; MQTT published, waiting, dropped; KISS clients) and
// what the KISS file, the SiDS queue and the MQTT queue lost (red while they lose).
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>

#include "station/forwarding_settings.h"

namespace orv {

class Station;

class ForwardingWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ForwardingWindow(Station& station, QWidget* parent = nullptr);

    // Starts what the stored settings switch on (at program start). False when something could not
    // start; the status line says why.
    bool ApplyStored();
    // "Apply": takes the fields, saves them and restarts the forwarding.
    bool ApplyClick();

    // Fields and read-outs, for tests.
    ForwardingSettings Fields() const;
    void SetFields(const ForwardingSettings& settings);
    QString StatusText() const { return status_->text(); }
    QString CountsText() const { return counts_->text(); }
    QString LossText() const { return losses_->text(); }
    // Reads the counts again (also once a second while the window is open).
    void RefreshCounts();

private:
    void Build();
    bool Apply(const ForwardingSettings& settings);
    void ShowStatus(const QString& text);

    Station& station_;
    QCheckBox *kissServeOn_, *kissOutOn_, *kissConnectOn_, *sidsOn_, *mqttOn_;
    QCheckBox *kissGoodOnly_, *kissTimestamps_, *mqttDiscovery_;
    QLineEdit *kissServePort_, *kissOutFile_, *kissConnect_;
    QLineEdit *sidsUrl_, *callsign_, *latitude_, *longitude_, *noradId_;
    QLineEdit *mqttBroker_, *mqttTopic_, *mqttUser_, *mqttPasswordFile_, *mqttCaFile_;
    QLabel* status_;
    QLabel* counts_;
    QLabel* losses_;
    QTimer refresh_;
};

}  // namespace orv
