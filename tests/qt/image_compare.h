// Reference-image comparison for the renderer tests. A reference PNG lives in
// tests/qt/ref/; REGILLA_UPDATE_REFS=1 rewrites it from the current output.
// A mismatch leaves the actual image beside the test binary for a look.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdlib>
#include <string>

namespace test {

// Fraction of pixels whose colour differs by more than `channel` in any channel.
inline double DifferingFraction(const QImage& a, const QImage& b, int channel = 48) {
  if (a.size() != b.size()) return 1.0;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  long long differing = 0;
  for (int row = 0; row < x.height(); ++row) {
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row);
      const QRgb q = y.pixel(col, row);
      if (std::abs(qRed(p) - qRed(q)) > channel || std::abs(qGreen(p) - qGreen(q)) > channel ||
          std::abs(qBlue(p) - qBlue(q)) > channel) {
        ++differing;
      }
    }
  }
  return static_cast<double>(differing) / (static_cast<double>(x.width()) * x.height());
}

// Compares against ref/<name>.png, allowing up to `tolerance` of the pixels to
// differ (font rasterisers differ slightly between versions).
inline ::testing::AssertionResult MatchesReference(const QImage& actual, const std::string& name,
                                                   double tolerance = 0.01) {
  const QString ref =
      QStringLiteral(REGILLA_QT_REF_DIR "/") + QString::fromStdString(name) + u".png"_qs;
  if (std::getenv("REGILLA_UPDATE_REFS") != nullptr) {
    actual.save(ref);
    return ::testing::AssertionSuccess() << "reference rewritten";
  }
  const QImage expected(ref);
  if (expected.isNull())
    return ::testing::AssertionFailure() << "no reference image " << ref.toStdString();
  const double diff = DifferingFraction(actual, expected);
  if (diff <= tolerance) return ::testing::AssertionSuccess();
  const QString out = QDir::current().filePath(QString::fromStdString(name) + u".actual.png"_qs);
  actual.save(out);
  return ::testing::AssertionFailure()
         << name << ": " << diff * 100 << "% of the pixels differ from " << ref.toStdString()
         << "; actual image in " << out.toStdString();
}

}  // namespace test
