#include "submit_parts.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "codepage.h"
#include "ucs2.h"

namespace rvsms {
namespace {

bool HighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool LowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Where each part ends, for units of which some must stay with the unit after them
// (`bound(i)`: unit i may not be the last of a part). Empty for more than 255 parts.
template <typename Bound>
std::vector<size_t> PartEnds(size_t count, size_t perPart, size_t* partsNeeded, Bound bound) {
  std::vector<size_t> ends;
  size_t begin = 0;
  size_t parts = 0;
  while (begin < count) {
    size_t end = std::min(begin + perPart, count);
    if (end < count && end - begin > 1 && bound(end - 1)) --end;
    ++parts;
    if (parts <= kMaxParts) ends.push_back(end);
    begin = end;
  }
  *partsNeeded = parts;
  if (parts > kMaxParts) ends.clear();
  return ends;
}

Bytes ConcatHeader(const Bytes& ownElements, uint8_t reference, size_t count, size_t number) {
  Bytes h;
  h.reserve(1 + ownElements.size() + kConcatElement);
  h.push_back(static_cast<uint8_t>(ownElements.size() + kConcatElement));
  h.insert(h.end(), ownElements.begin(), ownElements.end());
  h.insert(h.end(),
           {0x00, 0x03, reference, static_cast<uint8_t>(count), static_cast<uint8_t>(number)});
  return h;
}

struct Plan {
  std::vector<Bytes> userData;  // TP-UD of each part
  std::vector<uint8_t> udl;     // TP-UDL of each part
  bool concatenated = false;    // the parts carry the concatenation header
};

int TooMany(size_t needed, SubmitPartsInfo& info) {
  info.PartCount = static_cast<int32_t>(std::min<size_t>(needed, INT32_MAX));
  info.NeededSize = 0;
  return RVSMS_TOO_MANY_PARTS;
}

int PlanSevenBit(const Bytes& allCodes, uint8_t reference, Plan& plan, SubmitPartsInfo& info) {
  // Codes of 0x80 and above (only an escape pass-through makes them) never reach the
  // packing; leaving them out first keeps the counts true.
  Bytes codes;
  codes.reserve(allCodes.size());
  for (uint8_t c : allCodes)
    if (c < 0x80) codes.push_back(c);
  if (codes.empty()) return 215;
  if (codes.size() <= kMaxSeptets) {
    Bytes ud;
    int count = 0;
    if (PackSeptets(codes, 0, ud, count) != 1) return 215;
    plan.userData.push_back(std::move(ud));
    plan.udl.push_back(static_cast<uint8_t>(count));
    info.UnitsPerPart = static_cast<int32_t>(kMaxSeptets);
    info.UnitsInLastPart = count;
    return 1;
  }
  // An escape and the extension code after it stay in one part.
  std::vector<bool> pairStart(codes.size(), false);
  for (size_t i = 0; i + 1 < codes.size(); ++i)
    if (codes[i] == 0x1B) pairStart[i++] = true;
  size_t needed = 0;
  const std::vector<size_t> ends =
      PartEnds(codes.size(), kConcatSeptets, &needed, [&](size_t i) { return pairStart[i]; });
  if (ends.empty()) return TooMany(needed, info);
  size_t begin = 0;
  for (size_t k = 0; k < ends.size(); ++k) {
    const Bytes chunk(codes.begin() + static_cast<long>(begin),
                      codes.begin() + static_cast<long>(ends[k]));
    Bytes ud = ConcatHeader({}, reference, ends.size(), k + 1);
    const size_t headerOctets = ud.size();
    Bytes packed;
    int count = 0;
    if (PackSeptets(chunk, static_cast<int32_t>(headerOctets), packed, count) != 1) return 215;
    ud.insert(ud.end(), packed.begin(), packed.end());
    plan.userData.push_back(std::move(ud));
    plan.udl.push_back(static_cast<uint8_t>((headerOctets * 8 + 6) / 7 + chunk.size()));
    info.UnitsInLastPart = static_cast<int32_t>(chunk.size());
    begin = ends[k];
  }
  plan.concatenated = true;
  info.UnitsPerPart = static_cast<int32_t>(kConcatSeptets);
  return 1;
}

int PlanUcs2(const std::u16string& text, uint8_t reference, Plan& plan, SubmitPartsInfo& info) {
  if (text.empty()) return 215;
  if (text.size() <= kMaxUcs2Units) {
    Bytes ud;
    int octets = 0;
    if (EncodeUcs2(text, ud, octets) != 1) return 215;
    plan.userData.push_back(std::move(ud));
    plan.udl.push_back(static_cast<uint8_t>(octets));
    info.UnitsPerPart = static_cast<int32_t>(kMaxUcs2Units);
    info.UnitsInLastPart = static_cast<int32_t>(text.size());
    return 1;
  }
  size_t needed = 0;
  const std::vector<size_t> ends = PartEnds(text.size(), kConcatUcs2Units, &needed, [&](size_t i) {
    return HighSurrogate(text[i]) && i + 1 < text.size() && LowSurrogate(text[i + 1]);
  });
  if (ends.empty()) return TooMany(needed, info);
  size_t begin = 0;
  for (size_t k = 0; k < ends.size(); ++k) {
    Bytes ud = ConcatHeader({}, reference, ends.size(), k + 1);
    for (size_t i = begin; i < ends[k]; ++i) {
      ud.push_back(static_cast<uint8_t>(text[i] >> 8));
      ud.push_back(static_cast<uint8_t>(text[i] & 0xFF));
    }
    plan.udl.push_back(static_cast<uint8_t>(ud.size()));
    plan.userData.push_back(std::move(ud));
    info.UnitsInLastPart = static_cast<int32_t>(ends[k] - begin);
    begin = ends[k];
  }
  plan.concatenated = true;
  info.UnitsPerPart = static_cast<int32_t>(kConcatUcs2Units);
  return 1;
}

// Octets split at `room` per part; ownElements are repeated in front of the concatenation
// element of every part.
int PlanOctets(const std::vector<Bytes>& pieces, const Bytes& ownElements, uint8_t reference,
               Plan& plan, SubmitPartsInfo& info) {
  const size_t headerOctets = 1 + ownElements.size() + kConcatElement;
  if (pieces.empty() || headerOctets >= kMaxUserDataOctets) return 215;
  const size_t room = kMaxUserDataOctets - headerOctets;
  // pieces are indivisible (the bytes of one character); a piece longer than a part
  // cannot happen for the code pages in the table, but is refused all the same.
  std::vector<size_t> ends;  // piece index where each part ends
  size_t used = 0, needed = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].size() > room) return 215;
    if (used + pieces[i].size() > room || needed == 0) {
      if (needed > 0) ends.push_back(i);
      ++needed;
      used = 0;
    }
    used += pieces[i].size();
  }
  ends.push_back(pieces.size());
  if (needed > static_cast<size_t>(kMaxParts)) return TooMany(needed, info);
  size_t begin = 0;
  for (size_t k = 0; k < ends.size(); ++k) {
    Bytes ud = ConcatHeader(ownElements, reference, ends.size(), k + 1);
    size_t octets = 0;
    for (size_t i = begin; i < ends[k]; ++i) {
      ud.insert(ud.end(), pieces[i].begin(), pieces[i].end());
      octets += pieces[i].size();
    }
    plan.udl.push_back(static_cast<uint8_t>(ud.size()));
    plan.userData.push_back(std::move(ud));
    info.UnitsInLastPart = static_cast<int32_t>(octets);
    begin = ends[k];
  }
  plan.concatenated = true;
  info.UnitsPerPart = static_cast<int32_t>(room);
  return 1;
}

