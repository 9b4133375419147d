// The application's melody: an ordered list of events with name, composer, copyright,
// tempo, style and volume. Positions are 0-based; every positional call with a position
// outside 0..size-1 does nothing (getters give 0, or -1 where noted).
#pragma once

#include <QString>
#include <vector>

#include "melody/pxvbnote.h"

class pxvbMelody {
 public:
  // Guard against runaway sizes (the application itself stops at 301 events); calls that
  // would grow a melody past this are ignored.
  static constexpr int kHardLimit = 1 << 20;

  pxvbMelody() = default;

  QString sName() const { return name_; }
  void setsName(const QString& s) { name_ = s; }
  QString sComposer() const { return composer_; }
  void setsComposer(const QString& s) { composer_ = s; }
  QString sCopyright() const { return copyright_; }
  void setsCopyright(const QString& s) { copyright_ = s; }
  // Tempo in beats per minute; values below 1 become 120.
  int bpm() const { return bpm_; }
  void setbpm(int v) { bpm_ = v < 1 ? 120 : v; }
  int Style() const { return style_; }
  void setStyle(int v) { style_ = v; }
  // Default style 0..2; anything else becomes 1.
  int DefStyle() const { return defStyle_; }
  void setDefStyle(int v) { defStyle_ = (v < 0 || v > 2) ? 1 : v; }
  int volume() const { return volume_; }
  void setvolume(int v) { volume_ = v; }

  int size() const { return static_cast<int>(events_.size()); }
  int last() const { return size() - 1; }

  // Event kind at pos, -1 outside the melody; setEvent returns 1, or -1 outside.
  int getEvent(int pos) const;
  int setEvent(int pos, int kind);
  int getSimpleLen(int pos) const;
  void setSimpleLen(int pos, int v);
  int getDotLen(int pos) const;
  void setDotLen(int pos, int v);
  int getEventVal1(int pos) const;
  int getEventVal2(int pos) const;
  int getEventVal3(int pos) const;
  int getEventVal4(int pos) const;
  void setEventVal1(int pos, int v);
  void SetEventVal(int pos, int v1 = 0, int v2 = 0, int v3 = 0, int v4 = 0);
  void setSimpleTime(int pos, int len, int dot);
  // Copies the event at pos out into / in from an event; false outside the melody.
  bool getclNote(int pos, pxvbNote& out) const;
  bool setclNote(int pos, const pxvbNote& in);
  // For a note or pause: length, dot, note (0 for a pause), pause flag (1 pause, 0 note),
  // result 1. Any other kind or position: -1, outputs untouched.
  int getOldDllNote(int pos, int& len, int& dot, int& note, int& pause) const;
  // Volume step of a volume change: absolute changes map the velocity through the melody
  // library, relative ones give their direction value; 15 for anything else.
  int getiMelVolume(int pos) const;
  const pxvbNote* at(int pos) const;

  void resize(int n);
  int addevent(int len, int dot, int kind, int v1 = 0, int v2 = 0, int v3 = 0, int v4 = 0);
  void merase(int pos, int n);
  void mInsert(int pos, int n);
  // Inserts the first n events of src (all when n exceeds its size) at pos.
  void insert(const pxvbMelody& src, int pos, int n);
  void insert2(const pxvbMelody& src, int pos, int n);
  // Empties this melody, copies the first n events of src (all when n < 0 or n > its
  // size), then the tempo, styles, volume and the three texts.
  void assign(const pxvbMelody& src, int n = -1);
  void assignto(pxvbMelody& dst, int n = -1) const { dst.assign(*this, n); }

  void ChangeNote(int d);
  void LongerLen();
  void ShorterLen();
  void Limit2Scale(int vLenLong, int vLenShort, int vNoteHigh, int vNoteLow, int vDotMax);
  void HiLoNote(int& hi, int& lo) const;
  // 1 moved, 2 already inside (or no notes), -1 empty or wider than hi..lo.
  int MoveToScale(int hi, int lo);

  // Length in ticks (384 per whole note); 0 for no length or a bad position.
  int miditime(int pos) const;
  // Length in milliseconds at the melody's tempo.
  int realtime(int pos) const;
  // Sounding part in milliseconds for a playing style; the silent rest goes to gap.
  int realtimeadv(int pos, int& gap, int style) const;

 private:
  bool valid(int pos) const { return pos >= 0 && pos < size(); }
  void insertEvents(const pxvbMelody& src, int pos, int n, bool throughSetters);

  QString name_ = QStringLiteral("Pealix");
  QString composer_ = QStringLiteral("Pealix");
  QString copyright_ = QStringLiteral("Pealix");
  int bpm_ = 120;
  int style_ = 1;
  int defStyle_ = 1;
  int volume_ = 127;
  std::vector<pxvbNote> events_;
};
