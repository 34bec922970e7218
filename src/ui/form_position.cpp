#include "ui/form_position.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "ui/form_placement.h"

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

// The frames of the program's other windows on the screen (the main window apart).
std::vector<ScreenRect> OtherWindows(const QWidget* window) {
    std::vector<ScreenRect> frames;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || w == Anchor() || !w->isVisible() || w->isMinimized()) continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog) continue;
        // A window the window system has not sized yet counts with the size it asks for.
        const QRect frame = w->frameGeometry();
        frames.push_back(RectOf(QRect(frame.topLeft(), frame.size().expandedTo(w->sizeHint()))));
    }
    return frames;
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
// under X11 window managers the inner area lands where the frame should be. So the frame is put
// in place when the window is shown (its size estimated), and again once the window manager has
// framed the window and its geometry has settled. A window that gets no frame (no window
// manager), or that was moved by someone else meanwhile, is left where it is.
class FramePlacer : public QObject {
public:
    static constexpr int kPollMs = 50;
    // A busy small machine's window manager can take seconds to frame a new window; the placer
    // waits up to 15 s for it.
    static constexpr int kMaxPolls = 300;

    FramePlacer(QWidget* window, std::optional<QPoint> stored)
        : QObject(window), window_(window), stored_(stored) {
        window->installEventFilter(this);
        poll_.setInterval(kPollMs);
        connect(&poll_, &QTimer::timeout, this, &FramePlacer::Poll);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Until the frame is placed, each showing starts over: a window manager that missed the
        // first map frames the window only when it is shown again.
        if (watched == window_ && event->type() == QEvent::Show) {
            Place(FrameSize(window_));
            placedInner_ = window_->geometry().topLeft();
            polls_ = 0;
            poll_.start();
        }
        return false;
    }

private:
    void Place(QSize frame) {
        TakenPlaces taken{KeepClear(window_), OtherWindows(window_)};
        std::optional<ScreenRect> stored;
        if (stored_) stored = ScreenRect{stored_->x(), stored_->y(), frame.width(), frame.height()};
        // A place of the placer's own choosing, made with an estimated frame, is kept only while
        // the real frame there is still free.
        if (stored && ownPlace_ && !Free(*stored, taken)) stored.reset();
        const ScreenRect at = window_ == Anchor() && stored_
                                  ? ScreenRect{stored_->x(), stored_->y(), frame.width(), frame.height()}
                                  : PlaceFrame(stored, frame.width(), frame.height(), taken, AvailableScreens(),
                                               static_cast<int>(taken.windows.size()) % 8);
        int left = at.left;
        int top = at.top;
        KeepFrameOnScreen(left, top, frame.width(), frame.height(), AvailableScreens());
        if (window_->frameGeometry().topLeft() != QPoint(left, top)) window_->move(left, top);
        // Where a stored position was replaced, the frame stays where it was put.
        if (!stored_ || *stored_ != QPoint(left, top)) ownPlace_ = true;
        stored_ = QPoint(left, top);
    }

    void Poll() {
        if (!window_ || ++polls_ > kMaxPolls) return deleteLater();
        const QRect frame = window_->frameGeometry();
        const QRect inner = window_->geometry();
        const bool settled = frame != inner && frame == lastFrame_ && inner == lastInner_;
        lastFrame_ = frame;
        lastInner_ = inner;
        if (!settled) return;
        poll_.stop();
        // Put there by the placer: the frame where it was put, or the inner area where it was put
        // give or take the frame (a window manager may take the position for the inner area).
        const QPoint margin = inner.topLeft() - frame.topLeft();
        const QPoint off = inner.topLeft() - placedInner_;
        const bool untouched = frame.topLeft() == *stored_ ||
                               (std::abs(off.x()) <= margin.x() && std::abs(off.y()) <= margin.y());
        if (untouched) Place(frame.size());
        deleteLater();
    }

    QPointer<QWidget> window_;
    std::optional<QPoint> stored_;
    bool ownPlace_ = false;  // stored_ is where Place put the window, not the operator
    QPoint placedInner_;
    QTimer poll_;
    int polls_ = 0;
    QRect lastFrame_;
    QRect lastInner_;
};

}  // namespace

void SetPlacementAnchor(QWidget* mainWindow) { Anchor() = mainWindow; }

FormPositionKeeper::FormPositionKeeper(QWidget* window, KeyValueStore& store, FormSlot slot, unsigned saveOn)
    : QObject(window), window_(window), store_(store), slot_(slot), saveOn_(saveOn),
      windowClass_(window->metaObject()) {
    window->installEventFilter(this);
    if (saveOn_ & kSaveAtQuit) {
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            if (window_->isVisible()) Save();
        });
    }
}

void FormPositionKeeper::Restore() {
    const std::optional<FormPosition> stored = ReadStoredFormPosition(store_, slot_.number);
    const FormPosition p =
        stored ? *stored : ReadFormPosition(store_, slot_.number, slot_.defaultTopTwips, slot_.defaultLeftTwips);
    int left = p.left;
    int top = p.top;
    const QSize size = window_->sizeHint().expandedTo(window_->minimumSize());
    KeepFrameOnScreen(left, top, size.width(), size.height(), AvailableScreens());
    window_->move(left, top);
    // The main window keeps its default; the others are placed beside it when nothing is stored.
    std::optional<QPoint> wanted;
    if (window_ == Anchor()) wanted = QPoint(left, top);
    else if (stored) wanted = QPoint(stored->left, stored->top);
    new FramePlacer(window_, wanted);
}

void FormPositionKeeper::Save() {
    if (window_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
    const QPoint frame = window_->frameGeometry().topLeft();
    WriteFormPosition(store_, slot_.number, {frame.y(), frame.x()});
}

bool FormPositionKeeper::eventFilter(QObject* watched, QEvent* event) {
    // A window being destroyed is hidden after its own class is gone: it keeps no position then,
    // just as its own hideEvent would no longer run.
    if (watched != window_ || !window_->metaObject()->inherits(windowClass_)) return false;
    if ((event->type() == QEvent::Close && (saveOn_ & kSaveOnClose)) ||
        (event->type() == QEvent::Hide && (saveOn_ & kSaveOnHide) && !event->spontaneous()))
        Save();
    return false;
}

FormPositionKeeper* KeepFormPosition(QWidget* window, KeyValueStore& store, FormSlot slot, unsigned saveOn) {
    auto* keeper = window->findChild<FormPositionKeeper*>(QString(), Qt::FindDirectChildrenOnly);
    if (!keeper) keeper = new FormPositionKeeper(window, store, slot, saveOn);
    keeper->Restore();
    return keeper;
}

}  // namespace orv
