#include "ui/status_window.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "displays/status_content.h"
#include "ui/main_window.h"

namespace orv {
namespace {

// Column by column, in the order the fields are read.
constexpr GroupPlace kPlaces[] = {
    {"AGC / ALC", 0, 0, 2, 1, 1},   {"Rcv/Ant/Leila", 0, 1, 2, 1, 1}, {"Trans/Ant", 0, 2, 1, 1, 1},
    {"Experiments", 1, 2, 1, 1, 1}, {"Beacons", 0, 3, 1, 1, 1},       {"PSU", 1, 3, 1, 1, 1},
    {"Safety", 0, 4, 1, 1, 1},      {"LI/EP/AR", 1, 4, 1, 1, 1},
};

}  // namespace

StatusWindow::StatusWindow(const DisplayContext& context)
    : FieldForm(StatusWindowInfo(), context, &StatusFields, StatusGroups(), kPlaces, kStatusHeaderGroup) {
    clockPanel_ = new ClickLabel(this);
    clockPanel_->setObjectName("ClockPanel");
    clockPanel_->setFrameShape(QFrame::Panel);
    clockPanel_->setFrameShadow(QFrame::Sunken);
    clockPanel_->setAlignment(Qt::AlignCenter);
    clockPanel_->setToolTip(QString::fromUtf8(kClockPanelHint.data(), static_cast<qsizetype>(kClockPanelHint.size())));
    clockPanel_->setMinimumHeight(clockPanel_->fontMetrics().height() + 8);
    connect(clockPanel_, &ClickLabel::Clicked, this, &StatusWindow::ClockPanelClicked);
    FormLayout()->insertWidget(0, BuildHeader());
    FormLayout()->insertWidget(1, clockPanel_);
}

QWidget* StatusWindow::BuildHeader() {
    auto* panel = new QFrame(this);
    panel->setObjectName("HeaderPanel");
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* layout = new QVBoxLayout(panel);
    layout->setSpacing(2);
    auto* dateLine = new QHBoxLayout;
    auto* counters = new QHBoxLayout;
    for (const DisplayField& f : Placeholder()) {
        if (f.info.group != kStatusHeaderGroup) continue;
        QLabel* value = NewValue(f, panel);
        if (f.info.id == "title") {
            QFont big = value->font();
            big.setPointSizeF(big.pointSizeF() * 1.5);
            value->setFont(big);
            value->setAlignment(Qt::AlignCenter);
            // 29 characters of the block header.
            value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QString(29, QChar('M'))) * 3 / 4);
            value->setMinimumHeight(value->fontMetrics().height());
            layout->addWidget(value);
        } else if (f.info.id == "date") {
            dateLine->addWidget(value);
            dateLine->addStretch();
        } else if (f.info.id == "time") {
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            dateLine->addWidget(value);
        } else {
            counters->addWidget(NewCaption(f, panel));
            counters->addWidget(value);
            counters->addStretch();
        }
    }
    layout->addLayout(dateLine);
    layout->addLayout(counters);
    return panel;
}

void StatusWindow::SetClockLine(const QString& line) { clockPanel_->setText(line); }

void StatusWindow::AttachClock(MainWindow& mainWindow) {
    QPointer<StatusWindow> self(this);
    mainWindow.SetClockLineSink([self](const QString& line) {
        if (self) self->SetClockLine(line);
    });
    connect(this, &StatusWindow::ClockPanelClicked, &mainWindow, [&mainWindow] { mainWindow.SetClockForm(!mainWindow.AmsatDayClockForm()); });
    mainWindow.ClockTick();
}

}  // namespace orv
