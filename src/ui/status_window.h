#pragma once
// StatusWindow, the Status window: the block's text header, orbit and counters, receiver AGC and
// transmitter ALC levels, receivers, transmitters, antennas, experiments, beacons, power supply
// and safety flags; and the main window's clock line.
#include "ui/display_form.h"

namespace orv {

class StatusWindow : public FieldForm {
    Q_OBJECT
public:
    explicit StatusWindow(const DisplayContext& context);

    void SetClockLine(const QString& line);
    QLabel* ClockPanel() const { return clockPanel_; }
    // Shows the main window's clock line; a click on it switches the main window's clock form.
    void AttachClock(MainWindow& mainWindow);

signals:
    void ClockPanelClicked();

private:
    QWidget* BuildHeader();

    ClickLabel* clockPanel_ = nullptr;
};

}  // namespace orv
