#include "modpdu.h"

#include <QDateTime>

#include <cstdio>
#include <vector>

#include "languages/reslang.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/rvsmsapi.h"

namespace modPDU {
namespace {

ScopedHandler<ErrorHandler>& handlers() {
  static ScopedHandler<ErrorHandler> h;
  return h;
}

void showError(const QString& text) {
  if (const auto handler = handlers().current()) {
    (*handler)(ErrorTitle(), text);
    return;
  }
  std::fprintf(stderr, "%s\n%s\n", ErrorTitle().toLocal8Bit().constData(),
               text.toLocal8Bit().constData());
}

// A user data header carries one octet of length; one SMS carries 140 octets of data.
constexpr int kMaxUserData = 140;

}  // namespace

ErrorScope ShowErrorsWith(ErrorHandler handler) {
  return handlers().install(std::move(handler));
}

QString ErrorTitle() {
  return QStringLiteral("Pealix SMSSend - Error");
}

// The window's texts of the SMS library's result numbers.
int ResultTextRes(int result) {
  static constexpr struct {
    int result;
    int res;
  } kTexts[] = {
      {RVSMS_TEXT_LENGTH, 2720},     {RVSMS_BUFFER_SMALL, 2721}, {RVSMS_CUT, 2722},
      {RVSMS_BAD_ADDRESS, 2723},     {RVSMS_BAD_CODEPAGE, 2724}, {RVSMS_FAILED, 2725},
      {RVSMS_EMPTY, 2726},           {RVSMS_PDU_TOO_LONG, 2727}, {RVSMS_TOO_MANY_PARTS, 2728},
      {RVSMS_PART_TABLE_SMALL, 2729}};
  for (const auto& t : kTexts)
    if (t.result == result) return t.res;
  return kResUnknownError;
}

QString ErrorText(int result) {
  QString reason = GetResString(ResultTextRes(result));
  if (result == kLibraryMissing) {
    const QString why = RvSmsApi::instance().errorText();
    if (!why.isEmpty()) reason = why;
  }
  return QStringLiteral(" DLL Error (librvsms.so)\n Error #") + QString::number(result) +
         QStringLiteral(": ") + reason;
}

int CallMakeSubmitPdu(const QByteArray& text, QByteArray* pdu, SubmitParams& params,
                      AddressParam& destination, AddressParam* smsc, int* tpduLength) {
  if (text.isEmpty() || !destination.Digits || destination.Digits[0] == '\0') return -1;
  if (destination.Length < 1)
    destination.Length = static_cast<int32_t>(qstrlen(destination.Digits));
  if (smsc && smsc->Length < 1 && smsc->Digits)
    smsc->Length = static_cast<int32_t>(qstrlen(smsc->Digits));
  params.WithSMSC = 1;
  RvSmsApi& api = RvSmsApi::instance();
  if (!api.load()) return kLibraryMissing;

  const int32_t length = static_cast<int32_t>(text.size());
  std::vector<unsigned char> buffer(static_cast<size_t>(length) * 2 + 120);
  int32_t size = static_cast<int32_t>(buffer.size());
  int32_t tpdu = 0;
  const int result = api.rvMakeSubmitPDU(text.constData(), length, buffer.data(), &size,
                                         &destination, smsc, &params, &tpdu);
  if (result == 1 && size >= 0 && size <= static_cast<int32_t>(buffer.size())) {
    if (pdu) *pdu = QByteArray(reinterpret_cast<const char*>(buffer.data()), size);
    if (tpduLength) *tpduLength = tpdu;
  }
  return result;
}

int BuildSmsPdu(const QByteArray& text, QByteArray* pdu, int* tpduLength, const clSMSProps& props) {
  // One PDU takes the coding as set: no automatic choice.
  SubmitParams params = ParamsOf(props);
  params.TextOutType = props.TextOutType();

  QByteArray dest, smsc;
  AddressParam destination{}, smscRecord{};
  props.GetDestAdrStruct(&dest, &destination.Length, &destination.AdrType);
  props.GetSMSCStruct(&smsc, &smscRecord.Length, &smscRecord.AdrType);
  destination.Digits = dest.constData();
  smscRecord.Digits = smsc.constData();

  const int result = CallMakeSubmitPdu(text, pdu, params, destination, &smscRecord, tpduLength);
  if (result == 1) return 1;
  if (result != -1) showError(ErrorText(result));
  return -1;
}

SubmitParams ParamsOf(const clSMSProps& props) {
  SubmitParams params{};
  params.TextInType = props.TextInType();
  params.TextInCodepage = props.TextInCodepage();
  params.StatusSMS = props.StatusSMS();
  params.WithSMSC = 1;
  params.TextOutType = props.LibraryTextOutType();
  params.TextOutCodepage = props.TextOutCodepage();
  params.MsgClass = props.GetMsgClass();
  params.TPDCSType = props.GetTPDCSType();
  params.UDHI = props.GetUDHI();
  params.TP_PID = props.PidValue();
  params.TP_MR = props.TP_MR();
  return params;
}

namespace {

// The concatenation reference: the same in every part of a message, another for the next
// message, so that a phone never joins parts of two messages.
int nextReference() {
  static int reference = static_cast<int>(QDateTime::currentMSecsSinceEpoch() % 256);
  reference = (reference + 1) % 256;
  return reference;
}

// Calls rvMakeSubmitParts: the size query, then the PDUs.
int callParts(const QByteArray& text, const clSMSProps& props, bool countOnly, MessageParts* out) {
  RvSmsApi& api = RvSmsApi::instance();
  if (!api.load()) return kLibraryMissing;
  const SubmitParams params = ParamsOf(props);
  QByteArray dest, smsc;
  AddressParam destination{}, smscRecord{};
  props.GetDestAdrStruct(&dest, &destination.Length, &destination.AdrType);
  props.GetSMSCStruct(&smsc, &smscRecord.Length, &smscRecord.AdrType);
  if (countOnly && dest.isEmpty()) {
    dest = "0";
    destination.Length = 1;
  }
  destination.Digits = dest.constData();
  smscRecord.Digits = smsc.constData();
  const int32_t length = static_cast<int32_t>(text.size());
  const int reference = countOnly ? 0 : nextReference();
  SubmitPartsInfo info{};
  int result = api.rvMakeSubmitParts(text.constData(), length, &destination, &smscRecord, &params,
                                     reference, nullptr, nullptr, nullptr, nullptr, 0, &info);
  out->info = info;
  if (result != 1 || countOnly) return result;
  std::vector<unsigned char> buffer(static_cast<size_t>(info.NeededSize));
  std::vector<int32_t> sizes(static_cast<size_t>(info.PartCount)),
      tpdus(static_cast<size_t>(info.PartCount));
  int32_t size = info.NeededSize;
  result = api.rvMakeSubmitParts(text.constData(), length, &destination, &smscRecord, &params,
                                 reference, buffer.data(), &size, sizes.data(), tpdus.data(),
                                 info.PartCount, &info);
  if (result != 1) return result;
  qsizetype at = 0;
  out->pdus.clear();
  out->tpduLengths.clear();
  for (size_t k = 0; k < sizes.size(); ++k) {
    if (sizes[k] < 0 || at + sizes[k] > size) return RVSMS_FAILED;
    out->pdus.append(QByteArray(reinterpret_cast<const char*>(buffer.data()) + at, sizes[k]));
    out->tpduLengths.append(tpdus[k]);
    at += sizes[k];
  }
  return 1;
}

}  // namespace

namespace {

// The global SMS parameters with the preset of a message kind applied; false for an
// unknown kind.
bool PropsForKind(int ringType, const clSMSProps& global, clSMSProps& props) {
  global.copy(props);
  switch (ringType) {
    case kTextSms:
      return true;
    case kSagemRing:
      props.Set2SagemRing();
      return true;
    case kNokiaRing:
      props.Set2NokiaRing();
      return true;
    case kEmsIMelody:
      props.Set2SagemRing();
      props.SetUDHI(1);
      props.setTextInType(3);
      props.setTextOutType(0);
      return true;
    default:
      return false;
  }
}

}  // namespace

int BuildSmsParts(const QByteArray& text, const clSMSProps& props, int maxParts,
                  MessageParts* out) {
  MessageParts parts;
  if (text.isEmpty() || props.DestAddress().isEmpty()) return -1;
  const int result = callParts(text, props, false, &parts);
  if (out) out->info = parts.info;
  if (result == RVSMS_TOO_MANY_PARTS || (result == 1 && parts.info.PartCount > maxParts))
    return kTooManyParts;
  if (result != 1) {
    showError(ErrorText(result));
    return -1;
  }
  if (out) *out = parts;
  return 1;
}

int MakeMessageParts(int ringType, const QByteArray& message, const clSMSProps& global,
                     MessageParts* out) {
  clSMSProps props;
  if (!PropsForKind(ringType, global, props)) return -1;
  if (ringType == kEmsIMelody && IsEmsObjectList(message))
    return MakeEmsParts(SplitEmsObjects(message), props, out);
  const int maxParts = ringType == kTextSms ? kMaxTextParts : kMaxRingtoneParts;
  return BuildSmsParts(message, props, maxParts, out);
}

int CountSmsParts(const QByteArray& text, const clSMSProps& props, SubmitPartsInfo* info) {
  MessageParts parts;
  const int result = text.isEmpty() ? RVSMS_TEXT_LENGTH : callParts(text, props, true, &parts);
  if (info) *info = parts.info;
  return result;
}

QString UnmappedCharacters(const QString& text, const clSMSProps& props) {
  clSMSProps forced;
  props.copy(forced);
  forced.setTextInType(1);
  forced.setTextInCodepage(65001);
  forced.setTextOutType(0);
  forced.setForceGsm(true);
  QString found;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString character = text.mid(i, n);
    i += n - 1;
    if (found.contains(character)) continue;
    SubmitPartsInfo info{};
    CountSmsParts(character.toUtf8(), forced, &info);
    if (info.Unmapped > 0) found += character;
  }
  return found;
}

