/* rvmelody: the melody engine library's C interface.
 *
 * A melody crosses as an array of EventRecord with a control array of int32 (element 0
 * is the array's own length N; elements 1..min(N-1, 10) are read, nothing beyond N-1 is
 * touched). The caller owns every buffer; the library keeps no state between calls
 * except the host hooks. Strings are UTF-8, zero-terminated unless a length says
 * otherwise. No exception leaves the library.
 *
 * Format ids, event kinds, styles, the control array's elements and the result codes
 * have names below; callers use the names, the numbers are the ABI.
 */
#ifndef RVMELODY_H
#define RVMELODY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(RVMELODY_BUILD)
#define RVMELODY_API __attribute__((visibility("default")))
#else
#define RVMELODY_API
#endif

/* Format ids (control[2]). */
enum {
  RV_FORMAT_SAGEM = 2,
  RV_FORMAT_KEYPRESS = 3, /* key-press sequence for a phone's composer */
  RV_FORMAT_RTTTL = 7,
  RV_FORMAT_ALCATEL = 8,
  RV_FORMAT_NOKIA = 9, /* Nokia smart messaging */
  RV_FORMAT_MIDI = 10, /* standard MIDI file, the native format */
  RV_FORMAT_MOTOROLA = 12,
  RV_FORMAT_IMELODY = 14,
  RV_FORMAT_TEST_XML = 19,
  RV_FORMAT_FLIPPER = 21,  /* Flipper Zero music file */
  RV_FORMAT_ARDUINO = 22,  /* C header for a buzzer, written only */
  RV_FORMAT_COMPOSER = 23, /* Nokia composer text (8#f2,4.-,...): written, read from memory */
  RV_FORMAT_SAGEM_HEX = 24 /* Sagem melody as hex digits: read from memory only */
};

/* Event kinds (EventRecord.nEvent). A read reports every kind it does not know as
 * RV_EVENT_PAUSE. */
enum {
  RV_EVENT_NOTE = 1,   /* EventVal1 key 0..127 (60 = C5), EventVal2 velocity */
  RV_EVENT_STYLE = 3,  /* EventVal1 one of RV_STYLE_* */
  RV_EVENT_TEMPO = 4,  /* EventVal1 beats per minute */
  RV_EVENT_VOLUME = 5, /* EventVal1 volume mode, EventVal2 volume */
  RV_EVENT_LOOP = 6,   /* EventVal1 loop id, EventVal2 repeat count */
  RV_EVENT_PAUSE = 16
};

/* Styles (EventVal1 of a style change). */
enum { RV_STYLE_NATURAL = 0, RV_STYLE_CONTINUOUS = 1, RV_STYLE_STACCATO = 2 };

/* Elements of the control array. */
enum {
  RV_CONTROL_LENGTH = 0,       /* N, the array's own length */
  RV_CONTROL_WHERE = 1,        /* source or target, one of RV_WHERE_* */
  RV_CONTROL_FORMAT = 2,       /* one of RV_FORMAT_* */
  RV_CONTROL_BPM = 3,          /* read: out; export and string: in when above 0 */
  RV_CONTROL_CHANNEL = 4,      /* read (MIDI): in channel choice, out channel used */
  RV_CONTROL_WRITER_VALUE = 4, /* export and string: out, the writer's result value */
  RV_CONTROL_CHANNEL_MASK = 5, /* read (MIDI): out, bit n set when channel n has notes */
  RV_CONTROL_OPTION1 = 6,      /* export and string: the format's three options */
  RV_CONTROL_OPTION2 = 7,
  RV_CONTROL_OPTION3 = 8
};

/* Sources and targets (control[1]); RV_CHANNEL_FIRST_SEEN is the MIDI channel choice that
 * takes the first channel with notes. */
enum { RV_WHERE_STRING = 0, RV_WHERE_FILE = 1, RV_WHERE_CLIPBOARD = 2 };
enum { RV_CHANNEL_FIRST_SEEN = 255 };

/* The bits of rvtMeloSupport's answer. */
enum { RV_SUPPORT_WRITE = 1, RV_SUPPORT_READ = 2 };

/* rvmModifyMelody operations. */
enum {
  RV_MODIFY_SCALE_DURATIONS = 1, /* durations x factor */
  RV_MODIFY_VELOCITY_TO_VOLUME = 5,
  RV_MODIFY_VOLUME_TO_VELOCITY = 6
};

