// Tests of recognising and loading picture files through libmv7file.so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/jpeg_files.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

using mv7test::Blocks;
using mv7test::TempFolder;

std::string SavePicture(const TempFolder& tmp, const std::string& name, const imaging::Image& img,
                        imaging::codecs::SaveType type) {
  imaging::codecs::SaveOptions options;
  options.type = type;
  const std::string path = tmp.File(name);
  EXPECT_TRUE(imaging::codecs::Save(img, path, options).ok()) << path;
  return path;
}

TEST(MVFileType, FillsTheInfoRecordAtItsOffsets) {
  TempFolder tmp;
  const std::string png = SavePicture(tmp, "a.png", Blocks(37, 21, 4), imaging::codecs::SaveType::kPng);
  unsigned char raw[sizeof(MVFileInfo)];
  std::memset(raw, 0xEE, sizeof raw);
  ASSERT_NE(MVFileType(png.c_str(), 0, reinterpret_cast<MVFileInfo*>(raw)), 0);
  int32_t width, height;
  int16_t format, count;
  std::memcpy(&width, raw + 0, 4);
  std::memcpy(&height, raw + 4, 4);
  std::memcpy(&format, raw + 28, 2);
  std::memcpy(&count, raw + 32, 2);
  EXPECT_EQ(width, 37);
  EXPECT_EQ(height, 21);
  EXPECT_EQ(format, MV_FORMAT_PNG);
  EXPECT_EQ(count, 1);
  const MVFileInfo* info = reinterpret_cast<const MVFileInfo*>(raw);
  EXPECT_EQ(info->kind, MV_KIND_RASTER);
  EXPECT_EQ(info->bit_count, 24);

  const std::string bmp = SavePicture(tmp, "b.bmp", Blocks(5, 6, 2), imaging::codecs::SaveType::kWorkBmp);
  MVFileInfo b{};
  ASSERT_NE(MVFileType(bmp.c_str(), 0, &b), 0);
  EXPECT_EQ(b.format, MV_FORMAT_BMP);
}

TEST(MVFileType, RejectsUnknownMissingAndPastTheLastImage) {
  TempFolder tmp;
  const std::string png = SavePicture(tmp, "a.png", Blocks(8, 8, 4), imaging::codecs::SaveType::kPng);
  MVFileInfo info{};
  EXPECT_EQ(MVFileType(png.c_str(), 1, &info), 0);
  EXPECT_EQ(MVFileType(png.c_str(), -1, &info), 0);
  EXPECT_EQ(MVFileType(png.c_str(), 0, nullptr), 0);
  EXPECT_EQ(MVFileType(tmp.File("missing.png").c_str(), 0, &info), 0);
  const std::string text = tmp.File("notes.jpg");
  { FILE* f = std::fopen(text.c_str(), "w"); std::fputs("not a picture", f); std::fclose(f); }
  EXPECT_EQ(MVFileType(text.c_str(), 0, &info), 0);
  EXPECT_EQ(MVFileLoad(text.c_str(), 0, 0, 0, 0, 0, 0, 0), 0u);
}

