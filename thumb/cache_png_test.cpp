// The cache's own PNG reading and writing against Qt's PNG reader (libpng)
// as the reference: every row filter, RGB and RGBA, sizes down to one
// pixel, streams split over many chunks; shapes the one-pass reader leaves
// to the general one; damaged files.
#include "thumb/cache_png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstring>
#include <random>

namespace thumb::cache_png {
namespace {

using Text = std::vector<std::pair<std::string, std::string>>;

QImage Noise(int w, int h, uint32_t seed, bool translucent) {
  std::mt19937 rng(seed);
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // A ramp with a little noise, pure noise and a pattern, so every
      // filter has something to do (and Paeth meets its ties).
      const int base = (x * 7 + y * 3) & 0xFF;
      const int n = static_cast<int>(rng() & 0x3F);
      img.setPixel(x, y, qRgba((base + n) & 0xFF, static_cast<int>(rng() & 0xFF), (x ^ y) & 0xFF,
                               translucent ? static_cast<int>(rng() & 0xFF) : 255));
    }
  return img;
}

QImage ReadWithQt(const QByteArray& png) {
  QBuffer buffer;
  buffer.setData(png);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  QImage img;
  reader.read(&img);
  return img;
}

// Decodes with the one-pass reader; an empty image when it declines.
QImage ReadSimple(const QByteArray& png) {
  Chunks chunks;
  QImage img;
  if (!WalkChunks(png, &chunks) || !DecodeSimple(png, chunks, &img)) return {};
  return img;
}

// Rewrites the CRC of the chunk whose type starts at `type_at`.
void FixCrc(QByteArray* png, qsizetype type_at) {
  const auto* p = reinterpret_cast<const uint8_t*>(png->constData());
  const uint32_t len = uint32_t{p[type_at - 4]} << 24 | uint32_t{p[type_at - 3]} << 16 |
                       uint32_t{p[type_at - 2]} << 8 | p[type_at - 1];
  const uLong crc = crc32(0, p + type_at, len + 4);
  for (int i = 0; i < 4; ++i) (*png)[type_at + 4 + len + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
}

void ExpectSamePicture(const QImage& ours, const QImage& ref, const std::string& what) {
  ASSERT_FALSE(ref.isNull()) << what;
  ASSERT_FALSE(ours.isNull()) << what;
  EXPECT_EQ(ours.format(), ref.format()) << what;
  ASSERT_EQ(ours.size(), ref.size()) << what;
  for (int y = 0; y < ref.height(); ++y)
    ASSERT_EQ(0, std::memcmp(ours.constScanLine(y), ref.constScanLine(y), static_cast<size_t>(ref.width()) * 4))
        << what << " row " << y;
  EXPECT_EQ(ours.dotsPerMeterX(), ref.dotsPerMeterX()) << what;
  EXPECT_EQ(ours.dotsPerMeterY(), ref.dotsPerMeterY()) << what;
  for (const QString& key : ref.textKeys()) EXPECT_EQ(ours.text(key), ref.text(key)) << what;
}

TEST(CachePng, EveryFilterAndShapeReadsAsLibpngReadsIt) {
  const struct {
    const char* name;
    int mask;
  } filters[] = {{"none", kFilterNone}, {"sub", kFilterSub},     {"up", kFilterUp},
                 {"average", kFilterAverage}, {"paeth", kFilterPaeth}, {"any", 0xF8}};
  const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {33, 17}, {256, 171}};
  uint32_t seed = 1;
  for (const auto& f : filters)
    for (const auto& s : sizes)
      for (bool alpha : {true, false})
        for (int level : {0, 9}) {
          QImage picture = Noise(s[0], s[1], seed++, alpha);
          picture.setDotsPerMeterX(2835);
          picture.setDotsPerMeterY(5670);
          const QByteArray png = EncodeRgba(picture, {{"Thumb::URI", "file:///a%20b.jpg"}, {"Thumb::MTime", "17"}},
                                            alpha, f.mask, level);
          const std::string what = std::string(f.name) + " " + std::to_string(s[0]) + "x" + std::to_string(s[1]) +
                                   (alpha ? " rgba" : " rgb") + " level " + std::to_string(level);
          ASSERT_FALSE(png.isEmpty()) << what;
          const QImage ref = ReadWithQt(png);
          ExpectSamePicture(ReadSimple(png), ref, what);
          // What was written is the picture itself (an opaque copy for RGB).
          const QImage expected = alpha ? picture : picture.convertToFormat(QImage::Format_RGB32);
          EXPECT_EQ(ref.convertToFormat(expected.format()), expected) << what;
        }
}

TEST(CachePng, StreamsOverManyChunksAndKeysAfterThePixels) {
  // libpng writes the stream in chunks of 8 KiB: a 256 x 256 picture of
  // noise takes dozens.
  const QImage picture = Noise(256, 256, 99, true);
  const QByteArray png = EncodeRgba(picture, {{"Thumb::URI", "file:///x"}}, true, kFilterNone, 0);
  Chunks chunks;
  ASSERT_TRUE(WalkChunks(png, &chunks));
  EXPECT_GT(chunks.image_data.size(), 10u);
  ExpectSamePicture(ReadSimple(png), ReadWithQt(png), "many chunks");
  ASSERT_NE(TextValue(chunks, "Thumb::URI"), nullptr);
  EXPECT_EQ(*TextValue(chunks, "Thumb::URI"), "file:///x");
  EXPECT_EQ(TextValue(chunks, "Thumb::MTime"), nullptr);

  // A text chunk after the pixels, repeating a key: the last one counts.
  QByteArray later = png;
  const qsizetype iend = later.lastIndexOf("IEND") - 4;
  const QByteArray body = QByteArray("tEXt") + "Thumb::URI" + '\0' + "file:///y";
  QByteArray chunk;
  const uint32_t len = static_cast<uint32_t>(body.size() - 4);
  for (int i = 0; i < 4; ++i) chunk += static_cast<char>((len >> (24 - 8 * i)) & 0xFF);
  chunk += body + QByteArray(4, '\0');
  later.insert(iend, chunk);
  FixCrc(&later, iend + 4);
  ASSERT_TRUE(WalkChunks(later, &chunks));
  EXPECT_EQ(*TextValue(chunks, "Thumb::URI"), "file:///y");
  const QImage ours = ReadSimple(later);
  ExpectSamePicture(ours, ReadWithQt(later), "late key");
  EXPECT_EQ(ours.text("Thumb::URI"), "file:///y");
}

TEST(CachePng, OtherShapesAreLeftToTheGeneralReader) {
  const QImage picture = Noise(20, 10, 5, true);
  auto saved = [](const QImage& img) {
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    EXPECT_TRUE(img.save(&b, "PNG"));
    return bytes;
  };
  // Palette, grey and 16-bit pictures are PNGs all the same.
  for (const QImage& other : {picture.convertToFormat(QImage::Format_Indexed8),
                              picture.convertToFormat(QImage::Format_Grayscale8),
                              picture.convertToFormat(QImage::Format_RGBA64)}) {
    const QByteArray png = saved(other);
    Chunks chunks;
    ASSERT_TRUE(WalkChunks(png, &chunks));
    EXPECT_TRUE(ReadSimple(png).isNull()) << other.format();
  }
  const QByteArray good = EncodeRgba(picture, {{"k", "v"}});
  ASSERT_FALSE(ReadSimple(good).isNull());
  // Interlaced, or with a transparent colour: the same bytes otherwise.
  QByteArray interlaced = good;
  interlaced[12 + 4 + 12] = 1;
  FixCrc(&interlaced, 12);
  EXPECT_TRUE(ReadSimple(interlaced).isNull());
  // A checksum that does not match.
  QByteArray spoilt = good;
  spoilt[spoilt.indexOf("IDAT") + 6] ^= 0x01;
  EXPECT_TRUE(ReadSimple(spoilt).isNull());
  // Compressed text: its keys are not read here.
  QImage wordy = picture;
  QString long_text(3000, u'x');
  wordy.setText("Comment", long_text);
  const QByteArray ztxt = saved(wordy);
  if (ztxt.contains("zTXt") || ztxt.contains("iTXt")) {
    Chunks chunks;
    ASSERT_TRUE(WalkChunks(ztxt, &chunks));
    EXPECT_TRUE(chunks.has_other_text);
    EXPECT_TRUE(ReadSimple(ztxt).isNull());
  }
}

TEST(CachePng, DamagedFilesAreNeverDecoded) {
  const QImage picture = Noise(40, 30, 7, true);
  const QByteArray good = EncodeRgba(picture, {{"Thumb::URI", "file:///z"}}, true, kFilterSub | kFilterUp, 6);
  Chunks chunks;
  ASSERT_TRUE(WalkChunks(good, &chunks));
  // Cut anywhere: never a picture.
  for (qsizetype cut = 0; cut < good.size(); ++cut) {
    Chunks c;
    if (WalkChunks(good.left(cut), &c)) ADD_FAILURE() << "a file cut at " << cut << " walked whole";
  }
  // IHDR not first.
  QByteArray swapped = good;
  swapped.replace(12, 4, "IHDX");
  EXPECT_FALSE(WalkChunks(swapped, &chunks));
  // A pixel stream one row short, or one byte long, with good checksums:
  // the sizes say so, nothing is made up.
  for (int delta : {-1, +1}) {
    QByteArray odd = good;
    const uint32_t h = static_cast<uint32_t>(30 + delta);
    odd[16 + 4] = static_cast<char>(h >> 24);
    odd[16 + 5] = static_cast<char>(h >> 16);
    odd[16 + 6] = static_cast<char>(h >> 8);
    odd[16 + 7] = static_cast<char>(h);
    FixCrc(&odd, 12);
    EXPECT_TRUE(ReadSimple(odd).isNull()) << delta;
  }
  // A filter byte PNG does not know, with every checksum right.
  QByteArray unknown = EncodeRgba(picture, {}, true, kFilterNone, 0);  // stored: bytes as they are
  const qsizetype idat = unknown.indexOf("IDAT");
  ASSERT_GT(idat, 0);
  // zlib header (2) + stored block header (5): the first row's filter byte.
  unknown[idat + 4 + 2 + 5] = 7;
  // The stored block's checksum (Adler-32) no longer matches: mend it too.
  const auto* p = reinterpret_cast<const uint8_t*>(unknown.constData());
  const uint32_t len = uint32_t{p[idat - 4]} << 24 | uint32_t{p[idat - 3]} << 16 | uint32_t{p[idat - 2]} << 8 | p[idat - 1];
  ASSERT_EQ(len, 7u + 30u * (1u + 40u * 4u) + 4u);
  const uLong adler = adler32(1, p + idat + 4 + 7, len - 7 - 4);
  for (int i = 0; i < 4; ++i) unknown[idat + 4 + len - 4 + i] = static_cast<char>((adler >> (24 - 8 * i)) & 0xFF);
  FixCrc(&unknown, idat);
  EXPECT_TRUE(ReadSimple(unknown).isNull());
}

}  // namespace
}  // namespace thumb::cache_png
