#include "ui/torv8.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/byte_dump.h"
#include "ui/address_field_validator.h"
#include "ui/form_position.h"
#include "ui/torv9.h"

namespace orv {
namespace {

constexpr int kFormNumber = 8;
constexpr int kDefaultTopTwips = 50;
constexpr int kDefaultLeftTwips = 500;

// A sunken text panel as the value fields and the address readout use.
QLabel* StaticText(const QString& name, const QFont& font, int characters, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFixedWidth(QFontMetrics(font).horizontalAdvance(QString(characters, QLatin1Char('0'))) + 10);
    return label;
}

QRadioButton* Radio(const QString& caption, const QString& name, QWidget* parent, QLayout* into) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(name);
    into->addWidget(b);
    return b;
}

}  // namespace

TOrv8::TOrv8(KeyValueStore& store, const Station& station, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(store), station_(station) {
    setObjectName("Orv8");
    setWindowTitle(QStringLiteral(" Monitor"));
    BuildControls();
    RestoreFormPosition(this, store_, kFormNumber, kDefaultTopTwips, kDefaultLeftTwips);
    const MonitorFields saved = ReadMonitorAddresses(store_);
    for (std::size_t i = 0; i < kMonitorFields; ++i) edits_[i]->setText(QString::fromStdString(saved[i]));
    FormatChanged();
    // The program ends by closing the main window; an open Monitor keeps its addresses then too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveOnClose();
    });
}

void TOrv8::BuildControls() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* columns = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Data Format"), this));
    auto* groupBox1 = new QGroupBox(this);
    auto* baseLayout = new QVBoxLayout(groupBox1);
    radioButton1_ = Radio(QStringLiteral("Dec"), QStringLiteral("RadioButton1"), groupBox1, baseLayout);
    radioButton2_ = Radio(QStringLiteral("Hex"), QStringLiteral("RadioButton2"), groupBox1, baseLayout);
    radioButton3_ = Radio(QStringLiteral("Bin"), QStringLiteral("RadioButton3"), groupBox1, baseLayout);
    left->addWidget(groupBox1);
    auto* groupBox2 = new QGroupBox(this);
    auto* widthLayout = new QVBoxLayout(groupBox2);
    radioButton4_ = Radio(QStringLiteral("Word"), QStringLiteral("RadioButton4"), groupBox2, widthLayout);
    radioButton5_ = Radio(QStringLiteral("Byte"), QStringLiteral("RadioButton5"), groupBox2, widthLayout);
    left->addWidget(groupBox2);
    checkBox1_ = new QCheckBox(QStringLiteral("Signed"), this);
    checkBox1_->setObjectName("CheckBox1");
    left->addWidget(checkBox1_);
    checkBox2_ = new QCheckBox(QStringLiteral("Data Window"), this);
    checkBox2_->setObjectName("CheckBox2");
    left->addWidget(checkBox2_);
    button1_ = new QPushButton(QStringLiteral("Clear"), this);
    button1_->setObjectName("Button1");
    left->addWidget(button1_);
    staticText11_ = StaticText(QStringLiteral("StaticText11"), fixed, 5, this);
    staticText11_->setAlignment(Qt::AlignCenter);
    left->addWidget(staticText11_, 0, Qt::AlignHCenter);
    left->addStretch();
    columns->addLayout(left);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Addr"), this), 0, 0, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Data"), this), 0, 1, Qt::AlignHCenter);
    for (std::size_t i = 0; i < kMonitorFields; ++i) {
        const int n = static_cast<int>(i) + 1;
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(n));
        edit->setFont(fixed);
        edit->setFixedWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("00000")) + 14);
        new AddressFieldValidator(edit);
        connect(edit, &QLineEdit::textEdited, this, &TOrv8::MonitorUpdate);
        edits_[i] = edit;
        values_[i] = StaticText(QStringLiteral("StaticText%1").arg(n), fixed, 8, this);
        values_[i]->setFixedHeight(edit->sizeHint().height());
        grid->addWidget(edit, n, 0);
        grid->addWidget(values_[i], n, 1);
    }
    grid->setRowStretch(static_cast<int>(kMonitorFields) + 1, 1);
    columns->addLayout(grid);
    columns->setSizeConstraint(QLayout::SetFixedSize);

    connect(radioButton1_, &QRadioButton::clicked, this, &TOrv8::RadioButton1Click);
    connect(radioButton2_, &QRadioButton::clicked, this, &TOrv8::RadioButton2Click);
    connect(radioButton3_, &QRadioButton::clicked, this, &TOrv8::RadioButton3Click);
    connect(radioButton4_, &QRadioButton::clicked, this, &TOrv8::RadioButton4Click);
    connect(radioButton5_, &QRadioButton::clicked, this, &TOrv8::RadioButton5Click);
    connect(checkBox1_, &QCheckBox::clicked, this, &TOrv8::CheckBox1Click);
    connect(checkBox2_, &QCheckBox::clicked, this, &TOrv8::CheckBox2Click);
    connect(button1_, &QPushButton::clicked, this, &TOrv8::Button1Click);
}

