// Desktop input as the device receives it: zoomed positions, keys, text.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "host/qt/input.h"

using hostqt::DeviceInput;
using Type = hostqt::DeviceInput::Type;

namespace {

std::vector<DeviceInput> Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                               const QString& text = {}) {
  QKeyEvent e(QEvent::KeyPress, key, mods, text);
  return hostqt::TranslateKeyPress(e);
}

std::vector<DeviceInput> Release(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                                 bool autoRepeat = false) {
  QKeyEvent e(QEvent::KeyRelease, key, mods, QString(), autoRepeat);
  return hostqt::TranslateKeyRelease(e);
}

DeviceInput Key(Type t, unsigned vk) {
  return {t, {}, vk};
}

}  // namespace

TEST(InputPositions, DesktopPixelsMapToDevicePixelsThroughTheZoom) {
  EXPECT_EQ(hostqt::ToDevice({0, 0}, 2, 240, 320), QPoint(0, 0));
  EXPECT_EQ(hostqt::ToDevice({1, 1}, 2, 240, 320), QPoint(0, 0));
  EXPECT_EQ(hostqt::ToDevice({479, 639}, 2, 240, 320), QPoint(239, 319));
  EXPECT_EQ(hostqt::ToDevice({100, 57}, 3, 240, 320), QPoint(33, 19));
  EXPECT_EQ(hostqt::ToDevice({100, 57}, 1, 240, 320), QPoint(100, 57));
  // A drag that leaves the window still lands on the screen's edge.
  EXPECT_EQ(hostqt::ToDevice({-5, 900}, 2, 240, 320), QPoint(0, 319));
  EXPECT_EQ(hostqt::ToDevice({-1, -1}, 2, 240, 320), QPoint(0, 0));
  // A turned screen.
  EXPECT_EQ(hostqt::ToDevice({639, 479}, 2, 320, 240), QPoint(319, 239));
  // A zoom of 0 is treated as 1, never a division by zero.
  EXPECT_EQ(hostqt::ToDevice({10, 10}, 0, 240, 320), QPoint(10, 10));
}

TEST(InputKeys, NavigationAndEditingKeysBecomeVirtualKeys) {
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Tab), 0x09u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Backtab), 0x09u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Left), 0x25u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Up), 0x26u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Right), 0x27u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Down), 0x28u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Home), 0x24u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_End), 0x23u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Delete), 0x2Eu);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Backspace), 0x08u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Return), 0x0Du);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Enter), 0x0Du);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Escape), 0x1Bu);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_Shift), 0x10u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_A), 0x41u);
  EXPECT_EQ(hostqt::VirtualKey(Qt::Key_7), 0x37u);
  EXPECT_FALSE(hostqt::VirtualKey(Qt::Key_F13).has_value());
}

TEST(InputKeys, APressGivesTheKeyThenItsTextAndAReleaseTheKeyUp) {
  EXPECT_EQ(Press(Qt::Key_A, Qt::NoModifier, u"a"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x41), Key(Type::Char, u'a')}));
  EXPECT_EQ(Release(Qt::Key_A), (std::vector<DeviceInput>{Key(Type::KeyUp, 0x41)}));
  // Keys without text: only the key.
  EXPECT_EQ(Press(Qt::Key_Left), (std::vector<DeviceInput>{Key(Type::KeyDown, 0x25)}));
  EXPECT_EQ(Press(Qt::Key_Delete, Qt::NoModifier, u"\x7f"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x2E)}));
  // Tab moves the focus; it must not also type a tab character.
  EXPECT_EQ(Press(Qt::Key_Tab, Qt::NoModifier, u"\t"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x09)}));
  EXPECT_EQ(Press(Qt::Key_Return, Qt::NoModifier, u"\r"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x0D)}));
  // Backspace deletes through its character, as the keyboard driver sends it.
  EXPECT_EQ(Press(Qt::Key_Backspace, Qt::NoModifier, u"\b"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x08), Key(Type::Char, 0x08)}));
  // Text of keys the device has no key for still arrives as characters.
  EXPECT_EQ(Press(Qt::Key_unknown, Qt::NoModifier, u"é"_qs),
            (std::vector<DeviceInput>{Key(Type::Char, u'é')}));
  // Held keys repeat their key down but release once.
  EXPECT_TRUE(Release(Qt::Key_A, Qt::NoModifier, true).empty());
}

TEST(InputKeys, ControlRSAndEAreWindowCommandsAndOtherLettersControlCharacters) {
  EXPECT_EQ(Press(Qt::Key_R, Qt::ControlModifier, u"\x12"_qs),
            (std::vector<DeviceInput>{{Type::Rotate, {}, 0}}));
  EXPECT_EQ(Press(Qt::Key_S, Qt::ControlModifier, u"\x13"_qs),
            (std::vector<DeviceInput>{{Type::Screenshot, {}, 0}}));
  EXPECT_EQ(Press(Qt::Key_E, Qt::ControlModifier, u"\x05"_qs),
            (std::vector<DeviceInput>{{Type::Export, {}, 0}}));
  EXPECT_TRUE(Release(Qt::Key_R, Qt::ControlModifier).empty());
  EXPECT_TRUE(Release(Qt::Key_E, Qt::ControlModifier).empty());
  // Plain r and s are text.
  EXPECT_EQ(Press(Qt::Key_R, Qt::NoModifier, u"r"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x52), Key(Type::Char, u'r')}));
  // Other Ctrl+letter combinations give their control character, as the
  // keyboard driver does (the edit copies, pastes, cuts and undoes on them);
  // with Alt they type nothing.
  const std::pair<int, unsigned> controls[] = {{Qt::Key_C, 0x03},
                                               {Qt::Key_V, 0x16},
                                               {Qt::Key_X, 0x18},
                                               {Qt::Key_Z, 0x1A},
                                               {Qt::Key_A, 0x01}};
  for (const auto& [key, ch] : controls) {
    EXPECT_EQ(Press(key, Qt::ControlModifier, QString(QChar(ch))),
              (std::vector<DeviceInput>{Key(Type::KeyDown, static_cast<unsigned>(key)),
                                        Key(Type::Char, ch)}))
        << ch;
  }
  EXPECT_EQ(Press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier, u"c"_qs),
            (std::vector<DeviceInput>{Key(Type::KeyDown, 0x43)}));
}

TEST(InputText, InputMethodCommitsArriveAsUtf16Units) {
  EXPECT_EQ(hostqt::TranslateCommit(u"日本"_qs),
            (std::vector<DeviceInput>{Key(Type::Char, u'日'), Key(Type::Char, u'本')}));
  EXPECT_EQ(hostqt::TranslateCommit(u"ｷｬﾝ"_qs),
            (std::vector<DeviceInput>{Key(Type::Char, 0xFF77), Key(Type::Char, 0xFF6C),
                                      Key(Type::Char, 0xFF9D)}));
  // A character outside the BMP arrives as its surrogate pair.
  const std::vector<DeviceInput> pair = hostqt::TranslateCommit(QString::fromUcs4(U"𠮷", 1));
  ASSERT_EQ(pair.size(), 2u);
  EXPECT_EQ(pair[0].key, 0xD842u);
  EXPECT_EQ(pair[1].key, 0xDFB7u);
  EXPECT_TRUE(hostqt::TranslateCommit({}).empty());
}
