#include "ui/setup_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHideEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "reception/serial_device_list.h"
#include "inputs/input_table.h"
#include "inputs/sound_card_input.h"
#include "ui/form_position.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

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

SetupWindow::SetupWindow(Station& station, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(station.store()), station_(station), clock_(station.clock()), messages_(messages) {
    setObjectName("SetupWindow");
    setWindowTitle(WindowTitle(u" Setup                Orv"));
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    QStringList ports;
    for (int i = 1; i <= 12; ++i) ports << QString::number(i);
    portGroup_ = RadioGroup(this, left, QStringLiteral("Com Port"), ports, 4);
#if !defined(Q_OS_WIN)
    // Off Windows the port numbers name only /dev/ttyS0..11; the operator's device is usually a
    // USB adapter, chosen from the ports present or typed as a path.
    portGroup_->buttons().front()->parentWidget()->hide();
    auto* deviceBox = new QGroupBox(QStringLiteral("Serial Device"), this);
    auto* deviceLayout = new QVBoxLayout(deviceBox);
    deviceField_ = new QComboBox(deviceBox);
    deviceField_->setObjectName("DeviceField");
    deviceField_->setEditable(true);
    deviceField_->setInsertPolicy(QComboBox::NoInsert);
    deviceField_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    deviceField_->setMinimumContentsLength(24);
    deviceField_->setToolTip(QStringLiteral(" The serial device of the modem: choose one present, or type its path "));
    // A chosen entry puts its path alone in the field.
    connect(deviceField_, &QComboBox::activated, this, [this](int index) {
        deviceField_->setEditText(deviceField_->itemData(index).toString());
    });
    deviceLayout->addWidget(deviceField_);
    left->addWidget(deviceBox);
#endif

    auto* panel2 = new QWidget(this);
    auto* panelLayout = new QGridLayout(panel2);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setVerticalSpacing(2);
    panelLayout->addWidget(new QLabel(QStringLiteral("Default Directory"), panel2), 0, 0, 1, 2);
    directoryField_ = new QLineEdit(panel2);
    directoryField_->setObjectName("DirectoryField");
    panelLayout->addWidget(directoryField_, 1, 0);
    browseButton_ = new QPushButton(QStringLiteral("Browse..."), panel2);
    browseButton_->setObjectName("BrowseButton");
    panelLayout->addWidget(browseButton_, 1, 1);
    left->addWidget(panel2);

    QStringList modemItems;
    for (int item = 0; const InputRow* row = InputForSetupItem(item); ++item)
        modemItems << QString::fromLatin1(row->setupCaption.data(), static_cast<qsizetype>(row->setupCaption.size()));
    modemGroup_ = RadioGroup(this, left, QStringLiteral("Modem Type"), modemItems, 4);
    left->addWidget(MakeAudioBox());
    left->addWidget(MakeSdrBox());
    connect(modemGroup_, &QButtonGroup::idToggled, this, [this] {
        audioBox_->setEnabled(AudioItemChecked());
        sdrBox_->setEnabled(SdrItemChecked());
    });

    auto* groupBox5 = new QGroupBox(QStringLiteral("Baud Rate"), this);
    auto* baudLayout = new QVBoxLayout(groupBox5);
    baudList_ = new QListWidget(groupBox5);
    baudList_->setObjectName("BaudList");
    for (int rate : kBaudRates) baudList_->addItem(QString::number(rate));
    baudList_->setFixedHeight(baudList_->sizeHintForRow(0) + 2 * baudList_->frameWidth() + 2);
    baudLayout->addWidget(baudList_);
    right->addWidget(groupBox5);

    logOnStartGroup_ = RadioGroup(this, right, QStringLiteral("Log On Start"), {"No", "Yes"}, 2);
    bootGroup_ = RadioGroup(this, right, QStringLiteral("TCP/IP Boot"), {"Normal", "Server"}, 2);
    logFecBox_ = new QCheckBox(QStringLiteral("Log FEC status"), this);
    right->addWidget(logFecBox_);

    auto* groupBox1 = new QGroupBox(QStringLiteral("UTC offset (hrs): "), this);
    auto* utcLayout = new QHBoxLayout(groupBox1);
    autoTimeButton_ = new QRadioButton(QStringLiteral("Auto"), groupBox1);
    manualTimeButton_ = new QRadioButton(QStringLiteral("Manual"), groupBox1);
    offsetField_ = new QLineEdit(QStringLiteral("Edit1"), groupBox1);
    offsetField_->setObjectName("OffsetField");
    offsetField_->setFixedWidth(60);
    offsetField_->setVisible(false);
    // The hidden field keeps its room, so that showing it for "Manual" moves nothing.
    QSizePolicy keepRoom = offsetField_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    offsetField_->setSizePolicy(keepRoom);
    utcLayout->addWidget(autoTimeButton_);
    utcLayout->addWidget(manualTimeButton_);
    utcLayout->addWidget(offsetField_);
    right->addWidget(groupBox1);

    auto* buttons = new QHBoxLayout;
    saveButton_ = new QPushButton(QStringLiteral("Save"), this);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(saveButton_);
    buttons->addWidget(cancelButton_);
    right->addLayout(buttons);
    right->addStretch();
    // Extra height goes below the left column's boxes, not between a label and its field.
    left->addStretch();

    connect(saveButton_, &QPushButton::clicked, this, &SetupWindow::SaveClick);
    connect(browseButton_, &QPushButton::clicked, this, &SetupWindow::BrowseClick);
    chooseDirectory_ = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Default Directory"), start);
    };
    connect(cancelButton_, &QPushButton::clicked, this, &SetupWindow::CancelClick);
    connect(autoTimeButton_, &QRadioButton::clicked, this, &SetupWindow::AutoTimeClick);
    connect(manualTimeButton_, &QRadioButton::clicked, this, &SetupWindow::ManualTimeClick);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    KeepFormPosition(this, store_, {.number = 4, .defaultTopTwips = 50, .defaultLeftTwips = 50}, kSaveOnClose);
}