int PlanEightBitText(const std::u16string& text, int32_t codePage, uint8_t reference, Plan& plan,
                     SubmitPartsInfo& info) {
  std::string whole;
  if (Utf16ToText(text, codePage, SIZE_MAX, whole) != 1) return 215;
  if (whole.size() <= kMaxUserDataOctets) {
    plan.userData.emplace_back(whole.begin(), whole.end());
    plan.udl.push_back(static_cast<uint8_t>(whole.size()));
    info.UnitsPerPart = static_cast<int32_t>(kMaxUserDataOctets);
    info.UnitsInLastPart = static_cast<int32_t>(whole.size());
    return 1;
  }
  // Character by character, so that no part ends inside a multi-byte character.
  std::vector<Bytes> pieces;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t n =
        HighSurrogate(text[i]) && i + 1 < text.size() && LowSurrogate(text[i + 1]) ? 2 : 1;
    std::string bytes;
    if (Utf16ToText(text.substr(i, n), codePage, SIZE_MAX, bytes) != 1) return 215;
    pieces.emplace_back(bytes.begin(), bytes.end());
    i += n - 1;
  }
  return PlanOctets(pieces, {}, reference, plan, info);
}

int PlanRaw(const std::u16string& units, bool udhi, uint8_t reference, Plan& plan,
            SubmitPartsInfo& info) {
  Bytes data;
  for (char16_t u : units)
    if (u < 256) data.push_back(static_cast<uint8_t>(u));
  if (data.empty()) return 215;
  if (data.size() <= kMaxUserDataOctets) {
    plan.udl.push_back(static_cast<uint8_t>(data.size()));
    plan.userData.push_back(std::move(data));
    info.UnitsPerPart = static_cast<int32_t>(kMaxUserDataOctets);
    info.UnitsInLastPart = static_cast<int32_t>(plan.userData.back().size());
    return 1;
  }
  Bytes own;
  size_t payload = 0;
  if (udhi) {
    const size_t header = data[0] + 1u;
    if (header >= data.size()) return 215;
    own.assign(data.begin() + 1, data.begin() + static_cast<long>(header));
    payload = header;
  }
  std::vector<Bytes> pieces;
  pieces.reserve(data.size() - payload);
  for (size_t i = payload; i < data.size(); ++i) pieces.push_back(Bytes{data[i]});
  return PlanOctets(pieces, own, reference, plan, info);
}

}  // namespace