int PackGsmAfterHeader(const QByteArray& text, int codePage, int headerLength, QByteArray* octets) {
  RvSmsApi& api = RvSmsApi::instance();
  if (!api.load()) return kLibraryMissing;
  // The library reads up to the terminator; two NULs end the text.
  QByteArray extended = text;
  extended.append('\0').append('\0');
  const int32_t n = static_cast<int32_t>(extended.size());
  std::vector<unsigned char> buffer(static_cast<size_t>(n) * 2 + 5);
  int32_t size = n * 2 + 2;
  const int result = api.rvConvert27BitGSM(extended.constData(), static_cast<int32_t>(text.size()),
                                           buffer.data(), &size, codePage, headerLength);
  if (result == 1 && octets && size >= 0 && size <= static_cast<int32_t>(buffer.size()))
    *octets = QByteArray(reinterpret_cast<const char*>(buffer.data()), size);
  return result;
}

QString EmsDisplayText() {
  return QStringLiteral("Pealix ringtone");
}

QByteArray EmsIMelodyHeader(const QByteArray& imelody) {
  const int n = static_cast<int>(imelody.size());
  if (n + 3 > 255) return {};
  QByteArray header;
  header.reserve(n + 4);
  header.append(static_cast<char>(n + 3));
  header.append(static_cast<char>(0x0C));
  header.append(static_cast<char>(n + 1));
  header.append('\0');
  header.append(imelody);
  return header;
}

