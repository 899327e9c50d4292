// Tests of reading picture facts from a byte source: the answers equal
// those of the codecs' readers over the whole file, far fewer bytes are
// read, files whose far end is a hole of a terabyte are read at once, and
// every page of a multi-page file comes from one pass.
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/awkward_files.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs {
namespace {

using imaging::testing::ExpectSameInfo;
using imaging::testing::TempFolder;

std::vector<uint8_t> Encoded(const Image& img, SaveType type, const TempFolder& dir, const std::string& name) {
  SaveOptions so;
  so.type = type;
  const std::string path = dir.File(name);
  EXPECT_TRUE(Save(img, path, so).ok()) << name;
  return imaging::testing::ReadFile(path);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

// A JPEG segment of `marker` holding `payload`.
std::vector<uint8_t> Segment(uint8_t marker, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> s = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8),
                            static_cast<uint8_t>((payload.size() + 2) & 0xFF)};
  s.insert(s.end(), payload.begin(), payload.end());
  return s;
}

// `jpeg` with segments put right after its SOI marker.
std::vector<uint8_t> WithSegments(std::vector<uint8_t> jpeg, const std::vector<std::vector<uint8_t>>& segments) {
  size_t at = 2;
  for (const auto& s : segments) {
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(at), s.begin(), s.end());
    at += s.size();
  }
  return jpeg;
}

const internal::FormatCodec& CodecOf(FileFormat f) {
  switch (f) {
    case FileFormat::kBmp: return internal::BmpCodec();
    case FileFormat::kJpeg: return internal::JpegCodec();
    case FileFormat::kPng: return internal::PngCodec();
    case FileFormat::kGif: return internal::GifCodec();
    case FileFormat::kTiff: return internal::TiffCodec();
    case FileFormat::kPcx: return internal::PcxCodec();
    case FileFormat::kFpx: return internal::FpxCodec();
    default: return internal::Jp2Codec();
  }
}

// Reads `bytes` as a file through ReadInfo() and checks it against the
// format's reader over the whole file; returns the bytes the source read.
uint64_t CheckAgainstWholeFile(const TempFolder& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = dir.File(name);
  WriteBytes(path, bytes);
  const FileFormat format = DetectFormat(bytes.data(), bytes.size());
  FileInfo whole;
  EXPECT_TRUE(CodecOf(format).read_info(bytes.data(), bytes.size(), 0, &whole).ok()) << name;
  if (whole.format == FileFormat::kUnknown) whole.format = CodecOf(format).format;
  FileByteSource src;
  EXPECT_TRUE(src.Open(path).ok());
  FileInfo part;
  const Result r = ReadInfoFrom(&src, 0, &part);
  EXPECT_TRUE(r.ok()) << name << ": " << r.message();
  ExpectSameInfo(part, whole, name);
  FileInfo by_path;
  EXPECT_TRUE(ReadInfo(path, 0, &by_path).ok());
  ExpectSameInfo(by_path, whole, name + " by path");
  return src.bytes_read();
}

TEST(ReadInfoFrom, AnswersAsTheWholeFileReadersDo) {
  TempFolder dir("info_reader_formats");
  const Image colour = imaging::testing::GradientPicture(300, 200, 24, 7);
  const Image grey = imaging::testing::GradientPicture(70, 50, 8, 3);
  const Image palette = imaging::testing::RandomPicture(90, 60, 8, 11);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"a.bmp", Encoded(colour, SaveType::kBmp, dir, "s.bmp")},
      {"p.bmp", Encoded(palette, SaveType::kBmp, dir, "s2.bmp")},
      {"a.jpg", Encoded(colour, SaveType::kJpeg, dir, "s.jpg")},
      {"g.jpg", Encoded(grey, SaveType::kJpeg, dir, "s2.jpg")},
      {"a.png", Encoded(colour, SaveType::kPng, dir, "s.png")},
      {"p.png", Encoded(palette, SaveType::kPng, dir, "s2.png")},
      {"a.pcx", Encoded(palette, SaveType::kPcx, dir, "s.pcx")},
      {"g.pcx", Encoded(grey, SaveType::kPcx, dir, "s2.pcx")},
      {"c.pcx", Encoded(colour, SaveType::kPcx, dir, "s3.pcx")},
      {"a.gif", Encoded(palette, SaveType::kGif, dir, "s.gif")},
      {"a.tif", Encoded(colour, SaveType::kTiff, dir, "s.tif")},
      {"a.jp2", Encoded(grey, SaveType::kJp2, dir, "s.jp2")},
      {"a.j2k", Encoded(grey, SaveType::kJ2k, dir, "s.j2k")},
      {"a.fpx", Encoded(grey, SaveType::kFpx, dir, "s.fpx")},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.bytes.empty()) << c.name;
    (void)CheckAgainstWholeFile(dir, c.name, c.bytes);
  }
}

