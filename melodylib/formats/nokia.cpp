// Nokia smart-messaging ringtone writer: one basic song with a single pattern, packed
// most significant bit first, optionally behind the user data header for port 0x1581.
#include "nokia.h"

#include <algorithm>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "../model/modify.h"
#include "bits.h"
#include "rtttl.h"
#include "rvmelody.h"
#include "rvphonetables.h"
#include "utf8.h"

namespace rv {
namespace {

// Command length 2, ringing-tone programming command 0100101, filler 0, sound command
// 0011101, song type 001 (basic song).
constexpr uint32_t kFixedHeader = 600297;
constexpr int kFixedHeaderBits = 26;

// Bits from the command length through the pattern specifier with an empty title.
constexpr int64_t kFixedBits = 55;

// Port addressing with 16-bit ports: destination and origin 0x1581 (5505).
constexpr unsigned char kUserDataHeader[] = {0x06, 0x05, 0x04, 0x15, 0x81, 0x15, 0x81};
constexpr int64_t kUserDataHeaderBytes = sizeof kUserDataHeader;

constexpr int32_t kPitchLow = 60;
constexpr int32_t kPitchHigh = 107;
constexpr int32_t kDefaultTempoCode = 8;  // 63 beats per minute, the phone's default
constexpr int32_t kStartOctave = 6;       // scale 1 is the phone's default
constexpr int32_t kStartVolume = 7;
constexpr int32_t kMaxTitle = 15;

// The pattern specifier is an 8-bit count, so a pattern holds at most 255 instructions.
constexpr size_t kMaxInstructions = 255;

enum InstructionKind : uint8_t { kNote = 1, kScale = 2, kStyle = 3, kTempo = 4, kVolume = 5 };

struct Instruction {
  uint32_t value;  // identifier and fields, right-aligned
  uint8_t bits;
  uint8_t kind;
};

Instruction makeInstruction(InstructionKind kind, uint32_t field, int fieldBits) {
  const uint32_t mask = (1u << fieldBits) - 1;
  return {(static_cast<uint32_t>(kind) << fieldBits) | (field & mask),
          static_cast<uint8_t>(3 + fieldBits), kind};
}

// Note value 1 (C) .. 12 (B) from the pitch class; 0 is the pause.
uint32_t noteValue(int32_t key) {
  return static_cast<uint32_t>((key % 12 + 12) % 12 + 1);
}

// Scale 0..3 for model octaves 5..8 (5 is the octave of A = 440 Hz); others are clamped.
uint32_t scaleOf(int32_t octave) {
  return static_cast<uint32_t>(std::clamp(octave, 5, 8) - 5);
}

uint32_t durationCode(int32_t simpleLen) {
  switch (simpleLen) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 4:
      return 2;
    case 8:
      return 3;
    case 16:
      return 4;
    case 32:
    case 64:
    case 128:
      return 5;
    default:
      return 3;
  }
}

Instruction noteInstruction(const MelodyEvent& event, uint32_t value) {
  MelodyEvent copy(event);
  int32_t simpleLen = 0;
  int32_t dotLen = 0;
  Melody::durationToValue(copy, -1, simpleLen, dotLen);
  const uint32_t fields =
      (value << 5) | (durationCode(simpleLen) << 2) | (static_cast<uint32_t>(dotLen) & 3u);
  return makeInstruction(kNote, fields, 9);
}

// A volume above 15 is written as 15, a negative one as 7.
uint32_t volumeField(int64_t volume) {
  if (volume < 0) return 7;
  return static_cast<uint32_t>(std::min<int64_t>(volume, 15));
}

std::vector<Instruction> buildInstructions(const Melody& melody) {
  std::vector<Instruction> list;
  int64_t volume = kStartVolume;  // relative steps accumulate unclamped
  int32_t octave = kStartOctave;

  const int32_t tempo = tempoToCode(melody.getBPM());
  if (tempo != kDefaultTempoCode) list.push_back(makeInstruction(kTempo, tempo, 5));

  for (const MelodyEvent& event : melody.events()) {
    switch (event.EID) {
      case Note: {
        const int32_t key = event.value(1);
        if (key / 12 != octave) {
          octave = key / 12;
          list.push_back(makeInstruction(kScale, scaleOf(octave), 2));
        }
        list.push_back(noteInstruction(event, noteValue(key)));
        break;
      }
      case Pause:
        list.push_back(noteInstruction(event, 0));
        break;
      case StyleChange: {
        const int32_t style = event.value(1);
        list.push_back(makeInstruction(kStyle, style >= 0 && style <= 2 ? style : 0, 2));
        break;
      }
      case TempoChange:
        list.push_back(makeInstruction(kTempo, tempoToCode(event.value(1)), 5));
        break;
      case VolumeChange:
        if (event.value(1) == 0)
          volume = velocityToVolumeLevel(event.value(2));
        else if (event.value(1) == 1)
          volume += event.value(2);
        else
          break;
        list.push_back(makeInstruction(kVolume, volumeField(volume), 4));
        break;
      default:
        break;
    }
  }
  return list;
}

// Shortens the list from its end; a scale instruction is never left last, since it
// would only change the octave of a note that is no longer there.
void dropLast(std::vector<Instruction>& list, int64_t& bits) {
  bits -= list.back().bits;
  list.pop_back();
  if (!list.empty() && list.back().kind == kScale) {
    bits -= list.back().bits;
    list.pop_back();
  }
}

int64_t neededBytes(int64_t instructionBits) {
  return (instructionBits + kFixedBits + 7) / 8 + 1;  // + 1: the command end byte
}

}  // namespace

