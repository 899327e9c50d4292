#include "imaging/codecs/jpeg_dc_decoder.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/internal/jpeg_reduced_idct.h"
#include "imaging/codecs/jpeg_internal.h"

namespace imaging::codecs::internal {
namespace {

using Bytes = std::vector<uint8_t>;

// How a test file is written with libjpeg.
struct Spec {
  int width = 64, height = 48;
  int components = 3;          // 1 (grey), 3 (YCbCr) or 4 (CMYK)
  int h = 2, v = 2;            // luma sampling factors; chroma is 1 x 1
  int quality = 90;
  int restart_mcus = 0;
  bool progressive = false;
  bool arithmetic = false;
  bool rgb = false;            // store RGB without a colour transform
  bool optimize = false;       // Huffman tables fitted to the picture
};

// Gradients, edges and noise, so that blocks carry plenty of AC energy.
std::vector<uint8_t> Samples(const Spec& s, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> px(static_cast<size_t>(s.width) * s.height * s.components);
  size_t i = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      for (int c = 0; c < s.components; ++c) {
        int v = (x * 255 / std::max(1, s.width - 1) * (c + 1) + y * 97 / std::max(1, s.height)) & 255;
        if (((x / 5) + (y / 3) + c) % 4 == 0) v = 255 - v;
        v += static_cast<int>(rng() % 41) - 20;
        px[i++] = static_cast<uint8_t>(std::clamp(v, 0, 255));
      }
  return px;
}

Bytes Encode(const Spec& s, unsigned seed = 1) {
  const std::vector<uint8_t> px = Samples(s, seed);
  jpeg_compress_struct ci{};
  jpeg_error_mgr err{};
  ci.err = jpeg_std_error(&err);
  jpeg_create_compress(&ci);
  unsigned char* mem = nullptr;
  unsigned long mem_size = 0;
  jpeg_mem_dest(&ci, &mem, &mem_size);
  ci.image_width = static_cast<JDIMENSION>(s.width);
  ci.image_height = static_cast<JDIMENSION>(s.height);
  ci.input_components = s.components;
  ci.in_color_space = s.components == 1 ? JCS_GRAYSCALE : s.components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&ci);
  if (s.rgb) jpeg_set_colorspace(&ci, JCS_RGB);
  jpeg_set_quality(&ci, s.quality, TRUE);
  if (s.components == 3 && !s.rgb) {
    ci.comp_info[0].h_samp_factor = s.h;
    ci.comp_info[0].v_samp_factor = s.v;
  }
  ci.restart_interval = static_cast<unsigned>(s.restart_mcus);
  ci.arith_code = s.arithmetic ? TRUE : FALSE;
  ci.optimize_coding = s.optimize ? TRUE : FALSE;
  if (s.progressive) jpeg_simple_progression(&ci);
  jpeg_start_compress(&ci, TRUE);
  const int stride = s.width * s.components;
  while (ci.next_scanline < ci.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(px.data() + static_cast<size_t>(ci.next_scanline) * stride);
    jpeg_write_scanlines(&ci, &row, 1);
  }
  jpeg_finish_compress(&ci);
  jpeg_destroy_compress(&ci);
  Bytes out(mem, mem + mem_size);
  std::free(mem);
  return out;
}

// tjDecompress2 at `scale` / 8 as B,G,R or grey rows.  `flags` 0 is
// libjpeg's default set-up, which JpegLoad uses too.
bool TjScaled(const Bytes& jpeg, int components, int scale, int flags, int* w, int* h, std::vector<uint8_t>* px) {
  tjhandle tj = tjInitDecompress();
  int width = 0, height = 0, subsamp = 0, colorspace = 0;
  bool ok = tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &width, &height, &subsamp, &colorspace) == 0;
  const tjscalingfactor factor{scale, 8};
  *w = TJSCALED(width, factor);
  *h = TJSCALED(height, factor);
  px->assign(static_cast<size_t>(*w) * *h * components, 0);
  ok = ok && tjDecompress2(tj, jpeg.data(), jpeg.size(), px->data(), *w, 0, *h,
                           components == 1 ? TJPF_GRAY : TJPF_BGR, flags) == 0;
  tjDestroy(tj);
  return ok;
}

