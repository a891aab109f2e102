// How large the device window is: each device pixel becomes a square of
// whole desktop pixels (physical pixels, also on a HiDPI screen), so the
// screen stays sharp, and the window fits the desktop's free area.
#pragma once

#include <QSize>
#include <optional>
#include <string>

namespace hostqt {

struct ScreenFit {
  int scale = 1;     // physical desktop pixels per device pixel
  std::string note;  // set when the requested zoom did not fit
};

// `zoom` is in the desktop's logical pixels (none: the largest up to 2 that
// fits); `available` is the free desktop area in physical pixels and `ratio`
// the desktop's device-pixel ratio. Never below one pixel per device pixel.
ScreenFit FitScreen(std::optional<int> zoom, QSize device, QSize available, double ratio);

}  // namespace hostqt
