#include "ui/user_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace orv {

void QtUserMessages::Inform(const QString& text) {
    QMessageBox::information(parent_, QStringLiteral("Orv"), text);
}

bool QtUserMessages::AskYesNo(const QString& text) {
    return QMessageBox::question(parent_, QStringLiteral("Orv"), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtUserMessages::Beep() { QApplication::beep(); }

}  // namespace orv
