// Builds the renderer's Scene from the live window system: every visible
// top-level window and its children in Z order, with the state each control
// reports through its messages and the platform's query calls.
#pragma once

#include "host/qt/scene.h"
#include "platform/wintypes.h"

namespace hostqt {

Scene CaptureScene();

// One window and its subtree.
SceneNode CaptureWindow(HWND hwnd);

}  // namespace hostqt
