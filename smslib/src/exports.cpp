// The seven C exports: argument checks first, then one guarded body each.
#include "rvsms.h"

extern "C" {

RVSMS_API int32_t rvPduVersion(int32_t* major, int32_t* minor, int32_t* build, int32_t* revision) {
  if (!major || !minor || !build || !revision) return RVSMS_EMPTY;
  *major = 1;
  *minor = 1;
  *build = 2;
  *revision = 1;
  return RVSMS_OK;
}

}  // extern "C"
