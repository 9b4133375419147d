#include "midi_parser.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "../model/errors.h"

namespace rv {

// Reads the stream in fixed chunks: one refill per 64 KiB instead of a stream call per
// byte, and never more memory than the chunk, whatever the file's length fields say.
class MidiParser::Source {
 public:
  explicit Source(std::istream& in) : in_(in), buffer_(kChunk) {}

  uint8_t next() {
    if (pos_ == len_) [[unlikely]]
      refill();
    return static_cast<uint8_t>(buffer_[pos_++]);
  }

  // Bytes available without a refill (at least one after ensure()).
  size_t ensure() {
    if (pos_ == len_) refill();
    return len_ - pos_;
  }
  const char* data() const { return buffer_.data() + pos_; }
  void advance(size_t n) { pos_ += n; }

 private:
  static constexpr size_t kChunk = 64 * 1024;

  // End of data is "EOF" (58); a stream that failed for another reason is a read error.
  __attribute__((noinline)) void refill() {
    if (in_.good()) {
      in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
      len_ = static_cast<size_t>(in_.gcount());
      pos_ = 0;
      if (len_ > 0) return;
    }
    if (in_.bad() || !in_.eof()) throw RVXFileErrRead();
    throw RVXEndofBuffer();
  }

  std::istream& in_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t len_ = 0;
};

MidiParser::MidiParser(std::istream& in) : source_(std::make_unique<Source>(in)) {}
MidiParser::~MidiParser() = default;

void MidiParser::header(int, int, int) {}
void MidiParser::endOfTrack(int64_t) {
  passTime();
}
void MidiParser::unknownMeta(int64_t, int, const std::string&) {
  passTime();
}
void MidiParser::unknownStatus(int64_t, int) {
  passTime();
}
void MidiParser::trackStart(int64_t) {
  passTime();
}
void MidiParser::sequenceNumber(int64_t, int) {
  passTime();
}
void MidiParser::text(int64_t, int, const std::string&) {
  passTime();
}
void MidiParser::tempo(int64_t, uint32_t) {
  passTime();
}
void MidiParser::smpteOffset(int64_t, const uint8_t (&)[5]) {
  passTime();
}
void MidiParser::timeSignature(int64_t, const uint8_t (&)[4]) {
  passTime();
}
void MidiParser::keySignature(int64_t, int, bool) {
  passTime();
}
void MidiParser::sequencerSpecific(int64_t, const std::string&) {
  passTime();
}
void MidiParser::channelPrefix(int64_t, int) {
  passTime();
}
void MidiParser::noteOn(int64_t, int, int, int) {
  passTime();
}
void MidiParser::noteOff(int64_t, int, int, int) {
  passTime();
}
void MidiParser::keyPressure(int64_t, int, int, int) {
  passTime();
}
void MidiParser::controller(int64_t, int, int, int) {
  passTime();
}
void MidiParser::programChange(int64_t, int, int) {
  passTime();
}
void MidiParser::channelPressure(int64_t, int, int) {
  passTime();
}
void MidiParser::pitchBend(int64_t, int, int) {
  passTime();
}
void MidiParser::systemExclusive(int64_t, uint32_t) {
  passTime();
}
void MidiParser::systemExclusiveContinuation(int64_t, uint32_t) {
  passTime();
}

uint8_t MidiParser::fileByte() {
  return source_->next();
}

// Multi-byte integers of the chunk headers are big-endian.
uint32_t MidiParser::fileInt(int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | fileByte();
  return value;
}

namespace {
[[noreturn]] __attribute__((noinline)) void throwTrackData() {
  throw MFBadTrkData();
}
[[noreturn]] __attribute__((noinline)) void throwVarLen(const char* message) {
  throw std::runtime_error(message);
}
}  // namespace

// Inside a track every byte counts against the track's length.
inline uint8_t MidiParser::trackByte() {
  if (remaining_ == 0) [[unlikely]]
    throwTrackData();
  --remaining_;
  return source_->next();
}

// A variable-length number has seven bits per byte, most significant first, the top bit
// flagging another byte. At most four bytes (28 bits) are valid: a fifth byte is an error
// even when the leading bytes are zero padding.
uint32_t MidiParser::readVarLen(const char* message) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const uint8_t b = trackByte();
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) return value;
  }
  throwVarLen(message);
}

// Reads (or with out null, skips) a block of track data. A length beyond the track's
// remaining bytes fails before anything is read or allocated; the rest is copied
// chunk by chunk, so memory follows the bytes actually present, not the length field.
void MidiParser::readBlock(uint32_t length, std::string* out) {
  if (out) out->clear();
  if (length > remaining_) throw MFBadTrkData();
  while (length > 0) {
    const size_t n = std::min<size_t>(length, source_->ensure());
    if (out) out->append(source_->data(), n);
    source_->advance(n);
    length -= static_cast<uint32_t>(n);
    remaining_ -= static_cast<uint32_t>(n);
  }
}

// Header chunk: "MThd", length 6, format 0..2, track count, and a division in ticks per
// quarter note (time-code divisions, top bit set, are refused).
void MidiParser::parse() {
  char id[4];
  for (char& c : id) c = static_cast<char>(fileByte());
  if (std::memcmp(id, "MThd", 4) != 0) throw RVXFileFalseUserFormat();
  const uint32_t length = fileInt(4);
  if (length != 6) throw RVXErrErrFormatHead();
  format_ = static_cast<int>(fileInt(2));
  tracks_ = static_cast<int>(fileInt(2));
  division_ = static_cast<int>(fileInt(2));
  if (format_ > 2 || (tracks_ & 0x8000) || (division_ & 0x8000)) throw RVXErrErrFormatHead();
  header(format_, tracks_, division_);
  for (int i = 0; i < tracks_; ++i) readTrack();
}

