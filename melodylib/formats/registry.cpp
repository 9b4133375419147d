#include "registry.h"

#include <iterator>

#include "alcatel.h"
#include "arduino.h"
#include "composer.h"
#include "flipper.h"
#include "imelody.h"
#include "keypress.h"
#include "midi_reader.h"
#include "midi_writer.h"
#include "motorola.h"
#include "nokia.h"
#include "rtttl.h"
#include "sagem.h"
#include "testxml.h"

namespace rv {
namespace {

// A format whose reader or writer is null answers 213 for that direction. A buffer-only
// reader reads from memory (rvmReadBuffer) without changing what rvtMeloSupport and
// rvmReadMelo answer for the format.
constexpr FormatEntry kFormats[] = {
    // id, name, reader, writer, string export[, buffer-only reader]
    {2, "sagem", readSagem, writeSagem, true},
    {3, "keypress", nullptr, writeKeypress, true},
    {7, "rtttl", readRtttl, writeRtttl, true},
    {8, "alcatel", nullptr, writeAlcatel, true},
    {9, "nokia", nullptr, writeNokia, true, readNokia},
    {10, "midi", readMidi, writeMidi, true},
    {12, "motorola", nullptr, writeMotorola, false},
    {14, "imelody", nullptr, writeImelody, true, readImelody},
    {19, "xml", nullptr, writeTestXml, false},
    {21, "flipper", readFlipper, writeFlipper, true},
    {22, "arduino", nullptr, writeArduino, true},
    {23, "composer", nullptr, writeComposer, true, readComposer},
    {24, "sagemhex", nullptr, nullptr, false, readSagemHex},
};

}  // namespace

const FormatEntry* findFormat(int32_t id) {
  for (const FormatEntry& entry : kFormats)
    if (entry.id == id) return &entry;
  return nullptr;
}

ReadFn memoryReader(const FormatEntry& entry) {
  return entry.read ? entry.read : entry.bufferRead;
}

int32_t formatSupport(int32_t id) {
  const FormatEntry* entry = findFormat(id);
  if (!entry) return -1;
  return (entry->write ? 1 : 0) | (entry->read ? 2 : 0);
}

}  // namespace rv
