// Loading thumbnails: the events and failure count in the read modes, the
// thumbnail file read back by a reader written here from the layout table,
// reuse and staleness, damaged and foreign files, and EXIF thumbnails used
// without decoding the picture.
#include <QFile>
#include <cstring>
#include <fstream>

#include "imaging/dlls/testing/jpeg_files.h"
#include "imaging/image.h"
#include "thumb/testing/thumb_fixture.h"

namespace thumb::testing {
namespace {

using hosting::Variant;

class ThumbLoadingTest : public ThumbTest {
 protected:
  void Folder(int mode) {
    ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), hosting::S_OK);
    ASSERT_EQ(Put(kReadMode, Variant::I2(static_cast<int16_t>(mode))), hosting::S_OK);
    ASSERT_EQ(Put(kSort, Variant::I2(1)), hosting::S_OK);
  }
  void ThreeFilesSecondBroken() {
    ASSERT_TRUE(dir_.Picture("a.png", 64, 48, Qt::red));
    ASSERT_TRUE(dir_.BrokenPng("b.png"));
    ASSERT_TRUE(dir_.Picture("c.png", 30, 60, Qt::blue));
  }
  std::vector<std::pair<int, int>> Numbers(DispId id) const {
    std::vector<std::pair<int, int>> out;
    for (const Event& e : EventsOf(id)) out.push_back({e.Int(2), e.Int(3)});
    return out;
  }
};

TEST_F(ThumbLoadingTest, ModeZeroCountsFailures) {
  ThreeFilesSecondBroken();
  Folder(mvThumbRd);
  ASSERT_TRUE(Call(kGetFiles));
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Numbers(kEventStartLoadFile), (P{{1, 3}, {2, 3}, {2, 2}}));
  EXPECT_EQ(Numbers(kEventEndLoadFile), (P{{1, 3}, {1, 2}, {2, 2}}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "c.png"}));
  EXPECT_EQ(EventsOf(kEventStartLoadFile)[1].Text(1), u"b.png");
  EXPECT_EQ(EventsOf(kEventStartLoadFile)[1].Text(0), QString::fromStdString(dir_.path()).toStdU16String());
  // Thumbnails: the longer side is ImageSize, the colour survives.
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(96, 72));
  EXPECT_EQ(HandleSize(control_->Entries()[1].image), QSize(48, 96));
  EXPECT_GT(CentreColor(control_->Entries()[1].image).blue(), 240);
}

TEST_F(ThumbLoadingTest, ModeOneDropsFailuresWhilePainting) {
  ThreeFilesSecondBroken();
  Folder(mvThumbRdDsp);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_TRUE(EventsOf(kEventStartLoadFile).empty());  // nothing loads before the paint
  EXPECT_EQ(control_->Entries().size(), 3u);
  ASSERT_TRUE(Call(kDisplay));
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Numbers(kEventStartLoadFile), (P{{1, 3}, {2, 3}, {2, 2}}));
  EXPECT_EQ(Numbers(kEventEndLoadFile), (P{{1, 3}, {2, 2}, {2, 2}}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "c.png"}));
  // The next paint shows both, each announced.
  events_.clear();
  control_->grab();
  EXPECT_EQ(EventsOf(kEventShowThumbImage).size(), 2u);
  EXPECT_TRUE(EventsOf(kEventStartLoadFile).empty());
}

TEST_F(ThumbLoadingTest, BadRequests) {
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRd)), hosting::S_OK);
  EXPECT_FALSE(Call(kGetFiles));  // no FilePath
  EXPECT_EQ(Status(), kStatusBadValue);
  ASSERT_EQ(Put(kFilePath, Variant::Bstr(u"relative/path")), hosting::S_OK);
  EXPECT_FALSE(Call(kGetFiles));
  EXPECT_EQ(Status(), kStatusBadValue);
  EXPECT_FALSE(Call(kDisplay));
  EXPECT_EQ(Status(), kStatusNotLoadable);
}

TEST_F(ThumbLoadingTest, CancelStopsEveryLaterLoad) {
  for (const char* n : {"a.png", "b.png", "c.png"}) ASSERT_TRUE(dir_.Picture(n, 20, 20, Qt::gray));
  Folder(mvThumbRd);
  control_->AddEventListener([this](DispId id, const std::vector<Variant>&) {
    if (id == kEventEndLoadFile) Put(kCancel, Variant::Bool(true));
  });
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(EventsOf(kEventStartLoadFile).size(), 1u);
  EXPECT_EQ(Status(), kStatusCancelled);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
}

