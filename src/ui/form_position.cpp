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
// under X11 window managers the inner area lands where the frame should be; so once the window
// manager has framed the window and its geometry has settled, the frame is put in place and kept
// on a screen. A window that gets no frame (no window manager), or that was moved by someone else
// meanwhile, is left where it is.
class FramePlacer : public QObject {
public:
    static constexpr int kPollMs = 50;
    static constexpr int kMaxPolls = 60;

    FramePlacer(QWidget* window, QPoint frameTopLeft)
        : QObject(window), window_(window), wanted_(frameTopLeft), restoredInner_(window->geometry().topLeft()) {
        window->installEventFilter(this);
        poll_.setInterval(kPollMs);
        connect(&poll_, &QTimer::timeout, this, &FramePlacer::Poll);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) {
            window_->removeEventFilter(this);
            poll_.start();
        }
        return false;
    }

private:
    void Poll() {
        if (!window_ || ++polls_ > kMaxPolls) return deleteLater();
        const QRect frame = window_->frameGeometry();
        const QRect inner = window_->geometry();
        const bool settled = frame != inner && frame == lastFrame_ && inner == lastInner_;
        lastFrame_ = frame;
        lastInner_ = inner;
        if (!settled) return;
        poll_.stop();
        const bool untouched = inner.topLeft() == restoredInner_ || frame.topLeft() == wanted_;
        int left = wanted_.x();
        int top = wanted_.y();
        KeepFrameOnScreen(left, top, frame.width(), frame.height(), AvailableScreens());
        if (untouched && frame.topLeft() != QPoint(left, top)) window_->move(left, top);
        deleteLater();
    }

    QPointer<QWidget> window_;
    QPoint wanted_;
    QPoint restoredInner_;
    QTimer poll_;
    int polls_ = 0;
    QRect lastFrame_;
    QRect lastInner_;
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
