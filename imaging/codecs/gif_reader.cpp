// GIF decoding with giflib from memory.  Walks the record stream itself so
// that pictures other than the requested one are skipped without decoding
// and no picture is ever held twice.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/gif_internal.h"

namespace imaging::codecs::internal {
namespace {

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buf, int length) {
  auto* in = static_cast<MemoryReader*>(gif->UserData);
  if (length <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(length), in->size - in->pos);
  std::memcpy(buf, in->data + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

Result GifError(int code, const char* what) {
  switch (code) {
    case D_GIF_ERR_NOT_GIF_FILE: return Result(Status::kBadFile, "not a GIF file");
    case D_GIF_ERR_NOT_ENOUGH_MEM: return Result(Status::kMemory, "out of memory decoding GIF");
    default: return Result(Status::kBroken, std::string("GIF data broken: ") + what);
  }
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

void PutIndex(Image* img, int x, int y, int value) {
  uint8_t* row = img->row(y);
  switch (img->bpp()) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (value) row[x >> 3] |= bit; else row[x >> 3] &= static_cast<uint8_t>(~bit);
      break;
    }
    case 4:
      if (x & 1) row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | value);
      else row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (value << 4));
      break;
    default: row[x] = static_cast<uint8_t>(value); break;
  }
}

struct Frame {
  int canvas_width = 0, canvas_height = 0, bpp = 8;
  std::vector<PaletteEntry> palette;
};

// The canvas, depth and palette picture `gif->Image` will be decoded into.
Frame DescribeFrame(const GifFileType* gif) {
  Frame f;
  const GifImageDesc& d = gif->Image;
  f.canvas_width = std::max(gif->SWidth, d.Left + d.Width);
  f.canvas_height = std::max(gif->SHeight, d.Top + d.Height);
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  if (map && map->ColorCount > 0 && map->ColorCount <= 256) {
    for (int i = 0; i < map->ColorCount; ++i)
      f.palette.push_back(PaletteEntry{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0});
  } else {
    for (int i = 0; i < 256; ++i) {
      const uint8_t v = static_cast<uint8_t>(i);
      f.palette.push_back(PaletteEntry{v, v, v, 0});
    }
  }
  const int n = static_cast<int>(f.palette.size());
  f.bpp = n <= 2 ? 1 : (n <= 16 ? 4 : 8);
  return f;
}

bool GrayPalette(const std::vector<PaletteEntry>& palette) {
  return std::all_of(palette.begin(), palette.end(),
                     [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; });
}

Result DecodeFrame(GifFileType* gif, const Frame& f, int transparent, Image* out) {
  const GifImageDesc& d = gif->Image;
  if (d.Width <= 0 || d.Height <= 0) return Result(Status::kBroken, "GIF picture has no size");
  Image img;
  if (Result r = Image::Create(f.canvas_width, f.canvas_height, f.bpp, &img); !r.ok()) return r;
  img.palette() = f.palette;
  const int limit = 1 << f.bpp;
  int background = transparent >= 0 ? transparent : gif->SBackGroundColor;
  if (background < 0 || background >= limit) background = 0;
  if (background != 0)
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) PutIndex(&img, x, y, background);

  std::vector<GifPixelType> line(static_cast<size_t>(d.Width));
  auto put_line = [&](int y) -> Result {
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return GifError(gif->Error, "picture data");
    for (int x = 0; x < d.Width; ++x) {
      const int v = line[x] < limit ? line[x] : 0;
      PutIndex(&img, d.Left + x, d.Top + y, v);
    }
    return Result::Ok();
  };
  if (d.Interlace) {
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = kStart[pass]; y < d.Height; y += kStep[pass])
        if (Result r = put_line(y); !r.ok()) return r;
  } else {
    for (int y = 0; y < d.Height; ++y)
      if (Result r = put_line(y); !r.ok()) return r;
  }
  img.set_gray(GrayPalette(img.palette()));
  img.set_transparent_index(transparent >= 0 && transparent < limit ? transparent : -1);
  *out = std::move(img);
  return Result::Ok();
}

// Walks the file.  With `out` set, decodes picture `target` and stops;
// otherwise counts every picture and describes picture `target`.
Result Walk(const uint8_t* data, size_t size, int target, FileInfo* info, Image* out) {
  if (target < 0) return Result(Status::kBadValue, "negative picture index");
  if (size < 6 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
    return Result(Status::kBadFile, "not a GIF file");
  MemoryReader reader{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, &ReadFromMemory, &error));
  if (!gif) return GifError(error, "header");

  int count = 0, transparent = -1;
  std::string comment;
  bool described = false;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
      // A missing trailer after complete pictures is common and harmless.
      if (count > 0 && reader.pos >= reader.size) break;
      return GifError(gif->Error, "record");
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) return GifError(gif->Error, "extension");
      bool first = true;
      while (block) {
        if (code == GRAPHICS_EXT_FUNC_CODE && first && block[0] >= 4) transparent = (block[1] & 1) ? block[4] : -1;
        if (code == COMMENT_EXT_FUNC_CODE && comment.size() < 65536)
          comment.append(reinterpret_cast<const char*>(block + 1), block[0]);
        first = false;
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) return GifError(gif->Error, "extension");
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return GifError(gif->Error, "picture header");
    if (count == target) {
      const Frame f = DescribeFrame(gif.get());
      if (out) {
        Image img;
        if (Result r = DecodeFrame(gif.get(), f, transparent, &img); !r.ok()) return r;
        img.set_comment(comment);
        *out = std::move(img);
        return Result::Ok();
      }
      info->format = FileFormat::kGif;
      info->width = f.canvas_width;
      info->height = f.canvas_height;
      info->bpp = f.bpp;
      info->gray = GrayPalette(f.palette);
      info->dpi_x = info->dpi_y = 0;
      info->is_vector = false;
      described = true;
    }
    int code_size = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif.get(), &code_size, &block) == GIF_ERROR) return GifError(gif->Error, "picture data");
    while (block)
      if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR) return GifError(gif->Error, "picture data");
    // Each saved picture keeps a descriptor inside giflib; drop them as we go.
    GifFreeSavedImages(gif.get());
    gif->ImageCount = 0;
    ++count;
    transparent = -1;
  }
  if (count == 0) return Result(Status::kBroken, "GIF file holds no picture");
  if (!described) return Result(Status::kBadValue, "GIF picture index out of range");
  if (info) info->image_count = count;
  return Result::Ok();
}

}  // namespace

Result GifReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  FileInfo local;
  if (Result r = Walk(data, size, index, &local, nullptr); !r.ok()) return r;
  *info = local;
  return Result::Ok();
}

Result GifLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  return Walk(data, size, options.image_index, nullptr, out);
}

}  // namespace imaging::codecs::internal