TEST(ReadInfoFrom, JpegSeeksOverLargeSegmentsAndReadsTheExifBlock) {
  TempFolder dir("info_reader_jpeg");
  const std::vector<uint8_t> plain = Encoded(imaging::testing::GradientPicture(640, 480, 24, 5), SaveType::kJpeg,
                                             dir, "plain.jpg");
  // An ICC-like APP2 of 60 000 bytes and a comment of 50 000 ahead of the
  // frame header; neither needs reading.
  std::vector<uint8_t> icc(60000, 0x41), comment(50000, 'c');
  std::memcpy(icc.data(), "ICC_PROFILE", 11);
  const std::vector<uint8_t> padded = WithSegments(plain, {Segment(0xE2, icc), Segment(0xFE, comment)});
  const uint64_t read = CheckAgainstWholeFile(dir, "padded.jpg", padded);
  EXPECT_GT(padded.size(), 110000u);
  EXPECT_LT(read, kHeadBytes + 4096) << "the large segments were read";

  // An EXIF block (a little-endian TIFF header with an empty directory)
  // beyond the first 4 KiB is found and reported.
  std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> late_exif = WithSegments(plain, {Segment(0xE2, icc), Segment(0xE1, exif)});
  WriteBytes(dir.File("exif.jpg"), late_exif);
  FileInfo info;
  ASSERT_TRUE(ReadInfo(dir.File("exif.jpg"), 0, &info).ok());
  EXPECT_TRUE(info.has_exif);
  EXPECT_EQ(info.width, 640);
  FileInfo no_exif;
  WriteBytes(dir.File("plain.jpg"), plain);
  ASSERT_TRUE(ReadInfo(dir.File("plain.jpg"), 0, &no_exif).ok());
  EXPECT_FALSE(no_exif.has_exif);

  // Cut inside the header: broken, not a wrong answer.
  WriteBytes(dir.File("cut.jpg"), std::vector<uint8_t>(padded.begin(), padded.begin() + 70000));
  EXPECT_EQ(ReadInfo(dir.File("cut.jpg"), 0, &info).code(), Status::kBroken);
}

// Extends the file with a hole so that it is `size` bytes long.
bool GrowSparse(const std::string& path, uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return false;
  const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  ::close(fd);
  return ok;
}

TEST(ReadInfoFrom, ReadsTheHeaderOfATerabyteFileAtOnce) {
  TempFolder dir("info_reader_sparse");
  const std::vector<uint8_t> jpeg =
      Encoded(imaging::testing::GradientPicture(120, 90, 24, 1), SaveType::kJpeg, dir, "a.jpg");
  const std::string path = dir.File("huge.jpg");
  WriteBytes(path, jpeg);
  ASSERT_TRUE(GrowSparse(path, uint64_t{1} << 40));
  FileByteSource src;
  ASSERT_TRUE(src.Open(path).ok());
  ASSERT_EQ(src.size(), uint64_t{1} << 40);
  FileInfo info;
  ASSERT_TRUE(ReadInfoFrom(&src, 0, &info).ok());
  EXPECT_EQ(info.width, 120);
  EXPECT_EQ(info.height, 90);
  EXPECT_LE(src.bytes_read(), kHeadBytes);
}

// A grey TIFF written byte by byte: the pixel rows first, then one
// directory per page far into the file (past a hole), each naming the next.
void WriteFarDirectoriesTiff(const std::string& path, const std::vector<std::pair<int, int>>& sizes,
                             uint64_t first_ifd) {
  std::vector<uint8_t> head = {'I', 'I', 42, 0};
  imaging::testing::PutLe32(&head, static_cast<uint32_t>(first_ifd));
  head.resize(64, 0x80);  // the rows of every page share these bytes
  WriteBytes(path, head);
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  uint64_t at = first_ifd;
  for (size_t p = 0; p < sizes.size(); ++p) {
    const auto [w, h] = sizes[p];
    std::vector<uint8_t> ifd;
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
      imaging::testing::PutLe16(&ifd, tag);
      imaging::testing::PutLe16(&ifd, type);
      imaging::testing::PutLe32(&ifd, 1);
      imaging::testing::PutLe32(&ifd, value);  // SHORT values sit in the low bytes
    };
    imaging::testing::PutLe16(&ifd, 9);
    entry(256, 3, static_cast<uint32_t>(w));
    entry(257, 3, static_cast<uint32_t>(h));
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, 8);
    entry(277, 3, 1);
    entry(278, 3, static_cast<uint32_t>(h));
    entry(279, 4, static_cast<uint32_t>(w * h));
    const uint64_t next = p + 1 < sizes.size() ? at + 4096 : 0;
    imaging::testing::PutLe32(&ifd, static_cast<uint32_t>(next));
    ASSERT_EQ(::pwrite(fd, ifd.data(), ifd.size(), static_cast<off_t>(at)), static_cast<ssize_t>(ifd.size()));
    at = next;
  }
  ::close(fd);
}