void TOrv8::AttachByteDump(TOrv9* orv9) {
    orv9_ = orv9;
    connect(orv9_, &TOrv9::AddressPointed, staticText11_, &QLabel::setText);
    connect(orv9_, &TOrv9::AddressClicked, this, &TOrv8::CopyAddress);
    connect(orv9_, &TOrv9::Closed, this, [this] {
        checkBox2_->setChecked(false);
        staticText11_->clear();
    });
}

QRadioButton* TOrv8::BaseButton(MonitorBase base) const {
    switch (base) {
        case MonitorBase::Dec: return radioButton1_;
        case MonitorBase::Hex: return radioButton2_;
        case MonitorBase::Bin: return radioButton3_;
    }
    return nullptr;
}

MonitorFields TOrv8::Addresses() const {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = edits_[i]->text().toStdString();
    return fields;
}

MonitorFields TOrv8::Values() const {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = values_[i]->text().toStdString();
    return fields;
}

void TOrv8::MonitorUpdate() {
    MonitorFields values = Values();
    orv::MonitorUpdate(Addresses(), format_, station_.stores.display, values);
    for (std::size_t i = 0; i < kMonitorFields; ++i) values_[i]->setText(QString::fromStdString(values[i]));
    if (orv9_ && orv9_->isVisible()) orv9_->ShowBlock(station_.stores.display, format_.Base() == MonitorBase::Dec);
}

void TOrv8::FormatChanged() {
    BaseButton(format_.Base())->setChecked(true);
    (format_.Width() == MonitorWidth::Word ? radioButton4_ : radioButton5_)->setChecked(true);
    radioButton4_->setEnabled(format_.WordEnabled());
    checkBox1_->setChecked(format_.SignedChecked());
    checkBox1_->setEnabled(format_.SignedEnabled());
    MonitorUpdate();
}

void TOrv8::RadioButton1Click() {
    format_.SelectDec();
    FormatChanged();
}

void TOrv8::RadioButton2Click() {
    format_.SelectHex();
    FormatChanged();
}

void TOrv8::RadioButton3Click() {
    format_.SelectBin();
    FormatChanged();
}

void TOrv8::RadioButton4Click() {
    format_.SelectWord();
    FormatChanged();
}

void TOrv8::RadioButton5Click() {
    format_.SelectByte();
    FormatChanged();
}

void TOrv8::CheckBox1Click() {
    format_.SetSigned(checkBox1_->isChecked());
    FormatChanged();
}

void TOrv8::CheckBox2Click() {
    if (!orv9_) return;
    if (checkBox2_->isChecked()) {
        orv9_->ShowBlock(station_.stores.display, format_.Base() == MonitorBase::Dec);
        orv9_->show();
        orv9_->raise();
    } else {
        orv9_->hide();
        staticText11_->clear();
    }
}

void TOrv8::Button1Click() {
    for (std::size_t i = 0; i < kMonitorFields; ++i) {
        edits_[i]->clear();
        values_[i]->clear();
    }
}

void TOrv8::CopyAddress(const QString& address) {
    MonitorFields fields = Addresses();
    CopyAddressToMonitor(fields, address.toStdString());
    for (std::size_t i = 0; i < kMonitorFields; ++i) edits_[i]->setText(QString::fromStdString(fields[i]));
    MonitorUpdate();
}

void TOrv8::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    MonitorUpdate();
}

void TOrv8::SaveOnClose() {
    SaveFormPosition(this, store_, kFormNumber);
    WriteMonitorAddresses(store_, Addresses());
}

void TOrv8::closeEvent(QCloseEvent* event) {
    if (orv9_) orv9_->hide();
    checkBox2_->setChecked(false);
    staticText11_->clear();
    SaveOnClose();
    QWidget::closeEvent(event);
}

}  // namespace orv
