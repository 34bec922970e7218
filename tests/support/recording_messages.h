#pragma once
// Captures message boxes, questions and beeps instead of showing them.
#include <QStringList>

#include "ui/user_messages.h"

namespace orv::test {

class RecordingMessages final : public UserMessages {
public:
    void Inform(const QString& text) override { texts << text; }
    bool AskYesNo(const QString& text) override {
        texts << text;
        return answer;
    }
    void Beep() override { ++beeps; }

    QStringList texts;
    int beeps = 0;
    bool answer = true;
};

}  // namespace orv::test
