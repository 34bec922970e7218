#pragma once
// The program's hints: they appear 1500 ms after the mouse comes to rest on a control and hide
// after 4000 ms.
class QApplication;

namespace orv {

inline constexpr int kHintShowDelayMs = 1500;
inline constexpr int kHintHideDelayMs = 4000;

// Sets the application's style and event filter for the hint timing.
void InstallHintTiming(QApplication& app);

}  // namespace orv
