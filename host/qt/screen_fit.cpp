#include "host/qt/screen_fit.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace hostqt {

namespace {

constexpr int kDefaultZoom = 2;

std::string ZoomText(int scale, double ratio) {
  std::ostringstream text;
  text << static_cast<double>(scale) / ratio;
  return text.str();
}

}  // namespace

ScreenFit FitScreen(std::optional<int> zoom, QSize device, QSize available, double ratio) {
  if (!(ratio > 0)) ratio = 1;
  const int wanted =
      std::max(1, static_cast<int>(std::lround(zoom.value_or(kDefaultZoom) * ratio)));
  auto fits = [&](int scale) {
    return device.width() * scale <= available.width() &&
           device.height() * scale <= available.height();
  };
  ScreenFit fit;
  fit.scale = wanted;
  while (fit.scale > 1 && !fits(fit.scale)) --fit.scale;
  if (zoom && fit.scale < wanted) {
    const long freeWidth = std::lround(available.width() / ratio);
    const long freeHeight = std::lround(available.height() / ratio);
    fit.note = "--zoom " + std::to_string(*zoom) + " does not fit the screen's free area of " +
               std::to_string(freeWidth) + "x" + std::to_string(freeHeight) + "; using zoom " +
               ZoomText(fit.scale, ratio);
  }
  return fit;
}

}  // namespace hostqt