TEST(MVFileType, TellsJpegWithExifApart) {
  TempFolder tmp;
  const imaging::Image img = Blocks(64, 48, 8);
  const std::string plain = tmp.File("plain.jpg"), exif = tmp.File("exif.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(img, plain, mv7test::Exif::kNone));
  ASSERT_TRUE(mv7test::WriteJpeg(img, exif, mv7test::Exif::kWithoutThumbnail));
  MVFileInfo info{};
  ASSERT_NE(MVFileType(plain.c_str(), 0, &info), 0);
  EXPECT_EQ(info.format, MV_FORMAT_JPEG);
  ASSERT_NE(MVFileType(exif.c_str(), 0, &info), 0);
  EXPECT_EQ(info.format, MV_FORMAT_JPEG_EXIF);
  EXPECT_EQ(info.width, 64);

  MVExifInfo ex{};
  EXPECT_EQ(MVJpegExifInfo(plain.c_str(), &ex), 0);
  ASSERT_NE(MVJpegExifInfo(exif.c_str(), &ex), 0);
  EXPECT_EQ(ex.thumbnail, 0u);
  EXPECT_EQ(ex.width, 64);
  EXPECT_EQ(ex.height, 48);
}

TEST(MVJpegExifInfo, HandsOverTheEmbeddedThumbnail) {
  TempFolder tmp;
  const std::string path = tmp.File("camera.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(Blocks(640, 480, 40), path, mv7test::Exif::kWithThumbnail));
  MVExifInfo ex{};
  ASSERT_NE(MVJpegExifInfo(path.c_str(), &ex), 0);
  ASSERT_NE(ex.thumbnail, 0u);
  EXPECT_EQ(ex.thumb_width, 160);
  EXPECT_EQ(ex.thumb_height, 120);
  MVImageType t{};
  ASSERT_NE(MVGetImageType(ex.thumbnail, &t), 0);
  EXPECT_EQ(t.width, 160);
  MVFreeMemory(ex.thumbnail);
}

TEST(MVFileLoad, LoadsFullSizeAndBounded) {
  TempFolder tmp;
  const imaging::Image img = Blocks(400, 300, 50);
  const std::string png = SavePicture(tmp, "big.png", img, imaging::codecs::SaveType::kPng);
  MVHANDLE full = MVFileLoad(png.c_str(), 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(full, 0u);
  const imaging::Image back = mv7test::ImageOf(full);
  ASSERT_EQ(back.width(), 400);
  EXPECT_EQ(back.PixelRgb(399, 299), img.PixelRgb(399, 299));
  MVFreeMemory(full);

  MVImageType t{};
  MVHANDLE bounded = MVFileLoad(png.c_str(), 0, 160, 160, 0, 0, 0, 0);
  ASSERT_NE(MVGetImageType(bounded, &t), 0);
  EXPECT_EQ(t.width, 160);
  EXPECT_EQ(t.height, 120);
  MVFreeMemory(bounded);

  MVHANDLE small = MVFileLoad(png.c_str(), 0, 800, 600, 0, 0, 0, 0);  // never enlarged
  ASSERT_NE(MVGetImageType(small, &t), 0);
  EXPECT_EQ(t.width, 400);
  MVFreeMemory(small);

  const std::string jpg = tmp.File("big.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(Blocks(1600, 1200, 100), jpg, mv7test::Exif::kNone));
  MVHANDLE thumb = MVFileLoad(jpg.c_str(), 0, 160, 160, 0, 0, 0, 0);
  ASSERT_NE(MVGetImageType(thumb, &t), 0);
  EXPECT_EQ(t.width, 160);
  EXPECT_EQ(t.height, 120);
  MVFreeMemory(thumb);

  EXPECT_EQ(MVFileLoad(png.c_str(), 0, -1, 160, 0, 0, 0, 0), 0u);
  EXPECT_EQ(MVFileLoad(png.c_str(), 1, 0, 0, 0, 0, 0, 0), 0u);
}

// Counts the times a file is opened while it is watched (inotify's
// IN_OPEN events), independently of the code under test.  Closes are
// watched too: inotify merges an event into an equal one just before it,
// so open, close, open, close shows two openings where two bare openings
// in a row would show one.
class OpenCounter {
 public:
  explicit OpenCounter(const std::string& path) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) wd_ = inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE_NOWRITE | IN_CLOSE_WRITE);
  }
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0 && wd_ >= 0; }
  // Opens seen since the last call.
  int Take() {
    int opens = 0;
    alignas(inotify_event) char buf[4096];
    for (;;) {
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
        if (e->mask & IN_OPEN) ++opens;
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    return opens;
  }

 private:
  int fd_ = -1;
  int wd_ = -1;
};

void Put16(std::vector<uint8_t>* b, unsigned v) {
  b->push_back(static_cast<uint8_t>(v));
  b->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// An uncompressed grey TIFF of pages with the given sizes, written byte by
// byte: each page's rows, then its directory, chained in page order.
void WriteGreyTiffPages(const std::string& path, const std::vector<std::pair<int, int>>& sizes) {
  std::vector<uint8_t> b = {'I', 'I', 42, 0, 0, 0, 0, 0};
  size_t link = 4;  // where the offset of the next directory goes
  for (const auto& [w, h] : sizes) {
    const uint32_t rows = static_cast<uint32_t>(b.size());
    for (int i = 0; i < w * h; ++i) b.push_back(static_cast<uint8_t>(i * 9));
    if (b.size() % 2) b.push_back(0);
    const uint32_t ifd = static_cast<uint32_t>(b.size());
    for (int k = 0; k < 4; ++k) b[link + k] = static_cast<uint8_t>(ifd >> (8 * k));
    Put16(&b, 8);
    const std::pair<uint16_t, uint32_t> entries[] = {{256, static_cast<uint32_t>(w)}, {257, static_cast<uint32_t>(h)},
                                                     {258, 8}, {259, 1}, {262, 1}, {273, rows},
                                                     {278, static_cast<uint32_t>(h)}, {279, static_cast<uint32_t>(w * h)}};
    for (const auto& [tag, value] : entries) {
      Put16(&b, tag);
      Put16(&b, tag == 273 || tag == 279 ? 4 : 3);
      Put32(&b, 1);
      Put32(&b, value);
    }
    link = b.size();
    Put32(&b, 0);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), f), b.size());
  std::fclose(f);
}

