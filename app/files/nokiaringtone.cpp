#include "files/nokiaringtone.h"

#include <QList>
#include <QStringDecoder>
#include <cstdint>
#include <vector>

#include "files/phonevolume.h"
#include "rvphonetables.h"

namespace {

using namespace phoneimport;

using rvphone::kTempoBpm;
constexpr int kDefaultBpm = 63;   // a ringtone without a tempo instruction
constexpr int kDefaultScale = 1;  // notes before the first scale instruction: A = 880 Hz
constexpr int kEndlessLoop = 15;

// Command parts: each identifier is 7 bits; all but the sound command end on a byte
// boundary.
enum Command : uint32_t {
  kCancel = 0x05,       // 0000101
  kSound = 0x1D,        // 0011101
  kUnicode = 0x22,      // 0100010
  kProgramming = 0x25,  // 0100101
};

enum SongType : uint32_t { kBasicSong = 1, kTemporarySong = 2 };

enum Instruction : uint32_t {
  kPatternHeader = 0,
  kNoteInstr = 1,
  kScaleInstr = 2,
  kStyleInstr = 3,
  kTempoInstr = 4,
  kVolumeInstr = 5,
};

// Bits most significant first, fields straddling bytes.
class BitReader {
 public:
  explicit BitReader(const QByteArray& bytes, qsizetype firstByte)
      : bytes_(bytes), bit_(static_cast<int64_t>(firstByte) * 8) {}
  bool read(int bits, uint32_t& value) {
    if (bit_ + bits > static_cast<int64_t>(bytes_.size()) * 8) return false;
    value = 0;
    for (int i = 0; i < bits; ++i, ++bit_) {
      const auto byte = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(bit_ / 8)]);
      value = (value << 1) | ((byte >> (7 - bit_ % 8)) & 1u);
    }
    return true;
  }
  void align() { bit_ = (bit_ + 7) / 8 * 8; }

 private:
  const QByteArray& bytes_;
  int64_t bit_;
};

struct Event {
  int len, dot, kind, v1, v2;
};

struct Song {
  QString title;
  int bpm = kDefaultBpm;
  std::vector<Event> events;
};

// One pattern instruction as read, before the scale and tempo state give it meaning.
struct Step {
  uint32_t kind;
  uint32_t a, b, c;
};

class Parser {
 public:
  Parser(const QByteArray& bytes, qsizetype start) : in_(bytes, start) {}

  bool parse(Song& song) {
    uint32_t commands = 0;
    if (!in_.read(8, commands) || commands == 0) return fail("it holds no commands");
    for (uint32_t i = 0; i < commands; ++i) {
      uint32_t command = 0;
      if (!in_.read(7, command)) return fail("it ends before its sound command");
      switch (command) {
        case kProgramming:
          in_.align();
          break;
        case kUnicode:
          unicode_ = true;
          in_.align();
          break;
        case kCancel:
          in_.align();
          break;
        case kSound:
          return sound(song);
        default:
          return fail(QStringLiteral("unknown command %1").arg(command));
      }
    }
    return fail("it has no sound command");
  }

  QString error;

 private:
  bool fail(const QString& why) {
    error = why;
    return false;
  }
  bool fail(const char* why) { return fail(QString::fromLatin1(why)); }

  bool sound(Song& song) {
    uint32_t type = 0;
    if (!in_.read(3, type)) return fail("it ends inside the song type");
    if (type != kBasicSong && type != kTemporarySong)
      return fail(QStringLiteral("song type %1 is not a basic song").arg(type));
    if (!title(song.title)) return false;
    uint32_t patterns = 0;
    if (!in_.read(8, patterns)) return fail("it ends before its patterns");
    if (patterns == 0) return fail("it holds no pattern");
    std::vector<Step> defined[4];
    bool isDefined[4] = {};
    for (uint32_t p = 0; p < patterns; ++p) {
      uint32_t header = 0, id = 0, loop = 0, count = 0;
      if (!in_.read(3, header) || !in_.read(2, id) || !in_.read(4, loop) || !in_.read(8, count))
        return fail("it ends inside a pattern header");
      if (header != kPatternHeader) return fail("a pattern header is damaged");
      std::vector<Step> steps;
      for (uint32_t i = 0; i < count; ++i) {
        Step step{};
        if (!instruction(step)) return false;
        steps.push_back(step);
      }
      // A pattern without instructions plays the pattern of that id again.
      if (count == 0 && isDefined[id]) steps = defined[id];
      defined[id] = steps;
      isDefined[id] = true;
      const uint32_t plays = loop == kEndlessLoop ? 1 : loop + 1;
      for (uint32_t n = 0; n < plays; ++n)
        for (const Step& step : steps)
          if (!apply(step, song)) return false;
    }
    bool sounding = false;
    for (const Event& e : song.events) sounding |= e.kind == kNote || e.kind == kPause;
    if (!sounding) return fail("it holds no note");
    return true;
  }

