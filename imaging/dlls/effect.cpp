// libmv7effect.so: effects are the imaging control's job; the entry is
// bound by name and reports failure.
#include "imaging/dlls/mv7.h"

extern "C" {

MV7_API MVHANDLE MVEffectApply(MVHANDLE, int32_t, int32_t) { return 0; }

}  // extern "C"
