// The cache's own PNG reading and writing against Qt's PNG reader (libpng)
// as the reference: every row filter, RGB and RGBA, sizes down to one
// pixel, streams split over many chunks; shapes the one-pass reader leaves
// to the general one; damaged files.
#include "thumb/cache_png.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstring>
#include <random>

namespace thumb::cache_png {
namespace {

using Text = std::vector<std::pair<std::string, std::string>>;

// PNGs as libpng writes them, each row filtered as `filters` (a mask of
// PNG_FILTER_*) allows: files of every filter for the reader, written by
// the reference library rather than by the code under test.
enum : int {
  kFilterNone = PNG_FILTER_NONE,
  kFilterSub = PNG_FILTER_SUB,
  kFilterUp = PNG_FILTER_UP,
  kFilterAverage = PNG_FILTER_AVG,
  kFilterPaeth = PNG_FILTER_PAETH,
};

void AppendBytes(png_structp png, png_bytep data, size_t n) {
  static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data),
                                                        static_cast<qsizetype>(n));
}
void NoFlush(png_structp) {}

// The libpng calls alone, so a longjmp out of them skips no destructor.
bool WriteWithLibpng(png_structp png, png_infop info, const QImage& src, png_text* text, int text_count, bool alpha,
                     int filters, int level, uint8_t* row, QByteArray* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(src.width()), static_cast<png_uint_32>(src.height()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
  png_set_compression_level(png, level);
  if (text_count > 0) png_set_text(png, info, text, text_count);
  png_set_pHYs(png, info, static_cast<png_uint_32>(src.dotsPerMeterX()), static_cast<png_uint_32>(src.dotsPerMeterY()),
               PNG_RESOLUTION_METER);
  png_write_info(png, info);
  for (int y = 0; y < src.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint8_t* o = row;
    for (int x = 0; x < src.width(); ++x) {
      *o++ = static_cast<uint8_t>(qRed(line[x]));
      *o++ = static_cast<uint8_t>(qGreen(line[x]));
      *o++ = static_cast<uint8_t>(qBlue(line[x]));
      if (alpha) *o++ = static_cast<uint8_t>(qAlpha(line[x]));
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

QByteArray LibpngPng(const QImage& picture, const Text& text, bool alpha, int filters, int level) {
  const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
  std::vector<png_text> chunks(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    chunks[i] = png_text{};
    chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
    chunks[i].key = const_cast<char*>(text[i].first.c_str());
    chunks[i].text = const_cast<char*>(text[i].second.c_str());
    chunks[i].text_length = text[i].second.size();
  }
  std::vector<uint8_t> row(static_cast<size_t>(src.width()) * 4);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  QByteArray out;
  const bool ok = info != nullptr && WriteWithLibpng(png, info, src, chunks.data(), static_cast<int>(chunks.size()),
                                                     alpha, filters, level, row.data(), &out);
  png_destroy_write_struct(&png, &info);
  return ok ? out : QByteArray();
}

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
          const QByteArray png = LibpngPng(picture, {{"Thumb::URI", "file:///a%20b.jpg"}, {"Thumb::MTime", "17"}},
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

TEST(CachePng, WrittenFilesReadBackThroughLibpng) {
  const int sizes[][2] = {{1, 1}, {1, 5}, {5, 1}, {256, 171}, {97, 203}};
  uint32_t seed = 100;
  for (const auto& s : sizes)
    for (bool alpha : {true, false})
      for (int level : {0, 1, 2, 12}) {
        QImage picture = Noise(s[0], s[1], seed++, alpha);
        picture.setDotsPerMeterX(3780);
        picture.setDotsPerMeterY(1234);
        const Text keys = {{"Thumb::URI", "file:///p.jpg"}, {"Thumb::MTime", "1700000000"}, {"Software", "x"}};
        const QByteArray png = EncodeRgba(picture, keys, alpha, level);
        const std::string what = std::to_string(s[0]) + "x" + std::to_string(s[1]) + (alpha ? " rgba" : " rgb") +
                                 " level " + std::to_string(level);
        const QImage ref = ReadWithQt(png);
        ASSERT_FALSE(ref.isNull()) << what;
        const QImage expected = alpha ? picture : picture.convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(ref.convertToFormat(expected.format()), expected) << what;
        EXPECT_EQ(ref.dotsPerMeterX(), 3780) << what;
        EXPECT_EQ(ref.dotsPerMeterY(), 1234) << what;
        for (const auto& [k, v] : keys) EXPECT_EQ(ref.text(QString::fromStdString(k)).toStdString(), v) << what;
        ExpectSamePicture(ReadSimple(png), ref, what);
      }
  // Keys a text chunk cannot hold make no file at all.
  EXPECT_TRUE(EncodeRgba(Noise(4, 4, 1, true), {{"", "v"}}).isEmpty());
  EXPECT_TRUE(EncodeRgba(Noise(4, 4, 1, true), {{std::string(80, 'k'), "v"}}).isEmpty());
  EXPECT_TRUE(EncodeRgba(QImage(), {}).isEmpty());
}

TEST(CachePng, StreamsOverManyChunksAndKeysAfterThePixels) {
  // libpng writes the stream in chunks of 8 KiB: a 256 x 256 picture of
  // noise takes dozens.
  const QImage picture = Noise(256, 256, 99, true);
  const QByteArray png = LibpngPng(picture, {{"Thumb::URI", "file:///x"}}, true, kFilterNone, 0);
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
  const QByteArray good = EncodeRgba(picture, {{"Thumb::URI", "file:///z"}}, true, 6);
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
  QByteArray unknown = LibpngPng(picture, {}, true, kFilterNone, 0);  // stored: bytes as they are
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
