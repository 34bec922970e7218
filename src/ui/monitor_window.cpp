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

MonitorWindow::MonitorWindow(KeyValueStore& store, const StationState& station, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(store), station_(station) {
    setObjectName("MonitorWindow");
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

void MonitorWindow::BuildControls() {
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
        connect(edit, &QLineEdit::textEdited, this, &MonitorWindow::MonitorUpdate);
        edits_[i] = edit;
        values_[i] = StaticText(QStringLiteral("StaticText%1").arg(n), fixed, 8, this);
        values_[i]->setFixedHeight(edit->sizeHint().height());
        grid->addWidget(edit, n, 0);
        grid->addWidget(values_[i], n, 1);
    }
    grid->setRowStretch(static_cast<int>(kMonitorFields) + 1, 1);
    columns->addLayout(grid);
    columns->setSizeConstraint(QLayout::SetFixedSize);

    connect(radioButton1_, &QRadioButton::clicked, this, &MonitorWindow::RadioButton1Click);
    connect(radioButton2_, &QRadioButton::clicked, this, &MonitorWindow::RadioButton2Click);
    connect(radioButton3_, &QRadioButton::clicked, this, &MonitorWindow::RadioButton3Click);
    connect(radioButton4_, &QRadioButton::clicked, this, &MonitorWindow::RadioButton4Click);
    connect(radioButton5_, &QRadioButton::clicked, this, &MonitorWindow::RadioButton5Click);
    connect(checkBox1_, &QCheckBox::clicked, this, &MonitorWindow::CheckBox1Click);
    connect(checkBox2_, &QCheckBox::clicked, this, &MonitorWindow::CheckBox2Click);
    connect(button1_, &QPushButton::clicked, this, &MonitorWindow::Button1Click);
}

void MonitorWindow::AttachByteDump(ByteDumpWindow* byteDumpWindow) {
    byteDumpWindow_ = byteDumpWindow;
    connect(byteDumpWindow_, &ByteDumpWindow::AddressPointed, staticText11_, &QLabel::setText);
    connect(byteDumpWindow_, &ByteDumpWindow::AddressClicked, this, &MonitorWindow::CopyAddress);
    connect(byteDumpWindow_, &ByteDumpWindow::Closed, this, [this] {
        checkBox2_->setChecked(false);
        staticText11_->clear();
    });
}

QRadioButton* MonitorWindow::BaseButton(MonitorBase base) const {
    switch (base) {
        case MonitorBase::Dec: return radioButton1_;
        case MonitorBase::Hex: return radioButton2_;
        case MonitorBase::Bin: return radioButton3_;
    }
    return nullptr;
}

MonitorFields MonitorWindow::Addresses() const {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = edits_[i]->text().toStdString();
    return fields;
}

MonitorFields MonitorWindow::Values() const {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = values_[i]->text().toStdString();
    return fields;
}

void MonitorWindow::MonitorUpdate() {
    MonitorFields values = Values();
    orv::MonitorUpdate(Addresses(), format_, station_.stores.display, values);
    for (std::size_t i = 0; i < kMonitorFields; ++i) values_[i]->setText(QString::fromStdString(values[i]));
    if (byteDumpWindow_ && byteDumpWindow_->isVisible()) byteDumpWindow_->ShowBlock(station_.stores.display, format_.Base() == MonitorBase::Dec);
}

void MonitorWindow::FormatChanged() {
    BaseButton(format_.Base())->setChecked(true);
    (format_.Width() == MonitorWidth::Word ? radioButton4_ : radioButton5_)->setChecked(true);
    radioButton4_->setEnabled(format_.WordEnabled());
    checkBox1_->setChecked(format_.SignedChecked());
    checkBox1_->setEnabled(format_.SignedEnabled());
    MonitorUpdate();
}

void MonitorWindow::RadioButton1Click() {
    format_.SelectDec();
    FormatChanged();
}

void MonitorWindow::RadioButton2Click() {
    format_.SelectHex();
    FormatChanged();
}

void MonitorWindow::RadioButton3Click() {
    format_.SelectBin();
    FormatChanged();
}

void MonitorWindow::RadioButton4Click() {
    format_.SelectWord();
    FormatChanged();
}

void MonitorWindow::RadioButton5Click() {
    format_.SelectByte();
    FormatChanged();
}

void MonitorWindow::CheckBox1Click() {
    format_.SetSigned(checkBox1_->isChecked());
    FormatChanged();
}

void MonitorWindow::CheckBox2Click() {
    if (!byteDumpWindow_) return;
    if (checkBox2_->isChecked()) {
        byteDumpWindow_->ShowBlock(station_.stores.display, format_.Base() == MonitorBase::Dec);
        byteDumpWindow_->show();
        byteDumpWindow_->raise();
    } else {
        byteDumpWindow_->hide();
        staticText11_->clear();
    }
}

void MonitorWindow::Button1Click() {
    for (std::size_t i = 0; i < kMonitorFields; ++i) {
        edits_[i]->clear();
        values_[i]->clear();
    }
}

void MonitorWindow::CopyAddress(const QString& address) {
    MonitorFields fields = Addresses();
    CopyAddressToMonitor(fields, address.toStdString());
    for (std::size_t i = 0; i < kMonitorFields; ++i) edits_[i]->setText(QString::fromStdString(fields[i]));
    MonitorUpdate();
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    MonitorUpdate();
}

void MonitorWindow::SaveOnClose() {
    SaveFormPosition(this, store_, kFormNumber);
    WriteMonitorAddresses(store_, Addresses());
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    if (byteDumpWindow_) byteDumpWindow_->hide();
    checkBox2_->setChecked(false);
    staticText11_->clear();
    SaveOnClose();
    QWidget::closeEvent(event);
}

}  // namespace orv
