// Nokia smart-messaging ringtone writer: one basic song with a single pattern, packed
// most significant bit first, optionally behind the user data header for port 0x1581.
#include "nokia.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "../model/modify.h"
#include "rtttl.h"

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

class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1u) bytes_.back() |= static_cast<unsigned char>(0x80u >> (used_ % 8));
      ++used_;
    }
  }
  // Zero bits up to the next byte boundary.
  void align() { used_ = bytes_.size() * 8; }
  const std::vector<unsigned char>& bytes() const { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
  uint64_t used_ = 0;
};

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
  bytes.append(writer.bytes().begin(), writer.bytes().end());

  if (!options.hexText) {
    out = std::move(bytes);
    return 1;
  }
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
  }
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
