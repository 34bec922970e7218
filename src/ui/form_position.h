#pragma once
// Window positions in the settings store: "FormN.Top"/"FormN.Left" in twips.
#include "reception/settings_store.h"

class QWidget;

namespace orv {

// Moves the window to its saved position (defaults in twips, as stored).
void RestoreFormPosition(QWidget* window, const KeyValueStore& store, int formNumber, int defaultTopTwips,
                         int defaultLeftTwips);

// Saves the position, only when the window is neither minimised nor maximised.
void SaveFormPosition(const QWidget* window, KeyValueStore& store, int formNumber);

}  // namespace orv
