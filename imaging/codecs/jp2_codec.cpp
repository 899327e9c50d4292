// File: imaging/codecs/jp2_codec.cpp
//
// JPEG 2000 through openjpeg: JP2 files (box signature) and bare J2K/JPC
// code streams (SOC + SIZ markers).  Reading decodes from memory; 1 to 4
// components (grey, grey + alpha, RGB, RGBA; sYCC converted), any precision
// scaled to 8 bits, sub-sampled components up-sampled by repetition.  A
// bounded load asks openjpeg for a reduced resolution level that still
// covers the bound.  Writing takes grey palettes as one component and
// everything else as RGB; lossless uses the reversible 5/3 wavelet, lossy
// the 9/7 wavelet at `jp2_rate` times the lossless size.
//
//   const FormatCodec& jp2 = Jp2Codec();
//   if (jp2.sniff(data, size)) r = jp2.load(data, size, {}, &img);
#include "imaging/codecs/jp2_internal.h"
#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {

const FormatCodec& Jp2Codec() {
  static const FormatCodec codec{FileFormat::kJp2, &Jp2Sniff, &Jp2ReadInfo, &Jp2Load, &Jp2Save};
  return codec;
}

}  // namespace imaging::codecs::internal
