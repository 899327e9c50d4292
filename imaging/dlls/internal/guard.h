// File: imaging/dlls/internal/guard.h
//
// Helpers every exported entry of the imaging libraries uses: a catch-all
// so no exception crosses the C boundary, and the path length rule.
//
//   return Guarded<int32_t>(0, [&] { ...; return 1; });
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "imaging/dlls/mv7.h"

namespace mv7::internal {

// Guarded() runs `body` and returns its result, or `failure` when it throws.
template <typename T, typename F>
T Guarded(T failure, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <typename F>
void GuardedVoid(F&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// PathFits() is true for a non-null text shorter than MV_MAX_PATH bytes.
// Longer paths are refused by every entry instead of being cut short.
inline bool PathFits(const char* path) {
  return path != nullptr && ::strnlen(path, MV_MAX_PATH) < MV_MAX_PATH;
}

// CopyOut() copies `text` and its NUL into `out` of `size` bytes; false
// (and `out` untouched) when it does not fit.
inline bool CopyOut(const std::string& text, char* out, size_t size) {
  if (out == nullptr || text.size() + 1 > size) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace mv7::internal
