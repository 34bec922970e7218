#include "ui/graph_address_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "files/telemetry_number.h"
#include "ui/address_field_validator.h"
#include "ui/form_position.h"
#include "ui/key_filter_validator.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 11, .defaultTopTwips = 50, .defaultLeftTwips = 500};

QLineEdit* BlockField(const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setFixedWidth(90);
    new KeyFilterValidator(field, [](char key, std::string_view) { return DigitKey(key); });
    return field;
}

}  // namespace

GraphAddressDialog::GraphAddressDialog(KeyValueStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint) {
    setObjectName("GraphAddressDialog");
    setWindowTitle(WindowTitle(u"Orv   Graphic Data Byte"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* address = new QHBoxLayout;
    addressLabel_ = new QLabel(QStringLiteral("Hex (#nnn) or Dec (nnn) Address:"), this);
    addressField_ = new QLineEdit(this);
    addressField_->setObjectName("AddressField");
    addressField_->setFixedWidth(60);
    new AddressFieldValidator(addressField_);
    address->addWidget(addressLabel_);
    address->addWidget(addressField_);
    address->addStretch();
    layout->addLayout(address);

    auto* range = new QGridLayout;
    startField_ = BlockField(QStringLiteral("StartField"), this);
    stopField_ = BlockField(QStringLiteral("StopField"), this);
    range->addWidget(new QLabel(QStringLiteral("Start Blk#:"), this), 0, 0);
    range->addWidget(startField_, 0, 1);
    range->addWidget(new QLabel(QStringLiteral("Stop Blk#:"), this), 1, 0);
    range->addWidget(stopField_, 1, 1);
    raw_ = new QRadioButton(QStringLiteral("Raw"), this);
    raw_->setObjectName("RawButton");
    translated_ = new QRadioButton(QStringLiteral("Tranlated"), this);
    translated_->setObjectName("TranslatedButton");
    translated_->setChecked(true);
    range->addWidget(raw_, 0, 2);
    range->addWidget(translated_, 1, 2);
    layout->addLayout(range);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("OkButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    position_ = KeepFormPosition(this, store, kForm, kSaveWhenAsked);
}

void GraphAddressDialog::Prepare(bool fromChannel, const QString& addressText, BlockRange range) {
    raw_->setVisible(fromChannel);
    translated_->setVisible(fromChannel);
    addressLabel_->setVisible(!fromChannel);
    addressField_->setVisible(!fromChannel);
    if (!fromChannel) addressField_->setText(addressText);
    startField_->setText(QString::number(range.start));
    stopField_->setText(QString::number(range.stop));
    (fromChannel ? startField_ : addressField_)->setFocus();
}

QString GraphAddressDialog::AddressText() const { return addressField_->text(); }
QString GraphAddressDialog::StartText() const { return startField_->text(); }
QString GraphAddressDialog::StopText() const { return stopField_->text(); }
bool GraphAddressDialog::RawChecked() const { return raw_->isChecked(); }

void GraphAddressDialog::done(int result) {
    position_->Save();
    QDialog::done(result);
}

}  // namespace orv
