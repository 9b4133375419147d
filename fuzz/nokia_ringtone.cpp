// The application's reader of Nokia ringtones (binary or hex, with or without header).
#include "files/nokiaringtone.h"
#include "phone_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return checkPhoneReader(readNokiaRingtone, "nokia", data, size);
}
