// libmv7print.so: printing is the imaging control's job; these entries are
// bound by name and report failure.
#include "imaging/dlls/mv7.h"

extern "C" {

MV7_API int32_t MVPrintImage(MVHANDLE, int32_t) { return 0; }
MV7_API int32_t MVPrintSetup(void) { return 0; }

}  // extern "C"
