/* Loads a picture through the C entries alone and reads it in place:
 *   mv7_c_abi_test <picture written by mv7_make_picture>
 * Exits 0 when every check holds. */
#include <stdio.h>
#include <string.h>

#include "imaging/dlls/mv7.h"

static int failures = 0;
#define CHECK(cond)                                               \
  do {                                                            \
    if (!(cond)) {                                                \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                 \
    }                                                             \
  } while (0)

static int32_t read_i32(const unsigned char* p) {
  int32_t v;
  memcpy(&v, p, 4);
  return v;
}
static int16_t read_i16(const unsigned char* p) {
  int16_t v;
  memcpy(&v, p, 2);
  return v;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const char* path = argv[1];

  /* The info record read by byte offset, as a caller of another language would. */
  unsigned char info[sizeof(MVFileInfo)];
  memset(info, 0xAB, sizeof info);
  CHECK(MVFileType(path, 0, (MVFileInfo*)info) != 0);
  CHECK(read_i32(info + 0) == 37);
  CHECK(read_i32(info + 4) == 21);
  CHECK(read_i16(info + 28) == MV_FORMAT_PNG);
  CHECK(read_i16(info + 32) == 1);
  CHECK(MVFileType(path, 1, (MVFileInfo*)info) == 0);

  MVHANDLE h = MVFileLoad(path, 0, 0, 0, 0, 0, 0, 0);
  CHECK(h != 0);
  if (h == 0) return 1;
  const unsigned char* block = (const unsigned char*)MVGlobalLock(h);
  CHECK(block != NULL);
  if (block != NULL) {
    MVBITMAPINFOHEADER bi;
    memcpy(&bi, block, sizeof bi);
    CHECK(bi.biSize == 40);
    CHECK(bi.biWidth == 37);
    CHECK(bi.biHeight == 21);
    CHECK(bi.biBitCount == 24);
    const size_t stride = ((size_t)bi.biWidth * 3 + 3) / 4 * 4;
    CHECK(MVGlobalSize(h) >= 40 + stride * (size_t)bi.biHeight);
    /* Rows are bottom-up: picture row y is stored at row height-1-y. */
    int mismatches = 0;
    for (int y = 0; y < bi.biHeight; ++y) {
      const unsigned char* row = block + 40 + stride * (size_t)(bi.biHeight - 1 - y);
      for (int x = 0; x < bi.biWidth; ++x) {
        const unsigned char* px = row + x * 3;
        if (px[0] != 128 || px[1] != (y * 40) % 256 || px[2] != (x * 40) % 256) ++mismatches;
      }
    }
    CHECK(mismatches == 0);
    CHECK(MVGlobalUnlock(h) != 0);
  }
  MVFreeMemory(h);
  CHECK(MVGlobalLock(h) == NULL); /* a freed handle is refused */
  CHECK(MVGlobalFree(h) == 0);

  if (failures == 0) printf("c abi: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
