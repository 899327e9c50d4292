// Placeholder until the Fpx reader and writer land: recognises nothing.
#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {

const FormatCodec& FpxCodec() {
  static const FormatCodec codec{};
  return codec;
}

}  // namespace imaging::codecs::internal
