// Writes a test picture with the engine's encoders:
//   mv7_make_picture <path> <png|bmp|jpeg> <width> <height>
// Pixel (x, y) is red = x * 40 mod 256, green = y * 40 mod 256, blue = 128
// (the pattern testing/c_abi_test.c checks).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/codecs/codec.h"
#include "imaging/image.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s <path> <png|bmp|jpeg> <width> <height>\n", argv[0]);
    return 2;
  }
  const int width = std::atoi(argv[3]);
  const int height = std::atoi(argv[4]);
  imaging::Image img;
  if (!imaging::Image::Create(width, height, 24, &img).ok()) return 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      img.SetPixelRgb(x, y, static_cast<uint32_t>((x * 40) % 256) << 16 | static_cast<uint32_t>((y * 40) % 256) << 8 | 128);
  imaging::codecs::SaveOptions options;
  if (std::strcmp(argv[2], "png") == 0) options.type = imaging::codecs::SaveType::kPng;
  else if (std::strcmp(argv[2], "jpeg") == 0) options.type = imaging::codecs::SaveType::kJpeg;
  else options.type = imaging::codecs::SaveType::kWorkBmp;
  const imaging::Result r = imaging::codecs::Save(img, argv[1], options);
  if (!r.ok()) {
    std::fprintf(stderr, "save failed: %d %s\n", r.number(), r.message().c_str());
    return 1;
  }
  return 0;
}
