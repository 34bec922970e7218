#pragma once
// Message boxes, the Yes/No question and beeps, behind one small interface so that window
// tests capture the exact texts instead of blocking on a modal box.
#include <QString>

class QWidget;

namespace orv {

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // Information box with one OK button.
    virtual void Inform(const QString& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    virtual void Beep() = 0;
};

// Real modal boxes on the screen, with the application's title "Orv".
class QtUserMessages final : public UserMessages {
public:
    explicit QtUserMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void Inform(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    void Beep() override;

private:
    QWidget* parent_;
};

}  // namespace orv
