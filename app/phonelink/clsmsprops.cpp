#include "clsmsprops.h"

#include "phonelink/modpdu.h"
#include "settings/settingsstore.h"

using pxsettings::Key;

namespace {

QString cleanNumber(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (QChar c : value)
    if (c != '+' && c != '-' && c != ' ' && c != '(' && c != ')' && c != '/') out += c;
  return out;
}

int32_t adrType(int32_t value) {
  return value >= 0 && value <= 2 ? value : 2;
}
int32_t textType(int32_t value) {
  return value >= 0 && value <= 3 ? value : 0;
}

int storedInt(const pxsettings::SettingsStore& store, Key key) {
  int n = 0;
  return pxsettings::parseInt(store.text(key), &n) ? n : 0;
}

}  // namespace

void clSMSProps::Init() {
  destAddress_ = QStringLiteral("123");
  destType_ = 2;
  smscAddress_.clear();
  smscType_ = 0;
  statusSMS_ = 0;
  textInCodepage_ = 0;
  textInType_ = 1;
  textOutCodepage_ = 0;
  textOutType_ = 0;
  msgClass_ = 255;
  mr_ = 0;
  pid_ = 0;
  udhi_ = 0;
  dcsGroup_ = 0;
}

void clSMSProps::setDestAddress(const QString& value) {
  destAddress_ = cleanNumber(value);
}
void clSMSProps::setDestAdrType(int32_t value) {
  destType_ = adrType(value);
}
void clSMSProps::setSMSCAddress(const QString& value) {
  smscAddress_ = cleanNumber(value);
}
void clSMSProps::setSMSCAdrType(int32_t value) {
  smscType_ = adrType(value);
}
void clSMSProps::setTextInType(int32_t value) {
  textInType_ = textType(value);
}
void clSMSProps::setTextOutType(int32_t value) {
  textOutType_ = textType(value);
}
void clSMSProps::setTP_MR(int value) {
  mr_ = value >= 0 && value <= 255 ? value : 0;
}

int32_t clSMSProps::SetDestAdr(const QString& sAddress, int32_t type) {
  setDestAddress(sAddress);
  setDestAdrType(type);
  return 0;
}

int32_t clSMSProps::SetSMSCAdr(const QString& sAddress, int32_t type) {
  setSMSCAddress(sAddress);
  setSMSCAdrType(type);
  return 0;
}

void clSMSProps::GetDestAdrStruct(QByteArray* vAdr, int32_t* vAdrSize, int32_t* vAdrType) const {
  const QByteArray bytes = destAddress_.toUtf8();
  if (vAdr) *vAdr = bytes;
  if (vAdrSize) *vAdrSize = static_cast<int32_t>(bytes.size());
  if (vAdrType) *vAdrType = destType_;
}

void clSMSProps::GetSMSCStruct(QByteArray* vAdr, int32_t* vAdrSize, int32_t* vAdrType) const {
  const QByteArray bytes = smscAddress_.toUtf8();
  if (vAdr) *vAdr = bytes;
  if (vAdrSize) *vAdrSize = static_cast<int32_t>(bytes.size());
  if (vAdrType) *vAdrType = smscType_;
}

void clSMSProps::SetTPDCSType(int32_t value, int32_t value2) {
  if (value == 1) {
    dcsGroup_ = 1;
    if (value2 == 1) msgClass_ = 1;
  } else {
    dcsGroup_ = 0;
  }
}

int32_t clSMSProps::PidValue() const {
  bool ok = false;
  const int v = pid_.toInt(&ok);
  return ok ? v : 0;
}

void clSMSProps::copy(clSMSProps& target) const {
  target.SetDestAdr(destAddress_, destType_);
  target.SetSMSCAdr(smscAddress_, smscType_);
  target.setStatusSMS(statusSMS_);
  target.setTextInCodepage(textInCodepage_);
  target.setTextInType(textInType_);
  target.setTextOutCodepage(textOutCodepage_);
  target.setTextOutType(textOutType_);
  target.setFlashSMS(FlashSMS());
  target.SetUDHI(udhi_);
  target.setTP_PID(pid_);
  target.setForceGsm(forceGsm_);
}

int32_t clSMSProps::LibraryTextOutType() const {
  if (textOutType_ == 0 && !forceGsm_ && textInType_ != 3) return 4;
  return textOutType_;
}

clSMSProps::CharsLeftCount clSMSProps::CharsLeft(const QString& text) const {
  CharsLeftCount c;
  SubmitPartsInfo info{};
  if (text.isEmpty()) {
    // What an empty message holds: the library counts a one-character text.
    if (modPDU::CountSmsParts(QByteArrayLiteral("a"), *this, &info) != 1) return c;
    c.ok = true;
    c.left = info.UnitsPerPart;
    c.ucs2 = info.TextOutType == 2;
    return c;
  }
  const int r = modPDU::CountSmsParts(text.toUtf8(), *this, &info);
  if (r == RVSMS_TOO_MANY_PARTS) {
    c.ok = c.tooLong = true;
    c.parts = info.PartCount;
    c.ucs2 = info.TextOutType == 2;
    return c;
  }
  if (r != 1) return c;
  c.ok = true;
  c.left = info.UnitsPerPart - info.UnitsInLastPart;
  c.parts = info.PartCount;
  c.ucs2 = info.TextOutType == 2;
  return c;
}

QString clSMSProps::CharsLeftText(const CharsLeftCount& count) {
  if (!count.ok) return QStringLiteral("?");
  return QStringLiteral("%1 / %2").arg(count.left).arg(count.parts);
}

void clSMSProps::Set2SagemRing() {
  setTextInCodepage(0);
  setTextInType(1);
  setTextOutCodepage(0);
  setTextOutType(0);
  setFlashSMS(0);
  SetUDHI(0);
  SetTPDCSType(0);
}

void clSMSProps::Set2NokiaRing() {
  setTextInCodepage(0);
  setTextInType(3);
  setTextOutCodepage(0);
  setTextOutType(3);
  msgClass_ = 1;
  SetUDHI(1);
  SetTPDCSType(1, 0);
}

void clSMSProps::RegSave(pxsettings::SettingsStore& store) const {
  store.setText(Key::Flash, QString::number(FlashSMS()));
  store.setText(Key::TpSrr, QString::number(statusSMS_));
  store.setText(Key::TInCP, QString::number(textInCodepage_));
  store.setText(Key::TOutCP, QString::number(textOutCodepage_));
  store.setText(Key::TOutType, QString::number(textOutType_));
  store.setText(Key::SMSCt, QString::number(smscType_));
  store.setText(Key::SMSC, smscAddress_);
  store.setText(Key::UDHI, QString::number(GetUDHI()));
}

void clSMSProps::RegLoad(const pxsettings::SettingsStore& store) {
  setFlashSMS(storedInt(store, Key::Flash));
  setStatusSMS(storedInt(store, Key::TpSrr));
  setTextInCodepage(storedInt(store, Key::TInCP));
  setTextInType(1);
  setTextOutCodepage(storedInt(store, Key::TOutCP));
  setTextOutType(storedInt(store, Key::TOutType));
  const int smscType = storedInt(store, Key::SMSCt);
  SetSMSCAdr(store.text(Key::SMSC), smscType);
  SetUDHI(storedInt(store, Key::UDHI));
}
