// The awkward-file corpus: a folder of files as many programs write them
// (ImageMagick, libjpeg's cjpeg, libtiff, hand-written layouts and our own
// writers), each decoded by us and by ImageMagick and required to agree
// within a small tolerance.  Every format is a case of its own, so ctest
// runs them side by side.  The whole corpus is generated here.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/testing/awkward_files.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/reference_reader.h"

namespace imaging::codecs {
namespace {

using namespace imaging::testing;

// One file of the corpus: how to make it, and how close our decode must
// come to the reference's (largest channel difference).
struct Entry {
  Entry(std::string n, std::function<bool(const std::string& path)> m, int t = 0, std::string options = "")
      : name(std::move(n)), make(std::move(m)), tolerance(t), reference_options(std::move(options)) {}
  std::string name;
  std::function<bool(const std::string& path)> make;
  int tolerance = 0;
  std::string reference_options;  // e.g. "-auto-orient"
  // When set, the reference decode instead of ImageMagick's on the file.
  std::function<bool(const std::string& path, Image* out)> reference;
};

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A file written by ImageMagick from `source` with `options`; `format` is
// the output prefix ("BMP3:", "PNG8:", or empty).
Entry Magick(const std::string& name, const std::string& source, const std::string& options,
             const std::string& format = "", int tolerance = 0) {
  return Entry{name,
               [=](const std::string& path) { return Shell("convert " + source + " " + options + " '" + format + path + "'"); },
               tolerance, ""};
}

// A file written by one of our own savers from a made-up picture.
Entry Ours(const std::string& name, Image picture, SaveType type, int tolerance = 0) {
  return Entry{name,
               [picture = std::move(picture), type](const std::string& path) {
                 SaveOptions so;
                 so.type = type;
                 return Save(picture, path, so).ok();
               },
               tolerance, ""};
}

Entry Bytes(const std::string& name, std::vector<uint8_t> bytes, int tolerance = 0) {
  return Entry{name, [bytes = std::move(bytes)](const std::string& path) { return WriteFile(path, bytes); }, tolerance,
               ""};
}

// Decodes every entry both ways; all disagreements are listed at the end.
// A bounded load of each must succeed within its bound too.
void CheckCorpus(const std::vector<Entry>& entries) {
  TempFolder folder("corpus");
  std::vector<std::string> failures;
  for (const Entry& e : entries) {
    const std::string path = folder.File(e.name);
    if (!e.make(path)) {
      failures.push_back(e.name + ": could not be written");
      continue;
    }
    Image ours, theirs;
    const Result r = Load(path, {}, &ours);
    if (!r.ok()) {
      failures.push_back(e.name + ": we refuse it: " + r.message());
      continue;
    }
    if (e.reference ? !e.reference(path, &theirs) : !ReferenceDecode(path, &theirs, e.reference_options)) {
      failures.push_back(e.name + ": the reference refuses it");
      continue;
    }
    const long bad = CountColourDifferences(ours, theirs, e.tolerance);
    if (bad != 0) {
      failures.push_back(e.name + ": " +
                         (bad < 0 ? "sizes differ (" + std::to_string(ours.width()) + "x" + std::to_string(ours.height()) +
                                        " against " + std::to_string(theirs.width()) + "x" +
                                        std::to_string(theirs.height()) + ")"
                                  : std::to_string(bad) + " pixels differ by more than " + std::to_string(e.tolerance)));
    }
    LoadOptions bounded;
    bounded.max_width = bounded.max_height = 16;
    Image small;
    const Result b = Load(path, bounded, &small);
    if (!b.ok() || small.width() > 16 || small.height() > 16) failures.push_back(e.name + ": bounded load failed");
  }
  EXPECT_TRUE(failures.empty()) << [&] {
    std::string all;
    for (const std::string& f : failures) all += "\n  " + f;
    return std::to_string(failures.size()) + " of " + std::to_string(entries.size()) + " files disagree:" + all;
  }();
}

// A palette picture of short runs, which our BMP writer stores as RLE.
Image RunsPicture(int bpp) {
  Image img;
  EXPECT_TRUE(Image::Create(61, 33, bpp, &img).ok());
  for (int y = 0; y < 33; ++y)
    for (int x = 0; x < 61; ++x) {
      const int v = (x / 5 + y / 3) % 16;
      if (bpp == 8) {
        img.row(y)[x] = static_cast<uint8_t>(v);
      } else {
        uint8_t& b = img.row(y)[x >> 1];
        b = static_cast<uint8_t>((x & 1) ? (b & 0xF0) | v : (b & 0x0F) | (v << 4));
      }
    }
  for (int i = 0; i < 16; ++i) img.palette()[i] = PaletteEntry{uint8_t(i * 16), uint8_t(255 - i * 9), uint8_t(i * 40), 0};
  return img;
}

// Reoriented() turns a picture decoded in stored order upright, pixel by
// pixel, as TIFF 6.0 defines the orientation values (row 0 / column 0 at:
// 1 top/left, 2 top/right, 3 bottom/right, 4 bottom/left, 5 left/top,
// 6 right/top, 7 right/bottom, 8 left/bottom).
bool Reoriented(const Image& stored, int orientation, Image* out) {
  const int w = stored.width(), h = stored.height();
  const bool turned = orientation >= 5;
  Image img;
  if (!Image::Create(turned ? h : w, turned ? w : h, 24, &img).ok()) return false;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;
        case 4: sy = h - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = h - 1 - x; break;
        case 7: sx = w - 1 - y; sy = h - 1 - x; break;
        case 8: sx = w - 1 - y; sy = x; break;
        default: break;
      }
      img.SetPixelRgb(x, y, stored.PixelRgb(sx, sy));
    }
  *out = std::move(img);
  return true;
}

