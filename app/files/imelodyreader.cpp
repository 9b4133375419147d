#include "files/imelodyreader.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "files/phonevolume.h"

namespace {

using namespace phoneimport;

constexpr int kDefaultBeat = 120;
constexpr int kDefaultOctave = 4;  // notes without a prefix: "a" is the A of 880 Hz
constexpr int kMaxRepeatDepth = 8;

struct Event {
  int len, dot, kind, v1, v2;
};

// Elements without sound: LED, vibration and backlight switches.
constexpr const char* kSkipped[] = {"ledoff", "ledon", "vibeoff", "vibeon", "backoff", "backon"};

// Semitone of each letter from C.
int letterSemitone(QChar c) {
  switch (c.toLower().unicode()) {
    case 'c':
      return 0;
    case 'd':
      return 2;
    case 'e':
      return 4;
    case 'f':
      return 5;
    case 'g':
      return 7;
    case 'a':
      return 9;
    case 'b':
      return 11;
    default:
      return -1;
  }
}

// The melody line: <note> = ["*" octave] ["#" | "&"] letter duration [specifier],
// <rest> = "r" duration [specifier], "V" level | "V+" | "V-", "(" melody "@" count
// ["V+" | "V-"] ")". Duration digits 0..5 are whole to 1/32; specifiers "." dotted,
// ":" double dotted, ";" the 5/3 length.
class MelodyParser {
 public:
  MelodyParser(const QString& text, std::vector<Event>& out) : s_(text), out_(out) {}

  bool parse() {
    if (!sequence(0)) return false;
    if (pos_ < s_.size()) return fail(QStringLiteral("'%1' without a repeat block").arg(s_[pos_]));
    return true;
  }

  QString error;

 private:
  bool fail(const QString& why) {
    error = QStringLiteral("%1 at character %2 of the melody").arg(why).arg(pos_ + 1);
    return false;
  }

  bool add(const Event& e) {
    if (static_cast<int>(out_.size()) >= kMaxEvents)
      return fail(QStringLiteral("its repeats make more than %1 events").arg(kMaxEvents));
    out_.push_back(e);
    return true;
  }

  bool at(const char* word) const {
    return s_.mid(pos_, static_cast<qsizetype>(qstrlen(word)))
               .compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
  }

  // Duration digit and optional specifier.
  bool length(int& len, int& dot) {
    if (pos_ >= s_.size() || s_[pos_] < QLatin1Char('0') || s_[pos_] > QLatin1Char('5'))
      return fail(QStringLiteral("a duration 0..5 is missing"));
    len = 1 << (s_[pos_++].unicode() - '0');
    dot = 0;
    if (pos_ < s_.size()) {
      const char16_t c = s_[pos_].unicode();
      dot = c == '.' ? 1 : c == ':' ? 2 : c == ';' ? 3 : 0;
      if (dot) ++pos_;
    }
    return true;
  }

  bool volume() {
    ++pos_;  // 'V'
    if (pos_ < s_.size() && (s_[pos_] == QLatin1Char('+') || s_[pos_] == QLatin1Char('-')))
      return add({0, 0, kVolume, 1, s_[pos_++] == QLatin1Char('+') ? 1 : -1});
    int level = 0, digits = 0;
    while (pos_ < s_.size() && s_[pos_].isDigit() && digits < 3) {
      level = level * 10 + s_[pos_++].digitValue();
      ++digits;
    }
    if (digits == 0) return fail(QStringLiteral("a volume 0..15, '+' or '-' is missing"));
    return add({0, 0, kVolume, 0, PhoneVolumeToVelocity(std::min(level, 15))});
  }

