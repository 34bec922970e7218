#include "ui/form_position.h"

#include <QWidget>

namespace orv {

void RestoreFormPosition(QWidget* window, const KeyValueStore& store, int formNumber, int defaultTopTwips,
                         int defaultLeftTwips) {
    const FormPosition p = ReadFormPosition(store, formNumber, defaultTopTwips, defaultLeftTwips);
    window->move(p.left, p.top);
}

void SaveFormPosition(const QWidget* window, KeyValueStore& store, int formNumber) {
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
    WriteFormPosition(store, formNumber, {window->y(), window->x()});
}

}  // namespace orv