/* One event, seven int32 (28 bytes). On input, iDotLen -1 means iSimpleLen holds the
 * duration in ticks (384 per whole note). */
typedef struct EventRecord {
  int32_t iSimpleLen; /* note value denominator 1, 2, 4, ..., 128 */
  int32_t iDotLen;    /* 0 plain, 1 x3/2, 2 x7/4, 3 x5/3 */
  int32_t nEvent;     /* event kind */
  int32_t EventVal1;  /* key, style, BPM, volume mode, loop id */
  int32_t EventVal2;  /* velocity, volume, repeat count */
  int32_t EventVal3;
  int32_t EventVal4;
} EventRecord;

/* Result codes of the exports. Which export returns which code is said at each export. */
enum {
  RV_OK = 1,
  RV_MODIFY_HAS_VOLUME = 2, /* modify 5: melody already has VolumeChange events */
  RV_NO_CLIPBOARD_TEXT = 30,
  RV_EMPTY_CLIPBOARD_TEXT = 31,
  RV_BAD_CLIPBOARD_MIDI = 39, /* no "//RVPXPX" marker or shorter than 20 characters */
  RV_CANNOT_OPEN_FILE = 51,
  RV_CANNOT_READ_FILE = 52,
  RV_CANNOT_WRITE_FILE = 53, /* export: the file could not be written completely */
  RV_READ_TRUNCATED = 100,   /* read: more events than records; records filled */
  RV_BAD_COUNT = 210,
  RV_UNSUPPORTED = 213,
  RV_NO_RECORDS = 216,
  RV_BUFFER_TOO_SMALL = 217,
  RV_READ_FAILED = -1,     /* read: the text is not in the format; string: no rendering */
  RV_ERROR_MINUS_ONE = -2, /* export, string: a library error of code -1 was raised */
  RV_RUNTIME_ERROR = -3,   /* export, string: another runtime error (message shown) */
  RV_UNKNOWN_ERROR = -4,   /* export, string: anything else, memory ran out too */

  /* The library's error classes. An export or string call returns the code of one that a
   * writer raises (after its message through the host); the readers turn every error into
   * RV_READ_FAILED. */
  RV_ERR_END_OF_BUFFER = 58,       /* "EOF" */
  RV_ERR_FALSE_FORMAT = 59,        /* "false file format" */
  RV_ERR_NO_MEMORY = 60,           /* "Memory allocation error (insufficient memory?)" */
  RV_ERR_FORMAT_HEADER = 152,      /* "false format header" */
  RV_ERR_MIDI_NO_TRACK = 1010,     /* "MTrk not found in track header" */
  RV_ERR_MIDI_TRACK_LENGTH = 1011, /* "invalid track length" */
  RV_ERR_MIDI_TRACK_DATA = 1012,   /* "track data length error" */
  RV_ERR_MIDI_NO_EOT = 1013,       /* "no EOT event in track" */
  RV_ERR_MIDI_META_LENGTH = 1014,  /* "invalid meta event length" */
  RV_ERR_MIDI_META_VALUE = 1015,   /* "invalid meta event value" */

  /* Reading a Sagem text (rvmReadMelo, format 2). */
  RV_SAGEM_NO_MAGIC = 151,   /* the text has no "$MUS$1.0$" */
  RV_SAGEM_BAD_HEADER = 152, /* the title or data line is malformed */
  RV_SAGEM_NO_CODE = 153,    /* the header was read, but no note code */

  /* Why rvmReadBuffer found no Nokia ringtone in the data (format 9). RvReadReport's
   * position is the byte (from 1) the reader had come to, value the number named. */
  RV_NOKIA_EMPTY = 170,               /* the data is empty */
  RV_NOKIA_NO_COMMANDS = 171,         /* the command count is 0 */
  RV_NOKIA_UNKNOWN_COMMAND = 172,     /* value: the command */
  RV_NOKIA_NO_SOUND = 173,            /* no sound command among the commands */
  RV_NOKIA_NOT_BASIC_SONG = 174,      /* value: the song type */
  RV_NOKIA_NO_PATTERN = 175,          /* the pattern count is 0 */
  RV_NOKIA_BAD_PATTERN = 176,         /* a pattern header is damaged */
  RV_NOKIA_UNKNOWN_INSTRUCTION = 177, /* value: the instruction */
  RV_NOKIA_TOO_MANY_EVENTS = 178,     /* the loops make more events than value */
  RV_NOKIA_NO_NOTE = 179,             /* no note or pause in the song */
  RV_NOKIA_ENDS_EARLY = 180,          /* the data ends inside the ringtone */