int renderNokia(Melody& melody, const NokiaOptions& options, std::string& out) {
  out.clear();
  if (melody.empty()) return -1;

  plainPitchFit(melody, kPitchLow, kPitchHigh);
  std::vector<Instruction> list = buildInstructions(melody);
  int64_t bits = 0;
  for (const Instruction& instruction : list) bits += instruction.bits;

  // The 8-bit pattern specifier caps the list at 255 instructions, trimmed from the end
  // like the size fitting below.
  while (list.size() > kMaxInstructions) dropLast(list, bits);

  // The budget always reserves the user data header, even when it is not written.
  int64_t limit = options.sizeLimit;
  if (limit <= 0) limit = 140;
  limit = std::max<int64_t>(limit, 30);
  const int64_t budget = limit - kUserDataHeaderBytes;
  while (!list.empty() && neededBytes(bits) > budget) dropLast(list, bits);

  const int64_t room = std::min<int64_t>(budget - neededBytes(bits), kMaxTitle);
  const size_t titleLength =
      room > 0 ? std::min(melody.title.size(), static_cast<size_t>(room)) : 0;

  BitWriter writer;
  writer.put(kFixedHeader, kFixedHeaderBits);
  writer.put(static_cast<uint32_t>(titleLength), 4);
  for (size_t i = 0; i < titleLength; ++i)
    writer.put(static_cast<unsigned char>(melody.title[i]), 8);
  writer.put(1, 8);  // one song pattern
  // Pattern header 000, first pattern 00, no loop 0000, then the instruction count.
  writer.put(0, 3);
  writer.put(0, 2);
  writer.put(0, 4);
  writer.put(static_cast<uint32_t>(list.size()), 8);
  for (const Instruction& instruction : list) writer.put(instruction.value, instruction.bits);
  writer.align();
  writer.put(0, 8);  // command end

  std::string bytes;
  if (options.userDataHeader)
    bytes.assign(reinterpret_cast<const char*>(kUserDataHeader), sizeof kUserDataHeader);
  bytes += writer.bytes();

  if (!options.hexText) {
    out = std::move(bytes);
    return 1;
  }
  appendHex(bytes, out);
  return 1;
}

