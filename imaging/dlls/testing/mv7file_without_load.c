/* A libmv7file.so that exports MVFileType but not MVFileLoad, so binding
 * tests can check that a missing entry stops every picture load.  Its
 * MVFileType claims every file, which a guarded binder must never ask. */
#include <stdint.h>

#define STUB_API __attribute__((visibility("default")))

STUB_API int32_t MVFileType(const char* file, int32_t index, void* info) {
  (void)file;
  (void)index;
  (void)info;
  return 1;
}

STUB_API int32_t GetFileExt(const char* path, char* ext, int32_t size) {
  (void)path;
  if (ext == 0 || size < 4) return 0;
  ext[0] = 'S';
  ext[1] = 'T';
  ext[2] = 'B';
  ext[3] = '\0';
  return 3;
}