namespace {

// Writes septet `index` (counted from the first bit of the user data) into packed data.
void setSeptet(QByteArray& data, int index, int value) {
  for (int b = 0; b < 7; ++b) {
    const int bit = index * 7 + b;
    if (bit / 8 >= data.size()) return;
    if (value >> b & 1) data[bit / 8] = static_cast<char>(data[bit / 8] | 1 << (bit % 8));
  }
}

// 7-bit user data: the header, then `text` (GSM characters, one code each) packed behind
// it. Without a text, a header that ends inside a septet gets one octet more so that the
// septet count takes in the whole header. 1; else the packing result.
int sevenBitUserData(const QByteArray& header, const QString& text, QByteArray* data) {
  const int headerLength = static_cast<int>(header.size());
  QByteArray packed(headerLength * 8 % 7 == 0 ? 0 : 1, '\0');
  if (!text.isEmpty()) {
    const int result = PackGsmAfterHeader(text.toUtf8(), 0, headerLength, &packed);
    if (result != 1) return result;
  }
  QByteArray all = header + packed;
  // The PDU builder counts TP-UDL from the octets (x 8 / 7, rounded down): when the
  // data leaves seven bits to spare, that count takes in one more septet, which zero bits
  // would show as '@'. A carriage return fills it instead (3GPP TS 23.038 6.1.2.1.1).
  const int septets = (headerLength * 8 + 6) / 7 + static_cast<int>(text.size());
  if (all.size() * 8 / 7 > septets) setSeptet(all, septets, 0x0D);
  *data = all;
  return 1;
}

}  // namespace

