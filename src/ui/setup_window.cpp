#include "ui/setup_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/form_position.h"
#include "ui/user_messages.h"

namespace orv {
namespace {

// A captioned radio group laid out in `columns` columns; the buttons carry ids 0..n-1.
QButtonGroup* RadioGroup(QWidget* parent, QLayout* into, const QString& caption, const QStringList& items, int columns) {
    auto* box = new QGroupBox(caption, parent);
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    into->addWidget(box);
    return group;
}

}  // namespace

SetupWindow::SetupWindow(KeyValueStore& store, StationState& station, const Clock& clock, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(store), station_(station), clock_(clock), messages_(messages) {
    setObjectName("SetupWindow");
    setWindowTitle(QStringLiteral(" Setup                Orv"));
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    QStringList ports;
    for (int i = 1; i <= 12; ++i) ports << QString::number(i);
    radioGroup1_ = RadioGroup(this, left, QStringLiteral("Com Port"), ports, 4);

    auto* panel2 = new QWidget(this);
    auto* panelLayout = new QVBoxLayout(panel2);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(new QLabel(QStringLiteral("Default Directory"), panel2));
    edit2_ = new QLineEdit(panel2);
    edit2_->setObjectName("Edit2");
    panelLayout->addWidget(edit2_);
    left->addWidget(panel2);

    radioGroup4_ = RadioGroup(this, left, QStringLiteral("Modem Type"), {"512 byte", "514 byte", "ADC"}, 3);

    auto* groupBox5 = new QGroupBox(QStringLiteral("Baud Rate"), this);
    auto* baudLayout = new QVBoxLayout(groupBox5);
    listBox4_ = new QListWidget(groupBox5);
    listBox4_->setObjectName("ListBox4");
    for (int rate : kBaudRates) listBox4_->addItem(QString::number(rate));
    listBox4_->setFixedHeight(listBox4_->sizeHintForRow(0) + 2 * listBox4_->frameWidth() + 2);
    baudLayout->addWidget(listBox4_);
    right->addWidget(groupBox5);

    radioGroup2_ = RadioGroup(this, right, QStringLiteral("Log On Start"), {"No", "Yes"}, 2);
    radioGroup5_ = RadioGroup(this, right, QStringLiteral("TCP/IP Boot"), {"Normal", "Server"}, 2);
    checkBox1_ = new QCheckBox(QStringLiteral("Log FEC status"), this);
    right->addWidget(checkBox1_);

    auto* groupBox1 = new QGroupBox(QStringLiteral("UTC offset (hrs): "), this);
    auto* utcLayout = new QHBoxLayout(groupBox1);
    radioButton1_ = new QRadioButton(QStringLiteral("Auto"), groupBox1);
    radioButton2_ = new QRadioButton(QStringLiteral("Manual"), groupBox1);
    edit1_ = new QLineEdit(QStringLiteral("Edit1"), groupBox1);
    edit1_->setObjectName("Edit1");
    edit1_->setFixedWidth(60);
    edit1_->setVisible(false);
    utcLayout->addWidget(radioButton1_);
    utcLayout->addWidget(radioButton2_);
    utcLayout->addWidget(edit1_);
    right->addWidget(groupBox1);

    auto* buttons = new QHBoxLayout;
    button1_ = new QPushButton(QStringLiteral("Save"), this);
    button2_ = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(button1_);
    buttons->addWidget(button2_);
    right->addLayout(buttons);
    right->addStretch();

    connect(button1_, &QPushButton::clicked, this, &SetupWindow::Button1Click);
    connect(button2_, &QPushButton::clicked, this, &SetupWindow::Button2Click);
    connect(radioButton1_, &QRadioButton::clicked, this, &SetupWindow::RadioButton1Click);
    connect(radioButton2_, &QRadioButton::clicked, this, &SetupWindow::RadioButton2Click);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    RestoreFormPosition(this, store_, 4, 50, 50);
}

void SetupWindow::Select(QButtonGroup* group, int item) {
    // Unchecking every button of an exclusive group needs the exclusivity lifted for a moment.
    group->setExclusive(false);
    for (auto* b : group->buttons()) b->setChecked(group->id(b) == item);
    group->setExclusive(true);
}

SetupChoices SetupWindow::Choices() const {
    SetupChoices c;
    c.portItem = radioGroup1_->checkedId();
    c.directoryField = edit2_->text().toStdString();
    c.modemItem = radioGroup4_->checkedId();
    c.baudItem = listBox4_->currentRow();
    c.logOnStartItem = radioGroup2_->checkedId();
    c.bootItem = radioGroup5_->checkedId();
    c.logFec = checkBox1_->isChecked();
    c.autoTime = radioButton1_->isChecked();
    c.manualTime = radioButton2_->isChecked();
    c.offsetText = edit1_->text().toStdString();
    return c;
}

void SetupWindow::SetChoices(const SetupChoices& c) {
    Select(radioGroup1_, c.portItem);
    edit2_->setText(QString::fromStdString(c.directoryField));
    Select(radioGroup4_, c.modemItem);
    if (c.baudItem >= 0) listBox4_->setCurrentRow(c.baudItem);
    Select(radioGroup2_, c.logOnStartItem);
    Select(radioGroup5_, c.bootItem);
    checkBox1_->setChecked(c.logFec);
    radioButton1_->setChecked(c.autoTime);
    radioButton2_->setChecked(c.manualTime);
    edit1_->setText(QString::fromStdString(c.offsetText));
    edit1_->setVisible(c.manualTime);
}

void SetupWindow::Setup1Click() {
    setWindowModality(Qt::NonModal);
    show();
    SetChoices(FillSetupChoices(station_, clock_, Choices()));
}

void SetupWindow::ShowFirstRun() {
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
}

void SetupWindow::RadioButton1Click() { edit1_->setVisible(false); }

void SetupWindow::RadioButton2Click() {
    edit1_->setVisible(true);
    edit1_->setText(QString::fromStdString(OffsetFieldText(UtcOffsetHours(station_.settings.utcRule, clock_))));
}

void SetupWindow::Button1Click() {
    if (auto error = SaveSetupChoices(Choices(), store_, station_, clock_)) {
        messages_.Inform(QString::fromStdString(*error));
        return;
    }
    hide();
    setWindowModality(Qt::NonModal);
    if (afterSave_) afterSave_();
}

void SetupWindow::Button2Click() { close(); }

void SetupWindow::closeEvent(QCloseEvent* event) {
    SaveFormPosition(this, store_, 4);
    setWindowModality(Qt::NonModal);
    QWidget::closeEvent(event);
}

}  // namespace orv