  // Title: a 4-bit length, then 8-bit characters (UTF-8 when they form it, else
  // ISO 8859-1), or 16-bit UCS-2 after a Unicode command.
  bool title(QString& out) {
    uint32_t length = 0;
    if (!in_.read(4, length)) return fail("it ends inside the title");
    QByteArray bytes;
    QString wide;
    for (uint32_t i = 0; i < length; ++i) {
      uint32_t c = 0;
      if (!in_.read(unicode_ ? 16 : 8, c)) return fail("it ends inside the title");
      if (unicode_)
        wide.append(QChar(static_cast<char16_t>(c)));
      else
        bytes.append(static_cast<char>(c));
    }
    if (unicode_) {
      out = wide;
      return true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    out = utf8(bytes);
    if (utf8.hasError()) out = QString::fromLatin1(bytes);
    return true;
  }

  bool instruction(Step& step) {
    if (!in_.read(3, step.kind)) return fail("it ends inside its notes");
    bool ok = true;
    switch (step.kind) {
      case kNoteInstr:
        ok = in_.read(4, step.a) && in_.read(3, step.b) && in_.read(2, step.c);
        break;
      case kScaleInstr:
      case kStyleInstr:
        ok = in_.read(2, step.a);
        break;
      case kTempoInstr:
        ok = in_.read(5, step.a);
        break;
      case kVolumeInstr:
        ok = in_.read(4, step.a);
        break;
      default:
        return fail(QStringLiteral("unknown instruction %1").arg(step.kind));
    }
    return ok || fail("it ends inside its notes");
  }

  bool add(Song& song, const Event& e) {
    if (static_cast<int>(song.events.size()) >= kMaxEvents)
      return fail(QStringLiteral("its loops make more than %1 events").arg(kMaxEvents));
    song.events.push_back(e);
    return true;
  }

  // Note value 0 is a pause, 1..12 C..B in the current scale (0 is the octave of
  // A = 440 Hz); values 13..15 and durations 6 and 7 mean nothing and are passed over.
  bool apply(const Step& s, Song& song) {
    switch (s.kind) {
      case kNoteInstr: {
        if (s.a > 12 || s.b > 5) return true;
        const int len = 1 << s.b;
        const int dot = static_cast<int>(s.c);
        sounded_ = true;
        if (s.a == 0) return add(song, {len, dot, kPause, 0, 0});
        const int key = (scale_ + 5) * 12 + static_cast<int>(s.a) - 1;
        return add(song, {len, dot, kNote, key, kNoteVelocity});
      }
      case kScaleInstr:
        scale_ = static_cast<int>(s.a);
        return true;
      case kStyleInstr:
        if (s.a > 2) return true;
        return add(song, {0, 0, kStyle, static_cast<int>(s.a), 0});
      case kTempoInstr:
        // A tempo before the first note is the song's tempo.
        if (!sounded_ && !tempoSet_) {
          tempoSet_ = true;
          song.bpm = kTempoBpm[s.a];
          return true;
        }
        return add(song, {0, 0, kTempo, kTempoBpm[s.a], 0});
      case kVolumeInstr:
        return add(song, {0, 0, kVolume, 0, PhoneVolumeToVelocity(static_cast<int>(s.a))});
      default:
        return true;
    }
  }

  BitReader in_;
  bool unicode_ = false;
  bool sounded_ = false;
  bool tempoSet_ = false;
  int scale_ = kDefaultScale;
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hex text (pairs of digits, blanks and line breaks anywhere) to bytes; false when the
// data is anything else, binary data included. A line may begin with the text-mode port
// header of smart messages ("//SCKL" and the ports up to the first blank), which is passed
// over.
bool fromHexText(const QByteArray& data, QByteArray& bytes) {
  QByteArray digits;
  for (QByteArray line : data.split('\n')) {
    line = line.trimmed();
    if (line.startsWith("//SCKL")) {
      const qsizetype blank = line.indexOf(' ');
      line = blank < 0 ? QByteArray() : line.mid(blank + 1);
    }
    for (char c : line) {
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (hexValue(c) < 0) return false;
      digits.append(c);
    }
  }
  if (digits.isEmpty() || digits.size() % 2 != 0) return false;
  bytes.clear();
  for (qsizetype i = 0; i < digits.size(); i += 2)
    bytes.append(static_cast<char>(hexValue(digits[i]) * 16 + hexValue(digits[i + 1])));
  return true;
}

}  // namespace

bool readNokiaRingtone(const QByteArray& data, pxvbMelody& melody, QString* error) {
  auto failed = [&](const QString& why) {
    if (error) *error = QStringLiteral("not a Nokia ringtone: ") + why;
    return false;
  };
  QByteArray bytes;
  if (!fromHexText(data, bytes)) bytes = data;
  if (bytes.isEmpty()) return failed(QStringLiteral("the file is empty"));

  // The message itself, or a user data header (its first byte is its length) before it.
  Song song;
  Parser direct(bytes, 0);
  if (!direct.parse(song)) {
    const auto headerLength = static_cast<unsigned char>(bytes[0]);
    const bool headerFits = headerLength > 0 && headerLength + 1 < bytes.size();
    song = Song();
    Parser behindHeader(bytes, headerLength + 1);
    if (!headerFits) return failed(direct.error);
    if (!behindHeader.parse(song))
      return failed(bytes[0] == 0x02 ? direct.error : behindHeader.error);
  }

  // Like a read through the melody library: events, tempo and name change, the rest stays.
  melody.resize(0);
  for (const Event& e : song.events) melody.addevent(e.len, e.dot, e.kind, e.v1, e.v2);
  melody.setbpm(song.bpm);
  melody.setsName(song.title);
  return true;
}
