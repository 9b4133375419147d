// Shared by the fuzz targets of the application's phone-format readers: a failed read
// must leave the target melody as it was; a successful one gives only events the formats
// can hold.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>

#include "files/phonevolume.h"
#include "fuzz_input.h"
#include "melody/pxvbmelody.h"

using PhoneReader = bool (*)(const QByteArray&, pxvbMelody&, QString*);

inline int checkPhoneReader(PhoneReader read, const char* name, const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  pxvbMelody melody;
  melody.addevent(4, 0, 1, 60, 100);
  melody.setsName(QStringLiteral("before"));
  melody.setbpm(77);
  QString error;
  const bool ok = read(bytes, melody, &error);
  if (fuzzTrace())
    std::fprintf(stderr, "%s -> %d, %d events %s\n", name, ok, melody.size(),
                 error.toUtf8().constData());
  if (!ok) {
    if (error.isEmpty() || melody.size() != 1 || melody.sName() != QLatin1String("before") ||
        melody.bpm() != 77)
      __builtin_trap();
    return 0;
  }
  if (melody.size() < 1 || melody.size() > phoneimport::kMaxEvents || melody.bpm() < 25 ||
      melody.bpm() > 900)
    __builtin_trap();
  for (int i = 0; i < melody.size(); ++i) {
    const int kind = melody.getEvent(i);
    const int len = melody.getSimpleLen(i);
    if (kind == phoneimport::kNote || kind == phoneimport::kPause) {
      if (len < 1 || len > 32 || (len & (len - 1)) != 0 || melody.getDotLen(i) > 3)
        __builtin_trap();
      if (kind == phoneimport::kNote &&
          (melody.getEventVal1(i) < 0 || melody.getEventVal1(i) > 127))
        __builtin_trap();
    } else if (kind != phoneimport::kStyle && kind != phoneimport::kTempo &&
               kind != phoneimport::kVolume) {
      __builtin_trap();
    }
  }
  return 0;
}
