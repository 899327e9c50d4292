// The detailed save dialog: every variant read back by its format's own
// library with the chosen option, the quality and the transparent colour
// in the file, the resolution in the file's header, and the editor's
// picture left as it was; cancelled, refused and failed saves.
#include "editor/dialogs/spImgSV.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gif_lib.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// libjpeg after <cstdio>.
#include <jpeglib.h>

#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/picture_edit/urve.h"
#include "platform/file_dialog.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

constexpr QRgb kKey = qRgb(250, 10, 20);

// A 24-bit picture: a gradient with a solid block of the key colour.
QImage TestPicture() {
  QImage img(150, 100, QImage::Format_RGB888);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x * 255 / 149, y * 255 / 99, (x + y) % 256));
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 40; ++x) img.setPixel(x, y, kKey);
  return img;
}

int VariantIndex(const char* caption) {
  for (size_t i = 0; i < kSaveVariants.size(); ++i)
    if (std::strcmp(kSaveVariants[i].caption, caption) == 0) return static_cast<int>(i);
  return -1;
}

// --- Readers of the formats' own libraries -------------------------------------------

struct JpegFacts {
  bool ok = false;
  bool progressive = false;
  std::vector<unsigned> luma_table;
  int density_unit = 0, x_density = 0, y_density = 0;
};
struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};
void JpegFail(j_common_ptr c) { longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); }

QByteArray WholeFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

JpegFacts ReadJpeg(const QString& path) {
  const QByteArray bytes = WholeFile(path);
  JpegFacts f;
  if (bytes.isEmpty()) return f;
  jpeg_decompress_struct d;
  JpegError err;
  d.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegFail;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&d);
    return JpegFacts{};
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&d, TRUE);
  f.progressive = jpeg_has_multiple_scans(&d);
  if (d.quant_tbl_ptrs[0] != nullptr)
    f.luma_table.assign(d.quant_tbl_ptrs[0]->quantval, d.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
  f.density_unit = d.density_unit;
  f.x_density = d.X_density;
  f.y_density = d.Y_density;
  f.ok = true;
  jpeg_destroy_decompress(&d);
  return f;
}

// The luminance table libjpeg itself builds for `quality`.
std::vector<unsigned> LibjpegLumaTable(int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr mgr;
  c.err = jpeg_std_error(&mgr);
  jpeg_create_compress(&c);
  c.in_color_space = JCS_RGB;
  c.input_components = 3;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  std::vector<unsigned> t(c.quant_tbl_ptrs[0]->quantval, c.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
  jpeg_destroy_compress(&c);
  return t;
}

struct GifFacts {
  bool ok = false;
  bool interlaced = false;
  int transparent = -1;
  QRgb transparent_colour = 0;
  int width = 0;
};
GifFacts ReadGif(const QString& path) {
  GifFacts f;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
  if (gif == nullptr) return f;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
    const SavedImage& img = gif->SavedImages[0];
    f.ok = true;
    f.width = img.ImageDesc.Width;
    f.interlaced = img.ImageDesc.Interlace;
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) f.transparent = gcb.TransparentColor;
    const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
    if (map != nullptr && f.transparent >= 0 && f.transparent < map->ColorCount) {
      const GifColorType c = map->Colors[f.transparent];
      f.transparent_colour = qRgb(c.Red, c.Green, c.Blue);
    }
  }
  DGifCloseFile(gif, &error);
  return f;
}

struct PngFacts {
  bool ok = false;
  int interlace = -1;
  bool has_key = false;
  QRgb key = 0;
  png_uint_32 res_x = 0, res_y = 0;
  int res_unit = -1;
};
struct PngSource {
  QByteArray bytes;
  qsizetype at = 0;
};
void PngRead(png_structp png, png_bytep out, size_t n) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (src->at + static_cast<qsizetype>(n) > src->bytes.size()) png_error(png, "short file");
  std::memcpy(out, src->bytes.constData() + src->at, n);
  src->at += static_cast<qsizetype>(n);
}