void writeNokia(Melody& melody, WriteTarget /*target*/, const FormatOptions& options,
                WriteResult& out) {
  NokiaOptions nokia;
  nokia.userDataHeader = options.get6(1) != 0;
  nokia.hexText = options.get7(1) == 1;
  nokia.sizeLimit = options.get8(140);
  const int result = renderNokia(melody, nokia, out.bytes);
  out.resultValue = result;
  out.returnValue = result;
}

}  // namespace rv

// ---- Reading ------------------------------------------------------------------------

namespace rv {
namespace {

constexpr int32_t kReadDefaultBpm = 63;  // a ringtone without a tempo instruction
constexpr int kReadDefaultScale = 1;     // notes before the first scale instruction: A = 880 Hz
constexpr uint32_t kEndlessLoop = 15;
constexpr std::size_t kMaxReadBytes = 1 << 20;

// Command parts: each identifier is 7 bits; all but the sound command end on a byte
// boundary.
enum Command : uint32_t {
  kCancelCommand = 0x05,
  kSoundCommand = 0x1D,
  kUnicodeCommand = 0x22,
  kProgrammingCommand = 0x25,
};
enum SongType : uint32_t { kBasicSong = 1, kTemporarySong = 2 };
constexpr uint32_t kPatternHeader = 0;

struct ReadEvent {
  int32_t len, dot, kind, v1, v2;
};

struct Song {
  std::string title;
  int32_t bpm = kReadDefaultBpm;
  std::vector<ReadEvent> events;
};

// One pattern instruction as read, before the scale and tempo state give it meaning.
struct Step {
  uint32_t kind;
  uint32_t a, b, c;
};

// UCS-2 units (surrogate pairs joined) as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(const std::vector<uint32_t>& units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    uint32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    appendUtf8(static_cast<char32_t>(cp), out);
  }
  return out;
}

class Parser {
 public:
  Parser(std::string_view bytes, std::size_t start) : in_(bytes, start) {}

  // 1, or the reason it is no ringtone (failPosition and failValue say more).
  int parse(Song& song) {
    uint32_t commands = 0;
    if (!in_.read(8, commands) || commands == 0) return fail(RV_NOKIA_NO_COMMANDS);
    for (uint32_t i = 0; i < commands; ++i) {
      uint32_t command = 0;
      if (!in_.read(7, command)) return endsEarly();
      switch (command) {
        case kProgrammingCommand:
        case kCancelCommand:
          in_.align();
          break;
        case kUnicodeCommand:
          unicode_ = true;
          in_.align();
          break;
        case kSoundCommand:
          return sound(song);
        default:
          return fail(RV_NOKIA_UNKNOWN_COMMAND, command);
      }
    }
    return fail(RV_NOKIA_NO_SOUND);
  }

  int32_t failPosition = 0;
  int32_t failValue = 0;

 private:
  int fail(int code, uint32_t value = 0) {
    failPosition = static_cast<int32_t>(std::min<std::size_t>(in_.byte(), kMaxReadBytes)) + 1;
    failValue = static_cast<int32_t>(value);
    return code;
  }
  int endsEarly() { return fail(RV_NOKIA_ENDS_EARLY); }