  /* Why rvmReadBuffer found no iMelody text in the data (format 14). RvReadReport's line
   * is the header line (from 1), position the character of the melody (from 1, folded
   * lines joined, blanks left out), value the character or the event limit. */
  RV_IMELODY_EMPTY = 181,           /* the data holds no line */
  RV_IMELODY_NO_BEGIN = 182,        /* the first line is not BEGIN:IMELODY */
  RV_IMELODY_BAD_BEAT = 183,        /* line: BEAT is no tempo */
  RV_IMELODY_BAD_STYLE = 184,       /* line: STYLE is not S0, S1 or S2 */
  RV_IMELODY_BAD_VOLUME = 185,      /* line: VOLUME is not V0..V15 */
  RV_IMELODY_SECOND_MELODY = 186,   /* line: a second MELODY line */
  RV_IMELODY_NO_MELODY = 187,       /* no MELODY line */
  RV_IMELODY_NO_NOTE = 188,         /* the melody holds no note or rest */
  RV_IMELODY_TOO_MANY_EVENTS = 189, /* the repeats make more events than value */
  RV_IMELODY_UNEXPECTED = 190,      /* value: a character that begins no element */
  RV_IMELODY_NO_BLOCK = 191,        /* value: '@' or ')' outside a repeat block */
  RV_IMELODY_NO_DURATION = 192,     /* a duration 0..5 is missing */
  RV_IMELODY_NO_VOLUME = 193,       /* a volume 0..15, '+' or '-' is missing after V */
  RV_IMELODY_NO_OCTAVE = 194,       /* an octave 0..8 is missing after '*' */
  RV_IMELODY_NO_LETTER = 195,       /* a note letter is missing */
  RV_IMELODY_NESTS_DEEP = 196,      /* repeat blocks nest more than 8 deep */
  RV_IMELODY_NO_AT = 197,           /* a repeat block lacks its '@' count */
  RV_IMELODY_NO_COUNT = 198,        /* a repeat count is missing after '@' */
  RV_IMELODY_NOT_CLOSED = 199,      /* a repeat block is not closed with ')' */

  /* Why rvmReadBuffer found no Nokia composer text (format 23). */
  RV_COMPOSER_NO_DELIMITER = 200, /* the delimiter is not among the first seven characters */
  RV_COMPOSER_LONG_REST = 201,    /* an undelimited rest of 17 characters or more ends it */
  /* Why rvmReadBuffer found no Sagem hex text (format 24). */
  RV_SAGEM_HEX_TOO_LONG = 202, /* value: the characters, or the digits (more than 640) */
  RV_SAGEM_HEX_NOT_HEX = 203,  /* a character that is no hex digit, blank or control */
  RV_SAGEM_HEX_NOTHING = 204,  /* no header, a count of 0 or a tempo below 5 */

  /* Writers' values: in control[4] after an export or string call, and what the string
   * call returns where its export says so. */
  RV_WRITE_EMPTY = 0,             /* key presses, Alcatel: no event written */
  RV_WRITE_MOVED = 72,            /* Sagem, key presses: notes moved into 57..85 */
  RV_WRITE_CLAMPED = 73,          /* Sagem, key presses: notes moved and clamped */
  RV_SAGEM_NO_CODES = 4,          /* Sagem: the melody gave no note code, nothing written */
  RV_SAGEM_LIMIT_TOO_SMALL = 160, /* Sagem: the size limit leaves no room for a note */
  RV_KEYPRESS_CANNOT_ENTER = -3   /* key presses: a length the composer cannot enter */
};

/* Stores 1, 2, 10, 3 into the four numbers; returns 1 (213 when a pointer is NULL). */
RVMELODY_API int32_t rvtVersion(int32_t* major, int32_t* minor, int32_t* build, int32_t* revision);

/* Bit set: 1 can be written, 2 can be read (by rvmReadMelo); -1 for an unknown format id.
 * A known format whose reader and writer are not part of this build answers 0. The
 * readers rvmReadBuffer alone uses are not counted: Nokia (9) and iMelody (14) answer 1,
 * composer text (23) 1, Sagem hex text (24) 0. */
