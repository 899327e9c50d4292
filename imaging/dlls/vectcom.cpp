// libmv7vectcom.so: start and end of vector drawing.  A live token holds a
// render session (painting text needs a GUI application object, which the
// session makes off-screen in programs that have none); the token pairs
// each start with its end and catches an end given a token it never handed
// out.
#include <mutex>
#include <set>

#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/mv7.h"
#include "imaging/vector/render_session.h"

using namespace mv7::internal;

namespace {
std::mutex g_mutex;
std::set<uint32_t> g_live;
uint32_t g_next = 1;
}  // namespace

extern "C" {

MV7_API uint32_t MVVectorGdipStart(void) {
  return Guarded<uint32_t>(0, []() -> uint32_t {
    std::lock_guard<std::mutex> lock(g_mutex);
    do {
      if (g_next == 0) g_next = 1;
    } while (g_live.count(g_next++) != 0);
    const uint32_t token = g_next - 1;
    g_live.insert(token);
    imaging::vector::AcquireRenderSession();
    return token;
  });
}

MV7_API int32_t MVVectorGdipEnd(uint32_t token) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_live.erase(token) == 0) return 0;
    imaging::vector::ReleaseRenderSession();
    return 1;
  });
}

}  // extern "C"
