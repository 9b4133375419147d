// The C exports: argument checks first, then one guarded body each. Every call
// builds its own converter and strings; outputs are written only on success.
#include <cstdio>
#include <cstring>
#include <new>

#include "codepage.h"
#include "gsm_alphabet.h"
#include "rvsms.h"
#include "submit_builder.h"
#include "submit_parts.h"

using rvsms::Bytes;

namespace {

// Buffer checks against a multiple of the text length, without overflow.
bool BufferBelow(const int32_t* bufferSize, int32_t textLength, int64_t factor) {
  return *bufferSize < int64_t{textLength} * factor;
}

// Code-page text (up to its terminator or textLength) to GSM codes, one per byte.
// Returns 1 or the failing step's code as a positive number (216, 214, 215).
int TextToGsmCodes(const char* text, int32_t textLength, int32_t codePage, Bytes& codes) {
  std::u16string units;
  const int r =
      rvsms::TextToUtf16(text, rvsms::BoundedTextLength(text, textLength), codePage, units);
  if (r != 1) return -r;
  rvsms::GsmAlphabetConverter converter(std::move(units));
  const int c = converter.ConvertToGsm();
  if (c != 1) return c;
  codes = converter.GsmCodesToBytes();
  return codes.empty() ? 215 : 1;
}

void CopyOut(const Bytes& bytes, size_t count, unsigned char* buffer) {
  if (count > 0) std::memcpy(buffer, bytes.data(), count);
}

}  // namespace

extern "C" {

RVSMS_API int32_t rvPduVersion(int32_t* major, int32_t* minor, int32_t* build, int32_t* revision) {
  if (!major || !minor || !build || !revision) return RVSMS_EMPTY;
  *major = 1;
  *minor = 1;
  *build = 2;
  *revision = 1;
  return RVSMS_OK;
}

RVSMS_API int32_t Ansi2UniLong(int32_t character, int32_t codePage) {
  const char byte[2] = {static_cast<char>(character & 0xFF), 0};
  try {
    std::u16string units;
    const int r = rvsms::TextToUtf16(byte, byte[0] ? 1 : 0, codePage, units);
    if (r != 1) return r;
    return units[0];
  } catch (...) {
    return rvsms::kIntakeFailed;
  }
}

RVSMS_API int32_t rvMakeUniPduData(const char* text, int32_t textLength, char* buffer,
                                   int32_t* bufferSize, int32_t codePage, int32_t, int32_t) {
  if (!text || textLength < 1) return RVSMS_TEXT_LENGTH;
  if (!buffer || !bufferSize || BufferBelow(bufferSize, textLength, 4)) return RVSMS_BUFFER_SMALL;
  try {
    std::u16string units;
    if (rvsms::TextToUtf16(text, rvsms::BoundedTextLength(text, textLength), codePage, units) != 1)
      return -1;
    // Every unit, the last ones included.
    std::string digits;
    digits.reserve(units.size() * 4);
    char hex[8];
    for (char16_t u : units) {
      std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(u));
      digits += hex;
    }
    if (digits.size() > static_cast<size_t>(*bufferSize)) return RVSMS_BUFFER_SMALL;
    std::memcpy(buffer, digits.data(), digits.size());
    *bufferSize = static_cast<int32_t>(digits.size());
    return RVSMS_OK;
  } catch (...) {
    return -1;
  }
}

RVSMS_API int32_t rvMakeSubmitPDU(const char* text, int32_t textLength, unsigned char* buffer,
                                  int32_t* bufferSize, const AddressParam* destination,
                                  const AddressParam* smsc, const SubmitParams* params,
                                  int32_t* tpduLength) {
  if (!destination || !params || !tpduLength) return RVSMS_EMPTY;
  if (!text || textLength < 1) return RVSMS_TEXT_LENGTH;
  if (!buffer || !bufferSize || BufferBelow(bufferSize, textLength, 2)) return RVSMS_BUFFER_SMALL;
  if (!destination->Digits || destination->Length < 1) return RVSMS_BAD_ADDRESS;
  try {
    rvsms::SmsSubmitBuilder builder;
    if (builder.SetParams(*params) != 1) return RVSMS_FAILED;
    if (builder.SetText(text, textLength) != 1) return RVSMS_FAILED;
    if (builder.SetDestination(*destination) != 1) return RVSMS_BAD_ADDRESS;
    if (builder.SetSmsc(smsc) != 1) return RVSMS_BAD_ADDRESS;
    Bytes pdu;
    int32_t tpdu = 0;
    if (builder.Assemble(pdu, tpdu) != 1) return RVSMS_FAILED;
    if (pdu.size() > static_cast<size_t>(*bufferSize)) return RVSMS_PDU_TOO_LONG;
    CopyOut(pdu, pdu.size(), buffer);
    *bufferSize = static_cast<int32_t>(pdu.size());
    *tpduLength = tpdu;
    return RVSMS_OK;
  } catch (...) {
    return RVSMS_FAILED;
  }
}

