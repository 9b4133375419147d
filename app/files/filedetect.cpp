#include "files/filedetect.h"

#include "files/filetables.h"

namespace filedetect {
namespace {

QByteArray withoutBom(const QByteArray& bytes) {
  return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

// "name:defaults:notes": two colons with something after the second.
bool isTuneLine(const QByteArray& line) {
  const qsizetype first = line.indexOf(':');
  if (first < 0) return false;
  const qsizetype second = line.indexOf(':', first + 1);
  return second > first && second + 1 < line.size();
}

// Bytes no melody text holds: control characters other than tab, line ends, form feed
// and the end-of-file mark of old editors.
bool isBinary(const QByteArray& bytes) {
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1A) return true;
  }
  return false;
}

// The header line of the Alcatel text Pealix writes: "Title:<name> BPM:<n> Notes:<n>".
bool isAlcatelHeader(const QByteArray& line) {
  return line.startsWith("Title:") && line.contains(" BPM:") && line.contains(" Notes:");
}

QByteArray firstTextLine(const QByteArray& bytes) {
  for (const QByteArray& line : bytes.split('\n')) {
    const QByteArray t = line.trimmed();
    if (!t.isEmpty()) return t;
  }
  return {};
}

}  // namespace

Detected DetectFileType(const QByteArray& head, qint64 size, int hintType) {
  using namespace filetables;
  if (size <= 0) return {hintType, kResEmpty};
  const QByteArray text = withoutBom(head);
  if (text.startsWith("MThd")) return {kTypeMidi};
  if (text.startsWith("RIFF") && text.mid(8, 4) == "RMID") return {kTypeMidi};
  // The text formats; a text named .mid is read as what it holds.
  const bool binary = isBinary(text);
  const QByteArray line = binary ? QByteArray() : firstTextLine(text);
  if (line.startsWith("$MUS$")) return {kTypeSagem};
  if (line.toUpper().startsWith("BEGIN:IMELODY")) return {kTypeImelody};
  // Its "Key: value" lines would otherwise pass for an RTTTL tune once joined.
  if (line.startsWith("Filetype:") && line.contains("Flipper Music Format")) return {kTypeFlipper};
  // The Nokia ringtone is binary (or its hex text): its reader decides.
  if (hintType == kTypeNokia) return {kTypeNokia};
  if (isAlcatelHeader(line)) return {kTypeNone, kResAlcatelText};
  if (!binary &&
      (isTuneLine(line) || isTuneLine(QByteArray(text).replace('\n', "").replace('\r', ""))))
    return {kTypeRtttl};
  if (hintType == kTypeMidi) return {kTypeMidi, kResNotMidi};
  // Bytes that are no text hold no tune of the text formats.
  if (binary) return {hintType, kResNotText};
  if (hintType == kTypeRtttl) return {hintType, kResNoTune};
  if (hintType != kTypeNone) return {hintType};
  return {kTypeNone, kResNotRecognised};
}

QList<RtttlTune> SplitRtttlTunes(const QByteArray& text) {
  QList<RtttlTune> tunes;
  for (QByteArray line : withoutBom(text).split('\n')) {
    line = line.trimmed();
    if (line.isEmpty()) continue;
    if (isTuneLine(line)) {
      tunes.append({QString::fromUtf8(line.left(line.indexOf(':'))).trimmed(), line});
    } else if (!tunes.isEmpty()) {
      tunes.last().text += line;
    }
  }
  return tunes;
}

}  // namespace filedetect