PngFacts ReadPng(const QString& path) {
  PngSource src{WholeFile(path)};
  PngFacts f;
  if (src.bytes.isEmpty()) return f;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return PngFacts{};
  }
  png_set_read_fn(png, &src, PngRead);
  png_read_info(png, info);
  f.interlace = png_get_interlace_type(png, info);
  png_bytep trans = nullptr;
  int count = 0;
  png_color_16p colour = nullptr;
  if (png_get_tRNS(png, info, &trans, &count, &colour) != 0) {
    f.has_key = true;
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
      png_colorp palette = nullptr;
      int n = 0;
      png_get_PLTE(png, info, &palette, &n);
      for (int i = 0; i < count && i < n; ++i)
        if (trans[i] == 0) f.key = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    } else if (colour != nullptr) {
      f.key = qRgb(colour->red, colour->green, colour->blue);
    }
  }
  png_get_pHYs(png, info, &f.res_x, &f.res_y, &f.res_unit);
  f.ok = true;
  png_destroy_read_struct(&png, &info, nullptr);
  return f;
}

struct TiffFacts {
  bool ok = false;
  int compression = -1;
  float res_x = 0, res_y = 0;
};
TiffFacts ReadTiff(const QString& path) {
  TiffFacts f;
  TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
  if (tif == nullptr) return f;
  uint16_t compression = 0;
  if (TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression) == 1) f.compression = compression;
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &f.res_x);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &f.res_y);
  f.ok = true;
  TIFFClose(tif);
  return f;
}

// Compression types of the full-resolution tiles of a FlashPix file.
std::vector<uint32_t> FpxTileTypes(const QString& path) {
  std::vector<uint32_t> types;
  gsf_init();
  GsfInput* input = gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr);
  if (input == nullptr) return types;
  GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
  g_object_unref(input);
  if (ole == nullptr) return types;
  GsfInput* level = gsf_infile_child_by_name(ole, "Resolution 0000");
  if (level != nullptr && GSF_IS_INFILE(level)) {
    GsfInput* header = gsf_infile_child_by_name(GSF_INFILE(level), "Subimage 0000 Header");
    if (header != nullptr) {
      const gsf_off_t size = gsf_input_size(header);
      std::vector<uint8_t> bytes(static_cast<size_t>(size));
      if (size > 0 && gsf_input_read(header, bytes.size(), bytes.data()) != nullptr && bytes.size() >= 36) {
        auto u32 = [&](size_t at) {
          return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                 uint32_t(bytes[at + 3]) << 24;
        };
        const uint32_t tiles = u32(12);
        const uint32_t table = u32(28), entry = u32(32);
        for (uint32_t t = 0; t < tiles && table + t * entry + 12 <= bytes.size(); ++t)
          types.push_back(u32(table + t * entry + 8));
      }
      g_object_unref(header);
    }
  }
  if (level != nullptr) g_object_unref(level);
  g_object_unref(ole);
  return types;
}

// Decodes a JPEG 2000 file with OpenJPEG; true with the pixels when it reads.
bool ReadJp2(const QString& path, OPJ_CODEC_FORMAT format, QImage* out) {
  opj_stream_t* stream = opj_stream_create_default_file_stream(QFile::encodeName(path).constData(), OPJ_TRUE);
  if (stream == nullptr) return false;
  opj_codec_t* codec = opj_create_decompress(format);
  opj_dparameters_t params;
  opj_set_default_decoder_parameters(&params);
  opj_image_t* image = nullptr;
  bool ok = opj_setup_decoder(codec, &params) && opj_read_header(stream, codec, &image) &&
            opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
  if (ok && image->numcomps >= 3) {
    const int w = static_cast<int>(image->comps[0].w), h = static_cast<int>(image->comps[0].h);
    *out = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int i = y * w + x;
        out->setPixel(x, y, qRgb(image->comps[0].data[i], image->comps[1].data[i], image->comps[2].data[i]));
      }
  } else {
    ok = false;
  }
  if (image != nullptr) opj_image_destroy(image);
  opj_destroy_codec(codec);
  opj_stream_destroy(stream);
  return ok;
}

QByteArray Head(const QString& path, int n) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.read(n);
}

// --- Fixture -----------------------------------------------------------------------------

class SpImgSVTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    platform::SetPrompt(&prompt_);
    platform::SetFileDialog(&files_);
    pic_.resize(400, 300);
    ASSERT_TRUE(pic_.Seam().mvImg().SetPicture(TestPicture()));
    pic_.RefreshInfo();
  }
  void TearDown() override {
    platform::SetPrompt(nullptr);
    platform::SetFileDialog(nullptr);
  }
  imaging::MemHandle Handle() { return static_cast<imaging::MemHandle>(pic_.GetHndle()); }
  // Saves the editor's picture with the variant, quality and transparency.
  QString SaveAs(const char* caption, const QString& name, int quality = 85, bool pick_key = false) {
    spImgSV d;
    EXPECT_TRUE(d.Load(Handle()));
    d.ChooseVariant(VariantIndex(caption));
    d.Slider1()->setValue(quality);
    if (pick_key) {
      d.resize(900, 600);
      d.show();
      d.chTrans()->setChecked(true);
      MvInstance& mv = d.mvImg();
      QTest::mouseClick(mv.viewport(), Qt::LeftButton, {}, mv.PictureToViewport(QPoint(20, 20)));
    }
    const QString path = dir_.filePath(name);
    files_.QueueAccept(path);
    d.Save();
    return d.SavedFile();
  }

  QTemporaryDir dir_;
  platform::ScriptedPrompt prompt_;
  platform::ScriptedFileDialog files_;
  uRvE pic_;
};

TEST_F(SpImgSVTest, EveryVariantIsReadBackWithItsOption) {
  const QString state = pic_.EditState();
  const imaging::MemHandle handle = Handle();

  // BMP: Qt's own reader takes both.
  for (const char* v : {"BMP(非圧縮)", "BMP(圧縮)"}) {
    const QString f = SaveAs(v, QString("b%1.bmp").arg(VariantIndex(v)));
    QImage back(f);
    ASSERT_FALSE(back.isNull()) << v;
    EXPECT_EQ(back.pixel(20, 20), kKey) << v;
  }

  const JpegFacts plain = ReadJpeg(SaveAs("JPEG", "plain.jpg", 85));
  ASSERT_TRUE(plain.ok);
  EXPECT_FALSE(plain.progressive);
  EXPECT_EQ(plain.luma_table, LibjpegLumaTable(85));
  const JpegFacts prog = ReadJpeg(SaveAs("JPEG ﾌﾟﾛｸﾞﾚｯｼﾌﾞ", "prog.jpg", 60));
  ASSERT_TRUE(prog.ok);
  EXPECT_TRUE(prog.progressive);
  EXPECT_EQ(prog.luma_table, LibjpegLumaTable(60));
  // A quality below 20 is written as 20.
  EXPECT_EQ(ReadJpeg(SaveAs("JPEG", "low.jpg", 10)).luma_table, LibjpegLumaTable(20));

  for (bool interlaced : {false, true}) {
    const GifFacts g = ReadGif(SaveAs(interlaced ? "GIF ｲﾝﾀｰﾚｰｽ" : "GIF", interlaced ? "i.gif" : "p.gif"));
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.width, 150);
    EXPECT_EQ(g.interlaced, interlaced);
    EXPECT_EQ(g.transparent, -1);
    const PngFacts p = ReadPng(SaveAs(interlaced ? "PNG ｲﾝﾀｰﾚｰｽ" : "PNG", interlaced ? "i.png" : "p.png"));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.interlace, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE);
    EXPECT_FALSE(p.has_key);
  }

  EXPECT_EQ(ReadTiff(SaveAs("TIFF 非圧縮", "n.tif")).compression, COMPRESSION_NONE);
  EXPECT_EQ(ReadTiff(SaveAs("TIFF LZW圧縮", "l.tif")).compression, COMPRESSION_LZW);

  const std::vector<uint32_t> raw = FpxTileTypes(SaveAs("FPX 非圧縮", "n.fpx"));
  const std::vector<uint32_t> jpeg = FpxTileTypes(SaveAs("FPX JPEG圧縮", "j.fpx"));
  ASSERT_EQ(raw.size(), 6u);  // 150 x 100 in 64-pixel tiles
  ASSERT_EQ(jpeg.size(), 6u);
  for (uint32_t t : raw) EXPECT_EQ(t, 0u);
  for (uint32_t t : jpeg) EXPECT_EQ(t, 2u);

  // JP2: the box signature, or a bare code stream; lossless at 100.
  const QString jp2 = SaveAs("JP2", "a.jp2", 100);
  EXPECT_EQ(Head(jp2, 12), QByteArray::fromHex("0000000c6a5020200d0a870a"));
  QImage back;
  ASSERT_TRUE(ReadJp2(jp2, OPJ_CODEC_JP2, &back));
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), TestPicture().convertToFormat(QImage::Format_RGB32));
  const QString stream = SaveAs("JP2 CodeStream", "c.jp2", 50);
  EXPECT_EQ(Head(stream, 4), QByteArray::fromHex("ff4fff51"));
  ASSERT_TRUE(ReadJp2(stream, OPJ_CODEC_J2K, &back));
  EXPECT_EQ(back.size(), QSize(150, 100));
  EXPECT_LT(QFileInfo(stream).size(), QFileInfo(jp2).size());

  // The editor's picture and state are as they were.
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(Handle(), handle);
  EXPECT_EQ(pic_.EditState(), state);
  EXPECT_EQ(pic_.DepthCode(), "24.");
  EXPECT_EQ(pic_.Seam().mvImg().Picture().convertToFormat(QImage::Format_RGB32),
            TestPicture().convertToFormat(QImage::Format_RGB32));
}

