/* rvsms: the SMS PDU library's C interface.
 *
 * Builds SMS-SUBMIT PDUs (3GPP TS 23.040) with GSM 7-bit, 8-bit or UCS2 user data
 * (3GPP TS 23.038), alone or as the parts of a concatenated message, and exposes the
 * conversion steps. Every integer is 32-bit, every
 * buffer belongs to the caller, the library keeps no state between calls, no exception
 * leaves it, and any thread may call it.
 *
 * Texts are 8-bit strings in a code page: a Windows code page number (437, 850, 852,
 * 855, 857, 860-866, 869, 874, 932, 936, 949, 950, 1250-1258, 20127, 20866, 21866,
 * 28591-28599, 28603, 28605, 54936, 65001) that the C library's iconv can open, or 0 for
 * the locale's character set (UTF-8 where the locale says plain ASCII). A code-page text
 * is read up to its NUL terminator or up to the text length, whichever comes first; the
 * library never reads a text past the given length.
 *
 * Output buffers: *bufferSize is the buffer's size in bytes on entry; on success it
 * becomes the number of bytes written. Outputs are never NUL-terminated and are written
 * only on success (rvConvertString and rvConvert27BitGSM also write on 212). A null text
 * counts as a text length below 1, a null buffer or size pointer as a buffer that is too
 * small.
 */
#ifndef RVSMS_H
#define RVSMS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(RVSMS_BUILD)
#define RVSMS_API __attribute__((visibility("default")))
#else
#define RVSMS_API
#endif

/* A telephone number (read only). */
typedef struct AddressParam {
  int32_t Length;     /* number of characters of Digits to use (at most 20) */
  const char* Digits; /* "0"-"9", "*", "#", "A"-"C"; no leading "+" */
  int32_t AdrType;    /* type of number: 0 unknown, 1 international, 2 national; else 0 */
} AddressParam;

/* The message parameters, 18 int32 (read only). */
typedef struct SubmitParams {
  int32_t Reserved0;
  int32_t TextInType;      /* 3 raw bytes (zero bytes included); 0, 1, 2 code-page text */
  int32_t TextInCodepage;  /* code page of the text, 0 = locale */
  int32_t StatusSMS;       /* non-zero requests a status report */
  int32_t WithSMSC;        /* 1 puts the SMSC address field in front of the TPDU */
  int32_t TextOutType;     /* 0 GSM 7-bit, 1 8-bit text, 2 UCS2, 3 8-bit raw */
  int32_t TextOutCodepage; /* code page of 8-bit text (TextOutType 1) */
  int32_t MsgClass;        /* 0..3, 255 none */
  int32_t TPDCSType;       /* 1 uses the data coding group 1111 */
  int32_t UDHI;            /* 1: the user data begins with a header the caller supplies */
  int32_t TP_PID;          /* 0..255, else 0 */
  int32_t TP_MR;           /* 0..255, else 0 */
  int32_t Reserved12;
  int32_t Reserved13;
  int32_t Reserved14;
  int32_t Reserved15;
  int32_t Reserved16;
  int32_t Reserved17;
} SubmitParams;

/* Result numbers. */
enum {
  RVSMS_OK = 1,
  RVSMS_TEXT_LENGTH = 210,     /* text length below 1 or null text */
  RVSMS_BUFFER_SMALL = 211,    /* buffer below 2x (4x) the text length, or the hex does not fit */
  RVSMS_CUT = 212,             /* output cut to the buffer size */
  RVSMS_BAD_ADDRESS = 213,     /* destination missing or a number with a bad character */
  RVSMS_BAD_CODEPAGE = 214,    /* code page not supported */
  RVSMS_FAILED = 215,          /* bad parameters, failed conversion, no user data */
  RVSMS_EMPTY = 216,           /* null pointer (rvMakeSubmitPDU), text length below 1, empty text */
  RVSMS_PDU_TOO_LONG = 217,    /* PDU longer than the buffer; buffer below 2x the text length */
  RVSMS_TOO_MANY_PARTS = 218,  /* rvMakeSubmitParts: the message needs more than 255 parts */
  RVSMS_PART_TABLE_SMALL = 219 /* rvMakeSubmitParts: partCapacity below the part count */
};

