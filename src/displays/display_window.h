#pragma once
// The five display windows.
namespace orv {

// The display windows in the order the dispatch updates them.
enum class DisplayWindow { Status, Matrix, Nav, Power, Temp };
inline constexpr DisplayWindow kDisplayOrder[] = {DisplayWindow::Status, DisplayWindow::Matrix, DisplayWindow::Nav,
                                                  DisplayWindow::Power, DisplayWindow::Temp};

}  // namespace orv
