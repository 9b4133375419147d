// Binds the exports of librvmelody.so by name, from the application directory, the first
// time they are needed. A missing library or export is an error text, not a crash.
#pragma once

#include <QString>

#include "librarybinding.h"

#include "rvmelody.h"

class RvMelodyApi : public LibraryBinding {
 public:
  using VersionFn = int32_t (*)(int32_t*, int32_t*, int32_t*, int32_t*);
  using SupportFn = int32_t (*)(int32_t);
  using ReadFn = int32_t (*)(EventRecord*, int32_t*, char*, uint32_t*, int32_t*, const char*, void*,
                             void*);
  using ExportFn = int32_t (*)(const EventRecord*, int32_t, const char*, const char*, void*,
                               int32_t*);
  using ToStringFn = int32_t (*)(const EventRecord*, int32_t, char*, uint32_t*, const char*, void*,
                                 int32_t*);
  using ModifyFn = int32_t (*)(EventRecord*, int32_t, int32_t*, int32_t, int32_t);
  using VolumeFn = int32_t (*)(int32_t);
  using HooksFn = void (*)(const RvHostHooks*);
  using ReadBufferFn = int32_t (*)(const char*, uint32_t, int32_t, EventRecord*, int32_t*, char*,
                                   uint32_t*, RvReadReport*);
  using CountNotesFn = int32_t (*)(const char*, uint32_t, int32_t);

  // The process-wide binding; loads on first use.
  static RvMelodyApi& instance();

  // The folder the library is loaded from; defaults to the application directory.
  static void setLibraryDirectory(const QString& dir) { instance().setDirectory(dir); }

  VersionFn rvtVersion = nullptr;
  SupportFn rvtMeloSupport = nullptr;
  ReadFn rvmReadMelo = nullptr;
  ExportFn rvmMeloExport = nullptr;
  ToStringFn rvmMelo2String = nullptr;
  ModifyFn rvmModifyMelody = nullptr;
  VolumeFn rvMVelo2iVol = nullptr;
  VolumeFn rviVol2MVelo = nullptr;
  HooksFn rvSetHostHooks = nullptr;
  ReadBufferFn rvmReadBuffer = nullptr;
  CountNotesFn rvmCountNotes = nullptr;

 private:
  RvMelodyApi() : LibraryBinding("librvmelody.so", "melody library") {}
  void bindExports() override;
};
