#include "files/composertext.h"

#include "melody/rvtonehead.h"

namespace {

int32_t characterCode(const QString& text) {
  const QList<uint> codes = text.toUcs4();
  return codes.isEmpty() ? ',' : static_cast<int32_t>(codes.first());
}

}  // namespace

int ComposerTextFromMelody(const pxvbMelody& melody, QString& out, const QString& delimiter) {
  QByteArray bytes;
  const rvTonehead::Outcome o =
      rvTonehead::Melo2String(melody, RV_FORMAT_COMPOSER, {characterCode(delimiter)}, bytes);
  out = QString::fromUtf8(bytes);
  return o.result == 1 && o.writerValue > 0 ? -1 : 0;
}

QString ComposerImportDelimiter(const QString& setting) {
  return setting.size() == 1 ? setting : QStringLiteral(",");
}

bool ImportComposerText(pxvbMelody& target, const QString& text, const QString& delimiterSetting,
                        bool withHeader) {
  rvTonehead::BufferRequest request;
  request.delimiter = characterCode(ComposerImportDelimiter(delimiterSetting));
  request.readHeader = withHeader;
  pxvbMelody read;
  if (rvTonehead::ReadBuffer(read, RV_FORMAT_COMPOSER, text.toUtf8(), nullptr, request).result != 1)
    return false;
  // Name and tempo as a new melody has them, unless the header line gave them.
  pxvbMelody temp;
  const QString name = temp.sName();
  const int bpm = temp.bpm();
  temp.assign(read, -1);
  temp.setsName(withHeader && !read.sName().isEmpty() ? read.sName() : name);
  temp.setbpm(withHeader ? read.bpm() : bpm);
  target.assign(temp, -1);
  return true;
}