// How far our picture is from tjDecompress2's: the largest per-channel
// difference and the share of samples that differ at all.
struct Difference {
  int max = 256;
  double share = 1.0;
};

Difference Compare(const Bytes& jpeg, int components, int scale, int flags) {
  Image img;
  bool handled = false;
  const Result r = JpegScaledDecode(jpeg.data(), jpeg.size(), scale, &img, &handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(r.ok()) << r.message();
  int w = 0, h = 0;
  std::vector<uint8_t> ref;
  EXPECT_TRUE(TjScaled(jpeg, components, scale, flags, &w, &h, &ref));
  if (!r.ok() || img.width() != w || img.height() != h) {
    ADD_FAILURE() << "size " << img.width() << "x" << img.height() << " vs " << w << "x" << h;
    return {};
  }
  EXPECT_EQ(img.bpp(), components == 1 ? 8 : 24);
  EXPECT_EQ(img.gray(), components == 1);
  Difference d;
  d.max = 0;
  size_t differing = 0;
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * components; ++i) {
      const int diff = std::abs(img.row(y)[i] - ref[static_cast<size_t>(y) * w * components + i]);
      d.max = std::max(d.max, diff);
      differing += diff != 0;
    }
  d.share = static_cast<double>(differing) / (static_cast<double>(w) * h * components);
  return d;
}

// The decoder follows libjpeg-turbo's scaled arithmetic (DC rounding, the
// reduced inverse DCTs, chroma kept at the block size libjpeg gives it, the
// triangle filter for chroma halved across at 1/4 and none at 1/8,
// the 16-bit colour tables), and on this build agrees exactly.  At 1/8 the
// fast upsampling flag changes nothing in libjpeg, so both are held to it;
// at 1/4, JpegLoad's default (smooth) set-up is.  One level on a few samples
// is allowed because libjpeg-turbo's SIMD colour conversion and reduced
// IDCTs are only bound to its C code within rounding and another build may
// pick them; a rounding fault of ours shows on far more samples.
void ExpectMatch(const Bytes& jpeg, int components, int scale) {
  for (int flags : {0, TJFLAG_FASTUPSAMPLE}) {
    if (flags != 0 && scale != 1) continue;
    const Difference d = Compare(jpeg, components, scale, flags);
    EXPECT_LE(d.max, 1) << "scale " << scale << "/8, flags " << flags;
    EXPECT_LE(d.share, 0.01) << "scale " << scale << "/8, flags " << flags;
  }
}

// Offset of the first byte of the first scan's entropy data.
size_t ScanData(const Bytes& jpeg) {
  size_t pos = 2;
  while (pos + 4 <= jpeg.size()) {
    const uint8_t m = jpeg[pos + 1];
    const size_t len = static_cast<size_t>(jpeg[pos + 2] << 8 | jpeg[pos + 3]);
    if (m == 0xDA) return pos + 2 + len;
    pos += 2 + len;
  }
  return 0;
}

// Offset of the first marker `m` (its 0xFF byte), or 0.
size_t FindMarker(const Bytes& jpeg, uint8_t m) {
  for (size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == m) return i;
  return 0;
}

Result Decode(const Bytes& jpeg, bool* handled) {
  Image img;
  return JpegDcDecode(jpeg.data(), jpeg.size(), &img, handled);
}

// Runs the reduced-scale arithmetic as plain integer code (what machines
// without SSE2 run) for as long as it lives, or as the build's default.
class Arithmetic {
 public:
  explicit Arithmetic(bool portable) { UsePortableArithmetic(portable); }
  ~Arithmetic() { UsePortableArithmetic(false); }
};