// Track chunk: "MTrk", a 4-byte length (top bit set is invalid), events up to that
// length, one of which must be the end-of-track meta event. Events after the end of
// track but inside the length are still parsed.
void MidiParser::readTrack() {
  char id[4];
  for (char& c : id) c = static_cast<char>(fileByte());
  if (std::memcmp(id, "MTrk", 4) != 0) throw MFBadTrkSig();
  ++trackNumber_;
  runningDelta_ = 0;
  endOfTrackSeen_ = false;
  runningStatus_ = 0;
  trackStart(0);
  const uint32_t length = fileInt(4);
  if (length & 0x80000000u) throw MFBadTrkLen();
  remaining_ = length;
  while (remaining_ > 0) readEvent();
  if (!endOfTrackSeen_) throw MFNoEot();
}

// One event: delta time, then a status byte or, with its top bit clear, the first data
// byte of a channel message that reuses the last channel status (running status). Only
// channel messages set the running status; meta and system messages leave it as it is.
void MidiParser::readEvent() {
  timeUsed_ = true;
  runningDelta_ += readVarLen("invalid delta time");

  uint8_t status = trackByte();
  uint8_t data[2] = {0, 0};
  int have = 0;
  if (!(status & 0x80)) {
    // A data byte before any channel status cannot be interpreted.
    if (runningStatus_ == 0) throw MFBadTrkData();
    data[have++] = status;
    status = runningStatus_;
  } else if (status < 0xF0) {
    runningStatus_ = status;
  }

  int needed = 0;
  if (status == 0xF2)
    needed = 2;
  else if (status == 0xF3)
    needed = 1;
  else if (status >= 0xF0)
    needed = 0;
  else if (status >= 0xE0)
    needed = 2;
  else if (status >= 0xC0)
    needed = 1;
  else
    needed = 2;
  while (have < needed) data[have++] = trackByte();

  const int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
      noteOff(runningDelta_, channel, data[0], data[1]);
      break;
    case 0x90:
      noteOn(runningDelta_, channel, data[0], data[1]);
      break;
    case 0xA0:
      keyPressure(runningDelta_, channel, data[0], data[1]);
      break;
    case 0xB0:
      controller(runningDelta_, channel, data[0], data[1]);
      break;
    case 0xC0:
      programChange(runningDelta_, channel, data[0]);
      break;
    case 0xD0:
      channelPressure(runningDelta_, channel, data[0]);
      break;
    case 0xE0:
      pitchBend(runningDelta_, channel, data[0] * 256 + data[1]);
      break;
    default:
      if (status == 0xF0 || status == 0xF7) {
        const uint32_t length = readVarLen("invalid meta event length");
        readBlock(length, nullptr);
        if (status == 0xF0)
          systemExclusive(runningDelta_, length);
        else
          systemExclusiveContinuation(runningDelta_, length);
      } else if (status == 0xFF) {
        readMeta();
      } else {
        unknownStatus(runningDelta_, status);
      }
      break;
  }
  if (timeUsed_) runningDelta_ = 0;
}

// Meta event: type byte, variable-length length, data. Known types have a minimum
// length (end of track exactly 0); a key signature must lie within -7..7.
void MidiParser::readMeta() {
  const int type = trackByte();
  const uint32_t length = readVarLen("invalid meta event length");
  readBlock(length, &data_);
  const auto byteAt = [this](size_t i) { return static_cast<uint8_t>(data_[i]); };
  const auto require = [length](uint32_t minimum) {
    if (length < minimum) throw MFBadMetaEvLen();
  };
  switch (type) {
    case 0x00:
      require(2);
      sequenceNumber(runningDelta_, byteAt(0) * 256 + byteAt(1));
      break;
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
      text(runningDelta_, type, data_);
      break;
    case 0x20:
      require(1);
      channelPrefix(runningDelta_, byteAt(0));
      break;
    case 0x2F:
      if (length != 0) throw MFBadMetaEvLen();
      endOfTrackSeen_ = true;
      endOfTrack(runningDelta_);
      break;
    case 0x51:
      require(3);
      tempo(runningDelta_, (uint32_t{byteAt(0)} << 16) | (uint32_t{byteAt(1)} << 8) | byteAt(2));
      break;
    case 0x54: {
      require(5);
      const uint8_t bytes[5] = {byteAt(0), byteAt(1), byteAt(2), byteAt(3), byteAt(4)};
      smpteOffset(runningDelta_, bytes);
      break;
    }
    case 0x58: {
      require(4);
      const uint8_t bytes[4] = {byteAt(0), byteAt(1), byteAt(2), byteAt(3)};
      timeSignature(runningDelta_, bytes);
      break;
    }
    case 0x59: {
      require(2);
      const int sharpsFlats = static_cast<int8_t>(byteAt(0));
      if (sharpsFlats < -7 || sharpsFlats > 7) throw MFBadMetaEvVal();
      keySignature(runningDelta_, sharpsFlats, byteAt(1) == 1);
      break;
    }
    case 0x7F:
      sequencerSpecific(runningDelta_, data_);
      break;
    default:
      unknownMeta(runningDelta_, type, data_);
      break;
  }
}

}  // namespace rv
