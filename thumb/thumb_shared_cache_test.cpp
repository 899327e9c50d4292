// The control and the desktop's shared thumbnail cache: entries written by
// GetFiles read back with Qt's PNG reader and checked against stat(), used
// by the next run (a planted entry of another colour shows instead of the
// file), ignored when stale, the same thumbnail warm as cold, failures
// recorded, multi-image files and the cache's own files left out, and
// UseSharedCache switching all of it off.
#include <fcntl.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QImageReader>
#include <filesystem>

#include "imaging/dlls/testing/jpeg_files.h"
#include "imaging/image.h"
#include "thumb/shared_cache.h"
#include "thumb/testing/thumb_fixture.h"
#include "viewer_common/hosting/property_page.h"

namespace thumb::testing {
namespace {

using hosting::Variant;
namespace fs = std::filesystem;

class ThumbSharedCacheTest : public ThumbTest {
 protected:
  void Folder(int mode = mvThumbRd, int image_size = 96) {
    ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), hosting::S_OK);
    ASSERT_EQ(Put(kReadMode, Variant::I2(static_cast<int16_t>(mode))), hosting::S_OK);
    ASSERT_EQ(Put(kImageSize, Variant::I2(static_cast<int16_t>(image_size))), hosting::S_OK);
    ASSERT_EQ(Put(kSort, Variant::I2(1)), hosting::S_OK);
  }
  std::string Root() const { return cache_.path() + "/thumbnails"; }
  // Where the standard puts the entry of a picture of the test folder.
  std::string EntryOf(const std::string& name, const char* folder = "normal") const {
    return Root() + "/" + folder + "/" + shared_cache::EntryName("file://" + dir_.File(name));
  }
  static QImage ReadPng(const std::string& path) {
    QImage img;
    QImageReader(QString::fromStdString(path), "png").read(&img);
    return img;
  }
  // A fresh control run over the same folder (a "next run").
  void Rerun(int image_size = 96) {
    TearDown();
    events_.clear();
    SetUp();
    Folder(mvThumbRd, image_size);
    ASSERT_TRUE(Call(kGetFiles));
  }
  // Replaces an entry's pixels by one colour, keeping every key as it was.
  static bool Repaint(const std::string& path, QColor color) {
    const QImage old = ReadPng(path);
    if (old.isNull()) return false;
    QImage img(old.size(), QImage::Format_ARGB32);
    img.fill(color);
    for (const QString& k : old.textKeys()) img.setText(k, old.text(k));
    return img.save(QString::fromStdString(path), "PNG");
  }
  // Writes an entry of one colour that is valid for picture `name` as it is
  // now, keys set here from stat() by hand.
  bool Plant(const std::string& name, QColor color, QSize size) const {
    struct stat st {};
    if (stat(dir_.File(name).c_str(), &st) != 0) return false;
    QImage img(size, QImage::Format_ARGB32);
    img.fill(color);
    img.setText("Thumb::URI", QString::fromStdString("file://" + dir_.File(name)));
    img.setText("Thumb::MTime", QString::number(st.st_mtime));
    fs::create_directories(Root() + "/normal");
    return img.save(QString::fromStdString(EntryOf(name)), "PNG");
  }
  static std::vector<uint8_t> DibBytes(MVHANDLE h) {
    const auto* p = static_cast<const uint8_t*>(MVGlobalLock(h));
    if (!p) return {};
    std::vector<uint8_t> out(p, p + MVGlobalSize(h));
    MVGlobalUnlock(h);
    return out;
  }
  static int EntriesIn(const std::string& folder) {
    std::error_code ec;
    int n = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) n += e.is_regular_file();
    return n;
  }
};

