#include "rvmelodyapi.h"

RvMelodyApi& RvMelodyApi::instance() {
  static RvMelodyApi api;
  return api;
}

void RvMelodyApi::bindExports() {
  bind(rvtVersion, "rvtVersion");
  bind(rvtMeloSupport, "rvtMeloSupport");
  bind(rvmReadMelo, "rvmReadMelo");
  bind(rvmMeloExport, "rvmMeloExport");
  bind(rvmMelo2String, "rvmMelo2String");
  bind(rvmModifyMelody, "rvmModifyMelody");
  bind(rvMVelo2iVol, "rvMVelo2iVol");
  bind(rviVol2MVelo, "rviVol2MVelo");
  bind(rvSetHostHooks, "rvSetHostHooks");
  bind(rvmReadBuffer, "rvmReadBuffer");
  bind(rvmCountNotes, "rvmCountNotes");
}
