// SXF drawings (P21 and SFC).
#include "imaging/vector/readers.h"

namespace imaging::vector {

Result ReadSxf(const uint8_t* data, size_t size, Drawing* out) {
  if (data == nullptr || out == nullptr || size == 0) return Result(Status::kBadValue, "no data");
  return Result(Status::kUnsupported, "SXF drawings are not read yet");
}

}  // namespace imaging::vector
