// libFuzzer target: the reader of SXF drawings (P21 and SFC) into the
// vector drawing model.
#include <cstddef>
#include <cstdint>

#include "imaging/vector/readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  imaging::vector::Drawing drawing;
  (void)imaging::vector::ReadSxf(data, size, &drawing);
  return 0;
}
