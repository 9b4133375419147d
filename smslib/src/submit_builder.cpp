#include "submit_builder.h"

#include "codepage.h"
#include "ucs2.h"

namespace rvsms {
namespace {

uint8_t OctetOrZero(int32_t v) {
  return (v >= 0 && v <= 255) ? static_cast<uint8_t>(v) : 0;
}

}  // namespace

int SmsSubmitBuilder::SetParams(const SubmitParams& p, bool allowAutomatic) {
  const auto inType = static_cast<uint32_t>(p.TextInType);
  const auto outType = static_cast<uint32_t>(p.TextOutType);
  const auto cls = static_cast<uint32_t>(p.MsgClass);
  const uint32_t maxOut = allowAutomatic ? kAutomaticOut : 3;
  if (inType > 3 || outType > maxOut || (cls > 3 && cls != 255)) return 215;
  textInType_ = inType;
  textInCodepage_ = p.TextInCodepage;
  statusReport_ = p.StatusSMS != 0;
  withSmsc_ = p.WithSMSC == 1;
  textOutType_ = outType;
  textOutCodepage_ = p.TextOutCodepage;
  msgClass_ = cls;
  dcsGroup1111_ = p.TPDCSType == 1;
  udhi_ = p.UDHI == 1;
  pid_ = OctetOrZero(p.TP_PID);
  mr_ = OctetOrZero(p.TP_MR);
  return 1;
}

int SmsSubmitBuilder::SetText(const char* text, int32_t length) {
  if (!text || length < 1) return 215;
  std::u16string units;
  if (textInType_ == 3) {
    // Raw data (ringtones hold zero bytes): every byte one unit of the same value.
    units.reserve(static_cast<size_t>(length));
    for (int32_t i = 0; i < length; ++i)
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i])));
  } else if (TextToUtf16(text, BoundedTextLength(text, length), textInCodepage_, units) != 1) {
    return 215;
  }
  converter_.setInput(std::move(units));
  return 1;
}

int SmsSubmitBuilder::SetDestination(const AddressParam& address) {
  destination_.SetType(address.AdrType);
  return destination_.SetDigits(address.Digits, address.Length);
}

int SmsSubmitBuilder::SetSmsc(const AddressParam* address) {
  smsc_ = SmsAddress();
  if (!address || !address->Digits || address->Length < 1) return 1;
  smsc_.SetType(address->AdrType);
  return smsc_.SetDigits(address->Digits, address->Length);
}

// TP-SRR bit 5, TP-UDHI bit 6; SMS-SUBMIT, no reject-duplicates, no validity period.
uint8_t SmsSubmitBuilder::FirstOctet() const {
  return static_cast<uint8_t>(0x01 | (statusReport_ ? 0x20 : 0) | (udhi_ ? 0x40 : 0));
}

// General group 00xx: bit 4 class meaning, bits 3..2 alphabet, bits 1..0 class.
// Group 1111 carries only the default alphabet and 8-bit data, so UCS2 stays in the
// general group with a class.
uint8_t SmsSubmitBuilder::DataCodingScheme() const {
  const Alphabet alphabet = textOutType_ == 0 ? kGsm7Bit : textOutType_ == 2 ? kUcs2 : k8Bit;
  const bool hasClass = msgClass_ != 255;
  const uint8_t cls = hasClass ? static_cast<uint8_t>(msgClass_) : 0;
  if (dcsGroup1111_) {
    if (alphabet == kUcs2) return static_cast<uint8_t>(0x18 | cls);
    return static_cast<uint8_t>(0xF0 | alphabet << 2 | cls);
  }
  return static_cast<uint8_t>((hasClass ? 0x10 : 0) | alphabet << 2 | cls);
}

int SmsSubmitBuilder::MakeUserData(uint8_t& udl, Bytes& ud) {
  ud.clear();
  udl = 0;
  const std::u16string& text = converter_.input();
  switch (textOutType_) {
    case 0:
      if (textInType_ == 3) {
        // Already packed by the caller, header and fill bits included.
        if (text.size() > kMaxUserDataOctets) return 215;
        for (char16_t u : text) ud.push_back(static_cast<uint8_t>(u));
        udl = static_cast<uint8_t>(ud.size() * 8 / 7);
      } else {
        if (converter_.ConvertToGsm() != 1) return 215;
        Bytes codes = converter_.GsmCodesToBytes();
        // The cut counts codes before the packing drops any of 0x80 and above; an
        // extension character straddling it keeps its escape.
        if (codes.size() > kMaxSeptets) codes.resize(kMaxSeptets);
        int count = 0;
        if (PackSeptets(codes, 0, ud, count) != 1) return 215;
        udl = static_cast<uint8_t>(count);
      }
      break;
    case 1: {
      std::string bytes;
      if (Utf16ToText(text, textOutCodepage_, kMaxUserDataOctets, bytes) != 1) return 215;
      ud.assign(bytes.begin(), bytes.end());
      udl = static_cast<uint8_t>(ud.size());
      break;
    }
    case 2: {
      int octets = 0;
      if (EncodeUcs2(text, ud, octets) != 1) return 215;
      udl = static_cast<uint8_t>(octets);
      break;
    }
    case 3:
      for (char16_t u : text)
        if (u < 256) ud.push_back(static_cast<uint8_t>(u));
      if (ud.size() > kMaxUserDataOctets) return 215;
      udl = static_cast<uint8_t>(ud.size());
      break;
    default:
      return 215;
  }
  return ud.empty() ? 215 : 1;
}

int SmsSubmitBuilder::Assemble(Bytes& pdu, int32_t& tpduLength) {
  pdu.clear();
  if (destination_.empty()) return 215;
  uint8_t udl = 0;
  Bytes ud;
  if (MakeUserData(udl, ud) != 1) return 215;
  return AssembleWith(udl, ud, udhi_, mr_, pdu, tpduLength);
}

int SmsSubmitBuilder::AssembleWith(uint8_t udl, const Bytes& ud, bool udhi, uint8_t mr, Bytes& pdu,
                                   int32_t& tpduLength) {
  pdu.clear();
  if (destination_.empty() || ud.empty()) return 215;
  const bool ownUdhi = udhi_;
  udhi_ = udhi;
  const uint8_t firstOctet = FirstOctet();
  udhi_ = ownUdhi;
  Bytes tpdu;
  tpdu.reserve(ud.size() + 20);
  tpdu.push_back(firstOctet);
  tpdu.push_back(mr);
  destination_.AppendTpDa(tpdu);
  tpdu.push_back(pid_);
  tpdu.push_back(DataCodingScheme());
  tpdu.push_back(udl);
  tpdu.insert(tpdu.end(), ud.begin(), ud.end());
  if (withSmsc_) smsc_.AppendSmscField(pdu);
  pdu.insert(pdu.end(), tpdu.begin(), tpdu.end());
  tpduLength = static_cast<int32_t>(tpdu.size());
  return 1;
}

}  // namespace rvsms
