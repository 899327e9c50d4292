#include "imaging/testing/codec_test_support.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace imaging::testing {

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "osmund_" + std::to_string(getpid()) + "_" + name;
}

TempFolder::TempFolder(const std::string& name) : path_(TempPath(name)) {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  std::filesystem::create_directories(path_, ec);
  EXPECT_FALSE(ec) << path_ << ": " << ec.message();
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::File(const std::string& name) const { return path_ + "/" + name; }

int TempFolder::RegularFileCount() const {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) count += entry.is_regular_file();
  return count;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

std::vector<uint8_t> TakeFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFile(path);
  std::remove(path.c_str());
  return bytes;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f.flush());
}

Result SaveToBytes(SaveFunction save, const Image& img, const codecs::SaveOptions& options, const std::string& name,
                   std::vector<uint8_t>* bytes) {
  const std::string path = TempPath(name);
  Result r = save(img, path, options);
  *bytes = TakeFile(path);
  return r;
}

void SaveWithFileSizeLimit(const Image& img, const std::string& path, codecs::SaveType type, size_t limit) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit file_size{rlim_t(limit), rlim_t(limit)};
  setrlimit(RLIMIT_FSIZE, &file_size);
  codecs::SaveOptions options;
  options.type = type;
  const Result r = codecs::Save(img, path, options);
  std::_Exit(r.code() == Status::kCannotWrite ? 0 : 1);
}

void ExpectFailedSaveKeepsExistingFile(const Image& img, codecs::SaveType type, const std::string& file_name) {
  SCOPED_TRACE(file_name);
  const TempFolder dir("atomic");
  const std::string path = dir.File(file_name);
  const std::string old = "old contents";
  ASSERT_TRUE(WriteFile(path, std::vector<uint8_t>(old.begin(), old.end())));
  EXPECT_EXIT(SaveWithFileSizeLimit(img, path, type), ::testing::ExitedWithCode(0), "");
  const std::vector<uint8_t> left = ReadFile(path);
  EXPECT_EQ(std::string(left.begin(), left.end()), old);
  EXPECT_EQ(dir.RegularFileCount(), 1);  // no temporary file left behind
}

Image RandomPicture(int width, int height, int bpp, unsigned seed, const RandomStyle& style) {
  Image img;
  EXPECT_TRUE(Image::Create(width, height, bpp, &img).ok());
  std::mt19937 rng(seed);
  if (style.random_palette)
    for (auto& e : img.palette()) e = PaletteEntry{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
  for (int y = 0; y < img.height(); ++y)
    for (size_t i = 0; i < img.stride(); ++i) img.row(y)[i] = style.byte ? style.byte(rng) : uint8_t(rng());
  if (style.clear_unused_bit && bpp == 16)
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) img.row(y)[2 * x + 1] &= 0x7F;
  return img;
}

Image GradientPicture(int width, int height, int bpp, unsigned seed, const GradientStyle& style) {
  Image img;
  EXPECT_TRUE(Image::Create(width, height, bpp, &img).ok());
  std::mt19937 rng(seed);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const uint32_t noise = rng() & style.noise;
      const uint32_t blue = style.blue < 0 ? uint32_t((x + y) & 255) : uint32_t(style.blue);
      const uint32_t rgb = (uint32_t(x * style.x_step & 255) << 16 | uint32_t(y * style.y_step & 255) << 8 | blue) ^ noise;
      if (bpp == 8) {
        img.row(y)[x] = uint8_t(rgb >> style.grey_shift);
      } else {
        img.SetPixelRgb(x, y, rgb);
      }
    }
  img.set_gray(bpp == 8);
  return img;
}

void ExpectSameInfo(const codecs::FileInfo& a, const codecs::FileInfo& b, const std::string& what) {
  EXPECT_EQ(a.format, b.format) << what;
  EXPECT_EQ(a.width, b.width) << what;
  EXPECT_EQ(a.height, b.height) << what;
  EXPECT_EQ(a.bpp, b.bpp) << what;
  EXPECT_EQ(a.gray, b.gray) << what;
  EXPECT_EQ(a.image_count, b.image_count) << what;
  EXPECT_EQ(a.dpi_x, b.dpi_x) << what;
  EXPECT_EQ(a.dpi_y, b.dpi_y) << what;
  EXPECT_EQ(a.has_exif, b.has_exif) << what;
  EXPECT_EQ(a.is_vector, b.is_vector) << what;
}

void ExpectSamePixels(const Image& a, const Image& b) {
  ASSERT_EQ(a.width(), b.width());
  ASSERT_EQ(a.height(), b.height());
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) ASSERT_EQ(a.PixelRgb(x, y), b.PixelRgb(x, y)) << x << "," << y;
}

namespace {

// Calls `each(d)` with the signed difference of every channel of every
// pixel; false (a failure recorded) when the sizes differ.
template <typename Each>
bool ForEachChannelDifference(const Image& a, const Image& b, Each each) {
  if (a.width() != b.width() || a.height() != b.height()) {
    ADD_FAILURE() << "sizes differ: " << a.width() << "x" << a.height() << " and " << b.width() << "x" << b.height();
    return false;
  }
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const uint32_t p = a.PixelRgb(x, y), q = b.PixelRgb(x, y);
      for (int s = 0; s < 24; s += 8) each(int((p >> s) & 255) - int((q >> s) & 255));
    }
  return true;
}

}  // namespace

int MaxChannelDifference(const Image& a, const Image& b) {
  int worst = 0;
  if (!ForEachChannelDifference(a, b, [&](int d) { worst = std::max(worst, std::abs(d)); })) return 255;
  return worst;
}

double MeanChannelDifference(const Image& a, const Image& b) {
  double sum = 0;
  if (!ForEachChannelDifference(a, b, [&](int d) { sum += std::abs(d); })) return 255.0;
  return sum / (3.0 * a.width() * a.height());
}

double Psnr(const Image& a, const Image& b) {
  double sum = 0;
  if (!ForEachChannelDifference(a, b, [&](int d) { sum += double(d) * d; })) return 0.0;
  const double mse = sum / (3.0 * a.width() * a.height());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

void PutLe16(std::vector<uint8_t>* bytes, unsigned value) {
  bytes->push_back(uint8_t(value & 0xFF));
  bytes->push_back(uint8_t((value >> 8) & 0xFF));
}

void PutLe32(std::vector<uint8_t>* bytes, uint32_t value) {
  for (int s = 0; s < 32; s += 8) bytes->push_back(uint8_t(value >> s));
}

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) {
    ADD_FAILURE() << "reading 4 bytes at " << at << " of " << bytes.size();
    return 0;
  }
  return Le32(bytes.data() + at);
}

}  // namespace imaging::testing