/* What rvMakeSubmitParts found out about a message (written by every call that got as far
 * as the user data, successful or not, and by the size query). */
typedef struct SubmitPartsInfo {
  int32_t PartCount;       /* parts the message takes: 1 .. 255 (more on 218) */
  int32_t NeededSize;      /* bytes all the parts' PDUs take together (0 on 218) */
  int32_t TextOutType;     /* the coding used: 0 GSM 7-bit, 1 8-bit text, 2 UCS2, 3 8-bit raw */
  int32_t UnitsPerPart;    /* what one part holds: septets (7-bit), octets (8-bit) or UTF-16
                              units (UCS2); 160 / 140 / 70 for one part, 153 / 134 / 67 when
                              the parts carry the concatenation header */
  int32_t UnitsInLastPart; /* how many of them the last part uses */
  int32_t Unmapped;        /* characters without a GSM 7-bit code (left out when 7-bit is
                              forced; the reason the automatic coding chose UCS2) */
  int32_t Reserved6;
  int32_t Reserved7;
} SubmitPartsInfo;

/* Writes 1, 1, 2, 1 (major, minor, build, revision). Returns 1, or 216 when a pointer is
 * null (nothing written). */
RVSMS_API int32_t rvPduVersion(int32_t* major, int32_t* minor, int32_t* build, int32_t* revision);

/* The UTF-16 unit (0..65535) that the low byte of character stands for in codePage.
 * Returns -216 for byte 0, -214 for an unsupported code page, -215 when the byte does not
 * convert (or starts a multi-byte sequence). */
RVSMS_API int32_t Ansi2UniLong(int32_t character, int32_t codePage);

/* The text's UTF-16 units as upper-case hex, four digits per unit (a character above
 * U+FFFF gives two units), into buffer (char, no terminator).
 * Returns 1; 210 text length below 1; 211 *bufferSize below 4 x textLength or the digits
 * do not fit; -1 the text could not be taken in (empty, unsupported code page, failed
 * conversion). */
RVSMS_API int32_t rvMakeUniPduData(const char* text, int32_t textLength, char* buffer,
                                   int32_t* bufferSize, int32_t codePage, int32_t reserved1,
                                   int32_t reserved2);

/* One SMS-SUBMIT PDU (SMSC field first when params->WithSMSC is 1) into buffer; the TPDU
 * length (octets after the SMSC field, for AT+CMGS / AT+CMGW) into *tpduLength.
 * With TextInType 3 the text is exactly textLength raw bytes; with TextOutType 0 and
 * TextInType 3 they are packed 7-bit user data (header and fill bits included, at most
 * 140 bytes, TP-UDL = bytes x 8 / 7). 7-bit text is cut at 160 codes, 8-bit at 140
 * octets, UCS2 at 70 units; raw 8-bit over 140 bytes fails.
 * Returns 1; 216 dest, params or tpduLength null; 210 text null or length below 1;
 * 211 buffer null or *bufferSize below 2 x textLength; 213 destination digits missing,
 * a number with a bad character or more than 20 digits; 215 invalid params (TextInType
 * or TextOutType above 3, MsgClass not 0..3 or 255), failed text intake, no user data or
 * raw user data too long (also an unsupported code page for the 8-bit output text);
 * 217 the PDU is longer than *bufferSize. */
RVSMS_API int32_t rvMakeSubmitPDU(const char* text, int32_t textLength, unsigned char* buffer,
                                  int32_t* bufferSize, const AddressParam* destination,
                                  const AddressParam* smsc, const SubmitParams* params,
                                  int32_t* tpduLength);

/* The text's GSM 7-bit codes, one per byte (unpacked), into buffer.
 * Returns 1; 212 more codes than *bufferSize (the first *bufferSize written, size kept);
 * 216 text null or length below 1; 217 buffer null or *bufferSize below 2 x textLength;
 * -215 the text could not be taken in or gave no GSM code. */
RVSMS_API int32_t rvConvertString(const char* text, int32_t textLength, unsigned char* buffer,
                                  int32_t* bufferSize, int32_t codePage, int32_t reserved);

