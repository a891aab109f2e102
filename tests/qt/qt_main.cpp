// Runs the Qt tests on Qt's offscreen platform: no display is needed.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Offscreen, with the screen a test registration may describe.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || std::string_view(platform).rfind("offscreen", 0) != 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
