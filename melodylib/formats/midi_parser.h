// Generic standard MIDI file parser: walks the header and every track and calls one
// virtual handler per event. It knows nothing about melodies; the MIDI reader's melody
// builder derives from it and overrides the handlers it needs.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

namespace rv {

class MidiParser {
 public:
  explicit MidiParser(std::istream& in);
  virtual ~MidiParser();
  MidiParser(const MidiParser&) = delete;
  MidiParser& operator=(const MidiParser&) = delete;

  // Reads the header and as many tracks as it announces; bytes after the last track are
  // never read. Throws the library's error classes (errors.h) or std::runtime_error.
  void parse();

  int format() const { return format_; }
  int trackCount() const { return tracks_; }
  int division() const { return division_; }

 protected:
  // Every handler but header() receives the running delta time: the ticks since the
  // last event whose handler used its time. A handler that does not use the time calls
  // passTime(), so that the delta is added to the next event's. The defaults all do.
  virtual void header(int format, int tracks, int division);
  virtual void endOfTrack(int64_t delta);
  virtual void unknownMeta(int64_t delta, int type, const std::string& data);
  virtual void unknownStatus(int64_t delta, int status);
  virtual void trackStart(int64_t delta);
  virtual void sequenceNumber(int64_t delta, int number);
  virtual void text(int64_t delta, int type, const std::string& text);
  virtual void tempo(int64_t delta, uint32_t microsPerQuarter);
  virtual void smpteOffset(int64_t delta, const uint8_t (&bytes)[5]);
  virtual void timeSignature(int64_t delta, const uint8_t (&bytes)[4]);
  virtual void keySignature(int64_t delta, int sharpsFlats, bool minor);
  virtual void sequencerSpecific(int64_t delta, const std::string& data);
  virtual void channelPrefix(int64_t delta, int channel);
  virtual void noteOn(int64_t delta, int channel, int key, int velocity);
  virtual void noteOff(int64_t delta, int channel, int key, int velocity);
  virtual void keyPressure(int64_t delta, int channel, int key, int pressure);
  virtual void controller(int64_t delta, int channel, int number, int value);
  virtual void programChange(int64_t delta, int channel, int program);
  virtual void channelPressure(int64_t delta, int channel, int pressure);
  virtual void pitchBend(int64_t delta, int channel, int value);
  // System-exclusive data is skipped; the handlers learn only its length.
  virtual void systemExclusive(int64_t delta, uint32_t length);
  virtual void systemExclusiveContinuation(int64_t delta, uint32_t length);

  void passTime() { timeUsed_ = false; }
  int trackNumber() const { return trackNumber_; }

 private:
  class Source;

  uint8_t fileByte();
  uint32_t fileInt(int bytes);
  uint8_t trackByte();
  uint32_t readVarLen(const char* message);
  void readBlock(uint32_t length, std::string* out);
  void readTrack();
  void readEvent();
  void readMeta();

  std::unique_ptr<Source> source_;
  std::string data_;          // reused buffer for meta event data
  int64_t runningDelta_ = 0;  // 64 bits: many ignored events may add up past 2^31
  uint32_t remaining_ = 0;    // bytes left in the current track
  int trackNumber_ = 0;
  bool endOfTrackSeen_ = false;
  bool timeUsed_ = false;
  uint8_t runningStatus_ = 0;  // last channel status byte, 0 = none yet
  int format_ = 0;
  int tracks_ = 0;
  int division_ = 0;
};

}  // namespace rv
