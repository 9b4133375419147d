/* The lookup shared by every language library; the table comes from the generated
 * source of the language's text file (sorted by number, numbers unique). */
#include <string.h>

#include "pxlang.h"

typedef struct PxString {
  uint32_t id;
  const char* text;
} PxString;

extern const PxString kPxStrings[];
extern const uint32_t kPxStringCount;

static const char* findString(uint32_t id) {
  uint32_t lo = 0, hi = kPxStringCount;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (kPxStrings[mid].id == id) return kPxStrings[mid].text;
    if (kPxStrings[mid].id < id)
      lo = mid + 1;
    else
      hi = mid;
  }
  return NULL;
}

int32_t pxLoadString(uint32_t id, char* buffer, int32_t bufferSize) {
  if (buffer == NULL || bufferSize < 1) return 0;
  const char* text = findString(id);
  if (text == NULL) {
    buffer[0] = '\0';
    return 0;
  }
  size_t n = strlen(text);
  if (n > (size_t)bufferSize - 1) {
    n = (size_t)bufferSize - 1;
    /* Step back over continuation bytes so a cut never splits a character. */
    while (n > 0 && ((unsigned char)text[n] & 0xC0) == 0x80) --n;
  }
  memcpy(buffer, text, n);
  buffer[n] = '\0';
  return (int32_t)n;
}
