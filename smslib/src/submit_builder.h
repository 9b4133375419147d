// One SMS-SUBMIT TPDU (3GPP TS 23.040 9.2.2.2), optionally behind the SMSC address field.
#pragma once

#include <cstdint>

#include "gsm_alphabet.h"
#include "rvsms.h"
#include "sms_address.h"

namespace rvsms {

constexpr size_t kMaxUserDataOctets = 140;
constexpr size_t kMaxSeptets = 160;

class SmsSubmitBuilder {
 public:
  // Alphabet values of TP-DCS bits 3..2.
  enum Alphabet : uint8_t { kGsm7Bit = 0, k8Bit = 1, kUcs2 = 2 };

  // The automatic coding of the parts export: GSM 7-bit where every character allows it,
  // else UCS2.
  static constexpr uint32_t kAutomaticOut = 4;

  // Checks and stores the parameters: 1, or 215 (TextInType or TextOutType above 3 (above
  // 4 with allowAutomatic), MsgClass not 0..3 or 255; negative values count as large).
  int SetParams(const SubmitParams& params, bool allowAutomatic = false);
  // The coding once the automatic choice has been made (0..3).
  void SetTextOutType(uint32_t type) { textOutType_ = type; }
  // Takes in the text: raw bytes for TextInType 3 (exactly length bytes), else the
  // code-page text up to its terminator or length. 1 or 215.
  int SetText(const char* text, int32_t length);
  // 1 or 213.
  int SetDestination(const AddressParam& address);
  // Leaves the SMSC empty for a null record, null digits or a length below 1. 1 or 213.
  int SetSmsc(const AddressParam* address);

  uint8_t FirstOctet() const;
  uint8_t DataCodingScheme() const;
  // TP-UDL and TP-UD for the output type: 1 or 215.
  int MakeUserData(uint8_t& udl, Bytes& ud);
  // The whole PDU and the TPDU's length: 1 or 215.
  int Assemble(Bytes& pdu, int32_t& tpduLength);

  // A TPDU with the given user data (and the SMSC field when asked): the parts export
  // gives each part its own header flag and message reference. 1 or 215.
  int AssembleWith(uint8_t udl, const Bytes& ud, bool udhi, uint8_t mr, Bytes& pdu,
                   int32_t& tpduLength);

  const GsmAlphabetConverter& converter() const { return converter_; }
  GsmAlphabetConverter& converter() { return converter_; }
  uint32_t textInType() const { return textInType_; }
  uint32_t textOutType() const { return textOutType_; }
  int32_t textOutCodepage() const { return textOutCodepage_; }
  bool udhi() const { return udhi_; }
  uint8_t messageReference() const { return mr_; }

 private:
  GsmAlphabetConverter converter_{std::u16string()};
  SmsAddress destination_;
  SmsAddress smsc_;
  uint32_t textInType_ = 0;
  int32_t textInCodepage_ = 0;
  bool statusReport_ = false;
  bool withSmsc_ = false;
  uint32_t textOutType_ = 0;
  int32_t textOutCodepage_ = 0;
  uint32_t msgClass_ = 255;
  bool dcsGroup1111_ = false;
  bool udhi_ = false;
  uint8_t pid_ = 0;
  uint8_t mr_ = 0;
};

}  // namespace rvsms
