#pragma once
// How a run's outcome shows in the main window: the lamp, the tray icon with its tooltip and
// balloons, the status bar and the warning button. TMainForm::SetRunState and ShowBalloon are
// defined in run_outcome.cpp.
#include <cstdint>

namespace lantervo {

// Images of imagelistSemafor and imagelistTrayIcon.
enum OutcomeImage : int { oiGreen = 0, oiRed = 1, oiYellow = 2 };

// The balloon time-out handed to the platform, which raises it to its minimum display time.
constexpr std::int64_t kBalloonTimeout = 5;

}  // namespace lantervo
