// Tests of reading a JPEG frame header from its bytes, against libjpeg's
// own reading of the same header (jpeg_read_header()): files written by
// libjpeg in many layouts must be read alike, and no damaged or unusual
// header may be read here differently from libjpeg, or where libjpeg
// refuses it.
#include "imaging/codecs/internal/jpeg_frame.h"

// clang-format off
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/codecs/internal/jpeg_header.h"
#include "imaging/codecs/jpeg_internal.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs::internal {
namespace {

using Bytes = std::vector<uint8_t>;

// ------------------------------------------------ writing with libjpeg

struct Layout {
  std::string name{};
  int width = 16, height = 8, components = 3;
  J_COLOR_SPACE in_space = JCS_RGB;
  J_COLOR_SPACE jpeg_space = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for in_space
  bool progressive = false, arithmetic = false, optimize = false, jfif = true;
  int quality = 85;
  bool baseline_tables = true;  // quantisation entries kept within 8 bits
  int restart_rows = 0;
  int density_unit = 0, x_density = 1, y_density = 1;
  int h_samp = 0, v_samp = 0;  // of the first component; 0 keeps the default
  Bytes exif{};                 // APP1 payload to write, "Exif\0\0" included
  bool comment = false, icc = false;
};

struct WriteErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void WriteFailed(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<WriteErrors*>(cinfo->err)->jump, 1); }

Bytes Write(const Layout& l) {
  jpeg_compress_struct c{};
  WriteErrors err{};
  c.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = &WriteFailed;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> row(static_cast<size_t>(l.width) * l.components);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&c);
    std::free(out);
    ADD_FAILURE() << "libjpeg could not write " << l.name;
    return {};
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(l.width);
  c.image_height = static_cast<JDIMENSION>(l.height);
  c.input_components = l.components;
  c.in_color_space = l.in_space;
  jpeg_set_defaults(&c);
  if (l.jpeg_space != JCS_UNKNOWN) jpeg_set_colorspace(&c, l.jpeg_space);
  jpeg_set_quality(&c, l.quality, l.baseline_tables ? TRUE : FALSE);
  if (l.progressive) jpeg_simple_progression(&c);
  c.arith_code = l.arithmetic ? TRUE : FALSE;
  c.optimize_coding = l.optimize ? TRUE : FALSE;
  c.restart_in_rows = l.restart_rows;
  c.write_JFIF_header = l.jfif ? TRUE : FALSE;
  c.density_unit = static_cast<UINT8>(l.density_unit);
  c.X_density = static_cast<UINT16>(l.x_density);
  c.Y_density = static_cast<UINT16>(l.y_density);
  if (l.h_samp > 0) {
    c.comp_info[0].h_samp_factor = l.h_samp;
    c.comp_info[0].v_samp_factor = l.v_samp;
  }
  jpeg_start_compress(&c, TRUE);
  if (l.comment) {
    const char text[] = "a comment";
    jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET*>(text), sizeof text - 1);
  }
  if (!l.exif.empty()) jpeg_write_marker(&c, JPEG_APP0 + 1, l.exif.data(), static_cast<unsigned>(l.exif.size()));
  if (l.icc) {
    const Bytes icc(300, 0x42);
    jpeg_write_marker(&c, JPEG_APP0 + 2, icc.data(), static_cast<unsigned>(icc.size()));
  }
  for (int y = 0; y < l.height; ++y) {
    for (size_t x = 0; x < row.size(); ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes bytes(out, out + size);
  std::free(out);
  return bytes;
}

// An EXIF block (little-endian TIFF) holding only the resolution.
Bytes ExifWithResolution(uint32_t x_num, uint32_t x_den, uint32_t y_num, uint32_t y_den, uint16_t unit) {
  Bytes b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
  auto u16 = [&](uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const uint32_t values = 8 + 2 + 3 * 12 + 4;  // TIFF offset of the rationals
  u16(3);
  u16(0x011A), u16(5), u32(1), u32(values);
  u16(0x011B), u16(5), u32(1), u32(values + 8);
  u16(0x0128), u16(3), u32(1), u32(unit);
  u32(0);
  u32(x_num), u32(x_den), u32(y_num), u32(y_den);
  return b;
}

std::vector<Layout> Layouts() {
  std::vector<Layout> v;
  auto add = [&](Layout l) { v.push_back(std::move(l)); };
  add({.name = "colour"});
  add({.name = "grey 1x1", .width = 1, .height = 1, .components = 1, .in_space = JCS_GRAYSCALE});
  add({.name = "grey odd", .width = 17, .height = 5, .components = 1, .in_space = JCS_GRAYSCALE});
  add({.name = "wide", .width = 65500, .height = 2, .components = 1, .in_space = JCS_GRAYSCALE});
  add({.name = "tall", .width = 3, .height = 4099});
  add({.name = "progressive", .width = 40, .height = 30, .progressive = true});
  add({.name = "progressive grey", .width = 9, .height = 9, .components = 1, .in_space = JCS_GRAYSCALE,
       .progressive = true});
  add({.name = "optimised", .optimize = true});
  add({.name = "restarts", .width = 64, .height = 48, .restart_rows = 1});
  add({.name = "16-bit tables", .quality = 2, .baseline_tables = false});
  add({.name = "cmyk", .components = 4, .in_space = JCS_CMYK});
  add({.name = "ycck", .components = 4, .in_space = JCS_CMYK, .jpeg_space = JCS_YCCK});
  add({.name = "rgb kept", .jpeg_space = JCS_RGB});
  add({.name = "sampling 4x1", .width = 32, .h_samp = 4, .v_samp = 1});
  add({.name = "sampling 1x1", .h_samp = 1, .v_samp = 1});
  add({.name = "dpi", .density_unit = 1, .x_density = 300, .y_density = 150});
  add({.name = "dots per cm", .density_unit = 2, .x_density = 118, .y_density = 47});
  add({.name = "aspect only", .density_unit = 0, .x_density = 3, .y_density = 2});
  add({.name = "no jfif", .jfif = false});
  add({.name = "exif dpi", .jfif = false, .exif = ExifWithResolution(72, 1, 96, 1, 2)});
  add({.name = "exif dpcm", .jfif = false, .exif = ExifWithResolution(300, 10, 200, 10, 3)});
  add({.name = "jfif over exif", .density_unit = 1, .x_density = 200, .y_density = 200,
       .exif = ExifWithResolution(72, 1, 72, 1, 2)});
  add({.name = "jfif aspect, exif dpi", .exif = ExifWithResolution(180, 1, 180, 1, 2)});
  add({.name = "markers", .exif = ExifWithResolution(1, 0, 5, 1, 2), .comment = true, .icc = true});
  add({.name = "arithmetic", .arithmetic = true});
  add({.name = "arithmetic progressive", .progressive = true, .arithmetic = true});
  return v;
}

// ------------------------------------------------ reading with libjpeg

struct Facts {
  bool ok = false;
  int width = 0, height = 0, components = 0;
  bool jfif = false;
  int unit = 0, x_density = 0, y_density = 0;
  Bytes exif;  // payload of the first "Exif\0\0" APP1
};

struct ReadErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void ReadFailed(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ReadErrors*>(cinfo->err)->jump, 1); }

// Warnings are harmless, except the data running out: libjpeg then reads
// on over a made-up end of image.
void ReadWarning(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) ReadFailed(cinfo);
}

