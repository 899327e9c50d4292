// PNG encoding with libpng.  Rows go to libpng straight from the picture
// where the layouts agree (palette, grey, 24-bit with png_set_bgr); 16-bit
// and alpha-less 32-bit rows are converted one at a time into a scratch row.
// Interlaced files are written pass by pass from the same rows.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/png_internal.h"
#include "imaging/pixel_helpers.h"

namespace imaging::codecs::internal {
namespace {

constexpr size_t kTextCompressAbove = 1024;  // longer comments go compressed
constexpr size_t kIdatChunkBytes = 64 * 1024;

struct WriteState {
  char message[160] = {};
};

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<WriteState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message != nullptr ? message : "libpng error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// kDirect: the picture's rows as they are; kFrom16: 5-5-5 to B,G,R;
// kOpaque32: alpha set to 255; kKeyed32: alpha 0 for the transparent colour.
enum class RowKind { kDirect, kFrom16, kOpaque32, kKeyed32 };

// Everything libpng needs, worked out before the first libpng call.
struct Plan {
  const Image* image = nullptr;
  int color_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  bool interlace = false;
  RowKind rows = RowKind::kDirect;
  std::vector<png_color> palette;
  std::vector<png_byte> alpha;       // palette tRNS
  bool has_key = false;              // grey or RGB tRNS
  png_color_16 key{};
  uint32_t key_rgb = 0;              // kKeyed32: this colour gets alpha 0
  bool source_alpha = false;         // 32-bit picture carries alpha
  int dpi_x = 0;
  int dpi_y = 0;
  std::string comment;
  std::vector<png_byte> scratch;     // one converted row
};

class Encoder {
 public:
  explicit Encoder(std::FILE* file) : file_(file) {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~Encoder() {
    if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    if (file_ != nullptr) std::fclose(file_);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool ready() const { return info != nullptr; }
  std::FILE* file() const { return file_; }
  // Closes the file; false when buffered data could not be written.
  bool Close() {
    std::FILE* f = file_;
    file_ = nullptr;
    return std::fclose(f) == 0;
  }

  png_structp png = nullptr;
  png_infop info = nullptr;
  WriteState state;

 private:
  std::FILE* file_;
};

bool IsGreyRamp(const Image& img) {
  const int n = 1 << img.bpp();
  if (static_cast<int>(img.palette().size()) != n) return false;
  for (int i = 0; i < n; ++i) {
    const int v = i * 255 / (n - 1);
    const PaletteEntry& e = img.palette()[i];
    if (e.red != v || e.green != v || e.blue != v) return false;
  }
  return true;
}

int MaxIndex(const Image& img) {
  int max = 0;
  for (int y = 0; y < img.height(); ++y) {
    const uint8_t* row = img.row(y);
    for (int x = 0; x < img.width(); ++x) max = std::max(max, PaletteIndexAt(row, x, img.bpp()));
  }
  return max;
}

bool HasAlpha(const Image& img) {
  for (int y = 0; y < img.height(); ++y) {
    const uint8_t* row = img.row(y);
    for (int x = 0; x < img.width(); ++x)
      if (row[4 * x + 3] != 0) return true;
  }
  return false;
}

void PlanIndexed(const Image& img, const SaveOptions& options, Plan* plan) {
  plan->bit_depth = img.bpp();
  if (img.gray() && IsGreyRamp(img)) {
    plan->color_type = PNG_COLOR_TYPE_GRAY;
    int index = img.transparent_index();
    if (options.use_transparent)
      index = NearestPaletteIndex(img.palette(), options.transparent_red, options.transparent_green,
                                  options.transparent_blue);
    if (index >= 0 && index < (1 << img.bpp())) {
      plan->has_key = true;
      plan->key.gray = static_cast<png_uint_16>(index);
    }
    return;
  }
  plan->color_type = PNG_COLOR_TYPE_PALETTE;
  std::vector<PaletteEntry> palette = img.palette();
  const size_t max = size_t{1} << img.bpp();
  if (palette.size() > max) palette.resize(max);
  // Readers refuse indices past the end of PLTE: cover every index in use.
  if (palette.size() < max) palette.resize(std::max(palette.size(), static_cast<size_t>(MaxIndex(img)) + 1));
  for (const PaletteEntry& e : palette) plan->palette.push_back(png_color{e.red, e.green, e.blue});
  int index = img.transparent_index();
  if (options.use_transparent && !img.palette().empty())
    index = NearestPaletteIndex(palette, options.transparent_red, options.transparent_green,
                                options.transparent_blue);
  if (index >= 0 && static_cast<size_t>(index) < palette.size()) {
    plan->alpha.assign(static_cast<size_t>(index) + 1, 255);
    plan->alpha[index] = 0;
  }
}

Result MakePlan(const Image& img, const SaveOptions& options, Plan* plan) {
  plan->image = &img;
  plan->interlace = options.interlace;
  plan->dpi_x = img.dpi_x();
  plan->dpi_y = img.dpi_y();
  plan->comment = !options.comment.empty() ? options.comment : img.comment();
  const auto key_rgb = (uint32_t{options.transparent_red} << 16) | (uint32_t{options.transparent_green} << 8) |
                       options.transparent_blue;
  switch (img.bpp()) {
    case 1:
    case 4:
    case 8: PlanIndexed(img, options, plan); break;
    case 16:
    case 24:
      plan->color_type = PNG_COLOR_TYPE_RGB;
      plan->rows = img.bpp() == 16 ? RowKind::kFrom16 : RowKind::kDirect;
      if (options.use_transparent) {
        plan->has_key = true;
        plan->key.red = options.transparent_red;
        plan->key.green = options.transparent_green;
        plan->key.blue = options.transparent_blue;
      }
      break;
    case 32:
      plan->color_type = PNG_COLOR_TYPE_RGB_ALPHA;
      // A picture whose alpha bytes are all 0 carries no alpha: write it opaque.
      plan->source_alpha = HasAlpha(img);
      if (options.use_transparent) {
        plan->rows = RowKind::kKeyed32;
        plan->key_rgb = key_rgb;
      } else {
        plan->rows = plan->source_alpha ? RowKind::kDirect : RowKind::kOpaque32;
      }
      break;
    default: return Result(Status::kUnsupported, "PNG cannot store this depth");
  }
  if (plan->rows != RowKind::kDirect) {
    try {
      plan->scratch.resize(static_cast<size_t>(img.width()) * (img.bpp() == 16 ? 3 : 4));
    } catch (...) {
      return Result(Status::kMemory, "out of memory");
    }
  }
  return Result::Ok();
}

// Row `y` in the layout libpng was told about (BGR order, swapped by libpng).
png_const_bytep RowFor(Plan* plan, int y) {
  const Image& img = *plan->image;
  const uint8_t* src = img.row(y);
  uint8_t* out = plan->scratch.data();
  const int w = img.width();
  switch (plan->rows) {
    case RowKind::kDirect: return src;
    case RowKind::kFrom16:
      for (int x = 0; x < w; ++x) {
        const unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
        const auto expand = [](unsigned v5) { return static_cast<uint8_t>((v5 << 3) | (v5 >> 2)); };
        out[3 * x] = expand(v & 31);
        out[3 * x + 1] = expand((v >> 5) & 31);
        out[3 * x + 2] = expand((v >> 10) & 31);
      }
      return out;
    case RowKind::kOpaque32:
      for (int x = 0; x < w; ++x) {
        std::memcpy(out + 4 * x, src + 4 * x, 3);
        out[4 * x + 3] = 255;
      }
      return out;
    case RowKind::kKeyed32:
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = src + 4 * x;
        const uint32_t rgb = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        std::memcpy(out + 4 * x, p, 3);
        out[4 * x + 3] = rgb == plan->key_rgb ? 0 : plan->source_alpha ? p[3] : 255;
      }
      return out;
  }
  return src;
}

// Every libpng call of the save; false after a libpng error.
bool WriteAll(Encoder* e, Plan* plan) {
  if (setjmp(png_jmpbuf(e->png))) return false;
  png_structp png = e->png;
  png_infop info = e->info;
  const Image& img = *plan->image;
  png_init_io(png, e->file());
  png_set_compression_buffer_size(png, kIdatChunkBytes);
  png_set_IHDR(png, info, static_cast<png_uint_32>(img.width()), static_cast<png_uint_32>(img.height()),
               plan->bit_depth, plan->color_type, plan->interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!plan->palette.empty())
    png_set_PLTE(png, info, plan->palette.data(), static_cast<int>(plan->palette.size()));
  if (!plan->alpha.empty())
    png_set_tRNS(png, info, plan->alpha.data(), static_cast<int>(plan->alpha.size()), nullptr);
  else if (plan->has_key)
    png_set_tRNS(png, info, nullptr, 0, &plan->key);
  if (plan->dpi_x > 0 && plan->dpi_y > 0)
    png_set_pHYs(png, info, static_cast<png_uint_32>(plan->dpi_x / 0.0254 + 0.5),
                 static_cast<png_uint_32>(plan->dpi_y / 0.0254 + 0.5), PNG_RESOLUTION_METER);
  png_text text{};
  if (!plan->comment.empty()) {
    const bool ascii = std::all_of(plan->comment.begin(), plan->comment.end(),
                                   [](char c) { return static_cast<uint8_t>(c) < 0x80; });
    const bool big = plan->comment.size() > kTextCompressAbove;
    text.key = const_cast<char*>("Comment");
    text.text = plan->comment.data();
    if (ascii) {
      text.compression = big ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
      text.text_length = plan->comment.size();
    } else {  // UTF-8 text needs iTXt
      text.compression = big ? PNG_ITXT_COMPRESSION_zTXt : PNG_ITXT_COMPRESSION_NONE;
      text.itxt_length = plan->comment.size();
      text.lang = const_cast<char*>("");
      text.lang_key = const_cast<char*>("");
    }
    png_set_text(png, info, &text, 1);
  }
  png_write_info(png, info);
  if ((plan->color_type & PNG_COLOR_MASK_COLOR) != 0 && plan->color_type != PNG_COLOR_TYPE_PALETTE) png_set_bgr(png);
  const int passes = plan->interlace ? png_set_interlace_handling(png) : 1;
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < img.height(); ++y) png_write_row(png, RowFor(plan, y));
  png_write_end(png, info);
  return true;
}

}  // namespace

Result PngSave(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  Plan plan;
  if (Result r = MakePlan(image, options, &plan); !r.ok()) return r;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return Result(Status::kCannotCreate, "cannot create " + path);
  Encoder e(f);
  if (!e.ready()) return Result(Status::kMemory, "cannot start libpng");
  if (!WriteAll(&e, &plan)) {
    const std::string message = e.state.message;
    if (message.find("memory") != std::string::npos) return Result(Status::kMemory, "PNG encode: " + message);
    return Result(Status::kCannotWrite, "PNG write failed: " + message);
  }
  if (!e.Close()) return Result(Status::kCannotWrite, "cannot write " + path);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal
