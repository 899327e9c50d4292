// libmv7rastovect.so: rendering a picture onto a background as a plain
// 24- or 32-bit raster: vector handles are painted at their size, raster
// handles have their alpha laid over the background.
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/internal/vector_route.h"
#include "imaging/dlls/mv7.h"
#include "imaging/ops/convert_depth.h"

using namespace mv7::internal;

namespace {

// True when some pixel of a 32-bit picture has a non-zero alpha: pictures
// without alpha carry 0 throughout and are opaque.
bool AlphaInUse(const imaging::Image& img) {
  for (int y = 0; y < img.height(); ++y) {
    const uint8_t* row = img.row(y);
    for (int x = 0; x < img.width(); ++x)
      if (row[x * 4 + 3] != 0) return true;
  }
  return false;
}

}  // namespace

extern "C" {

MV7_API MVHANDLE MVVectorToRaster(MVHANDLE handle, int32_t bit_count, int32_t mode, int32_t red, int32_t green,
                                  int32_t blue) {
  return Guarded<MVHANDLE>(0, [&]() -> MVHANDLE {
    if ((bit_count != 24 && bit_count != 32) || (mode != 0 && mode != 1)) return 0;
    if (red < 0 || red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255) return 0;
    {
      LockedBlock block(handle);
      if (VectorFacts v; ReadVectorBlock(block.data(), block.size(), &v))
        return RenderVectorBlock(v, bit_count, red, green, blue);
    }
    imaging::Image src;
    if (!ImageFromMvHandle(handle, &src).ok()) return 0;
    imaging::Image wide;
    if (!imaging::ops::ConvertDepth(src, &wide, imaging::ops::DepthCode::kTrue32).ok()) return 0;
    const bool blend = mode == 1 && src.bpp() == 32 && AlphaInUse(wide);
    imaging::Image out;
    if (!imaging::Image::Create(wide.width(), wide.height(), bit_count, &out).ok()) return 0;
    out.CopyMetadataFrom(src);
    out.set_gray(false);
    out.set_transparent_index(-1);
    const int background[3] = {blue, green, red};
    const int step = bit_count / 8;
    for (int y = 0; y < wide.height(); ++y) {
      const uint8_t* in = wide.row(y);
      uint8_t* to = out.row(y);
      for (int x = 0; x < wide.width(); ++x) {
        const uint8_t* p = in + x * 4;
        uint8_t* o = to + x * step;
        for (int c = 0; c < 3; ++c)
          o[c] = blend ? static_cast<uint8_t>((p[c] * p[3] + background[c] * (255 - p[3]) + 127) / 255) : p[c];
        if (step == 4) o[3] = blend ? 0 : p[3];
      }
    }
    return ImageToMvHandle(out);
  });
}

}  // extern "C"