TEST_F(ThumbSharedCacheTest, EntriesWrittenAreValidForOtherPrograms) {
  ASSERT_TRUE(dir_.Picture("big.jpg", 640, 480, Qt::red));
  ASSERT_TRUE(dir_.Picture("small.png", 64, 48, Qt::blue));
  Folder();
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(Names(), (std::vector<std::string>{"big.jpg", "small.png"}));
  struct Case {
    std::string name;
    QSize entry, original;
  };
  for (const Case& c : {Case{"big.jpg", {128, 96}, {640, 480}}, Case{"small.png", {64, 48}, {64, 48}}}) {
    const QImage e = ReadPng(EntryOf(c.name));
    ASSERT_FALSE(e.isNull()) << c.name;
    struct stat st {};
    ASSERT_EQ(stat(dir_.File(c.name).c_str(), &st), 0);
    EXPECT_EQ(e.text("Thumb::URI"), QString::fromStdString("file://" + dir_.File(c.name)));
    EXPECT_EQ(e.text("Thumb::MTime"), QString::number(st.st_mtime));
    EXPECT_EQ(e.text("Thumb::Size"), QString::number(st.st_size));
    EXPECT_EQ(e.text("Thumb::Image::Width"), QString::number(c.original.width()));
    EXPECT_EQ(e.text("Thumb::Image::Height"), QString::number(c.original.height()));
    EXPECT_EQ(e.size(), c.entry) << c.name;  // 128 on the longer side, or the picture's own size
    EXPECT_TRUE(e.hasAlphaChannel());
    const QColor centre = e.pixelColor(e.width() / 2, e.height() / 2);
    EXPECT_EQ(centre.alpha(), 255);
    if (c.name == "big.jpg") EXPECT_GT(centre.red(), 230);
    else EXPECT_GT(centre.blue(), 230);
    ASSERT_EQ(stat(EntryOf(c.name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  EXPECT_EQ(EntriesIn(Root()), 2);
  // The thumbnails themselves are as always.
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(96, 72));
  EXPECT_EQ(HandleSize(control_->Entries()[1].image), QSize(96, 72));
}

TEST_F(ThumbSharedCacheTest, NextRunTakesTheEntryWithoutDecoding) {
  ASSERT_TRUE(dir_.Picture("a.jpg", 640, 480, Qt::red));
  Folder();
  ASSERT_TRUE(Call(kGetFiles));
  // Another program's idea of the picture: green.  Only a thumbnail taken
  // from the cache can be green.
  ASSERT_TRUE(Repaint(EntryOf("a.jpg"), Qt::green));
  Rerun();
  ASSERT_EQ(Names(), std::vector<std::string>{"a.jpg"});
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(96, 72));
  const QColor c = CentreColor(control_->Entries()[0].image);
  EXPECT_GT(c.green(), 240);
  EXPECT_LT(c.red(), 15);
  EXPECT_EQ(EventsOf(kEventEndLoadFile).size(), 1u);  // the events are as for any load
  // A larger thumbnail size looks in the larger folder and misses.
  Rerun(200);
  EXPECT_GT(CentreColor(control_->Entries()[0].image).red(), 230);
  EXPECT_FALSE(ReadPng(EntryOf("a.jpg", "large")).isNull());
}

TEST_F(ThumbSharedCacheTest, PalettePicturesAndTransparentEntries) {
  // A palette picture (kept as one by the imaging family) is written in its
  // own colours: red on the left, blue on the right.
  QImage indexed(300, 200, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) indexed.setPixel(x, y, x < 150 ? 0 : 1);
  ASSERT_TRUE(indexed.save(QString::fromStdString(dir_.File("p.png"))));
  ASSERT_TRUE(dir_.Picture("t.png", 200, 100, Qt::red));
  ASSERT_TRUE(dir_.Picture("u.png", 200, 100, Qt::red));
  Folder();
  ASSERT_TRUE(Call(kGetFiles));
  const QImage e = ReadPng(EntryOf("p.png"));
  ASSERT_EQ(e.size(), QSize(128, 85));
  EXPECT_EQ(e.pixelColor(10, 40), QColor(255, 0, 0));
  EXPECT_EQ(e.pixelColor(117, 40), QColor(0, 0, 255));
  // Entries with transparency (as other programs write them) are laid on
  // the cell colour, ForeColorUp.
  ASSERT_EQ(Put(kForeColorUp, Variant::Color(0x00306090)), hosting::S_OK);  // R 0x90, G 0x60, B 0x30
  ASSERT_TRUE(Plant("t.png", QColor(0, 0, 0, 0), QSize(128, 64)));
  ASSERT_TRUE(Plant("u.png", QColor(255, 255, 255, 128), QSize(128, 64)));
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_EQ(Names(), (std::vector<std::string>{"p.png", "t.png", "u.png"}));
  const QColor clear = CentreColor(control_->Entries()[1].image);
  EXPECT_EQ(clear, QColor(0x90, 0x60, 0x30));
  const QColor half = CentreColor(control_->Entries()[2].image);  // (255 x 128 + c x 127) / 255
  EXPECT_NEAR(half.red(), (255 * 128 + 0x90 * 127) / 255, 1);
  EXPECT_NEAR(half.green(), (255 * 128 + 0x60 * 127) / 255, 1);
  EXPECT_NEAR(half.blue(), (255 * 128 + 0x30 * 127) / 255, 1);
}

TEST_F(ThumbSharedCacheTest, EmbeddedExifThumbnailsAreNotHandedOn) {
  imaging::Image blue;
  ASSERT_TRUE(imaging::Image::Create(640, 480, 24, &blue).ok());
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) blue.SetPixelRgb(x, y, 0x0000FF);
  ASSERT_TRUE(mv7test::WriteJpeg(blue, dir_.File("photo.jpg"), mv7test::Exif::kWithThumbnail));
  Folder();
  ASSERT_TRUE(Call(kGetFiles));  // made from the 160 x 120 embedded thumbnail
  ASSERT_EQ(control_->Entries().size(), 1u);
  EXPECT_FALSE(fs::exists(EntryOf("photo.jpg")));
  Rerun(200);  // larger than the embedded one: the picture itself is decoded and kept
  EXPECT_EQ(ReadPng(EntryOf("photo.jpg", "large")).size(), QSize(256, 192));
}

TEST_F(ThumbSharedCacheTest, StaleEntryIsIgnoredAndReplaced) {
  ASSERT_TRUE(dir_.Picture("a.jpg", 640, 480, Qt::red));
  Folder();
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_TRUE(Repaint(EntryOf("a.jpg"), Qt::green));
  // The file changes after its entry was written.
  struct stat st {};
  ASSERT_EQ(stat(dir_.File("a.jpg").c_str(), &st), 0);
  const struct timespec later[2] = {{st.st_mtime + 60, 0}, {st.st_mtime + 60, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir_.File("a.jpg").c_str(), later, 0), 0);
  Rerun();
  EXPECT_GT(CentreColor(control_->Entries()[0].image).red(), 230);  // decoded again
  const QImage e = ReadPng(EntryOf("a.jpg"));
  EXPECT_EQ(e.text("Thumb::MTime"), QString::number(st.st_mtime + 60));
  EXPECT_GT(e.pixelColor(64, 48).red(), 230);
}

TEST_F(ThumbSharedCacheTest, WarmThumbnailEqualsCold) {
  QImage img(900, 500, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x * 255 / 900, y * 255 / 500, (x ^ y) & 0xFF));
  ASSERT_TRUE(img.save(QString::fromStdString(dir_.File("g.png"))));
  for (int size : {96, 128, 160}) {
    fs::remove_all(Root());
    Rerun(size);
    ASSERT_EQ(control_->Entries().size(), 1u);
    ASSERT_TRUE(fs::exists(EntryOf("g.png", shared_cache::FolderName(shared_cache::FolderSizeFor(size)))));
    const std::vector<uint8_t> cold = DibBytes(control_->Entries()[0].image);
    ASSERT_FALSE(cold.empty());
    Rerun(size);
    EXPECT_EQ(DibBytes(control_->Entries()[0].image), cold) << size;
  }
}

