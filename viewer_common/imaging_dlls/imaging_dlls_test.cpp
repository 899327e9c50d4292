// Tests of the by-name binding of the imaging library family: the binding
// made when the module loads, and re-binding from folders where a library
// or an entry is missing.
#include "viewer_common/imaging_dlls/imaging_dlls.h"

#include <gtest/gtest.h>
#include <link.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/image.h"

namespace fs = std::filesystem;

namespace {

const char* const kFiles[MV7_LIB_COUNT] = {MV7_LIBRARY_FILES};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "mv7bind.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Copies the family from the build folder into `dir`, leaving out `skip`.
void CopyFamily(const std::string& dir, int skip = -1) {
  for (int lib = 0; lib < MV7_LIB_COUNT; ++lib)
    if (lib != skip) fs::copy_file(fs::path(imaging_dlls::ModuleFolder()) / kFiles[lib], fs::path(dir) / kFiles[lib]);
}

// A picture file written with the engine's encoder.
std::string MakePicture(const std::string& dir) {
  imaging::Image img;
  EXPECT_TRUE(imaging::Image::Create(300, 200, 24, &img).ok());
  imaging::codecs::SaveOptions options;
  options.type = imaging::codecs::SaveType::kPng;
  const std::string path = dir + "/picture.png";
  EXPECT_TRUE(imaging::codecs::Save(img, path, options).ok());
  return path;
}

// The folder-and-file names of loaded objects that belong to the family, in
// the order the dynamic linker loaded them.
std::vector<std::string> LoadedFamily(const std::string& dir) {
  struct Search {
    std::string dir;
    std::vector<std::string> names;
  } search{dir, {}};
  dl_iterate_phdr(
      [](struct dl_phdr_info* info, size_t, void* data) -> int {
        auto* s = static_cast<Search*>(data);
        const std::string name = info->dlpi_name != nullptr ? info->dlpi_name : "";
        if (name.rfind(s->dir + "/", 0) == 0) s->names.push_back(fs::path(name).filename().string());
        return 0;
      },
      &search);
  return search.names;
}

class ImagingDlls : public ::testing::Test {
 protected:
  void TearDown() override { imaging_dlls::BindFrom(imaging_dlls::ModuleFolder()); }
};

TEST_F(ImagingDlls, BindsItselfFromItsOwnFolderAtLoad) {
  EXPECT_EQ(imaging_dlls::BoundFolder(), imaging_dlls::ModuleFolder());
  EXPECT_EQ(fs::canonical("/proc/self/exe").parent_path().string(), imaging_dlls::ModuleFolder());
  for (int lib = 0; lib < MV7_LIB_COUNT; ++lib) EXPECT_TRUE(imaging_dlls::LibraryLoaded(lib)) << kFiles[lib];
  const imaging_dlls::Table& t = imaging_dlls::Entries();
#define EXPECT_BOUND(lib, entry) EXPECT_NE(t.entry, nullptr) << #entry;
  MV7_EXPORTS(EXPECT_BOUND)
#undef EXPECT_BOUND
  EXPECT_TRUE(imaging_dlls::CanLoadPictures());
}

TEST_F(ImagingDlls, LoadsInTheFamilyOrder) {
  TempDir dir;
  CopyFamily(dir.path());
  ASSERT_TRUE(imaging_dlls::BindFrom(dir.path()));
  const std::vector<std::string> expected(std::begin(kFiles), std::end(kFiles));
  EXPECT_EQ(LoadedFamily(dir.path()), expected);
  imaging_dlls::Unbind();
  EXPECT_TRUE(LoadedFamily(dir.path()).empty());  // all freed
  EXPECT_FALSE(imaging_dlls::CanLoadPictures());
  EXPECT_EQ(imaging_dlls::Entries().MVFileLoad, nullptr);
}

TEST_F(ImagingDlls, LoadsPicturesThroughTheWrappers) {
  TempDir dir;
  const std::string picture = MakePicture(dir.path());
  MVFileInfo info{};
  ASSERT_NE(imaging_dlls::FileType(picture.c_str(), 0, &info), 0);
  MVHANDLE h = imaging_dlls::FileLoad(picture.c_str(), 0, 150, 150);
  ASSERT_NE(h, 0u);
  MVImageType t{};
  ASSERT_NE(imaging_dlls::GetImageType(h, &t), 0);
  EXPECT_EQ(t.width, 150);
  EXPECT_EQ(t.height, 100);
  MVHANDLE pair[2] = {h, 0};
  MVHANDLE small = imaging_dlls::Resize(pair, 30, 20);
  EXPECT_NE(small, 0u);
  imaging_dlls::FreeMemory(small);
  imaging_dlls::FreeMemory(h);
  // Freed through the table: the handle is gone.
  EXPECT_EQ(imaging_dlls::Call<&imaging_dlls::Table::MVGlobalLock>(static_cast<void*>(nullptr), h), nullptr);
}

TEST_F(ImagingDlls, MissingFileLibraryStopsEveryPictureLoad) {
  TempDir dir, pics;
  const std::string picture = MakePicture(pics.path());
  CopyFamily(dir.path(), MV7_LIB_FILE);
  EXPECT_FALSE(imaging_dlls::BindFrom(dir.path()));
  EXPECT_TRUE(imaging_dlls::LibraryLoaded(MV7_LIB_COM));
  EXPECT_FALSE(imaging_dlls::LibraryLoaded(MV7_LIB_FILE));
  EXPECT_NE(imaging_dlls::Entries().MVGlobalAlloc, nullptr);
  EXPECT_EQ(imaging_dlls::Entries().MVFileType, nullptr);
  EXPECT_EQ(imaging_dlls::Entries().GetFileExt, nullptr);
  MVFileInfo info{};
  EXPECT_EQ(imaging_dlls::FileType(picture.c_str(), 0, &info), 0);
  EXPECT_EQ(imaging_dlls::FileLoad(picture.c_str(), 0, 0, 0), 0u);
  char ext[8];
  EXPECT_EQ(imaging_dlls::Call<&imaging_dlls::Table::GetFileExt>(int32_t{-7}, picture.c_str(), ext, int32_t{8}), -7);
}

TEST_F(ImagingDlls, MissingComLibraryStopsEveryPictureLoad) {
  TempDir dir, pics;
  const std::string picture = MakePicture(pics.path());
  CopyFamily(dir.path(), MV7_LIB_COM);
  EXPECT_FALSE(imaging_dlls::BindFrom(dir.path()));
  EXPECT_FALSE(imaging_dlls::LibraryLoaded(MV7_LIB_COM));
  EXPECT_EQ(imaging_dlls::Entries().MVFreeMemory, nullptr);
  EXPECT_TRUE(imaging_dlls::LibraryLoaded(MV7_LIB_VECTCOM));  // needs nothing of libmv7com
  EXPECT_EQ(imaging_dlls::FileLoad(picture.c_str(), 0, 0, 0), 0u);
  imaging_dlls::FreeMemory(12345);  // nothing bound to call: a no-op
}

TEST_F(ImagingDlls, MissingEntryStopsEveryPictureLoad) {
  // libmv7file.so without MVFileLoad; its MVFileType accepts every file,
  // so any call that slipped through the gate would be seen.
  TempDir dir, pics;
  const std::string picture = MakePicture(pics.path());
  CopyFamily(dir.path(), MV7_LIB_FILE);
  fs::copy_file(fs::path(MV7_STUB_WITHOUT_FILELOAD) / "libmv7file.so", fs::path(dir.path()) / "libmv7file.so");
  EXPECT_FALSE(imaging_dlls::BindFrom(dir.path()));
  EXPECT_TRUE(imaging_dlls::LibraryLoaded(MV7_LIB_FILE));
  EXPECT_NE(imaging_dlls::Entries().MVFileType, nullptr);
  EXPECT_EQ(imaging_dlls::Entries().MVFileLoad, nullptr);
  EXPECT_EQ(imaging_dlls::Entries().MVJpegExifInfo, nullptr);
  EXPECT_FALSE(imaging_dlls::CanLoadPictures());
  MVFileInfo info{};
  EXPECT_EQ(imaging_dlls::FileType(picture.c_str(), 0, &info), 0);
  EXPECT_EQ(imaging_dlls::FileLoad(picture.c_str(), 0, 800, 600), 0u);
  MVExifInfo exif{};
  EXPECT_EQ(imaging_dlls::JpegExifInfo(picture.c_str(), &exif), 0);
  // Entries that are bound still answer directly.
  char ext[8];
  EXPECT_EQ(imaging_dlls::Call<&imaging_dlls::Table::GetFileExt>(int32_t{0}, picture.c_str(), ext, int32_t{8}), 3);
  EXPECT_STREQ(ext, "STB");
}

TEST_F(ImagingDlls, MissingUnusedLibraryKeepsPicturesLoading) {
  TempDir dir, pics;
  const std::string picture = MakePicture(pics.path());
  CopyFamily(dir.path(), MV7_LIB_SCAN);
  EXPECT_TRUE(imaging_dlls::BindFrom(dir.path()));
  EXPECT_EQ(imaging_dlls::Entries().MVScanAcquire, nullptr);
  MVHANDLE h = imaging_dlls::FileLoad(picture.c_str(), 0, 0, 0);
  EXPECT_NE(h, 0u);
  imaging_dlls::FreeMemory(h);
}

TEST_F(ImagingDlls, MissingFolderBindsNothing) {
  EXPECT_FALSE(imaging_dlls::BindFrom("/no/such/folder"));
  for (int lib = 0; lib < MV7_LIB_COUNT; ++lib) EXPECT_FALSE(imaging_dlls::LibraryLoaded(lib));
  EXPECT_FALSE(imaging_dlls::BindFrom(""));
}

}  // namespace
