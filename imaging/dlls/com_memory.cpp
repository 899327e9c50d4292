// libmv7com.so: the global-memory entries over the engine's memory table.
// This library is the only one of the family that holds the table; the
// others reach it through these entries.
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/mv7.h"
#include "imaging/global_memory.h"

using mv7::internal::Guarded;
using mv7::internal::GuardedVoid;

extern "C" {

MV7_API MVHANDLE MVGlobalAlloc(size_t bytes) {
  return Guarded<MVHANDLE>(0, [&] { return bytes == 0 ? 0 : imaging::MemAlloc(bytes); });
}

MV7_API void* MVGlobalLock(MVHANDLE handle) {
  return Guarded<void*>(nullptr, [&] { return handle == 0 ? nullptr : imaging::MemLock(handle); });
}

MV7_API int32_t MVGlobalUnlock(MVHANDLE handle) {
  return Guarded<int32_t>(0, [&] { return handle != 0 && imaging::MemUnlock(handle) ? 1 : 0; });
}

MV7_API size_t MVGlobalSize(MVHANDLE handle) {
  return Guarded<size_t>(0, [&] { return handle == 0 ? size_t{0} : imaging::MemSize(handle); });
}

MV7_API int32_t MVGlobalFree(MVHANDLE handle) {
  return Guarded<int32_t>(0, [&] { return handle != 0 && imaging::MemFree(handle) ? 1 : 0; });
}

MV7_API size_t MVGlobalCount(void) {
  return Guarded<size_t>(0, [] { return imaging::MemCount(); });
}

MV7_API void MVFreeMemory(MVHANDLE handle) {
  GuardedVoid([&] {
    if (handle != 0) (void)imaging::MemFree(handle);
  });
}

}  // extern "C"
