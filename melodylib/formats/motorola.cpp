#include "motorola.h"

#include <algorithm>
#include <cstdlib>

namespace rv {
namespace {

constexpr int32_t kTokenLimit = 35;

// Nearest table entry; a value exactly between two entries takes the larger one.
int nearestIndex(int64_t value, const int64_t* table, int size) {
  int best = 0;
  for (int i = 1; i < size; ++i)
    if (std::llabs(value - table[i]) <= std::llabs(value - table[best])) best = i;
  return best;
}

// Duration in ticks brought to 96 ticks per quarter.
int64_t toQuarter96(int64_t ticks, int32_t wholeTicks) {
  const int64_t q = wholeTicks / 4;
  if (q > 96) return ticks / (q / 96);
  if (q > 0 && q < 96) return ticks * (96 / q);
  return ticks;
}

char durationDigit(int64_t t) {
  static constexpr int64_t kLengths[] = {36, 48, 72, 96, 144, 192};
  if (t <= 0) return '0';
  if (t <= 36) return '1';
  if (t >= 192) return '6';
  return static_cast<char>('1' + nearestIndex(t, kLengths, 6));
}

// Letter index 1..7 (C..B) and sharp flag of a semitone 0..11.
constexpr int kLetter[12] = {1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7};
constexpr bool kSharp[12] = {false, true,  false, true,  false, false,
                             true,  false, true,  false, true,  false};

}  // namespace

MotorolaMelody::MotorolaMelody(const Melody& source) : Melody(source) {
  formatLowestNote = 59;
  formatHighestNote = 89;
  maxDuration = 192;
  minDuration = 36;
  exactDurations = 0;
  maxDotLen = 1;
}

char motorolaTempoDigit(int32_t bpm) {
  static constexpr int64_t kTempi[] = {60, 120, 160, 240};
  if (bpm <= 0) return '2';
  if (bpm <= 60) return '1';
  if (bpm >= 240) return '4';
  return static_cast<char>('1' + nearestIndex(bpm, kTempi, 4));
}

// Letter from "RCDEFGAB" (R for anything but a note), "#", the octave mark of a note
// ("-" below A of octave 5, "+" above G of octave 6, none between: keys 69..80), and
// the duration digit.
std::string motorolaToken(const MelodyEvent& event, int32_t wholeTicks) {
  std::string token;
  if (event.EID == Note) {
    // Keys below 0 can arrive uncorrected from the records; keep them in the table.
    const int key = std::clamp<int32_t>(event.EventVal1, 0, 127);
    const int letter = kLetter[key % 12];
    const int octave = key / 12;
    token += "RCDEFGAB"[letter];
    if (kSharp[key % 12]) token += '#';
    if (octave < 5 || (octave == 5 && letter < 6))
      token += '-';
    else if (octave > 6 || (octave == 6 && letter > 5))
      token += '+';
  } else {
    token += 'R';
  }
  token += durationDigit(toQuarter96(event.duration, wholeTicks));
  return token;
}

void writeMotorola(Melody& melody, WriteTarget /*target*/, const FormatOptions& options,
                   WriteResult& out) {
  int32_t word = options.get6(0);
  if (options.has7) word |= static_cast<int32_t>(static_cast<uint32_t>(options.option7) << 2);

  MotorolaMelody moto(melody);
  moto.fitToFormatRange(0);

  std::string tokens;
  int32_t count = 0;
  for (const MelodyEvent& event : moto.events()) {
    if (event.duration <= 0) continue;
    if (!(word & kMotoNoTokenLimit) && count >= kTokenLimit) break;
    if (word & kMotoBlankBefore) tokens += ' ';
    tokens += motorolaToken(event, moto.wholeTicks);
    ++count;
  }

  const char tempo = motorolaTempoDigit(moto.BPM);
  if ((word & kMotoHeaderTrailer) && !tokens.empty()) {
    unsigned x = 0;
    for (unsigned char c : tokens) x ^= c;
    out.bytes = std::string("L35&") + tempo + ' ' + tokens + "&&";
    out.bytes += static_cast<char>('0' + ((x >> 4) & 0x0F));
    out.bytes += static_cast<char>('0' + (x & 0x0F));
  } else {
    out.bytes = std::string(1, tempo) + ' ' + tokens;
  }
  out.resultValue = count;
  out.returnValue = count > 0 ? 1 : -1;
}

}  // namespace rv
