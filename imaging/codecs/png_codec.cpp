// Placeholder until the Png reader and writer land: recognises nothing.
#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {

const FormatCodec& PngCodec() {
  static const FormatCodec codec{};
  return codec;
}

}  // namespace imaging::codecs::internal