RVSMS_API int32_t rvConvertString(const char* text, int32_t textLength, unsigned char* buffer,
                                  int32_t* bufferSize, int32_t codePage, int32_t) {
  if (!text || textLength < 1) return RVSMS_EMPTY;
  if (!buffer || !bufferSize || BufferBelow(bufferSize, textLength, 2)) return RVSMS_PDU_TOO_LONG;
  try {
    Bytes codes;
    if (TextToGsmCodes(text, textLength, codePage, codes) != 1) return -RVSMS_FAILED;
    const size_t room = static_cast<size_t>(*bufferSize);
    if (codes.size() > room) {
      CopyOut(codes, room, buffer);
      return RVSMS_CUT;
    }
    CopyOut(codes, codes.size(), buffer);
    *bufferSize = static_cast<int32_t>(codes.size());
    return RVSMS_OK;
  } catch (...) {
    return -RVSMS_FAILED;
  }
}

RVSMS_API int32_t rvMake7BitPduData(const char* text, int32_t textLength, unsigned char* buffer,
                                    int32_t* bufferSize, int32_t codePage, int32_t* septetCount,
                                    int32_t) {
  if (!text || textLength < 1) return RVSMS_TEXT_LENGTH;
  if (!buffer || !bufferSize || !septetCount || BufferBelow(bufferSize, textLength, 2))
    return RVSMS_BUFFER_SMALL;
  try {
    Bytes codes;
    const int r = TextToGsmCodes(text, textLength, codePage, codes);
    if (r != 1) return r;
    // Cut at 160 codes, then packed (which drops codes of 0x80 and above).
    if (codes.size() > rvsms::kMaxSeptets) codes.resize(rvsms::kMaxSeptets);
    Bytes octets;
    int count = 0;
    if (rvsms::PackSeptets(codes, 0, octets, count) != 1) return RVSMS_FAILED;
    if (octets.empty()) return -3;
    // Cannot happen with a buffer of twice the text length; never cut silently.
    if (octets.size() > static_cast<size_t>(*bufferSize)) return RVSMS_BUFFER_SMALL;
    CopyOut(octets, octets.size(), buffer);
    *bufferSize = static_cast<int32_t>(octets.size());
    *septetCount = count;
    return RVSMS_OK;
  } catch (...) {
    return RVSMS_FAILED;
  }
}

RVSMS_API int32_t rvConvert27BitGSM(const char* text, int32_t textLength, unsigned char* buffer,
                                    int32_t* bufferSize, int32_t codePage, int32_t headerLength) {
  if (!text || textLength < 1 || headerLength < 0) return RVSMS_EMPTY;
  if (!buffer || !bufferSize || BufferBelow(bufferSize, textLength, 2)) return RVSMS_PDU_TOO_LONG;
  try {
    Bytes codes;
    const int r = TextToGsmCodes(text, textLength, codePage, codes);
    if (r != 1) return r;
    Bytes octets;
    int count = 0;
    if (rvsms::PackSeptets(codes, headerLength, octets, count) != 1) return RVSMS_FAILED;
    // Fill bits can make more octets than codes: any cut is reported.
    const size_t room = static_cast<size_t>(*bufferSize);
    if (octets.size() > room) {
      CopyOut(octets, room, buffer);
      return RVSMS_CUT;
    }
    CopyOut(octets, octets.size(), buffer);
    *bufferSize = static_cast<int32_t>(octets.size());
    return RVSMS_OK;
  } catch (...) {
    return RVSMS_FAILED;
  }
}

RVSMS_API int32_t rvMakeSubmitParts(const char* text, int32_t textLength,
                                    const AddressParam* destination, const AddressParam* smsc,
                                    const SubmitParams* params, int32_t reference,
                                    unsigned char* buffer, int32_t* bufferSize, int32_t* partSizes,
                                    int32_t* tpduLengths, int32_t partCapacity,
                                    SubmitPartsInfo* info) {
  if (!destination || !params || !info) return RVSMS_EMPTY;
  if (!text || textLength < 1) return RVSMS_TEXT_LENGTH;
  if (!destination->Digits || destination->Length < 1) return RVSMS_BAD_ADDRESS;
  if (reference < 0 || reference > 255) return RVSMS_FAILED;
  try {
    rvsms::SmsSubmitBuilder builder;
    if (builder.SetParams(*params, true) != 1) return RVSMS_FAILED;
    if (builder.SetText(text, textLength) != 1) return RVSMS_FAILED;
    if (builder.SetDestination(*destination) != 1) return RVSMS_BAD_ADDRESS;
    if (builder.SetSmsc(smsc) != 1) return RVSMS_BAD_ADDRESS;
    SubmitPartsInfo found{};
    std::vector<rvsms::SubmitPart> parts;
    const int r = rvsms::BuildSubmitParts(builder, static_cast<uint8_t>(reference), parts, found);
    *info = found;
    if (r != 1) return r;
    if (!buffer) return RVSMS_OK;  // the size query
    if (!partSizes || !tpduLengths || partCapacity < found.PartCount) return RVSMS_PART_TABLE_SMALL;
    if (!bufferSize) return RVSMS_PDU_TOO_LONG;
    if (*bufferSize < found.NeededSize) {
      *bufferSize = found.NeededSize;
      return RVSMS_PDU_TOO_LONG;
    }
    size_t at = 0;
    for (size_t k = 0; k < parts.size(); ++k) {
      CopyOut(parts[k].pdu, parts[k].pdu.size(), buffer + at);
      at += parts[k].pdu.size();
      partSizes[k] = static_cast<int32_t>(parts[k].pdu.size());
      tpduLengths[k] = parts[k].tpduLength;
    }
    *bufferSize = static_cast<int32_t>(at);
    return RVSMS_OK;
  } catch (...) {
    return RVSMS_FAILED;
  }
}

}  // extern "C"
