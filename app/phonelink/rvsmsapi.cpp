#include "rvsmsapi.h"

RvSmsApi& RvSmsApi::instance() {
  static RvSmsApi api;
  return api;
}

void RvSmsApi::bindExports() {
  bind(rvPduVersion, "rvPduVersion");
  bind(Ansi2UniLong, "Ansi2UniLong");
  bind(rvMakeUniPduData, "rvMakeUniPduData");
  bind(rvMakeSubmitPDU, "rvMakeSubmitPDU");
  bind(rvConvertString, "rvConvertString");
  bind(rvMake7BitPduData, "rvMake7BitPduData");
  bind(rvConvert27BitGSM, "rvConvert27BitGSM");
  bind(rvMakeSubmitParts, "rvMakeSubmitParts");
}
