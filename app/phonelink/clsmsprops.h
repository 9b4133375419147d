// clSMSProps: the parameters of an outgoing SMS (addresses, code pages, text types, class,
// status report, header flag, coding group, PID, message reference) and the presets of
// the ringtone kinds. Assignments check their value and replace a rejected one silently.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>

namespace pxsettings {
class SettingsStore;
}

class clSMSProps {
 public:
  clSMSProps() { Init(); }

  // Destination "123" national, no SMSC, code-page text in, GSM 7-bit out, no class,
  // no report, no header, general coding group, PID 0, MR 0.
  void Init();

  // Numbers keep their characters except "+", "-", " ", "(", ")" and "/".
  QString DestAddress() const { return destAddress_; }
  void setDestAddress(const QString& value);
  int32_t DestAdrType() const { return destType_; }
  void setDestAdrType(int32_t value);  // 0, 1, 2, else 2
  QString SMSCAddress() const { return smscAddress_; }
  void setSMSCAddress(const QString& value);
  int32_t SMSCAdrType() const { return smscType_; }
  void setSMSCAdrType(int32_t value);  // 0, 1, 2, else 2
  int32_t TextInType() const { return textInType_; }
  void setTextInType(int32_t value);  // 0..3, else 0
  int32_t TextInCodepage() const { return textInCodepage_; }
  void setTextInCodepage(int32_t value) { textInCodepage_ = value; }
  int32_t TextOutType() const { return textOutType_; }
  void setTextOutType(int32_t value);  // 0..3, else 0
  int32_t TextOutCodepage() const { return textOutCodepage_; }
  void setTextOutCodepage(int32_t value) { textOutCodepage_ = value; }
  int32_t StatusSMS() const { return statusSMS_; }
  void setStatusSMS(int32_t value) { statusSMS_ = value; }
  // A view of the message class: 1 exactly when the class is 0.
  int32_t FlashSMS() const { return msgClass_ == 0 ? 1 : 0; }
  void setFlashSMS(int32_t value) { msgClass_ = value == 1 ? 0 : 255; }
  QVariant TP_PID() const { return pid_; }
  void setTP_PID(const QVariant& value) { pid_ = value; }
  uint8_t TP_MR() const { return mr_; }
  void setTP_MR(int value);  // 0..255, else 0

  int32_t SetDestAdr(const QString& sAddress, int32_t adrType);
  int32_t SetSMSCAdr(const QString& sAddress, int32_t adrType);
  // Number (as 8-bit text), its length in characters and its type.
  void GetDestAdrStruct(QByteArray* vAdr, int32_t* vAdrSize, int32_t* vAdrType) const;
  void GetSMSCStruct(QByteArray* vAdr, int32_t* vAdrSize, int32_t* vAdrType) const;

  void SetUDHI(int32_t value) { udhi_ = value == 1 ? 1 : 0; }
  int32_t GetUDHI() const { return udhi_; }
  // value 1 selects the coding group 1111 (and value2 1 also message class 1); anything
  // else the general group.
  void SetTPDCSType(int32_t value, int32_t value2 = 0);
  int32_t GetTPDCSType() const { return dcsGroup_; }
  int32_t GetMsgClass() const { return msgClass_; }
  // PID as the PDU library gets it: the variant's integer value, 0 when it has none.
  int32_t PidValue() const;

  // GSM 7-bit output (TextOutType 0) means 7-bit where every character allows it, else
  // UCS2; forced, characters without a GSM code are left out (the CLI's --alphabet gsm).
  // Not stored; copied with the message settings.
  bool ForceGsm() const { return forceGsm_; }
  void setForceGsm(bool on) { forceGsm_ = on; }
  // The TextOutType the PDU library gets: 4 (automatic) for unforced 7-bit text.
  int32_t LibraryTextOutType() const;

  // The counter of the SMS text box, as phones show it: what is left in the part being
  // typed and how many parts the text takes, counted by the PDU library (an extension
  // character such as the euro sign takes two septets; one character outside the GSM
  // alphabet makes the whole text UCS2). ok false when the library cannot count it.
  struct CharsLeftCount {
    bool ok = false;
    int left = 0;
    int parts = 1;
    bool ucs2 = false;
    bool tooLong = false;  // more than 255 parts: it cannot be sent
  };
  CharsLeftCount CharsLeft(const QString& text) const;
  // "left / parts" for the counter box, "?" when it could not be counted.
  static QString CharsLeftText(const CharsLeftCount& count);

  // Copies into `target` what a message takes from the global settings; the message
  // reference and the coding group stay the target's, and a class other than 0 or none
  // arrives as none.
  void copy(clSMSProps& target) const;

  // Ringtone presets: Sagem text (GSM 7-bit, no header) and Nokia smart messaging (8-bit
  // raw with header, class 1, coding group 1111: first octet 0x41, TP-DCS 0xF5).
  void Set2SagemRing();
  void Set2NokiaRing();

  // Section "SMS" of the settings store.
  void RegSave(pxsettings::SettingsStore& store) const;
  void RegLoad(const pxsettings::SettingsStore& store);

 private:
  QString destAddress_;
  int32_t destType_ = 2;
  QString smscAddress_;
  int32_t smscType_ = 0;
  int32_t textInType_ = 1;
  int32_t textInCodepage_ = 0;
  int32_t textOutType_ = 0;
  int32_t textOutCodepage_ = 0;
  int32_t msgClass_ = 255;
  int32_t statusSMS_ = 0;
  int32_t udhi_ = 0;
  int32_t dcsGroup_ = 0;
  QVariant pid_;
  uint8_t mr_ = 0;
  bool forceGsm_ = false;
};
