#pragma once
// GraphAddressDialog, the channel graph's dialog "Orv   Graphic Data Byte": the address (typed case), the
// block range and raw or translated values (channel case).
#include <QDialog>

#include "files/channel_graph.h"
#include "reception/settings_store.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace orv {

class FormPositionKeeper;

class GraphAddressDialog : public QDialog {
    Q_OBJECT
public:
    explicit GraphAddressDialog(KeyValueStore& store, QWidget* parent = nullptr);

    // Typed case: the address label and field with the kept text, no "Raw"/"Tranlated".
    // Channel case: "Raw"/"Tranlated", no address. Both: the range in "Start Blk#:"/"Stop Blk#:".
    void Prepare(bool fromChannel, const QString& addressText, BlockRange range);

    QString AddressText() const;
    QString StartText() const;
    QString StopText() const;
    bool RawChecked() const;

    QLineEdit* AddressField() const { return addressField_; }
    QLineEdit* StartField() const { return startField_; }
    QLineEdit* StopField() const { return stopField_; }
    QRadioButton* RawButton() const { return raw_; }
    QRadioButton* TranslatedButton() const { return translated_; }

    void done(int result) override;

private:
    FormPositionKeeper* position_ = nullptr;
    QLabel* addressLabel_ = nullptr;
    QLineEdit* addressField_ = nullptr;
    QLineEdit* startField_ = nullptr;
    QLineEdit* stopField_ = nullptr;
    QRadioButton* raw_ = nullptr;
    QRadioButton* translated_ = nullptr;
};

}  // namespace orv