// A 3000 x 2000 photo loads bounded to 320 x 213; the entry and the
// thumbnail are still shaped from the photo itself (256 x 171, 160 x 107),
// the size the thumbnail has with the cache off.
TEST_F(ThumbSharedCacheTest, EntryIsShapedFromTheOriginalNotTheBoundedLoad) {
  ASSERT_TRUE(dir_.Picture("wide.jpg", 3000, 2000, Qt::red));
  Rerun(160);
  ASSERT_EQ(control_->Entries().size(), 1u);
  EXPECT_EQ(ReadPng(EntryOf("wide.jpg", "large")).size(), QSize(256, 171));
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(160, 107));
  Rerun(160);  // from the entry
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(160, 107));
  ASSERT_EQ(Put(kUseSharedCache, Variant::Bool(false)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(HandleSize(control_->Entries()[0].image), QSize(160, 107));
}

TEST_F(ThumbSharedCacheTest, FailuresAreRecordedAndKeepFailing) {
  ASSERT_TRUE(dir_.Picture("a.png", 64, 48, Qt::red));
  ASSERT_TRUE(dir_.BrokenPng("b.png"));
  Folder();
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
  const std::string fail = Root() + "/fail/morvik7thumb-1.0/" + shared_cache::EntryName("file://" + dir_.File("b.png"));
  const QImage f = ReadPng(fail);
  ASSERT_FALSE(f.isNull());
  EXPECT_EQ(f.text("Thumb::URI"), QString::fromStdString("file://" + dir_.File("b.png")));
  EXPECT_FALSE(fs::exists(EntryOf("b.png")));
  Rerun();
  EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
  using P = std::vector<std::pair<int, int>>;
  P ends;
  for (const Event& e : EventsOf(kEventEndLoadFile)) ends.push_back({e.Int(2), e.Int(3)});
  EXPECT_EQ(ends, (P{{1, 2}, {1, 1}}));
}

TEST_F(ThumbSharedCacheTest, MultiImageFilesAndTheCacheItselfAreLeftOut) {
  ASSERT_TRUE(MultiPageTiff(dir_.File("m.tif"), 3));
  ASSERT_TRUE(MultiPageTiff(dir_.File("one.tif"), 1));
  for (int mode : {mvThumbRd, mvThumbRdMultiImg}) {
    fs::remove_all(Root());
    Folder(mode);
    ASSERT_TRUE(Call(kGetFiles));
    EXPECT_FALSE(fs::exists(EntryOf("m.tif"))) << mode;
    EXPECT_TRUE(fs::exists(EntryOf("one.tif"))) << mode;
  }
  // A valid entry for the multi-page file is not taken for its page 0, while
  // one for the single-page file is.
  ASSERT_TRUE(Plant("m.tif", Qt::green, QSize(128, 96)));
  ASSERT_TRUE(Plant("one.tif", Qt::green, QSize(128, 96)));
  Rerun();
  ASSERT_EQ(Names(), (std::vector<std::string>{"m.tif", "one.tif"}));
  EXPECT_NEAR(CentreColor(control_->Entries()[0].image).green(), 20, 3);  // page 0 decoded
  EXPECT_GT(CentreColor(control_->Entries()[1].image).green(), 240);
  // Pictures inside the cache are shown but never cached again.
  const int before = EntriesIn(Root());
  ASSERT_EQ(before, 2);
  ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(Root() + "/normal").toStdU16String())), hosting::S_OK);
  ASSERT_EQ(Put(kFileExt, Variant::Bstr(u"PNG")), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(control_->Entries().size(), 2u);
  EXPECT_EQ(EntriesIn(Root()), before);
}

TEST_F(ThumbSharedCacheTest, UseSharedCacheSwitchesItOff) {
  EXPECT_TRUE(Get(kUseSharedCache).AsBool());
  ASSERT_TRUE(dir_.Picture("a.jpg", 640, 480, Qt::red));
  ASSERT_TRUE(dir_.BrokenPng("b.png"));
  Folder();
  changed_.clear();
  ASSERT_EQ(Put(kUseSharedCache, Variant::Bool(false)), hosting::S_OK);
  EXPECT_EQ(changed_, std::vector<DispId>{kUseSharedCache});
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_FALSE(fs::exists(Root()));  // nothing read or written, failures included
  // With it on, a planted entry is used; with it off again, it is not.
  ASSERT_EQ(Put(kUseSharedCache, Variant::Bool(true)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_TRUE(Repaint(EntryOf("a.jpg"), Qt::green));
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_GT(CentreColor(control_->Entries()[0].image).green(), 240);
  ASSERT_EQ(Put(kUseSharedCache, Variant::Bool(false)), hosting::S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_GT(CentreColor(control_->Entries()[0].image).red(), 230);
  // The property page shows it as a check box and writes it back.
  hosting::PropertyPageDialog page(ThumbPageSpec(), {disp_});
  page.Load();
  auto* box = qobject_cast<QCheckBox*>(page.Field(179));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(box->text() == QStringLiteral("共有サムネイルキャッシュを使う") || box->text() == "UseSharedCache");
  box->click();
  ASSERT_EQ(page.Apply(), hosting::S_OK);
  EXPECT_TRUE(Get(kUseSharedCache).AsBool());
  box->click();
  ASSERT_EQ(page.Apply(), hosting::S_OK);
  EXPECT_FALSE(Get(kUseSharedCache).AsBool());
  // Persisted with the other properties.
  std::vector<uint8_t> bytes;
  ASSERT_EQ(control_->SaveProperties(&bytes), hosting::S_OK);
  CMorvikThumb other;
  EXPECT_TRUE(other.PropBool(kUseSharedCache));
  ASSERT_EQ(other.LoadProperties(bytes.data(), bytes.size()), hosting::S_OK);
  EXPECT_FALSE(other.PropBool(kUseSharedCache));
}

}  // namespace
}  // namespace thumb::testing