TEST_F(SpImgSVTest, ClickedColourBecomesTheTransparentColour) {
  const GifFacts g = ReadGif(SaveAs("GIF", "t.gif", 85, true));
  ASSERT_TRUE(g.ok);
  ASSERT_GE(g.transparent, 0);
  // The palette entry is the key colour (or its nearest after reduction).
  EXPECT_NEAR(qRed(g.transparent_colour), qRed(kKey), 8);
  EXPECT_NEAR(qGreen(g.transparent_colour), qGreen(kKey), 8);
  EXPECT_NEAR(qBlue(g.transparent_colour), qBlue(kKey), 8);

  const PngFacts p = ReadPng(SaveAs("PNG ｲﾝﾀｰﾚｰｽ", "t.png", 85, true));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.interlace, PNG_INTERLACE_ADAM7);
  ASSERT_TRUE(p.has_key);
  EXPECT_EQ(p.key, kKey);
}

TEST_F(SpImgSVTest, ResolutionReachesTheSavedHeaders) {
  pic_.SetDpi(300);
  const JpegFacts j = ReadJpeg(SaveAs("JPEG", "r.jpg"));
  EXPECT_EQ(j.density_unit, 1);
  EXPECT_EQ(j.x_density, 300);
  EXPECT_EQ(j.y_density, 300);
  const PngFacts p = ReadPng(SaveAs("PNG", "r.png"));
  EXPECT_EQ(p.res_unit, PNG_RESOLUTION_METER);
  EXPECT_NEAR(p.res_x, 300 / 0.0254, 1);
  const TiffFacts t = ReadTiff(SaveAs("TIFF LZW圧縮", "r.tif"));
  EXPECT_FLOAT_EQ(t.res_x, 300);
  EXPECT_FLOAT_EQ(t.res_y, 300);
}

TEST_F(SpImgSVTest, NamesCancelsAndFailures) {
  // No extension: the variant's is appended; the filter names the format.
  EXPECT_EQ(SaveAs("PNG", "noext"), dir_.filePath("noext.png"));
  ASSERT_FALSE(files_.requests().empty());
  EXPECT_EQ(files_.requests().back().title, "画像を保存");
  EXPECT_EQ(files_.requests().back().filter, "PNG ﾌｧｲﾙ(*.png)|*.png");
  EXPECT_TRUE(files_.requests().back().save);

  // The appended name exists: the user is asked, and "No" keeps it.
  const QString existing = dir_.filePath("keep.gif");
  QFile f(existing);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("old");
  f.close();
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  EXPECT_EQ(SaveAs("GIF", "keep"), "");
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.shown()[0].buttons, platform::PromptButtons::kYesNo);
  QFile again(existing);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), "old");

  // Cancelling the file dialog writes nothing.
  {
    spImgSV d;
    ASSERT_TRUE(d.Load(Handle()));
    files_.QueueCancel();
    d.Save();
    EXPECT_EQ(d.SavedFile(), "");
  }

  // A save that cannot be written is reported; the old file stays.
  prompt_.Clear();
  const QString locked = dir_.filePath("locked");
  ASSERT_TRUE(QDir().mkpath(locked + "/x.png"));  // a folder where the file should go
  EXPECT_EQ(SaveAs("PNG", "locked/x.png"), "");
  EXPECT_EQ(prompt_.shown().size(), 1u);
  EXPECT_TRUE(QFileInfo(locked + "/x.png").isDir());
  EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden).size(), 0);

  // Without a picture the save reports its failure.
  prompt_.Clear();
  spImgSV empty;
  EXPECT_FALSE(empty.Load(0));
  empty.Save();
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.texts()[0], "画像を保存できませんでした");
}

}  // namespace
}  // namespace ruvel
