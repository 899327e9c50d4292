// Placeholder until the global memory stand-in lands.
#include "imaging/global_memory.h"

namespace imaging {

MemHandle MemAlloc(size_t) { return 0; }
void* MemLock(MemHandle) { return nullptr; }
bool MemUnlock(MemHandle) { return false; }
size_t MemSize(MemHandle) { return 0; }
bool MemFree(MemHandle) { return false; }
MemHandle MemDuplicate(MemHandle) { return 0; }
MemHandle ImageToHandle(const Image&) { return 0; }
Result ImageFromHandle(MemHandle, Image*) { return Result(Status::kUnsupported); }

}  // namespace imaging
