// A parent window for each control test, and controls made as its children.
#pragma once

#include <cstdint>

#include "tests/support/platform_test.h"

namespace test {

class ControlTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    parent = MakeParent();
  }
  HWND Make(const WCHAR* cls, DWORD style, int id, int x, int y, int cx, int cy,
            const WCHAR* text = u"") {
    return CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, parent,
                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                          nullptr);
  }
  HWND parent = nullptr;
};

}  // namespace test
