#include "ui/form_position.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "reception/form_placement.h"

namespace orv {
namespace {

std::vector<ScreenRect> AvailableScreens() {
    std::vector<ScreenRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect r = s->availableGeometry();
        screens.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return screens;
}

// The stored position is the frame's. Before a window is first shown its frame is unknown, and
// under X11 window managers the inner area would land where the frame should be; so the frame is
// put in place again once it exists, and kept on a screen.
class FramePlacer : public QObject {
public:
    FramePlacer(QWidget* window, QPoint frameTopLeft)
        : QObject(window), window_(window), wanted_(frameTopLeft), restoredInner_(window->geometry().topLeft()) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) {
            window_->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { Place(); });
        }
        return false;
    }

private:
    void Place() {
        deleteLater();
        // A window moved since its position was restored stays where it was put.
        if (!window_ || window_->geometry().topLeft() != restoredInner_) return;
        const QRect frame = window_->frameGeometry();
        int left = wanted_.x();
        int top = wanted_.y();
        KeepFrameOnScreen(left, top, frame.width(), frame.height(), AvailableScreens());
        if (frame.topLeft() != QPoint(left, top)) window_->move(left, top);
    }

    QPointer<QWidget> window_;
    QPoint wanted_;
    QPoint restoredInner_;
};

}  // namespace

void RestoreFormPosition(QWidget* window, const KeyValueStore& store, int formNumber, int defaultTopTwips,
                         int defaultLeftTwips) {
    const FormPosition p = ReadFormPosition(store, formNumber, defaultTopTwips, defaultLeftTwips);
    int left = p.left;
    int top = p.top;
    const QSize size = window->sizeHint().expandedTo(window->minimumSize());
    KeepFrameOnScreen(left, top, size.width(), size.height(), AvailableScreens());
    window->move(left, top);
    new FramePlacer(window, QPoint(left, top));
}

void SaveFormPosition(const QWidget* window, KeyValueStore& store, int formNumber) {
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
    const QPoint frame = window->frameGeometry().topLeft();
    WriteFormPosition(store, formNumber, {frame.y(), frame.x()});
}

}  // namespace orv