// The audio source (sound card, UDP port or file), the centre frequency the demodulator
// searches around and how far.
QGroupBox* SetupWindow::MakeAudioBox() {
    audioBox_ = new QGroupBox(QStringLiteral("Audio"), this);
    audioBox_->setObjectName("AudioBox");
    auto* grid = new QGridLayout(audioBox_);
    audioSourceGroup_ = new QButtonGroup(audioBox_);
    const QString sources[] = {QStringLiteral("Sound card"), QStringLiteral("UDP port"), QStringLiteral("File")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(sources[i], audioBox_);
        audioSourceGroup_->addButton(b, i);
        grid->addWidget(b, i, 0);
    }
    audioDeviceField_ = new QComboBox(audioBox_);
    audioDeviceField_->setObjectName("AudioDeviceField");
    audioDeviceField_->setEditable(true);
    audioPortField_ = new QLineEdit(audioBox_);
    audioPortField_->setObjectName("AudioPortField");
    audioFileField_ = new QLineEdit(audioBox_);
    audioFileField_->setObjectName("AudioFileField");
    audioCentreField_ = new QLineEdit(audioBox_);
    audioCentreField_->setObjectName("AudioCentreField");
    grid->addWidget(audioDeviceField_, 0, 1);
    grid->addWidget(audioPortField_, 1, 1);
    grid->addWidget(audioFileField_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Centre (Hz)"), audioBox_), 3, 0);
    grid->addWidget(audioCentreField_, 3, 1);
    // The rate of a UDP stream's raw samples, which carry none (a sound card and a file say theirs).
    audioRateField_ = new QLineEdit(audioBox_);
    audioRateField_->setObjectName("AudioRateField");
    audioRateField_->setToolTip(QStringLiteral(" Samples per second of the UDP stream, as the SDR program sends it "));
    grid->addWidget(new QLabel(QStringLiteral("UDP rate (Hz)"), audioBox_), 4, 0);
    grid->addWidget(audioRateField_, 4, 1);
    audioSearchField_ = new QLineEdit(audioBox_);
    audioSearchField_->setObjectName("AudioSearchField");
    grid->addWidget(new QLabel(QStringLiteral("Search +- (Hz)"), audioBox_), 5, 0);
    grid->addWidget(audioSearchField_, 5, 1);
    audioBox_->setEnabled(false);
    return audioBox_;
}

// The SDR: an rtl_tcp server or a SoapySDR device, the centre it is tuned to, where the beacon
// is relative to it, the sample rate, gain and frequency correction.
QGroupBox* SetupWindow::MakeSdrBox() {
    sdrBox_ = new QGroupBox(QStringLiteral("SDR"), this);
    sdrBox_->setObjectName("SdrBox");
    auto* grid = new QGridLayout(sdrBox_);
    sdrSourceGroup_ = new QButtonGroup(sdrBox_);
    auto field = [this](const char* name) {
        auto* f = new QLineEdit(sdrBox_);
        f->setObjectName(name);
        return f;
    };
    sdrAddressField_ = field("SdrAddressField");
    sdrAddressField_->setToolTip(QStringLiteral(" The rtl_tcp server, HOST:PORT "));
    sdrDeviceField_ = field("SdrDeviceField");
    sdrDeviceField_->setToolTip(QStringLiteral(" SoapySDR device arguments, e.g. driver=rtlsdr (orv-cli iq --list-devices) "));
    const QString sources[] = {QStringLiteral("rtl_tcp"), QStringLiteral("SoapySDR")};
    QLineEdit* sourceFields[] = {sdrAddressField_, sdrDeviceField_};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(sources[i], sdrBox_);
        sdrSourceGroup_->addButton(b, i);
        grid->addWidget(b, i, 0);
        grid->addWidget(sourceFields[i], i, 1, 1, 3);
    }
    sdrFrequencyField_ = field("SdrFrequencyField");
    sdrOffsetField_ = field("SdrOffsetField");
    sdrRateField_ = field("SdrRateField");
    sdrGainField_ = field("SdrGainField");
    sdrPpmField_ = field("SdrPpmField");
    const std::pair<QString, QLineEdit*> rows[] = {{QStringLiteral("Frequency (Hz)"), sdrFrequencyField_},
                                                   {QStringLiteral("Offset (Hz)"), sdrOffsetField_},
                                                   {QStringLiteral("Rate (/s)"), sdrRateField_},
                                                   {QStringLiteral("Gain (dB)"), sdrGainField_},
                                                   {QStringLiteral("PPM"), sdrPpmField_}};
    // Two columns of label and field under the source.
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(new QLabel(rows[i].first, sdrBox_), 2 + i / 2, 2 * (i % 2));
        grid->addWidget(rows[i].second, 2 + i / 2, 2 * (i % 2) + 1);
    }
    sdrFrequencyField_->setToolTip(QStringLiteral(" The centre frequency the SDR is tuned to "));
    sdrOffsetField_->setToolTip(QStringLiteral(" Where the beacon is relative to the centre; it is sought 5 kHz either side "));
    sdrGainField_->setToolTip(QStringLiteral(" The gain in dB, or auto "));
    sdrBox_->setEnabled(false);
    return sdrBox_;
}