  int sound(Song& song) {
    uint32_t type = 0;
    if (!in_.read(3, type)) return endsEarly();
    if (type != kBasicSong && type != kTemporarySong) return fail(RV_NOKIA_NOT_BASIC_SONG, type);
    if (!title(song.title)) return endsEarly();
    uint32_t patterns = 0;
    if (!in_.read(8, patterns)) return endsEarly();
    if (patterns == 0) return fail(RV_NOKIA_NO_PATTERN);
    std::vector<Step> defined[4];
    bool isDefined[4] = {};
    for (uint32_t p = 0; p < patterns; ++p) {
      uint32_t header = 0, id = 0, loop = 0, count = 0;
      if (!in_.read(3, header) || !in_.read(2, id) || !in_.read(4, loop) || !in_.read(8, count))
        return endsEarly();
      if (header != kPatternHeader) return fail(RV_NOKIA_BAD_PATTERN);
      std::vector<Step> steps;
      for (uint32_t i = 0; i < count; ++i) {
        Step step{};
        if (const int r = instruction(step); r != 1) return r;
        steps.push_back(step);
      }
      if (count == 0 && isDefined[id]) steps = defined[id];
      defined[id] = steps;
      isDefined[id] = true;
      const uint32_t plays = loop == kEndlessLoop ? 1 : loop + 1;
      for (uint32_t n = 0; n < plays; ++n)
        for (const Step& step : steps)
          if (const int r = apply(step, song); r != 1) return r;
    }
    for (const ReadEvent& e : song.events)
      if (e.kind == Note || e.kind == Pause) return 1;
    return fail(RV_NOKIA_NO_NOTE);
  }

  // A 4-bit length, then 8-bit characters (UTF-8 when they form it, else ISO 8859-1), or
  // 16-bit UCS-2 after a Unicode command.
  bool title(std::string& out) {
    uint32_t length = 0;
    if (!in_.read(4, length)) return false;
    std::string bytes;
    std::vector<uint32_t> wide;
    for (uint32_t i = 0; i < length; ++i) {
      uint32_t c = 0;
      if (!in_.read(unicode_ ? 16 : 8, c)) return false;
      if (unicode_)
        wide.push_back(c);
      else
        bytes.push_back(static_cast<char>(c));
    }
    if (unicode_) {
      out = utf16ToUtf8(wide);
    } else if (isUtf8(bytes)) {
      out = bytes;
    } else {
      out.clear();
      out = encodeUtf8(decodeText(bytes));
    }
    return true;
  }

  int instruction(Step& step) {
    if (!in_.read(3, step.kind)) return endsEarly();
    bool ok = true;
    switch (step.kind) {
      case kNote:
        ok = in_.read(4, step.a) && in_.read(3, step.b) && in_.read(2, step.c);
        break;
      case kScale:
      case kStyle:
        ok = in_.read(2, step.a);
        break;
      case kTempo:
        ok = in_.read(5, step.a);
        break;
      case kVolume:
        ok = in_.read(4, step.a);
        break;
      default:
        return fail(RV_NOKIA_UNKNOWN_INSTRUCTION, step.kind);
    }
    return ok ? 1 : endsEarly();
  }

  int add(Song& song, const ReadEvent& e) {
    if (song.events.size() >= static_cast<std::size_t>(kMaxUnrolledEvents))
      return fail(RV_NOKIA_TOO_MANY_EVENTS, kMaxUnrolledEvents);
    song.events.push_back(e);
    return 1;
  }

  // Note value 0 is a pause, 1..12 C..B in the current scale (0 is the octave of
  // A = 440 Hz); values 13..15 and durations 6 and 7 mean nothing and are passed over.
  int apply(const Step& s, Song& song) {
    switch (s.kind) {
      case kNote: {
        if (s.a > 12 || s.b > 5) return 1;
        const int32_t len = 1 << s.b;
        const auto dot = static_cast<int32_t>(s.c);
        sounded_ = true;
        if (s.a == 0) return add(song, {len, dot, Pause, 0, 0});
        const int32_t key = (scale_ + 5) * 12 + static_cast<int32_t>(s.a) - 1;
        return add(song, {len, dot, Note, key, kPhoneNoteVelocity});
      }
      case kScale:
        scale_ = static_cast<int>(s.a);
        return 1;
      case kStyle:
        if (s.a > 2) return 1;
        return add(song, {0, 0, StyleChange, static_cast<int32_t>(s.a), 0});
      case kTempo:
        // A tempo before the first note is the song's tempo.
        if (!sounded_ && !tempoSet_) {
          tempoSet_ = true;
          song.bpm = rvphone::kTempoBpm[s.a];
          return 1;
        }
        return add(song, {0, 0, TempoChange, rvphone::kTempoBpm[s.a], 0});
      case kVolume:
        return add(song, {0, 0, VolumeChange, 0, rvphone::kLevelVelocity[s.a]});
      default:
        return 1;
    }
  }

