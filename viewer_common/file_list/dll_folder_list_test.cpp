// Folder lists built through the imaging libraries (the way the viewer
// controls build them), against a list made the slow, obvious way: the
// folder walked, each file asked of MVFileType picture by picture and of
// GetFileDateTimeEx for its date, then sorted by its case-folded name.
#include <dirent.h>
#include <gtest/gtest.h>
#include <strings.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/image.h"
#include "viewer_common/file_list/dll_path_services.h"
#include "viewer_common/file_list/folder_list.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace file_list {
namespace {

namespace fs = std::filesystem;

struct Expected {
  std::string name;
  int image = 0;
  std::string date;
};

class DllFolderListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(imaging_dlls::CanLoadPictures());
    ASSERT_NE(imaging_dlls::Entries().MVFileTypePagesAt, nullptr);
    root_ = fs::temp_directory_path() / ("dll_folder_list_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Save(const std::string& name, int width, int height, imaging::codecs::SaveType type) {
    imaging::Image img;
    ASSERT_TRUE(imaging::Image::Create(width, height, 24, &img).ok());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) img.SetPixelRgb(x, y, static_cast<uint32_t>(x * 40 + y * 7));
    imaging::codecs::SaveOptions so;
    so.type = type;
    ASSERT_TRUE(imaging::codecs::Save(img, (root_ / name).string(), so).ok()) << name;
  }
  // A grey TIFF of `pages` pictures, written with libtiff.
  void SavePages(const std::string& name, int pages) {
    TIFF* tif = TIFFOpen((root_ / name).c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (int k = 0; k < pages; ++k) {
      const uint32_t width = 4 + static_cast<uint32_t>(k), height = 3;
      TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
      TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
      TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
      std::vector<uint8_t> row(width, static_cast<uint8_t>(40 * k));
      for (uint32_t y = 0; y < height; ++y) ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
      ASSERT_EQ(TIFFWriteDirectory(tif), 1);
    }
    TIFFClose(tif);
  }
  void Text(const std::string& name, const char* text) {
    FILE* f = std::fopen((root_ / name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    std::fclose(f);
  }

  // The slow list: extensions in table order, each over the folder in
  // directory order, each file asked picture by picture.
  std::vector<Expected> SlowList(const std::vector<std::string>& extensions, bool multi, int date_kind) {
    std::vector<std::string> order;
    DIR* d = opendir(root_.c_str());
    while (dirent* e = readdir(d)) order.push_back(e->d_name);
    closedir(d);
    const auto& t = imaging_dlls::Entries();
    std::vector<Expected> out;
    std::vector<std::string> seen;
    for (const std::string& ext : extensions) {
      for (const std::string& name : order) {
        const std::string path = (root_ / name).string();
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos || strcasecmp(name.c_str() + dot + 1, ext.c_str()) != 0) continue;
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(name);
        MVFileInfo info{};
        if (!t.MVFileType(path.c_str(), 0, &info)) continue;
        char date[MV_DATE_TEXT_SIZE] = {};
        if (date_kind >= 0) (void)t.GetFileDateTimeEx(path.c_str(), date_kind, date);
        const int count = multi ? info.image_count : 1;
        for (int j = 0; j < count; ++j) {
          MVFileInfo more{};
          if (j > 0 && !t.MVFileType(path.c_str(), j, &more)) continue;
          out.push_back({name, j, date});
        }
      }
    }
    return out;
  }

  fs::path root_;
};

std::string Folded(const Expected& e) {
  std::string key = e.name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  char number[8];
  std::snprintf(number, sizeof number, "%04d", e.image);
  return key + number;
}

TEST_F(DllFolderListTest, ListsSortsAndDatesAsTheSlowWayDoes) {
  // Names that begin alike and differ late, in several formats and cases;
  // two names equal but for case (their order must stay the listing's).
  const imaging::codecs::SaveType kinds[] = {imaging::codecs::SaveType::kJpeg, imaging::codecs::SaveType::kPng,
                                             imaging::codecs::SaveType::kBmp};
  const char* exts[] = {"jpg", "png", "bmp"};
  for (int i = 0; i < 60; ++i) {
    const std::string name = "IMG_" + std::to_string((i * 37) % 60) + (i % 4 == 0 ? "_Copy" : "") + "." +
                             (i % 5 == 0 ? "JPG" : exts[i % 3]);
    Save(name, 3 + i % 7, 2 + i % 5, i % 5 == 0 ? kinds[0] : kinds[i % 3]);
  }
  Save("Same.png", 5, 5, imaging::codecs::SaveType::kPng);
  Save("same.png", 6, 6, imaging::codecs::SaveType::kPng);
  Save("a", 2, 2, imaging::codecs::SaveType::kPng);  // no extension: never listed
  SavePages("pages.tif", 3);
  Text("notes.jpg", "not a picture");
  Text("drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"30\"></svg>");
  fs::create_directories(root_ / "folder.png");

  const DllPathServices paths;
  for (bool multi : {false, true}) {
    for (bool defer : {false, true}) {
      for (int order : {kSortOrderInc, kSortOrderDec}) {
        ListRequest req;
        req.file_path = root_.string();
        req.file_ext = "JPG;PNG;BMP;TIF;SVG";
        req.sort = kSortFileName;
        req.sort_order = order;
        req.multi_image = multi;
        req.defer_dates = defer;
        EntryList list;
        ASSERT_EQ(BuildFolderList(paths, req, &list), 0);
        std::vector<Expected> expected = SlowList({"JPG", "PNG", "BMP", "TIF", "SVG"}, multi, defer ? -1 : 1);
        std::stable_sort(expected.begin(), expected.end(), [&](const Expected& a, const Expected& b) {
          return order == kSortOrderDec ? Folded(b) < Folded(a) : Folded(a) < Folded(b);
        });
        const std::string what = std::string(multi ? "multi" : "single") + (defer ? ", deferred" : "") +
                                 (order == kSortOrderDec ? ", decreasing" : "");
        ASSERT_EQ(list.size(), expected.size()) << what;
        EXPECT_EQ(expected.size(), 64u + (multi ? 2u : 0u)) << what;  // the slow way found them all
        for (size_t i = 0; i < expected.size(); ++i) {
          const ThumbnailEntry& e = list[i];
          EXPECT_EQ(e.folder, root_.string()) << what << " " << i;
          EXPECT_EQ(e.file_name, expected[i].name) << what << " " << i;
          EXPECT_EQ(e.image_number, expected[i].image) << what << " " << i;
          EXPECT_EQ(e.date_pending, defer) << what << " " << i;
          EXPECT_STREQ(e.date_text, expected[i].date.c_str()) << what << " " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace file_list
