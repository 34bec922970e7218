#pragma once
// Window positions in the settings store: "FormN.Top"/"FormN.Left" in twips, of the frame.
#include <QObject>

#include "reception/settings_store.h"

class QWidget;

namespace orv {

// The window the others are placed beside (the main window); its own position is restored as
// stored, kept on a screen. The latest call wins; the window may be destroyed.
void SetPlacementAnchor(QWidget* mainWindow);

// A window's form number and its default position in twips, as stored.
struct FormSlot {
    int number;
    int defaultTopTwips;
    int defaultLeftTwips;
};

// When a window saves its position by itself, besides FormPositionKeeper::Save.
enum SavePositionOn : unsigned {
    kSaveWhenAsked = 0,  // only through Save()
    kSaveOnClose = 1,    // it gets a close event (its close box, close())
    kSaveOnHide = 2,     // the program hides it (closed, or hidden by a box), not minimised
    kSaveAtQuit = 4,     // the program ends while it is shown
};

// Keeps one window's position: restores it when made and saves it on the window's triggers.
// A child of the window.
class FormPositionKeeper : public QObject {
    Q_OBJECT
public:
    FormPositionKeeper(QWidget* window, KeyValueStore& store, FormSlot slot, unsigned saveOn);

    // Moves the window to its saved position (the defaults when none is stored). When it is
    // first shown, a window without a stored position, or whose stored frame would leave the
    // screen or cover the main window, is put beside the main window instead (cascaded), whole
    // on a screen.
    void Restore();
    // Saves the position, only when the window is neither minimised nor maximised.
    void Save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    KeyValueStore& store_;
    FormSlot slot_;
    unsigned saveOn_;
    const QMetaObject* windowClass_;  // the window's class when it made the keeper
};

// Restores `window`'s position and keeps it from then on (call once its controls are built,
// for their size). Called again for the same window, it restores the position again.
FormPositionKeeper* KeepFormPosition(QWidget* window, KeyValueStore& store, FormSlot slot, unsigned saveOn);

}  // namespace orv
