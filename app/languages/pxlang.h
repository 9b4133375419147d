/* The one export of a Pealix language library (pxde.so, pxen.so, pxfr.so, pxres.so).
 *
 * pxLoadString copies string number id (UTF-8) into buffer: at most bufferSize - 1 bytes,
 * cut before an incomplete UTF-8 character, followed by a NUL. Returns the number of bytes
 * copied without the NUL; 0 when the table has no such string (or it is empty), when
 * buffer is NULL or when bufferSize is below 1 (nothing written then). */
#ifndef PXLANG_H
#define PXLANG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PXLANG_EXPORT_NAME "pxLoadString"

typedef int32_t (*PxLoadStringFn)(uint32_t id, char* buffer, int32_t bufferSize);

#if defined(PXLANG_BUILD)
__attribute__((visibility("default")))
#endif
int32_t
pxLoadString(uint32_t id, char* buffer, int32_t bufferSize);

#ifdef __cplusplus
}
#endif

#endif /* PXLANG_H */
