// libmv7com.so: describing and resizing image handles.
#include "imaging/dlls/internal/dib_header.h"
#include "imaging/dlls/internal/vector_handle.h"
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/internal/resample.h"
#include "imaging/dlls/mv7.h"

using mv7::internal::Guarded;
using mv7::internal::ImageFromMvHandle;
using mv7::internal::ImageToMvHandle;

extern "C" {

MV7_API int32_t MVGetImageType(MVHANDLE handle, MVImageType* info) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (info == nullptr) return 0;
    mv7::internal::LockedBlock block(handle);
    if (mv7::internal::VectorFacts v; mv7::internal::ReadVectorBlock(block.data(), block.size(), &v)) {
      MVImageType t{};
      t.sizing = MV_SIZING_RESAMPLE;
      t.kind = MV_KIND_VECTOR;
      t.width = v.width;
      t.height = v.height;
      t.bit_count = 24;  // what MVVectorToRaster makes by default
      t.x_dpi = 96;
      t.y_dpi = 96;
      *info = t;
      return 1;
    }
    mv7::internal::DibFacts f;
    if (!mv7::internal::ReadDibHeader(block.data(), block.size(), &f)) return 0;
    MVImageType t{};
    t.sizing = f.bpp <= 8 ? MV_SIZING_DIRECT : MV_SIZING_RESAMPLE;
    t.kind = MV_KIND_RASTER;
    t.width = f.width;
    t.height = f.height;
    t.bit_count = f.bpp;
    t.colors = f.colors;
    t.x_dpi = f.x_dpi;
    t.y_dpi = f.y_dpi;
    *info = t;
    return 1;
  });
}

MV7_API MVHANDLE MVResize(MVHANDLE* pair, int32_t width, int32_t height, int32_t mode, int32_t, int32_t, int32_t,
                          int32_t) {
  return Guarded<MVHANDLE>(0, [&]() -> MVHANDLE {
    if (pair == nullptr || pair[1] != 0 || (mode != 0 && mode != 1)) return 0;
    if (!mv7::internal::ValidSize(width, height)) return 0;
    imaging::Image src;
    if (!ImageFromMvHandle(pair[0], &src).ok()) return 0;
    imaging::Image dst;
    const imaging::Result r = mode == 1 ? mv7::internal::ResampleSmooth(src, width, height, &dst)
                                        : mv7::internal::ResampleNearest(src, width, height, &dst);
    return r.ok() ? ImageToMvHandle(dst) : 0;
  });
}

MV7_API MVHANDLE SetImageSize(MVHANDLE handle, int32_t width, int32_t height) {
  const MVHANDLE result = Guarded<MVHANDLE>(0, [&]() -> MVHANDLE {
    if (!mv7::internal::ValidSize(width, height)) return 0;
    imaging::Image src;
    if (!ImageFromMvHandle(handle, &src).ok()) return 0;
    imaging::Image dst;
    const imaging::Result r = src.bpp() <= 8 ? mv7::internal::ResampleNearest(src, width, height, &dst)
                                             : mv7::internal::ResampleSmooth(src, width, height, &dst);
    return r.ok() ? ImageToMvHandle(dst) : 0;
  });
  MVFreeMemory(handle);  // the handle is ours in every case
  return result;
}

}  // extern "C"