void GrowSparse(const std::string& path, uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
}

TEST(MVFileTypePages, DescribesEveryPageAsMVFileTypeInOneOpening) {
  TempFolder tmp;
  const std::string tif = tmp.File("pages.tif");
  WriteGreyTiffPages(tif, {{4, 3}, {7, 2}, {3, 5}, {6, 6}});
  OpenCounter opens(tif);
  ASSERT_TRUE(opens.ok());
  std::vector<MVFileInfo> pages(10);
  ASSERT_EQ(MVFileTypePages(tif.c_str(), pages.data(), 10), 4);
  EXPECT_EQ(opens.Take(), 1);
  for (int k = 0; k < 4; ++k) {
    MVFileInfo one{};
    ASSERT_NE(MVFileType(tif.c_str(), k, &one), 0) << k;
    EXPECT_EQ(std::memcmp(&one, &pages[k], sizeof one), 0) << "page " << k;
  }
  EXPECT_EQ(opens.Take(), 4);  // the way without it: one opening per page
  EXPECT_EQ(pages[2].width, 3);
  EXPECT_EQ(pages[2].height, 5);
  EXPECT_EQ(pages[2].image_index, 2);
  EXPECT_EQ(pages[2].image_count, 4);

  // A smaller buffer gets the first pages; a single-picture file one record.
  std::vector<MVFileInfo> two(2);
  EXPECT_EQ(MVFileTypePages(tif.c_str(), two.data(), 2), 2);
  EXPECT_EQ(two[1].width, 7);
  const std::string png = SavePicture(tmp, "a.png", Blocks(9, 8, 4), imaging::codecs::SaveType::kPng);
  MVFileInfo png_info{}, png_page{};
  ASSERT_EQ(MVFileTypePages(png.c_str(), &png_page, 1), 1);
  ASSERT_NE(MVFileType(png.c_str(), 0, &png_info), 0);
  EXPECT_EQ(std::memcmp(&png_info, &png_page, sizeof png_info), 0);
  EXPECT_EQ(MVFileTypePages(png.c_str(), nullptr, 1), 0);
  EXPECT_EQ(MVFileTypePages(png.c_str(), &png_page, 0), 0);
  EXPECT_EQ(MVFileTypePages(tmp.File("missing.tif").c_str(), pages.data(), 10), 0);
}

