#pragma once
// What the five display windows share. DisplayForm: an independent top-level window that reads
// the display block from the station, keeps its position in the settings store and unchecks its
// box on the main window when closed. FieldForm: a window of captioned value fields in group
// boxes that renders exactly what its content function returns, with the raw/converted toggle
// and the caption clicks that ask for a channel graph.
#include <QCheckBox>
#include <QLabel>
#include <QMetaType>
#include <QPointer>
#include <QWidget>
#include <span>
#include <string_view>
#include <vector>

#include "displays/display_content.h"
#include "displays/display_window.h"
#include "reception/settings_store.h"

class QGridLayout;
class QGroupBox;
class QVBoxLayout;

#include "ui/meta_types.h"

namespace orv {

class MainWindow;
class UserMessages;

// What every display window works with: the settings store (positions), the station (display
// block, last A block, flags) and the beeps.
struct DisplayContext {
    KeyValueStore& store;
    const StationState& station;
    UserMessages& messages;
};

// A label that reports a left click (press and release on it).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class DisplayForm : public QWidget {
    Q_OBJECT
public:
    // The update operation the display dispatch calls.
    virtual void Update() = 0;
    // The main window's check box that shows this window; closing the window unchecks it.
    void SetCheckBox(QCheckBox* box) { mainWindowBox_ = box; }
    const WindowInfo& Info() const { return info_; }

protected:
    DisplayForm(const WindowInfo& info, const DisplayContext& context);
    // The display block, the last A block and Events mode of the station, with `raw`.
    DisplayInput Input(bool raw) const;
    const DisplayContext& Context() const { return context_; }

    void closeEvent(QCloseEvent* event) override;

private:
    const WindowInfo& info_;
    DisplayContext context_;
    QPointer<QCheckBox> mainWindowBox_;
};

// Where a group box stands in a field window's grid, and how many caption/value pairs it puts
// on one line.
struct GroupPlace {
    std::string_view group;
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    int pairsPerLine = 1;
};

class FieldForm : public DisplayForm {
    Q_OBJECT
public:
    using ContentFunction = std::vector<DisplayField> (*)(const DisplayInput& input);

    void Update() override;
    bool RawMode() const { return raw_; }
    // Shift + left click on the free surface.
    void ToggleRawMode();
    // The Replay window: caption clicks ask for a graph only while it is shown.
    void SetReplayWindow(QWidget* replay) { replay_ = replay; }

    // The value label and the caption label of a field by its id (null when there is none).
    QLabel* ValueLabel(std::string_view id) const;
    QLabel* CaptionLabel(std::string_view id) const;

signals:
    // A channel caption was clicked while the Replay window is shown: graph that channel.
    void GraphRequested(const orv::GraphRequest& request);
    // The raw display flag was inverted: a Replay window holding a loaded file redraws all
    // displays from its current block (ShowReplayBlock).
    void RawModeToggled();

protected:
    // Builds the group boxes of `places` into the window's grid; the fields of any other group
    // (the Status header) the subclass lays out itself with NewCaption and NewValue.
    FieldForm(const WindowInfo& info, const DisplayContext& context, ContentFunction content,
              const std::vector<GroupInfo>& groups, std::span<const GroupPlace> places,
              std::string_view emptyGroup = {});

    // The fields as they stand before the first update.
    const std::vector<DisplayField>& Placeholder() const { return placeholder_; }
    QLabel* NewCaption(const DisplayField& field, QWidget* parent);
    QLabel* NewValue(const DisplayField& field, QWidget* parent);
    // The window's layout: the group grid, with room above it for a subclass's panels.
    QVBoxLayout* FormLayout() const { return formLayout_; }

    void mousePressEvent(QMouseEvent* event) override;

private:
    QGroupBox* BuildGroup(const GroupInfo& group, int pairsPerLine);
    int FieldIndex(std::string_view id) const;
    void CaptionClicked(const GraphLink& link);

    ContentFunction content_;
    std::vector<DisplayField> placeholder_;
    std::vector<QLabel*> captions_;  // by field index; null for uncaptioned fields
    std::vector<QLabel*> values_;
    QVBoxLayout* formLayout_ = nullptr;
    QPointer<QWidget> replay_;
    bool raw_ = false;
};

// Shows the field's colour on a label; FieldColour::Form restores the window's text colour.
void SetFieldColour(QLabel* label, FieldColour colour);

// Hands a display window to the main window: the dispatch updates it while its box is checked,
// and closing the window unchecks the box.
void AttachDisplayForm(MainWindow& mainWindow, DisplayWindow which, DisplayForm& form);

}  // namespace orv
