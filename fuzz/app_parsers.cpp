// The application core's text parsers: the Nokia composer text import (with and without
// its header line), the Sagem hex import, and telling a
// file's format from its bytes with the split of an RTTTL collection into tunes, and the
// split of an EMS object list.
#include <QString>
#include <string>

#include "files/composertext.h"
#include "files/filedetect.h"
#include "files/sagemhex.h"
#include "fuzz_input.h"
#include "melody/pxvbmelody.h"
#include "phonelink/modpdu.h"

namespace {

QString decode(const std::string& bytes, bool latin1) {
  return latin1 ? QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()))
                : QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A melody that already holds a few events, as the target of an import usually does.
void prefill(pxvbMelody& m, uint8_t n) {
  for (int i = 0; i < n % 6; ++i) m.addevent(4 << (i % 3), i % 2, i == 3 ? 16 : 1, 60 + i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t mode = in.byte();
  const bool latin1 = mode & 0x80;
  const QString delimiter = decode(in.bytes(in.byte() % 4), latin1);
  const QString text = decode(in.rest(), latin1);
  pxvbMelody melody;
  prefill(melody, (mode >> 3) & 7);

  const int action = (mode & 7) % 7;
  switch (action) {
    case 5: {
      const QByteArray bytes = text.toUtf8();
      filedetect::DetectFileType(bytes, bytes.size(), (mode >> 3) % 7 - 1);
      // Every tune is a whole "name:defaults:notes" line.
      for (const filedetect::RtttlTune& t : filedetect::SplitRtttlTunes(bytes))
        if (t.text.count(':') < 2 || t.text.contains('\n')) __builtin_trap();
      break;
    }
    case 6: {
      // Latin-1 gives the raw bytes back, as a binary ringtone needs.
      const QByteArray bytes = latin1 ? text.toLatin1() : text.toUtf8();
      // The objects are the list from its first BEGIN:IMELODY on, cut before each other.
      const QList<QByteArray> objects = modPDU::SplitEmsObjects(bytes);
      const qsizetype first = bytes.indexOf("BEGIN:IMELODY");
      if (objects.join() != (first < 0 ? QByteArray() : bytes.mid(first))) __builtin_trap();
      for (const QByteArray& o : objects)
        if (!o.startsWith("BEGIN:IMELODY")) __builtin_trap();
      break;
    }
    case 0:
    case 1:
    case 2: {
      // The import through the library: with the header line (0, 1) or without it; a
      // failed one leaves the melody as it was.
      const int before = melody.size();
      if (!ImportComposerText(melody, text, delimiter, action != 2) && melody.size() != before)
        __builtin_trap();
      break;
    }
    default: {
      pxvbMelody undo;
      const int before = melody.size();
      const SagemHexOutcome o = SagemHexImport(melody, text, action == 3 ? &undo : nullptr);
      if (o.result != 1 && melody.size() != before) __builtin_trap();
      break;
    }
  }
  if (fuzzTrace()) std::fprintf(stderr, "action %d -> %d events\n", action, melody.size());
  return 0;
}