TEST_F(ThumbLoadingTest, MultiImageModesTakeEveryPage) {
  ASSERT_TRUE(MultiPageTiff(dir_.File("m.tif"), 3));
  ASSERT_TRUE(dir_.Picture("a.png", 10, 10, Qt::red));
  Folder(mvThumbRdMultiImg);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(Names(), (std::vector<std::string>{"a.png", "m.tif", "m.tif", "m.tif"}));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(control_->Entries()[1 + k].image_number, k);
    EXPECT_NEAR(CentreColor(control_->Entries()[1 + k].image).green(), 40 * k + 20, 3);
  }
  const std::vector<Event> starts = EventsOf(kEventStartLoadFile);
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_EQ(starts[1].Text(1), u"m.tif");
  EXPECT_EQ(starts[3].Text(1), u"m.tif 2");
  // Reading single images: one entry for the file.
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRd)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "m.tif"}));
}

// An independent reader of the thumbnail file, from the layout table.
struct ReadBack {
  int16_t image_size = 0;
  struct Rec {
    std::string folder, name, date;
    int16_t image = 0;
    int32_t width = 0, height = 0, bits = 0;
    uint32_t dib_size = 0;
  };
  std::vector<Rec> recs;
  bool ok = false;
};

ReadBack ReadThumbFile(const std::string& path) {
  ReadBack out;
  std::ifstream f(path, std::ios::binary);
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (b.size() < 22 || std::memcmp(b.data(), "MV6100THUMBNAIL", 16) != 0 || b[15] != 0) return out;
  out.image_size = static_cast<int16_t>(b[20] | b[21] << 8);
  size_t p = 22;
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); };
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
  };
  while (p < b.size()) {
    ReadBack::Rec r;
    const uint16_t l1 = u16(p);
    r.folder.assign(reinterpret_cast<const char*>(&b[p + 2]), l1 - 1);
    p += 2 + l1;
    const uint16_t l2 = u16(p);
    r.name.assign(reinterpret_cast<const char*>(&b[p + 2]), l2 - 1);
    p += 2 + l2;
    r.date.assign(reinterpret_cast<const char*>(&b[p]), strnlen(reinterpret_cast<const char*>(&b[p]), 15));
    p += 15;
    r.image = static_cast<int16_t>(u16(p));
    p += 2;
    r.dib_size = u32(p);
    p += 4;
    if (r.dib_size) {
      r.width = static_cast<int32_t>(u32(p + 4));
      r.height = static_cast<int32_t>(u32(p + 8));
      r.bits = u16(p + 14);
      const uint32_t stride = (r.bits * r.width + 31) / 32 * 4;
      const uint32_t colours = r.bits <= 8 ? (u32(p + 32) ? u32(p + 32) : 1u << r.bits) : 0;
      if (r.dib_size != 40 + colours * 4 + stride * r.height) return out;
    }
    p += r.dib_size;
    if (p > b.size()) return out;
    out.recs.push_back(r);
  }
  out.ok = p == b.size();
  return out;
}

TEST_F(ThumbLoadingTest, ThumbnailFileIsWrittenInItsLayoutAndReused) {
  ASSERT_TRUE(dir_.Picture("a.png", 64, 48, Qt::red));
  ASSERT_TRUE(dir_.Picture("b.jpg", 50, 100, Qt::green));
  ASSERT_TRUE(dir_.Picture("c.bmp", 10, 10, Qt::blue));
  Folder(mvThumbRd);
  TempFolder cache;
  const std::string file = cache.File("thumbs.mv6");
  ASSERT_EQ(Put(kThumbnailFile, Variant::Bstr(QString::fromStdString(file).toStdU16String())), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  Call(kUpdateThumbnailFile);
  ASSERT_EQ(Status(), 0);
  const ReadBack rb = ReadThumbFile(file);
  ASSERT_TRUE(rb.ok);
  EXPECT_EQ(rb.image_size, 96);
  ASSERT_EQ(rb.recs.size(), 3u);
  EXPECT_EQ(rb.recs[0].folder, dir_.path());
  EXPECT_EQ(rb.recs[0].name, "a.png");
  EXPECT_EQ(rb.recs[0].width, 96);
  EXPECT_EQ(rb.recs[0].height, 72);
  EXPECT_EQ(rb.recs[1].name, "b.jpg");
  EXPECT_EQ(rb.recs[1].height, 96);
  EXPECT_EQ(rb.recs[0].date.size(), 14u);
  // Read again at the same size: no picture loads.
  events_.clear();
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_TRUE(EventsOf(kEventStartLoadFile).empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "b.jpg", "c.bmp"}));
  EXPECT_GT(CentreColor(control_->Entries()[0].image).red(), 240);
  // Read at 128: every entry kept, every picture loaded fresh.
  events_.clear();
  ASSERT_EQ(Put(kImageSize, Variant::I2(128)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(EventsOf(kEventStartLoadFile).size(), 3u);
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(128, 96));
  // A changed picture is loaded again; the others come from the file.
  Call(kUpdateThumbnailFile);
  ASSERT_TRUE(dir_.Picture("c.bmp", 10, 10, Qt::yellow));
  ASSERT_EQ(std::system(("touch -d '2001-01-01' " + dir_.File("c.bmp")).c_str()), 0);
  events_.clear();
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(EventsOf(kEventStartLoadFile).size(), 1u);
  EXPECT_EQ(EventsOf(kEventStartLoadFile)[0].Text(1), u"c.bmp");
}