void SetupWindow::Select(QButtonGroup* group, int item) {
    // Unchecking every button of an exclusive group needs the exclusivity lifted for a moment.
    group->setExclusive(false);
    for (auto* b : group->buttons()) b->setChecked(group->id(b) == item);
    group->setExclusive(true);
}

SetupChoices SetupWindow::Choices() const {
    SetupChoices c;
    c.portItem = portGroup_->checkedId();
    c.directoryField = directoryField_->text().toStdString();
    c.modemItem = modemGroup_->checkedId();
    c.baudItem = baudList_->currentRow();
    c.logOnStartItem = logOnStartGroup_->checkedId();
    c.bootItem = bootGroup_->checkedId();
    c.logFec = logFecBox_->isChecked();
    c.autoTime = autoTimeButton_->isChecked();
    c.manualTime = manualTimeButton_->isChecked();
    c.offsetText = offsetField_->text().toStdString();
    c.audio.sourceItem = audioSourceGroup_->checkedId();
    c.audio.deviceField = audioDeviceField_->currentText().toStdString();
    c.audio.portField = audioPortField_->text().toStdString();
    c.audio.fileField = audioFileField_->text().toStdString();
    c.audio.centreField = audioCentreField_->text().toStdString();
    c.audio.rateField = audioRateField_->text().toStdString();
    c.audio.searchField = audioSearchField_->text().toStdString();
    c.sdr.sourceItem = sdrSourceGroup_->checkedId();
    c.sdr.addressField = sdrAddressField_->text().toStdString();
    c.sdr.deviceField = sdrDeviceField_->text().toStdString();
    c.sdr.frequencyField = sdrFrequencyField_->text().toStdString();
    c.sdr.offsetField = sdrOffsetField_->text().toStdString();
    c.sdr.rateField = sdrRateField_->text().toStdString();
    c.sdr.gainField = sdrGainField_->text().toStdString();
    c.sdr.ppmField = sdrPpmField_->text().toStdString();
    if (deviceField_ && DevicePath() != shownDevice_) c.serialDevice = DevicePath().toStdString();
    return c;
}

