// The engine's small pixel routines.
#include "imaging/pixel_helpers.h"

#include <cstdint>

namespace imaging {

int NearestPaletteIndex(const uint8_t* rgbquads, size_t count, uint8_t r, uint8_t g, uint8_t b) {
  int best = 0;
  int best_d = INT32_MAX;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = rgbquads + i * 4;
    const int db = e[0] - b, dg = e[1] - g, dr = e[2] - r;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best_d) {
      best_d = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace imaging
