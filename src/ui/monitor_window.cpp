#include "ui/monitor_window.h"

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
#include "ui/byte_dump_window.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 8, .defaultTopTwips = 50, .defaultLeftTwips = 500};

// A sunken text panel as the value fields and the address readout use.
QLabel* ValuePanel(const QString& name, const QFont& font, int characters, QWidget* parent) {
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

MonitorWindow::MonitorWindow(KeyValueStore& store, const StationState& station, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(store), station_(station) {
    setObjectName("MonitorWindow");
    setWindowTitle(WindowTitle(u" Monitor"));
    BuildControls();
    KeepFormPosition(this, store_, kForm, kSaveOnClose | kSaveAtQuit);
    const MonitorFields saved = ReadMonitorAddresses(store_);
    for (std::size_t i = 0; i < kMonitorFields; ++i) addressFields_[i]->setText(QString::fromStdString(saved[i]));
    FormatChanged();
    // The program ends by closing the main window; an open Monitor keeps its addresses then too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveAddresses();
    });
}

void MonitorWindow::BuildControls() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* columns = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Data Format"), this));
    auto* baseGroup = new QGroupBox(this);
    auto* baseLayout = new QVBoxLayout(baseGroup);
    decButton_ = Radio(QStringLiteral("Dec"), QStringLiteral("DecButton"), baseGroup, baseLayout);
    hexButton_ = Radio(QStringLiteral("Hex"), QStringLiteral("HexButton"), baseGroup, baseLayout);
    binButton_ = Radio(QStringLiteral("Bin"), QStringLiteral("BinButton"), baseGroup, baseLayout);
    left->addWidget(baseGroup);
    auto* widthGroup = new QGroupBox(this);
    auto* widthLayout = new QVBoxLayout(widthGroup);
    wordButton_ = Radio(QStringLiteral("Word"), QStringLiteral("WordButton"), widthGroup, widthLayout);
    byteButton_ = Radio(QStringLiteral("Byte"), QStringLiteral("ByteButton"), widthGroup, widthLayout);
    left->addWidget(widthGroup);
    signedBox_ = new QCheckBox(QStringLiteral("Signed"), this);
    signedBox_->setObjectName("SignedBox");
    left->addWidget(signedBox_);
    dataWindowBox_ = new QCheckBox(QStringLiteral("Data Window"), this);
    dataWindowBox_->setObjectName("DataWindowBox");
    left->addWidget(dataWindowBox_);
    clearButton_ = new QPushButton(QStringLiteral("Clear"), this);
    clearButton_->setObjectName("ClearButton");
    left->addWidget(clearButton_);
    addressReadout_ = ValuePanel(QStringLiteral("AddressReadout"), fixed, 5, this);
    addressReadout_->setAlignment(Qt::AlignCenter);
    left->addWidget(addressReadout_, 0, Qt::AlignHCenter);
    left->addStretch();
    columns->addLayout(left);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Addr"), this), 0, 0, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Data"), this), 0, 1, Qt::AlignHCenter);
    for (std::size_t i = 0; i < kMonitorFields; ++i) {
        const int n = static_cast<int>(i) + 1;
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Address%1").arg(n));
        edit->setFont(fixed);
        edit->setFixedWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("00000")) + 14);
        new AddressFieldValidator(edit);
        connect(edit, &QLineEdit::textEdited, this, &MonitorWindow::MonitorUpdate);
        addressFields_[i] = edit;
        valueFields_[i] = ValuePanel(QStringLiteral("Value%1").arg(n), fixed, 8, this);
        valueFields_[i]->setFixedHeight(edit->sizeHint().height());
        grid->addWidget(edit, n, 0);
        grid->addWidget(valueFields_[i], n, 1);
    }
    grid->setRowStretch(static_cast<int>(kMonitorFields) + 1, 1);
    columns->addLayout(grid);
    columns->setSizeConstraint(QLayout::SetFixedSize);

    connect(decButton_, &QRadioButton::clicked, this, &MonitorWindow::ChooseDecimal);
    connect(hexButton_, &QRadioButton::clicked, this, &MonitorWindow::ChooseHex);
    connect(binButton_, &QRadioButton::clicked, this, &MonitorWindow::ChooseBinary);
    connect(wordButton_, &QRadioButton::clicked, this, &MonitorWindow::ChooseWord);
    connect(byteButton_, &QRadioButton::clicked, this, &MonitorWindow::ChooseByte);
    connect(signedBox_, &QCheckBox::clicked, this, &MonitorWindow::ChooseSigned);
    connect(dataWindowBox_, &QCheckBox::clicked, this, &MonitorWindow::ShowOrHideByteDump);
    connect(clearButton_, &QPushButton::clicked, this, &MonitorWindow::ClearFields);
}

