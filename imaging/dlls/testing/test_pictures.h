// File: imaging/dlls/testing/test_pictures.h
//
// Helpers for the tests of the imaging libraries: pictures made in memory,
// packed into handles of libmv7com's memory table (never the test
// program's own copy of the engine table), and temporary folders.
//
//   imaging::Image img = mv7test::Blocks(100, 50, 10);
//   MVHANDLE h = mv7test::HandleOf(img);
//   imaging::Image back = mv7test::ImageOf(h);
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "imaging/dlls/mv7.h"
#include "imaging/image.h"

namespace mv7test {

// HandleOf() packs `img` into a block allocated by MVGlobalAlloc; 0 on failure.
inline MVHANDLE HandleOf(const imaging::Image& img) {
  std::vector<uint8_t> packed;
  if (!imaging::ToPackedDib(img, &packed).ok()) return 0;
  MVHANDLE h = MVGlobalAlloc(packed.size());
  if (h == 0) return 0;
  void* p = MVGlobalLock(h);
  if (p == nullptr) return 0;
  std::copy(packed.begin(), packed.end(), static_cast<uint8_t*>(p));
  MVGlobalUnlock(h);
  return h;
}

// ImageOf() unpacks a handle; an empty picture when it cannot.
inline imaging::Image ImageOf(MVHANDLE h) {
  imaging::Image img;
  const void* p = MVGlobalLock(h);
  if (p == nullptr) return img;
  if (!imaging::FromPackedDib(static_cast<const uint8_t*>(p), MVGlobalSize(h), &img).ok()) img = imaging::Image();
  MVGlobalUnlock(h);
  return img;
}

// Colour of block (bx, by) in Blocks().
inline uint32_t BlockColor(int bx, int by) {
  return static_cast<uint32_t>((bx * 53 + 17) % 256) << 16 | static_cast<uint32_t>((by * 71 + 5) % 256) << 8 |
         static_cast<uint32_t>((bx * 29 + by * 13) % 256);
}

// Blocks() is a 24-bit (or 32-bit) picture of `block` x `block` squares of
// distinct colours.
inline imaging::Image Blocks(int width, int height, int block, int bpp = 24) {
  imaging::Image img;
  if (!imaging::Image::Create(width, height, bpp, &img).ok()) return img;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) img.SetPixelRgb(x, y, BlockColor(x / block, y / block));
  return img;
}

// A fresh temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mv7test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace mv7test
