// libFuzzer target: any vector file detected, read and painted small, so
// the renderer meets whatever the readers let through (huge and odd
// coordinates, clip chains, embedded pictures, text).
#include <cstddef>
#include <cstdint>

#include "imaging/vector/render.h"
#include "imaging/vector/render_session.h"
#include "imaging/vector/vector_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static imaging::vector::RenderSession session;  // one off-screen application for the run
  imaging::vector::Drawing drawing;
  if (!imaging::vector::LoadDrawing(data, size, &drawing).ok()) return 0;
  imaging::vector::RenderOptions options;
  options.width = 48;
  options.height = 32;
  imaging::Image img;
  (void)imaging::vector::RenderDrawing(drawing, options, &img);
  return 0;
}
