// File: imaging/codecs/internal/jpeg_frame.h
//
// The facts of a JPEG picture (size, components, JFIF density, the EXIF
// block) read straight from the marker segments before the first scan,
// without starting a libjpeg decompressor: recognising the pictures of a
// large folder reads thousands of headers.  Private to imaging/codecs.
//
// Only headers of the plain, well-formed kind are read here; anything else
// (another frame type, a damaged or unusual segment, stray bytes) is left
// to libjpeg, which gives the verdict and the message:
//
//   JpegFrame f;
//   if (!JpegReadFrame(data, size, &f)) ... read the header with libjpeg ...
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::codecs::internal {

struct JpegFrame {
  int width = 0;
  int height = 0;
  int components = 0;
  // The last JFIF APP0 segment's density, as libjpeg keeps it.
  bool jfif = false;
  int density_unit = 0;
  int x_density = 0;
  int y_density = 0;
  // The payload of the first APP1 segment starting "Exif\0\0" (from those
  // six bytes on), pointing into the data; null when there is none.
  const uint8_t* exif = nullptr;
  size_t exif_size = 0;
};

// JpegReadFrame() walks the segments of `data` from its start-of-image
// marker to the first scan header.  True, with `*out` filled, only when
// every segment on the way is one libjpeg's header reading is known to
// accept as it stands: a baseline, extended or progressive frame of 8-bit
// samples with 1 to 4 components, complete quantisation and Huffman
// tables, a restart interval, application and comment segments, and a scan
// header naming the frame's components in order.  False for anything else,
// good or bad: libjpeg must then read the header.
bool JpegReadFrame(const uint8_t* data, size_t size, JpegFrame* out);

}  // namespace imaging::codecs::internal
