// The application core's text parsers: Nokia composer text (read, header split, the
// import command, and writing back what was read), the Sagem hex import, and telling a
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
    case 0: {
      if (MelodyFromComposerText(melody, text, delimiter)) {
        QString written;
        ComposerTextFromMelody(melody, written,
                               delimiter.isEmpty() ? QStringLiteral(",") : delimiter);
        QString name;
        int bpm = -1;
        const QString tokens = SplitComposerHeader(written, &name, &bpm);
        pxvbMelody again;
        MelodyFromComposerText(again, tokens, delimiter);
      }
      break;
    }
    case 1: {
      QString name;
      int bpm = -1;
      SplitComposerHeader(text, mode & 0x40 ? nullptr : &name, mode & 0x20 ? nullptr : &bpm);
      break;
    }
    case 2: {
      const int before = melody.size();
      if (!ImportComposerText(melody, text, delimiter) && melody.size() != before) __builtin_trap();
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