  bool note() {
    if (s_[pos_] == QLatin1Char('*')) {
      ++pos_;
      if (pos_ >= s_.size() || s_[pos_] < QLatin1Char('0') || s_[pos_] > QLatin1Char('8'))
        return fail(QStringLiteral("an octave 0..8 is missing after '*'"));
      octave_ = s_[pos_++].digitValue();
    }
    int shift = 0;
    if (pos_ < s_.size() && (s_[pos_] == QLatin1Char('#') || s_[pos_] == QLatin1Char('&')))
      shift = s_[pos_++] == QLatin1Char('#') ? 1 : -1;
    const int semitone = pos_ < s_.size() ? letterSemitone(s_[pos_]) : -1;
    if (semitone < 0) return fail(QStringLiteral("a note letter is missing"));
    ++pos_;
    int len = 0, dot = 0;
    if (!length(len, dot)) return false;
    const int key = std::clamp((octave_ + 2) * 12 + semitone + shift, 0, 127);
    return add({len, dot, kNote, key, kNoteVelocity});
  }

  // Elements up to the end, or up to the '@' of the repeat block being read.
  bool sequence(int depth) {
    while (pos_ < s_.size()) {
      const QChar c = s_[pos_];
      if (c == QLatin1Char('@') || c == QLatin1Char(')')) return true;
      bool skipped = false;
      for (const char* word : kSkipped)
        if (at(word)) {
          pos_ += static_cast<qsizetype>(qstrlen(word));
          skipped = true;
          break;
        }
      if (skipped) continue;
      bool ok = true;
      if (c == QLatin1Char('(')) {
        ok = repeat(depth);
      } else if (c == QLatin1Char('V') || c == QLatin1Char('v')) {
        ok = volume();
      } else if (c == QLatin1Char('r') || c == QLatin1Char('R')) {
        ++pos_;
        int len = 0, dot = 0;
        ok = length(len, dot) && add({len, dot, kPause, 0, 0});
      } else if (c == QLatin1Char('*') || c == QLatin1Char('#') || c == QLatin1Char('&') ||
                 letterSemitone(c) >= 0) {
        ok = note();
      } else {
        return fail(QStringLiteral("unexpected '%1'").arg(c));
      }
      if (!ok) return false;
    }
    return true;
  }

  bool repeat(int depth) {
    if (depth >= kMaxRepeatDepth) return fail(QStringLiteral("repeat blocks nest too deep"));
    ++pos_;  // '('
    const size_t first = out_.size();
    if (!sequence(depth + 1)) return false;
    if (pos_ >= s_.size() || s_[pos_] != QLatin1Char('@'))
      return fail(QStringLiteral("a repeat block lacks its '@' count"));
    ++pos_;
    int count = 0, digits = 0;
    while (pos_ < s_.size() && s_[pos_].isDigit() && digits < 4) {
      count = count * 10 + s_[pos_++].digitValue();
      ++digits;
    }
    if (digits == 0) return fail(QStringLiteral("a repeat count is missing after '@'"));
    // A volume step after the count applies at the end of every pass.
    int step = 0;
    if (pos_ + 1 < s_.size() && (s_[pos_] == QLatin1Char('V') || s_[pos_] == QLatin1Char('v')) &&
        (s_[pos_ + 1] == QLatin1Char('+') || s_[pos_ + 1] == QLatin1Char('-'))) {
      step = s_[pos_ + 1] == QLatin1Char('+') ? 1 : -1;
      pos_ += 2;
    }
    if (pos_ >= s_.size() || s_[pos_] != QLatin1Char(')'))
      return fail(QStringLiteral("a repeat block is not closed with ')'"));
    ++pos_;
    const std::vector<Event> block(out_.begin() + static_cast<std::ptrdiff_t>(first), out_.end());
    if (step && !add({0, 0, kVolume, 1, step})) return false;
    const int plays = std::max(count, 1);  // 0 repeats endlessly: once here
    for (int n = 1; n < plays; ++n) {
      for (const Event& e : block)
        if (!add(e)) return false;
      if (step && !add({0, 0, kVolume, 1, step})) return false;
    }
    return true;
  }

  const QString& s_;
  std::vector<Event>& out_;
  qsizetype pos_ = 0;
  int octave_ = kDefaultOctave;
};

QString decodeText(const QByteArray& data) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(data);
  if (utf8.hasError()) text = QString::fromLatin1(data);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);  // a byte order mark
  return text;
}

