// Placeholder until the Jp2 reader and writer land: recognises nothing.
#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {

const FormatCodec& Jp2Codec() {
  static const FormatCodec codec{};
  return codec;
}

}  // namespace imaging::codecs::internal