Facts LibjpegFacts(const Bytes& data) {
  Facts f;
  jpeg_decompress_struct d{};
  ReadErrors err{};
  d.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = &ReadFailed;
  err.pub.emit_message = &ReadWarning;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&d);
    return Facts{};
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_save_markers(&d, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&d, TRUE);
  f.ok = true;
  f.width = static_cast<int>(d.image_width);
  f.height = static_cast<int>(d.image_height);
  f.components = d.num_components;
  f.jfif = d.saw_JFIF_marker;
  f.unit = d.density_unit;
  f.x_density = d.X_density;
  f.y_density = d.Y_density;
  for (jpeg_saved_marker_ptr m = d.marker_list; m != nullptr; m = m->next)
    if (m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
      f.exif.assign(m->data, m->data + m->data_length);
      break;
    }
  jpeg_destroy_decompress(&d);
  return f;
}

// Compares what JpegReadFrame() read with libjpeg's facts.
void ExpectSameFacts(const JpegFrame& ours, const Facts& ref, const std::string& what) {
  ASSERT_TRUE(ref.ok) << what << ": read here, refused by libjpeg";
  EXPECT_EQ(ours.width, ref.width) << what;
  EXPECT_EQ(ours.height, ref.height) << what;
  EXPECT_EQ(ours.components, ref.components) << what;
  EXPECT_EQ(ours.jfif, ref.jfif) << what;
  if (ref.jfif) {
    EXPECT_EQ(ours.density_unit, ref.unit) << what;
    EXPECT_EQ(ours.x_density, ref.x_density) << what;
    EXPECT_EQ(ours.y_density, ref.y_density) << what;
  }
  const Bytes exif = ours.exif ? Bytes(ours.exif, ours.exif + ours.exif_size) : Bytes{};
  EXPECT_EQ(exif, ref.exif) << what;
}

void ExpectSameReading(const Bytes& data, const std::string& what) {
  FileInfo fast, slow;
  const Result a = JpegReadInfo(data.data(), data.size(), 0, &fast);
  const Result b = JpegReadInfoWithLibrary(data.data(), data.size(), &slow);
  ASSERT_EQ(a.ok(), b.ok()) << what;
  if (a.ok()) imaging::testing::ExpectSameInfo(fast, slow, what);
}