// LibtiffRgba() decodes a TIFF file through libtiff's own RGBA reader.
bool LibtiffRgba(const std::string& path, Image* out) {
  TIFF* t = TIFFOpen(path.c_str(), "r");
  if (t == nullptr) return false;
  uint32_t w = 0, h = 0;
  TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
  std::vector<uint32_t> raster(static_cast<size_t>(w) * h);
  Image img;
  const bool ok = Image::Create(static_cast<int>(w), static_cast<int>(h), 24, &img).ok() &&
                  TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 0) != 0;
  TIFFClose(t);
  if (!ok) return false;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t p = raster[static_cast<size_t>(y) * w + x];
      img.SetPixelRgb(static_cast<int>(x), static_cast<int>(y), TIFFGetR(p) << 16 | TIFFGetG(p) << 8 | TIFFGetB(p));
    }
  *out = std::move(img);
  return true;
}

const char kRose[] = "rose:";                              // 70 x 46, many colours
const char kGreyRose[] = "rose: -colorspace gray";
const char kAlphaRose[] = "rose: -alpha set -channel A -fx 'i/w' +channel";

TEST(CodecCorpus, Tiff) {
  std::vector<Entry> entries;
  struct Layout {
    const char* name;
    uint16_t bps, spp, photometric, alpha;
  };
  const Layout layouts[] = {{"bw", 1, 1, 1, 0},      {"grey2", 2, 1, 1, 0},     {"grey4", 4, 1, 1, 0},
                            {"grey8", 8, 1, 1, 0},   {"grey12", 12, 1, 1, 0},   {"grey16", 16, 1, 1, 0},
                            {"white8", 8, 1, 0, 0},  {"pal4", 4, 1, 3, 0},      {"pal8", 8, 1, 3, 0},
                            {"rgb8", 8, 3, 2, 0},    {"rgb16", 16, 3, 2, 0},    {"rgba8", 8, 4, 2, 2},
                            {"cmyk8", 8, 4, 5, 0},   {"cmyk16", 16, 4, 5, 0}};
  const uint16_t compressions[] = {1, 5, 8, 32773};
  int n = 0;
  for (uint16_t c : compressions)
    for (const Layout& l : layouts) {
      TiffSpec spec;
      spec.width = 23;
      spec.height = 17;
      spec.bps = l.bps;
      spec.spp = l.spp;
      spec.photometric = l.photometric;
      spec.extra_alpha = l.alpha;
      spec.compression = c;
      spec.orientation = static_cast<uint16_t>(1 + n++ % 8);  // every orientation turns up
      Entry e{std::string(l.name) + "-c" + std::to_string(c) + "-o" + std::to_string(spec.orientation) + ".tif",
              [spec](const std::string& path) { return WriteTiffFile(spec, path); }, l.bps == 8 ? 0 : 1,
              "-auto-orient"};
      entries.push_back(e);
    }
  // JPEG strips: the same compressed data under every orientation tag.
  // ImageMagick turns these twice, so the reference is its decode of the
  // upright file turned by the obvious pixel mapping.
  for (uint16_t o = 1; o <= 8; ++o)
    for (const Layout& l : {layouts[3], layouts[9], layouts[12]}) {
      TiffSpec spec;
      spec.width = 40;
      spec.height = 24;
      spec.bps = l.bps;
      spec.spp = l.spp;
      spec.photometric = l.photometric;
      spec.compression = 7;
      spec.orientation = o;
      Entry e{std::string(l.name) + "-jpeg-o" + std::to_string(o) + ".tif",
              [spec](const std::string& path) { return WriteTiffFile(spec, path); }, 3, ""};
      e.reference = [spec](const std::string& path, Image* out) {
        TiffSpec upright = spec;
        upright.orientation = 1;
        Image stored;
        return WriteTiffFile(upright, path + ".upright.tif") && ReferenceDecode(path + ".upright.tif", &stored) &&
               Reoriented(stored, spec.orientation, out);
      };
      entries.push_back(e);
    }
  for (const Layout& l : {layouts[9], layouts[10], layouts[12]}) {  // separate planes, tiles
    for (bool tiled : {false, true}) {
      TiffSpec spec;
      spec.width = 37;
      spec.height = 21;
      spec.bps = l.bps;
      spec.spp = l.spp;
      spec.photometric = l.photometric;
      spec.compression = 5;
      spec.planar = tiled ? 1 : 2;
      spec.tiled = tiled;
      entries.push_back(Entry{std::string(l.name) + (tiled ? "-tiled" : "-planes") + ".tif",
                              [spec](const std::string& path) { return WriteTiffFile(spec, path); }, 1, ""});
    }
  }
  entries.push_back(Magick("im-rgb16-zip.tif", kRose, "-depth 16 -compress zip", "", 1));
  // ImageMagick rounds 16-bit colour maps its own way from one output to
  // the next; libtiff's RGBA reader is the reference here.
  Entry palette = Magick("im-palette.tif", kRose, "-colors 64 -type palette -compress lzw");
  palette.reference = LibtiffRgba;
  entries.push_back(palette);
  entries.push_back(Magick("im-ycbcr-jpeg.tif", kRose, "-compress jpeg -quality 95", "", 3));
  CheckCorpus(entries);
}