int MakeEmsIMelodyData(const QByteArray& imelody, QByteArray* data) {
  const int headerLength = static_cast<int>(imelody.size()) + 4;
  if (headerLength >= kMaxUserData) {
    showError(QStringLiteral("The EMS iMelody message needs more than %1 octets; one SMS holds %1.")
                  .arg(kMaxUserData));
    return kEmsTooLong;
  }
  QByteArray all;
  const int result = sevenBitUserData(EmsIMelodyHeader(imelody), EmsDisplayText(), &all);
  if (result != 1) {
    showError(ErrorText(result));
    return -1;
  }
  if (all.size() > kMaxUserData) {
    showError(QStringLiteral("The EMS iMelody message needs %1 octets; one SMS holds %2.")
                  .arg(all.size())
                  .arg(kMaxUserData));
    return kEmsTooLong;
  }
  if (data) *data = all;
  return 1;
}

bool IsEmsObjectList(const QByteArray& message) {
  return message.startsWith("BEGIN:IMELODY");
}

QList<QByteArray> SplitEmsObjects(const QByteArray& message) {
  static const QByteArray kBegin("BEGIN:IMELODY");
  QList<QByteArray> objects;
  qsizetype at = message.indexOf(kBegin);
  while (at >= 0) {
    const qsizetype next = message.indexOf(kBegin, at + kBegin.size());
    objects.append(message.mid(at, next < 0 ? -1 : next - at));
    at = next;
  }
  return objects;
}

QByteArray EmsPartData(const QByteArray& object, int index, int count, int reference) {
  QByteArray elements;
  elements.append('\x00').append('\x03').append(static_cast<char>(reference));
  elements.append(static_cast<char>(count)).append(static_cast<char>(index + 1));
  if (index == 0) elements.append('\x13').append('\x01').append(static_cast<char>(count));
  elements.append('\x0C').append(static_cast<char>(object.size() + 1)).append('\0');
  elements.append(object);
  if (object.size() + 1 > 255 || elements.size() >= kMaxUserData) return {};
  const QByteArray header = static_cast<char>(elements.size()) + elements;
  QByteArray data;
  if (index == count - 1 && sevenBitUserData(header, EmsDisplayText(), &data) == 1 &&
      data.size() <= kMaxUserData)
    return data;
  if (sevenBitUserData(header, QString(), &data) != 1 || data.size() > kMaxUserData) return {};
  return data;
}

int MakeEmsParts(const QList<QByteArray>& objects, const clSMSProps& props, MessageParts* out) {
  const int count = static_cast<int>(objects.size());
  MessageParts parts;
  parts.info.PartCount = count;
  parts.info.TextOutType = 0;
  if (out) out->info = parts.info;
  if (count == 0 || props.DestAddress().isEmpty()) return -1;
  if (count > kMaxRingtoneParts) return kTooManyParts;
  const int reference = nextReference();
  for (int k = 0; k < count; ++k) {
    const QByteArray data = EmsPartData(objects[k], k, count, reference);
    if (data.isEmpty()) {
      showError(
          QStringLiteral("Part %1 of the EMS iMelody message does not fit one SMS.").arg(k + 1));
      return -1;
    }
    clSMSProps part;
    props.copy(part);
    part.setTP_MR((props.TP_MR() + k) % 256);
    QByteArray pdu;
    int tpdu = 0;
    if (BuildSmsPdu(data, &pdu, &tpdu, part) != 1) return -1;
    parts.pdus.append(pdu);
    parts.tpduLengths.append(tpdu);
  }
  if (out) *out = parts;
  return 1;
}

int MakeMessagePdu(int ringType, const QByteArray& message, const clSMSProps& global,
                   QByteArray* pdu, int* tpduLength) {
  clSMSProps props;
  if (!PropsForKind(ringType, global, props)) return -1;
  return BuildSmsPdu(message, pdu, tpduLength, props);
}

QString ToHex(const QByteArray& octets) {
  return QString::fromLatin1(octets.toHex().toUpper());
}

}  // namespace modPDU