TEST(JpegReadFrame, ReadsWhatLibjpegReadsFromFilesOfEveryLayout) {
  for (const Layout& l : Layouts()) {
    const Bytes file = Write(l);
    ASSERT_FALSE(file.empty()) << l.name;
    const Facts ref = LibjpegFacts(file);
    ASSERT_TRUE(ref.ok) << l.name;
    JpegFrame f;
    const bool read = JpegReadFrame(file.data(), file.size(), &f);
    // Arithmetic-coded frames are libjpeg's to read; every other layout is
    // read here, from the whole file and from its gathered header alike.
    EXPECT_EQ(read, !l.arithmetic) << l.name;
    if (read) ExpectSameFacts(f, ref, l.name);
    MemoryByteSource src(file.data(), file.size());
    Bytes head;
    bool has_exif = false;
    ASSERT_TRUE(JpegGatherHeader(&src, &head, &has_exif).ok()) << l.name;
    JpegFrame g;
    EXPECT_EQ(JpegReadFrame(head.data(), head.size(), &g), !l.arithmetic) << l.name;
    if (!l.arithmetic) ExpectSameFacts(g, LibjpegFacts(head), l.name + " (gathered)");
    ExpectSameReading(file, l.name);
    ExpectSameReading(head, l.name + " (gathered)");
  }
}

TEST(JpegReadFrame, NeverReadsADamagedHeaderOtherwiseThanLibjpeg) {
  // Bytes of the headers changed at random, and headers cut at every
  // length: whatever is read here, libjpeg reads alike.
  std::mt19937 rng(20);
  int read = 0, declined = 0;
  const std::vector<Layout> layouts = Layouts();
  for (const char* name : {"grey odd", "progressive", "restarts", "cmyk", "markers", "16-bit tables", "exif dpi",
                           "sampling 4x1"}) {
    const Layout* l = nullptr;
    for (const Layout& c : layouts)
      if (c.name == name) l = &c;
    ASSERT_NE(l, nullptr) << name;
    const Bytes file = Write(*l);
    MemoryByteSource src(file.data(), file.size());
    Bytes head;
    bool has_exif = false;
    ASSERT_TRUE(JpegGatherHeader(&src, &head, &has_exif).ok());
    const size_t header_end = head.size() - 2;  // up to the scan header's end
    auto check = [&](const Bytes& mutant, const std::string& what) {
      JpegFrame f;
      if (!JpegReadFrame(mutant.data(), mutant.size(), &f)) {
        ++declined;
        return;
      }
      ++read;
      ExpectSameFacts(f, LibjpegFacts(mutant), what);
      ExpectSameReading(mutant, what);
    };
    for (int round = 0; round < 1500; ++round) {
      Bytes mutant = file;
      const int changes = 1 + static_cast<int>(rng() % 3);
      for (int c = 0; c < changes; ++c) {
        const size_t at = 2 + rng() % (header_end - 2);
        mutant[at] = rng() % 4 == 0 ? static_cast<uint8_t>(mutant[at] ^ (1u << (rng() % 8)))
                                    : static_cast<uint8_t>(rng());
      }
      check(mutant, std::string(name) + " round " + std::to_string(round));
    }
    for (size_t n = 0; n <= header_end; ++n)
      check(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)), std::string(name) + " cut");
  }
  // Both outcomes were met often enough for the comparison to mean something.
  EXPECT_GT(read, 1000);
  EXPECT_GT(declined, 1000);
}

TEST(JpegReadFrame, LeavesUnusualHeadersToLibjpeg) {
  const Bytes plain = Write({.name = "plain", .width = 5, .height = 3, .components = 1, .in_space = JCS_GRAYSCALE});
  JpegFrame f;
  ASSERT_TRUE(JpegReadFrame(plain.data(), plain.size(), &f));
  // Fill bytes before a marker, a restart marker between segments, a
  // segment that names no frame, and a second frame header are all left
  // to libjpeg, whether it takes them or not.
  Bytes fill = plain;
  fill.insert(fill.begin() + 2, 0xFF);
  EXPECT_FALSE(JpegReadFrame(fill.data(), fill.size(), &f));
  Bytes restart = plain;
  restart.insert(restart.begin() + 2, {0xFF, 0xD0});
  EXPECT_FALSE(JpegReadFrame(restart.data(), restart.size(), &f));
  Bytes dnl = plain;
  dnl.insert(dnl.begin() + 2, {0xFF, 0xDC, 0x00, 0x04, 0x00, 0x03});
  EXPECT_FALSE(JpegReadFrame(dnl.data(), dnl.size(), &f));
  EXPECT_FALSE(JpegReadFrame(nullptr, 0, &f));
  EXPECT_FALSE(JpegReadFrame(plain.data(), 3, &f));
  for (const Bytes& odd : {fill, restart, dnl}) ExpectSameReading(odd, "unusual");
}

}  // namespace
}  // namespace imaging::codecs::internal