TEST(CodecCorpus, Bmp) {
  std::vector<Entry> entries;
  for (const char* format : {"BMP2:", "BMP3:", "BMP:"}) {
    const std::string f = std::string(format).substr(0, std::string(format).size() - 1);
    entries.push_back(Magick(f + "-1.bmp", kRose, "-colors 2 -type palette", format));
    entries.push_back(Magick(f + "-4.bmp", kRose, "-colors 16 -type palette", format));
    entries.push_back(Magick(f + "-8.bmp", kRose, "-colors 200 -type palette", format));
    entries.push_back(Magick(f + "-24.bmp", kRose, "-type truecolor", format));
  }
  entries.push_back(Magick("v5-32-alpha.bmp", kAlphaRose, "", "BMP:"));
  entries.push_back(Magick("rle8.bmp", kRose, "-colors 200 -compress RLE", "BMP3:"));
  entries.push_back(Magick("rle8-16colours.bmp", kRose, "-colors 16 -compress RLE", "BMP3:"));
  // Our writer's RLE4 and RLE8, 16-bit and the top-down work file.
  entries.push_back(Ours("ours-rle4.bmp", RunsPicture(4), SaveType::kBmp));
  entries.push_back(Ours("ours-rle8.bmp", RunsPicture(8), SaveType::kBmp));
  entries.push_back(Ours("ours-16.bmp", RandomPicture(29, 11, 16, 3, {.clear_unused_bit = true}), SaveType::kBmp));
  entries.push_back(Ours("ours-topdown-24.bmp", RandomPicture(29, 11, 24, 4), SaveType::kWorkBmp));
  entries.push_back(Ours("ours-topdown-8.bmp", RandomPicture(29, 11, 8, 5), SaveType::kWorkBmp));
  CheckCorpus(entries);
}