TEST(JpegDcDecoder, MatchesTurboJpegAtEachScale) {
  struct Layout {
    const char* name;
    int components, h, v;
  };
  const Layout layouts[] = {{"4:4:4", 3, 1, 1}, {"4:2:2", 3, 2, 1}, {"4:2:0", 3, 2, 2}, {"grey", 1, 1, 1}};
  const int sizes[][2] = {{1, 1}, {17, 9}, {1001, 7}, {8, 8}, {16, 16}, {33, 65}, {250, 170}};
  for (const Layout& l : layouts)
    for (const auto& size : sizes)
      for (int quality : {20, 75, 100})
        for (int restart : {0, 1, 3}) {
          Spec s;
          // Fitted tables give other code lengths than the standard ones.
          s.optimize = restart == 1;
          s.width = size[0];
          s.height = size[1];
          s.components = l.components;
          s.h = l.h;
          s.v = l.v;
          s.quality = quality;
          s.restart_mcus = restart;
          SCOPED_TRACE(std::string(l.name) + " " + std::to_string(s.width) + "x" + std::to_string(s.height) + " q" +
                       std::to_string(quality) + " restart " + std::to_string(restart));
          const Bytes jpeg = Encode(s, static_cast<unsigned>(quality + restart));
          for (bool portable : {false, true}) {
            SCOPED_TRACE(portable ? "plain integer arithmetic" : "default arithmetic");
            Arithmetic arithmetic(portable);
            for (int scale : {1, 2}) ExpectMatch(jpeg, l.components, scale);
          }
        }
}

TEST(JpegDcDecoder, MatchesTurboJpegOnOurOwnWriter) {
  // Our writer's files (4:2:0, JFIF, optimised tables) at a few qualities.
  Image src;
  ASSERT_TRUE(Image::Create(203, 117, 24, &src).ok());
  std::mt19937 rng(7);
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width() * 3; ++x) src.row(y)[x] = static_cast<uint8_t>((x * y + rng() % 64) & 255);
  for (int quality : {20, 60, 95}) {
    SaveOptions so;
    so.type = SaveType::kJpeg;
    so.jpeg_quality = quality;
    const std::string path = testing::TempDir() + "jpeg_dc_" + std::to_string(quality) + ".jpg";
    ASSERT_TRUE(JpegSave(src, path, so).ok());
    Bytes bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
      int c;
      while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
      std::fclose(f);
    }
    std::remove(path.c_str());
    SCOPED_TRACE("quality " + std::to_string(quality));
    for (bool portable : {false, true}) {
      SCOPED_TRACE(portable ? "plain integer arithmetic" : "default arithmetic");
      Arithmetic arithmetic(portable);
      for (int scale : {1, 2}) ExpectMatch(bytes, 3, scale);
    }
  }
}

