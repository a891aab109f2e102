// regilla_icons DIR: writes the program's icon (icon group 129 of its own
// resources) as the desktop's icon theme wants it, for installation:
//   DIR/hicolor/{16x16,32x32,48x48,256x256}/apps/regillamobile.png
//   DIR/hicolor/scalable/apps/regillamobile.svg
// The icon is pixel art: larger sizes repeat its pixels (16 x 3 = 48,
// 32 x 8 = 256) and the SVG draws them as squares, so nothing is blurred.
// Run at build time; not installed.
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextStream>
#include <cstdio>
#include <vector>

#include "host/qt/renderer.h"
#include "platform/resource.h"
#include "res/resources.h"

namespace {

constexpr const char* kName = "regillamobile";

// The images of the icon group, as ARGB.
std::vector<QImage> IconImages() {
  std::vector<QImage> images;
  const platform::BinaryResource* icon =
      platform::FindBinaryResource(res::Module().icons, res::IDI_PROGRAM);
  if (icon == nullptr) return images;
  for (const QImage& image : hostqt::DecodeIconImages(icon->bytes)) {
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    argb.setText(u"_q_icoOrigDepth"_qs, image.text(u"_q_icoOrigDepth"_qs));
    images.push_back(argb);
  }
  return images;
}

// The image of that side with the most colours.
QImage Best(const std::vector<QImage>& images, int side) {
  QImage best;
  int bestDepth = -1;
  for (const QImage& image : images) {
    const int depth = image.text(u"_q_icoOrigDepth"_qs).toInt();
    if (image.width() == side && image.height() == side && depth > bestDepth) {
      best = image;
      bestDepth = depth;
    }
  }
  return best;
}

bool WritePng(const QString& dir, int side, const QImage& source) {
  const QString folder = dir + u"/hicolor/%1x%1/apps"_qs.arg(side);
  QDir().mkpath(folder);
  const QImage image = source.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return image.save(folder + u"/"_qs + QString::fromLatin1(kName) + u".png"_qs, "PNG");
}

// One square per pixel, runs of equal pixels in a row joined.
bool WriteSvg(const QString& dir, const QImage& image) {
  const QString folder = dir + u"/hicolor/scalable/apps"_qs;
  QDir().mkpath(folder);
  QFile file(folder + u"/"_qs + QString::fromLatin1(kName) + u".svg"_qs);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QTextStream out(&file);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 "
      << image.width() << ' ' << image.height() << "\" shape-rendering=\"crispEdges\">\n";
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width();) {
      const QRgb pixel = image.pixel(x, y);
      int run = 1;
      while (x + run < image.width() && image.pixel(x + run, y) == pixel) ++run;
      if (qAlpha(pixel) != 0) {
        out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << run
            << "\" height=\"1\" fill=\"" << QColor(pixel).name() << '"';
        if (qAlpha(pixel) != 255) out << " fill-opacity=\"" << qAlpha(pixel) / 255.0 << '"';
        out << "/>\n";
      }
      x += run;
    }
  }
  out << "</svg>\n";
  return out.status() == QTextStream::Ok && file.flush();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: regilla_icons DIR\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  const std::vector<QImage> images = IconImages();
  const QImage small = Best(images, 16);
  const QImage large = Best(images, 32);
  if (small.isNull() || large.isNull()) {
    std::fprintf(stderr, "regilla_icons: icon 129 lacks its 16 or 32 pixel image\n");
    return 1;
  }
  const bool ok = WritePng(dir, 16, small) && WritePng(dir, 32, large) &&
                  WritePng(dir, 48, small) && WritePng(dir, 256, large) && WriteSvg(dir, large);
  if (!ok) {
    std::fprintf(stderr, "regilla_icons: cannot write the icons in %s\n", argv[1]);
    return 1;
  }
  return 0;
}