TEST(CodecCorpus, Png) {
  std::vector<Entry> entries;
  struct Kind {
    int type, depth;
    const char* source;
  };
  const Kind kinds[] = {{0, 1, kGreyRose}, {0, 2, kGreyRose}, {0, 4, kGreyRose},  {0, 8, kGreyRose},
                        {0, 16, kGreyRose}, {2, 8, kRose},     {2, 16, kRose},      {4, 8, kGreyRose},
                        {4, 16, kGreyRose}, {6, 8, kAlphaRose}, {6, 16, kAlphaRose}};
  for (const Kind& k : kinds)
    for (bool interlace : {false, true}) {
      std::string source = k.source;
      if (k.type == 4) source += " -alpha set -channel A -fx 'j/h' +channel";
      entries.push_back(Magick("t" + std::to_string(k.type) + "-" + std::to_string(k.depth) + (interlace ? "-i" : "") +
                                   ".png",
                               source,
                               "-define png:color-type=" + std::to_string(k.type) +
                                   " -define png:bit-depth=" + std::to_string(k.depth) +
                                   (interlace ? " -interlace PNG" : ""),
                               "", 1));
    }
  for (int depth : {1, 2, 4, 8})
    for (bool interlace : {false, true})
      entries.push_back(Magick("t3-" + std::to_string(depth) + (interlace ? "-i" : "") + ".png", kRose,
                               "-colors " + std::to_string(1 << depth) + " -define png:bit-depth=" +
                                   std::to_string(depth) + (interlace ? " -interlace PNG" : ""),
                               "PNG8:"));
  // Transparent colours (tRNS) in grey, RGB and palette files.
  entries.push_back(Magick("trns-grey.png", kGreyRose, "-transparent 'rgb(120,120,120)' -define png:color-type=0"));
  entries.push_back(Magick("trns-rgb.png", kRose, "-fill 'rgb(1,2,3)' -draw 'point 5,5' -transparent 'rgb(1,2,3)'",
                           "PNG24:"));
  entries.push_back(Magick("trns-palette.png", kRose, "-colors 30 -transparent-color white -fill white -draw 'point 3,3' "
                                                      "-transparent white",
                           "PNG8:"));
  CheckCorpus(entries);
}

TEST(CodecCorpus, Gif) {
  std::vector<Entry> entries;
  for (int m = 2; m <= 11; m += 3)
    for (bool interlace : {false, true}) {
      const int w = 45, h = 19, bits = std::min(m, 8);
      std::vector<uint8_t> indices(static_cast<size_t>(w) * h);
      for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t((i * 11 + i / w) % (1u << bits));
      entries.push_back(Bytes("code" + std::to_string(m) + (interlace ? "-i" : "") + ".gif",
                              GifFile(w, h, indices, bits, m, interlace)));
    }
  entries.push_back(Magick("im-256.gif", kRose, "-colors 256"));
  entries.push_back(Magick("im-interlaced.gif", kRose, "-colors 64 -interlace GIF"));
  entries.push_back(Magick("im-2.gif", kRose, "-colors 2"));
  entries.push_back(Magick("im-transparent.gif", kRose, "-colors 32 -fill black -draw 'point 4,4' -transparent black"));
  entries.push_back(Magick("im-87a.gif", kRose, "-colors 16", "GIF87:"));
  // Two frames with their own colour tables; picture 0 is compared.
  entries.push_back(Magick("im-frames.gif", kRose, "-colors 8 \\( rose: -flip -colors 64 \\)"));
  CheckCorpus(entries);
}