TEST(JpegDcDecoder, OtherLayoutsAreLeftToLibjpeg) {
  Spec progressive;
  progressive.progressive = true;
  Spec arithmetic;
  arithmetic.arithmetic = true;
  Spec h4v1;
  h4v1.h = 4;
  h4v1.v = 1;
  Spec h1v2;
  h1v2.h = 1;
  h1v2.v = 2;
  Spec cmyk;
  cmyk.components = 4;
  Spec rgb;
  rgb.rgb = true;
  const std::pair<const char*, Spec> cases[] = {{"progressive", progressive}, {"arithmetic", arithmetic},
                                                {"4:1:1", h4v1},             {"4:4:0", h1v2},
                                                {"CMYK", cmyk},              {"RGB", rgb}};
  for (const auto& [name, spec] : cases) {
    SCOPED_TRACE(name);
    bool handled = true;
    Image img;
    const Bytes jpeg = Encode(spec);
    const Result r = JpegDcDecode(jpeg.data(), jpeg.size(), &img, &handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(r.code(), Status::kUnsupported);
    EXPECT_TRUE(img.empty());
  }
  // The same files still load bounded, through libjpeg.
  for (const auto& [name, spec] : cases) {
    SCOPED_TRACE(name);
    const Bytes jpeg = Encode(spec);
    LoadOptions lo;
    lo.max_width = lo.max_height = 8;
    Image img;
    const Result r = JpegLoad(jpeg.data(), jpeg.size(), lo, &img);
    EXPECT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(img.width(), 8);
    EXPECT_EQ(img.height(), 6);
  }
}

TEST(JpegDcDecoder, TruncatedFilesAreErrors) {
  for (const Spec& s : {Spec{}, Spec{.width = 90, .height = 31, .components = 1, .restart_mcus = 2}}) {
    const Bytes full = Encode(s);
    const size_t scan = ScanData(full);
    ASSERT_GT(scan, 0u);
    // Every cut before the last MCU's data ends; the final bytes may be
    // padding and the end-of-image marker, which the picture does not need.
    for (size_t cut = 0; cut + 16 < full.size(); cut += cut < scan ? 1 : 7) {
      const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
      for (int scale : {1, 2}) {
        bool handled = false;
        Image img;
        const Result r = JpegScaledDecode(part.data(), part.size(), scale, &img, &handled);
        EXPECT_FALSE(r.ok()) << "cut at " << cut << " of " << full.size() << ", scale " << scale;
        EXPECT_TRUE(img.empty());
        if (cut >= scan) {
          EXPECT_TRUE(handled) << "cut at " << cut;
          EXPECT_EQ(r.code(), Status::kBroken) << "cut at " << cut;
        }
      }
    }
  }
}

TEST(JpegDcDecoder, DamagedDataIsBroken) {
  Spec s;
  s.restart_mcus = 2;
  const Bytes good = Encode(s);
  bool handled = false;
  ASSERT_TRUE(Decode(good, &handled).ok());

  // A run of one bits is no Huffman code (libjpeg never assigns all ones).
  Bytes ones = good;
  const size_t scan = ScanData(ones);
  for (size_t i = scan; i < scan + 40; i += 2) {
    ones[i] = 0xFF;
    ones[i + 1] = 0x00;
  }
  EXPECT_EQ(Decode(ones, &handled).code(), Status::kBroken);

  // Restart markers out of order, or one missing.
  Bytes swapped = good;
  const size_t rst0 = FindMarker(swapped, 0xD0);
  ASSERT_GT(rst0, 0u);
  swapped[rst0 + 1] = 0xD3;
  EXPECT_EQ(Decode(swapped, &handled).code(), Status::kBroken);
  Bytes missing = good;
  missing.erase(missing.begin() + static_cast<std::ptrdiff_t>(rst0), missing.begin() + static_cast<std::ptrdiff_t>(rst0 + 2));
  EXPECT_EQ(Decode(missing, &handled).code(), Status::kBroken);

  // The picture stopping at a marker in the middle of its data.
  Bytes early = good;
  early[scan + 10] = 0xFF;
  early[scan + 11] = 0xD9;
  EXPECT_EQ(Decode(early, &handled).code(), Status::kBroken);

  // Table ids out of range in DHT, DQT, SOS and SOF.
  Bytes dht = good;
  dht[FindMarker(dht, 0xC4) + 4] = 0x24;  // class 2
  EXPECT_EQ(Decode(dht, &handled).code(), Status::kBroken);
  Bytes dqt = good;
  dqt[FindMarker(dqt, 0xDB) + 4] = 0x07;
  EXPECT_EQ(Decode(dqt, &handled).code(), Status::kBroken);
  Bytes sos = good;
  sos[FindMarker(sos, 0xDA) + 6] = 0x55;  // first component's tables 5 / 5
  EXPECT_EQ(Decode(sos, &handled).code(), Status::kBroken);
  Bytes sof = good;
  sof[FindMarker(sof, 0xC0) + 12] = 9;  // first component's quantisation table
  EXPECT_EQ(Decode(sof, &handled).code(), Status::kBroken);

  // A Huffman table with more codes than its lengths hold.
  Bytes overfull = good;
  overfull[FindMarker(overfull, 0xC4) + 5] = 3;  // three codes of one bit
  EXPECT_EQ(Decode(overfull, &handled).code(), Status::kBroken);

  // A DC symbol above 15 (no 8-bit difference needs it).
  Bytes dc_symbol = good;
  dc_symbol[FindMarker(dc_symbol, 0xC4) + 21] = 0x10;
  EXPECT_EQ(Decode(dc_symbol, &handled).code(), Status::kBroken);

  // Frames without pixels.
  for (int field : {5, 7}) {
    Bytes empty = good;
    const size_t sof0 = FindMarker(empty, 0xC0);
    empty[sof0 + field] = empty[sof0 + field + 1] = 0;
    EXPECT_EQ(Decode(empty, &handled).code(), Status::kBroken) << "field " << field;
  }

  // Not JPEG at all.
  const Bytes junk = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_FALSE(Decode(junk, &handled).ok());
}

TEST(JpegDcDecoder, RandomDamageNeverCrashes) {
  // Decoding must stay inside the buffer whatever the bytes say (run under
  // the sanitizers by the fuzz target; here it must at least not crash and
  // never report success with a wrong size).
  Spec s;
  s.width = 70;
  s.height = 50;
  s.restart_mcus = 1;
  const Bytes good = Encode(s);
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    Bytes bad = good;
    const int flips = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < flips; ++i) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
    Image img;
    bool handled = false;
    const int scale = 1 + round % 2;
    if (JpegScaledDecode(bad.data(), bad.size(), scale, &img, &handled).ok()) {
      EXPECT_TRUE(handled);
      EXPECT_GT(img.width(), 0);
      EXPECT_GT(img.height(), 0);
    }
  }
}