int BuildSubmitParts(SmsSubmitBuilder& builder, uint8_t reference, std::vector<SubmitPart>& parts,
                     SubmitPartsInfo& info) {
  parts.clear();
  GsmAlphabetConverter& converter = builder.converter();
  const std::u16string& text = converter.input();
  uint32_t outType = builder.textOutType();
  const bool raw = builder.textInType() == 3;
  if (outType == SmsSubmitBuilder::kAutomaticOut && raw) return 215;

  Plan plan;
  int r = 215;
  if (outType == 0 && raw) {
    // Packed by the caller, header and fill bits included: one part or none.
    if (text.size() > kMaxUserDataOctets) return 215;
    Bytes ud;
    for (char16_t u : text) ud.push_back(static_cast<uint8_t>(u));
    if (ud.empty()) return 215;
    plan.udl.push_back(static_cast<uint8_t>(ud.size() * 8 / 7));
    info.UnitsPerPart = static_cast<int32_t>(kMaxUserDataOctets);
    info.UnitsInLastPart = static_cast<int32_t>(ud.size());
    plan.userData.push_back(std::move(ud));
    r = 1;
  } else if (outType == 0 || outType == SmsSubmitBuilder::kAutomaticOut) {
    const int c = converter.ConvertToGsm();
    info.Unmapped = converter.unmapped();
    if (outType == SmsSubmitBuilder::kAutomaticOut) outType = info.Unmapped > 0 ? 2 : 0;
    if (outType == 0)
      r = c == 1 ? PlanSevenBit(converter.GsmCodesToBytes(), reference, plan, info) : 215;
  }
  builder.SetTextOutType(outType);
  info.TextOutType = static_cast<int32_t>(outType);
  if (outType == 2)
    r = PlanUcs2(text, reference, plan, info);
  else if (outType == 1)
    r = PlanEightBitText(text, builder.textOutCodepage(), reference, plan, info);
  else if (outType == 3)
    r = PlanRaw(text, builder.udhi(), reference, plan, info);
  if (r != 1) return r;

  info.PartCount = static_cast<int32_t>(plan.userData.size());
  int64_t size = 0;
  parts.resize(plan.userData.size());
  for (size_t k = 0; k < plan.userData.size(); ++k) {
    const bool udhi = plan.concatenated || builder.udhi();
    const auto mr = static_cast<uint8_t>((builder.messageReference() + k) % 256);
    if (builder.AssembleWith(plan.udl[k], plan.userData[k], udhi, mr, parts[k].pdu,
                             parts[k].tpduLength) != 1)
      return 215;
    size += static_cast<int64_t>(parts[k].pdu.size());
  }
  info.NeededSize = static_cast<int32_t>(size);
  return 1;
}

}  // namespace rvsms
