// Fonts of the device screen. The dialog templates name the Windows fonts
// "MS UI Gothic" and "MS Shell Dlg"; here both resolve (Qt asks fontconfig)
// to an installed Japanese Gothic: IPAGothic first, then VL Gothic, then
// Noto Sans CJK JP. Layout never depends on the font: the window system uses
// fixed dialog base units, so a wider substitute only gets clipped.
#pragma once

#include <QFont>
#include <QString>

namespace hostqt {

// Registers the substitutions once (needs a QGuiApplication) and returns the
// family that the Windows names resolve to; empty when none of the Japanese
// families is installed (the text then falls back to whatever fontconfig picks).
QString InstallDeviceFonts();

// The dialog font at the given pixel height.
QFont DeviceFont(int pixelSize, bool bold = false);

}  // namespace hostqt