TEST(ReadPageInfos, TiffDirectoriesFarIntoTheFileAreReadAloneAndOnce) {
  TempFolder dir("info_reader_far_tiff");
  const std::string path = dir.File("far.tif");
  const uint64_t far = 3500000000ull;  // 3.5 GB of hole before the directories
  WriteFarDirectoriesTiff(path, {{4, 3}, {5, 2}, {2, 7}}, far);
  FileByteSource src;
  ASSERT_TRUE(src.Open(path).ok());
  ASSERT_GT(src.size(), far);
  std::vector<FileInfo> pages;
  ASSERT_TRUE(ReadPageInfos(&src, 0, 100, &pages).ok());
  ASSERT_EQ(pages.size(), 3u);
  const int w[] = {4, 5, 2}, h[] = {3, 2, 7};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(pages[k].format, FileFormat::kTiff);
    EXPECT_EQ(pages[k].width, w[k]) << k;
    EXPECT_EQ(pages[k].height, h[k]) << k;
    EXPECT_EQ(pages[k].bpp, 8);
    EXPECT_TRUE(pages[k].gray);
    EXPECT_EQ(pages[k].image_count, 3);
  }
  EXPECT_LT(src.bytes_read(), 64u * 1024) << "more than the directories was read";
  // A window of pages, and one past the last.
  ASSERT_TRUE(ReadPageInfos(&src, 1, 1, &pages).ok());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].width, 5);
  EXPECT_FALSE(ReadPageInfos(&src, 3, 1, &pages).ok());
}

// A multi-page TIFF written by libtiff, each page a different size.
std::vector<uint8_t> LibtiffPages(const std::string& path, int pages) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) return {};
  for (int p = 0; p < pages; ++p) {
    const uint32_t w = 10 + 3 * p, h = 4 + p;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, p % 2 ? 3 : 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, p % 2 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 72.0f + p);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 72.0f + p);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    std::vector<uint8_t> row(w * (p % 2 ? 3 : 1), static_cast<uint8_t>(p * 40));
    for (uint32_t y = 0; y < h; ++y) TIFFWriteScanline(t, row.data(), y, 0);
    TIFFWriteDirectory(t);
  }
  TIFFClose(t);
  return imaging::testing::ReadFile(path);
}

TEST(ReadPageInfos, EveryPageAsTheWholeFileReaderSeesIt) {
  TempFolder dir("info_reader_pages");
  const std::vector<uint8_t> tiff = LibtiffPages(dir.File("pages.tif"), 5);
  ASSERT_FALSE(tiff.empty());
  // Two GIF pictures: the second one appended after the first.
  const std::vector<uint8_t> idx(6 * 4, 3);
  std::vector<uint8_t> gif = imaging::testing::GifFile(6, 4, idx, 2, 2);
  ASSERT_EQ(gif.back(), 0x3B);
  gif.pop_back();
  const std::vector<uint8_t> second = {0x2C, 1, 0, 1, 0, 3, 0, 2, 0, 0, 2};
  gif.insert(gif.end(), second.begin(), second.end());
  const std::vector<uint8_t> lzw = imaging::testing::GifLzw(std::vector<uint8_t>(6, 1), 2);
  gif.insert(gif.end(), lzw.begin(), lzw.end());
  gif.push_back(0x3B);
  WriteBytes(dir.File("two.gif"), gif);

  for (const auto& [name, bytes, count] :
       {std::tuple{"pages.tif", tiff, 5}, std::tuple{"two.gif", gif, 2}}) {
    FileByteSource src;
    ASSERT_TRUE(src.Open(dir.File(name)).ok());
    std::vector<FileInfo> pages;
    ASSERT_TRUE(ReadPageInfos(&src, 0, 32767, &pages).ok()) << name;
    ASSERT_EQ(pages.size(), static_cast<size_t>(count)) << name;
    const FileFormat f = DetectFormat(bytes.data(), bytes.size());
    for (int k = 0; k < count; ++k) {
      FileInfo whole;
      ASSERT_TRUE(CodecOf(f).read_info(bytes.data(), bytes.size(), k, &whole).ok());
      if (whole.format == FileFormat::kUnknown) whole.format = f;
      ExpectSameInfo(pages[k], whole, std::string(name) + " page " + std::to_string(k));
    }
    // Fewer pages than the file has when asked for fewer.
    ASSERT_TRUE(ReadPageInfos(&src, 0, 1, &pages).ok());
    EXPECT_EQ(pages.size(), 1u);
  }
}

TEST(ReadInfoFrom, RefusesWhatIsNoPicture) {
  const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
  MemoryByteSource src(text.data(), text.size());
  FileInfo info;
  EXPECT_EQ(ReadInfoFrom(&src, 0, &info).code(), Status::kBadFile);
  MemoryByteSource empty(nullptr, 0);
  EXPECT_EQ(ReadInfoFrom(&empty, 0, &info).code(), Status::kBadFile);
  EXPECT_EQ(ReadInfo("/nonexistent/osmund/a.png", 0, &info).code(), Status::kNotFound);
  EXPECT_EQ(ReadInfo("/tmp", 0, &info).code(), Status::kCannotOpen);
  // A pipe with no writer is refused at once, never waited on.
  TempFolder dir("info_reader_fifo");
  const std::string fifo = dir.File("pipe.png");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadInfo(fifo, 0, &info).code(), Status::kCannotOpen);
}

}  // namespace
}  // namespace imaging::codecs
