#pragma once
// The keyboard reaches a window's menus: F10, or Alt pressed and released alone, opens the first
// menu, from where the arrow keys, Return and Escape go on; Alt with a menu's underlined letter
// opens that menu (its "&" mnemonic).
class QMenuBar;
class QWidget;

namespace orv {

// For `window` with its menu bar `bar`.
void OpenMenusByKeyboard(QWidget* window, QMenuBar* bar);

}  // namespace orv