RVMELODY_API int32_t rvtMeloSupport(int32_t formatId);

/* Reads a melody from a file (control[1] 1, fileName) or the clipboard (control[1] 2).
 * recordCount: in records' capacity, out records filled. title: out, titleLength + 1
 * bytes; titleLength: in capacity in characters, out the title's length.
 * control (N >= 4): [2] format, [3] out BPM, [4] in channel choice (255 first channel
 * seen) / out channel used (N >= 5, MIDI), [5] out channel mask (N >= 6, MIDI); for
 * format 21, [4] out the notes and pauses read to the nearest length or key the melody
 * holds (N >= 5).
 * The title is cut where it does not split a UTF-8 character. A MIDI file on the clipboard
 * is "//RVPXPX" and two hex digits per byte (an odd last digit is a byte of its own);
 * characters after the MIDI data are not looked at.
 * Returns 1, 100 (truncated), 30 (no clipboard text), 31 (empty clipboard text), 39,
 * 51 (file cannot be opened), 210 (capacity 0 or below, empty file name), 213 (NULL
 * pointer, N < 4, unknown source or format, format not readable), for Sagem 151, 152 or
 * 153 (RV_SAGEM_*), or -1 (the text could not be read in this format, also when the reader
 * failed in any other way). On a code other
 * than 1 and 100 the records, the title and control[3] are left as they were (MIDI's
 * control[4] and [5] are set either way). */
RVMELODY_API int32_t rvmReadMelo(EventRecord* records, int32_t* recordCount, char* title,
                                 uint32_t* titleLength, int32_t* control, const char* fileName,
                                 void* reserved1, void* reserved2);

/* Writes recordCount records to a file (control[1] 1) or the clipboard (control[1] 2).
 * control (N >= 5): [2] format, [3] BPM when above 0, [4] out writer's result value,
 * [6..8] format options. A file is replaced only when it was written completely.
 * The format and target are checked before the file is touched; a failed export leaves an
 * existing file as it was and creates none. A title of NULL is an empty title.
 * control[4] after it: Sagem 1, 72, 73, 160 or 4; key presses 1, 72, 73, 0 or -3; Alcatel
 * and Motorola the number of tokens written; Nokia and RTTTL 1, or -1 when the melody gave
 * nothing; iMelody 1; MIDI and test XML 0; Flipper 1, -1 when the melody gave nothing,
 * else minus the notes and pauses written to the nearest length or an octave up.
 * Returns 1 (also when the writer reported a problem in control[4]), 51 (file cannot be
 * created), 53 (could not write to file), 213 (NULL pointer, N < 5, unknown target or
 * format, format not writable, empty file name), 216 (recordCount <= 0); when the writer
 * throws, the error's code (-1 becomes -2), -3 for another runtime error, -4 for
 * anything else (memory ran out, too); all but -4 after a message through the host. */
RVMELODY_API int32_t rvmMeloExport(const EventRecord* records, int32_t recordCount,
                                   const char* title, const char* fileName, void* reserved,
                                   int32_t* control);

/* Renders recordCount records into buffer (no terminator; MIDI bytes are binary).
 * bufferLength: in capacity in bytes, out bytes written, or needed when 217 is returned.
 * control (N >= 5): [1] must be 0, [2] format, [3] BPM, [4] out writer's result value.
 * Returns the writer's return value (1 whenever a text was made; else Sagem 160 or 4,
 * key presses 0 or -3, Alcatel 0, Nokia, RTTTL and MIDI -1), 213 (NULL
 * pointer, capacity 0, N < 5, control[1] not 0, format 12, 19 or unknown), 216
 * (recordCount <= 0), 217 (buffer too small; bufferLength = bytes needed, nothing
 * copied), or an error code as for rvmMeloExport. */
RVMELODY_API int32_t rvmMelo2String(const EventRecord* records, int32_t recordCount, char* buffer,
                                    uint32_t* bufferLength, const char* title, void* reserved,
                                    int32_t* control);

/* Transforms records in place. operation 1: durations x factor; 5: velocities to volume
 * events; 6: volume events to velocities. capacity: records available, recordCount in/out.
 * Returns 1, 2 (op 5 refused), 210, 213 (NULL pointer, unknown operation), 217 (more
 * events than the capacity). */
