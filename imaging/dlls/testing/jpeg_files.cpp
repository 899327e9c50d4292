// JPEG test files with and without EXIF blocks.
#include "imaging/dlls/testing/jpeg_files.h"

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/ops/resize.h"

namespace mv7test {
namespace {

bool JpegBytes(const imaging::Image& img, const std::string& path, std::vector<uint8_t>* out) {
  imaging::codecs::SaveOptions options;
  options.type = imaging::codecs::SaveType::kJpeg;
  options.jpeg_quality = 90;
  if (!imaging::codecs::Save(img, path, options).ok()) return false;
  std::ifstream in(path, std::ios::binary);
  out->assign(std::istreambuf_iterator<char>(in), {});
  return out->size() > 4;
}

// An APP1 segment holding an EXIF block, with `thumbnail` embedded when not empty.
std::vector<uint8_t> ExifSegment(const std::vector<uint8_t>& thumbnail) {
  std::vector<uint8_t> segment;
  ExifData* ed = exif_data_new();
  if (ed == nullptr) return segment;
  exif_data_set_byte_order(ed, EXIF_BYTE_ORDER_INTEL);
  if (!thumbnail.empty()) {
    ed->data = static_cast<unsigned char*>(std::malloc(thumbnail.size()));
    std::memcpy(ed->data, thumbnail.data(), thumbnail.size());
    ed->size = static_cast<unsigned int>(thumbnail.size());
  }
  unsigned char* block = nullptr;
  unsigned int size = 0;
  exif_data_save_data(ed, &block, &size);
  exif_data_unref(ed);
  if (block == nullptr || size + 2 > 0xFFFF) {
    std::free(block);
    return segment;
  }
  segment = {0xFF, 0xE1, static_cast<uint8_t>((size + 2) >> 8), static_cast<uint8_t>((size + 2) & 0xFF)};
  segment.insert(segment.end(), block, block + size);
  std::free(block);
  return segment;
}

}  // namespace

bool WriteJpeg(const imaging::Image& img, const std::string& path, Exif exif) {
  std::vector<uint8_t> main;
  if (!JpegBytes(img, path, &main)) return false;
  if (exif == Exif::kNone) return true;
  std::vector<uint8_t> thumb;
  if (exif == Exif::kWithThumbnail) {
    imaging::Image small;
    if (!imaging::ops::ResizeImage(img, &small, 160, 120).ok() || !JpegBytes(small, path + ".thumb", &thumb))
      return false;
  }
  const std::vector<uint8_t> segment = ExifSegment(thumb);
  if (segment.empty()) return false;
  main.insert(main.begin() + 2, segment.begin(), segment.end());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(main.data()), static_cast<std::streamsize>(main.size()));
  return static_cast<bool>(out);
}

}  // namespace mv7test
