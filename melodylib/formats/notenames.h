// The note letters of the text formats, in one table for their readers and writers: the
// semitone above C of each letter, and the letter and sharp that name each semitone.
#pragma once

#include <cstdint>

namespace rv {

// The letter of each semitone from C (upper case) and whether the semitone is its sharp:
// C C# D D# E F F# G G# A A# B.
inline constexpr char kSemitoneLetter[13] = "CCDDEFFGGAAB";
inline constexpr bool kSemitoneSharp[12] = {false, true,  false, true,  false, false,
                                            true,  false, true,  false, true,  false};

// The semitone above C of a note letter A..G in either case; -1 for any other character.
constexpr int32_t letterSemitone(char32_t letter) {
  constexpr int32_t kFromA[7] = {9, 11, 0, 2, 4, 5, 7};
  const char32_t upper = letter >= U'a' && letter <= U'z' ? letter - U'a' + U'A' : letter;
  return upper >= U'A' && upper <= U'G' ? kFromA[upper - U'A'] : -1;
}

// The semitone's letter in lower case.
constexpr char lowerLetter(int32_t semitone) {
  return static_cast<char>(kSemitoneLetter[semitone] - 'A' + 'a');
}

}  // namespace rv
