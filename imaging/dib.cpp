// Placeholder until packed DIB conversion lands.
#include "imaging/dib.h"

namespace imaging {

size_t PackedDibSize(const Image&) { return 0; }
Result WritePackedDib(const Image&, uint8_t*, size_t) { return Result(Status::kUnsupported); }
Result ToPackedDib(const Image&, std::vector<uint8_t>*) { return Result(Status::kUnsupported); }
Result FromPackedDib(const uint8_t*, size_t, Image*) { return Result(Status::kUnsupported); }

}  // namespace imaging
