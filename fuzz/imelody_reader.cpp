// The application's reader of iMelody files.
#include "files/imelodyreader.h"
#include "phone_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return checkPhoneReader(readIMelody, "imelody", data, size);
}
