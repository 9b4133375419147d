// Exporting the melody as an audio ringtone from the window: the dialog's choices, the file
// name they give, the rendering on a worker thread with its progress, and the status line
// that says where the file went and how long it plays. The dialog only shows this.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

#include "playback/wavrender.h"

class QThread;
class pxvbMelody;

namespace pxplay {

// The dialog's texts in the language tables.
enum RingtoneRes : int {
  kResRingtoneMenu = 2750,         // the File menu's entry
  kResRingtoneTip = 2751,          // its status tip
  kResRingtoneTitle = 2752,        // the dialog's caption
  kResRingtoneFormat = 2753,       // "Format"
  kResRingtoneVoice = 2754,        // "Voice"
  kResRingtoneSynth = 2755,        // "Synthesizer"
  kResRingtoneBuzzer = 2756,       // "Phone buzzer"
  kResRingtoneLength = 2757,       // "Length"
  kResRingtoneWhole = 2758,        // the length box's "whole melody"
  kResRingtoneSeconds = 2759,      // its unit " s"
  kResRingtoneLoudness = 2760,     // "Loudness"
  kResRingtoneFile = 2761,         // "File"
  kResRingtoneBrowse = 2762,       // "Browse..."
  kResRingtoneExport = 2763,       // the Export button
  kResRingtoneClose = 2764,        // the Close button
  kResRingtoneDone = 2765,         // "The ringtone went to %1 (%2 s)."
  kResRingtoneFailed = 2766,       // "The ringtone could not be written: %1"
  kResRingtoneRendering = 2767,    // "Rendering..."
  kResRingtoneCut = 2768,          // " The melody was cut at the end of a note."
  kResRingtoneFormatFirst = 2770,  // one per pxaudio::audioFormats() row, in order
  kResRingtoneNoFile = 2780,       // "Choose a file name first."
  kResRingtoneLengthTip = 2781,
  kResRingtoneLoudnessTip = 2782,
  kResRingtoneFormatTip = 2783,
};

struct RingtoneChoice {
  pxaudio::AudioFormat format = pxaudio::AudioFormat::Mp3;
  RenderVoice voice = RenderVoice::Synth;
  int maxSeconds = 0;  // 0: the whole melody (an iPhone ringtone: at most 40 s)
  double loudness = kDefaultLoudness;
};

class RingtoneExport : public QObject {
  Q_OBJECT
 public:
  // A copy of the melody is rendered with the General MIDI program and SoundFont given
  // (empty: the system's).
  RingtoneExport(const pxvbMelody& melody, int program, const QString& soundFont,
                 QObject* parent = nullptr);
  ~RingtoneExport() override;  // stops a rendering and waits for it

  // The file name offered: the title (or "ringtone") with the format's extension in folder.
  static QString suggestedPath(const QString& folder, const QString& title,
                               pxaudio::AudioFormat format);
  // The path with the format's extension: another audio format's extension is replaced,
  // any other name gets it appended.
  static QString withExtension(const QString& path, pxaudio::AudioFormat format);
  // The length limit the rendering gets in seconds (0: none): the choice, and for an
  // iPhone ringtone never more than it takes.
  static int lengthLimit(pxaudio::AudioFormat format, int maxSeconds);
  RenderOptions optionsFor(const RingtoneChoice& choice) const;

  // Starts rendering into path on a worker thread; false with the reason when the choice
  // or the path is refused (nothing started then). progress and finished follow.
  bool start(const RingtoneChoice& choice, const QString& path, QString* error);
  bool running() const { return thread_ != nullptr; }
  void cancel() { cancel_ = true; }

  // After finished: the outcome.
  bool succeeded() const { return ok_; }
  const QString& path() const { return path_; }
  const QString& error() const { return error_; }
  const RenderInfo& info() const { return info_; }
  // The status line: where the file went and how long it plays, or why it failed.
  QString statusText(const std::function<QString(int)>& res) const;

 signals:
  void progress(int percent);
  void finished(bool ok);

 private:
  void done();

  std::unique_ptr<pxvbMelody> melody_;
  int program_;
  QString soundFont_;
  QThread* thread_ = nullptr;
  std::atomic<bool> cancel_ = false;
  std::atomic<int> lastPercent_ = -1;
  RenderOptions options_;
  bool ok_ = false;
  QString path_;
  QString error_;
  RenderInfo info_;
};

}  // namespace pxplay
