#include "midi_reader.h"

#include <algorithm>
#include <limits>

#include "../model/errors.h"
#include "midi_parser.h"

namespace rv {
namespace {

constexpr char kStylePrefix[] = "StyleChange:";
constexpr size_t kStylePrefixLength = sizeof(kStylePrefix) - 1;

// Events up to this count that need no splitting are handed over without copying; a
// longer melody goes through copySplit, which applies its own event limit.
constexpr size_t kHandOverLimit = size_t{1} << 20;

// The builder's working melody, whose events can be handed over to the caller's melody
// when copySplit would only copy them.
class WorkMelody : public Melody {
 public:
  bool needsSplit() const {
    if (events_.size() >= kHandOverLimit) return true;
    for (const MelodyEvent& e : events_)
      if (e.duration > wholeTicks) return true;
    return false;
  }
  void handOverTo(Melody& target) {
    target.replaceEvents(std::move(events_));
    events_.clear();
    refreshCount();
    target.setBPM(BPM);
    target.title = title;
  }
};

// Builds a monophonic melody from the notes of the selected channel. Only events that
// end a note or a rest use their delta time; every other event (other channels, texts,
// tempo, stray note-offs) passes it on, so no time is lost between two notes.
class MelodyBuilder : public MidiParser {
 public:
  MelodyBuilder(std::istream& in, int32_t channelChoice) : MidiParser(in) {
    autoSelect_ = channelChoice == 255;
    selected_ = (channelChoice >= 0 && channelChoice <= 15) ? static_cast<int16_t>(channelChoice)
                                                            : int16_t{0};
  }

  WorkMelody& melody() { return work_; }
  int16_t selectedChannel() const { return selected_; }
  int32_t channelMask() const { return channelMask_; }

 protected:
  void header(int, int, int division) override {
    division_ = division;
    channelChosen_ = false;
    notesStarted_ = false;
  }

  // "StyleChange:" followed by the style's name becomes a StyleChange event; the
  // sequence or track name becomes the title (the last one wins).
  void text(int64_t, int type, const std::string& text) override {
    passTime();
    if (type == 3) {
      work_.title = text;
    } else if (type == 1 && text.size() > kStylePrefixLength &&
               text.compare(0, kStylePrefixLength, kStylePrefix) == 0) {
      const std::string rest = text.substr(kStylePrefixLength);
      int style = 0;
      if (rest == "Continuous")
        style = 1;
      else if (rest == "Staccato")
        style = 2;
      work_.appendEvent(StyleChange, 0, style);
    }
  }

  // Before the first note has ended a tempo sets the melody's BPM; later ones become
  // TempoChange events. A tempo of 0 microseconds has no BPM and fails the read.
  void tempo(int64_t, uint32_t micros) override {
    passTime();
    if (micros == 0) throw MFBadMetaEvVal();
    const int32_t bpm = static_cast<int32_t>(60000000u / micros);
    if (!notesStarted_)
      work_.setBPM(bpm);
    else
      work_.appendEvent(TempoChange, 0, bpm);
  }

  void noteOn(int64_t delta, int channel, int key, int velocity) override {
    channelMask_ |= 1 << channel;
    if (autoSelect_ && !channelChosen_) {
      selected_ = static_cast<int16_t>(channel);
      channelChosen_ = true;
    }
    if (channel != selected_) return passTime();
    if (velocity > 0) {
      noteStarts(key, delta, velocity);
    } else {
      noteEnds(key, delta);
      notesStarted_ = true;
    }
  }

  void noteOff(int64_t delta, int channel, int key, int) override {
    if (channel != selected_) return passTime();
    noteEnds(key, delta);
    notesStarted_ = true;
  }

 private:
  // File ticks (division D, 0 meaning the melody's own) to melody ticks (PPQN P), with
  // the integer ratio of the two.
  int64_t scale(int64_t t) const {
    const int64_t p = work_.getPPQN();
    const int64_t d = division_ > 0 ? division_ : p;
    if (d > p) return t / (d / p);
    if (d < p) return (p / d) * t;
    return t;
  }

  static int32_t toDuration(int64_t ticks) {
    return static_cast<int32_t>(std::min<int64_t>(ticks, std::numeric_limits<int32_t>::max()));
  }

  void appendNote(int key, int64_t t, int velocity) {
    const int32_t d = toDuration(scale(t));
    if (d <= 0) return;
    work_.appendEvent(Note, d, key, (velocity >= 1 && velocity <= 127) ? velocity : 127);
  }

  // A new note ends the one still sounding; otherwise the time before it is a rest.
  void noteStarts(int key, int64_t t, int velocity) {
    if (active_) {
      appendNote(activeKey_, t, activeVelocity_);
    } else if (t != 0) {
      const int32_t d = toDuration(scale(t));
      if (d > 0) work_.appendEvent(Pause, d);
    }
    active_ = true;
    activeKey_ = key;
    activeVelocity_ = velocity;
  }

  // Only the end of the sounding key ends the note; any other end keeps the time running.
  void noteEnds(int key, int64_t t) {
    if (!active_ || key != activeKey_) return passTime();
    appendNote(key, t, activeVelocity_);
    active_ = false;
  }

  WorkMelody work_;
  int division_ = 0;
  int16_t selected_ = 0;
  bool autoSelect_ = false;
  bool channelChosen_ = false;
  bool notesStarted_ = false;
  int32_t channelMask_ = 0;
  bool active_ = false;
  int activeKey_ = 0;
  int activeVelocity_ = 0;
};

}  // namespace

int readMidi(std::istream& in, Melody& melody, ReadRequest& request) {
  try {
    MelodyBuilder builder(in, request.channelChoice);
    try {
      builder.parse();
    } catch (...) {
      request.channelUsed = builder.selectedChannel();
      request.channelMask = builder.channelMask();
      throw;
    }
    request.channelUsed = builder.selectedChannel();
    request.channelMask = builder.channelMask();
    // Notes longer than a whole note sound for a whole note; the rest becomes rests.
    WorkMelody& work = builder.melody();
    if (work.needsSplit()) {
      work.copySplit(melody);
      melody.title = work.title;
      melody.setBPM(work.getBPM());
    } else {
      work.handOverTo(melody);
    }
    return 1;
  } catch (...) {
    return -1;
  }
}

}  // namespace rv