TEST_F(ThumbLoadingTest, DamagedThumbnailFileKeepsWhatWasRead) {
  for (const char* n : {"a.png", "b.png", "c.png"}) ASSERT_TRUE(dir_.Picture(n, 40, 40, Qt::darkCyan));
  Folder(mvThumbRd);
  TempFolder cache;
  const std::string file = cache.File("thumbs.mv6");
  ASSERT_EQ(Put(kThumbnailFile, Variant::Bstr(QString::fromStdString(file).toStdU16String())), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  Call(kUpdateThumbnailFile);
  // Cut the file inside the second record.
  const ReadBack rb = ReadThumbFile(file);
  ASSERT_EQ(rb.recs.size(), 3u);
  const size_t first = 22 + 2 + rb.recs[0].folder.size() + 1 + 2 + rb.recs[0].name.size() + 1 + 15 + 2 + 4 +
                       rb.recs[0].dib_size;
  ASSERT_EQ(truncate(file.c_str(), static_cast<off_t>(first + 30)), 0);
  events_.clear();
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(EventsOf(kEventStartLoadFile).size(), 2u);  // a.png came from the file
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
}

TEST_F(ThumbLoadingTest, ForeignFileIsNeverOverwritten) {
  ASSERT_TRUE(dir_.Picture("a.png", 40, 40, Qt::red));
  Folder(mvThumbRd);
  const std::string file = dir_.File("notes.txt");
  {
    std::ofstream f(file);
    f << "my notes, not thumbnails\n";
  }
  ASSERT_EQ(Put(kThumbnailFile, Variant::Bstr(QString::fromStdString(file).toStdU16String())), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  Call(kUpdateThumbnailFile);
  EXPECT_EQ(Status(), kStatusThumbFileNotWritten);
  std::ifstream f(file);
  std::string text;
  std::getline(f, text);
  EXPECT_EQ(text, "my notes, not thumbnails");
  // Nor deleted for an empty list.
  Call(kClear);
  Call(kUpdateThumbnailFile);
  EXPECT_EQ(Status(), kStatusThumbFileNotWritten);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));
}

// A JPEG whose EXIF block comes from one picture and whose image data from
// another: the thumbnail's colour tells which was used.
TEST_F(ThumbLoadingTest, ExifThumbnailIsUsedWithoutDecodingThePicture) {
  imaging::Image blue, red;
  ASSERT_TRUE(imaging::Image::Create(640, 480, 24, &blue).ok());
  ASSERT_TRUE(imaging::Image::Create(640, 480, 24, &red).ok());
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      blue.SetPixelRgb(x, y, 0x0000FF);
      red.SetPixelRgb(x, y, 0xFF0000);
    }
  TempFolder work;
  ASSERT_TRUE(mv7test::WriteJpeg(blue, work.File("blue.jpg"), mv7test::Exif::kWithThumbnail));
  ASSERT_TRUE(mv7test::WriteJpeg(red, work.File("red.jpg"), mv7test::Exif::kNone));
  auto slurp = [](const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  };
  const std::vector<uint8_t> b = slurp(work.File("blue.jpg")), r = slurp(work.File("red.jpg"));
  ASSERT_GT(b.size(), 6u);
  ASSERT_EQ(b[2], 0xFF);
  ASSERT_EQ(b[3], 0xE1);  // APP1 right after SOI
  const size_t app1 = 2 + 2 + (b[4] << 8 | b[5]);
  std::vector<uint8_t> mixed(r.begin(), r.begin() + 2);
  mixed.insert(mixed.end(), b.begin() + 2, b.begin() + static_cast<std::ptrdiff_t>(app1));
  mixed.insert(mixed.end(), r.begin() + 2, r.end());
  {
    std::ofstream out(dir_.File("photo.jpg"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(mixed.data()), static_cast<std::streamsize>(mixed.size()));
  }
  Folder(mvThumbRd);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(control_->Entries().size(), 1u);
  const QColor c = CentreColor(control_->Entries()[0].image);
  EXPECT_GT(c.blue(), 200) << "the embedded thumbnail was not used";
  EXPECT_LT(c.red(), 60);
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(96, 72));
  // Larger than the embedded thumbnail: the picture itself is decoded.
  ASSERT_EQ(Put(kImageSize, Variant::I2(200)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(control_->Entries().size(), 1u);
  EXPECT_GT(CentreColor(control_->Entries()[0].image).red(), 200);
}

}  // namespace
}  // namespace thumb::testing
