/* rvphonetables: the two tables that phone ringtone formats share, for the library's
 * readers and writers and for C++ callers that read these formats themselves.
 *
 *   kTempoBpm       beats per minute of the 32 tempo codes of Nokia ringtones and RTTTL
 *                   (code 8, 63 beats, is a ringtone's tempo when it sets none);
 *   kLevelVelocity  the MIDI velocity of each of the sixteen volume levels (0 silent ..
 *                   15 loudest; levels 7..14 step by 7 from 70).
 *
 * The tables are only data: nothing here is part of the library's exports.
 */
#ifndef RVPHONETABLES_H
#define RVPHONETABLES_H

#include <array>
#include <cstdint>

namespace rvphone {

inline constexpr std::array<int32_t, 32> kTempoBpm = {
    25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,  90,  100, 112, 125, 140,
    160, 180, 200, 225, 250, 285, 320, 355, 400, 450, 500, 565, 635, 715, 800, 900};

inline constexpr std::array<int32_t, 16> kLevelVelocity = {0,  20, 29, 38, 46,  54,  62,  70,
                                                           77, 84, 91, 98, 105, 112, 119, 127};

}  // namespace rvphone

#endif /* RVPHONETABLES_H */