void SetupWindow::SetChoices(const SetupChoices& c) {
    Select(portGroup_, c.portItem);
    directoryField_->setText(QString::fromStdString(c.directoryField));
    Select(modemGroup_, c.modemItem);
    if (c.baudItem >= 0) baudList_->setCurrentRow(c.baudItem);
    Select(logOnStartGroup_, c.logOnStartItem);
    Select(bootGroup_, c.bootItem);
    logFecBox_->setChecked(c.logFec);
    autoTimeButton_->setChecked(c.autoTime);
    manualTimeButton_->setChecked(c.manualTime);
    offsetField_->setText(QString::fromStdString(c.offsetText));
    offsetField_->setVisible(c.manualTime);
    Select(audioSourceGroup_, c.audio.sourceItem);
    audioDeviceField_->setCurrentText(QString::fromStdString(c.audio.deviceField));
    audioPortField_->setText(QString::fromStdString(c.audio.portField));
    audioFileField_->setText(QString::fromStdString(c.audio.fileField));
    audioCentreField_->setText(QString::fromStdString(c.audio.centreField));
    audioRateField_->setText(QString::fromStdString(c.audio.rateField));
    audioSearchField_->setText(QString::fromStdString(c.audio.searchField));
    audioBox_->setEnabled(AudioItemChecked());
    Select(sdrSourceGroup_, c.sdr.sourceItem);
    sdrAddressField_->setText(QString::fromStdString(c.sdr.addressField));
    sdrDeviceField_->setText(QString::fromStdString(c.sdr.deviceField));
    sdrFrequencyField_->setText(QString::fromStdString(c.sdr.frequencyField));
    sdrOffsetField_->setText(QString::fromStdString(c.sdr.offsetField));
    sdrRateField_->setText(QString::fromStdString(c.sdr.rateField));
    sdrGainField_->setText(QString::fromStdString(c.sdr.gainField));
    sdrPpmField_->setText(QString::fromStdString(c.sdr.ppmField));
    sdrBox_->setEnabled(SdrItemChecked());
}

QString SetupWindow::DevicePath() const {
    if (!deviceField_) return {};
    const QString text = deviceField_->currentText().trimmed();
    const int index = deviceField_->findText(text);
    return index >= 0 ? deviceField_->itemData(index).toString() : text;
}

void SetupWindow::FillDevices() {
    if (!deviceField_) return;
    shownDevice_ = deviceInUse_ ? deviceInUse_() : QString();
    if (shownDevice_ == QStringLiteral("/dev/ttyS-1")) shownDevice_.clear();  // no port chosen yet
    const QSignalBlocker blocker(deviceField_);
    deviceField_->clear();
    for (const SerialDeviceEntry& d : ListSerialDevices()) {
        deviceField_->addItem(d.description.isEmpty() ? d.path : d.path + "  -  " + d.description, d.path);
        deviceField_->setItemData(deviceField_->count() - 1, d.description, Qt::ToolTipRole);
    }
    deviceField_->setEditText(shownDevice_);
}

void SetupWindow::BrowseClick() {
    const QString chosen = chooseDirectory_ ? chooseDirectory_(directoryField_->text().trimmed()) : QString();
    if (!chosen.isEmpty()) directoryField_->setText(" " + QDir::toNativeSeparators(chosen));
}

void SetupWindow::OpenFromMenu() {
    setWindowModality(Qt::NonModal);
    show();
    audioDeviceField_->clear();
    audioDeviceField_->addItems(SoundCardInput::DeviceNames());
    SetupChoices c = FillSetupChoices(station_.state(), clock_, Choices());
    c.audio = AudioChoicesFrom(ReadAudioSettings(store_));
    c.sdr = SdrChoicesFrom(ReadSdrSettings(store_));
    SetChoices(c);
    FillDevices();
}

void SetupWindow::ShowFirstRun() {
    setWindowModality(Qt::ApplicationModal);
    // Nothing is stored yet: what an untouched "Save" would store is shown selected.
    audioDeviceField_->clear();
    audioDeviceField_->addItems(SoundCardInput::DeviceNames());
    SetChoices(FirstRunSetupChoices());
    FillDevices();
    show();
    raise();
}

bool SetupWindow::AudioItemChecked() const {
    const InputRow* row = InputForSetupItem(modemGroup_->checkedId());
    return row != nullptr && row->kind == InputKind::Audio;
}

bool SetupWindow::SdrItemChecked() const {
    const InputRow* row = InputForSetupItem(modemGroup_->checkedId());
    return row != nullptr && row->kind == InputKind::Iq;
}

void SetupWindow::AutoTimeClick() { offsetField_->setVisible(false); }

void SetupWindow::ManualTimeClick() {
    offsetField_->setVisible(true);
    offsetField_->setText(QString::fromStdString(OffsetFieldText(UtcOffsetHours(station_.state().settings.utcRule, clock_))));
}

void SetupWindow::SaveClick() {
    if (auto error = station_.SaveSetup(Choices())) {
        messages_.Inform(QString::fromStdString(*error));
        return;
    }
    hide();
    if (afterSave_) afterSave_();
}

void SetupWindow::CancelClick() { close(); }

void SetupWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The modality may change only while the window is hidden: changed while it is shown, the
    // first-run window would keep blocking every other window after Cancel.
    setWindowModality(Qt::NonModal);
}

}  // namespace orv
