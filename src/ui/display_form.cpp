#include "ui/display_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/form_position.h"
#include "ui/main_window.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr int kFreeMargin = 8;  // free surface around the group boxes, for the raw toggle
const QColor kDarkGround(64, 64, 64);

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) event->accept();
    else QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
    QLabel::mouseReleaseEvent(event);
}

void SetFieldColour(QLabel* label, FieldColour colour) {
    const auto rgb = ColourRgb(colour);
    const QColor text = rgb ? QColor(rgb->r, rgb->g, rgb->b) : label->window()->palette().color(QPalette::WindowText);
    // Yellow letters cannot be read on the light form: they stand on a dark ground.
    const bool darkGround = colour == FieldColour::Yellow;
    QPalette p = label->palette();
    if (p.color(QPalette::WindowText) == text && label->autoFillBackground() == darkGround) return;
    p.setColor(QPalette::WindowText, text);
    if (darkGround) p.setColor(QPalette::Window, kDarkGround);
    label->setAutoFillBackground(darkGround);
    label->setPalette(p);
}

// ---- DisplayForm ----

DisplayForm::DisplayForm(const WindowInfo& info, const DisplayContext& context)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      info_(info), context_(context) {
    setObjectName(Text(info_.objectName));
    setWindowTitle(WindowTitle(Text(info_.caption)));
    if (!info_.formHint.empty()) setToolTip(Text(info_.formHint));
    // Closed, or hidden by its box on the main window, it keeps the place it had; also when the
    // program ends while it is open.
    KeepFormPosition(this, context_.store, {info_.formNumber, info_.defaultTop, info_.defaultLeft},
                     kSaveOnHide | kSaveAtQuit);
}

DisplayInput DisplayForm::Input(bool raw) const {
    const StationState& s = context_.station;
    return {s.stores.display, s.stores.lastA, s.flags.eventsMode, raw};
}

void DisplayForm::closeEvent(QCloseEvent* event) {
    if (mainWindowBox_) mainWindowBox_->setChecked(false);
    QWidget::closeEvent(event);
}

void AttachDisplayForm(MainWindow& mainWindow, DisplayWindow which, DisplayForm& form) {
    mainWindow.AttachDisplay(which, &form, [&form] { form.Update(); });
    form.SetCheckBox(mainWindow.DataCheckBox(which));
}

// ---- FieldForm ----

