// libmv7scan.so: scanning is the imaging control's job (over SANE); the
// entries of this library are bound by name but report that no scanner is
// served here.
#include "imaging/dlls/mv7.h"

extern "C" {

MV7_API int32_t MVScanSelectSource(void) { return -1; }
MV7_API MVHANDLE MVScanAcquire(int32_t) { return 0; }

}  // extern "C"
