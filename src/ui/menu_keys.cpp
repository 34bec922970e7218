#include "ui/menu_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>

namespace orv {
namespace {

// Watches the keys typed into one window (any of its widgets).
class MenuKeys final : public QObject {
public:
    MenuKeys(QWidget* window, QMenuBar* bar) : QObject(window), window_(window), bar_(bar) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::FocusOut) altAlone_ = false;
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != window_ || !bar_ || !bar_->isVisible()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyPress) {
            if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
                OpenFirstMenu();
                return true;
            }
            // Alt counts when it is pressed alone and released before any other key.
            altAlone_ = key->key() == Qt::Key_Alt && !key->isAutoRepeat() &&
                        (key->modifiers() & ~Qt::AltModifier) == Qt::NoModifier;
            return false;
        }
        if (key->key() == Qt::Key_Alt && altAlone_) {
            altAlone_ = false;
            OpenFirstMenu();
            // Taken here: the menu bar's own Alt handling (a style's keyboard mode, which only
            // highlights a title) would close the menu again.
            return true;
        }
        return false;
    }

private:
    void OpenFirstMenu() {
        for (QAction* menu : bar_->actions()) {
            if (!menu->isVisible() || !menu->isEnabled()) continue;
            bar_->setFocus(Qt::MenuBarFocusReason);
            bar_->setActiveAction(menu);
            return;
        }
    }

    QPointer<QWidget> window_;
    QPointer<QMenuBar> bar_;
    bool altAlone_ = false;
};

}  // namespace

void OpenMenusByKeyboard(QWidget* window, QMenuBar* bar) { new MenuKeys(window, bar); }

}  // namespace orv
