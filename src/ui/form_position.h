#pragma once
// Window positions in the settings store: "FormN.Top"/"FormN.Left" in twips, of the frame.
#include "reception/settings_store.h"

class QWidget;

namespace orv {

// The window the others are placed beside (the main window); its own position is restored as
// stored, kept on a screen. The latest call wins; the window may be destroyed.
void SetPlacementAnchor(QWidget* mainWindow);

// Moves the window to its saved position (defaults in twips, as stored). When it is first shown,
// a window without a stored position, or whose stored frame would leave the screen or cover the
// main window, is put beside the main window instead (cascaded), whole on a screen.
void RestoreFormPosition(QWidget* window, const KeyValueStore& store, int formNumber, int defaultTopTwips,
                         int defaultLeftTwips);

// Saves the position, only when the window is neither minimised nor maximised.
void SaveFormPosition(const QWidget* window, KeyValueStore& store, int formNumber);

}  // namespace orv
