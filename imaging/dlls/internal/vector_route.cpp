// Vector files through the imaging library family.
#include "imaging/dlls/internal/vector_route.h"

#include <string>

#include "imaging/dlls/internal/handles.h"
#include "imaging/vector/render.h"
#include "imaging/vector/vector_file.h"

namespace mv7::internal {
namespace {

using imaging::vector::VectorFormat;

int16_t FormatCode(VectorFormat f) {
  switch (f) {
    case VectorFormat::kWmf: return MV_FORMAT_WMF;
    case VectorFormat::kEmf: return MV_FORMAT_EMF;
    case VectorFormat::kDxf: return MV_FORMAT_DXF;
    case VectorFormat::kSvg: return MV_FORMAT_SVG;
    case VectorFormat::kSxfP21: return MV_FORMAT_P21;
    case VectorFormat::kSxfSfc: return MV_FORMAT_SFC;
    case VectorFormat::kUnknown: break;
  }
  return 0;
}

}  // namespace

bool VectorFileType(const char* file, int32_t index, MVFileInfo* info, int32_t* result) {
  if (!imaging::vector::IsVectorFile(file)) return false;
  *result = 0;
  imaging::vector::VectorInfo vi;
  if (index != 0 || !imaging::vector::ReadVectorInfo(file, &vi).ok()) return true;
  MVFileInfo out{};
  out.width = vi.width;
  out.height = vi.height;
  out.bit_count = 24;
  out.x_dpi = 96;
  out.y_dpi = 96;
  out.image_index = 0;
  out.format = FormatCode(vi.format);
  out.kind = MV_KIND_VECTOR;
  out.image_count = 1;
  *info = out;
  *result = 1;
  return true;
}

bool VectorFileLoad(const char* file, int32_t index, int32_t max_width, int32_t max_height, MVHANDLE* result) {
  if (!imaging::vector::IsVectorFile(file)) return false;
  *result = 0;
  if (index != 0) return true;
  std::string bytes;
  if (!imaging::vector::ReadFileBytes(file, &bytes).ok()) return true;
  imaging::vector::Drawing d;
  VectorFormat format = VectorFormat::kUnknown;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  if (!imaging::vector::LoadDrawing(data, bytes.size(), &d, &format).ok()) return true;
  int w = 0, h = 0;
  imaging::vector::FitSize(d.natural_width(), d.natural_height(), max_width, max_height, &w, &h);
  *result = MakeVectorHandle(FormatCode(format), w, h, data, bytes.size());
  return true;
}

MVHANDLE RenderVectorBlock(const VectorFacts& facts, int32_t bit_count, int32_t red, int32_t green, int32_t blue) {
  imaging::vector::Drawing d;
  if (!imaging::vector::LoadDrawing(facts.bytes, facts.size, &d).ok()) return 0;
  imaging::vector::RenderOptions o;
  o.width = facts.width;
  o.height = facts.height;
  o.bpp = bit_count;
  o.background = {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue), 255};
  imaging::Image img;
  if (!imaging::vector::RenderDrawing(d, o, &img).ok()) return 0;
  return ImageToMvHandle(img);
}

}  // namespace mv7::internal
