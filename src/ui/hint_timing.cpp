#include "ui/hint_timing.h"

#include <QApplication>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

namespace orv {
namespace {

class HintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) return kHintShowDelayMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Shows each hint with the program's display time instead of Qt's, which grows with the text.
class HintHideTimer : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->toolTip().isEmpty()) return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), kHintHideDelayMs);
        return true;
    }
};

}  // namespace

void InstallHintTiming(QApplication& app) {
    QApplication::setStyle(new HintStyle);
    app.installEventFilter(new HintHideTimer(&app));
}

}  // namespace orv