// Physical lines with a line break followed by a blank or tab joined to the line before
// (the blank is dropped).
QStringList unfoldedLines(const QString& text) {
  QStringList lines;
  for (QString line : text.split(QLatin1Char('\n'))) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (!lines.isEmpty() && (line.startsWith(QLatin1Char(' ')) || line.startsWith('\t')))
      lines.last() += line.mid(1);
    else
      lines << line;
  }
  return lines;
}

}  // namespace

bool readIMelody(const QByteArray& data, pxvbMelody& melody, QString* error) {
  auto failed = [&](const QString& why) {
    if (error) *error = QStringLiteral("not an iMelody file: ") + why;
    return false;
  };
  const QStringList lines = unfoldedLines(decodeText(data));
  bool begun = false, hasMelody = false;
  QString name, composer;
  bool hasComposer = false;
  int beat = kDefaultBeat;
  std::vector<Event> events;
  QString melodyText;
  int lineNumber = 0;
  for (const QString& line : lines) {
    ++lineNumber;
    if (line.trimmed().isEmpty()) continue;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const QString key = line.left(colon).trimmed().toUpper();
    const QString value = colon < 0 ? QString() : line.mid(colon + 1);
    if (!begun) {
      if (key != QLatin1String("BEGIN") || value.trimmed().toUpper() != QLatin1String("IMELODY"))
        return failed(QStringLiteral("it does not begin with BEGIN:IMELODY"));
      begun = true;
      continue;
    }
    if (key == QLatin1String("END")) break;
    if (key == QLatin1String("NAME")) {
      name = value;
    } else if (key == QLatin1String("COMPOSER")) {
      composer = value;
      hasComposer = true;
    } else if (key == QLatin1String("BEAT")) {
      bool ok = false;
      const int b = value.trimmed().toInt(&ok);
      if (!ok || b < 1)
        return failed(QStringLiteral("BEAT is not a tempo (line %1)").arg(lineNumber));
      beat = std::clamp(b, 25, 900);
    } else if (key == QLatin1String("STYLE")) {
      const QString s = value.trimmed().toUpper();
      if (s.size() != 2 || s[0] != QLatin1Char('S') || s[1] < QLatin1Char('0') ||
          s[1] > QLatin1Char('2'))
        return failed(QStringLiteral("STYLE is not S0, S1 or S2 (line %1)").arg(lineNumber));
      events.push_back({0, 0, kStyle, s[1].digitValue(), 0});
    } else if (key == QLatin1String("VOLUME")) {
      const QString v = value.trimmed().toUpper();
      bool ok = false;
      const int level = v.mid(1).toInt(&ok);
      if (!v.startsWith(QLatin1Char('V')) || !ok || level < 0 || level > 15)
        return failed(QStringLiteral("VOLUME is not V0..V15 (line %1)").arg(lineNumber));
      events.push_back({0, 0, kVolume, 0, PhoneVolumeToVelocity(level)});
    } else if (key == QLatin1String("MELODY")) {
      if (hasMelody)
        return failed(QStringLiteral("a second MELODY line (line %1)").arg(lineNumber));
      hasMelody = true;
      for (QChar c : value)
        if (!c.isSpace()) melodyText += c;
    }
    // VERSION, FORMAT and any other line carry nothing for the melody.
  }
  if (!begun) return failed(QStringLiteral("the file is empty"));
  if (!hasMelody) return failed(QStringLiteral("it has no MELODY line"));
  MelodyParser parser(melodyText, events);
  if (!parser.parse()) return failed(parser.error);
  if (std::none_of(events.begin(), events.end(),
                   [](const Event& e) { return e.kind == kNote || e.kind == kPause; }))
    return failed(QStringLiteral("its melody holds no note"));

  melody.resize(0);
  for (const Event& e : events) melody.addevent(e.len, e.dot, e.kind, e.v1, e.v2);
  melody.setbpm(beat);
  melody.setsName(name);
  if (hasComposer) melody.setsComposer(composer);
  return true;
}