void MonitorWindow::AttachByteDump(ByteDumpWindow* byteDumpWindow) {
    byteDumpWindow_ = byteDumpWindow;
    connect(byteDumpWindow_, &ByteDumpWindow::AddressPointed, addressReadout_, &QLabel::setText);
    connect(byteDumpWindow_, &ByteDumpWindow::AddressClicked, this, &MonitorWindow::CopyAddress);
    connect(byteDumpWindow_, &ByteDumpWindow::Closed, this, [this] {
        dataWindowBox_->setChecked(false);
        addressReadout_->clear();
    });
}

QRadioButton* MonitorWindow::BaseButton(MonitorBase base) const {
    switch (base) {
        case MonitorBase::Dec: return decButton_;
        case MonitorBase::Hex: return hexButton_;
        case MonitorBase::Bin: return binButton_;
    }
    return nullptr;
}

MonitorFields MonitorWindow::Addresses() const {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = addressFields_[i]->text().toStdString();
    return fields;
}

MonitorFields MonitorWindow::Values() const {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = valueFields_[i]->text().toStdString();
    return fields;
}

void MonitorWindow::MonitorUpdate() {
    MonitorFields values = Values();
    orv::MonitorUpdate(Addresses(), format_, station_.stores.display, values);
    for (std::size_t i = 0; i < kMonitorFields; ++i) valueFields_[i]->setText(QString::fromStdString(values[i]));
    if (byteDumpWindow_ && byteDumpWindow_->isVisible()) byteDumpWindow_->ShowBlock(station_.stores.display, format_.Base() == MonitorBase::Dec);
}

void MonitorWindow::FormatChanged() {
    BaseButton(format_.Base())->setChecked(true);
    (format_.Width() == MonitorWidth::Word ? wordButton_ : byteButton_)->setChecked(true);
    wordButton_->setEnabled(format_.WordEnabled());
    signedBox_->setChecked(format_.SignedChecked());
    signedBox_->setEnabled(format_.SignedEnabled());
    MonitorUpdate();
}

void MonitorWindow::ChooseDecimal() {
    format_.SelectDec();
    FormatChanged();
}

void MonitorWindow::ChooseHex() {
    format_.SelectHex();
    FormatChanged();
}

void MonitorWindow::ChooseBinary() {
    format_.SelectBin();
    FormatChanged();
}

void MonitorWindow::ChooseWord() {
    format_.SelectWord();
    FormatChanged();
}

void MonitorWindow::ChooseByte() {
    format_.SelectByte();
    FormatChanged();
}

void MonitorWindow::ChooseSigned() {
    format_.SetSigned(signedBox_->isChecked());
    FormatChanged();
}

void MonitorWindow::ShowOrHideByteDump() {
    if (!byteDumpWindow_) return;
    if (dataWindowBox_->isChecked()) {
        byteDumpWindow_->ShowBlock(station_.stores.display, format_.Base() == MonitorBase::Dec);
        byteDumpWindow_->show();
        byteDumpWindow_->raise();
    } else {
        byteDumpWindow_->hide();
        addressReadout_->clear();
    }
}

void MonitorWindow::ClearFields() {
    for (std::size_t i = 0; i < kMonitorFields; ++i) {
        addressFields_[i]->clear();
        valueFields_[i]->clear();
    }
}

void MonitorWindow::CopyAddress(const QString& address) {
    MonitorFields fields = Addresses();
    CopyAddressToMonitor(fields, address.toStdString());
    for (std::size_t i = 0; i < kMonitorFields; ++i) addressFields_[i]->setText(QString::fromStdString(fields[i]));
    MonitorUpdate();
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    MonitorUpdate();
}

void MonitorWindow::SaveAddresses() { WriteMonitorAddresses(store_, Addresses()); }

void MonitorWindow::closeEvent(QCloseEvent* event) {
    if (byteDumpWindow_) byteDumpWindow_->hide();
    dataWindowBox_->setChecked(false);
    addressReadout_->clear();
    SaveAddresses();
    QWidget::closeEvent(event);
}

}  // namespace orv