TEST(JpegDcDecoder, BoundedLoadsUseItAndKeepEverythingElse) {
  Spec s;
  s.width = 400;
  s.height = 240;
  Bytes jpeg = Encode(s);
  // A comment right after SOI.
  const std::string text = "dc path";
  Bytes com = {0xFF, 0xFE, 0, static_cast<uint8_t>(text.size() + 2)};
  com.insert(com.end(), text.begin(), text.end());
  jpeg.insert(jpeg.begin() + 2, com.begin(), com.end());
  // JFIF density 300 x 150 dots per inch.
  const size_t app0 = FindMarker(jpeg, 0xE0);
  ASSERT_GT(app0, 0u);
  const uint8_t density[] = {1, 300 >> 8, 300 & 255, 0, 150};
  std::memcpy(jpeg.data() + app0 + 11, density, sizeof density);

  LoadOptions lo;
  lo.max_width = lo.max_height = 50;  // 1/8 gives 50 x 30
  Image loaded;
  ASSERT_TRUE(JpegLoad(jpeg.data(), jpeg.size(), lo, &loaded).ok());
  Image direct;
  bool handled = false;
  ASSERT_TRUE(JpegDcDecode(jpeg.data(), jpeg.size(), &direct, &handled).ok());
  ASSERT_EQ(loaded.width(), 50);
  ASSERT_EQ(loaded.height(), 30);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(std::memcmp(loaded.row(y), direct.row(y), 150), 0) << "row " << y;
  EXPECT_EQ(loaded.comment(), text);
  EXPECT_EQ(loaded.dpi_x(), 300);
  EXPECT_EQ(loaded.dpi_y(), 150);

  // At 1/4 as well; 1/2 is libjpeg's and comes out at its size.
  lo.max_width = lo.max_height = 100;  // 1/4 gives 100 x 60
  Image quarter;
  ASSERT_TRUE(JpegLoad(jpeg.data(), jpeg.size(), lo, &quarter).ok());
  ASSERT_TRUE(JpegScaledDecode(jpeg.data(), jpeg.size(), 2, &direct, &handled).ok());
  ASSERT_EQ(quarter.width(), 100);
  ASSERT_EQ(quarter.height(), 60);
  for (int y = 0; y < 60; ++y) EXPECT_EQ(std::memcmp(quarter.row(y), direct.row(y), 300), 0) << "row " << y;
  EXPECT_EQ(quarter.comment(), text);
  EXPECT_EQ(quarter.dpi_x(), 300);
  lo.max_width = lo.max_height = 200;
  Image half;
  ASSERT_TRUE(JpegLoad(jpeg.data(), jpeg.size(), lo, &half).ok());
  EXPECT_EQ(half.width(), 200);
  EXPECT_EQ(half.height(), 120);

  // Only the three scales are taken.
  for (int scale : {0, 3, 4, 8}) {
    Image none;
    EXPECT_EQ(JpegScaledDecode(jpeg.data(), jpeg.size(), scale, &none, &handled).code(), Status::kBadValue);
    EXPECT_TRUE(none.empty());
  }

  // Damage found on the fast path still ends as kBroken from libjpeg.
  lo.max_width = lo.max_height = 50;
  Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
  Image none;
  EXPECT_EQ(JpegLoad(cut.data(), cut.size(), lo, &none).code(), Status::kBroken);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace imaging::codecs::internal
