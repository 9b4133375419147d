// Binds the exports of librvsms.so by name, from the application directory, the first
// time they are needed. A missing library or export is an error text, not a crash.
#pragma once

#include <QString>

#include "melody/librarybinding.h"

#include "rvsms.h"

class RvSmsApi : public LibraryBinding {
 public:
  using VersionFn = int32_t (*)(int32_t*, int32_t*, int32_t*, int32_t*);
  using Ansi2UniFn = int32_t (*)(int32_t, int32_t);
  using UniPduFn = int32_t (*)(const char*, int32_t, char*, int32_t*, int32_t, int32_t, int32_t);
  using SubmitFn = int32_t (*)(const char*, int32_t, unsigned char*, int32_t*, const AddressParam*,
                               const AddressParam*, const SubmitParams*, int32_t*);
  using ConvertFn = int32_t (*)(const char*, int32_t, unsigned char*, int32_t*, int32_t, int32_t);
  using PartsFn = int32_t (*)(const char*, int32_t, const AddressParam*, const AddressParam*,
                              const SubmitParams*, int32_t, unsigned char*, int32_t*, int32_t*,
                              int32_t*, int32_t, SubmitPartsInfo*);
  using Make7BitFn = int32_t (*)(const char*, int32_t, unsigned char*, int32_t*, int32_t, int32_t*,
                                 int32_t);

  // The process-wide binding; loads on first use.
  static RvSmsApi& instance();

  // The folder the library is loaded from; defaults to the application directory.
  static void setLibraryDirectory(const QString& dir) { instance().setDirectory(dir); }

  VersionFn rvPduVersion = nullptr;
  Ansi2UniFn Ansi2UniLong = nullptr;
  UniPduFn rvMakeUniPduData = nullptr;
  SubmitFn rvMakeSubmitPDU = nullptr;
  ConvertFn rvConvertString = nullptr;
  Make7BitFn rvMake7BitPduData = nullptr;
  ConvertFn rvConvert27BitGSM = nullptr;
  PartsFn rvMakeSubmitParts = nullptr;

 private:
  RvSmsApi() : LibraryBinding("librvsms.so", "SMS library") {}
  void bindExports() override;
};
