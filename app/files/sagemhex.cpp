#include "files/sagemhex.h"

#include "melody/rvtonehead.h"

namespace {

constexpr int kResTooLong = 825;

}  // namespace

QString SagemHexNonHexMessage() {
  return QStringLiteral("Clipbord includes non Hex chars - converting aborted");
}

SagemHexOutcome SagemHexImport(pxvbMelody& target, const QString& clipboardText, pxvbMelody* undo) {
  SagemHexOutcome o;
  pxvbMelody read;
  rvTonehead::BufferReport report;
  const rvTonehead::Outcome r =
      rvTonehead::ReadBuffer(read, RV_FORMAT_SAGEM_HEX, clipboardText.toUtf8(), &report);
  if (r.result != 1) {
    switch (r.code) {
      case RV_SAGEM_HEX_NOTHING:
        return o;  // nothing to import: no change
      case RV_SAGEM_HEX_TOO_LONG:
        o.messageRes = kResTooLong;
        o.textLength = report.value;
        break;
      case RV_SAGEM_HEX_NOT_HEX:
        o.messageText = SagemHexNonHexMessage();
        break;
      default:
        o.messageText = r.loadError;  // the library is missing
        break;
    }
    o.result = -1;
    return o;
  }
  if (undo) undo->assign(target, -1);
  target.setsName(QStringLiteral("Pealix"));
  target.setbpm(read.bpm());
  target.resize(0);
  for (int i = 0; i < read.size(); ++i)
    target.addevent(read.getSimpleLen(i), read.getDotLen(i), read.getEvent(i), read.getEventVal1(i),
                    read.getEventVal2(i));
  o.result = 1;
  return o;
}
