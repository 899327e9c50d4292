// Making thumbnails of multi-resolution FlashPix files: each level of the
// hand-made files has its own colour, so the thumbnail's colour tells which
// level it was made from.
#include "thumb/thumbnail_maker.h"

#include <fstream>

#include "imaging/testing/fpx_files.h"
#include "thumb/testing/thumb_fixture.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace thumb::testing {
namespace {

using hosting::Variant;
using imaging::testing::HandMadeFpx;
using imaging::testing::SolidLevel;

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

// Levels of a 512 x 384 picture, each in its own colour.  They are stored
// smallest first: the order of the storages says nothing of their sizes.
const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kYellow(255, 255, 0);

std::vector<uint8_t> FourLevels() {
  return HandMadeFpx({SolidLevel(64, 48, 255, 255, 0), SolidLevel(128, 96, 0, 0, 255), SolidLevel(256, 192, 0, 255, 0),
                      SolidLevel(512, 384, 255, 0, 0)});
}

bool SameColour(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 && std::abs(a.blue() - b.blue()) <= 2;
}

// Every pixel of the handle's picture, compared with one colour.
bool AllPixels(MVHANDLE h, const QColor& c) {
  imaging_dlls::LockedBlock dib(h);
  if (!dib || dib.size() < sizeof(MVBITMAPINFOHEADER)) return false;
  const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
  if (bi->biBitCount != 24 || bi->biClrUsed != 0) return false;
  const int w = bi->biWidth, h_ = std::abs(bi->biHeight), stride = (w * 3 + 3) / 4 * 4;
  if (dib.size() < sizeof(MVBITMAPINFOHEADER) + static_cast<size_t>(stride) * h_) return false;
  const auto* rows = static_cast<const uint8_t*>(dib.data()) + sizeof(MVBITMAPINFOHEADER);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = rows + static_cast<size_t>(y) * stride + x * 3;  // blue, green, red
      if (!SameColour(QColor(p[2], p[1], p[0]), c)) return false;
    }
  return true;
}

TEST(ThumbnailMaker, FlashPixThumbnailComesFromTheSmallestLevelLargerThanIt) {
  TempFolder dir;
  const std::string path = dir.File("levels.fpx");
  ASSERT_TRUE(WriteBytes(path, FourLevels()));
  struct Case {
    int image_size;
    QColor colour;  // of the level the thumbnail must come from
    QSize size;
  };
  const Case cases[] = {
      {48, kYellow, {48, 36}},     // 64 x 48 is the first level larger
      {100, kBlue, {100, 75}},     // 128 x 96
      {160, kGreen, {160, 120}},   // 256 x 192
      {200, kGreen, {200, 150}},   // 256 x 192
      {300, kRed, {300, 225}},     // only the full picture is larger
      {128, kBlue, {128, 96}},     // a level of exactly the thumbnail's size serves as it is
      {700, kRed, {700, 525}},     // no level is larger: the full picture, enlarged to the size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "ImageSize " << c.image_size);
    ThumbnailJob job;
    job.path = path;
    job.image_size = c.image_size;
    const MVHANDLE h = BuildThumbnail(job);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(HandleSize(h), c.size);
    EXPECT_TRUE(AllPixels(h, c.colour)) << "centre " << CentreColor(h).name().toStdString();
    imaging_dlls::FreeMemory(h);
  }
  // The load alone never goes beyond the level it picked.
  const MVHANDLE loaded = LoadPictureForThumbnail(path, 0, 160);
  ASSERT_NE(loaded, 0u);
  EXPECT_LE(HandleSize(loaded).width(), 256);
  EXPECT_TRUE(SameColour(CentreColor(loaded), kGreen));
  imaging_dlls::FreeMemory(loaded);
}

TEST(ThumbnailMaker, SingleLevelFlashPixIsLoadedWhole) {
  TempFolder dir;
  const std::string path = dir.File("one.fpx");
  ASSERT_TRUE(WriteBytes(path, HandMadeFpx({SolidLevel(150, 100, 0, 0, 255)})));
  ThumbnailJob job;
  job.path = path;
  job.image_size = 96;
  const MVHANDLE h = BuildThumbnail(job);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(HandleSize(h), QSize(96, 64));
  EXPECT_TRUE(AllPixels(h, kBlue));
  imaging_dlls::FreeMemory(h);
  // A file that is no picture gives none.
  ASSERT_TRUE(WriteBytes(dir.File("bad.fpx"), std::vector<uint8_t>(600, 0xD0)));
  job.path = dir.File("bad.fpx");
  EXPECT_EQ(BuildThumbnail(job), 0u);
}

class ThumbnailMakerControlTest : public ThumbTest {};

TEST_F(ThumbnailMakerControlTest, GetFilesTakesTheFittingLevel) {
  ASSERT_TRUE(WriteBytes(dir_.File("levels.fpx"), FourLevels()));
  ASSERT_TRUE(dir_.Picture("plain.png", 64, 48, Qt::black));
  ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), hosting::S_OK);
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRd)), hosting::S_OK);
  ASSERT_EQ(Put(kSort, Variant::I2(1)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(Names(), (std::vector<std::string>{"levels.fpx", "plain.png"}));
  // ImageSize 96: the 128 x 96 level.
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(96, 72));
  EXPECT_TRUE(AllPixels(control_->Entries()[0].image, kBlue));
  // One picture, not one entry per level, in the multi-image mode too.
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRdMultiImg)), hosting::S_OK);
  ASSERT_EQ(Put(kImageSize, Variant::I2(200)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(Names(), (std::vector<std::string>{"levels.fpx", "plain.png"}));
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(200, 150));
  EXPECT_TRUE(AllPixels(control_->Entries()[0].image, kGreen));
}

}  // namespace
}  // namespace thumb::testing
