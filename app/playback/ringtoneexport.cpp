#include "playback/ringtoneexport.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cmath>

#include "melody/pxvbmelody.h"
#include "playback/playschedule.h"

namespace pxplay {

RingtoneExport::RingtoneExport(const pxvbMelody& melody, int program, const QString& soundFont,
                               QObject* parent)
    : QObject(parent),
      melody_(std::make_unique<pxvbMelody>(melody)),
      program_(program),
      soundFont_(soundFont) {}

RingtoneExport::~RingtoneExport() {
  if (thread_) {
    cancel_ = true;
    thread_->wait();
    delete thread_;
  }
}

QString RingtoneExport::suggestedPath(const QString& folder, const QString& title,
                                      pxaudio::AudioFormat format) {
  QString name;
  // Characters that file systems or phones refuse in a name become '_'.
  for (const QChar c : title.trimmed())
    name += QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32 ? QChar('_') : c;
  if (name.isEmpty() || name.startsWith('.')) name.prepend(QStringLiteral("ringtone"));
  return withExtension(QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(name), format);
}

QString RingtoneExport::withExtension(const QString& path, pxaudio::AudioFormat format) {
  const QString extension = QLatin1String(pxaudio::audioFormatInfo(format).extension);
  if (path.endsWith(extension, Qt::CaseInsensitive)) return path;
  if (pxaudio::audioFormatForPath(path))
    return path.left(path.size() - QFileInfo(path).suffix().size() - 1) + extension;
  return path + extension;
}

int RingtoneExport::lengthLimit(pxaudio::AudioFormat format, int maxSeconds) {
  const int most = pxaudio::audioFormatInfo(format).maxSeconds;
  if (most > 0 && (maxSeconds <= 0 || maxSeconds > most)) return most;
  return std::max(maxSeconds, 0);
}

RenderOptions RingtoneExport::optionsFor(const RingtoneChoice& choice) const {
  RenderOptions o;
  o.format = choice.format;
  o.sampleRate = pxaudio::audioFormatInfo(choice.format).defaultRate;
  o.voice = choice.voice;
  o.program = program_;
  o.soundFont = soundFont_;
  o.loudness = choice.loudness;
  if (const int limit = lengthLimit(choice.format, choice.maxSeconds)) o.maxSeconds = limit;
  o.title = melody_->sName();
  return o;
}

bool RingtoneExport::start(const RingtoneChoice& choice, const QString& path, QString* error) {
  if (thread_) {
    if (error) *error = QStringLiteral("A rendering is under way.");
    return false;
  }
  if (path.trimmed().isEmpty()) {
    if (error) *error = QStringLiteral("The file name is empty.");
    return false;
  }
  if (!(choice.loudness >= kMinLoudness && choice.loudness <= kMaxLoudness)) {
    if (error)
      *error = QStringLiteral("The loudness must lie in %1..%2 LUFS.")
                   .arg(kMinLoudness)
                   .arg(kMaxLoudness);
    return false;
  }
  options_ = optionsFor(choice);
  path_ = path;
  ok_ = false;
  error_.clear();
  info_ = {};
  cancel_ = false;
  lastPercent_ = -1;
  const Schedule schedule = computeSchedule(*melody_, false);
  options_.progress = [this](double share) {
    const int percent = static_cast<int>(std::lround(share * 100));
    // Signals from the worker arrive queued, in the receiver's thread.
    if (lastPercent_.exchange(percent) != percent) emit progress(percent);
    return !cancel_;
  };
  thread_ = QThread::create([this, schedule] {
    QString why;
    RenderInfo info;
    const bool ok = renderAudio(schedule, options_, path_, &why, &info);
    QMetaObject::invokeMethod(
        this,
        [this, ok, why, info] {
          ok_ = ok;
          error_ = why;
          info_ = info;
          done();
        },
        Qt::QueuedConnection);
  });
  thread_->start();
  return true;
}

void RingtoneExport::done() {
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  if (ok_) emit progress(100);
  emit finished(ok_);
}

QString RingtoneExport::statusText(const std::function<QString(int)>& res) const {
  if (!ok_) return res(kResRingtoneFailed).arg(error_);
  QString text = res(kResRingtoneDone)
                     .arg(QDir::toNativeSeparators(path_),
                          QString::number(info_.seconds(options_.sampleRate), 'f', 1));
  if (info_.cut) text += res(kResRingtoneCut);
  return text;
}

}  // namespace pxplay