TEST(MVFileType, OpensTheFileOnceAndReadsOnlyItsHeader) {
  TempFolder tmp;
  const std::string exif = tmp.File("camera.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(Blocks(640, 480, 40), exif, mv7test::Exif::kWithThumbnail));
  OpenCounter opens(exif);
  ASSERT_TRUE(opens.ok());
  MVFileInfo info{};
  ASSERT_NE(MVFileType(exif.c_str(), 0, &info), 0);
  EXPECT_EQ(info.format, MV_FORMAT_JPEG_EXIF);
  EXPECT_EQ(opens.Take(), 1);
  MVExifInfo ex{};
  ASSERT_NE(MVJpegExifInfo(exif.c_str(), &ex), 0);
  EXPECT_EQ(opens.Take(), 1);
  MVFreeMemory(ex.thumbnail);

  // With a terabyte-long hole after the picture the answers are the same:
  // nothing past the header is read (the whole file could not be).
  GrowSparse(exif, uint64_t{1} << 40);
  MVFileInfo far{};
  ASSERT_NE(MVFileType(exif.c_str(), 0, &far), 0);
  EXPECT_EQ(std::memcmp(&far, &info, sizeof far), 0);
  MVExifInfo far_ex{};
  ASSERT_NE(MVJpegExifInfo(exif.c_str(), &far_ex), 0);
  ASSERT_NE(far_ex.thumbnail, 0u);
  EXPECT_EQ(far_ex.thumb_width, 160);
  EXPECT_EQ(far_ex.thumb_height, 120);
  EXPECT_EQ(far_ex.width, 640);
  MVFreeMemory(far_ex.thumbnail);
  const std::string tif = tmp.File("far.tif");
  WriteGreyTiffPages(tif, {{5, 4}, {2, 2}});
  GrowSparse(tif, uint64_t{1} << 40);
  std::vector<MVFileInfo> pages(4);
  ASSERT_EQ(MVFileTypePages(tif.c_str(), pages.data(), 4), 2);
  EXPECT_EQ(pages[0].width, 5);
  EXPECT_EQ(pages[1].width, 2);
}

TEST(MVFileTypePagesDated, GivesTheDateGetFileDateTimeExGivesFromTheSameOpening) {
  TempFolder tmp;
  const std::string tif = tmp.File("dated.tif");
  WriteGreyTiffPages(tif, {{4, 3}, {7, 2}});
  ASSERT_EQ(std::system(("touch -m -d '2003-04-05 06:07:08 UTC' " + tif).c_str()), 0);
  std::vector<MVFileInfo> plain(4), dated(4);
  ASSERT_EQ(MVFileTypePages(tif.c_str(), plain.data(), 4), 2);
  for (int kind : {MV_DATE_CREATION, MV_DATE_LAST_WRITE, MV_DATE_LAST_ACCESS}) {
    char date[MV_DATE_TEXT_SIZE] = "x", expected[MV_DATE_TEXT_SIZE] = {};
    OpenCounter opens(tif);
    ASSERT_EQ(MVFileTypePagesDated(tif.c_str(), dated.data(), 4, kind, date), 2) << kind;
    EXPECT_EQ(opens.Take(), 1);
    ASSERT_NE(GetFileDateTimeEx(tif.c_str(), kind, expected), 0);
    EXPECT_STREQ(date, expected) << kind;
    EXPECT_EQ(std::memcmp(plain.data(), dated.data(), 2 * sizeof(MVFileInfo)), 0);
  }
  char date[MV_DATE_TEXT_SIZE] = {};
  ASSERT_EQ(MVFileTypePagesDated(tif.c_str(), dated.data(), 4, MV_DATE_LAST_WRITE, date), 2);
  EXPECT_STREQ(date, "20030405060708");
  // An unknown kind leaves the date empty; the pages are given all the same.
  ASSERT_EQ(MVFileTypePagesDated(tif.c_str(), dated.data(), 4, 9, date), 2);
  EXPECT_STREQ(date, "");
  // A file that is no picture: 0, and the date left empty.
  const std::string text = tmp.File("notes.tif");
  { FILE* f = std::fopen(text.c_str(), "w"); std::fputs("not a picture", f); std::fclose(f); }
  std::strcpy(date, "x");
  EXPECT_EQ(MVFileTypePagesDated(text.c_str(), dated.data(), 4, MV_DATE_LAST_WRITE, date), 0);
}

TEST(MVFileTypePagesAt, AnswersAsMVFileTypePagesDatedForEveryKindOfFile) {
  TempFolder tmp;
  const std::string folder = tmp.File("");
  std::vector<std::string> names;
  auto keep = [&](const std::string& path) { names.push_back(path.substr(path.rfind('/') + 1)); };
  keep(SavePicture(tmp, "a.png", Blocks(9, 8, 4), imaging::codecs::SaveType::kPng));
  keep(SavePicture(tmp, "b.bmp", Blocks(5, 3, 24), imaging::codecs::SaveType::kBmp));
  keep(SavePicture(tmp, "c d.jpg", Blocks(33, 17, 24), imaging::codecs::SaveType::kJpeg));
  keep(SavePicture(tmp, "e.gif", Blocks(6, 6, 8), imaging::codecs::SaveType::kGif));
  const std::string camera = tmp.File("camera.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(Blocks(64, 48, 24), camera, mv7test::Exif::kWithThumbnail));
  keep(camera);
  const std::string tif = tmp.File("pages.tif");
  WriteGreyTiffPages(tif, {{4, 3}, {7, 2}, {3, 5}});
  keep(tif);
  const std::string svg = tmp.File("drawing.svg");
  {
    FILE* f = std::fopen(svg.c_str(), "w");
    std::fputs("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"30\"></svg>", f);
    std::fclose(f);
  }
  keep(svg);
  const std::string text = tmp.File("notes.jpg");
  {
    FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("not a picture", f);
    std::fclose(f);
  }
  keep(text);
  ASSERT_EQ(::mkdir(tmp.File("sub.png").c_str(), 0700), 0);
  keep(tmp.File("sub.png"));
  names.push_back("missing.png");

  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(dir, 0);
  int recognised = 0;
  for (const std::string& name : names) {
    const std::string path = folder + name;
    for (int kind : {MV_DATE_CREATION, MV_DATE_LAST_WRITE, MV_DATE_LAST_ACCESS}) {
      std::vector<MVFileInfo> by_path(4), at(4);
      char date_by_path[MV_DATE_TEXT_SIZE] = "x", date_at[MV_DATE_TEXT_SIZE] = "y";
      const int n = MVFileTypePagesDated(path.c_str(), by_path.data(), 4, kind, date_by_path);
      OpenCounter opens(path);
      ASSERT_EQ(MVFileTypePagesAt(dir, folder.c_str(), name.c_str(), at.data(), 4, kind, date_at), n) << name;
      if (opens.ok() && n > 0 && name != "drawing.svg") {
        EXPECT_EQ(opens.Take(), 1) << name;
      }
      EXPECT_EQ(std::memcmp(by_path.data(), at.data(), sizeof(MVFileInfo) * static_cast<size_t>(n)), 0) << name;
      if (n > 0) {
        EXPECT_STREQ(date_at, date_by_path) << name;
      }
      if (n > 0 && kind == MV_DATE_LAST_WRITE) ++recognised;
    }
    // Without a date, the pages alone.
    std::vector<MVFileInfo> plain(4), at(4);
    const int n = MVFileTypePages(path.c_str(), plain.data(), 4);
    ASSERT_EQ(MVFileTypePagesAt(dir, folder.c_str(), name.c_str(), at.data(), 4, -1, nullptr), n) << name;
    EXPECT_EQ(std::memcmp(plain.data(), at.data(), sizeof(MVFileInfo) * static_cast<size_t>(n)), 0) << name;
  }
  EXPECT_EQ(recognised, 7);  // all but the text file, the folder and the missing name
  ::close(dir);
}

TEST(MVFileTypePagesAt, OpensRelativeToTheFolderAndRefusesBadArguments) {
  TempFolder tmp;
  ASSERT_EQ(::mkdir(tmp.File("old").c_str(), 0700), 0);
  SavePicture(tmp, "old/a.png", Blocks(9, 8, 4), imaging::codecs::SaveType::kPng);
  const std::string folder = tmp.File("old");
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(dir, 0);
  MVFileInfo info[2] = {};
  char date[MV_DATE_TEXT_SIZE] = {};
  ASSERT_EQ(MVFileTypePagesAt(dir, folder.c_str(), "a.png", info, 2, MV_DATE_LAST_WRITE, date), 1);
  EXPECT_EQ(info[0].width, 9);
  // The file is found through the descriptor: the folder's path is not
  // looked up again (it has been renamed meanwhile).
  ASSERT_EQ(std::rename(folder.c_str(), tmp.File("new").c_str()), 0);
  MVFileInfo moved[2] = {};
  ASSERT_EQ(MVFileTypePagesAt(dir, folder.c_str(), "a.png", moved, 2, MV_DATE_LAST_WRITE, date), 1);
  EXPECT_EQ(std::memcmp(&moved[0], &info[0], sizeof info[0]), 0);
  EXPECT_EQ(MVFileType((folder + "/a.png").c_str(), 0, moved), 0);

  // The folder fits a path buffer, the folder and the name together do not.
  const std::string long_folder = "/" + std::string(MV_MAX_PATH - 4, 'f');
  std::strcpy(date, "x");
  EXPECT_EQ(MVFileTypePagesAt(dir, long_folder.c_str(), "a.png", info, 2, MV_DATE_LAST_WRITE, date), 0);
  EXPECT_STREQ(date, "");  // the date is emptied on every failure
  EXPECT_EQ(MVFileTypePagesAt(dir, folder.c_str(), "../new/a.png", info, 2, -1, nullptr), 0);
  EXPECT_EQ(MVFileTypePagesAt(dir, folder.c_str(), "", info, 2, -1, nullptr), 0);
  EXPECT_EQ(MVFileTypePagesAt(dir, folder.c_str(), nullptr, info, 2, -1, nullptr), 0);
  EXPECT_EQ(MVFileTypePagesAt(dir, nullptr, "a.png", info, 2, -1, nullptr), 0);
  EXPECT_EQ(MVFileTypePagesAt(dir, folder.c_str(), "a.png", nullptr, 2, -1, nullptr), 0);
  EXPECT_EQ(MVFileTypePagesAt(dir, folder.c_str(), "a.png", info, 0, -1, nullptr), 0);
  EXPECT_EQ(MVFileTypePagesAt(-1, folder.c_str(), "a.png", info, 2, -1, nullptr), 0);
  ::close(dir);
}

}  // namespace
