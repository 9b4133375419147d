/* rvresulttexts: what each result code of rvmelody.h says, for C++ callers and for the
 * library itself. One row per code and context:
 *
 *   message  the library's own words for the codes of its error classes: the text it
 *            hands to the host's message hook before it returns the code;
 *   text     the command-line tool's words (one per code, context-free);
 *   textRes  the number of the window's text in the language tables (en.txt, de.txt,
 *            fr.txt), which may depend on the call and the format.
 *
 * A code the table does not hold reads as kUnknownRes / "the library reported an error".
 * The table is only data: nothing here is part of the library's exports.
 */
#ifndef RVRESULTTEXTS_H
#define RVRESULTTEXTS_H

#include <cstdint>

#include "rvmelody.h"

namespace rvresult {

// The call a code came back from; Any rows answer for every call.
enum class Call { Any, Read, Write, Modify };

struct Row {
  int32_t code;
  Call call;         // Any, or the one call this row is for
  int32_t formatId;  // 0, or the one format this row is for
  int textRes;
  const char* text;     // nullptr in rows that only give the window another text
  const char* message;  // nullptr unless the code is one of the library's error classes
};

constexpr int kUnknownRes = 839;
constexpr const char* kUnknownText = "the library reported an error";

// Rows for one call or format come before the code's general row.
inline constexpr Row kRows[] = {
    {RV_MODIFY_HAS_VOLUME, Call::Any, 0, 2700, "the melody already contains volume events",
     nullptr},
    {RV_NO_CLIPBOARD_TEXT, Call::Any, 0, 840, "there is no text to read", nullptr},
    {RV_EMPTY_CLIPBOARD_TEXT, Call::Any, 0, 822, "the text is empty", nullptr},
    {32, Call::Any, 0, 825, "the text is too long", nullptr},
    {54, Call::Any, 0, 825, "the text is too long", nullptr},
    {RV_BAD_CLIPBOARD_MIDI, Call::Any, 0, 841,
     "the text is not a Pealix MIDI text (\"//RVPXPX\" and hex digits)", nullptr},
    {50, Call::Any, 0, 854, "the file name is empty", nullptr},
    {RV_CANNOT_OPEN_FILE, Call::Any, 0, 855, "the file cannot be opened", "could not save file"},
    {RV_CANNOT_READ_FILE, Call::Any, 0, 856, "the file cannot be read", "could not read from file"},
    {RV_CANNOT_WRITE_FILE, Call::Any, 0, 857, "the file could not be written",
     "could not write to file"},
    {RV_ERR_END_OF_BUFFER, Call::Any, 0, 2701, "the data ends too early", "EOF"},
    {RV_ERR_FALSE_FORMAT, Call::Any, 0, 841, "the file has another format", "false file format"},
    {RV_ERR_NO_MEMORY, Call::Any, 0, 2702, "out of memory",
     "Memory allocation error (insufficient memory?)"},
    {RV_READ_TRUNCATED, Call::Any, 0, 821, "the melody has more events than were asked for",
     nullptr},
    {RV_SAGEM_NO_MAGIC, Call::Read, RV_FORMAT_SAGEM, 2703, nullptr, nullptr},
    {RV_SAGEM_NO_MAGIC, Call::Any, 0, 841, "the data is not in this format", nullptr},
    {RV_SAGEM_BAD_HEADER, Call::Read, RV_FORMAT_SAGEM, 2704, nullptr, nullptr},
    {RV_ERR_FORMAT_HEADER, Call::Any, 0, 837, "the format header is wrong", "false format header"},
    {RV_SAGEM_NO_CODE, Call::Read, RV_FORMAT_SAGEM, 2705, nullptr, nullptr},
    // The window's own code for a MIDI file without notes on the chosen channel.
    {RV_SAGEM_NO_CODE, Call::Any, 0, 838, "the data is damaged", nullptr},
    {RV_SAGEM_LIMIT_TOO_SMALL, Call::Any, 0, 853, "the melody is too long for this format",
     nullptr},
    {RV_BAD_COUNT, Call::Any, 0, 2706, "a count or a file name is missing", nullptr},
    {RV_UNSUPPORTED, Call::Read, 0, 2707, nullptr, nullptr},
    {RV_UNSUPPORTED, Call::Any, 0, 2708, "this format cannot do that", nullptr},
    {RV_NO_RECORDS, Call::Any, 0, 2709, "the melody has no events", nullptr},
    {RV_BUFFER_TOO_SMALL, Call::Any, 0, 2710, "the melody is too long", nullptr},
    {RV_READ_FAILED, Call::Read, 0, 841, nullptr, nullptr},
    {RV_READ_FAILED, Call::Any, 0, 2711, "the data could not be read or written in this format",
     nullptr},
    {RV_KEYPRESS_CANNOT_ENTER, Call::Write, RV_FORMAT_KEYPRESS, 2719, nullptr, nullptr},
    {RV_ERROR_MINUS_ONE, Call::Any, 0, 2712, "the writer failed", nullptr},
    {RV_RUNTIME_ERROR, Call::Any, 0, 2712, "the writer stopped with an error", nullptr},
    {RV_UNKNOWN_ERROR, Call::Any, 0, 2713, "the writer stopped (out of memory?)", nullptr},
    // What the string call returns when a writer made no text.
    {RV_WRITE_EMPTY, Call::Write, 0, 2718, "no note or pause to write", nullptr},
    {RV_SAGEM_NO_CODES, Call::Write, RV_FORMAT_SAGEM, 2718, "no note or pause to write", nullptr},
    // Why a Nokia ringtone could not be read: %1 is the number the code names, %2 the
    // byte the reader had come to.
    {RV_NOKIA_EMPTY, Call::Any, 0, 2831, "the file is empty", nullptr},
    {RV_NOKIA_NO_COMMANDS, Call::Any, 0, 2832, "it holds no commands", nullptr},
    {RV_NOKIA_UNKNOWN_COMMAND, Call::Any, 0, 2833, "unknown command %1", nullptr},
    {RV_NOKIA_NO_SOUND, Call::Any, 0, 2834, "it has no sound command", nullptr},
    {RV_NOKIA_NOT_BASIC_SONG, Call::Any, 0, 2835, "song type %1 is not a basic song", nullptr},
    {RV_NOKIA_NO_PATTERN, Call::Any, 0, 2836, "it holds no pattern", nullptr},
    {RV_NOKIA_BAD_PATTERN, Call::Any, 0, 2837, "a pattern header is damaged", nullptr},
    {RV_NOKIA_UNKNOWN_INSTRUCTION, Call::Any, 0, 2838, "unknown instruction %1", nullptr},
    {RV_NOKIA_TOO_MANY_EVENTS, Call::Any, 0, 2839, "its loops make more than %1 events", nullptr},
    {RV_NOKIA_NO_NOTE, Call::Any, 0, 2840, "it holds no note", nullptr},
    {RV_NOKIA_ENDS_EARLY, Call::Any, 0, 2841, "it ends early, in byte %2", nullptr},
    // Why an iMelody text could not be read: %1 the number, %2 the character of the melody,
    // %3 the line, %4 the character the code names. The window groups the melody's faults.
    {RV_IMELODY_EMPTY, Call::Any, 0, 2831, "the file is empty", nullptr},
    {RV_IMELODY_NO_BEGIN, Call::Any, 0, 2842, "it does not begin with BEGIN:IMELODY", nullptr},
    {RV_IMELODY_BAD_BEAT, Call::Any, 0, 2843, "BEAT is not a tempo (line %3)", nullptr},
    {RV_IMELODY_BAD_STYLE, Call::Any, 0, 2843, "STYLE is not S0, S1 or S2 (line %3)", nullptr},
    {RV_IMELODY_BAD_VOLUME, Call::Any, 0, 2843, "VOLUME is not V0..V15 (line %3)", nullptr},
    {RV_IMELODY_SECOND_MELODY, Call::Any, 0, 2844, "a second MELODY line (line %3)", nullptr},
    {RV_IMELODY_NO_MELODY, Call::Any, 0, 2845, "it has no MELODY line", nullptr},
    {RV_IMELODY_NO_NOTE, Call::Any, 0, 2840, "its melody holds no note", nullptr},
    {RV_IMELODY_TOO_MANY_EVENTS, Call::Any, 0, 2846,
     "its repeats make more than %1 events at character %2 of the melody", nullptr},
    {RV_IMELODY_UNEXPECTED, Call::Any, 0, 2847, "unexpected '%4' at character %2 of the melody",
     nullptr},
    {RV_IMELODY_NO_BLOCK, Call::Any, 0, 2847,
     "'%4' without a repeat block at character %2 of the melody", nullptr},
    {RV_IMELODY_NO_DURATION, Call::Any, 0, 2847,
     "a duration 0..5 is missing at character %2 of the melody", nullptr},
    {RV_IMELODY_NO_VOLUME, Call::Any, 0, 2847,
     "a volume 0..15, '+' or '-' is missing at character %2 of the melody", nullptr},
    {RV_IMELODY_NO_OCTAVE, Call::Any, 0, 2847,
     "an octave 0..8 is missing after '*' at character %2 of the melody", nullptr},
    {RV_IMELODY_NO_LETTER, Call::Any, 0, 2847,
     "a note letter is missing at character %2 of the melody", nullptr},
    {RV_IMELODY_NESTS_DEEP, Call::Any, 0, 2848,
     "repeat blocks nest too deep at character %2 of the melody", nullptr},
    {RV_IMELODY_NO_AT, Call::Any, 0, 2847,
     "a repeat block lacks its '@' count at character %2 of the melody", nullptr},
    {RV_IMELODY_NO_COUNT, Call::Any, 0, 2847,
     "a repeat count is missing after '@' at character %2 of the melody", nullptr},
    {RV_IMELODY_NOT_CLOSED, Call::Any, 0, 2847,
     "a repeat block is not closed with ')' at character %2 of the melody", nullptr},
    {RV_COMPOSER_NO_DELIMITER, Call::Any, 0, 834,
     "no composer text (no delimiter among the first seven characters)", nullptr},
    {RV_COMPOSER_LONG_REST, Call::Any, 0, 834,
     "no composer text (an undelimited rest of 17 characters or more)", nullptr},
    {RV_SAGEM_HEX_TOO_LONG, Call::Any, 0, 825, "the text is too long (%1 characters)", nullptr},
    {RV_SAGEM_HEX_NOT_HEX, Call::Any, 0, 2849,
     "Clipbord includes non Hex chars - converting aborted", nullptr},
    {RV_SAGEM_HEX_NOTHING, Call::Any, 0, 2849,
     "no notes to import (a count of 0, a tempo below 5 or no header)", nullptr},
    {RV_ERR_MIDI_NO_TRACK, Call::Any, 0, 2714, "a MIDI track has no MTrk header",
     "MTrk not found in track header"},
    {RV_ERR_MIDI_TRACK_LENGTH, Call::Any, 0, 2715, "a MIDI track length is invalid",
     "invalid track length"},
    {RV_ERR_MIDI_TRACK_DATA, Call::Any, 0, 2715, "a MIDI track's data does not fit its length",
     "track data length error"},
    {RV_ERR_MIDI_NO_EOT, Call::Any, 0, 2716, "a MIDI track does not end", "no EOT event in track"},
    {RV_ERR_MIDI_META_LENGTH, Call::Any, 0, 2717, "a MIDI meta event has an invalid length",
     "invalid meta event length"},
    {RV_ERR_MIDI_META_VALUE, Call::Any, 0, 2717, "a MIDI meta event has an invalid value",
     "invalid meta event value"},
};

// The first row for code that fits the call and the format.
constexpr const Row* find(int32_t code, Call call = Call::Any, int32_t formatId = 0) {
  for (const Row& row : kRows) {
    if (row.code != code) continue;
    if (row.call != Call::Any && row.call != call) continue;
    if (row.formatId != 0 && row.formatId != formatId) continue;
    return &row;
  }
  return nullptr;
}

// The window's text number for a code.
constexpr int textRes(int32_t code, Call call = Call::Any, int32_t formatId = 0) {
  const Row* row = find(code, call, formatId);
  return row ? row->textRes : kUnknownRes;
}

// The command-line tool's words for a code.
constexpr const char* text(int32_t code) {
  for (const Row& row : kRows)
    if (row.code == code && row.text) return row.text;
  return kUnknownText;
}

// The library's message for one of its error classes; "" for any other code.
constexpr const char* message(int32_t code) {
  for (const Row& row : kRows)
    if (row.code == code && row.message) return row.message;
  return "";
}

}  // namespace rvresult

#endif /* RVRESULTTEXTS_H */
