#include "midi_writer.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "../model/errors.h"

namespace rv {
namespace {

constexpr uint32_t kMaxVarLen = 0x0FFFFFFF;  // four bytes of seven bits
constexpr uint32_t kMaxTempo = 0xFFFFFF;     // three bytes of microseconds

// Collects one track's events; the 4-byte length is written as a placeholder and
// patched once the end-of-track event is in.
class TrackWriter {
 public:
  explicit TrackWriter(std::string& out) : out_(out), start_(out.size()) {
    out_.append("MTrk");
    out_.append(4, '\0');
  }

  // Delta times beyond four VLQ bytes are carried by empty text events, so that an
  // absurdly long rest stays exact and the file stays readable by any parser.
  void delta(int64_t ticks) {
    ticks = std::max<int64_t>(ticks, 0);
    while (ticks > kMaxVarLen) {
      varLen(kMaxVarLen);
      out_.append("\xFF\x01\x00", 3);
      ticks -= kMaxVarLen;
    }
    varLen(static_cast<uint32_t>(ticks));
  }

  void meta(uint8_t type, const std::string& data) {
    delta(0);
    out_.push_back(static_cast<char>(0xFF));
    out_.push_back(static_cast<char>(type));
    if (data.size() > kMaxVarLen) throw RVXFileErrWrite();
    varLen(static_cast<uint32_t>(data.size()));
    out_.append(data);
  }

  // A text event of type 1..7; any other type is written as 1.
  void text(int type, const std::string& data) {
    meta(static_cast<uint8_t>((type >= 1 && type <= 7) ? type : 1), data);
  }

  // Microseconds per quarter note; a tempo below about 4 BPM is clamped to the
  // slowest value three bytes can hold instead of wrapping around.
  void tempo(int64_t bpm) {
    int64_t micros = bpm > 0 ? 60000000 / bpm : 500000;
    micros = std::clamp<int64_t>(micros, 1, kMaxTempo);
    const char bytes[3] = {static_cast<char>(micros >> 16), static_cast<char>(micros >> 8),
                           static_cast<char>(micros)};
    meta(0x51, std::string(bytes, 3));
  }

  void channel(int64_t ticks, uint8_t status, int data1, int data2) {
    delta(ticks);
    out_.push_back(static_cast<char>(status));
    out_.push_back(static_cast<char>(data1 & 0x7F));
    out_.push_back(static_cast<char>(data2 & 0x7F));
  }

  void finish() {
    meta(0x2F, std::string());
    const size_t length = out_.size() - start_ - 8;
    if (length > std::numeric_limits<uint32_t>::max()) throw RVXFileErrWrite();
    for (int i = 0; i < 4; ++i)
      out_[start_ + 4 + i] = static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
  }

 private:
  // Seven bits per byte, most significant group first, every byte but the last with
  // the top bit set; 0 is the single byte 0x00.
  void varLen(uint32_t value) {
    char bytes[4];
    int n = 0;
    bytes[n++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0) bytes[n++] = static_cast<char>((value & 0x7F) | 0x80);
    while (n > 0) out_.push_back(bytes[--n]);
  }

  std::string& out_;
  size_t start_;
};

const char* styleName(int32_t style) {
  switch (style) {
    case 0:
      return "Natural";
    case 1:
      return "Continuous";
    case 2:
      return "Staccato";
    default:
      return "Unknown";
  }
}

void writeConductorTrack(const Melody& melody, std::string& out) {
  TrackWriter track(out);
  track.text(1, kMidiCreditLine);
  track.text(3, melody.title);
  track.tempo(melody.getBPM());
  track.finish();
}

// Rests are not events: their time goes into the delta of the next note-on. Meta events
// are written at delta 0, so one that follows a rest lands before the rest.
void writeMelodyTrack(const Melody& melody, std::string& out) {
  TrackWriter track(out);
  int64_t pending = 0;
  bool loopOpen = false;
  int32_t openLoopId = 0;
  for (uint32_t i = 0; i < static_cast<uint32_t>(melody.count()); ++i) {
    const MelodyEvent& e = melody.event(i);
    switch (e.EID) {
      case Note: {
        // A note-on of velocity 0 would be a note-off: such a note is played at full
        // velocity rather than lost.
        int velocity = melody.value2At(i) & 0x7F;
        if (velocity == 0) velocity = 127;
        const int key = melody.value1At(i);
        track.channel(pending, 0x90, key, velocity);
        track.channel(e.duration, 0x80, key, 0);
        pending = 0;
        break;
      }
      case Pause:
        pending += std::max<int32_t>(e.duration, 0);
        break;
      case StyleChange:
        track.text(1, std::string("StyleChange:") + styleName(melody.value1At(i)));
        break;
      case TempoChange:
        if (melody.value1At(i) > 0) track.tempo(melody.value1At(i));
        break;
      case Loop: {
        // The first marker opens a loop; only a marker with the same id closes it.
        const int32_t id = melody.value1At(i);
        if (loopOpen && id != openLoopId) break;
        track.text(6, "LoopId:" + std::to_string(loopOpen ? openLoopId : id) +
                          ":Repeat:" + std::to_string(melody.value2At(i)));
        if (loopOpen) {
          loopOpen = false;
        } else {
          loopOpen = true;
          openLoopId = id;
        }
        break;
      }
      default:
        break;  // volume changes and unknown kinds have no MIDI form here
    }
  }
  track.finish();
}

// Header: "MThd", length 6, format 1, two tracks, division = the melody's PPQN.
void renderMidi(const Melody& melody, std::string& bytes) {
  const int32_t ppqn = melody.getPPQN();
  if (ppqn < 1 || ppqn > 0x7FFF) throw RVXFileErrWrite();
  bytes.assign("MThd\0\0\0\x06\0\x01\0\x02", 12);
  bytes.push_back(static_cast<char>(ppqn >> 8));
  bytes.push_back(static_cast<char>(ppqn & 0xFF));
  writeConductorTrack(melody, bytes);
  writeMelodyTrack(melody, bytes);
}

}  // namespace

// A failure of the writer reaches the file and clipboard exports as the exception (its
// code is their result); the string export reports it as the return value -1 with no
// bytes.
void writeMidi(Melody& melody, WriteTarget target, const FormatOptions&, WriteResult& out) {
  out.resultValue = 0;
  try {
    std::string bytes;
    renderMidi(melody, bytes);
    out.bytes = std::move(bytes);
    out.returnValue = 1;
  } catch (...) {
    if (target != WriteTarget::String) throw;
    out.bytes.clear();
    out.returnValue = -1;
  }
}

}  // namespace rv