/* The text as packed GSM 7-bit user data (cut at 160 codes, no header) into buffer; the
 * septet count (TP-UDL) into *septetCount.
 * Returns 1; 210 text null or length below 1; 211 buffer or septetCount null or
 * *bufferSize below 2 x textLength; 216, 214, 215 the text could not be taken in (empty,
 * unsupported code page, failed conversion); 215 no GSM code; -3 no octets. */
RVSMS_API int32_t rvMake7BitPduData(const char* text, int32_t textLength, unsigned char* buffer,
                                    int32_t* bufferSize, int32_t codePage, int32_t* septetCount,
                                    int32_t reserved);

/* The text as packed GSM 7-bit user data for behind a user data header of headerLength
 * octets (fill bits first so that the first septet starts on a septet boundary of the
 * whole user data; 0 = no header) into buffer. The header itself is not written.
 * Returns 1; 212 the packed octets did not all fit (the first *bufferSize written, size
 * kept); 216 text null, length below 1, empty text or headerLength negative; 217 buffer
 * null or *bufferSize below 2 x textLength; 214 unsupported code page; 215 failed
 * conversion or no GSM code. */
RVSMS_API int32_t rvConvert27BitGSM(const char* text, int32_t textLength, unsigned char* buffer,
                                    int32_t* bufferSize, int32_t codePage, int32_t headerLength);

/* A message of any length as concatenated SMS-SUBMIT PDUs (3GPP TS 23.040 9.2.3.24.1, the
 * 8-bit reference element 00 03 reference count sequence in each part's user data header).
 * A message that fits one SMS gives one PDU without that element, octet for octet the one
 * rvMakeSubmitPDU gives for the same arguments.
 *
 * params as for rvMakeSubmitPDU, and TextOutType 4 = automatic: GSM 7-bit when every
 * character has a code in the default alphabet or its extension table, else UCS2. Each
 * part is an SMS-SUBMIT of its own with TP-MR = (params->TP_MR + part index) mod 256.
 * Parts hold 153 septets (never ending between an escape and its extension code), 67 UCS2
 * units (never between the halves of a surrogate pair), 134 octets of 8-bit text (whole
 * characters) or, for raw data (TextInType 3 with TextOutType 3), 134 octets less the
 * caller's own header: with UDHI 1 the data begins with a header (its length octet first)
 * whose elements, such as the port addressing of a ringtone, are repeated in every part in
 * front of the concatenation element. Raw packed 7-bit data (TextInType 3, TextOutType 0)
 * cannot be split: over 140 octets it fails with 215.
 * reference: the concatenation reference number, 0..255, the same in every part.
 *
 * Two calls: the first with buffer null asks only for the size: it fills *info and returns
 * 1 (bufferSize, partSizes and tpduLengths are not touched). The second gets a buffer of
 * info->NeededSize bytes and tables of partCapacity >= info->PartCount entries; it writes
 * the PDUs one after the other (each SMSC field first when params->WithSMSC is 1), the
 * octet count of each into partSizes[i], the TPDU length of each (for AT+CMGS / AT+CMGW)
 * into tpduLengths[i], and the bytes written into *bufferSize.
 * Returns 1; 216 destination, params or info null; 210 text null or length below 1;
 * 213 destination digits missing or a number with a bad character; 215 invalid params
 * (as rvMakeSubmitPDU, TextOutType up to 4), reference outside 0..255, failed text intake,
 * no user data, a raw header longer than its data or than a part leaves room for;
 * 218 more than 255 parts (info->PartCount says how many); 219 partSizes or tpduLengths
 * null or partCapacity below the part count; 217 bufferSize null or *bufferSize below
 * info->NeededSize (then *bufferSize becomes the size needed). Nothing but *info (and that
 * size) is written unless the result is 1. */
RVSMS_API int32_t rvMakeSubmitParts(const char* text, int32_t textLength,
                                    const AddressParam* destination, const AddressParam* smsc,
                                    const SubmitParams* params, int32_t reference,
                                    unsigned char* buffer, int32_t* bufferSize, int32_t* partSizes,
                                    int32_t* tpduLengths, int32_t partCapacity,
                                    SubmitPartsInfo* info);

#ifdef __cplusplus
}
#endif

#endif /* RVSMS_H */