TEST(CodecCorpus, Jpeg) {
  std::vector<Entry> entries;
  // cjpeg from a PPM made by ImageMagick: sampling, progression, restarts.
  auto cjpeg = [](const std::string& name, const std::string& options, const std::string& source = kRose) {
    return Entry{name,
                 [=](const std::string& path) {
                   return Shell("convert " + source + " 'ppm:" + path + ".ppm'") &&
                          Shell("cjpeg " + options + " -outfile '" + path + "' '" + path + ".ppm'") &&
                          std::remove((path + ".ppm").c_str()) == 0;
                 },
                 2, ""};
  };
  for (const char* sample : {"1x1", "2x1", "2x2", "4x1", "1x2"})
    for (bool progressive : {false, true})
      for (bool restart : {false, true})
        entries.push_back(cjpeg(std::string("s") + sample + (progressive ? "-p" : "") + (restart ? "-r" : "") + ".jpg",
                                std::string("-quality 90 -sample ") + sample + (progressive ? " -progressive" : "") +
                                    (restart ? " -restart 2" : "")));
  entries.push_back(cjpeg("grey.jpg", "-grayscale"));
  entries.push_back(cjpeg("grey-p.jpg", "-grayscale -progressive"));
  entries.push_back(cjpeg("arith.jpg", "-arithmetic"));
  entries.push_back(Magick("im-cmyk.jpg", kRose, "-colorspace CMYK -quality 95", "", 3));
  entries.push_back(Magick("im-cmyk-p.jpg", kRose, "-colorspace CMYK -interlace JPEG", "", 3));
  // Damaged metadata in a file of our own writer.
  Image picture = GradientPicture(96, 64, 24, 2);
  SaveOptions so;
  so.type = SaveType::kJpeg;
  const std::string clean = TempPath("clean-corpus.jpg");
  EXPECT_TRUE(Save(picture, clean, so).ok());
  const std::vector<uint8_t> bytes = TakeFile(clean);
  int i = 0;
  for (JpegDamage d : kAllJpegDamage)
    entries.push_back(Bytes("damaged" + std::to_string(i++) + ".jpg", WithDamagedMetadata(bytes, d), 2));
  CheckCorpus(entries);
}

TEST(CodecCorpus, Pcx) {
  std::vector<Entry> entries;
  for (int version : {2, 3, 5}) {
    const int w = 33, h = 9;
    std::vector<uint8_t> indices(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t((i / 3 + i / w) % 16);
    entries.push_back(Bytes("ega-v" + std::to_string(version) + ".pcx", EgaPcx(w, h, indices, version)));
  }
  entries.push_back(Magick("im-24.pcx", kRose, ""));
  entries.push_back(Magick("im-256.pcx", kRose, "-colors 256 -type palette"));
  entries.push_back(Magick("im-2.pcx", kRose, "-colors 2 -type palette"));
  entries.push_back(Ours("ours-4.pcx", RandomPicture(31, 7, 4, 9), SaveType::kPcx));
  // One bit in one plane: set bits are white (as GIMP and PIL read them;
  // ImageMagick shows them inverted), so the picture saved is the reference.
  const Image bw = RandomPicture(31, 7, 1, 9, {.random_palette = false});
  Entry mono = Ours("ours-1.pcx", bw, SaveType::kPcx);
  mono.reference = [bw](const std::string&, Image* out) {
    *out = bw;
    return true;
  };
  entries.push_back(mono);
  CheckCorpus(entries);
}

}  // namespace
}  // namespace imaging::codecs
