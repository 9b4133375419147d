#include "eventeditor/eventbuilder.h"

#include <algorithm>

namespace eventbuilder {
namespace {

constexpr int kLengths[] = {1, 2, 4, 8, 16, 32, 64};
constexpr int kDots[] = {0, 1, 3, 2};
constexpr int kVolumeSteps = 16;

}  // namespace

QStringList NoteNames() {
  return {QStringLiteral("C"),  QStringLiteral("C#"), QStringLiteral("D"),  QStringLiteral("D#"),
          QStringLiteral("E"),  QStringLiteral("F"),  QStringLiteral("F#"), QStringLiteral("G"),
          QStringLiteral("G#"), QStringLiteral("A"),  QStringLiteral("A#"), QStringLiteral("B")};
}

QStringList OctaveNames() {
  QStringList names;
  for (int o = 0; o <= 10; ++o) names << QString::number(o);
  return names;
}

QStringList LengthNames() {
  return {QStringLiteral(" 1"), QStringLiteral(" 2"), QStringLiteral(" 4"), QStringLiteral(" 8"),
          QStringLiteral("16"), QStringLiteral("32"), QStringLiteral("64")};
}

QStringList DotNames() {
  return {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2/3"), QStringLiteral("2")};
}

QStringList VolumeSteps() {
  QStringList steps;
  for (int s = 0; s < kVolumeSteps; ++s) steps << QString::number(s);
  return steps;
}

int DotFromIndex(int index) {
  return kDots[std::clamp(index, 0, 3)];
}

int IndexFromDot(int dot) {
  for (int i = 0; i < 4; ++i)
    if (kDots[i] == dot) return i;
  return 0;
}

int LengthFromIndex(int index) {
  return kLengths[std::clamp(index, 0, 6)];
}

int IndexFromLength(int length) {
  int index = 0;
  for (int i = 0; i < 7; ++i)
    if (kLengths[i] <= length) index = i;
  return index;
}

int VelocityFromText(const QString& text) {
  bool ok = false;
  const qlonglong v = text.trimmed().toLongLong(&ok);
  if (!ok || v < 1) return 1;
  return v > 127 ? 127 : static_cast<int>(v);
}

bool VelocityAccepted(const QString& text) {
  bool ok = false;
  const qlonglong v = text.trimmed().toLongLong(&ok);
  return ok && v >= 1 && v <= 127;
}

pxvbNote Build(const Choice& c, const std::function<int(int)>& volumeVelocity) {
  pxvbNote e;
  switch (c.group) {
    case kNote: {
      const int key = std::clamp(c.octave, 0, 10) * 12 + std::clamp(c.noteIndex, 0, 11);
      e.setnEvent(RV_EVENT_NOTE);
      e.SetEventVal(std::min(key, 127), VelocityFromText(c.velocity));
      e.setiSimpleLen(LengthFromIndex(c.noteLength));
      e.setiDotLen(DotFromIndex(c.noteDot));
      break;
    }
    case kPause:
      e.setnEvent(RV_EVENT_PAUSE);
      e.setiSimpleLen(LengthFromIndex(c.pauseLength));
      e.setiDotLen(DotFromIndex(c.pauseDot));
      break;
    case kStyle:
      e.setnEvent(RV_EVENT_STYLE);
      e.SetEventVal(std::clamp(c.style, 0, 2));
      break;
    case kVolume: {
      const int step = std::clamp(c.volumeStep, 0, kVolumeSteps - 1);
      e.setnEvent(RV_EVENT_VOLUME);
      e.SetEventVal(0, volumeVelocity ? volumeVelocity(step) : step * 127 / (kVolumeSteps - 1));
      break;
    }
  }
  return e;
}

bool Fill(const pxvbNote& event, int volumeStep, Choice& c) {
  switch (event.nEvent()) {
    case RV_EVENT_NOTE:
      c.group = kNote;
      c.noteIndex = ((event.getEventVal1() % 12) + 12) % 12;
      c.octave = std::clamp(event.getEventVal1() / 12, 0, 10);
      c.noteLength = IndexFromLength(event.iSimpleLen());
      c.noteDot = IndexFromDot(event.iDotLen());
      c.velocity = QString::number(event.getEventVal2());
      return true;
    case RV_EVENT_PAUSE:
      c.group = kPause;
      c.pauseLength = IndexFromLength(event.iSimpleLen());
      c.pauseDot = IndexFromDot(event.iDotLen());
      return true;
    case RV_EVENT_STYLE:
      c.group = kStyle;
      c.style = std::clamp(event.getEventVal1(), 0, 2);
      return true;
    case RV_EVENT_VOLUME:
      c.group = kVolume;
      c.volumeStep = std::clamp(volumeStep, 0, kVolumeSteps - 1);
      return true;
    default:
      return false;
  }
}

}  // namespace eventbuilder