FieldForm::FieldForm(const WindowInfo& info, const DisplayContext& context, ContentFunction content,
                     const std::vector<GroupInfo>& groups, std::span<const GroupPlace> places,
                     std::string_view emptyGroup)
    : DisplayForm(info, context), content_(content),
      placeholder_(PlaceholderFields(content({}), emptyGroup)),
      captions_(placeholder_.size(), nullptr), values_(placeholder_.size(), nullptr) {
    formLayout_ = new QVBoxLayout(this);
    formLayout_->setContentsMargins(kFreeMargin, kFreeMargin, kFreeMargin, kFreeMargin);
    formLayout_->setSpacing(kFreeMargin);
    auto* grid = new QGridLayout;
    grid->setSpacing(kFreeMargin);
    formLayout_->addLayout(grid);
    for (const auto& place : places) {
        const auto g = std::find_if(groups.begin(), groups.end(),
                                    [&](const GroupInfo& gi) { return gi.caption == place.group; });
        if (g == groups.end()) continue;
        grid->addWidget(BuildGroup(*g, place.pairsPerLine), place.row, place.column, place.rowSpan, place.columnSpan);
    }
    formLayout_->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* FieldForm::BuildGroup(const GroupInfo& group, int pairsPerLine) {
    auto* box = new QGroupBox(Text(group.caption), this);
    if (!group.hint.empty()) box->setToolTip(Text(group.hint));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    int line = -1, slot = pairsPerLine;
    std::string_view subgroup;
    for (const auto& field : placeholder_) {
        if (field.info.group != group.caption) continue;
        if (field.info.subgroup != subgroup) {
            subgroup = field.info.subgroup;
            ++line;
            if (subgroup.empty()) {
                grid->setRowMinimumHeight(line, 4);  // a gap after the last sub-heading's fields
            } else {
                auto* heading = new QLabel(Text(subgroup), box);
                QFont f = heading->font();
                f.setUnderline(true);
                heading->setFont(f);
                grid->addWidget(heading, line, 0, 1, 2 * pairsPerLine);
            }
            slot = pairsPerLine;
        }
        if (slot == pairsPerLine) {
            ++line;
            slot = 0;
        }
        grid->addWidget(NewCaption(field, box), line, 2 * slot);
        grid->addWidget(NewValue(field, box), line, 2 * slot + 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++slot;
    }
    grid->setRowStretch(line + 1, 1);
    // Value columns wide enough for the longest value text, so the window keeps its size from
    // block to block.
    const int valueWidth = box->fontMetrics().horizontalAdvance(QStringLiteral("-0.000E+00")) * 11 / 10;
    for (int c = 0; c < pairsPerLine; ++c) {
        grid->setColumnMinimumWidth(2 * c + 1, valueWidth);
        grid->setColumnStretch(2 * c + 1, 1);
    }
    return box;
}

int FieldForm::FieldIndex(std::string_view id) const {
    for (std::size_t i = 0; i < placeholder_.size(); ++i)
        if (placeholder_[i].info.id == id) return static_cast<int>(i);
    return -1;
}

QLabel* FieldForm::NewCaption(const DisplayField& field, QWidget* parent) {
    QLabel* label = nullptr;
    if (field.info.graph) {
        auto* click = new ClickLabel(Text(field.info.caption), parent);
        const GraphLink link = *field.info.graph;
        connect(click, &ClickLabel::Clicked, this, [this, link] { CaptionClicked(link); });
        label = click;
    } else {
        label = new QLabel(Text(field.info.caption), parent);
    }
    label->setObjectName(Text(field.info.id) + "_caption");
    if (!field.info.hint.empty()) label->setToolTip(Text(field.info.hint));
    const int i = FieldIndex(field.info.id);
    if (i >= 0) captions_[static_cast<std::size_t>(i)] = label;
    return label;
}

QLabel* FieldForm::NewValue(const DisplayField& field, QWidget* parent) {
    auto* label = new QLabel(Text(field.text), parent);
    label->setObjectName(Text(field.info.id));
    const std::string_view hint = field.info.valueHint.empty() ? field.info.hint : field.info.valueHint;
    if (!hint.empty()) label->setToolTip(Text(hint));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setContentsMargins(2, 0, 2, 0);
    const int i = FieldIndex(field.info.id);
    if (i >= 0) values_[static_cast<std::size_t>(i)] = label;
    return label;
}

QLabel* FieldForm::ValueLabel(std::string_view id) const {
    const int i = FieldIndex(id);
    return i < 0 ? nullptr : values_[static_cast<std::size_t>(i)];
}

QLabel* FieldForm::CaptionLabel(std::string_view id) const {
    const int i = FieldIndex(id);
    return i < 0 ? nullptr : captions_[static_cast<std::size_t>(i)];
}

void FieldForm::Update() {
    const std::vector<DisplayField> fields = content_(Input(raw_));
    for (std::size_t i = 0; i < fields.size() && i < values_.size(); ++i) {
        QLabel* value = values_[i];
        if (!value) continue;
        value->setText(QString::fromStdString(fields[i].text));
        SetFieldColour(value, fields[i].colour);
    }
}

void FieldForm::ToggleRawMode() {
    raw_ = !raw_;
    // The caption says when the fields show raw channel values instead of converted ones.
    setWindowTitle(WindowTitle(Text(Info().caption), raw_ ? QStringLiteral("raw values") : QString()));
    const StationState& s = Context().station;
    if (RawToggleRedraws(s.stores.display, s.flags.crccStatus, s.receiver.blockLength)) Update();
    emit RawModeToggled();
}

void FieldForm::CaptionClicked(const GraphLink& link) {
    if (!replay_ || !replay_->isVisible()) return;
    Context().messages.Beep();
    // The channel graph (ChannelGraphWindow) draws the request.
    emit GraphRequested(link.Request());
}

void FieldForm::mousePressEvent(QMouseEvent* event) {
    // Only the free surface: presses on labels, panels and group boxes end there.
    const bool free = childAt(event->position().toPoint()) == nullptr;
    if (free && event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)) ToggleRawMode();
    QWidget::mousePressEvent(event);
}

}  // namespace orv