RVMELODY_API int32_t rvmModifyMelody(EventRecord* records, int32_t capacity, int32_t* recordCount,
                                     int32_t operation, int32_t factor);

/* Volume mapping between MIDI velocity 0..127 and the phone volume steps. */
RVMELODY_API int32_t rvMVelo2iVol(int32_t velocity);
RVMELODY_API int32_t rviVol2MVelo(int32_t volume);

/* What rvmReadBuffer reports besides the records, and what it asks of the readers that
 * take options. The caller sets composer and composerCapacity (bytes, room for the
 * terminator; NULL or 0: not wanted), delimiter and readHeader. */
typedef struct RvReadReport {
  int32_t bpm;         /* out: the tempo read */
  int32_t rounded;     /* out: notes and pauses read to the nearest length or key the
                          melody holds; -1 when the reader does not say */
  int32_t position;    /* out on failure: where, as the result code says; 0 none */
  int32_t line;        /* out on failure: the line (from 1); 0 none */
  int32_t value;       /* out on failure: the number the result code names */
  int32_t hasComposer; /* out: 1 when the data names a composer */
  char* composer;      /* out: the composer, cut as the title is */
  uint32_t composerCapacity;
  int32_t delimiter;  /* in, composer text: the tokens' delimiter (a character code);
                         0 is ',' */
  int32_t readHeader; /* in, composer text: 1 reads a first line "Name:... BPM:..." into
                         the title and the tempo */
} RvReadReport;

/* Reads a melody from dataLength bytes of memory with the reader of any format the library
 * reads, also those that rvmReadMelo does not read from files or the clipboard: Nokia
 * ringtones (9, binary or hex text), iMelody (14), Nokia composer text (23) and Sagem hex
 * text (24). The records, title and titleLength are as for rvmReadMelo; report may be
 * NULL (the readers' defaults, nothing reported).
 * Returns 1, 100 (truncated), 210 (capacity 0 or below), 213 (NULL pointer, a format
 * without a reader), -1 (the data is not in the format), or a format's own reason
 * (RV_NOKIA_*, RV_IMELODY_*, RV_COMPOSER_*, RV_SAGEM_HEX_*) with report's position, line
 * and value. On a code other than 1 and 100 the records and the title are left as they
 * were. */
RVMELODY_API int32_t rvmReadBuffer(const char* data, uint32_t dataLength, int32_t formatId,
                                   EventRecord* records, int32_t* recordCount, char* title,
                                   uint32_t* titleLength, RvReadReport* report);

/* What rvmCountNotes counts. */
enum {
  RV_COUNT_NOKIA_NOTES = 1, /* the note and pause instructions of a Nokia ringtone as the
                               library writes it (bytes, not hex text) */
  RV_COUNT_NOKIA_NOTES_BEHIND_HEADER = 2, /* the same behind the 7-byte user data header */
  RV_COUNT_IMELODY_NOTES = 3,  /* the notes and rests of the melody part of an iMelody text */
  RV_COUNT_IMELODY_TOKENS = 4, /* the same and the volume changes */
  RV_COUNT_SAGEM_CODES = 5     /* the codes the "Data:" line of a Sagem text announces */
};

/* Counts in dataLength bytes of a rendering what `what` names (RV_COUNT_*). Returns the
 * count (0 or more; an iMelody text without a melody line holds 0), -1 when the data ends
 * early or is not such a rendering (a Sagem text without its "Data:" line), -2 for an
 * unknown `what` or a NULL data with a length above 0. */
RVMELODY_API int32_t rvmCountNotes(const char* data, uint32_t dataLength, int32_t what);

/* Host services the library uses for the clipboard and its owner-less message box. */
typedef struct RvHostHooks {
  void* context;
  const char* (*getClipboardText)(void* context);               /* NULL: no text on the clipboard */
  int32_t (*setClipboardText)(void* context, const char* text); /* 1 on success; "" empties */
  void (*showMessage)(void* context, const char* caption, const char* text);
} RvHostHooks;

/* NULL (or a NULL member): the built-in default, a process-local clipboard text and
 * messages on standard error. The text returned by getClipboardText stays valid until
 * the next hook call. */
RVMELODY_API void rvSetHostHooks(const RvHostHooks* hooks);

#ifdef __cplusplus
}
#endif

#endif /* RVMELODY_H */
