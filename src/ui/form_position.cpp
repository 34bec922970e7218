#include "ui/form_position.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "reception/form_placement.h"

namespace orv {
namespace {

QPointer<QWidget>& Anchor() {
    static QPointer<QWidget> anchor;
    return anchor;
}

std::vector<ScreenRect> AvailableScreens() {
    std::vector<ScreenRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect r = s->availableGeometry();
        screens.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return screens;
}

ScreenRect RectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// The main window's frame, or an empty one while it is hidden.
ScreenRect KeepClear(const QWidget* window) {
    const QWidget* anchor = Anchor();
    if (!anchor || anchor == window || !anchor->isVisible()) return {};
    return RectOf(anchor->frameGeometry());
}

// Other windows of the program on the screen: the next cascade step.
int CascadeIndex(const QWidget* window) {
    int shown = 0;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || w == Anchor() || !w->isVisible()) continue;
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Window || type == Qt::Dialog) ++shown;
    }
    return shown % 8;
}

// The frame's size: known once the window manager framed the window; before that, the inner size
// with the main window's frame margins.
QSize FrameSize(const QWidget* window) {
    QSize size = window->frameGeometry().size();
    if (size != window->geometry().size()) return size;
    size = window->size().expandedTo(window->sizeHint().boundedTo(window->maximumSize()));
    if (const QWidget* anchor = Anchor(); anchor && anchor->isVisible())
        size += anchor->frameGeometry().size() - anchor->geometry().size();
    return size;
}

// The stored position is the frame's. Before a window is first shown its frame is unknown, and
// under X11 window managers the inner area would land where the frame should be; so the frame is
// put in place when the window is shown, and again once the frame exists (within two seconds).
class FramePlacer : public QObject {
public:
    FramePlacer(QWidget* window, std::optional<QPoint> stored)
        : QObject(window), window_(window), stored_(stored) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) {
            window_->removeEventFilter(this);
            Place(FrameSize(window_));
            QTimer::singleShot(0, this, [this] { PlaceFramed(); });
        }
        return false;
    }

private:
    void Place(QSize frame) {
        std::optional<ScreenRect> stored;
        if (stored_) stored = ScreenRect{stored_->x(), stored_->y(), frame.width(), frame.height()};
        const ScreenRect at = window_ == Anchor()
                                  ? ScreenRect{stored_ ? stored_->x() : window_->x(), stored_ ? stored_->y() : window_->y(),
                                               frame.width(), frame.height()}
                                  : PlaceFrame(stored, frame.width(), frame.height(), KeepClear(window_),
                                               AvailableScreens(), CascadeIndex(window_));
        int left = at.left;
        int top = at.top;
        KeepFrameOnScreen(left, top, frame.width(), frame.height(), AvailableScreens());
        if (window_->frameGeometry().topLeft() != QPoint(left, top)) window_->move(left, top);
        // Where a stored position was replaced, the frame stays where it was put.
        stored_ = QPoint(left, top);
    }

    // Waits for the window manager's frame (none comes on platforms without one), then places
    // the frame once more with its real size.
    void PlaceFramed() {
        if (!window_) return deleteLater();
        const bool framed = window_->frameGeometry() != window_->geometry();
        if (!framed && ++waits_ < kFrameWaits) {
            QTimer::singleShot(kFrameWaitMs, this, [this] { PlaceFramed(); });
            return;
        }
        deleteLater();
        Place(window_->frameGeometry().size());
    }

    static constexpr int kFrameWaits = 40;
    static constexpr int kFrameWaitMs = 50;
    int waits_ = 0;
    QPointer<QWidget> window_;
    std::optional<QPoint> stored_;
};

}  // namespace

void SetPlacementAnchor(QWidget* mainWindow) { Anchor() = mainWindow; }

void RestoreFormPosition(QWidget* window, const KeyValueStore& store, int formNumber, int defaultTopTwips,
                         int defaultLeftTwips) {
    const std::optional<FormPosition> stored = ReadStoredFormPosition(store, formNumber);
    const FormPosition p = stored ? *stored : ReadFormPosition(store, formNumber, defaultTopTwips, defaultLeftTwips);
    int left = p.left;
    int top = p.top;
    const QSize size = window->sizeHint().expandedTo(window->minimumSize());
    KeepFrameOnScreen(left, top, size.width(), size.height(), AvailableScreens());
    window->move(left, top);
    // The main window keeps its default; the others are placed beside it when nothing is stored.
    std::optional<QPoint> wanted;
    if (window == Anchor()) wanted = QPoint(left, top);
    else if (stored) wanted = QPoint(stored->left, stored->top);
    new FramePlacer(window, wanted);
}

void SaveFormPosition(const QWidget* window, KeyValueStore& store, int formNumber) {
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
    const QPoint frame = window->frameGeometry().topLeft();
    WriteFormPosition(store, formNumber, {frame.y(), frame.x()});
}

}  // namespace orv
