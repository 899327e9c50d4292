// File: imaging/testing/codec_test_support.h
//
// Helpers the engine's codec tests share: temporary files and folders,
// whole-file reads and writes, made-up pictures (random or gradient),
// pixel comparisons, little-endian byte building, and saving with a file
// size limit to act out a full disk.  Test-only; linked as
// `imaging_test_support` into every test of imaging/.
//
//   using namespace imaging::testing;
//   const Image img = RandomPicture(33, 9, 8, /*seed=*/5);
//   std::vector<uint8_t> bytes;
//   ASSERT_TRUE(SaveToBytes(BmpCodec().save, img, so, "out.bmp", &bytes).ok());
//
// Inside namespace imaging, GoogleTest's own namespace must be spelled
// ::testing (for ::testing::Message, ::testing::TempDir and the like).
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/image.h"

namespace imaging::testing {

// ---- Temporary files ------------------------------------------------------

// TempPath() is `name` in GoogleTest's temporary folder, made unique to this
// process (tests of one executable run in parallel processes under ctest).
std::string TempPath(const std::string& name);

// A fresh, empty folder at TempPath(name), removed with all it holds when
// the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // File() is the path of `name` inside the folder.
  std::string File(const std::string& name) const;
  // RegularFileCount() counts the plain files directly inside.
  int RegularFileCount() const;

 private:
  std::string path_;
};

// ReadFile() returns the whole file; empty when it cannot be opened.
std::vector<uint8_t> ReadFile(const std::string& path);

// TakeFile() is ReadFile() followed by removing the file: for files a
// library under test or a reference library wrote to a temporary path.
std::vector<uint8_t> TakeFile(const std::string& path);

// WriteFile() replaces the file with `bytes`; false when it cannot.
[[nodiscard]] bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// ---- Saving ---------------------------------------------------------------

// The shape of a format codec's save and of codecs::Save().
using SaveFunction = Result (*)(const Image& image, const std::string& path, const codecs::SaveOptions& options);

// SaveToBytes() saves through `save` to TempPath(name), puts what reached
// the file into `*bytes` (empty when nothing did), removes the file and
// returns the save's result.
Result SaveToBytes(SaveFunction save, const Image& img, const codecs::SaveOptions& options, const std::string& name,
                   std::vector<uint8_t>* bytes);

// SaveWithFileSizeLimit() is the body of a death-test child: every file may
// grow to `limit` bytes only (SIGXFSZ ignored, so writes past it fail as on
// a full disk), then it saves `img` as `type` to `path` through
// codecs::Save() and exits 0 when the save reports kCannotWrite, 1 otherwise.
[[noreturn]] void SaveWithFileSizeLimit(const Image& img, const std::string& path, codecs::SaveType type,
                                        size_t limit = 64 * 1024);

// ExpectFailedSaveKeepsExistingFile() puts a file `file_name` with known
// contents in a fresh folder, saves `img` (which must give a file larger
// than 64 KB) over it under SaveWithFileSizeLimit(), and expects the save to
// fail with kCannotWrite, the old contents to be intact and no other file
// (no temporary one) to be left in the folder.
void ExpectFailedSaveKeepsExistingFile(const Image& img, codecs::SaveType type, const std::string& file_name);

// ---- Pictures -------------------------------------------------------------

// How RandomPicture() fills a picture.
struct RandomStyle {
  // False keeps the grey ramp palette Image::Create() gives.
  bool random_palette = true;
  // Draws one row byte; null takes the low byte of one draw.
  uint8_t (*byte)(std::mt19937& rng) = nullptr;
  // 16 bpp: clear bit 15 (unused in 5-5-5 words) of every pixel.
  bool clear_unused_bit = false;
};

// RandomPicture() is a picture whose palette (8 bpp and less) and then every
// row byte, row padding included, come from one std::mt19937 seeded with
// `seed`, so equal arguments give equal pictures.
Image RandomPicture(int width, int height, int bpp, unsigned seed, const RandomStyle& style = {});

// How GradientPicture() colours a pixel (x, y).
struct GradientStyle {
  int x_step = 3;              // red = x * x_step & 255
  int y_step = 2;              // green = y * y_step & 255
  int blue = -1;               // a fixed blue 0..255, or -1 for (x + y) & 255
  uint32_t noise = 0x070707;   // random bits under this mask are xored in
  int grey_shift = 8;          // 8 bpp: the colour's byte at this shift (0 blue, 8 green, 16 red)
};

// GradientPicture() is a smooth picture with a little noise (one draw of a
// std::mt19937 seeded with `seed` per pixel, row by row).  An 8-bit picture
// takes one byte of each colour as its index and is marked grey; deeper
// pictures take the colour through Image::SetPixelRgb().
Image GradientPicture(int width, int height, int bpp, unsigned seed, const GradientStyle& style = {});

// ---- Comparing pictures ---------------------------------------------------

// ExpectSamePixels() expects equal sizes and every pixel equal as 0xRRGGBB
// (so palette and true-colour pictures compare by colour); it stops at the
// first difference and reports where.
void ExpectSamePixels(const Image& a, const Image& b);

// ExpectSameInfo() expects two readings of a file's facts to agree in
// every field (format, size, depth, grey flag, picture count, resolution,
// EXIF flag, vector flag); `what` names the case in the messages.
void ExpectSameInfo(const codecs::FileInfo& a, const codecs::FileInfo& b, const std::string& what);

// Per-channel (red, green, blue) differences of two pictures of one size.
// A size mismatch is reported as a test failure and gives the worst value
// (255, 255.0, 0.0).
int MaxChannelDifference(const Image& a, const Image& b);
double MeanChannelDifference(const Image& a, const Image& b);
// Psnr() in dB over the three channels; 99 for equal pictures.
double Psnr(const Image& a, const Image& b);

// ---- Little-endian bytes --------------------------------------------------

void PutLe16(std::vector<uint8_t>* bytes, unsigned value);
void PutLe32(std::vector<uint8_t>* bytes, uint32_t value);
uint32_t Le32(const uint8_t* p);
// Le32() at `at`; reading past the end is a test failure and gives 0.
uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at);

}  // namespace imaging::testing
