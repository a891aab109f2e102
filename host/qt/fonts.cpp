#include "host/qt/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace hostqt {

namespace {

const QStringList& JapaneseGothics() {
  static const QStringList families = {u"IPAGothic"_qs, u"VL Gothic"_qs, u"Noto Sans CJK JP"_qs};
  return families;
}

}  // namespace

QString InstallDeviceFonts() {
  static const QString chosen = [] {
    QStringList available;
    for (const QString& family : JapaneseGothics()) {
      if (QFontDatabase::hasFamily(family)) available << family;
    }
    for (const QString& windowsName : {u"MS UI Gothic"_qs, u"MS Shell Dlg"_qs}) {
      QFont::insertSubstitutions(windowsName, available.isEmpty() ? JapaneseGothics() : available);
    }
    return available.isEmpty() ? QString() : available.first();
  }();
  return chosen;
}

QFont DeviceFont(int pixelSize, bool bold) {
  InstallDeviceFonts();
  QFont font(u"MS UI Gothic"_qs);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferVerticalHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

}  // namespace hostqt
