#include "imaging/image.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace imaging {
namespace {

// Blocks from this size up are mapped on their own, in whole huge pages.
// Address-sanitised builds keep every block on the heap, where overruns
// are caught.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define IMAGING_HEAP_ONLY 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define IMAGING_HEAP_ONLY 1
#endif
constexpr size_t kHugePage = size_t{2} << 20;
#ifdef IMAGING_HEAP_ONLY
constexpr size_t kLargeBlock = SIZE_MAX;
#else
constexpr size_t kLargeBlock = kHugePage;
#endif
// What is kept of freed large blocks for reuse.
constexpr int kKeptBlocks = 4;
constexpr size_t kKeptLimit = size_t{256} << 20;

struct KeptBlock {
  uint8_t* data = nullptr;
  size_t mapped = 0;
  uint64_t age = 0;  // higher is freed later
};

struct Keeper {
  std::mutex mutex;
  KeptBlock blocks[kKeptBlocks];
  uint64_t clock = 0;
};

Keeper& keeper() {
  static Keeper* k = new Keeper;  // never destroyed: pictures may be freed during exit
  return *k;
}

size_t RoundToHugePages(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

// MapBlock() maps `mapped` bytes (a multiple of kHugePage) aligned to a huge
// page, so the kernel can back it with huge pages: one fault per 2 MiB
// instead of one per 4 KiB.  The pages read as zero.
uint8_t* MapBlock(size_t mapped) {
  const size_t span = mapped + kHugePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (begin + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  const size_t head = aligned - begin;
  const size_t tail = span - head - mapped;
  if (head != 0) ::munmap(raw, head);
  if (tail != 0) ::munmap(reinterpret_cast<void*>(aligned + mapped), tail);
  auto* p = reinterpret_cast<uint8_t*>(aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(p, mapped, MADV_HUGEPAGE);
#endif
  return p;
}

// TakeKept() hands out a kept block of `mapped` bytes or a little more
// (a quarter at most), nullptr when none fits.
uint8_t* TakeKept(size_t mapped, size_t* got) {
  Keeper& k = keeper();
  std::lock_guard<std::mutex> lock(k.mutex);
  KeptBlock* best = nullptr;
  for (KeptBlock& b : k.blocks)
    if (b.data != nullptr && b.mapped >= mapped && b.mapped - mapped <= mapped / 4 &&
        (best == nullptr || b.mapped < best->mapped))
      best = &b;
  if (best == nullptr) return nullptr;
  uint8_t* p = best->data;
  *got = best->mapped;
  *best = KeptBlock{};
  return p;
}

// KeepOrUnmap() keeps a freed block in place of the oldest one when it fits
// the limit, else unmaps it.
void KeepOrUnmap(uint8_t* data, size_t mapped) {
  uint8_t* drop[kKeptBlocks + 1] = {};
  size_t drop_size[kKeptBlocks + 1] = {};
  int drops = 0;
  {
    Keeper& k = keeper();
    std::lock_guard<std::mutex> lock(k.mutex);
    if (mapped <= kKeptLimit) {
      KeptBlock* slot = &k.blocks[0];
      for (KeptBlock& b : k.blocks)
        if (b.data == nullptr || (slot->data != nullptr && b.age < slot->age)) slot = &b;
      if (slot->data != nullptr) {
        drop[drops] = slot->data;
        drop_size[drops++] = slot->mapped;
      }
      *slot = KeptBlock{data, mapped, ++k.clock};
      // Older blocks go until the kept total fits the limit.
      size_t total = 0;
      for (const KeptBlock& b : k.blocks) total += b.mapped;
      while (total > kKeptLimit) {
        KeptBlock* oldest = nullptr;
        for (KeptBlock& b : k.blocks)
          if (b.data != nullptr && b.data != data && (oldest == nullptr || b.age < oldest->age)) oldest = &b;
        if (oldest == nullptr) break;
        total -= oldest->mapped;
        drop[drops] = oldest->data;
        drop_size[drops++] = oldest->mapped;
        *oldest = KeptBlock{};
      }
    } else {
      drop[drops] = data;
      drop_size[drops++] = mapped;
    }
  }
  for (int i = 0; i < drops; ++i) ::munmap(drop[i], drop_size[i]);
}

}  // namespace

PixelBuffer::PixelBuffer(const PixelBuffer& other) {
  if (other.size_ == 0) return;
  if (!Allocate(other.size_, false)) throw std::bad_alloc();
  std::memcpy(data_, other.data_, size_);
}

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other) {
  if (this != &other) {
    PixelBuffer copy(other);
    *this = std::move(copy);
  }
  return *this;
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), mapped_(other.mapped_) {
  other.data_ = nullptr;
  other.size_ = 0;
  other.mapped_ = 0;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
  if (this != &other) {
    Reset();
    data_ = other.data_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.mapped_ = 0;
  }
  return *this;
}

bool PixelBuffer::Allocate(size_t size, bool zeroed) {
  Reset();
  if (size == 0) return true;
  if (size < kLargeBlock) {
    data_ = static_cast<uint8_t*>(zeroed ? std::calloc(size, 1) : std::malloc(size));
    if (data_ == nullptr) return false;
    size_ = size;
    return true;
  }
  if (size > SIZE_MAX - 2 * kHugePage) return false;
  const size_t want = RoundToHugePages(size);
  size_t got = 0;
  if (uint8_t* kept = TakeKept(want, &got)) {
    // A reused block holds its last contents; a fresh mapping reads as zero.
    if (zeroed) std::memset(kept, 0, size);
    data_ = kept;
    mapped_ = got;
  } else {
    data_ = MapBlock(want);
    if (data_ == nullptr) {
      // Mappings may be refused while kept blocks still hold memory.
      ReleaseKept();
      data_ = MapBlock(want);
    }
    if (data_ == nullptr) return false;
    mapped_ = want;
  }
  size_ = size;
  return true;
}

void PixelBuffer::Reset() {
  if (data_ != nullptr) {
    if (mapped_ != 0) KeepOrUnmap(data_, mapped_);
    else std::free(data_);
  }
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}

void PixelBuffer::ReleaseKept() {
  KeptBlock gone[kKeptBlocks];
  {
    Keeper& k = keeper();
    std::lock_guard<std::mutex> lock(k.mutex);
    for (int i = 0; i < kKeptBlocks; ++i) {
      gone[i] = k.blocks[i];
      k.blocks[i] = KeptBlock{};
    }
  }
  for (const KeptBlock& b : gone)
    if (b.data != nullptr) ::munmap(b.data, b.mapped);
}

size_t PixelBuffer::KeptBytes() {
  Keeper& k = keeper();
  std::lock_guard<std::mutex> lock(k.mutex);
  size_t total = 0;
  for (const KeptBlock& b : k.blocks) total += b.mapped;
  return total;
}

Result CheckPictureSize(int64_t width, int64_t height, const char* what) {
  if (width < 1 || height < 1) return Result(Status::kBroken, std::string(what) + ": picture has no size");
  if (!PictureSizeAllowed(width, height))
    return Result(Status::kMemory, std::string(what) + ": " + std::to_string(width) + " x " + std::to_string(height) +
                                       " pixels exceed the engine's picture size limit");
  return Result::Ok();
}

size_t Image::RowBytes(int width, int bpp) {
  return ((static_cast<size_t>(width) * static_cast<size_t>(bpp) + 31) / 32) * 4;
}

Result Image::Create(int width, int height, int bpp, Image* out) { return Make(width, height, bpp, true, out); }

Result Image::CreateUninitialized(int width, int height, int bpp, Image* out) {
  return Make(width, height, bpp, false, out);
}

Result Image::Make(int width, int height, int bpp, bool zeroed, Image* out) {
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    return Result(Status::kBadValue, "unsupported bit depth");
  if (width < 1 || height < 1) return Result(Status::kBadValue, "empty picture size");
  if (width > kMaxDimension || height > kMaxDimension)
    return Result(Status::kMemory, "picture side exceeds the engine's limit");
  if (int64_t{width} * height > kMaxPixels) return Result(Status::kMemory, "picture area exceeds the engine's limit");
  const size_t stride = RowBytes(width, bpp);
  const uint64_t bytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (bytes > kMaxPixelBytes) return Result(Status::kMemory, "picture exceeds the engine's memory limit");

  Image img;
  if (!img.pixels_.Allocate(static_cast<size_t>(bytes), zeroed)) return Result(Status::kMemory, "out of memory");
  img.width_ = width;
  img.height_ = height;
  img.bpp_ = bpp;
  img.stride_ = stride;
  if (!zeroed) {
    // Row padding is never written by decoders; it stays zero as in Create().
    const size_t used = static_cast<size_t>(width) * static_cast<size_t>(bpp) / 8;
    if (used < stride)
      for (int y = 0; y < height; ++y) std::memset(img.row(y) + used, 0, stride - used);
  }
  if (bpp <= 8) {
    const int n = 1 << bpp;
    img.palette_.resize(n);
    for (int i = 0; i < n; ++i) {
      const uint8_t v = static_cast<uint8_t>(i * 255 / (n - 1));
      img.palette_[i] = PaletteEntry{v, v, v, 0};
    }
  }
  *out = std::move(img);
  return Result::Ok();
}

uint32_t Image::PixelRgb(int x, int y) const {
  const uint8_t* p = row(y);
  auto from_palette = [this](int index) -> uint32_t {
    if (index < 0 || index >= static_cast<int>(palette_.size())) return 0;
    const PaletteEntry& e = palette_[index];
    return (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
  };
  switch (bpp_) {
    case 1: return from_palette((p[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return from_palette((x & 1) ? (p[x >> 1] & 0x0F) : (p[x >> 1] >> 4));
    case 8: return from_palette(p[x]);
    case 16: {
      const uint16_t w = static_cast<uint16_t>(p[2 * x] | (p[2 * x + 1] << 8));
      auto expand = [](uint32_t v5) { return (v5 << 3) | (v5 >> 2); };
      return (expand((w >> 10) & 31) << 16) | (expand((w >> 5) & 31) << 8) | expand(w & 31);
    }
    case 24: return (uint32_t{p[3 * x + 2]} << 16) | (uint32_t{p[3 * x + 1]} << 8) | p[3 * x];
    case 32: return (uint32_t{p[4 * x + 2]} << 16) | (uint32_t{p[4 * x + 1]} << 8) | p[4 * x];
    default: return 0;
  }
}

void Image::SetPixelRgb(int x, int y, uint32_t rgb) {
  uint8_t* p = row(y);
  const uint8_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  switch (bpp_) {
    case 16: {
      const uint16_t w = static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      p[2 * x] = w & 0xFF;
      p[2 * x + 1] = w >> 8;
      break;
    }
    case 24: p[3 * x] = b; p[3 * x + 1] = g; p[3 * x + 2] = r; break;
    case 32: p[4 * x] = b; p[4 * x + 1] = g; p[4 * x + 2] = r; break;
    default: break;
  }
}

void Image::CopyMetadataFrom(const Image& other) {
  gray_ = other.gray_;
  dpi_x_ = other.dpi_x_;
  dpi_y_ = other.dpi_y_;
  transparent_index_ = other.transparent_index_;
  comment_ = other.comment_;
}

bool Image::IsGrayPalette() const {
  if (palette_.empty()) return false;
  for (const PaletteEntry& e : palette_)
    if (e.red != e.green || e.green != e.blue) return false;
  return true;
}

}  // namespace imaging
