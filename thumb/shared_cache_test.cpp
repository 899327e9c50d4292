// The shared thumbnail cache on its own: names against the published
// example, entries written and read back by Qt's PNG reader and by hand
// from the PNG bytes, the checks that make an entry stale or malformed,
// permissions and the write through a temporary file.
#include "thumb/shared_cache.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "thumb/testing/thumb_fixture.h"

namespace thumb::shared_cache {
namespace {

namespace fs = std::filesystem;

class SharedCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(cache_.path().empty());
    ASSERT_FALSE(pics_.path().empty());
    setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
  }
  std::string Root() const { return cache_.path() + "/thumbnails"; }
  // A picture file whose modification time is `mtime`.
  Source MakeSource(const std::string& name, time_t mtime = 1700000000) {
    const std::string path = pics_.File(name);
    std::ofstream(path) << "some picture bytes";
    struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    Source s;
    EXPECT_TRUE(StatSource(path, &s));
    return s;
  }
  static QImage Gradient(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) & 0xFF));
    return img;
  }
  static QByteArray Bytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  thumb::testing::TempFolder cache_, pics_;
};

TEST(SharedCacheNames, UriAndEntryName) {
  // The example the standard itself gives for its naming.
  EXPECT_EQ(FileUri("/home/jens/photos/me.png"), "file:///home/jens/photos/me.png");
  EXPECT_EQ(EntryName("file:///home/jens/photos/me.png"), "c6ee772d9e49320e97ec29a7eb5b1697.png");
  // Minimal escaping: spaces, "%", "#", "?", ";", brackets and every byte of
  // a multi-byte name are escaped in upper-case hex; the marks are not.
  EXPECT_EQ(FileUri("/a b/100%#1?;[x].jpg"), "file:///a%20b/100%25%231%3F%3B%5Bx%5D.jpg");
  EXPECT_EQ(FileUri("/p/写真.jpg"), "file:///p/%E5%86%99%E7%9C%9F.jpg");
  EXPECT_EQ(FileUri("/p/-_.!~*'():@&=+$,"), "file:///p/-_.!~*'():@&=+$,");
}

TEST(SharedCacheNames, FolderSizes) {
  EXPECT_EQ(FolderSizeFor(0), 0);
  EXPECT_EQ(FolderSizeFor(1), 128);
  EXPECT_EQ(FolderSizeFor(96), 128);
  EXPECT_EQ(FolderSizeFor(128), 128);
  EXPECT_EQ(FolderSizeFor(129), 256);
  EXPECT_EQ(FolderSizeFor(512), 512);
  EXPECT_EQ(FolderSizeFor(1024), 1024);
  EXPECT_EQ(FolderSizeFor(1025), 0);
  EXPECT_STREQ(FolderName(128), "normal");
  EXPECT_STREQ(FolderName(256), "large");
  EXPECT_STREQ(FolderName(512), "x-large");
  EXPECT_STREQ(FolderName(1024), "xx-large");
  EXPECT_EQ(FolderName(96), nullptr);
}

TEST_F(SharedCacheTest, RootFollowsTheEnvironment) {
  EXPECT_EQ(CacheRoot(), Root());
  const char* home = std::getenv("HOME");
  const std::string saved_home = home ? home : "";
  setenv("XDG_CACHE_HOME", "relative/dir", 1);  // not absolute: ignored
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(CacheRoot(), "/home/someone/.cache/thumbnails");
  setenv("XDG_CACHE_HOME", "", 1);
  EXPECT_EQ(CacheRoot(), "/home/someone/.cache/thumbnails");
  setenv("HOME", "relative", 1);
  EXPECT_EQ(CacheRoot(), "");
  setenv("HOME", saved_home.c_str(), 1);
  setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
}

TEST_F(SharedCacheTest, SourcesOutsideTheCacheOnly) {
  Source s = MakeSource("a.jpg", 1600000000);
  EXPECT_EQ(s.mtime, 1600000000);
  EXPECT_EQ(s.size, 18);
  EXPECT_EQ(s.path, pics_.File("a.jpg"));
  EXPECT_EQ(s.uri, FileUri(s.path));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.head), s.head_size), "some pic");
  // "." and ".." are resolved before the URI is made.
  Source dotted;
  ASSERT_TRUE(StatSource(pics_.path() + "/./x/../a.jpg", &dotted));
  EXPECT_EQ(dotted.uri, s.uri);
  Source none;
  EXPECT_FALSE(StatSource(pics_.File("missing.jpg"), &none));
  EXPECT_FALSE(StatSource("a.jpg", &none));          // relative
  EXPECT_FALSE(StatSource(pics_.path(), &none));     // a folder
  fs::create_directories(Root() + "/normal");
  std::ofstream(Root() + "/normal/x.png") << "x";
  EXPECT_FALSE(StatSource(Root() + "/normal/x.png", &none));  // inside the cache
  // ... also when the cache is reached through a symbolic link.
  const std::string link = pics_.File("cache-link");
  ASSERT_EQ(symlink(cache_.path().c_str(), link.c_str()), 0);
  setenv("XDG_CACHE_HOME", link.c_str(), 1);
  EXPECT_FALSE(StatSource(Root() + "/normal/x.png", &none));
  setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
  EXPECT_FALSE(StatSource(link + "/thumbnails/normal/x.png", &none));
  std::ofstream(pics_.File("thumbnails-like.png")) << "x";  // a name that only starts like the folder
  EXPECT_TRUE(StatSource(pics_.File("thumbnails-like.png"), &none));
  if (geteuid() != 0) {
    chmod(s.path.c_str(), 0);
    EXPECT_FALSE(StatSource(s.path, &none));  // unreadable
  }
}