  BitReader in_;
  bool unicode_ = false;
  bool sounded_ = false;
  bool tempoSet_ = false;
  int scale_ = kReadDefaultScale;
};

// Hex text (pairs of digits, blanks and line breaks anywhere) to bytes; false when the
// data is anything else, binary data included. A line may begin with the text-mode port
// header of smart messages ("//SCKL" and the ports up to the first blank), which is passed
// over.
bool fromHexText(std::string_view data, std::string& bytes) {
  std::string digits;
  std::size_t from = 0;
  while (from <= data.size()) {
    std::size_t end = data.find('\n', from);
    if (end == std::string_view::npos) end = data.size();
    std::string_view line = data.substr(from, end - from);
    from = end + 1;
    auto blank = [](char c) {
      return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    if (line.substr(0, 6) == "//SCKL") {
      const std::size_t space = line.find(' ');
      line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
    for (const char c : line) {
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (hexDigitValue(c) < 0) return false;
      digits.push_back(c);
    }
  }
  if (digits.empty() || digits.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(
        static_cast<char>(hexDigitValue(digits[i]) * 16 + hexDigitValue(digits[i + 1])));
  return true;
}

}  // namespace

int readNokia(std::istream& in, Melody& melody, ReadRequest& request) {
  std::string data(kMaxReadBytes + 1, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<std::size_t>(in.gcount()));
  if (data.size() > kMaxReadBytes) return RV_READ_FAILED;

  std::string bytes;
  if (!fromHexText(data, bytes)) bytes = data;
  if (bytes.empty()) return RV_NOKIA_EMPTY;

  // The message itself, or a user data header (its first byte is its length) before it.
  Song song;
  Parser direct(bytes, 0);
  int result = direct.parse(song);
  if (result != 1) {
    const auto headerLength = static_cast<unsigned char>(bytes[0]);
    const bool headerFits = headerLength > 0 && headerLength + 1u < bytes.size();
    song = Song();
    Parser behindHeader(bytes, headerLength + 1u);
    const Parser* why = &direct;
    const int directResult = result;
    if (headerFits) {
      result = behindHeader.parse(song);
      if (result != 1 && bytes[0] != 0x02) why = &behindHeader;
      if (result != 1 && why == &direct) result = directResult;
    }
    if (result != 1) {
      request.failPosition = why->failPosition;
      request.failValue = why->failValue;
      return result;
    }
  }

  melody.clearEvents();
  for (const ReadEvent& e : song.events) melody.addRecord(e.len, e.dot, e.kind, e.v1, e.v2, 0, 0);
  melody.setBPM(song.bpm);
  melody.title = song.title;
  return 1;
}

int32_t countNokiaNotes(std::string_view ringtone, bool withHeader) {
  BitReader in(ringtone, withHeader ? kUserDataHeaderBytes : 0);
  // Command length, programming and sound commands, song type: 26 bits; then the title.
  in.take(kFixedHeaderBits);
  in.skip(8ull * in.take(4));
  in.take(8 + 3 + 2 + 4);  // one pattern: its header, number and loop
  const uint32_t instructions = in.take(8);
  int32_t notes = 0;
  // Field bits after each 3-bit identifier: note (also a pause), scale, style, tempo, volume.
  static constexpr int kFieldBits[] = {0, 9, 2, 2, 5, 4};
  for (uint32_t i = 0; i < instructions && !in.ended(); ++i) {
    const uint32_t kind = in.take(3);
    if (kind < 1 || kind > 5) return -1;
    if (kind == kNote) ++notes;
    in.take(kFieldBits[kind]);
  }
  return in.ended() ? -1 : notes;
}

}  // namespace rv
