/* rvmelody: the melody engine library's C interface.
 *
 * A melody crosses as an array of EventRecord with a control array of int32 (element 0
 * is the array's own length N; elements 1..min(N-1, 10) are read, nothing beyond N-1 is
 * touched). The caller owns every buffer; the library keeps no state between calls
 * except the host hooks. Strings are UTF-8, zero-terminated unless a length says
 * otherwise. No exception leaves the library.
 *
 * Format ids: 2 Sagem, 3 key-press sequence, 7 RTTTL, 8 Alcatel, 9 Nokia smart
 * messaging, 10 standard MIDI file, 12 Motorola, 14 iMelody, 19 test XML, 21 Flipper Zero
 * music file.
 * Event kinds (nEvent): 1 note, 3 style change, 4 tempo change, 5 volume change,
 * 6 loop marker, 16 pause.
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

/* Result codes shared by the exports. */
enum {
  RV_OK = 1,
  RV_MODIFY_HAS_VOLUME = 2,     /* modify 5: melody already has VolumeChange events */
  RV_NO_CLIPBOARD_TEXT = 30,
  RV_EMPTY_CLIPBOARD_TEXT = 31,
  RV_BAD_CLIPBOARD_MIDI = 39,   /* no "//RVPXPX" marker or shorter than 20 characters */
  RV_CANNOT_OPEN_FILE = 51,
  RV_CANNOT_READ_FILE = 52,
  RV_CANNOT_WRITE_FILE = 53,    /* export: the file could not be written completely */
  RV_READ_TRUNCATED = 100,      /* read: more events than records; records filled */
  RV_BAD_COUNT = 210,
  RV_UNSUPPORTED = 213,
  RV_NO_RECORDS = 216,
  RV_BUFFER_TOO_SMALL = 217,
  RV_READ_FAILED = -1
};

/* Stores 1, 2, 10, 3 into the four numbers; returns 1 (213 when a pointer is NULL). */
RVMELODY_API int32_t rvtVersion(int32_t* major, int32_t* minor, int32_t* build, int32_t* revision);

/* Bit set: 1 can be written, 2 can be read; -1 for an unknown format id. A known format
 * whose reader and writer are not part of this build answers 0. */
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
 * pointer, N < 4, unknown source or format, format not readable) or -1 (the text could not
 * be read in this format, also when the reader failed in any other way). On a code other
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
 * Returns the writer's return value (1, or -1 when nothing could be rendered), 213 (NULL
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
RVMELODY_API int32_t rvmModifyMelody(EventRecord* records, int32_t capacity,
                                     int32_t* recordCount, int32_t operation, int32_t factor);

/* Volume mapping between MIDI velocity 0..127 and the phone volume steps. */
RVMELODY_API int32_t rvMVelo2iVol(int32_t velocity);
RVMELODY_API int32_t rviVol2MVelo(int32_t volume);

/* Host services the library uses for the clipboard and its owner-less message box. */
typedef struct RvHostHooks {
  void* context;
  const char* (*getClipboardText)(void* context);              /* NULL: no text on the clipboard */
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