TEST_F(SharedCacheTest, StoredEntryIsAValidThumbnail) {
  const Source s = MakeSource("photo.jpg");
  const QImage picture = Gradient(128, 96);
  ASSERT_TRUE(Store(s, picture, 128, 4000, 3000));
  const std::string file = Root() + "/normal/" + EntryName(s.uri);
  // Read back by Qt's own reader: the keys and the pixels.
  QImageReader reader(QString::fromStdString(file), "png");
  QImage back;
  ASSERT_TRUE(reader.read(&back));
  EXPECT_EQ(back.text("Thumb::URI").toStdString(), s.uri);
  EXPECT_EQ(back.text("Thumb::MTime"), "1700000000");
  EXPECT_EQ(back.text("Thumb::Size"), "18");
  EXPECT_EQ(back.text("Thumb::Image::Width"), "4000");
  EXPECT_EQ(back.text("Thumb::Image::Height"), "3000");
  ASSERT_EQ(back.size(), QSize(128, 96));
  for (int y = 0; y < 96; y += 7)
    for (int x = 0; x < 128; x += 5) ASSERT_EQ(back.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
  // The PNG header by hand: 8 bits per channel, RGBA, not interlaced.
  const QByteArray png = Bytes(file);
  ASSERT_GE(png.size(), 33);
  EXPECT_EQ(png.mid(12, 4), "IHDR");
  EXPECT_EQ(static_cast<uint8_t>(png[24]), 8);  // bit depth
  EXPECT_EQ(static_cast<uint8_t>(png[25]), 6);  // colour type: RGB + alpha
  EXPECT_EQ(static_cast<uint8_t>(png[28]), 0);  // interlace
  // Folders 0700, the file 0600, no temporary left behind.
  struct stat st {};
  for (const std::string& d : {Root(), Root() + "/normal"}) {
    ASSERT_EQ(stat(d.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << d;
  }
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  int files = 0;
  for (const auto& e : fs::directory_iterator(Root() + "/normal")) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
  // And the lookup takes it.
  QImage found;
  ASSERT_TRUE(Lookup(s, 96, &found));
  EXPECT_EQ(found.size(), QSize(128, 96));
  EXPECT_EQ(found.pixel(70, 50), picture.pixel(70, 50));
}

TEST_F(SharedCacheTest, StoreRefusesWhatDoesNotFit) {
  const Source s = MakeSource("a.png");
  EXPECT_FALSE(Store(s, Gradient(129, 20), 128, 0, 0));  // larger than the folder
  EXPECT_FALSE(Store(s, Gradient(64, 64), 100, 0, 0));   // not a folder size
  EXPECT_FALSE(Store(s, QImage(), 128, 0, 0));
  EXPECT_FALSE(fs::exists(Root() + "/normal/" + EntryName(s.uri)));
  // A cache that cannot be written (a file where the folder should be).
  fs::create_directories(Root());
  std::ofstream(Root() + "/large") << "not a folder";
  EXPECT_FALSE(Store(s, Gradient(200, 100), 256, 0, 0));
}

TEST_F(SharedCacheTest, EntriesThatDoNotMatchAreStale) {
  const Source s = MakeSource("a.jpg");
  QImage out;
  const QByteArray good = EncodeEntry(Gradient(128, 64), s, 1000, 500);
  EXPECT_EQ(ReadEntry(good, s, 128, &out), EntryVerdict::kValid);
  EXPECT_EQ(out.size(), QSize(128, 64));
  EXPECT_EQ(ReadEntry(good, s, 129, &out), EntryVerdict::kStale);  // smaller than asked
  Source later = s;
  later.mtime += 1;
  EXPECT_EQ(ReadEntry(good, later, 96, &out), EntryVerdict::kStale);
  Source bigger = s;
  bigger.size += 1;
  EXPECT_EQ(ReadEntry(good, bigger, 96, &out), EntryVerdict::kStale);
  Source elsewhere = s;
  elsewhere.uri += "x";
  EXPECT_EQ(ReadEntry(good, elsewhere, 96, &out), EntryVerdict::kStale);
  // Keys written by another program: an MTime with a fraction or sign is not
  // the same time.
  for (const char* t : {"1700000000.0", "+1700000000", " 1700000000", ""}) {
    QImage img = Gradient(128, 64);
    img.setText("Thumb::URI", QString::fromStdString(s.uri));
    img.setText("Thumb::MTime", t);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    ASSERT_TRUE(img.save(&b, "PNG"));
    EXPECT_EQ(ReadEntry(bytes, s, 96, &out), EntryVerdict::kStale) << t;
  }
}

TEST_F(SharedCacheTest, PicturesKeptAtTheirOwnSize) {
  const Source s = MakeSource("small.png");
  QImage out;
  // A 40 x 30 original stored as it is serves any thumbnail size.
  const QByteArray own = EncodeEntry(Gradient(40, 30), s, 40, 30);
  EXPECT_EQ(ReadEntry(own, s, 96, &out), EntryVerdict::kValid);
  EXPECT_EQ(out.size(), QSize(40, 30));
  // Without the original's size, or with another one, it is too small.
  EXPECT_EQ(ReadEntry(EncodeEntry(Gradient(40, 30), s, 0, 0), s, 96, &out), EntryVerdict::kStale);
  EXPECT_EQ(ReadEntry(EncodeEntry(Gradient(40, 30), s, 400, 300), s, 96, &out), EntryVerdict::kStale);
  // Stored in the folder of the thumbnail size asked for, and found there.
  ASSERT_TRUE(Store(s, Gradient(40, 30), 256, 40, 30));
  ASSERT_TRUE(Lookup(s, 200, &out));
  EXPECT_EQ(out.size(), QSize(40, 30));
}

TEST_F(SharedCacheTest, MalformedEntriesAreRejected) {
  const Source s = MakeSource("a.jpg");
  QImage out;
  const QByteArray good = EncodeEntry(Gradient(100, 80), s, 0, 0);
  for (int cut : {0, 8, 20, 40, static_cast<int>(good.size()) - 12})
    EXPECT_NE(ReadEntry(good.left(cut), s, 96, &out), EntryVerdict::kValid) << cut;
  QByteArray spoilt = good;
  const qsizetype idat = spoilt.indexOf("IDAT");
  ASSERT_GT(idat, 0);
  for (qsizetype i = idat + 6; i < spoilt.size() - 20; ++i) spoilt[i] = static_cast<char>(i * 7);
  EXPECT_EQ(ReadEntry(spoilt, s, 96, &out), EntryVerdict::kMalformed);
  EXPECT_EQ(ReadEntry("not a png at all", s, 96, &out), EntryVerdict::kMalformed);
  // A chunk claiming more bytes than the file holds, and a flood of text.
  QByteArray liar = good;
  const qsizetype text = liar.indexOf("tEXt");
  ASSERT_GT(text, 4);
  liar[text - 4] = 0x27;  // about 650 MB
  EXPECT_EQ(ReadEntry(liar, s, 96, &out), EntryVerdict::kMalformed);
  QImage wordy = Gradient(100, 80);
  QString noise;
  for (uint32_t i = 0, r = 1; i < 200000; ++i, r = r * 1103515245u + 12345u) noise += QChar(u'!' + (r >> 16) % 90);
  wordy.setText("Comment", noise);  // beyond 64 KB even compressed
  EXPECT_EQ(ReadEntry(EncodeEntry(wordy, s, 0, 0), s, 96, &out), EntryVerdict::kMalformed);
  // Larger than any folder: refused before decoding.
  EXPECT_EQ(ReadEntry(EncodeEntry(Gradient(1025, 4), s, 0, 0), s, 96, &out), EntryVerdict::kMalformed);
  // A JPEG with the right keys is not a PNG entry.
  QImage jpeg = Gradient(128, 96);
  jpeg.setText("Thumb::URI", QString::fromStdString(s.uri));
  jpeg.setText("Thumb::MTime", "1700000000");
  QByteArray bytes;
  QBuffer b(&bytes);
  b.open(QIODevice::WriteOnly);
  ASSERT_TRUE(jpeg.save(&b, "JPEG"));
  EXPECT_EQ(ReadEntry(bytes, s, 96, &out), EntryVerdict::kMalformed);
  // On disk: a malformed entry is a miss, and a good one in a larger folder
  // is still found.
  fs::create_directories(Root() + "/normal");
  std::ofstream(Root() + "/normal/" + EntryName(s.uri)) << "garbage";
  EXPECT_FALSE(Lookup(s, 96, &out));
  ASSERT_TRUE(Store(s, Gradient(256, 128), 256, 0, 0));
  ASSERT_TRUE(Lookup(s, 96, &out));
  EXPECT_EQ(out.size(), QSize(256, 128));
}

TEST_F(SharedCacheTest, FailuresAreRecordedPerProgram) {
  const Source s = MakeSource("broken.jpg");
  EXPECT_FALSE(shared_cache::HasFailure(s));
  ASSERT_TRUE(RecordFailure(s));
  const std::string file = Root() + "/fail/morvik7thumb-1.0/" + EntryName(s.uri);
  QImage back;
  ASSERT_TRUE(QImageReader(QString::fromStdString(file), "png").read(&back));
  EXPECT_EQ(back.text("Thumb::URI").toStdString(), s.uri);
  EXPECT_EQ(back.text("Thumb::MTime"), "1700000000");
  struct stat st {};
  ASSERT_EQ(stat((Root() + "/fail/morvik7thumb-1.0").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(shared_cache::HasFailure(s));
  // A changed file is tried again.
  const Source changed = MakeSource("broken.jpg", 1700000100);
  EXPECT_FALSE(shared_cache::HasFailure(changed));
}

}  // namespace
}  // namespace thumb::shared_cache
