// The program's pictures: its bitmaps and icons, read from the resources.
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <cstdint>
#include <cstring>

#include "platform/qt/QtWindowParts.h"

namespace orbl::qt {

namespace {

std::uint16_t LittleEndian16(const QByteArray& bytes, qsizetype at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::uint32_t LittleEndian32(const QByteArray& bytes, qsizetype at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  }
  return value;
}

// The pixels of an uncompressed 32-bit DIB: its BITMAPINFOHEADER at `header`,
// its bottom-up rows at `pixels`. Null for any other kind, for bytes that end
// early, and for an icon's bitmap without alpha (its mask would make it
// transparent, which the image readers do).
QImage Dib32(const QByteArray& bytes, qsizetype header, qsizetype pixels, bool iconEntry) {
  constexpr qsizetype kInfoHeader = 40;  // BITMAPINFOHEADER
  if (header < 0 || pixels < 0 || header > bytes.size() - kInfoHeader) return {};
  const auto width = static_cast<std::int32_t>(LittleEndian32(bytes, header + 4));
  // An icon's bitmap is twice as high: its mask follows the colours.
  const auto height =
      static_cast<std::int32_t>(LittleEndian32(bytes, header + 8)) / (iconEntry ? 2 : 1);
  const std::uint32_t bitsAndPlanes = LittleEndian32(bytes, header + 12);
  const std::uint32_t compression = LittleEndian32(bytes, header + 16);
  constexpr std::uint32_t kOnePlane32Bits = (32U << 16) | 1U;
  constexpr std::int32_t kLargest = 4096;
  if (bitsAndPlanes != kOnePlane32Bits || compression != 0 || width <= 0 || height <= 0 ||
      width > kLargest || height > kLargest ||
      pixels > bytes.size() - static_cast<qsizetype>(width) * height * 4) {
    return {};
  }
  QImage image(width, height, QImage::Format_ARGB32);
  const qsizetype rowBytes = static_cast<qsizetype>(width) * 4;
  bool alpha = false;
  for (int y = 0; y < height; ++y) {
    // Rows of blue, green, red, alpha: QImage's own order.
    const QByteArrayView row = QByteArrayView(bytes).sliced(pixels + y * rowBytes, rowBytes);
    std::memcpy(image.scanLine(height - 1 - y), row.data(), static_cast<std::size_t>(rowBytes));
    for (qsizetype x = 3; x < rowBytes && !alpha; x += 4) alpha = row[x] != 0;
  }
  if (iconEntry && !alpha) return {};
  return image;
}

}  // namespace

QImage ResourceImage(const std::string& name) {
  QFile file(QStringLiteral(":/pictures/") + QString::fromStdString(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  // BITMAPFILEHEADER (14 bytes) with the pixels' offset, then the DIB.
  constexpr qsizetype kFileHeader = 14;
  if (bytes.size() >= kFileHeader && bytes.startsWith("BM")) {
    QImage image = Dib32(bytes, kFileHeader, LittleEndian32(bytes, 10), false);
    if (!image.isNull()) return image;
  }
  return QImage::fromData(bytes);
}

std::vector<QImage> Ico32Images(const QByteArray& bytes) {
  // ICONDIR: reserved, type 1 and the count, then 16-byte entries with their
  // bitmap's offset at 12.
  constexpr qsizetype kDirectory = 6;
  constexpr qsizetype kEntry = 16;
  if (bytes.size() < kDirectory || LittleEndian16(bytes, 0) != 0 || LittleEndian16(bytes, 2) != 1) {
    return {};
  }
  const int count = LittleEndian16(bytes, 4);
  std::vector<QImage> images;
  for (int i = 0; i < count; ++i) {
    const qsizetype entry = kDirectory + kEntry * i;
    if (entry > bytes.size() - kEntry) return {};
    const qsizetype header = LittleEndian32(bytes, entry + 12);
    if (header > bytes.size() - 4) return {};
    QImage image = Dib32(bytes, header, header + LittleEndian32(bytes, header), true);
    if (image.isNull()) return {};
    images.push_back(std::move(image));
  }
  return images;
}

QIcon ResourceIcon(const std::string& name) {
  const QString path = QStringLiteral(":/pictures/") + QString::fromStdString(name);
  QIcon icon;
  // The program's icons hold 32-bit bitmaps only, which need no image format
  // plugin: finding the plugins and loading one would hold up the tray icon.
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    for (const QImage& image : Ico32Images(file.readAll())) {
      icon.addPixmap(QPixmap::fromImage(image));
    }
  }
  if (!icon.isNull()) return icon;
  // Names without a suffix: naming the format spares guessing it, which would
  // load the MIME database.
  QImageReader reader(path, "ico");
  for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
    icon.addPixmap(QPixmap::fromImage(image));
    if (!reader.jumpToNextImage()) break;
  }
  return icon;
}

}  // namespace orbl::qt
