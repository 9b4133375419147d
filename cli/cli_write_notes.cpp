// What a writer did to the melody: the notes a format sized for one message left out, and
// the notes moved into its range.
#include <cstdlib>

#include <QByteArray>
#include <QList>

#include "cli_library.h"
#include "files/writechanges.h"
#include "melody/rvtonehead.h"
#include "phonelink/cablemessage.h"

namespace cli {

std::string notesLeftOut(const Document& doc, const CliFormat& format,
                         const std::vector<int32_t>& options, const std::string& bytes) {
  // Elements left out are the format's defaults, as the writer takes them.
  auto option = [&](size_t i) {
    return i < options.size() ? options[i] : format.defaultOptions[i];
  };
  int all = 0;
  for (const EventRecord& r : doc.records)
    all += r.nEvent == RV_EVENT_NOTE || r.nEvent == RV_EVENT_PAUSE ? 1 : 0;
  const QByteArray text(bytes.data(), static_cast<qsizetype>(bytes.size()));
  int kept = -1;
  switch (format.row->noteCount) {
    case formatcatalogue::NoteCount::NokiaRingtone:
      // Always sized (a limit of 0 is 140 bytes); header (element 6) and hex text (element
      // 7) as the options asked for them.
      kept = rvTonehead::CountNotes(
          option(1) == 1 ? QByteArray::fromHex(text) : text,
          option(0) == 1 ? RV_COUNT_NOKIA_NOTES_BEHIND_HEADER : RV_COUNT_NOKIA_NOTES);
      break;
    case formatcatalogue::NoteCount::SagemCodes: {
      if (option(0) <= 0) break;  // no size limit: the whole melody
      // One code a note or pause, counted against the text without a limit.
      std::vector<int32_t> control = {0, RV_WHERE_STRING, format.id, doc.bpm, 0, 0,
                                      0, option(1),       0};
      control[0] = static_cast<int32_t>(control.size());
      std::string whole;
      if (melo2String(doc, control, whole) != 1) return {};
      all = rvTonehead::CountNotes(QByteArray(whole.data(), static_cast<qsizetype>(whole.size())),
                                   RV_COUNT_SAGEM_CODES);
      kept = rvTonehead::CountNotes(text, RV_COUNT_SAGEM_CODES);
      break;
    }
    case formatcatalogue::NoteCount::IMelody:
      // Only the string form is fitted to one message; a file holds the whole melody.
      if (!text.isEmpty()) kept = rvTonehead::CountNotes(text, RV_COUNT_IMELODY_NOTES);
      break;
    case formatcatalogue::NoteCount::None:
      break;
  }
  if (kept < 0 || kept >= all) return {};
  return "holds " + std::to_string(kept) + " of the melody's " + std::to_string(all) +
         " notes and pauses";
}

std::string pitchNote(const Document& doc, const CliFormat& format) {
  QList<int> given;
  for (const EventRecord& r : doc.records)
    if (r.nEvent == RV_EVENT_NOTE) given << r.EventVal1;
  const std::string name = format.id == RV_FORMAT_SAGEM      ? "Sagem"
                           : format.id == RV_FORMAT_KEYPRESS ? "The key-press writer"
                           : format.id == RV_FORMAT_RTTTL    ? "RTTTL"
                           : format.id == RV_FORMAT_ALCATEL  ? "Alcatel"
                           : format.id == RV_FORMAT_NOKIA    ? "Nokia"
                           : format.id == RV_FORMAT_MOTOROLA ? "Motorola"
                                                             : std::string(format.name);
  if (const int outside = writechanges::NotesOutsideWriterRange(format.id, given))
    return name + " moved the notes into its range: " + std::to_string(outside) +
           " of them lay outside it";
  // The Nokia writer fits the pitches as the RTTTL writer does: its RTTTL text tells.
  if (format.id != RV_FORMAT_SAGEM && format.id != RV_FORMAT_RTTTL && format.id != RV_FORMAT_NOKIA)
    return {};
  const CliFormat& readAs =
      *formatById(format.id == RV_FORMAT_SAGEM ? RV_FORMAT_SAGEM : RV_FORMAT_RTTTL);
  std::vector<int32_t> control = {9, RV_WHERE_STRING, readAs.id, doc.bpm, 0, 0, 0, 0, 0};
  std::string text;
  if (melo2String(doc, control, text) != 1) return {};
  HookState& state = hookState();
  state.clipboardIn = text;
  state.hasClipboardIn = true;
  Document back;
  std::string error;
  const bool read =
      readThroughLibrary("", RV_WHERE_CLIPBOARD, readAs, RV_CHANNEL_FIRST_SEEN, back, error);
  state.hasClipboardIn = false;
  state.clipboardIn.clear();
  if (!read) return {};
  QList<int> written;
  for (const EventRecord& r : back.records)
    if (r.nEvent == RV_EVENT_NOTE) written << r.EventVal1;
  const writechanges::PitchChange c = writechanges::ComparePitches(given, written);
  if (c.changed == 0) return {};
  if (c.shift == 0) return name + " moved " + std::to_string(c.changed) + " notes into its range";
  const int n = std::abs(c.shift);
  return name + " moved the melody " + (c.shift > 0 ? "up " : "down ") + std::to_string(n) +
         (n == 1 ? " semitone" : " semitones") + " into its range";
}

}  // namespace cli
